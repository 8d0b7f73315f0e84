#pragma once

// eventinfo diff OLD NEW: what changed between two exports of a project.

#include "tools/eventinfo/CommandLine.h"

// Loads both files, writes the differences to standard output (text, or JSON
// with --json) and returns kExitOk when nothing differs, kExitFindings when
// something does. Raises Failure when a file cannot be loaded.
int RunDiff(const CommandLine& line);

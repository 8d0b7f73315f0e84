#include "tools/eventinfo/Diff.h"

#include "tools/eventinfo/InspectorFailure.h"

int RunDiff(const CommandLine&) { throw Failure{kExitUsage, "diff is not built yet"}; }

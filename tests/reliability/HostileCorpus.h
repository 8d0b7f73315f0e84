#pragma once

// Project files for the reliability checks, generated on every run (the
// same bytes each time): a well-formed reference project with every kind of
// element the load and the queries read, and a corpus of hostile variants.

#include <functional>
#include <string>
#include <utility>
#include <vector>

struct ProjectShape {
    int devices = 4;
    int tosPerDevice = 3;
    int messagesPerCategory = 6;
    bool projectMode = false;
    int projects = 2;
    std::string tag;  // makes the names and texts of one variant differ from another's
};

// A well-formed project: devices with TOs, connection attributes, a routed
// device and one behind a router inside the PC, user alarms, TO alarms and
// diagnosis in German and English with placeholders of all three alarm types.
std::string ReferenceProject(const ProjectShape& shape);

struct CorpusFile {
    std::string name;                                           // directory of its own below the corpus root
    std::string what;                                           // what is hostile about it
    std::string project;                                        // the bytes of OPC_AE.xml
    std::vector<std::pair<std::string, std::string>> siblings;  // further files in that directory
    bool projectIsDirectory = false;                            // OPC_AE.xml is a directory, not a file
    std::string sameAnswersAs;                                  // a file whose answers these must equal
};

// Text that only a file outside the project can contribute; no answer may
// contain it.
inline constexpr wchar_t kSecretMarker[] = L"SECRETMARKER";

// The corpus, one generator per file so that only one file is in memory at
// a time. `directory` is the Windows path of the file's directory, for the
// entities that name local files by absolute path. The full run uses the
// sizes as stated (10 MB values, 100,000 attributes, more cut points); the
// short run smaller ones where the size is not the point.
struct CorpusEntry {
    std::string name;
    std::function<CorpusFile(const std::string& directory)> generate;
};
std::vector<CorpusEntry> HostileCorpus(bool full);

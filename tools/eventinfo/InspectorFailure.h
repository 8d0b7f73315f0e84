#pragma once

// How the inspector ends: its exit statuses, and a failure to report on
// standard error with its status.

#include <string>

constexpr int kExitOk = 0;
constexpr int kExitFindings = 1;  // lint found problems; diff found differences
constexpr int kExitUsage = 2;
constexpr int kExitNotLoaded = 3;

struct Failure {
    int status;
    std::string message;
};

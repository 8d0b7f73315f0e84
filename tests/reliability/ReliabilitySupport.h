#pragma once

// Shared pieces of the reliability checks: the run's scale, the figures it
// reports, and a driver that runs every query of
// every interface on one loaded object.

#include <windows.h>
#include <oleauto.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/ArrayValues.h"

// The short run (CI) unless RELIABILITY_RUN=full is set in the environment.
bool FullRun();
// A count that differs between the short and the full run.
inline size_t Scaled(size_t shortRun, size_t fullRun) { return FullRun() ? fullRun : shortRun; }

// One figure of the run, printed as "[figure] key = value" for the report.
void Figure(const std::string& key, const std::string& value);
std::string FormatNumber(double value, int decimals = 0);

// Seconds since an arbitrary start, from the performance counter.
double Now();

// The process's private bytes: PrivateUsage where the platform fills it in,
// otherwise its PagefileUsage, which counts the same commit charge.
struct PrivateBytes {
    uint64_t bytes = 0;
    const char* source = "";
};
PrivateBytes MeasurePrivateBytes();

std::string Narrow(std::wstring_view text);  // non-ASCII as \uXXXX

// The answers one object gave, in call order: a hash of every call with its
// result and outputs, and optionally the text (each value clipped).
class Transcript {
public:
    explicit Transcript(bool keepText = false) : m_keepText(keepText) {}
    void Add(const std::string& line);
    uint64_t Hash() const { return m_hash; }
    size_t Lines() const { return m_lines; }
    const std::vector<std::string>& Text() const { return m_text; }

private:
    bool m_keepText;
    uint64_t m_hash = 14695981039346656037ull;
    size_t m_lines = 0;
    std::vector<std::string> m_text;
};

// Receives every BSTR and SAFEARRAY an output hands to the caller, before
// the caller frees it.
class OutputLedger {
public:
    virtual ~OutputLedger() = default;
    virtual void HandedOut(const void* allocation, bool isArray) = 0;
};

struct DriverOptions {
    size_t maxDevices = 200;                 // devices whose TOs and parameters are queried
    size_t maxCategories = 200;              // categories whose attributes and messages are queried
    size_t maxMessagesPerSource = 12;        // messages resolved per source path
    std::vector<std::wstring> extraSources;  // source paths tried besides those built from devices
    std::wstring forbiddenText;              // must appear in no text the object hands out
    bool load = true;                        // call ParseXML first
    bool bindByDisplayName = true;           // also bind a second object by display name
    OutputLedger* ledger = nullptr;
};

struct DriverResult {
    std::vector<std::string> violations;  // undocumented results and wrong output states
    size_t calls = 0;
    HRESULT loadResult = S_OK;
};

// Runs every query of every interface on the object and checks each result
// against the results the interfaces document and each output against the
// state they give. Every output is released before it returns.
DriverResult RunEveryQuery(IUnknown* object, const DriverOptions& options, Transcript& transcript);

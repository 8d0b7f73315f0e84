#pragma once

// The object that answers the inspector's commands: the registered
// component, which loads the registry-named file, or with --file the
// component code linked into this program over the given file; and the
// linked code's own view of the same file for what the interfaces do not
// show (key names, texts, routing, lint).

#include <windows.h>
#include <wrl/client.h>

#include <string>
#include <unordered_map>

#include "loading/ComValues.h"
#include "tools/eventinfo/CommandLine.h"
#include "tools/eventinfo/MessageTexts.h"
#include "tools/eventinfo/ProjectFile.h"

class Session {
public:
    explicit Session(const CommandLine& line);

    template <class Interface>
    Microsoft::WRL::ComPtr<Interface> Get() const {
        Microsoft::WRL::ComPtr<Interface> out;
        ThrowIfFailed(m_object.As(&out));
        return out;
    }

    // The linked component's view of the file, loaded on first use.
    const Project& View();
    const std::string& FileText();
    // The file the answers come from, as given or as the registry names it.
    const std::string& FilePath() const { return m_path; }
    bool Quiet() const { return m_quiet; }

    // The message elements of a category of the view, read once per run;
    // none for a category the view does not hold.
    CategoryMessages& MessagesOf(int32_t categoryId);

private:
    std::string m_file;  // --file, empty for the registry-named file
    std::string m_path;
    bool m_quiet;
    Microsoft::WRL::ComPtr<IUnknown> m_object;
    LoadedProject m_linked;
    std::unordered_map<int32_t, CategoryMessages> m_messages;
};

// A failure naming the call, its result with the result's name and the
// component's description of it.
[[noreturn]] void ThrowCallFailure(int status, const std::string& call, HRESULT result);

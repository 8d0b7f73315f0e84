// Writes a type library whose enumeration constants carry the help texts the
// IDL gives them as comments:
//     TypeLibraryDocStrings <library from widl> <IDL> <library to write>
// On any failure it says why, leaves no library behind and exits with 1.

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <cstdio>
#include <stdexcept>

#include "ComSupport.h"
#include "ConstantHelpTexts.h"
#include "HelpComments.h"
#include "LayoutSizes.h"
#include "TypeLibraryCopy.h"
#include "WrittenLibraryCheck.h"

using Microsoft::WRL::ComPtr;

namespace {

void Run(const std::wstring& sourcePath, const std::wstring& idlPath, const std::wstring& targetPath) {
    const HelpTexts texts = ReadHelpComments(idlPath);
    ComPtr<ITypeLib> source;
    Check(LoadTypeLibEx(sourcePath.c_str(), REGKIND_NONE, &source), "LoadTypeLibEx(" + Utf8(sourcePath) + ")");
    ConstantHelpTexts helpTexts(texts);
    WriteCopy(source.Get(), targetPath, helpTexts);
    CopyLayoutSizes(sourcePath, targetPath);
    CheckWrittenHelpTexts(targetPath, texts);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: TypeLibraryDocStrings <library from widl> <IDL> <library to write>\n");
        return 2;
    }
    const std::wstring targetPath = argv[3];
    DeleteFileW(targetPath.c_str());
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        std::fprintf(stderr, "TypeLibraryDocStrings: cannot initialize COM\n");
        return 1;
    }
    int status = 0;
    try {
        Run(argv[1], argv[2], targetPath);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "TypeLibraryDocStrings: %s\n", error.what());
        DeleteFileW(targetPath.c_str());
        status = 1;
    }
    CoUninitialize();
    return status;
}

#include "component/ErrorReport.h"

#include <oleauto.h>
#include <wrl/client.h>

#include "IEventInfoServer.h"
#include "loading/ComValues.h"
#include "loading/SystemMessage.h"

using Microsoft::WRL::ComPtr;

std::wstring DescribeFailure(const CalledMethod& method, HRESULT result, const std::wstring& why) {
    return std::wstring(method.name) + L": " + (why.empty() ? SystemMessage(result) : why);
}

void ReportCallResult(REFIID iid, HRESULT result, const std::wstring& description) noexcept {
    ComPtr<ICreateErrorInfo> created;
    ComPtr<IErrorInfo> info;
    if (FAILED(result) && SUCCEEDED(CreateErrorInfo(&created))) {
        created->SetGUID(iid);
        created->SetSource(const_cast<wchar_t*>(kErrorSource));
        created->SetDescription(const_cast<wchar_t*>(description.c_str()));
        created.As(&info);
    }
    SetErrorInfo(0, info.Get());
}

bool ReportsErrors(REFIID iid) {
    return iid == __uuidof(IEventMessageIds) || iid == __uuidof(IEventModel) || iid == __uuidof(IUMCInfo) ||
           iid == __uuidof(IEventInfoInit);
}

ErrorObject TakeErrorObject() {
    ErrorObject taken;
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) != S_OK || !info) return taken;
    Bstr source, description;
    taken.present = true;
    info->GetGUID(&taken.iid);
    info->GetSource(source.Receive());
    info->GetDescription(description.Receive());
    taken.source = source.View();
    taken.description = description.View();
    return taken;
}

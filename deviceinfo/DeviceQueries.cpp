// IUMCInfo: devices and their TOs.

#include <initializer_list>
#include <new>
#include <string>
#include <vector>

#include "loading/ComValues.h"
#include "component/ComBoundary.h"
#include "component/EventInfoObj.h"
#include "deviceinfo/DeviceInfoSupport.h"
#include "loading/XmlAccess.h"

using namespace deviceinfo;

namespace {

// The TOs of one device, in document order, and how many child nodes of any
// kind the device element has.
struct TechnologyObjects {
    std::vector<std::wstring> names;
    std::vector<std::wstring> addresses;
    std::vector<std::wstring> typeIds;
    long childCount = 0;
};

bool HasRuntimePrefix(const std::wstring& tagName) { return tagName.compare(0, 2, L"RT") == 0; }

// Every element child counts as a TO unless `runtimeNamesOnly`, which keeps
// only those named "RT" + address. The address is the tag name without its
// first two characters, whatever they are.
TechnologyObjects CollectTechnologyObjects(IXMLDOMNode* device, bool runtimeNamesOnly) {
    TechnologyObjects tos;
    ForEachChild(device, [&](IXMLDOMNode* child) {
        ++tos.childCount;
        if (!IsElement(child)) return;
        const std::wstring tagName = NodeName(child);
        if (runtimeNamesOnly && !HasRuntimePrefix(tagName)) return;
        tos.addresses.push_back(tagName.size() > 2 ? tagName.substr(2) : std::wstring());
        tos.names.push_back(GetAttributeText(child, L"Name"));
        if (runtimeNamesOnly) tos.typeIds.push_back(GetAttributeText(child, L"TypeID"));
    });
    return tos;
}

}  // namespace

STDMETHODIMP EventInfoObj::GetDevices(VARIANT* DevNames, VARIANT* CheckSums, VARIANT* PBAddrs,
                                      tagAlarmTypes* AlarmSelection, tagIUMCErrors* pError) {
    return ComBoundary({__uuidof(IUMCInfo), L"GetDevices"}, [&] {
        if (!DevNames || !CheckSums || !PBAddrs || !AlarmSelection || !pError)
            Fail(E_POINTER, L"one of the arguments is a null pointer");
        RefuseOutputs({DevNames, CheckSums, PBAddrs});
        // The first query of a never-loaded object loads the file; a failed
        // load shows as a document without root below.
        if (!m_project.m_pDocument) ParseXML(nullptr);
        *AlarmSelection = static_cast<tagAlarmTypes>(m_project.m_model.m_alarmTypes);
        *pError = IUMC_OK;
        if (!m_project.m_pDocument || !DocumentRoot(m_project.m_pDocument.Get())) {
            *pError = IUMC_ERROR_XMLFILE_GENERAL;
            Fail(E_FAIL, L"no project is loaded: " + m_project.m_loadFailure);
        }
        const DomNode devices = FindElementNamed(m_project.m_elementIndex, L"DEVICES");
        if (!devices) {
            *pError = IUMC_ERROR_XMLFILE_DEVICE;
            Fail(E_FAIL, L"the project has no single element named DEVICES");
        }
        long count = 0;
        std::vector<std::wstring> names, checkSums, addresses;
        ForEachChild(devices.Get(), [&](IXMLDOMNode* child) {
            ++count;
            if (!IsElement(child)) return;
            names.push_back(NodeName(child));
            checkSums.push_back(GetAttributeText(child, L"CheckSum"));
            addresses.push_back(GetAttributeText(child, L"MPIDefault"));
        });
        SafeArray nameArray = MakeBstrArray(names);
        SafeArray checkSumArray = MakeBstrArray(checkSums);
        SafeArray addressArray = MakeBstrArray(addresses);
        PutArray(DevNames, VT_BSTR, std::move(nameArray));
        PutArray(CheckSums, VT_BSTR, std::move(checkSumArray));
        PutArray(PBAddrs, VT_BSTR, std::move(addressArray));
        if (count == 0) *pError = IUMC_ERROR_XMLFILE_NODEV;
        return S_OK;
    });
}

STDMETHODIMP EventInfoObj::GetTOs(BSTR DevName, VARIANT* TONames, VARIANT* RTAddrs, tagIUMCErrors* pError) {
    return ComBoundary({__uuidof(IUMCInfo), L"GetTOs"}, [&] {
        if (!TONames || !RTAddrs || !pError) Fail(E_POINTER, L"one of the arguments is a null pointer");
        for (VARIANT* output : {TONames, RTAddrs}) {
            RefuseOutputs({output});
            VariantInit(output);
        }
        if (!m_project.m_pDocument) ParseXML(nullptr);
        *pError = IUMC_OK;
        const DomNode device = FindElementNamed(m_project.m_elementIndex, BstrView(DevName));
        if (!device) Fail(E_INVALIDARG, NoDevice(DevName));
        const TechnologyObjects tos = CollectTechnologyObjects(device.Get(), false);
        SafeArray nameArray = MakeBstrArray(tos.names);
        SafeArray addressArray = MakeBstrArray(tos.addresses);
        PutArray(TONames, VT_BSTR, std::move(nameArray));
        PutArray(RTAddrs, VT_BSTR, std::move(addressArray));
        // Child nodes that are not elements mark the TO information as corrupt;
        // the TOs found are still returned.
        if (static_cast<long>(tos.names.size()) < tos.childCount) *pError = IUMC_ERROR_XMLFILE_TOINFO;
        return S_OK;
    });
}

STDMETHODIMP EventInfoObj::GetTOsWithTypes(BSTR DevName, VARIANT* TONames, VARIANT* RTAddrs, VARIANT* TypeIDs,
                                           tagIUMCErrors* pError) {
    return ComBoundary({__uuidof(IUMCInfo), L"GetTOsWithTypes"}, [&] {
        if (!TONames || !RTAddrs || !TypeIDs || !pError) Fail(E_POINTER, L"one of the arguments is a null pointer");
        for (VARIANT* output : {TONames, RTAddrs, TypeIDs}) {
            RefuseOutputs({output});
            VariantClear(output);
        }
        if (!m_project.m_pDocument) ParseXML(nullptr);
        *pError = IUMC_OK;
        const DomNode device = FindElementNamed(m_project.m_elementIndex, BstrView(DevName));
        if (!device) Fail(E_INVALIDARG, NoDevice(DevName));
        const TechnologyObjects tos = CollectTechnologyObjects(device.Get(), true);
        SafeArray nameArray = MakeBstrArray(tos.names);
        SafeArray addressArray = MakeBstrArray(tos.addresses);
        SafeArray typeArray = MakeBstrArray(tos.typeIds);
        PutArray(TONames, VT_BSTR, std::move(nameArray));
        PutArray(RTAddrs, VT_BSTR, std::move(addressArray));
        PutArray(TypeIDs, VT_BSTR, std::move(typeArray));
        return S_OK;
    });
}

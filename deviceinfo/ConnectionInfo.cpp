// IUMCInfo: connection parameters of a device.

#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "loading/ComValues.h"
#include "component/ComBoundary.h"
#include "component/EventInfoObj.h"
#include "deviceinfo/ConnectionParameterTables.h"
#include "deviceinfo/ConnectionValueConversions.h"
#include "deviceinfo/DeviceInfoSupport.h"
#include "deviceinfo/RoutingCache.h"
#include "loading/TextConversion.h"
#include "loading/XmlAccess.h"

using namespace deviceinfo;

namespace {

// The parameter rows agree with the type library's tagConfigParams.
constexpr bool SameId(const char* enumerator, tagConfigParams id) { return ParamIdOf(enumerator) == id; }
static_assert(kFirstParamId == CONFIG_BAUDRATE && kLastParamId == CONFIG_REMNSAP, "first and last parameter ids");
static_assert(SameId("CONFIG_ADDRESS", CONFIG_ADDRESS) && SameId("CONFIG_CONSISTENCE", CONFIG_CONSISTENCE) &&
                  SameId("CONFIG_PDUSize", CONFIG_PDUSize) && SameId("CONFIG_UTCTimeBias", CONFIG_UTCTimeBias),
              "the connection parameter rows differ from tagConfigParams");

// The project-wide values: the first "ConnectionInfo" child of the only
// "CORVALIS" element. Without a single "CORVALIS" there are none.
DomNode FindCommonElement(const ElementIndex& elements) {
    const DomNode corvalis = FindElementNamed(elements, L"CORVALIS");
    return corvalis ? FindChildByName(corvalis.Get(), L"ConnectionInfo") : nullptr;
}

// The device's attribute when it is non-empty, else the common element's,
// else an empty text.
std::wstring GetConnectionAttribute(const ElementIndex& elements, IXMLDOMNode* device, std::wstring_view name) {
    std::wstring text = GetAttributeText(device, name);
    if (!text.empty()) return text;
    const DomNode common = FindCommonElement(elements);
    return GetAttributeText(common.Get(), name);
}

struct RoutingOverride {
    enum Kind { None, Value, Refused } kind = None;
    std::wstring text;
};

// The device's routing block is its "RoutInfo" child, when it has one.
struct DeviceElement {
    const ElementIndex& elements;
    ElementIndex::Element element;
    IXMLDOMNode* node;
    RoutingCache& routing;
    IXMLDOMNode* RoutingBlock() const { return routing.Of(elements, element); }
};

RoutingOverride EvaluateRoutingOverride(const ElementIndex& elements, const DeviceElement& device,
                                        tagConfigParams param) {
    if (param == CONFIG_REMNSAP) {
        IXMLDOMNode* const routing = device.RoutingBlock();
        // A device without routing has no routing block.
        if (!routing || GetAttributeText(routing, L"ROUTNET").empty()) return {RoutingOverride::Refused, {}};
        return {RoutingOverride::Value, GetConnectionAttribute(elements, device.node, L"SubnetID") + L"|" +
                                            GetConnectionAttribute(elements, device.node, L"MPIDefault")};
    }
    if (param == CONFIG_ADDRESS) {
        IXMLDOMNode* const routing = device.RoutingBlock();
        if (!routing) return {};
        if (!IsRouterInsidePc(ToU16(GetAttributeText(routing, L"ROUTNET"))))
            return {RoutingOverride::Value, GetAttributeText(routing, L"ROUTADR")};
        // A router inside the PC: its slot is the address. A router element
        // that is missing or not unique abandons the override.
        const DomNode router = FindElementNamed(elements, GetAttributeText(routing, L"ROUTDEV"));
        if (!router) return {};
        for (DomNode child = FirstChild(router.Get()); child; child = NextSibling(child.Get())) {
            std::wstring slot = GetAttributeText(child.Get(), L"SLOT");
            if (!slot.empty()) return {RoutingOverride::Value, std::move(slot)};
        }
        return {RoutingOverride::Refused, {}};
    }
    return {};
}

// XML errors while a routing override is evaluated abandon the override;
// running out of memory does not.
RoutingOverride GuardedRoutingOverride(const ElementIndex& elements, const DeviceElement& device,
                                       tagConfigParams param) {
    try {
        return EvaluateRoutingOverride(elements, device, param);
    } catch (const ComError& error) {
        if (error.Code() == E_OUTOFMEMORY) throw;
        return {};
    }
}

void PutBytes(VARIANT* value, const uint8_t* bytes, size_t count) {
    V_ARRAY(value) = MakeNumberArray(VT_UI1, bytes, count).Detach();
}

void PutBytes(VARIANT* value, const std::vector<uint8_t>& bytes) { PutBytes(value, bytes.data(), bytes.size()); }

// Fills an empty, zeroed VARIANT from a non-empty value text by the
// parameter's conversion. The type is set last, so a failure leaves it empty.
void ConvertValueText(const ConnectionParam& param, const std::wstring& text, bool routed, uint32_t alarmTypes,
                      VARIANT* value) {
    const std::u16string u16 = ToU16(text);
    switch (param.conversion) {
    case ParamConversion::None: break;
    case ParamConversion::Text: V_BSTR(value) = Bstr(text).Detach(); break;
    case ParamConversion::ConsistencyText: V_BSTR(value) = Bstr(ToWide(ConsistencyText(u16))).Detach(); break;
    case ParamConversion::Number:
        // All 32 bits are stored; the declared type says how many count.
        V_UI4(value) = static_cast<ULONG>(LeadingInteger(u16));
        break;
    case ParamConversion::Flag: V_BOOL(value) = static_cast<VARIANT_BOOL>(FlagValue(u16)); break;
    case ParamConversion::AlarmTypeBit:
        V_BOOL(value) = static_cast<VARIANT_BOOL>(alarmTypes & param.alarmTypeBit);
        break;
    case ParamConversion::PduSize: V_UI2(value) = static_cast<USHORT>(PduSizeFromCpuVersion(u16)); break;
    case ParamConversion::MinutesToDays: V_DATE(value) = MinutesToDays(u16); break;
    case ParamConversion::TransportAccessPoint:
        if (routed)
            PutBytes(value, RoutedTransportAccessPoint(param.id), kRoutedTsapSize);
        else
            PutBytes(value, DottedTextToBytes(u16));
        break;
    case ParamConversion::Address: PutBytes(value, DottedTextToBytes(u16)); break;
    case ParamConversion::RoutingBlock: PutBytes(value, RoutingBlock(u16)); break;
    }
    V_VT(value) = param.valueType;
}

}  // namespace

STDMETHODIMP EventInfoObj::GetConnectionInfo(BSTR* DevName, tagConfigParams ParamID, VARIANT* ParamValue,
                                             tagIUMCErrors* pError) {
    return ComBoundary({__uuidof(IUMCInfo), L"GetConnectionInfo"}, [&] {
        if (!DevName || !ParamValue || !pError) Fail(E_POINTER, L"one of the arguments is a null pointer");
        if (!m_project.m_pDocument) ParseXML(nullptr);
        const ElementIndex& elements = m_project.m_elementIndex;
        const ElementIndex::Element device = FindElementNumber(elements, BstrView(*DevName));
        if (device == ElementIndex::kNoElement) Fail(E_INVALIDARG, NoDevice(*DevName));
        const ConnectionParam* param = FindConnectionParam(static_cast<int32_t>(ParamID));
        if (!param)
            Fail(E_INVALIDARG, L"the argument ParamID " + std::to_wstring(ParamID) + L" names no connection parameter");

        const DeviceElement deviceElement{elements, device, elements.Node(device), m_routing};
        RoutingOverride routing = GuardedRoutingOverride(elements, deviceElement, ParamID);
        if (routing.kind == RoutingOverride::Refused)
            Fail(E_INVALIDARG, L"the routing information of device '" + std::wstring(BstrView(*DevName)) +
                                   L"' gives no value for parameter " + std::to_wstring(ParamID));
        std::wstring text;
        if (routing.kind == RoutingOverride::Value) {
            text = std::move(routing.text);
        } else {
            text = GetConnectionAttribute(elements, deviceElement.node, ToWide(param->attribute));
            if (text.empty()) text = ToWide(param->defaultText);
        }

        // ParamValue is overwritten, not cleared: its earlier content stays the caller's.
        Variant value;
        std::memset(value.Get(), 0, sizeof(VARIANT));
        if (text.empty()) {
            value.DetachTo(ParamValue);
            *pError = IUMC_ERROR_XMLFILE_NOINFOAVAILABLE;
            return S_OK;
        }
        const bool routed =
            param->conversion == ParamConversion::TransportAccessPoint && deviceElement.RoutingBlock() != nullptr;
        ConvertValueText(*param, text, routed, m_project.m_model.m_alarmTypes, value.Get());
        value.DetachTo(ParamValue);
        *pError = IUMC_OK;
        return S_OK;
    });
}

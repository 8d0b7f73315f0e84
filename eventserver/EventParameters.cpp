#include "eventserver/EventParameters.h"

namespace eventparams {
namespace {

// The array of VARIANTs a VARIANT holds as VT_ARRAY|VT_VARIANT; not valid
// for any other type.
SAFEARRAY* VariantArrayOf(const VARIANT& value) {
    return V_VT(&value) == (VT_ARRAY | VT_VARIANT) ? V_ARRAY(&value) : nullptr;
}

// The 32-bit value field of a VARIANT, whatever its type says.
int32_t ValueField(const VARIANT& value) { return static_cast<int32_t>(V_I4(&value)); }

// Whether paramInfo's array begins with the 32-bit value 1: the value field
// of its first VARIANT, or the first four bytes of any other array.
bool ParamInfoMarksUserValue(const VARIANT& paramInfo) {
    SAFEARRAY* array = ArrayOf(paramInfo);
    if (!array) return false;
    if (V_VT(&paramInfo) == (VT_ARRAY | VT_VARIANT)) {
        const Vector<VARIANT> items(array);
        return items.Valid() && items.Count() > 0 && ValueField(*items.At(items.LowerBound())) == 1;
    }
    const std::optional<std::vector<uint8_t>> bytes = RawBytes(array);
    if (!bytes || bytes->size() < sizeof(int32_t)) return false;
    int32_t first = 0;
    std::memcpy(&first, bytes->data(), sizeof first);
    return first == 1;
}

// User alarm: the bytes of the one VT_ARRAY|VT_UI1 element of params, when
// paramInfo marks it.
std::optional<std::vector<uint8_t>> UserAlarmValueBytes(const VARIANT& paramInfo, const VARIANT& params) {
    const Vector<VARIANT> items(VariantArrayOf(params));
    if (!items.Valid() || items.Count() != 1) return std::nullopt;
    const VARIANT& value = *items.At(items.LowerBound());
    if (V_VT(&value) != (VT_ARRAY | VT_UI1) || !ParamInfoMarksUserValue(paramInfo)) return std::nullopt;
    return RawBytes(V_ARRAY(&value));
}

// TO alarm: the value fields of the params elements in array order; the
// first element is parameter 1.
std::optional<std::vector<int32_t>> ToAlarmParameterValues(const VARIANT& params) {
    const Vector<VARIANT> items(VariantArrayOf(params));
    if (!items.Valid()) return std::nullopt;
    std::vector<int32_t> values;
    values.reserve(items.Count());
    for (ULONG k = 0; k < items.Count(); ++k) values.push_back(ValueField(*items.At(int64_t(items.LowerBound()) + k)));
    return values;
}

// Diagnosis: the raw data of params' array, or of the array held by its
// first element when params is an array of VARIANTs.
std::optional<std::vector<uint8_t>> DiagnosisRecordBytes(const VARIANT& params) {
    if (V_VT(&params) == (VT_ARRAY | VT_VARIANT)) {
        const Vector<VARIANT> items(V_ARRAY(&params));
        if (!items.Valid() || items.Count() == 0) return std::nullopt;
        SAFEARRAY* inner = ArrayOf(*items.At(items.LowerBound()));
        if (!inner) return std::nullopt;
        return RawBytes(inner);
    }
    SAFEARRAY* array = ArrayOf(params);
    if (!array) return std::nullopt;
    return RawBytes(array);
}

}  // namespace

// Formats a message text by the category's alarm type (1 user alarm, 2 TO
// alarm, 4 diagnosis) and returns the formatter's result; `out` is written
// only on 0. Other alarm types are not formatted: 0 with the text as it is.
int32_t FormatEventText(int32_t alarmType, std::u16string_view text, const VARIANT& paramInfo, const VARIANT& params,
                        std::u16string& out) {
    switch (alarmType) {
    case 1: return FormatUserAlarmText(text, UserAlarmValueBytes(paramInfo, params), out);
    case 2: return FormatToAlarmText(text, ToAlarmParameterValues(params), out);
    case 4: return FormatDiagnosisText(text, DiagnosisRecordBytes(params), out);
    default: out = text; return 0;
    }
}

}  // namespace eventparams

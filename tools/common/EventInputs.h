#pragma once

// The paramInfo and params elements of one event in the shape its alarm type
// wants: a user alarm's value bytes, marked by a paramInfo of {1}; a TO
// alarm's parameters; a diagnosis record.

#include <windows.h>
#include <oleauto.h>

#include <utility>
#include <vector>

#include "loading/ComValues.h"

struct EventInput {
    Variant info;
    Variant params;
};

inline EventInput UserAlarmInput(const std::vector<BYTE>& value) {
    std::vector<Variant> marker, bytes;
    marker.push_back(LongValue(1));
    bytes.push_back(ArrayVariant(VT_UI1, MakeNumberArray(VT_UI1, value)));
    return {ArrayVariant(VT_VARIANT, MakeVariantArray(std::move(marker))),
            ArrayVariant(VT_VARIANT, MakeVariantArray(std::move(bytes)))};
}

inline EventInput ToAlarmInput(const std::vector<LONG>& values) {
    std::vector<Variant> items;
    for (LONG value : values) items.push_back(LongValue(value));
    return {Variant(), ArrayVariant(VT_VARIANT, MakeVariantArray(std::move(items)))};
}

inline EventInput DiagnosisInput(const std::vector<BYTE>& record) {
    return {Variant(), ArrayVariant(VT_UI1, MakeNumberArray(VT_UI1, record))};
}

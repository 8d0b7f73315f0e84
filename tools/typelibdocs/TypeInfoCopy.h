#pragma once

// The copy of one type info into the new library, in two steps: first every
// type info is created with its attributes, so that any can refer to any;
// then each gets its members.

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include "ConstantHelpTexts.h"
#include "ReferenceMap.h"

using Microsoft::WRL::ComPtr;

ComPtr<ICreateTypeInfo> CreateCopy(ITypeInfo* source, ICreateTypeLib2* library);

void CopyMembers(ITypeInfo* source, ICreateTypeInfo* copy, const ReferenceMap& references, ConstantHelpTexts& helpTexts,
                 WORD pointerSize);

void LayOut(ITypeInfo* source, ICreateTypeInfo* copy);

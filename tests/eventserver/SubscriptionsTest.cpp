// IEventModel: subscriptions, the category and attribute lists, selections.

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/LateBinding.h"
#include "tests/support/TestSupport.h"

namespace {

// Three categories in ascending id order: U7DIAG (SIMPLE), U7SQ (SIMPLE,
// whatever class lists it), TOPOSAXIS (CONDITIONAL).
constexpr char kProject[] = R"(<Root>
  <CONDITIONAL>
    <U7SQ CatDescr="User alarms"><Attributes MSG0407="Text" Severity="How bad"/></U7SQ>
    <TOPOSAXIS><Attributes/></TOPOSAXIS>
  </CONDITIONAL>
  <SIMPLE><U7DIAG CatDescr="Diagnosis"/></SIMPLE>
  <DEVICES><D1/></DEVICES>
</Root>)";

std::vector<LONG> LongArray(const VARIANT& value) {
    std::vector<LONG> out;
    SAFEARRAY* array = V_ARRAY(&value);
    LONG low = 0, high = -1;
    SafeArrayGetLBound(array, 1, &low);
    SafeArrayGetUBound(array, 1, &high);
    for (LONG i = low; i <= high; ++i) {
        LONG v = 0;
        SafeArrayGetElement(array, &i, &v);
        out.push_back(v);
    }
    return out;
}

std::vector<std::wstring> Texts(const VARIANT& value, std::vector<bool>* isNull = nullptr) {
    std::vector<std::wstring> out;
    SAFEARRAY* array = V_ARRAY(&value);
    LONG high = -1;
    SafeArrayGetUBound(array, 1, &high);
    for (LONG i = 0; i <= high; ++i) {
        BSTR text = nullptr;
        SafeArrayGetElement(array, &i, &text);
        if (isNull) isNull->push_back(text == nullptr);
        out.emplace_back(text ? text : L"");
        SysFreeString(text);
    }
    return out;
}

LONG LowerBound(const VARIANT& value) {
    LONG low = 0;
    SafeArrayGetLBound(V_ARRAY(&value), 1, &low);
    return low;
}

// A VT_ARRAY|VT_I4 VARIANT with the given lower bound.
VARIANT IdArray(std::vector<LONG> ids, LONG lowerBound = 0) {
    VARIANT value;
    V_VT(&value) = VT_ARRAY | VT_I4;
    V_ARRAY(&value) = SafeArrayCreateVector(VT_I4, lowerBound, static_cast<ULONG>(ids.size()));
    for (size_t k = 0; k < ids.size(); ++k) {
        LONG index = lowerBound + static_cast<LONG>(k);
        SafeArrayPutElement(V_ARRAY(&value), &index, &ids[k]);
    }
    return value;
}

class IEventModelTest : public testing::Test {
protected:
    void SetUp() override {
        m_b = LoadComponent<IEventModel>(m_directory, kProject);
        ASSERT_TRUE(m_b);
    }
    LONG NewHandle() {
        LONG handle = 0;
        EXPECT_EQ(m_b->CreateSubscription(&handle), S_OK);
        return handle;
    }

    ProjectDirectory m_directory;
    ComPtr<IEventModel> m_b;
};

}  // namespace

TEST_F(IEventModelTest, HandlesStartAtOneAndAreReused) {
    EXPECT_EQ(NewHandle(), 1);
    EXPECT_EQ(NewHandle(), 2);
    EXPECT_EQ(NewHandle(), 3);
    EXPECT_EQ(m_b->DeleteSubscription(2), S_OK);
    EXPECT_EQ(NewHandle(), 4);  // count 2 plus 1 is taken
    EXPECT_EQ(m_b->DeleteSubscription(4), S_OK);
    EXPECT_EQ(m_b->DeleteSubscription(3), S_OK);
    EXPECT_EQ(NewHandle(), 2);
    EXPECT_EQ(m_b->DeleteSubscription(99), E_INVALIDARG);
    EXPECT_EQ(m_b->DeleteSubscription(3), E_INVALIDARG);
    EXPECT_EQ(m_b->CreateSubscription(nullptr), E_POINTER);
}

TEST_F(IEventModelTest, CategoriesKeepOnePositionPerCategory) {
    const struct {
        LONG mask;
        std::vector<LONG> ids;
        std::vector<bool> nullDescriptions;
    } rows[] = {
        {0x70, {0x100002, 0x200001, 0x200021}, {false, false, false}},
        {32, {0, 0, 0x200021}, {true, true, false}},
        {16, {0x100002, 0x200001, 0}, {false, false, true}},
        {0, {0, 0, 0}, {true, true, true}},
    };
    for (const auto& row : rows) {
        VARIANT ids, descriptions;
        ASSERT_EQ(m_b->GetCategories(row.mask, &ids, &descriptions), S_OK);
        EXPECT_EQ(V_VT(&ids), VT_ARRAY | VT_I4);
        EXPECT_EQ(V_VT(&descriptions), VT_ARRAY | VT_BSTR);
        EXPECT_EQ(LongArray(ids), row.ids) << row.mask;
        std::vector<bool> isNull;
        const auto texts = Texts(descriptions, &isNull);
        EXPECT_EQ(isNull, row.nullDescriptions) << row.mask;
        if (row.mask == 0x70) {
            EXPECT_EQ(texts, (std::vector<std::wstring>{L"Diagnosis", L"User alarms", L"TOPOSAXIS"}));
        }
        VariantClear(&ids);
        VariantClear(&descriptions);
    }
    VARIANT ids;
    EXPECT_EQ(m_b->GetCategories(0x70, &ids, nullptr), E_INVALIDARG);
}

TEST_F(IEventModelTest, NothingLoadedMeansNoCategories) {
    auto fresh = CreateComponent<IEventModel>();
    VARIANT ids, descriptions, types;
    V_VT(&ids) = VT_I4;
    EXPECT_EQ(fresh->GetCategories(0x70, &ids, &descriptions), S_OK);
    EXPECT_EQ(V_VT(&ids), VT_EMPTY);
    EXPECT_EQ(V_VT(&descriptions), VT_EMPTY);
    EXPECT_EQ(fresh->GetCategoryAttributes(0x200001, &ids, &types, &descriptions), E_INVALIDARG);
}

TEST_F(IEventModelTest, CategoryAttributesListIdsTypesAndDescriptions) {
    VARIANT ids, types, descriptions;
    ASSERT_EQ(m_b->GetCategoryAttributes(0x200001, &ids, &types, &descriptions), S_OK);
    EXPECT_EQ(V_VT(&types), VT_ARRAY | VT_I2);
    EXPECT_EQ(LongArray(ids), (std::vector<LONG>{-1, 1, 26, 5051}));
    std::vector<LONG> typeCodes;
    for (LONG i = 0; i < 4; ++i) {
        SHORT t = 0;
        SafeArrayGetElement(V_ARRAY(&types), &i, &t);
        typeCodes.push_back(t);
    }
    EXPECT_EQ(typeCodes, (std::vector<LONG>{8, 27, 8, 8}));
    EXPECT_EQ(Texts(descriptions),
              (std::vector<std::wstring>{L"Language independent Message", L"Parameter delivered by the process",
                                         L"How bad", L"Text"}));
    VariantClear(&ids);
    VariantClear(&types);
    VariantClear(&descriptions);

    // Only the process parameter, and no attribute element at all.
    ASSERT_EQ(m_b->GetCategoryAttributes(0x200021, &ids, &types, &descriptions), S_OK);
    EXPECT_EQ(LongArray(ids), (std::vector<LONG>{1}));
    VariantClear(&ids);
    VariantClear(&types);
    VariantClear(&descriptions);
    ASSERT_EQ(m_b->GetCategoryAttributes(0x100002, &ids, &types, &descriptions), S_OK);
    EXPECT_EQ(V_VT(&ids), VT_EMPTY);

    EXPECT_EQ(m_b->GetCategoryAttributes(12345, &ids, &types, &descriptions), E_INVALIDARG);
    EXPECT_EQ(m_b->GetCategoryAttributes(0x200001, &ids, nullptr, &descriptions), E_INVALIDARG);
}

TEST_F(IEventModelTest, SelectionsAndTheirResults) {
    const LONG handle = NewHandle();
    VARIANT results;
    VARIANT request = IdArray({1, 999, 1});
    EXPECT_EQ(m_b->SelectAttributes(handle, 0x200001, request, &results), S_FALSE);
    EXPECT_EQ(LongArray(results), (std::vector<LONG>{0, static_cast<LONG>(0x80040206), 0}));
    VariantClear(&results);
    VariantClear(&request);

    VARIANT selected;
    ASSERT_EQ(m_b->GetSelectedAttributes(handle, 0x200001, &selected), S_OK);
    EXPECT_EQ(V_VT(&selected), VT_ARRAY | VT_I4);
    EXPECT_EQ(LongArray(selected), (std::vector<LONG>{1}));
    VariantClear(&selected);

    // A new selection replaces the old one whole; the result keeps the bounds.
    request = IdArray({5051, -1}, 5);
    EXPECT_EQ(m_b->SelectAttributes(handle, 0x200001, request, &results), S_OK);
    EXPECT_EQ(LowerBound(results), 5);
    EXPECT_EQ(LongArray(results), (std::vector<LONG>{0, 0}));
    VariantClear(&results);
    VariantClear(&request);
    ASSERT_EQ(m_b->GetSelectedAttributes(handle, 0x200001, &selected), S_OK);
    EXPECT_EQ(LongArray(selected), (std::vector<LONG>{-1, 5051}));
    EXPECT_EQ(LowerBound(selected), 0);
    VariantClear(&selected);

    // An empty array leaves an empty selection, which reads as none.
    request = IdArray({});
    EXPECT_EQ(m_b->SelectAttributes(handle, 0x200001, request, &results), S_OK);
    EXPECT_EQ(LongArray(results).size(), 0u);
    VariantClear(&results);
    VariantClear(&request);
    EXPECT_EQ(m_b->GetSelectedAttributes(handle, 0x200001, &selected), E_INVALIDARG);

    // VT_NULL removes a selection, also one that never existed.
    VARIANT none;
    V_VT(&none) = VT_NULL;
    EXPECT_EQ(m_b->SelectAttributes(handle, 0x200021, none, &results), S_OK);
    EXPECT_EQ(V_VT(&results), VT_EMPTY);
}

TEST_F(IEventModelTest, SelectRefusesWhatItCannotRead) {
    const LONG handle = NewHandle();
    VARIANT results;
    VARIANT request = IdArray({1});
    EXPECT_EQ(m_b->SelectAttributes(handle + 1, 0x200001, request, &results), E_INVALIDARG);
    EXPECT_EQ(m_b->SelectAttributes(handle, 777, request, &results), E_INVALIDARG);
    EXPECT_EQ(m_b->SelectAttributes(handle, 0x200001, request, nullptr), E_POINTER);
    VariantClear(&request);

    VARIANT wrongType;
    V_VT(&wrongType) = VT_I4;
    V_I4(&wrongType) = 1;
    EXPECT_EQ(m_b->SelectAttributes(handle, 0x200001, wrongType, &results), E_INVALIDARG);

    // A two-dimensional array, and an array whose elements are not 32-bit.
    SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
    VARIANT twoDimensional;
    V_VT(&twoDimensional) = VT_ARRAY | VT_I4;
    V_ARRAY(&twoDimensional) = SafeArrayCreate(VT_I4, 2, bounds);
    EXPECT_EQ(m_b->SelectAttributes(handle, 0x200001, twoDimensional, &results), E_INVALIDARG);
    VariantClear(&twoDimensional);

    VARIANT shorts;
    V_VT(&shorts) = VT_ARRAY | VT_I4;
    V_ARRAY(&shorts) = SafeArrayCreateVector(VT_I2, 0, 3);
    EXPECT_EQ(m_b->SelectAttributes(handle, 0x200001, shorts, &results), E_INVALIDARG);
    VariantClear(&shorts);

    VARIANT selected;
    EXPECT_EQ(m_b->GetSelectedAttributes(handle, 0x200001, &selected), E_INVALIDARG);
    EXPECT_EQ(m_b->GetSelectedAttributes(handle, 0x200001, nullptr), E_POINTER);
}

TEST_F(IEventModelTest, SelectionsOutliveLoadsAndDieWithTheirSubscription) {
    const LONG handle = NewHandle();
    VARIANT results;
    VARIANT request = IdArray({1});
    ASSERT_EQ(m_b->SelectAttributes(handle, 0x200001, request, &results), S_OK);
    VariantClear(&results);
    VariantClear(&request);
    ComPtr<IEventInfoInit> init;
    ASSERT_EQ(m_b.As(&init), S_OK);
    m_directory.WriteProject("<Root/>");
    ASSERT_EQ(init->ParseXML(nullptr), S_OK);
    VARIANT selected;
    ASSERT_EQ(m_b->GetSelectedAttributes(handle, 0x200001, &selected), S_OK);
    VariantClear(&selected);
    ASSERT_EQ(m_b->DeleteSubscription(handle), S_OK);
    EXPECT_EQ(NewHandle(), handle);
    EXPECT_EQ(m_b->GetSelectedAttributes(handle, 0x200001, &selected), E_INVALIDARG);
}

TEST_F(IEventModelTest, LateBoundCalls) {
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(m_b.As(&dispatch), S_OK);
    ComPtr<IDispatch> b;
    ASSERT_EQ(m_b->QueryInterface(__uuidof(IEventModel), reinterpret_cast<void**>(b.GetAddressOf())), S_OK);
    VARIANT ids, descriptions;
    VariantInit(&ids);
    VariantInit(&descriptions);
    ASSERT_EQ(InvokeByName(b.Get(), L"GetCategories", {Long(32), ByRef(&ids), ByRef(&descriptions)}).hr, S_OK);
    EXPECT_EQ(LongArray(ids), (std::vector<LONG>{0, 0, 0x200021}));
    VariantClear(&ids);
    VariantClear(&descriptions);

    LONG handle = 0;
    ASSERT_EQ(InvokeByName(b.Get(), L"CreateSubscription", {ByRef(&handle)}).hr, S_OK);
    VARIANT results;
    VariantInit(&results);
    // S_FALSE arrives as S_OK through the type library's Invoke.
    const InvokeResult refused =
        InvokeByName(b.Get(), L"SelectAttributes", {Long(handle), Long(0x200001), IdArray({2}), ByRef(&results)});
    EXPECT_EQ(refused.hr, S_OK);
    EXPECT_EQ(LongArray(results), (std::vector<LONG>{static_cast<LONG>(0x80040206)}));
    VariantClear(&results);
    const InvokeResult missing =
        InvokeByName(b.Get(), L"GetSelectedAttributes", {Long(handle), Long(0x200001), ByRef(&results)});
    EXPECT_EQ(missing.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(missing.scode, E_INVALIDARG);
}

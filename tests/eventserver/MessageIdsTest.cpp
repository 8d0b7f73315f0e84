// IEventMessageIds: the message element names of categories and event sources.

#include <gtest/gtest.h>

#include "loading/ComValues.h"
#include "tests/eventserver/EventTestSupport.h"
#include "tests/support/LateBinding.h"
#include "tests/support/TestSupport.h"

namespace {

using Names = std::vector<std::wstring>;

// U7SQ (0x200001) mixes message elements with other children; TOPOSAXIS
// (0x200021) has none.
constexpr char kProject[] = R"(<Root>
  <CONDITIONAL>
    <U7SQ><ID00000001/><Attributes MSG0407="Text"/>some text<!--ID in a comment-->
      <ID00000002 MSG0407="x"/><IDENT/><id00000003/><XID/></U7SQ>
    <TOPOSAXIS><Attributes/></TOPOSAXIS>
  </CONDITIONAL>
  <DEVICES><D1/></DEVICES>
</Root>)";

const Names kU7sqIds = {L"ID00000001", L"ID00000002", L"IDENT"};

class IEventMessageIdsTest : public testing::Test {
protected:
    void SetUp() override {
        m_a = LoadComponent<IEventMessageIds>(m_directory, kProject);
        ASSERT_TRUE(m_a);
    }
    ProjectDirectory m_directory;
    ComPtr<IEventMessageIds> m_a;
};

void ExpectNames(const VARIANT& ids, const Names& expected) {
    ASSERT_EQ(V_VT(&ids), VT_ARRAY | VT_BSTR);
    EXPECT_EQ(Bounds(ids).first, 0);
    EXPECT_EQ(TextsOf(ids), expected);
}

}  // namespace

TEST_F(IEventMessageIdsTest, MessageIdsInDocumentOrder) {
    Variant ids;
    ASSERT_EQ(m_a->GetCategoryMessageIds(0x200001, ids.Get()), S_OK);
    ExpectNames(*ids, kU7sqIds);

    Variant none;  // no message element: an empty array, not VT_EMPTY
    ASSERT_EQ(m_a->GetCategoryMessageIds(0x200021, none.Get()), S_OK);
    ExpectNames(*none, {});

    Bstr path(L"/D1/U7SQ");
    Variant fromSource;
    ASSERT_EQ(m_a->GetSourceMessageIds(path.Get(), fromSource.Get()), S_OK);
    ExpectNames(*fromSource, kU7sqIds);
}

TEST_F(IEventMessageIdsTest, RefusalsLeaveTheOutputAlone) {
    struct Row {
        const wchar_t* source;  // null: ask by category id
        LONG categoryId;
        VARTYPE outputType;
    };
    const Row rows[] = {
        {nullptr, 0x123456, VT_EMPTY},                              // unknown category
        {nullptr, 0x200001, VT_ERROR},                              // omitted optional output
        {nullptr, 0x200001, VT_NULL},  {L"/d1/U7SQ", 0, VT_EMPTY},  // letter case counts
        {L"/D1/U7SQ/", 0, VT_EMPTY},   {L"", 0, VT_EMPTY},
        {L"/D1/U7SQ", 0, VT_ERROR},  // the category's checks apply too
    };
    for (const Row& row : rows) {
        VARIANT output;
        VariantInit(&output);
        V_VT(&output) = row.outputType;
        V_I4(&output) = 77;
        Bstr path(row.source ? row.source : L"");
        const HRESULT hr = row.source ? m_a->GetSourceMessageIds(path.Get(), &output)
                                      : m_a->GetCategoryMessageIds(row.categoryId, &output);
        EXPECT_EQ(hr, E_INVALIDARG) << row.categoryId;
        EXPECT_EQ(V_VT(&output), row.outputType);
        EXPECT_EQ(V_I4(&output), 77);
    }
    EXPECT_EQ(m_a->GetCategoryMessageIds(0x200001, nullptr), E_POINTER);
    EXPECT_EQ(m_a->GetSourceMessageIds(nullptr, nullptr), E_INVALIDARG);
}

TEST_F(IEventMessageIdsTest, LateBoundCalls) {
    Variant ids;
    ASSERT_EQ(InvokeByName(m_a.Get(), L"GetCategoryMessageIds", {Long(0x200001), ByRef(ids.Get())}).hr, S_OK);
    ExpectNames(*ids, kU7sqIds);

    Variant unknown;
    const InvokeResult refused =
        InvokeByName(m_a.Get(), L"GetSourceMessageIds", {Text(L"/D2/U7SQ"), ByRef(unknown.Get())});
    EXPECT_EQ(refused.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(refused.scode, E_INVALIDARG);
}

// No load leaves a category without its element; the table is edited to
// check that the DOM wrapper's error comes back as a result, not an exception.
TEST(IEventMessageIdsWithoutElement, NullCategoryNodeGivesEPointer) {
    ProjectDirectory directory;
    Project project = LoadLinkedProject(directory, kProject);
    project.m_model.m_mapCategories.at(0x200001).node.Reset();
    const ComPtr<IEventInfoInit> object = CreateObjectOver<IEventInfoInit>(project);
    ComPtr<IEventMessageIds> a;
    ASSERT_EQ(object.As(&a), S_OK);
    Variant ids;
    EXPECT_EQ(a->GetCategoryMessageIds(0x200001, ids.Get()), E_POINTER);
    EXPECT_EQ(V_VT(&*ids), VT_EMPTY);
}

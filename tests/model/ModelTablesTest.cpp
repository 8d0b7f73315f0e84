// The tables a load builds: category keys and ids, categories, attributes,
// project categories and event sources.

#include <gtest/gtest.h>

#include "loading/SourceCategories.h"
#include "model/ModelBuilder.h"
#include "tests/support/TestSupport.h"

namespace {

using Ids = std::set<int32_t>;

constexpr int32_t kFirstNewConditional = 0x200000 + 0x200028;  // class base plus counter

// A device whose TO is of a fixed type always gives one event source, so the
// categories survive the load's clean-up.
constexpr char kOneSource[] = "<D0><RT1 TypeID=\"25A0AFB1-337A-11D3-8F3E-00105A2DC995\"/></D0>";

std::string ProjectXml(const std::string& conditional, const std::string& simple = "",
                       const std::string& devices = kOneSource, const std::string& rootAttributes = "") {
    return "<Root" + rootAttributes + "><CONDITIONAL>" + conditional + "</CONDITIONAL><SIMPLE>" + simple +
           "</SIMPLE><DEVICES>" + devices + "</DEVICES></Root>";
}

class ModelTables : public testing::Test {
protected:
    const Project& Load(const std::string& xml) {
        HRESULT hr = E_FAIL;
        m_object = LoadLinkedProject(m_directory, xml, &hr);
        EXPECT_EQ(hr, S_OK);
        return m_object;
    }
    const EventModelTables& Model(const std::string& xml) { return Load(xml).m_model; }

    ProjectDirectory m_directory;
    Project m_object;
};

const CategoryInfo& CategoryOf(const EventModelTables& model, int32_t id) {
    static const CategoryInfo none;
    const auto found = model.m_mapCategories.find(id);
    return found == model.m_mapCategories.end() ? none : found->second;
}

}  // namespace

TEST_F(ModelTables, FixedRowsOfEveryLoad) {
    const auto& model = Model("<Root/>");
    const std::pair<const wchar_t*, int32_t> categoryKeys[] = {
        {L"U7SQ", 0x200001},
        {L"U7DIAG", 0x100002},
        {L"TOPOSAXIS", 0x200021},
        {L"TOT25A0AFB1-337A-11D3-8F3E-00105A2DC995", 0x200021},
        {L"TOMEASURINGINPUTTYPE", 0x200022},
        {L"TOT323D0D81-32F6-11D3-8F3C-00105A2DC995", 0x200022},
        {L"TOOUTPUTCAMTYPE", 0x200023},
        {L"TOT004C0831-32F9-11D3-8F3C-00105A2DC995", 0x200023},
        {L"TOEXTERNALENCODERTYPE", 0x200024},
        {L"TOTB9ACAF91-337F-11D3-8F3E-00105A2DC995", 0x200024},
        {L"TOCAMTYPE", 0x200025},
        {L"TOT4516CE54-32EB-11D3-8F3C-00105A2DC995", 0x200025},
        {L"TOFOLLOWINGAXIS", 0x200026},
        {L"TOT05DAC271-32EE-11D3-8F3C-00105A2DC995", 0x200026},
        {L"TOFOLLOWINGOBJECTTYPE", 0x200027},
        {L"TOT4516CE52-32EB-11D3-8F3C-00105A2DC995", 0x200027},
    };
    EXPECT_EQ(model.m_mapCategoryKeys.size(), std::size(categoryKeys));
    for (const auto& [key, id] : categoryKeys) EXPECT_EQ(model.m_mapCategoryKeys.at(key), id);

    const std::pair<const wchar_t*, int32_t> attributeKeys[] = {
        {L"CATDESCR", 5050}, {L"CatDescr", 5050}, {L"MSG0007", 5051}, {L"MSG0407", 5051}, {L"MSG0009", 5052},
        {L"MSG0409", 5052},  {L"MSG0809", 5052},  {L"MSG000A", 5053}, {L"MSG040A", 5053}, {L"MSG080A", 5053},
        {L"MSG0C0A", 5053},  {L"MSG000C", 5054},  {L"MSG040C", 5054}, {L"MSG0010", 5055}, {L"MSG0410", 5055},
    };
    EXPECT_EQ(model.m_mapAttributeKeys.size(), std::size(attributeKeys));
    for (const auto& [key, id] : attributeKeys) EXPECT_EQ(model.m_mapAttributeKeys.at(key), id);

    ASSERT_EQ(model.m_mapAttributes.size(), 1u);
    const AttributeInfo& process = model.m_mapAttributes.at(1);
    EXPECT_EQ(process.name, L"ProcPara1");
    EXPECT_EQ(process.description, L"Parameter delivered by the process");
    EXPECT_EQ(process.valueType, 27);
    EXPECT_EQ(model.m_alarmTypes, 0u);
}

TEST_F(ModelTables, AlarmTypeAndEventClassPerElementKind) {
    const auto& model = Model(ProjectXml("<U7SQ/><USERDIAG/><TOPOSAXIS/><Custom/>", "<U7DIAG/><TOCAMTYPE/><Other/>"));
    const struct {
        int32_t id;
        int32_t alarmType;
        int32_t eventClass;
    } expected[] = {
        {0x200001, 1, 16},                  // U7SQ is SIMPLE whatever class lists it
        {kFirstNewConditional, 4, 32},      // USERDIAG: a new id, diagnosis type
        {0x200021, 2, 32},                  // a TO type
        {kFirstNewConditional + 1, 2, 32},  // any other name is a TO alarm category
        {0x100002, 4, 16},                  // U7DIAG
        {0x200025, 2, 16},                  // a TO type keeps its fixed id under SIMPLE
        {0x100000 + 0x20002A, 2, 16},       // new under SIMPLE continues the counter
    };
    ASSERT_EQ(model.m_mapCategories.size(), std::size(expected));
    for (const auto& row : expected) {
        const CategoryInfo& category = CategoryOf(model, row.id);
        EXPECT_EQ(category.alarmType, row.alarmType) << std::hex << row.id;
        EXPECT_EQ(category.eventClass, row.eventClass) << std::hex << row.id;
        EXPECT_TRUE(category.node) << std::hex << row.id;
    }
    EXPECT_EQ(model.m_alarmTypes, 7u);
}

TEST_F(ModelTables, AlarmTypeBitsPerGroup) {
    const struct {
        const char* conditional;
        uint32_t bits;
    } rows[] = {
        {"<U7SQ/>", 1}, {"<USERDIAG/>", 1}, {"<U7DIAG/>", 4}, {"<TOPOSAXIS/>", 2}, {"", 0}, {"<U7SQ/><U7DIAG/>", 5},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Model(ProjectXml(row.conditional)).m_alarmTypes, row.bits) << row.conditional;
}

TEST_F(ModelTables, FirstKeyAndFirstIdWin) {
    // The same key under both classes is CONDITIONAL's; a type name and its
    // GUID key share an id, so only the first in document order stays.
    const auto& model = Model(
        ProjectXml("<USERDIAG CatDescr=\"first\"/><TOT4516CE52-32EB-11D3-8F3C-00105A2DC995 CatDescr=\"guid\"/>"
                   "<TOFOLLOWINGOBJECTTYPE CatDescr=\"name\"/><Custom CatDescr=\"one\"/><Custom CatDescr=\"two\"/>",
                   "<USERDIAG CatDescr=\"second\"/>"));
    EXPECT_EQ(CategoryOf(model, kFirstNewConditional).description, L"first");
    EXPECT_EQ(CategoryOf(model, kFirstNewConditional).eventClass, 32);
    EXPECT_EQ(CategoryOf(model, 0x200027).description, L"guid");
    EXPECT_EQ(CategoryOf(model, 0x200027).name, L"TOT4516CE52-32EB-11D3-8F3C-00105A2DC995");
    EXPECT_EQ(CategoryOf(model, kFirstNewConditional + 1).description, L"one");
    EXPECT_EQ(model.m_mapCategories.size(), 3u);
}

TEST_F(ModelTables, DescriptionsFallBackToTheName) {
    const auto& model =
        Model(ProjectXml("<Plain/><Empty CatDescr=\"\"/><Named CatDescr=\"Nice name\"/><Lower catdescr=\"x\"/>"));
    EXPECT_EQ(CategoryOf(model, kFirstNewConditional).description, L"Plain");
    EXPECT_EQ(CategoryOf(model, kFirstNewConditional + 1).description, L"Empty");
    EXPECT_EQ(CategoryOf(model, kFirstNewConditional + 2).description, L"Nice name");
    EXPECT_EQ(CategoryOf(model, kFirstNewConditional + 3).description, L"Lower");
}

TEST_F(ModelTables, ClassElementsMustBeUnique) {
    const auto& model = Model(
        "<Root><CONDITIONAL><TOPOSAXIS/></CONDITIONAL><SIMPLE><U7DIAG/></SIMPLE>"
        "<x><SIMPLE><TOCAMTYPE/></SIMPLE></x><DEVICES><D1/></DEVICES></Root>");
    ASSERT_EQ(model.m_mapCategories.size(), 1u);
    EXPECT_EQ(model.m_mapCategories.begin()->first, 0x200021);
}

TEST_F(ModelTables, CommentsAndTextAmongCategoriesAreIgnored) {
    const auto& model = Model(ProjectXml("\n  <!-- axes -->\n  <TOPOSAXIS/>\n  text\n  <Custom/>\n"));
    EXPECT_EQ(model.m_mapCategories.size(), 2u);
    EXPECT_EQ(CategoryOf(model, kFirstNewConditional).name, L"Custom");
}

TEST_F(ModelTables, CategoryAttributes) {
    const auto& model =
        Model(ProjectXml("<First><Attributes MSG0407=\"A\" MSG0409=\"B\" Severity=\"S1\" Area=\"Where\"/></First>"
                         "<Second><Attributes MSG0409=\"C\" Severity=\"S2\" msgX=\"own\" CatDescr=\"d\"/></Second>"
                         "<Upper><ATTRIBUTES Severity=\"S3\"/></Upper>"
                         "<Both><Attributes Area=\"a\"/><ATTRIBUTES Severity=\"s\"/></Both>"
                         "<Lower><attributes Severity=\"x\"/></Lower>"
                         "<Bare><Attributes/></Bare>"));
    const CategoryInfo& first = CategoryOf(model, kFirstNewConditional);
    EXPECT_EQ(first.attributeIds, (Ids{-1, 1, 26, 27, 5051, 5052}));
    EXPECT_EQ(first.messageAttribute, L"MSG0409");

    const CategoryInfo& second = CategoryOf(model, kFirstNewConditional + 1);
    EXPECT_EQ(second.attributeIds, (Ids{-1, 1, 26, 28, 5050, 5052}));
    EXPECT_EQ(second.messageAttribute, L"msgX");  // "MSG" in any case marks a message text

    EXPECT_EQ(CategoryOf(model, kFirstNewConditional + 2).attributeIds, (Ids{1, 26}));
    EXPECT_EQ(CategoryOf(model, kFirstNewConditional + 3).attributeIds, (Ids{1, 27}));  // Attributes wins
    EXPECT_TRUE(CategoryOf(model, kFirstNewConditional + 4).attributeIds.empty());
    EXPECT_EQ(CategoryOf(model, kFirstNewConditional + 5).attributeIds, (Ids{1}));
    EXPECT_TRUE(CategoryOf(model, kFirstNewConditional + 5).messageAttribute.empty());

    // First description wins; the shared ids keep the first name met.
    EXPECT_EQ(model.m_mapAttributes.at(5051).description, L"A");
    EXPECT_EQ(model.m_mapAttributes.at(5052).description, L"B");
    EXPECT_EQ(model.m_mapAttributes.at(5052).name, L"MSG0409");
    EXPECT_EQ(model.m_mapAttributes.at(26).name, L"Severity");
    EXPECT_EQ(model.m_mapAttributes.at(26).description, L"S1");
    EXPECT_EQ(model.m_mapAttributes.at(28).name, L"msgX");
    const AttributeInfo& message = model.m_mapAttributes.at(-1);
    EXPECT_EQ(message.name, L"MSG0000");
    EXPECT_EQ(message.description, L"Language independent Message");
    EXPECT_EQ(message.valueType, VT_BSTR);
    EXPECT_EQ(model.m_mapAttributeKeys.at(L"msgX"), 28);
}

TEST_F(ModelTables, ProjectCategories) {
    const auto& load =
        Load(ProjectXml("<U7SQ><ProjLine1 CatDescr=\"L1\"/><!-- c --><ProjLine2/><Line3/><proj5/></U7SQ>"
                        "<USERDIAG><ProjLine1 CatDescr=\"D1\"/><ProjOther/></USERDIAG><TOPOSAXIS/>",
                        "", kOneSource, " Proj=\"Plant\""));
    ASSERT_TRUE(load.m_projectMode);
    const auto& model = load.m_model;
    const struct {
        const wchar_t* key;
        int32_t id;
        int32_t alarmType;
    } expected[] = {
        {L"Line1/U7SQ", 0x200002, 1}, {L"Line1/USERDIAG", kFirstNewConditional, 4},
        {L"Line2/U7SQ", 0x200003, 1}, {L"Line3/U7SQ", 0x200004, 1},
        {L"proj5/U7SQ", 0x200005, 1},
    };
    for (const auto& row : expected) {
        ASSERT_EQ(model.m_mapCategoryKeys.count(row.key), 1u);
        EXPECT_EQ(model.m_mapCategoryKeys.at(row.key), row.id);
        const CategoryInfo& category = CategoryOf(model, row.id);
        EXPECT_EQ(category.name, row.key);
        EXPECT_EQ(category.alarmType, row.alarmType);
        EXPECT_EQ(category.eventClass, 16);
    }
    EXPECT_EQ(CategoryOf(model, 0x200002).description, L"L1");
    EXPECT_EQ(CategoryOf(model, kFirstNewConditional).description, L"D1");
    // The groups themselves are no categories in project mode.
    EXPECT_EQ(model.m_mapCategories.count(0x200001), 0u);
    EXPECT_EQ(model.m_mapCategories.size(), std::size(expected) + 1);
    EXPECT_EQ(model.m_alarmTypes, 7u);
}

TEST_F(ModelTables, ProjectModeWithoutUserDiagnosisOrProjects) {
    const auto& withoutDiagnosis = Model(ProjectXml("<U7SQ><ProjA/></U7SQ><U7DIAG/>", "", kOneSource, " Proj=\"x\""));
    EXPECT_EQ(withoutDiagnosis.m_mapCategoryKeys.count(L"A/USERDIAG"), 0u);
    EXPECT_EQ(withoutDiagnosis.m_mapCategories.size(), 2u);

    const auto& empty = Model(ProjectXml("<U7SQ/>", "", kOneSource, " Proj=\"x\""));
    EXPECT_EQ(empty.m_alarmTypes, 5u);  // set even without projects

    const auto& noGroup = Model(ProjectXml("<TOPOSAXIS/>", "", kOneSource, " Proj=\"x\""));
    EXPECT_EQ(noGroup.m_alarmTypes, 2u);
}

// Project user-alarm ids end below the TO types' ids: projects beyond the
// 31st get no user-alarm category, and no TO type loses its category.
TEST_F(ModelTables, ProjectsBeyondTheUserAlarmRange) {
    std::string projects, diagnosis, devices;
    for (int i = 1; i <= 33; ++i) {
        projects += "<ProjP" + std::to_string(i) + "/>";
        diagnosis += "<ProjP" + std::to_string(i) + "/>";
        devices += "<Dev" + std::to_string(i) + " Project=\"P" + std::to_string(i) +
                   "\"><RT1 TypeID=\"25A0AFB1-337A-11D3-8F3E-00105A2DC995\"/></Dev" + std::to_string(i) + ">";
    }
    const auto& load = Load(
        ProjectXml("<U7SQ>" + projects + "</U7SQ><USERDIAG>" + diagnosis + "</USERDIAG><TOPOSAXIS CatDescr=\"Axes\"/>",
                   "", devices, " Proj=\"many\""));
    const auto& model = load.m_model;
    EXPECT_EQ(model.m_mapCategoryKeys.at(L"P31/U7SQ"), 0x200020);
    EXPECT_EQ(model.m_mapCategoryKeys.count(L"P32/U7SQ"), 0u);
    EXPECT_EQ(model.m_mapCategoryKeys.count(L"P33/U7SQ"), 0u);
    EXPECT_EQ(model.m_mapCategoryKeys.count(L"P33/USERDIAG"), 1u);
    EXPECT_EQ(CategoryOf(model, 0x200021).name, L"TOPOSAXIS");
    EXPECT_EQ(CategoryOf(model, 0x200021).description, L"Axes");
    EXPECT_EQ(SourceCategoryMap(load).at(L"/Dev32/RT1"), 0x200021);
    EXPECT_EQ(SourceCategoryMap(load).count(L"/Dev32/U7SQ"), 0u);
    EXPECT_EQ(SourceCategoryMap(load).count(L"/Dev32/USERDIAG"), 1u);
}

TEST_F(ModelTables, ProjectNamesOutsideTheAnsiCodePageStayApart) {
    const auto& load = Load(ProjectXml(u8"<U7SQ><Proj\u03A91/><Proj\u03A81/></U7SQ>", "",
                                       u8"<DA Project=\"\u03A91\"/><DB Project=\"\u03A81\"/>", " Proj=\"x\""));
    const auto sources = SourceCategoryMap(load);
    EXPECT_EQ(sources.at(L"/DA/U7SQ"), 0x200002);
    EXPECT_EQ(sources.at(L"/DB/U7SQ"), 0x200003);
}

TEST_F(ModelTables, SourcePaths) {
    const auto& load = Load(
        ProjectXml("<U7SQ/><TOPOSAXIS/><Custom/>", "<U7DIAG/>",
                   "\n<!-- first -->\n<D1>\n  <RT1 TypeID=\"25A0AFB1-337A-11D3-8F3E-00105A2DC995\"/>\n  <!-- c -->\n"
                   "  <RT2/>\n</D1>\ntext\n<D2/>"));
    const std::map<std::wstring, int32_t> expected = {
        {L"/D1/U7SQ", 0x200001}, {L"/D1/U7DIAG", 0x100002}, {L"/D1/RT1", 0x200021},
        {L"/D2/U7SQ", 0x200001}, {L"/D2/U7DIAG", 0x100002},
    };
    EXPECT_EQ(SourceCategoryMap(load), expected);
}

TEST_F(ModelTables, GroupPathsNeedUniqueGroupsAnywhere) {
    const auto& load = Load(ProjectXml("<U7SQ/>", "<U7DIAG/>", "<D1/><D2><U7DIAG/></D2>"));
    EXPECT_EQ(SourceCategoryMap(load).count(L"/D1/U7DIAG"), 0u);
    EXPECT_EQ(SourceCategoryMap(load).count(L"/D1/U7SQ"), 1u);
}

TEST_F(ModelTables, CustomTypeKeysAndLiteralTotMatch) {
    const auto& load = Load(ProjectXml("<TOTABC/><TOT/>", "", "<D1><RT1 TypeID=\"ABC\"/><RT2/></D1>"));
    EXPECT_EQ(SourceCategoryMap(load).at(L"/D1/RT1"), kFirstNewConditional);
    EXPECT_EQ(SourceCategoryMap(load).at(L"/D1/RT2"), kFirstNewConditional + 1);  // no TypeID: key "TOT"
}

TEST_F(ModelTables, EmptyCategoriesOrSourcesClearBoth) {
    EXPECT_FALSE(HasSourceCategories(Load(ProjectXml("", "", "<D1><RT1/></D1>"))));  // no categories
    const auto& noSources = Load(ProjectXml("<TOPOSAXIS/>", "", "<D1><RT1/></D1>"));
    EXPECT_TRUE(noSources.m_model.m_mapCategories.empty());
    EXPECT_FALSE(HasSourceCategories(noSources));
    EXPECT_FALSE(noSources.m_model.m_mapCategoryKeys.empty());  // keys stay
    const auto& twoDeviceLists =
        Load("<Root><CONDITIONAL><U7SQ/></CONDITIONAL><DEVICES><D1/></DEVICES><DEVICES/></Root>");
    EXPECT_TRUE(twoDeviceLists.m_model.m_mapCategories.empty());
}

TEST_F(ModelTables, SecondLoadAddsAndKeepsFirstEntries) {
    const std::string first = ProjectXml("<U7SQ/><Custom CatDescr=\"old\"><Attributes Severity=\"s\"/></Custom>");
    const auto& object = Load(first);
    const auto& model = object.m_model;
    const auto keys = model.m_mapCategoryKeys;
    const auto categories = model.m_mapCategories.size();
    ASSERT_EQ(ParseInto(m_object), S_OK);
    EXPECT_EQ(model.m_mapCategoryKeys, keys);
    EXPECT_EQ(model.m_mapCategories.size(), categories);
    EXPECT_EQ(model.m_mapAttributeKeys.at(L"Severity"), 26);

    // Another file: known keys keep their ids, new names continue the counters,
    // a computed id taken by the earlier load drops the new category.
    m_directory.WriteProject(ProjectXml("<U7SQ/><Custom CatDescr=\"new\"/><Fresh/>",
                                        "<Extra><Attributes Severity=\"t\" Speed=\"v\"/></Extra>", "<D9/>"));
    ASSERT_EQ(ParseInto(m_object), S_OK);
    EXPECT_EQ(model.m_mapCategoryKeys.at(L"Custom"), kFirstNewConditional);
    EXPECT_EQ(CategoryOf(model, kFirstNewConditional).description, L"old");
    EXPECT_EQ(model.m_mapCategoryKeys.at(L"Fresh"), kFirstNewConditional);  // the counter restarts
    EXPECT_EQ(model.m_mapCategoryKeys.at(L"Extra"), 0x100000 + 0x200029);
    EXPECT_EQ(model.m_mapAttributeKeys.at(L"Speed"), 27);
    EXPECT_EQ(model.m_mapAttributes.at(26).description, L"s");
    EXPECT_EQ(SourceCategoryMap(object).count(L"/D0/U7SQ"), 1u);
    EXPECT_EQ(SourceCategoryMap(object).count(L"/D9/U7SQ"), 1u);
}

// A TO's type is read on first use, but from the document and the keys of
// the load that entered it: a later load of another file, or a failed one,
// does not change the answer.
TEST_F(ModelTables, TypesOfEarlierLoadsAnswerFromTheirOwnDocument) {
    const std::string axis = "<D1><RT1 TypeID=\"25A0AFB1-337A-11D3-8F3E-00105A2DC995\"/><RT2 TypeID=\"LATER\"/></D1>";
    const auto& object = Load(ProjectXml("<U7SQ/><TOPOSAXIS/>", "", axis));
    m_directory.WriteProject(ProjectXml(
        "<U7SQ/><TOTLATER/>", "", "<D1><RT1 TypeID=\"LATER\"/><RT2 TypeID=\"LATER\"/><RT3 TypeID=\"LATER\"/></D1>"));
    ASSERT_EQ(ParseInto(m_object), S_OK);
    m_directory.WriteProject("<Broken");
    ASSERT_EQ(ParseInto(m_object), E_INVALIDARG);
    const auto sources = SourceCategoryMap(object);
    EXPECT_EQ(sources.at(L"/D1/RT1"), 0x200021);
    EXPECT_EQ(sources.at(L"/D1/RT2"), object.m_model.m_mapCategoryKeys.at(L"TOTLATER"));  // none in the first file
    EXPECT_EQ(sources.at(L"/D1/RT3"), object.m_model.m_mapCategoryKeys.at(L"TOTLATER"));
}

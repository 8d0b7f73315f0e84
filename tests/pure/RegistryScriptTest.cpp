#include "module/RegistryScript.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using regscript::Key;
using regscript::Removal;
using regscript::Value;

namespace {

regscript::Script ParseText(const std::string& text) { return regscript::Parse(text, {{"MODULE", "C:\\x\\m.dll"}}); }

}  // namespace

TEST(RegistryScript, ParsesNestedKeysValuesAndModifiers) {
    const auto script = ParseText(R"(
        HKCR
        {
            Prog.Id.1 = s 'Some Class'
            {
                CLSID = s '{1234}'
            }
            NoRemove CLSID
            {
                ForceRemove {1234} = s 'Some Class'
                {
                    ForceRemove 'Programmable'
                    InprocServer32 = s '%MODULE%'
                    {
                        val ThreadingModel = s 'Apartment'
                        val Count = d '7'
                    }
                    Delete Obsolete
                }
            }
        })");
    ASSERT_EQ(script.roots.size(), 1u);
    const Key& root = script.roots[0];
    EXPECT_EQ(root.name, "HKCR");
    ASSERT_EQ(root.subkeys.size(), 2u);

    const Key& progId = root.subkeys[0];
    EXPECT_EQ(progId.name, "Prog.Id.1");
    EXPECT_EQ(progId.removal, Removal::Normal);
    ASSERT_TRUE(progId.defaultValue);
    EXPECT_EQ(progId.defaultValue->text, "Some Class");
    ASSERT_EQ(progId.subkeys.size(), 1u);
    EXPECT_EQ(progId.subkeys[0].defaultValue->text, "{1234}");

    const Key& clsidRoot = root.subkeys[1];
    EXPECT_EQ(clsidRoot.removal, Removal::NoRemove);
    EXPECT_FALSE(clsidRoot.defaultValue);
    const Key& clsid = clsidRoot.subkeys.at(0);
    EXPECT_EQ(clsid.removal, Removal::ForceRemove);
    ASSERT_EQ(clsid.subkeys.size(), 3u);
    EXPECT_EQ(clsid.subkeys[0].name, "Programmable");
    EXPECT_EQ(clsid.subkeys[0].removal, Removal::ForceRemove);
    EXPECT_FALSE(clsid.subkeys[0].defaultValue);
    EXPECT_EQ(clsid.subkeys[1].defaultValue->text, "C:\\x\\m.dll");
    ASSERT_EQ(clsid.subkeys[1].namedValues.size(), 2u);
    EXPECT_EQ(clsid.subkeys[1].namedValues[0].first, "ThreadingModel");
    EXPECT_EQ(clsid.subkeys[1].namedValues[0].second.text, "Apartment");
    EXPECT_EQ(clsid.subkeys[1].namedValues[1].second.kind, Value::Kind::Number);
    EXPECT_EQ(clsid.subkeys[1].namedValues[1].second.number, 7u);
    EXPECT_EQ(clsid.subkeys[2].removal, Removal::Delete);
}

TEST(RegistryScript, QuotedTextAndReplacements) {
    const auto script = regscript::Parse("HKCU { 'A key' = s 'it''s 100%% %NAME%' }", {{"NAME", "done"}});
    const Key& key = script.roots.at(0).subkeys.at(0);
    EXPECT_EQ(key.name, "A key");
    EXPECT_EQ(key.defaultValue->text, "it's 100% done");
}

TEST(RegistryScript, RejectsMalformedScripts) {
    const char* const malformed[] = {
        "HKCR { Key = s 'unterminated }", "HKCR { Key = s 'x' ",       "HKCR { Key = q 'x' }",
        "HKCR { Key = s '%UNKNOWN%' }",   "HKCR { Key = s '%MODULE }", "HKCR { val = s 'x' }",
    };
    for (const char* text : malformed) EXPECT_THROW(ParseText(text), regscript::ParseError) << text;
}

TEST(RegistryScript, ModuleScriptNamesBothProgIdsAndTheClass) {
    std::ifstream file(std::string(SOURCE_DIR) + "/module/IEventInfoServer.rgs", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    const auto script = ParseText(text.str());
    ASSERT_EQ(script.roots.size(), 1u);
    const auto& keys = script.roots[0].subkeys;
    ASSERT_EQ(keys.size(), 3u);
    EXPECT_EQ(keys[0].name, "CorvalisEventInfo.EventInfoObj.1");
    EXPECT_EQ(keys[1].name, "CorvalisEventInfo.EventInfoObj");
    EXPECT_EQ(keys[2].name, "CLSID");
    EXPECT_EQ(keys[2].removal, Removal::NoRemove);
}

#include "loading/ProjectFilePath.h"

#include <gtest/gtest.h>

TEST(ProjectFilePath, AppendsTheTailAsItStands) {
    EXPECT_EQ(ComposeProjectFilePath("C:\\Data"), "C:\\Data\\opc2\\bink4\\corvalis\\XML\\OPC_AE.xml");
    EXPECT_EQ(ComposeProjectFilePath("C:\\Data\\"), "C:\\Data\\\\opc2\\bink4\\corvalis\\XML\\OPC_AE.xml");
    EXPECT_EQ(ComposeProjectFilePath(""), "\\opc2\\bink4\\corvalis\\XML\\OPC_AE.xml");
}

TEST(ProjectFilePath, PathMustFitWithItsTerminator) {
    const size_t tail = sizeof kProjectFileTail - 1;
    const size_t longestBase = kMaxPathBytes - 1 - tail;
    const auto fitting = ComposeProjectFilePath(std::string(longestBase, 'a'));
    ASSERT_TRUE(fitting);
    EXPECT_EQ(fitting->size(), kMaxPathBytes - 1);
    EXPECT_FALSE(ComposeProjectFilePath(std::string(longestBase + 1, 'a')));
    EXPECT_FALSE(ComposeProjectFilePath(std::string(5000, 'a')));
}

TEST(ProjectFilePath, BaseDirectoryFromRegistryData) {
    using namespace std::string_literals;
    EXPECT_EQ(BaseDirectoryFromValue(true, "C:\\Data\0"s), "C:\\Data");
    EXPECT_EQ(BaseDirectoryFromValue(true, "C:\\Data\0garbage"s), "C:\\Data");
    EXPECT_EQ(BaseDirectoryFromValue(true, "C:\\Data"), "");      // not terminated
    EXPECT_EQ(BaseDirectoryFromValue(false, "C:\\Data\0"s), "");  // not a string
    EXPECT_EQ(BaseDirectoryFromValue(true, ""), "");
}

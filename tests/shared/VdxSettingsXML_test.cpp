// The two switches the user administration program takes from the FTP
// server's "Settings.xml".

#include "shared/VdxSettingsXML.h"

#include "shared/VdxXmlDoc.h"

#include "TempDir.h"

#include <gtest/gtest.h>

namespace vdx {
namespace {

using test::TempDir;
using test::WriteFileBytes;

TEST(ProductSwitches, ReadAsTheServerReadsThem) {
    const struct {
        const char* name;
        std::string file;
        TProductSwitches expected;
    } rows[] = {
        {"both on",
         "<Vardex><Settings><UseVdxInfo>true</UseVdxInfo>"
         "<UseVdxText>true</UseVdxText></Settings></Vardex>",
         {true, true}},
        {"text missing",
         "<Vardex><Settings><UseVdxInfo>TRUE</UseVdxInfo></Settings></Vardex>",
         {true, false}},
        {"numbers",
         "<Vardex><Settings><UseVdxInfo>0</UseVdxInfo>"
         "<UseVdxText> 1 </UseVdxText></Settings></Vardex>",
         {false, true}},
        {"yes does not convert",
         "<Vardex><Settings><UseVdxText>yes</UseVdxText></Settings></Vardex>",
         {false, false}},
        {"names without regard to case",
         "<Other><settings><usevdxtext>True</usevdxtext></settings></Other>",
         {false, true}},
        {"switches outside Settings",
         "<Vardex><UseVdxText>true</UseVdxText></Vardex>",
         {false, false}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TempDir dir;
        WriteFileBytes(dir.Folder() + kSettingsFileName, row.file);
        EXPECT_EQ(ReadProductSwitches(dir.Folder() + kSettingsFileName), row.expected);
    }
}

TEST(ProductSwitches, WhatTheServerSavesAndWhatIsMissingOrDamaged) {
    const TempDir dir;
    const std::string path = dir.Folder() + kSettingsFileName;
    EXPECT_EQ(ReadProductSwitches(path), TProductSwitches{});

    TSettings settings;
    settings.UseVdxText = true;
    SaveSettingsXml(path, settings);
    EXPECT_EQ(ReadProductSwitches(path), (TProductSwitches{false, true}));

    WriteFileBytes(path, "<Vardex><Settings>");
    EXPECT_THROW(ReadProductSwitches(path), XmlParseError);
}

} // namespace
} // namespace vdx

// The two settings stores agree on reading, writing and bad values.

#include "settings/QtSettingsStore.h"
#include "engine/SettingsStore.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {
std::string TempIni(const char* name)
{
    auto dir = std::filesystem::temp_directory_path() / ("quil-settings-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    auto file = dir / name;
    std::filesystem::remove(file);
    return file.string();
}

void Contract(SettingsStore& s)
{
    EXPECT_EQ(s.GetProfileInt("Display", "DisplayX", 300), 300);
    EXPECT_TRUE(s.WriteProfileInt("Display", "DisplayX", 640));
    EXPECT_EQ(s.GetProfileInt("Display", "DisplayX", 300), 640);
    EXPECT_TRUE(s.WriteProfileInt("Display", "BgColor", -1));
    EXPECT_EQ(s.GetProfileInt("Display", "BgColor", 0), -1);
    EXPECT_TRUE(s.WriteProfileString("Batch", "Folder", "/tmp/a b,c"));
    EXPECT_EQ(s.GetProfileString("Batch", "Folder", ""), "/tmp/a b,c");
    EXPECT_EQ(s.GetProfileString("Batch", "Missing", "dflt"), "dflt");
    // A value that is no whole number reads as the default.
    EXPECT_TRUE(s.WriteProfileString("Prob", "X", "12abc"));
    EXPECT_EQ(s.GetProfileInt("Prob", "X", 2000), 2000);
    EXPECT_TRUE(s.WriteProfileString("Prob", "Y", "99999999999"));
    EXPECT_EQ(s.GetProfileInt("Prob", "Y", 2000), 2000);
    EXPECT_TRUE(s.WriteProfileString("Prob", "R", "4294967295"));
    EXPECT_EQ(s.GetProfileInt("Prob", "R", 0), -1);
}
}  // namespace

TEST(SettingsStore, MemoryStore)
{
    MemorySettingsStore s;
    Contract(s);
}

TEST(SettingsStore, QtStoreKeepsValuesAcrossInstances)
{
    const std::string ini = TempIni("quil.conf");
    {
        QtSettingsStore s(ini);
        Contract(s);
        EXPECT_TRUE(s.Sync());
    }
    QtSettingsStore again(ini);
    EXPECT_EQ(again.GetProfileInt("Display", "DisplayX", 300), 640);
    EXPECT_EQ(again.GetProfileString("Batch", "Folder", ""), "/tmp/a b,c");
}

TEST(SettingsStore, QtStoreReadsAHandEditedFile)
{
    const std::string ini = TempIni("hand.conf");
    {
        std::ofstream f(ini);
        f << "[Prob]\nMaxlevel=  12 \nTermlevel=banana\n[Tree]\nThumbSize=-5\n";
    }
    QtSettingsStore s(ini);
    EXPECT_EQ(s.GetProfileInt("Prob", "Maxlevel", 8), 12);
    EXPECT_EQ(s.GetProfileInt("Prob", "Termlevel", 3), 3);
    EXPECT_EQ(s.GetProfileInt("Tree", "ThumbSize", 24), -5);
}

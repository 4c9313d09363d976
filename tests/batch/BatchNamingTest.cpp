// The names a batch run writes, the order of the expression files it reads,
// and its settings as stored.

#include "BatchTestSupport.h"

#include "batch/BatchNaming.h"
#include "batch/BatchSettings.h"
#include "batch/QuilFileList.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

BatchSettings Named(int createMode, int quilCopy, int sameName)
{
    BatchSettings s;
    s.QuilDir = "/q";
    s.BmpDir = "/b";
    s.Filename = "QuilPic";
    s.BmpExt = "*.png";
    s.CreateMode = createMode;
    s.QuilCopy = quilCopy;
    s.SameName = sameName;
    return s;
}

const std::vector<QuilFileEntry> kListed = {{"/q/sub/first.quil", 1}, {"/q/second.quil", 2}};

}  // namespace

TEST(BatchNaming, NumbersAreOffsetPlusNWrappedToSigned32Bits)
{
    EXPECT_EQ(BatchNumberText(0, 1), "000001");
    EXPECT_EQ(BatchNumberText(0, 100), "000100");
    EXPECT_EQ(BatchNumberText(999999, 1), "1000000");
    EXPECT_EQ(BatchNumberText(1000000, 1), "1000001");
    EXPECT_EQ(BatchNumberText(4294967295u, 1), "000000");  // wraps to 0
    EXPECT_EQ(BatchNumberText(4294967295u, 2), "000001");
    EXPECT_EQ(BatchNumberText(2147483647u, 1), "-2147483648");
    EXPECT_EQ(BatchNumberText(4294967290u, 1), "-00005");  // "%06d" of -5
}

TEST(BatchNaming, PicturesAndExpressionFilesByModeAndOptions)
{
    const BatchSettings random = Named(BATCH_FROM_RANDOM, 0, 0);
    EXPECT_EQ(MakeBitmapName(random, 1, {}), "/b/QuilPic000001.png");
    EXPECT_EQ(MakeQuilCopyName(random, 1, {}), "/q/QuilPic000001.quil");
    EXPECT_TRUE(WritesQuilFiles(random));
    const BatchSettings randomCopy = Named(BATCH_FROM_RANDOM, 1, 0);
    EXPECT_EQ(MakeQuilCopyName(randomCopy, 7, {}), "/b/QuilPic000007.quil");

    // Existing mode writes expression files only with the copy option.
    const BatchSettings existing = Named(BATCH_FROM_EXISTING, 0, 0);
    EXPECT_FALSE(WritesQuilFiles(existing));
    EXPECT_EQ(MakeBitmapName(existing, 2, kListed), "/b/QuilPic000002.png");
    // Same name: beside the expression file, which keeps its own folder.
    const BatchSettings sameName = Named(BATCH_FROM_EXISTING, 1, 1);
    EXPECT_EQ(MakeBitmapName(sameName, 1, kListed), "/q/sub/first.png");
    EXPECT_EQ(MakeQuilCopyName(sameName, 1, kListed), "/b/first.quil");
    EXPECT_EQ(MakeQuilCopyName(Named(BATCH_FROM_EXISTING, 1, 0), 2, kListed), "/b/QuilPic000002.quil");
    // Same name counts only in existing mode.
    EXPECT_EQ(MakeBitmapName(Named(BATCH_FROM_RANDOM, 0, 1), 1, kListed), "/b/QuilPic000001.png");

    BatchSettings s = random;
    s.offset = 1000000;
    s.BmpExt = "*.bmp";
    s.BmpDir = "/b/";
    EXPECT_EQ(MakeBitmapName(s, 1, {}), "/b/QuilPic1000001.bmp");
    s.BmpDir.clear();  // no folder: the current one
    EXPECT_EQ(MakeBitmapName(s, 1, {}), "QuilPic1000001.bmp");
    EXPECT_EQ(BatchFileName("/a/b/c.quil"), "c.quil");
    EXPECT_EQ(BatchFileName("c.quil"), "c.quil");
}

TEST(QuilFileList, OldestFirstAndFilesOfOneSecondInNameOrder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string d = dir.path().toStdString();
    const long nine = 1700000000, ten = nine + 3600, eleven = ten + 3600;
    const std::pair<const char*, long> files[] = {
        {"c.quil", ten}, {"a.quil", nine}, {"e.quil", eleven}, {"b.quil", ten}, {"d.quil", ten},
    };
    for (const auto& [name, time] : files) {
        WriteText(d + "/" + name, "X[]");
        SetModified(d + "/" + name, time);
    }
    WriteText(d + "/notes.txt", "");
    WriteText(d + "/x.quil.bak", "");
    ::mkdir((d + "/folder.quil").c_str(), 0755);

    const std::vector<QuilFileEntry> collected = CollectQuilFiles(d);
    std::vector<std::string> names;
    for (const QuilFileEntry& f : collected)
        names.push_back(BatchFileName(f.path));
    EXPECT_EQ(names, (std::vector<std::string>{"a.quil", "b.quil", "c.quil", "d.quil", "e.quil"}));
    EXPECT_EQ(collected.front().path, d + "/a.quil");
    EXPECT_EQ(collected.front().modified, nine);

    // Equal times keep the order they come in, whatever it is.
    std::vector<QuilFileEntry> ties = {{"z", 5}, {"y", 5}, {"x", 4}, {"w", 5}};
    OrderOldestFirst(ties);
    EXPECT_EQ(ties[0].path, "x");
    EXPECT_EQ(ties[1].path, "z");
    EXPECT_EQ(ties[2].path, "y");
    EXPECT_EQ(ties[3].path, "w");
    EXPECT_TRUE(CollectQuilFiles(d + "/missing").empty());
}

TEST(BatchSettings, AnEmptySectionGivesTheDefaults)
{
    MemorySettingsStore store;
    BatchSettings s;
    s.Load(store, "/home/me/pics");
    EXPECT_EQ(s.QuilDir, "/home/me/pics");
    EXPECT_EQ(s.BmpDir, "/home/me/pics");
    EXPECT_EQ(s.Filename, "QuilPic");
    EXPECT_EQ(s.BmpExt, "*.bmp");
    EXPECT_EQ(s.XPixel, 100);
    EXPECT_EQ(s.YPixel, 100);
    EXPECT_EQ(s.KeepAspect, 1);
    EXPECT_EQ(s.AntiAlias, 0);
    EXPECT_EQ(s.Mode, 0);
    EXPECT_TRUE(s.RandomMode());
    EXPECT_EQ(s.NoOverwrite, 1);
    EXPECT_EQ(s.SkipPlain, 0);
    EXPECT_EQ(s.m_nPictureCount, 100u);

    // The bitmap folder defaults to the stored quil folder.
    store.WriteProfileString(kSectionBatch, kBatchValueQuilDir, "/q");
    s.Load(store, "/cwd");
    EXPECT_EQ(s.BmpDir, "/q");
}

TEST(BatchSettings, SizesAreCutAsUnsignedAndOddValuesMadeSound)
{
    MemorySettingsStore store;
    store.WriteProfileInt(kSectionBatch, kBatchValueXPixel, 20000);
    store.WriteProfileInt(kSectionBatch, kBatchValueYPixel, -5);
    store.WriteProfileInt(kSectionBatch, kBatchValueMode, 9);
    store.WriteProfileInt(kSectionBatch, kBatchValueCreateMode, 3);
    store.WriteProfileInt(kSectionBatch, kBatchValueOffset, -1);
    BatchSettings s;
    s.Load(store, "/");
    EXPECT_EQ(s.XPixel, 16384);
    EXPECT_EQ(s.YPixel, 16384);
    EXPECT_EQ(s.Mode, 0);
    EXPECT_TRUE(s.RandomMode());
    EXPECT_EQ(s.offset, 4294967295u);

    s.XPixel = 16385;
    s.YPixel = 16384;
    s.offset = 4000000000u;
    s.SkipPlain = 1;
    s.m_nPictureCount = 7;
    MemorySettingsStore out;
    s.Save(out);
    BatchSettings again;
    again.Load(out, "/elsewhere");
    EXPECT_EQ(again.XPixel, 16384);
    EXPECT_EQ(again.YPixel, 16384);
    EXPECT_EQ(again.offset, 4000000000u);
    EXPECT_EQ(again.QuilDir, "/");
    EXPECT_EQ(again.SkipPlain, 1);
    EXPECT_EQ(again.m_nPictureCount, 100u);  // never stored
    EXPECT_FALSE(out.Contains(kSectionBatch, "m_nPictureCount"));
}

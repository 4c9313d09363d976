// The document without windows: making the expression, reading and writing
// files, Generate random with Undo, edits from labels and the modified flag.

#include "DocumentTestSupport.h"

#include "document/DocumentCore.h"
#include "engine/GenerationSettings.h"
#include "engine/QuilArchive.h"
#include "engine/RandomSource.h"
#include "engine/SettingsStore.h"
#include "tests/engine/SpecialFiles.h"
#include "tests/engine/TestHost.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// A document over a recording host that counts the changes of its modified flag.
class Document : public CDocumentCore {
public:
    explicit Document(RecordingHost& host) : CDocumentCore(host) {}
    int m_nFlagChanges = 0;

protected:
    void OnModifiedChanged(bool) override { ++m_nFlagChanges; }
};

class DocumentCoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() / ("quil-doc-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
        m_settings.InitGenerationSettings(m_store);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string PathOf(const std::string& name) const { return (m_dir / name).string(); }
    std::string Write(const std::string& name, const std::string& content) const
    {
        std::ofstream(PathOf(name), std::ios::binary) << content;
        return PathOf(name);
    }
    static std::string ReadAll(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    fs::path m_dir;
    RecordingHost m_host;
    MemorySettingsStore m_store;
    GenerationSettings m_settings;
    LcgRandomSource m_random{7};
};

}  // namespace

TEST_F(DocumentCoreTest, LogoRandomAndBranch)
{
    Document logo(m_host);
    logo.MakeLogo();
    EXPECT_EQ(Text(*logo.m_pExpression), "rgb[X[],Y[],BW[-1.000000]]");
    EXPECT_FALSE(logo.IsModified());

    Document random(m_host);
    ASSERT_TRUE(random.MakeRandom(m_settings, m_random));
    EXPECT_TRUE(random.IsModified());
    LcgRandomSource again(7);
    CQuilExpression expected;
    expected.Reset();
    expected.GenerateRandom(m_settings, again);
    EXPECT_EQ(Text(*random.m_pExpression), Text(expected));

    // The branch is copied at once: the source may change afterwards.
    Document branch(m_host);
    ASSERT_TRUE(branch.MakeFromBranch(logo.m_pExpression->GetRoot()->pChild[2]));
    logo.MakeLogo();
    logo.m_pExpression->GetRoot()->pChild[2]->dParam[0] = 0.5;
    EXPECT_EQ(Text(*branch.m_pExpression), "BW[-1.000000]");
    EXPECT_TRUE(branch.IsModified());
    EXPECT_FALSE(Document(m_host).MakeFromBranch(nullptr));
}

TEST_F(DocumentCoreTest, WrittenFileReadsBack)
{
    Document doc(m_host);
    ASSERT_TRUE(doc.MakeRandom(m_settings, m_random));
    const std::string path = PathOf("r.quil");
    ASSERT_TRUE(doc.WriteFile(path));
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(ReadAll(path), Text(*doc.m_pExpression));

    Document reader(m_host);
    ASSERT_TRUE(reader.ReadFile(path));
    EXPECT_EQ(Text(*reader.m_pExpression), Text(*doc.m_pExpression));
    EXPECT_FALSE(reader.IsModified());
}

TEST_F(DocumentCoreTest, ReadFailuresComeBackAsValues)
{
    Document doc(m_host);
    const DocResult missing = doc.ReadFile(PathOf("missing.quil"));
    EXPECT_EQ(missing.failure, DocFailure::CannotRead);
    EXPECT_EQ(missing.reason, "No such file or directory");

    const DocResult bad = doc.ReadFile(Write("bad.quil", "sin["));
    EXPECT_EQ(bad.failure, DocFailure::NotAnExpression);
    EXPECT_EQ(doc.m_pExpression->GetRoot()->nKind, -1);

    // A folder and a FIFO are refused at once; the FIFO never blocks the reader.
    EXPECT_EQ(doc.ReadFile(m_dir.string()).failure, DocFailure::CannotRead);
    const std::string fifo = PathOf("fifo.quil");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const DocResult fromFifo = doc.ReadFile(fifo);
    EXPECT_EQ(fromFifo.failure, DocFailure::CannotRead);
    EXPECT_EQ(fromFifo.reason, "It is not a regular file.");
    EXPECT_TRUE(m_host.messages.empty());
}

TEST_F(DocumentCoreTest, FailedWritesKeepTheOldFile)
{
    Document doc(m_host);
    doc.MakeLogo();
    const std::string path = Write("keep.quil", "X[]");
    // A tree the writer refuses: nothing may reach the file.
    doc.m_pExpression->GetRoot()->nKind = 99;
    doc.SetModifiedFlag();
    EXPECT_EQ(doc.WriteFile(path).failure, DocFailure::CannotWrite);
    EXPECT_EQ(ReadAll(path), "X[]");
    EXPECT_TRUE(doc.IsModified());
    doc.m_pExpression->GetRoot()->nKind = KIND_RGBF;

    const DocResult noFolder = doc.WriteFile(PathOf("no/such/dir/a.quil"));
    EXPECT_EQ(noFolder.failure, DocFailure::CannotWrite);
    EXPECT_EQ(noFolder.reason, "No such file or directory");

    // Something that is not a regular file is never replaced, not even through a link.
    const std::string fifo = PathOf("fifo.quil");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(doc.WriteFile(fifo).failure, DocFailure::CannotWrite);
    fs::create_symlink(fifo, PathOf("link.quil"));
    EXPECT_EQ(doc.WriteFile(PathOf("link.quil")).failure, DocFailure::CannotWrite);
    EXPECT_TRUE(fs::is_fifo(fifo));
    EXPECT_TRUE(fs::is_symlink(PathOf("link.quil")));

    // A link to a regular file writes the file and keeps the link.
    fs::create_symlink("keep.quil", PathOf("alias.quil"));
    ASSERT_TRUE(doc.WriteFile(PathOf("alias.quil")));
    EXPECT_TRUE(fs::is_symlink(PathOf("alias.quil")));
    EXPECT_EQ(ReadAll(path), "rgb[X[],Y[],BW[-1.000000]]");
    // No temporary file is left behind.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(m_dir))
        ++entries;
    EXPECT_EQ(entries, 4);  // keep.quil, fifo.quil, link.quil, alias.quil
}

namespace {
// A host whose picture calls find no memory: the engine reaches them while
// it reads a name from a file and while it writes one.
class NoMemoryHost : public RecordingHost {
public:
    std::string SourcePicturePath() const override
    {
        if (failGets)
            throw std::bad_alloc();
        return RecordingHost::SourcePicturePath();
    }
    void SetSourcePicturePath(const std::string&) override { throw std::bad_alloc(); }
    bool failGets = false;
};
}  // namespace

TEST_F(DocumentCoreTest, DevicesHugeFilesAndMemoryFailuresAreReported)
{
    Document doc(m_host);
    const std::string huge = Write("huge.quil", "X[]");
    ASSERT_EQ(::truncate(huge.c_str(), off_t(kMaxQuilFileBytes) + 1), 0);  // sparse
    const DocResult tooLarge = doc.ReadFile(huge);
    EXPECT_EQ(tooLarge.failure, DocFailure::CannotRead);
    EXPECT_EQ(tooLarge.reason, "The file is too large.");

    NoMemoryHost noMemory;
    Document starved(noMemory);
    EXPECT_EQ(starved.ReadFile(Write("pic.quil", "sin[PIC[p.png]]")).failure, DocFailure::NoMemory);
    EXPECT_EQ(starved.m_pExpression->GetRoot()->nKind, -1);
    Document writer(noMemory);
    ASSERT_TRUE(writer.ReadFile(Write("plain.quil", "sin[PIC[]]")));
    noMemory.failGets = true;
    const std::string kept = Write("kept.quil", "X[]");
    EXPECT_EQ(writer.WriteFile(kept).failure, DocFailure::NoMemory);
    EXPECT_EQ(ReadAll(kept), "X[]");
    EXPECT_EQ(noMemory.Count("No memory"), 2);

    const std::string zero = PathOf("zero.quil");
    if (!special_files::MakeCharDevice(zero, 1, 5))
        GTEST_SKIP() << "no device node can be made here";
    // Endless: a reader that took it would read until the size bound.
    const DocResult fromDevice = doc.ReadFile(zero);
    EXPECT_EQ(fromDevice.failure, DocFailure::CannotRead);
    EXPECT_EQ(fromDevice.reason, "It is not a regular file.");
    EXPECT_EQ(doc.WriteFile(zero).failure, DocFailure::CannotWrite);
    EXPECT_TRUE(special_files::IsCharDevice(zero));
}

TEST_F(DocumentCoreTest, RegenerateTwiceThenUndoTwiceRestores)
{
    Document doc(m_host);
    doc.MakeLogo();
    const CQuilExpression* logo = doc.m_pExpression.get();
    doc.Regenerate(m_settings, m_random);
    const std::string first = Text(*doc.m_pExpression);
    doc.Regenerate(m_settings, m_random);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.UndoHistory().Size(), 2u);

    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(Text(*doc.m_pExpression), first);
    ASSERT_TRUE(doc.Undo());
    EXPECT_EQ(doc.m_pExpression.get(), logo);  // the very object, not a copy
    EXPECT_EQ(Text(*doc.m_pExpression), "rgb[X[],Y[],BW[-1.000000]]");
    EXPECT_FALSE(doc.Undo());
    EXPECT_TRUE(doc.IsModified());  // Undo leaves the flag alone
}

TEST_F(DocumentCoreTest, EditsFromLabels)
{
    Document doc(m_host);
    doc.MakeLogo();
    const std::string logo = Text(*doc.m_pExpression);
    EXPECT_EQ(doc.ExpressionFromLabels({{"RGB(0.5, 1.2, 0)", 0}}).failure, DocFailure::NotAccepted);
    EXPECT_EQ(Text(*doc.m_pExpression), logo);
    EXPECT_FALSE(doc.IsModified());

    // A snapshot target leaves the document and its flag alone.
    CQuilExpression snapshot;
    snapshot.Reset();
    ASSERT_TRUE(doc.ExpressionFromLabels({{"X", 0}}, &snapshot));
    EXPECT_EQ(Text(snapshot), "X[]");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(Text(*doc.m_pExpression), logo);

    // Renaming "sin" with one child to "plus" gives plus(child, black).
    ASSERT_TRUE(doc.ExpressionFromLabels({{"plus", 1}, {"X", 0}}));
    EXPECT_EQ(Text(*doc.m_pExpression), "plus[X[],RGB[0.000000,0.000000,0.000000]]");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.m_nFlagChanges, 1);
}

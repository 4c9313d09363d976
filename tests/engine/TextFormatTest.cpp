// The ".quil" reader and writer: the examples, the failures, round trips and picture paths.

#include "TestHost.h"

#include "engine/GenerationSettings.h"
#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"
#include "engine/RandomSource.h"
#include "engine/SettingsStore.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {
struct ReadResult {
    bool ok;
    std::string text;  // written back
};

// Reads text as a document does (the file at filePath) and writes it back.
ReadResult ReadBack(const std::string& text, RecordingHost& host, const std::string& filePath = "/art/a.quil")
{
    CQuilExpression e(&host);
    StringArchive in(text, filePath);
    if (!e.ReadExpression(in))
        return {false, {}};
    StringArchive out({}, filePath);
    EXPECT_EQ(e.WriteExpression(out), 1);
    return {true, out.Output()};
}

std::string Canon(const std::string& text)
{
    RecordingHost host;
    ReadResult r = ReadBack(text, host);
    return r.ok ? r.text : "<fail>";
}

bool Reads(const std::string& text)
{
    RecordingHost host;
    return ReadBack(text, host).ok;
}

const ExprNode* ReadRoot(CQuilExpression& e, const std::string& text)
{
    StringArchive in(text, "/x/a.quil");
    return e.ReadExpression(in);
}
}  // namespace

TEST(TextFormat, WritesTheDefaultExpression)
{
    CQuilExpression e;
    e.Reset();
    e.SetDefault();
    StringArchive out;
    e.WriteNode(out, e.GetRoot());
    EXPECT_EQ(out.Output(), "rgb[X[],Y[],BW[-1.000000]]");
}

TEST(TextFormat, ExamplesReadAndWriteBack)
{
    EXPECT_EQ(Canon("plus[sin[R2C[0.250000,-0.500000,]],SPIRC[0.100000,0.200000,-0.300000]]"),
              "plus[sin[R2C[0.250000,-0.500000,]],SPIRC[0.100000,0.200000,-0.300000]]");
    EXPECT_EQ(Canon("rgb [X[ ], Y[],BW[ -1.0 ]]"), "rgb[X[],Y[],BW[-1.000000]]");
    EXPECT_EQ(Canon("rgb [X[ ], Y[],BW[ -1.0 ]]\n"), "rgb[X[],Y[],BW[-1.000000]]");
    EXPECT_EQ(Canon("rgb[X[],Y[],BW[-1.0]]trailing junk"), "rgb[X[],Y[],BW[-1.000000]]");
    EXPECT_EQ(Canon("Const[0.1,0.2,0.3]"), "RGB[0.100000,0.200000,0.300000]");
    EXPECT_EQ(Canon("+[X[],Y[]]"), "plus[X[],Y[]]");
    EXPECT_EQ(Canon("*[X[],Y[]]"), "times[X[],Y[]]");
    EXPECT_EQ(Canon("BW[1.000000]"), "BW[1.000000]");
    EXPECT_EQ(Canon("BW[-1]"), "BW[-1.000000]");
    EXPECT_EQ(Canon("BW[abc]"), "BW[0.000000]");
    EXPECT_EQ(Canon("BW[0.1234567]"), "BW[0.123457]");
    EXPECT_EQ(Canon("SPIR[0.3]"), "SPIR[0.300000]");
    EXPECT_EQ(Canon("sin[X[],Y[]]"), "sin[X[],Y[]]");  // extra children are kept, never read
}

TEST(TextFormat, TerminalParametersFillAllThree)
{
    CQuilExpression e;
    const ExprNode* n = ReadRoot(e, "R2C[0.250000,-0.500000,]");
    ASSERT_TRUE(n);
    EXPECT_EQ(n->dParam[0], 0.25);
    EXPECT_EQ(n->dParam[1], -0.5);
    EXPECT_EQ(n->dParam[2], 0.0);
    n = ReadRoot(e, "R2C[0.25,-0.5]");
    ASSERT_TRUE(n);
    EXPECT_EQ(n->dParam[1], -0.5);
    EXPECT_EQ(n->dParam[2], 0.25);
    n = ReadRoot(e, "BW[0.5]");
    EXPECT_EQ(n->dParam[0], 0.5);
    EXPECT_EQ(n->dParam[1], 0.5);
    EXPECT_EQ(n->dParam[2], 0.5);
    n = ReadRoot(e, "X[]");
    EXPECT_EQ(n->dParam[1], 0.0);
    EXPECT_EQ(n->nChildren, 0);
}

TEST(TextFormat, SyntaxErrorsFail)
{
    const char* bad[] = {
        "BW[1.5]",                    // |value| > 1
        "BW[nan]",                    // not a number at all
        "BW[inf]",
        "sin[X[]",                    // missing "]"
        "Sin[X[]]",                   // names are case-sensitive
        "plus[X[],Y[],R[],PHI[]]",    // a fourth child
        "rgb[X[] ,Y[],BW[-1]]",       // blank after a child's "]"
        "foo[]",
        "",
        "   ",
        "sin[0.5]",                   // a number where a node belongs
        "0.5]",
        "plus[X[]]",                  // fewer children than the kind reads
        "sin[]",
        "BW[X[]]",                    // a node inside a terminal's body
        "rgb[X[],Y[],BW[0.1,0.2,0.3,0.4]]",
        "X[",
    };
    for (const char* text : bad)
        EXPECT_FALSE(Reads(text)) << text;
    // An overlong token.
    EXPECT_FALSE(Reads("BW[0." + std::string(300, '1') + "]"));
    EXPECT_TRUE(Reads("BW[0." + std::string(250, '1') + "]"));
}

TEST(TextFormat, NestingIsBoundedInsteadOfOverflowingTheStack)
{
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "neg[";
    deep += "X[]";
    for (int i = 0; i < 100000; ++i)
        deep += "]";
    EXPECT_FALSE(Reads(deep));

    std::string fits;
    for (int i = 0; i < 1000; ++i)
        fits += "neg[";
    fits += "X[]";
    for (int i = 0; i < 1000; ++i)
        fits += "]";
    EXPECT_TRUE(Reads(fits));
}

TEST(TextFormat, PictureNameGoesIntoTheFirstPicNodeOnly)
{
    RecordingHost host;
    host.path = "/art/pics/p.jpg";
    CQuilExpression e(&host);
    ASSERT_TRUE(ReadRoot(e, "rgb[PIC[],sin[PIC[]],PIC[]]"));
    StringArchive out({}, "/art/a.quil");
    e.WriteExpression(out);
    EXPECT_EQ(out.Output(), "rgb[PIC[pics/p.jpg],sin[PIC[]],PIC[]]");

    // Reading it elsewhere sets the path once, made absolute against the new folder.
    RecordingHost other;
    CQuilExpression f(&other);
    StringArchive in(out.Output(), "/copy/a.quil");
    ASSERT_TRUE(f.ReadExpression(in));
    EXPECT_EQ(f.m_bUsesPicture, 1);
    EXPECT_EQ(f.PictureName(), "/copy/pics/p.jpg");
    EXPECT_EQ(other.path, "/copy/pics/p.jpg");
    EXPECT_EQ(other.pathSets, 1);
    EXPECT_TRUE(other.loadPending);
}

TEST(TextFormat, PictureNameRules)
{
    // Locked: the name is remembered but the program's picture stays.
    RecordingHost locked;
    locked.locked = true;
    locked.path = "/old.png";
    CQuilExpression e(&locked);
    StringArchive in("PIC[/new.png]", "/a/b.quil");
    ASSERT_TRUE(e.ReadExpression(in));
    EXPECT_EQ(locked.path, "/old.png");
    EXPECT_FALSE(locked.loadPending);
    EXPECT_EQ(e.PictureName(), "/new.png");

    // The same picture as loaded: nothing to load again.
    RecordingHost same;
    same.path = "/a/pics/p.png";
    CQuilExpression f(&same);
    StringArchive in2("PIC[pics/p.png]", "/a/b.quil");
    ASSERT_TRUE(f.ReadExpression(in2));
    EXPECT_FALSE(same.loadPending);

    // An empty name keeps the loaded picture.
    RecordingHost empty;
    empty.path = "/a/pics/p.png";
    CQuilExpression g(&empty);
    StringArchive in3("PIC[]", "/a/b.quil");
    ASSERT_TRUE(g.ReadExpression(in3));
    EXPECT_EQ(empty.path, "/a/pics/p.png");
    EXPECT_FALSE(empty.loadPending);
    EXPECT_EQ(g.m_bUsesPicture, 1);

    // Names keep their blanks.
    RecordingHost blanks;
    CQuilExpression h(&blanks);
    StringArchive in4("PIC[my pics/a b.png]", "/a/b.quil");
    ASSERT_TRUE(h.ReadExpression(in4));
    EXPECT_EQ(blanks.path, "/a/my pics/a b.png");
}

TEST(TextFormat, PictureNameLength)
{
    RecordingHost host;
    const std::string ok = "PIC[/" + std::string(1022, 'p') + "]";
    EXPECT_TRUE(ReadBack(ok, host).ok);
    EXPECT_TRUE(host.messages.empty());
    const std::string tooLong = "PIC[/" + std::string(1023, 'p') + "]";
    EXPECT_FALSE(ReadBack(tooLong, host).ok);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Filename of picture too long");
}

TEST(TextFormat, UnwritablePictureNamesAreLeftOut)
{
    // A name with "," or "]" would be read back as another file.
    RecordingHost host;
    host.path = "/art/a,b.png";
    CQuilExpression e(&host);
    e.Reset();
    ASSERT_TRUE(ReadRoot(e, "sin[PIC[]]"));
    StringArchive out({}, "/art/x.quil");
    e.WriteExpression(out);
    EXPECT_EQ(out.Output(), "sin[PIC[]]");
}

TEST(TextFormat, RelativeAndAbsolutePaths)
{
    using E = CQuilExpression;
    EXPECT_EQ(E::MakeRelativePath("/art/pics/p.jpg", "/art/a.quil"), "pics/p.jpg");
    EXPECT_EQ(E::MakeRelativePath("/p.jpg", "/art/a.quil"), "/p.jpg");
    EXPECT_EQ(E::MakeRelativePath("/artwork/p.jpg", "/art/a.quil"), "/artwork/p.jpg");  // must end at a separator
    EXPECT_EQ(E::MakeRelativePath("/Art/p.jpg", "/art/a.quil"), "/Art/p.jpg");          // case counts here
    EXPECT_EQ(E::MakeRelativePath("/art/p.jpg", "a.quil"), "/art/p.jpg");
    EXPECT_EQ(E::MakeRelativePath("", "/art/a.quil"), "");

    EXPECT_EQ(E::MakeAbsolutePath("pics/p.jpg", "/copy/a.quil"), "/copy/pics/p.jpg");
    EXPECT_EQ(E::MakeAbsolutePath("/p.jpg", "/copy/a.quil"), "/p.jpg");
    EXPECT_EQ(E::MakeAbsolutePath("", "/copy/a.quil"), "");
    EXPECT_EQ(E::MakeAbsolutePath("D:\\p.jpg", "/copy/a.quil"), "D:\\p.jpg");
    EXPECT_EQ(E::MakeAbsolutePath("\\\\server\\p.jpg", "/copy/a.quil"), "\\\\server\\p.jpg");
    // Written on Windows: backslashes and a leading backslash for a relative name.
    EXPECT_EQ(E::MakeAbsolutePath("\\pics\\p.jpg", "/copy/a.quil"), "/copy/pics/p.jpg");
    EXPECT_EQ(E::MakeAbsolutePath("p.jpg", "a.quil"), "p.jpg");

    // Round trip through two folders.
    const std::string rel = E::MakeRelativePath("/art/pics/p.jpg", "/art/a.quil");
    EXPECT_EQ(E::MakeAbsolutePath(rel, "/copy/a.quil"), "/copy/pics/p.jpg");
}

TEST(TextFormat, GeneratedTreesRoundTrip)
{
    MemorySettingsStore store;
    GenerationSettings s;
    s.InitGenerationSettings(store);
    s.m_dProb[KIND_CROSS] = 0.05;  // every kind takes part
    s.m_dProb[KIND_PIC] = 0.05;
    LcgRandomSource random(2024);
    RecordingHost host;
    host.path = "/art/p.png";
    for (int i = 0; i < 300; ++i) {
        CQuilExpression e(&host);
        e.Reset();
        ASSERT_EQ(e.GenerateRandom(s, random), 1);
        StringArchive first({}, "/art/a.quil");
        ASSERT_EQ(e.WriteExpression(first), 1);

        CQuilExpression back(&host);
        StringArchive in(first.Output(), "/art/a.quil");
        ASSERT_TRUE(back.ReadExpression(in)) << first.Output();
        StringArchive second({}, "/art/a.quil");
        back.WriteExpression(second);
        ASSERT_EQ(first.Output(), second.Output());
        EXPECT_EQ(back.m_bUsesPicture, e.m_bUsesPicture);
    }
}

TEST(TextFormat, NumbersIgnoreTheUserLocale)
{
    // A locale whose decimal separator is a comma, made on the spot if the system lacks one.
    const char* names[] = {"de_DE.UTF-8", "de_DE.utf8", "de_DE"};
    bool set = false;
    for (const char* n : names)
        if (std::setlocale(LC_ALL, n)) {
            set = true;
            break;
        }
    if (!set) {
        const auto dir = std::filesystem::temp_directory_path() / "quil-locales";
        std::filesystem::create_directories(dir);
        const std::string cmd = "localedef -i de_DE -f UTF-8 " + (dir / "de_DE.UTF-8").string() + " >/dev/null 2>&1";
        if (std::system(cmd.c_str()) == 0) {
            setenv("LOCPATH", dir.c_str(), 1);
            set = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
        }
    }
    if (!set)
        GTEST_SKIP() << "no locale with a decimal comma can be made here";
    char probe[32];
    std::snprintf(probe, sizeof probe, "%f", 0.5);
    EXPECT_STREQ(probe, "0,500000");  // the C library would write a comma now

    EXPECT_EQ(Canon("rgb[BW[0.5],RGB[0.25,-0.125,1],SPIR[-0.75]]"),
              "rgb[BW[0.500000],RGB[0.250000,-0.125000,1.000000],SPIR[-0.750000]]");
    CQuilExpression e;
    const ExprNode* n = ReadRoot(e, "BW[0.5]");
    ASSERT_TRUE(n);
    EXPECT_EQ(n->dParam[0], 0.5);
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
}

// Picture names in ".quil" files on this system: a name is absolute when it
// begins with "/", relative names are cleaned and kept only when they read
// back as the same file, and names from Windows files read as before.

#include "TestHost.h"

#include "engine/QuilArchive.h"
#include "engine/QuilExpression.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using E = CQuilExpression;

// Saves sin[PIC[]] as filePath with the picture loaded, reads the text back
// as readPath and returns the text and the picture the reader names.
struct RoundTrip {
    std::string text;
    std::string picture;
};

RoundTrip SaveAndRead(const std::string& picture, const std::string& filePath, const std::string& readPath)
{
    RecordingHost host;
    host.path = picture;
    CQuilExpression e(&host);
    StringArchive source("sin[PIC[]]", filePath);
    EXPECT_NE(e.ReadExpression(source), nullptr);
    StringArchive out({}, filePath);
    EXPECT_EQ(e.WriteExpression(out), 1);
    RecordingHost reader;
    CQuilExpression back(&reader);
    StringArchive in(out.Output(), readPath);
    EXPECT_NE(back.ReadExpression(in), nullptr) << out.Output();
    return {out.Output(), reader.path};
}

std::string Normal(const std::string& path) { return std::filesystem::path(path).lexically_normal().string(); }

}  // namespace

TEST(PictureNames, AColonIsNoDriveLetter)
{
    const RoundTrip shot = SaveAndRead("/home/me/dir/shot 12:30.png", "/home/me/dir/c.quil", "/home/me/dir/c.quil");
    EXPECT_EQ(shot.text, "sin[PIC[shot 12:30.png]]");
    EXPECT_EQ(shot.picture, "/home/me/dir/shot 12:30.png");
    // Only the drive forms of Windows names are absolute.
    EXPECT_EQ(E::MakeAbsolutePath("C:\\art\\p.jpg", "/copy/a.quil"), "C:\\art\\p.jpg");
    EXPECT_EQ(E::MakeAbsolutePath("c:/art/p.jpg", "/copy/a.quil"), "c:/art/p.jpg");
    EXPECT_EQ(E::MakeAbsolutePath("C:p.jpg", "/copy/a.quil"), "/copy/C:p.jpg");
    EXPECT_EQ(E::MakeAbsolutePath("12:30/p.jpg", "/copy/a.quil"), "/copy/12:30/p.jpg");
}

TEST(PictureNames, NamesAreCleanedBeforeTheyAreMadeRelative)
{
    const RoundTrip doubled = SaveAndRead("/home/me/dir//p.png", "/home/me/dir/c.quil", "/home/me/dir/c.quil");
    EXPECT_EQ(doubled.text, "sin[PIC[p.png]]");
    EXPECT_EQ(doubled.picture, "/home/me/dir/p.png");
    EXPECT_EQ(E::MakeRelativePath("/home/me/dir/./pics/../p.png", "/home/me/dir/c.quil"), "p.png");
    EXPECT_EQ(E::MakeRelativePath("/home/me/other/../dir/pics/p.png", "/home/me/dir/c.quil"), "pics/p.png");
    EXPECT_EQ(E::MakeRelativePath("/home//me/other/p.png", "/home/me/dir/c.quil"), "/home/me/other/p.png");
    EXPECT_EQ(E::MakeRelativePath("/home/me/dir/p.png", "/home//me/dir/./c.quil"), "p.png");
    EXPECT_EQ(E::MakeRelativePath("/p.png", "/c.quil"), "p.png");
    EXPECT_EQ(E::MakeAbsolutePath("p.png", "/c.quil"), "/p.png");
    EXPECT_EQ(E::MakeAbsolutePath("pics/../p.png", "/art//a.quil"), "/art/p.png");
}

TEST(PictureNames, BackslashesInNamesOfThisSystemAreNoSeparators)
{
    // Relative, "a\b.png" would be read as the Windows name a/b.png.
    const RoundTrip backslash = SaveAndRead("/art/a\\b.png", "/art/x.quil", "/art/x.quil");
    EXPECT_EQ(backslash.text, "sin[PIC[/art/a\\b.png]]");
    EXPECT_EQ(backslash.picture, "/art/a\\b.png");
    // A folder named like a drive or a network path stays absolute too.
    EXPECT_EQ(E::MakeRelativePath("/art/c:/p.png", "/art/x.quil"), "/art/c:/p.png");
    EXPECT_EQ(E::MakeRelativePath("/art/\\\\srv/p.png", "/art/x.quil"), "/art/\\\\srv/p.png");
    // A backslash in the folder of the file is part of the folder's name.
    EXPECT_EQ(E::MakeAbsolutePath("p.png", "/art/a\\b/x.quil"), "/art/a\\b/p.png");
    // Windows files keep their reading.
    EXPECT_EQ(E::MakeAbsolutePath("\\pics\\p.jpg", "/copy/a.quil"), "/copy/pics/p.jpg");
}

TEST(PictureNames, WritingAndReadingBackNameTheSameFile)
{
    const char* parts[] = {"a", "b c", "12:30", "x\\y", "\\", "..", ".", "", "C:", "\\\\s", "p.png", " "};
    const char* files[] = {"/art/a.quil", "/a.quil", "/a b/c d/e.quil", "/art//x/../a.quil"};
    int relative = 0;
    for (const char* file : files)
        for (const char* first : parts)
            for (const char* second : parts) {
                const std::string folder = Normal(std::string(file).substr(0, std::string(file).rfind('/') + 1));
                for (const std::string& picture :
                     {folder + "/" + first + "/" + second + ".png", "/elsewhere/" + std::string(first) + second}) {
                    const RoundTrip trip = SaveAndRead(picture, file, file);
                    ASSERT_EQ(trip.picture, Normal(picture)) << picture << " in " << file << ": " << trip.text;
                    relative += trip.text.rfind("sin[PIC[/", 0) != 0;
                }
            }
    EXPECT_GT(relative, 100);  // most names in the file's folder stay relative
}

TEST(PictureNames, NamesTheReaderCannotTakeAreLeftOut)
{
    // Longer than the reader takes: the file would not open again.
    const std::string deep = "/pics/" + std::string(1100, 'p') + ".png";
    EXPECT_EQ(SaveAndRead(deep, "/art/a.quil", "/art/a.quil").text, "sin[PIC[]]");
    const std::string longest = "/" + std::string(1022, 'p');
    EXPECT_EQ(SaveAndRead(longest, "/art/a.quil", "/art/a.quil").picture, longest);
    // In the folder the relative name is short enough.
    const std::string near = "/art/" + std::string(1020, 'p');
    EXPECT_EQ(SaveAndRead(near, "/art/a.quil", "/art/a.quil").picture, near);
}

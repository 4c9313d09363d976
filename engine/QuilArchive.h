#pragma once
// The archive that the ".quil" reader and writer work on: one character at a
// time in, text out, and the full path of the file being read or written
// (picture names are stored relative to its folder).

#include <cstddef>
#include <string>
#include <string_view>

class QuilArchive {
public:
    virtual ~QuilArchive() = default;
    // The next character as 0..255, or -1 at the end of input.
    virtual int ReadChar() = 0;
    virtual void WriteText(std::string_view text) = 0;
    virtual std::string FilePath() const = 0;
    // A recipe travels inside a picture: its source picture's name keeps no
    // folder outside the picture's own.
    virtual bool IsRecipe() const { return false; }
};

// An archive over a string: reads from the given text, collects what is written.
class StringArchive : public QuilArchive {
public:
    explicit StringArchive(std::string input = {}, std::string filePath = {})
        : m_strInput(std::move(input)), m_strFilePath(std::move(filePath)) {}
    int ReadChar() override
    {
        if (m_nPos >= m_strInput.size())
            return -1;
        return static_cast<unsigned char>(m_strInput[m_nPos++]);
    }
    void WriteText(std::string_view text) override { m_strOutput.append(text); }
    std::string FilePath() const override { return m_strFilePath; }

    const std::string& Output() const { return m_strOutput; }
    size_t CharsRead() const { return m_nPos; }

private:
    std::string m_strInput;
    std::string m_strFilePath;
    std::string m_strOutput;
    size_t m_nPos = 0;
};

// The text a saved picture carries, written as the ".quil" file at the
// picture's own path would be, except that a source picture outside its
// folder goes in by its file name alone: whoever opens the picture finds
// the source beside it, and no one learns the folders it came from.
class RecipeArchive : public StringArchive {
public:
    explicit RecipeArchive(std::string picturePath) : StringArchive({}, std::move(picturePath)) {}
    bool IsRecipe() const override { return true; }
};

// The largest ".quil" file read: above the text of the largest tree the node
// pool can hold (about 38 million nodes of at most 37 characters), so that
// only a file that could never become a tree is refused for its size.
constexpr size_t kMaxQuilFileBytes = size_t(2) << 30;

// Reads a whole regular file of at most maxBytes into a StringArchive.
// Returns false (with the reason for the person) when it cannot be read.
bool LoadFileArchive(const std::string& path, StringArchive& archive, std::string* reason = nullptr,
                     size_t maxBytes = kMaxQuilFileBytes);

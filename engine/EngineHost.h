#pragma once
// What the expression engine needs of the program around it: the message
// boxes it shows and the application-wide source-picture state it reads and
// sets while reading and generating. The application implements it over its
// main window, quil-cli for a terminal, the tests to record what happened.

#include <string>

enum class MessageIcon { Information, Warning, Error };

class EngineHost {
public:
    virtual ~EngineHost() = default;

    // A modal message box with an OK button.
    virtual void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) = 0;

    // The file of the loaded source picture; empty when none is loaded.
    virtual std::string SourcePicturePath() const = 0;
    virtual void SetSourcePicturePath(const std::string& path) = 0;
    // While set, opened files do not change the source picture.
    virtual bool PictureLocked() const = 0;
    // Asks the opener to load the (new) source picture once the file is open.
    virtual void SetPictureLoadPending(bool pending) = 0;
    // Makes sure a source picture buffer exists (black at the display size),
    // so that a generated picture terminal reads black.
    virtual void EnsureSourcePicture() = 0;
};

// A host that remembers the path and flags and ignores messages. It is what an
// expression uses until the program installs its own host.
class SilentEngineHost : public EngineHost {
public:
    void ShowMessage(const std::string&, const std::string&, MessageIcon) override {}
    std::string SourcePicturePath() const override { return m_strPath; }
    void SetSourcePicturePath(const std::string& path) override { m_strPath = path; }
    bool PictureLocked() const override { return m_bLocked; }
    void SetPictureLoadPending(bool pending) override { m_bLoadPending = pending; }
    void EnsureSourcePicture() override { m_bSourceEnsured = true; }

    std::string m_strPath;
    bool m_bLocked = false;
    bool m_bLoadPending = false;
    bool m_bSourceEnsured = false;
};

// The host that new expressions use when none is given. The program sets it
// once at start-up, on the user-interface thread.
EngineHost& DefaultEngineHost();
void SetDefaultEngineHost(EngineHost* host);  // nullptr restores the silent host

// Captions of the program's message boxes.
inline constexpr const char* kCaptionQuil = "Quil";
inline constexpr const char* kCaptionQUIL = "QUIL";

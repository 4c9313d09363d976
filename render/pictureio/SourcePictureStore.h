#pragma once
// SourcePictureStore keeps the application-wide source picture that "PIC"
// reads: loading it from a file, the black picture when none is loaded, and
// the stretched copies for the views and the thumbnails, cached per size.
// It knows no window: commands, the status pane and the recalculation of
// documents belong to the application, which reads StatusText() and calls in.
//
// Every picture leaves the store as a std::shared_ptr<const Picture> that is
// never changed afterwards: a rebuild makes a new picture, so a job that holds
// one keeps reading it unchanged while the store moves on. UI thread only.

#include "render/DisplayDefaults.h"
#include "render/Picture.h"

#include <QImage>

#include <memory>
#include <string>

class EngineHost;

enum LoadSourcePictureResult : int {
    kLoadPictureOk = 0,
    kLoadPictureFailed = -1,  // the file could not be read
    kLoadPictureLocked = -2,  // PictureLocked is set
    kLoadPictureNoPath = -3,  // no path to load
};

// Largest image the decoders may allocate, in MiB. A file whose decoded
// size passes it is refused as unreadable instead of exhausting memory.
constexpr int kDecodeLimitMiB = 2048;

class SourcePictureStore {
public:
    // Messages go to host's message boxes; nullptr uses DefaultEngineHost().
    explicit SourcePictureStore(EngineHost* host = nullptr);

    // Loads SourcePicturePath(). Sides above 16384 are cut (not scaled) with
    // a message; a file that cannot be read (a FIFO, a device or a folder
    // among them, refused at once) is reported, empties the path and leaves
    // the black picture; so does a picture the memory cannot hold ("No
    // memory"). Returns a LoadSourcePictureResult.
    int LoadSourcePicture();
    // "Unload picture": the black picture of the display size, no path.
    void UnloadPicture();

    const std::string& SourcePicturePath() const { return m_strPath; }
    void SetSourcePicturePath(const std::string& path) { m_strPath = path; }
    bool PictureLocked() const { return m_bLocked; }
    void SetPictureLocked(bool locked) { m_bLocked = locked; }
    // Size of the black picture shown when none is loaded.
    void SetDisplaySize(int width, int height);

    // True after a successful load, until the next unload or failed load.
    bool IsLoaded() const { return m_bLoaded; }
    // The picture at its loaded size (cut to 16384), or the black picture.
    std::shared_ptr<const Picture> SourcePicture() const { return m_pSource; }
    // Size as read from the file, before any cut; 0 x 0 when none is loaded.
    int LoadedWidth() const { return m_nLoadedWidth; }
    int LoadedHeight() const { return m_nLoadedHeight; }
    // The status pane text: "PIC (%d x %d): %s" or "No picture loaded".
    std::string StatusText() const;

    // The picture stretched over width x height (nearest pixel: rows and
    // columns dropped or repeated, never blended), rebuilt only when the size
    // changes. A null pointer when the memory cannot be had.
    std::shared_ptr<const Picture> GetScaledPicture(int width, int height);
    std::shared_ptr<const Picture> GetThumbPicture(int side);

    // Limits for a thumbnailer that runs unattended on any file: decoders
    // may take at most limitMiB, a picture larger than that is decoded at
    // side x side, and vector pictures are refused.
    void SetThumbnailBudget(int side, int limitMiB)
    {
        m_nBudgetSide = side;
        m_nBudgetMiB = limitMiB;
    }

private:
    // Reads and decodes the file at m_strPath into the store; false when it
    // is no regular file or cannot be decoded. May throw std::bad_alloc.
    bool LoadFromFile();
    std::shared_ptr<const Picture> Stretch(int width, int height) const;
    void MakeBlack();

    EngineHost* m_pHost;
    std::string m_strPath;
    bool m_bLocked = false;
    bool m_bLoaded = false;
    int m_nDisplayWidth = kDefaultDisplaySide;
    int m_nDisplayHeight = kDefaultDisplaySide;
    int m_nLoadedWidth = 0;
    int m_nLoadedHeight = 0;
    int m_nBudgetSide = 0;  // 0: no thumbnail budget
    int m_nBudgetMiB = 0;
    std::shared_ptr<const Picture> m_pSource;
    // The whole decoded picture, kept only when the source had to be cut: the
    // stretched copies show all of it.
    QImage m_uncut;
    std::shared_ptr<const Picture> m_pScaled;
    std::shared_ptr<const Picture> m_pThumb;
};

// Stretches src over a new width x height picture, nearest pixel: output
// column c takes source column floor((2c + 1) x srcWidth / (2 x width)), rows
// alike. Sources are 32-bit words, strideWords apart; the top byte is cleared.
bool StretchNearest(const uint32_t* src, int srcWidth, int srcHeight, size_t strideWords, Picture& out, int width,
                    int height);

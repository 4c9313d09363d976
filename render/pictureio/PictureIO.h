#pragma once
// Picture files: saving through Qt's image encoders (the type chosen by the
// file name's extension), the lists of writable and readable types and the
// conversions between Picture and QImage. QtGui only; no widgets.

#include "render/Picture.h"

#include "engine/FileAccess.h"

#include <QImage>

#include <memory>
#include <string>
#include <vector>

// One file type of an encoder or decoder.
struct PictureFileType {
    std::string description;              // e.g. "PNG image"
    std::vector<std::string> extensions;  // without "*.", e.g. "jpg", "jpeg", "jpe"
    std::string format;                   // the Qt format name that handles it

    // "*.jpg;*.jpeg;*.jpe"
    std::string PatternList() const;
};

// SavePicture results: 0 is success, every other value a failure.
enum SavePictureResult : int {
    kSaveOk = 0,
    kSaveUnknownType = 1,    // no encoder lists the extension
    kSaveEmptyPicture = 2,   // nothing to save (a 0 side)
    kSaveOpenFailed = 3,     // the file cannot be created
    kSaveEncoderFailed = 4,  // the encoder refused or failed
    kSaveCommitFailed = 5,   // the finished file could not take the place of the old one
    kSaveNotAFile = 6,       // the name (or its link's target) is neither a regular file nor new
    kSaveNoMemory = 7,       // the encoder's memory could not be had
    kSaveExists = 8,         // the name exists and replace was not asked for
};

// Saves the picture in the format that the file name's extension names (any
// case), without alpha and with the encoder's defaults. A symbolic link is
// followed to its target, which must be a regular file that may be written
// or a name that does not exist yet (ResolveSaveTarget). The file is written
// unnamed beside its final place and takes that place only once all of it is
// on the disk, so a failure never destroys an existing file and leaves
// nothing behind. Without replace, an existing name is refused by that last
// step (kSaveExists). Returns 0 on success, a SavePictureResult otherwise;
// reason (when given) says why where the system does. A recipe (the
// expression's ".quil" text) goes into the file's text metadata where the
// type takes text.
int SavePicture(const Picture& picture, const std::string& fileName, std::string* reason = nullptr,
                const std::string& recipe = {}, bool replace = true);
// The first half of SavePicture: the picture written and on the disk in
// file, which the caller then places (CSafeFileWriter::Place), so that
// several files can be kept or refused together.
int WritePictureFile(const Picture& picture, const std::string& fileName, CSafeFileWriter& file,
                     std::string* reason = nullptr, const std::string& recipe = {});
// A line for a failure code, for logs and the command line.
const char* SavePictureErrorText(int result);

// The message for a save that failed: "Can not save bitmap "NAME"" and, on
// a second line in brackets, the reason (or the failure code's line).
std::string SaveFailureMessage(const std::string& fileName, int result, const std::string& reason);

// The writable types, icon types left out, sorted by description.
std::vector<PictureFileType> WritablePictureTypes();
// The writable types that keep a picture's colours: those the save dialogs
// and the batch offer. A 1-bit or grey-only writer (PBM, PGM, XBM, WBMP)
// would drop them silently; it still writes a name given with its extension.
std::vector<PictureFileType> ColourPictureTypes();
// The readable types, sorted by description; icon types only when asked for.
std::vector<PictureFileType> ReadablePictureTypes(bool withIconTypes);

// The types "Load picture..." offers: first one entry that lists every
// readable pattern (kAllPicturesDescription), so that pictures of any type
// show at once, then each readable type, icon types included.
inline constexpr const char* kAllPicturesDescription = "All pictures";
std::vector<PictureFileType> PictureLoadTypes();

// Filter strings: one entry per type, "description (patterns)|patterns",
// entries separated by '|', patterns by ';'. The exporter's are the colour types.
std::string ExporterFilter();
// Every readable type, icon types included ("Load picture..." offers them).
std::string ImporterFilter();
// The same lists in the form a Qt file dialog takes: "description (*.a *.b);;...".
std::string DialogFilter(const std::vector<PictureFileType>& types);

// True when SavePicture can write a file with this extension (any case).
bool IsWritableExtension(const std::string& extension);

// 1 when a readable type other than an icon type lists the extension (given
// without the dot, any case), else 0.
int IsPictureExtension(const std::string& extension);

// The extension of a file name: the text after the last '.' of its last
// path component, or "" when it has none.
std::string FileExtension(const std::string& fileName);

// A QImage over the picture's own memory (no copy): valid only while the
// picture lives and is not resized. Format_RGB32; the unused top byte is 0,
// which Qt's encoders ignore.
QImage WrapPicture(const Picture& picture);
// The picture handed over as an image without a copy: the image shares the
// picture's memory and keeps it alive. Every word gets the top byte 0xff that
// Format_RGB32 promises, so whoever reads the image (the clipboard, another
// program) sees opaque colours. The picture must not change afterwards.
QImage ShareAsImage(std::shared_ptr<Picture> picture);
// The image as Format_RGB32 with colours that have transparency laid on
// black; converted in place where the depth allows. The top byte of each
// word is then undefined: read the colour as word & 0x00ffffff.
void MakeOpaqueRgb32(QImage& image);
// Copies an image of any format into a picture, colours with transparency
// laid on black, each side cut to maxSide. Fails when the memory cannot be had.
bool ImageToPicture(const QImage& image, Picture& picture, int maxSide = kMaxPictureSide);

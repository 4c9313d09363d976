#include "PictureIO.h"

#include "PictureRecipe.h"

#include "engine/FileAccess.h"
#include "render/RenderMessages.h"
#include "engine/QuilExpression.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeDatabase>

#include <algorithm>
#include <map>
#include <mutex>
#include <new>

namespace {

// Icon types are neither offered for saving nor, by default, for loading:
// they hold several small pictures, and the program reads and writes one.
constexpr const char* kIconFormats[] = {"ico", "cur", "icns"};

bool IsIconFormat(const QByteArray& format)
{
    for (const char* icon : kIconFormats)
        if (format.compare(icon, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

std::string Lower(std::string text)
{
    for (char& ch : text)
        if (ch >= 'A' && ch <= 'Z')
            ch = char(ch - 'A' + 'a');
    return text;
}

// One entry per MIME type that Qt's plugins handle. The description and the
// patterns come from the MIME database; a type it does not know is described
// by its format names.
std::vector<PictureFileType> CollectTypes(const QList<QByteArray>& mimeTypes,
                                          QList<QByteArray> (*formatsFor)(const QByteArray&), bool withIconTypes)
{
    QMimeDatabase database;
    std::vector<PictureFileType> types;
    for (const QByteArray& mimeName : mimeTypes) {
        const QList<QByteArray> formats = formatsFor(mimeName);
        if (formats.isEmpty())
            continue;
        if (!withIconTypes && std::any_of(formats.begin(), formats.end(), IsIconFormat))
            continue;
        PictureFileType type;
        type.format = formats.front().toStdString();
        const QMimeType mime = database.mimeTypeForName(QString::fromLatin1(mimeName));
        for (const QString& glob : mime.globPatterns()) {
            if (glob.startsWith(QLatin1String("*.")) && glob.size() > 2 && !glob.contains(QLatin1Char('[')))
                type.extensions.push_back(glob.mid(2).toLower().toStdString());
        }
        if (type.extensions.empty())
            for (const QByteArray& format : formats)
                type.extensions.push_back(Lower(format.toStdString()));
        type.description = mime.comment().toStdString();
        if (type.description.empty()) {
            std::string upper = type.format;
            for (char& ch : upper)
                if (ch >= 'a' && ch <= 'z')
                    ch = char(ch - 'a' + 'A');
            type.description = upper + " image";
        }
        types.push_back(std::move(type));
    }
    std::sort(types.begin(), types.end(), [](const PictureFileType& a, const PictureFileType& b) {
        return Lower(a.description) < Lower(b.description);
    });
    return types;
}

std::string FilterString(const std::vector<PictureFileType>& types)
{
    std::string filter;
    for (const PictureFileType& type : types) {
        if (!filter.empty())
            filter += '|';
        const std::string patterns = type.PatternList();
        filter += type.description + " (" + patterns + ")|" + patterns;
    }
    return filter;
}

const PictureFileType* FindByExtension(const std::vector<PictureFileType>& types, const std::string& extension)
{
    const std::string wanted = Lower(extension);
    if (wanted.empty())
        return nullptr;
    for (const PictureFileType& type : types)
        for (const std::string& candidate : type.extensions)
            if (candidate == wanted)
                return &type;
    return nullptr;
}

// The encoders write into the file that SavePicture makes, at any offset
// (TIFF's encoder goes back to fill in its directory).
class SafeFileDevice : public QIODevice {
public:
    explicit SafeFileDevice(CSafeFileWriter& file) : m_file(file) {}
    bool isSequential() const override { return false; }
    qint64 size() const override { return qint64(m_file.Size()); }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    // A failed write is kept for CSafeFileWriter::Finish and not told to the
    // encoder: PNG's leaves memory behind when its output fails midway.
    qint64 writeData(const char* data, qint64 length) override
    {
        m_file.WriteAt(data, size_t(length), uint64_t(pos()));
        return length;
    }

private:
    CSafeFileWriter& m_file;
};

}  // namespace

std::string PictureFileType::PatternList() const
{
    std::string list;
    for (const std::string& extension : extensions) {
        if (!list.empty())
            list += ';';
        list += "*." + extension;
    }
    return list;
}

std::vector<PictureFileType> WritablePictureTypes()
{
    return CollectTypes(QImageWriter::supportedMimeTypes(), &QImageWriter::imageFormatsForMimeType, false);
}

namespace {
// Writes a red and a blue half through the format's writer and reads them
// back: a writer that keeps the colours keeps red red and blue blue (within
// what a lossy coder changes).
bool KeepsColour(const std::string& format)
{
    QImage halves(16, 8, QImage::Format_RGB32);
    halves.fill(qRgb(255, 0, 0));
    for (int y = 0; y < 8; ++y)
        for (int x = 8; x < 16; ++x)
            halves.setPixel(x, y, qRgb(0, 0, 255));
    QBuffer buffer;
    buffer.open(QIODevice::ReadWrite);
    QImageWriter writer(&buffer, QByteArray::fromStdString(format));
    if (!writer.write(halves))
        return false;
    buffer.seek(0);
    QImageReader reader(&buffer, QByteArray::fromStdString(format));
    const QImage back = reader.read();
    if (back.size() != halves.size())
        return false;
    const QRgb red = back.pixel(3, 4);
    const QRgb blue = back.pixel(12, 4);
    return qRed(red) > qBlue(red) + 128 && qBlue(blue) > qRed(blue) + 128;
}
}  // namespace

std::vector<PictureFileType> ColourPictureTypes()
{
    // The plugins do not change while the program runs: each format is tried once.
    static std::mutex mutex;
    static std::map<std::string, bool> known;
    std::vector<PictureFileType> types = WritablePictureTypes();
    const std::lock_guard<std::mutex> lock(mutex);
    types.erase(std::remove_if(types.begin(), types.end(),
                               [](const PictureFileType& type) {
                                   auto it = known.find(type.format);
                                   if (it == known.end())
                                       it = known.emplace(type.format, KeepsColour(type.format)).first;
                                   return !it->second;
                               }),
                types.end());
    return types;
}

std::vector<PictureFileType> ReadablePictureTypes(bool withIconTypes)
{
    return CollectTypes(QImageReader::supportedMimeTypes(), &QImageReader::imageFormatsForMimeType, withIconTypes);
}

std::vector<PictureFileType> PictureLoadTypes()
{
    std::vector<PictureFileType> types = ReadablePictureTypes(true);
    PictureFileType all{kAllPicturesDescription, {}, {}};
    for (const PictureFileType& type : types)
        for (const std::string& extension : type.extensions)
            if (std::find(all.extensions.begin(), all.extensions.end(), extension) == all.extensions.end())
                all.extensions.push_back(extension);
    types.insert(types.begin(), std::move(all));
    return types;
}

std::string ExporterFilter() { return FilterString(ColourPictureTypes()); }

std::string ImporterFilter() { return FilterString(ReadablePictureTypes(true)); }

std::string DialogFilter(const std::vector<PictureFileType>& types)
{
    std::string filter;
    for (const PictureFileType& type : types) {
        if (!filter.empty())
            filter += ";;";
        std::string patterns;
        for (const std::string& extension : type.extensions)
            patterns += (patterns.empty() ? "*." : " *.") + extension;
        filter += type.description + " (" + patterns + ")";
    }
    return filter;
}

bool IsWritableExtension(const std::string& extension)
{
    return FindByExtension(WritablePictureTypes(), extension) != nullptr;
}

int IsPictureExtension(const std::string& extension)
{
    return FindByExtension(ReadablePictureTypes(false), extension) ? 1 : 0;
}

std::string FileExtension(const std::string& fileName)
{
    const size_t slash = fileName.find_last_of('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = fileName.find_last_of('.');
    if (dot == std::string::npos || dot < nameStart)
        return {};
    return fileName.substr(dot + 1);
}

QImage WrapPicture(const Picture& picture)
{
    if (picture.IsNull())
        return {};
    return QImage(reinterpret_cast<const uchar*>(picture.Bits()), picture.Width(), picture.Height(),
                  qsizetype(picture.Width()) * 4, QImage::Format_RGB32);
}

QImage ShareAsImage(std::shared_ptr<Picture> picture)
{
    if (!picture || picture->IsNull())
        return {};
    uint32_t* bits = picture->Bits();
    const size_t count = picture->PixelCount();
    for (size_t i = 0; i < count; ++i)
        bits[i] |= 0xff000000u;
    const int width = picture->Width();
    const int height = picture->Height();
    auto* keep = new std::shared_ptr<Picture>(std::move(picture));
    return QImage(
        reinterpret_cast<uchar*>(bits), width, height, qsizetype(width) * 4, QImage::Format_RGB32,
        [](void* kept) { delete static_cast<std::shared_ptr<Picture>*>(kept); }, keep);
}

void MakeOpaqueRgb32(QImage& image)
{
    if (image.isNull() || image.format() == QImage::Format_RGB32)
        return;
    if (image.hasAlphaChannel()) {
        // Qt's conversions to RGB32 drop alpha and keep the full colour. The
        // premultiplied words are the colours laid on black already; only
        // their top byte differs, and every reader masks it.
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
        if (!image.isNull())
            image.reinterpretAsFormat(QImage::Format_RGB32);
        return;
    }
    image.convertTo(QImage::Format_RGB32);
}

bool ImageToPicture(const QImage& image, Picture& picture, int maxSide)
{
    const int width = std::min(image.width(), maxSide);
    const int height = std::min(image.height(), maxSide);
    QImage converted;
    const QImage* source = &image;
    if (image.format() != QImage::Format_RGB32) {
        converted = image;
        MakeOpaqueRgb32(converted);
        if (converted.format() != QImage::Format_RGB32)
            return false;
        source = &converted;
    }
    if (!picture.CreateWithLimit(width, height, maxSide))
        return false;
    for (int r = 0; r < height; ++r) {
        const uint32_t* from = reinterpret_cast<const uint32_t*>(source->constScanLine(r));
        uint32_t* to = picture.Row(r);
        for (int c = 0; c < width; ++c)
            to[c] = from[c] & 0x00ffffffu;
    }
    return true;
}

int WritePictureFile(const Picture& picture, const std::string& fileName, CSafeFileWriter& file,
                     std::string* reason, const std::string& recipe)
{
    if (reason)
        reason->clear();
    const std::vector<PictureFileType> types = WritablePictureTypes();
    const PictureFileType* type = FindByExtension(types, FileExtension(fileName));
    if (!type)
        return kSaveUnknownType;
    const QImage image = WrapPicture(picture);
    if (image.isNull())
        return kSaveEmptyPicture;
    // A link is followed to its target; only a regular file or a new name is
    // written, so a device, a FIFO or a folder is never replaced.
    std::string target;
    if (!ResolveSaveTarget(fileName, target, reason))
        return kSaveNotAFile;
    try {
        if (!file.Open(fileName, reason))
            return kSaveOpenFailed;
        SafeFileDevice device(file);
        device.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        QImageWriter writer(&device, QByteArray::fromStdString(type->format));
        AddRecipeTexts(writer, recipe);
        const bool encoded = writer.write(image);
        if (!file.Finish(reason))
            return kSaveCommitFailed;
        if (!encoded)
            return kSaveEncoderFailed;
    } catch (const std::bad_alloc&) {
        return kSaveNoMemory;
    }
    return kSaveOk;
}

int SavePicture(const Picture& picture, const std::string& fileName, std::string* reason, const std::string& recipe,
                bool replace)
{
    CSafeFileWriter file;
    const int written = WritePictureFile(picture, fileName, file, reason, recipe);
    if (written != kSaveOk)
        return written;
    bool exists = false;
    if (!file.Place(replace, reason, &exists))
        return exists ? kSaveExists : kSaveCommitFailed;
    return kSaveOk;
}

const char* SavePictureErrorText(int result)
{
    switch (result) {
    case kSaveOk:
        return "saved";
    case kSaveUnknownType:
        return "no encoder for this file extension";
    case kSaveEmptyPicture:
        return "the picture is empty";
    case kSaveOpenFailed:
        return "the file cannot be created";
    case kSaveEncoderFailed:
        return "the encoder failed";
    case kSaveCommitFailed:
        return "the file could not be finished";
    case kSaveNotAFile:
        return "it is not a regular file";
    case kSaveNoMemory:
        return kMsgNoMemory;
    case kSaveExists:
        return "the file exists";
    default:
        return "unknown failure";
    }
}

std::string SaveFailureMessage(const std::string& fileName, int result, const std::string& reason)
{
    return FillMessage(kMsgCanNotSaveBitmap, fileName) + "\n(" +
           (reason.empty() ? std::string(SavePictureErrorText(result)) : reason) + ")";
}

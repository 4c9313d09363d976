#include "PictureRecipe.h"

#include "PictureIO.h"
#include "RecipeScan.h"

#include "engine/FileAccess.h"
#include "engine/ProgramInfo.h"
#include "engine/SettingsStore.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>

#include <unistd.h>

namespace {

constexpr unsigned char kJpegMarkerStart = 0xff;
constexpr unsigned char kJpegStartOfImage = 0xd8;

constexpr unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

bool StartsAsJpeg(const QByteArray& head)
{
    return head.size() >= 3 && static_cast<unsigned char>(head[0]) == kJpegMarkerStart &&
           static_cast<unsigned char>(head[1]) == kJpegStartOfImage &&
           static_cast<unsigned char>(head[2]) == kJpegMarkerStart;
}

bool StartsAsPng(const QByteArray& head)
{
    return head.startsWith(QByteArray(reinterpret_cast<const char*>(kPngSignature), sizeof kPngSignature));
}

// Opens the regular file at path for reading; false (with the reason) otherwise.
bool OpenPictureFile(const std::string& path, QFile& file, std::string* reason)
{
    const int fd = OpenRegularFile(path, reason);
    if (fd < 0)
        return false;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

bool IsJpegFormat(const QByteArray& format)
{
    const QByteArray lower = format.toLower();
    return lower == "jpeg" || lower == "jpg";
}

// The comment text the encoder writes for the recipe: "key: value".
std::string JpegCommentPrefix() { return std::string(kRecipeKey) + ": "; }

// Qt's writers fold runs of white space in a text into one space, and a
// file name on this system may hold any bytes but '/' and NUL. '%', white
// space, control characters and every byte outside ASCII therefore go in as
// %XX, and the text comes back byte for byte; a recipe without them (most:
// only picture names have them) is stored as it is.
std::string EscapeRecipe(const std::string& recipe)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    escaped.reserve(recipe.size());
    for (const char c : recipe) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte > ' ' && byte < 0x7f && byte != '%') {
            escaped += c;
            continue;
        }
        escaped += '%';
        escaped += kHex[byte >> 4];
        escaped += kHex[byte & 0xf];
    }
    return escaped;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string UnescapeRecipe(const std::string& stored)
{
    std::string text;
    text.reserve(stored.size());
    for (size_t i = 0; i < stored.size(); ++i) {
        const int high = stored[i] == '%' && i + 2 < stored.size() ? HexValue(stored[i + 1]) : -1;
        const int low = high >= 0 ? HexValue(stored[i + 2]) : -1;
        if (low < 0) {
            text += stored[i];
            continue;
        }
        text += char(high << 4 | low);
        i += 2;
    }
    return text;
}

}  // namespace

void AddRecipeTexts(QImageWriter& writer, const std::string& recipe)
{
    if (recipe.empty() || !writer.supportsOption(QImageIOHandler::Description))
        return;
    const std::string escaped = EscapeRecipe(recipe);
    if (escaped.size() > kMaxRecipeBytes ||
        (IsJpegFormat(writer.format()) && JpegCommentPrefix().size() + escaped.size() > kMaxJpegComment))
        return;
    writer.setText(QString::fromUtf8(kRecipeSoftwareKey),
                   QStringLiteral("%1 %2").arg(QString::fromUtf8(kProgramName), QString::fromUtf8(kProgramVersion)));
    writer.setText(QString::fromUtf8(kRecipeKey), QString::fromLatin1(escaped));
}

bool HasRecipeSignature(const std::string& path)
{
    QFile file;
    if (!OpenPictureFile(path, file, nullptr))
        return false;
    const QByteArray head = file.peek(sizeof kPngSignature);
    return StartsAsPng(head) || StartsAsJpeg(head);
}

RecipeResult ReadRecipeFromDevice(QIODevice& device, std::string& recipe)
{
    recipe.clear();
    std::string stored;
    switch (ScanRecipeText(device, stored)) {
    case RecipeScan::Found:
        recipe = UnescapeRecipe(stored);
        return RecipeResult::Found;
    case RecipeScan::None:
        return RecipeResult::None;
    case RecipeScan::OtherType:
        break;
    }
    // Other types carry no recipe of ours; the decoder tells a picture from the rest.
    if (!device.isSequential() && !device.seek(0))
        return RecipeResult::NotAPicture;
    QImageReader reader(&device);
    return reader.canRead() ? RecipeResult::None : RecipeResult::NotAPicture;
}

RecipeResult ReadPictureRecipe(const std::string& path, std::string& recipe, std::string* reason)
{
    recipe.clear();
    QFile file;
    if (!OpenPictureFile(path, file, reason))
        return RecipeResult::Unreadable;
    return ReadRecipeFromDevice(file, recipe);
}

bool EmbedsRecipe(SettingsStore& store)
{
    return store.GetProfileInt(kSectionBitmap, kValueEmbedExpression, kDefaultEmbedExpression) != 0;
}

void SetEmbedsRecipe(SettingsStore& store, bool embed)
{
    store.WriteProfileInt(kSectionBitmap, kValueEmbedExpression, embed ? 1 : 0);
}

std::vector<PictureFileType> RecipePictureTypes()
{
    std::vector<PictureFileType> types;
    for (PictureFileType& type : WritablePictureTypes()) {
        // A writer answers for its options only once it has a device.
        QBuffer buffer;
        QImageWriter writer(&buffer, QByteArray::fromStdString(type.format));
        if (writer.supportsOption(QImageIOHandler::Description))
            types.push_back(std::move(type));
    }
    return types;
}

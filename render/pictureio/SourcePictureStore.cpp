#include "SourcePictureStore.h"

#include "PictureIO.h"
#include "render/RenderMessages.h"

#include "engine/EngineHost.h"
#include "engine/FileAccess.h"
#include "engine/QuilExpression.h"

#include <QFile>
#include <QImageReader>

#include <algorithm>
#include <cstdint>
#include <new>
#include <unistd.h>
#include <vector>

namespace {
// Vector pictures draw at whatever size they claim, so no allocation limit
// bounds them.
constexpr const char* kVectorFormats[] = {"svg", "svgz"};

bool IsVectorFormat(const QByteArray& format)
{
    for (const char* vector : kVectorFormats)
        if (format.compare(vector, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// Decodes with reader. Under a budget (side > 0) a vector picture is refused
// and a picture whose full size would pass limitMiB is decoded at side x side.
QImage Decode(QImageReader& reader, int side, int limitMiB)
{
    reader.setAutoTransform(false);
    if (side > 0) {
        if (IsVectorFormat(reader.format()))
            return {};
        const QSize size = reader.size();
        if (!size.isValid() || qint64(size.width()) * size.height() * 4 > (qint64(limitMiB) << 20))
            reader.setScaledSize(QSize(side, side));
    }
    return reader.read();
}

// Decodes an open file as a reader given the file's name does: the type the
// extension names when its decoder takes the content, else the type the
// content shows. The pixels come as the decoder reads them: an orientation
// tag must not turn the picture, so that a document shows the same picture
// wherever it is rendered and the size shown is the size stored in the file.
QImage ReadImage(QFile& file, const QByteArray& extension, int side, int limitMiB)
{
    QImageReader::setAllocationLimit(limitMiB);
    if (!extension.isEmpty()) {
        QImageReader reader(&file, extension);
        if (reader.canRead())
            return Decode(reader, side, limitMiB);
        if (!file.seek(0))
            return {};
    }
    QImageReader reader(&file);
    if (!reader.canRead())
        return {};
    return Decode(reader, side, limitMiB);
}
}  // namespace

SourcePictureStore::SourcePictureStore(EngineHost* host) : m_pHost(host ? host : &DefaultEngineHost())
{
    MakeBlack();
}

void SourcePictureStore::MakeBlack()
{
    m_bLoaded = false;
    m_nLoadedWidth = m_nLoadedHeight = 0;
    m_uncut = QImage();
    auto black = std::make_shared<Picture>();
    black->Create(m_nDisplayWidth, m_nDisplayHeight);  // calloc'd: costs nothing until read
    m_pSource = std::move(black);
    m_pScaled.reset();
    m_pThumb.reset();
}

void SourcePictureStore::SetDisplaySize(int width, int height)
{
    m_nDisplayWidth = int(ClampPictureSide(unsigned(std::max(width, 0))));
    m_nDisplayHeight = int(ClampPictureSide(unsigned(std::max(height, 0))));
    if (!m_bLoaded)
        MakeBlack();
}

void SourcePictureStore::UnloadPicture()
{
    m_strPath.clear();
    MakeBlack();
}

int SourcePictureStore::LoadSourcePicture()
{
    if (m_bLocked)
        return kLoadPictureLocked;
    if (m_strPath.empty())
        return kLoadPictureNoPath;
    // The old pictures go now: a job that still reads one holds its own reference.
    m_pSource.reset();
    m_pScaled.reset();
    m_pThumb.reset();
    m_uncut = QImage();
    try {
        if (LoadFromFile())
            return kLoadPictureOk;
        m_pHost->ShowMessage(FillMessage(kMsgLoadPictureFailed, m_strPath), kCaptionQuil, MessageIcon::Warning);
    } catch (const std::bad_alloc&) {
        m_pHost->ShowMessage(kMsgNoMemory, kCaptionQuil, MessageIcon::Warning);
    }
    m_strPath.clear();
    MakeBlack();
    return kLoadPictureFailed;
}

bool SourcePictureStore::LoadFromFile()
{
    // Only a regular file is read: a FIFO, a device or a folder is refused at
    // once instead of blocking or never ending.
    const int fd = OpenRegularFile(m_strPath);
    if (fd < 0)
        return false;
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    QImage image = ReadImage(file, QByteArray::fromStdString(FileExtension(m_strPath)).toLower(), m_nBudgetSide,
                             m_nBudgetSide > 0 ? m_nBudgetMiB : kDecodeLimitMiB);
    MakeOpaqueRgb32(image);
    Picture picture;
    const bool decoded = !image.isNull() && image.format() == QImage::Format_RGB32;
    const bool cut = decoded && (image.width() > kMaxPictureSide || image.height() > kMaxPictureSide);
    if (cut)
        m_pHost->ShowMessage(FillMessage(kMsgMaxResolution, kMaxPictureSide), kCaptionQuil, MessageIcon::Warning);
    if (!decoded || !ImageToPicture(image, picture))
        return false;
    m_bLoaded = true;
    m_nLoadedWidth = image.width();
    m_nLoadedHeight = image.height();
    m_pSource = std::make_shared<const Picture>(std::move(picture));
    if (cut)
        m_uncut = std::move(image);
    return true;
}

std::string SourcePictureStore::StatusText() const
{
    if (!m_bLoaded)
        return kMsgNoPictureLoaded;
    return FillPictureStatus(m_nLoadedWidth, m_nLoadedHeight, m_strPath);
}

std::shared_ptr<const Picture> SourcePictureStore::Stretch(int width, int height) const
{
    try {
        auto out = std::make_shared<Picture>();
        bool ok;
        if (!m_uncut.isNull()) {
            ok = StretchNearest(reinterpret_cast<const uint32_t*>(m_uncut.constBits()), m_uncut.width(),
                                m_uncut.height(), size_t(m_uncut.bytesPerLine()) / 4, *out, width, height);
        } else {
            const Picture& source = *m_pSource;
            ok = StretchNearest(source.Bits(), source.Width(), source.Height(), size_t(source.Width()), *out, width,
                                height);
        }
        if (!ok)
            return nullptr;
        return out;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::shared_ptr<const Picture> SourcePictureStore::GetScaledPicture(int width, int height)
{
    if (!m_pScaled || m_pScaled->Width() != width || m_pScaled->Height() != height)
        m_pScaled = Stretch(width, height);
    return m_pScaled;
}

std::shared_ptr<const Picture> SourcePictureStore::GetThumbPicture(int side)
{
    if (!m_pThumb || m_pThumb->Width() != side || m_pThumb->Height() != side)
        m_pThumb = Stretch(side, side);
    return m_pThumb;
}

bool StretchNearest(const uint32_t* src, int srcWidth, int srcHeight, size_t strideWords, Picture& out, int width,
                    int height)
{
    if (!out.Create(width, height))
        return false;
    if (out.IsNull() || !src || srcWidth <= 0 || srcHeight <= 0)
        return true;  // nothing to show: black (or empty)
    std::vector<int> columns(static_cast<size_t>(width));
    for (int c = 0; c < width; ++c)
        columns[size_t(c)] = int((2 * int64_t(c) + 1) * srcWidth / (2 * int64_t(width)));
    for (int r = 0; r < height; ++r) {
        const int sr = int((2 * int64_t(r) + 1) * srcHeight / (2 * int64_t(height)));
        const uint32_t* from = src + size_t(sr) * strideWords;
        uint32_t* to = out.Row(r);
        for (int c = 0; c < width; ++c)
            to[c] = from[columns[size_t(c)]] & 0x00ffffffu;
    }
    return true;
}

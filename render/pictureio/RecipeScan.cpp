// Finds the recipe text in a PNG or JPEG file by walking its chunks or
// segments, without decoding a pixel. Decoders read text only where they
// expect it (a PNG's before its image data, a JPEG's before its first scan),
// while programs that re-save a picture may move it behind; here every text
// chunk and every comment counts. Each length is checked against what is
// left of the file and against the recipe's limit before anything is kept,
// and the bytes kept and inflated over the whole file have one budget, so
// that neither a lying length nor a thousand compressed chunks can make the
// scan slow or large.

#include "RecipeScan.h"

#include "PictureRecipe.h"

#include <QIODevice>

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr unsigned char kPngSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr size_t kPngSignatureSize = sizeof kPngSignature;
// A PNG keyword holds 1 to 79 bytes and ends with a NUL.
constexpr size_t kPngMaxKeyword = 80;

constexpr int kJpegMarker = 0xff;
constexpr int kJpegStartOfImage = 0xd8;
constexpr int kJpegEndOfImage = 0xd9;
constexpr int kJpegStartOfScan = 0xda;
constexpr int kJpegComment = 0xfe;
constexpr int kJpegFirstRestart = 0xd0;
constexpr int kJpegLastRestart = 0xd7;
constexpr int kJpegTemporary = 0x01;

// What all text chunks and comments of one file may keep and inflate together.
constexpr size_t kScanBudget = 4 * kMaxRecipeBytes;

constexpr qint64 kBufferSize = 64 * 1024;

// Reads a device through a buffer of its own, so that the walk over a JPEG's
// scan data costs no call per byte. Skips seek where the device can.
class ByteReader {
public:
    explicit ByteReader(QIODevice& device) : m_device(device) {}

    int Byte()
    {
        if (m_pos == m_end && !Fill())
            return -1;
        return static_cast<unsigned char>(m_buffer[size_t(m_pos++)]);
    }

    bool Read(void* out, size_t count)
    {
        auto* bytes = static_cast<char*>(out);
        while (count > 0) {
            if (m_pos == m_end && !Fill())
                return false;
            const size_t part = std::min(count, size_t(m_end - m_pos));
            std::memcpy(bytes, m_buffer.data() + m_pos, part);
            m_pos += qint64(part);
            bytes += part;
            count -= part;
        }
        return true;
    }

    // Appends count bytes to out, never allocating more than the file holds.
    bool Append(std::string& out, size_t count)
    {
        while (count > 0) {
            if (m_pos == m_end && !Fill())
                return false;
            const size_t part = std::min(count, size_t(m_end - m_pos));
            out.append(m_buffer.data() + m_pos, part);
            m_pos += qint64(part);
            count -= part;
        }
        return true;
    }

    bool Skip(uint64_t count)
    {
        const uint64_t buffered = uint64_t(m_end - m_pos);
        if (count <= buffered) {
            m_pos += qint64(count);
            return true;
        }
        count -= buffered;
        m_pos = m_end = 0;
        if (!m_device.isSequential()) {
            const qint64 at = m_device.pos();
            if (count > uint64_t(m_device.size() - at))
                return false;
            return m_device.seek(at + qint64(count));
        }
        while (count > 0) {
            if (!Fill())
                return false;
            const uint64_t part = std::min(count, uint64_t(m_end));
            m_pos = qint64(part);
            count -= part;
        }
        return true;
    }

private:
    bool Fill()
    {
        m_pos = 0;
        m_end = std::max<qint64>(m_device.read(m_buffer.data(), kBufferSize), 0);
        return m_end > 0;
    }

    QIODevice& m_device;
    std::vector<char> m_buffer = std::vector<char>(size_t(kBufferSize));
    qint64 m_pos = 0;
    qint64 m_end = 0;
};

// The bytes a scan may still keep or inflate; once spent, the scan ends.
class Budget {
public:
    bool Take(size_t bytes)
    {
        if (bytes > m_left)
            return false;
        m_left -= bytes;
        return true;
    }

private:
    size_t m_left = kScanBudget;
};

// Inflates a zlib stream into out, up to the recipe's limit.
bool Inflate(const char* data, size_t size, std::string& out, Budget& budget)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return false;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    stream.avail_in = uInt(size);  // size is within the recipe's limit
    std::vector<char> piece(16 * 1024);
    int status = Z_OK;
    bool ok = true;
    while (ok && status != Z_STREAM_END) {
        stream.next_out = reinterpret_cast<Bytef*>(piece.data());
        stream.avail_out = uInt(piece.size());
        status = inflate(&stream, Z_NO_FLUSH);
        const size_t produced = piece.size() - stream.avail_out;
        if ((status != Z_OK && status != Z_STREAM_END) || (status == Z_OK && produced == 0 && stream.avail_in == 0))
            ok = false;  // damaged, or the stream ends before its end mark
        else if (out.size() + produced > kMaxRecipeBytes || !budget.Take(produced))
            ok = false;
        else
            out.append(piece.data(), produced);
    }
    inflateEnd(&stream);
    return ok;
}

// The text of a PNG text chunk's body after "keyword\0": tEXt holds it as
// it is, zTXt as a zlib stream after a method byte, iTXt after a compression
// flag, a method byte, a language tag and a translated keyword.
bool PngChunkText(const char type[4], const std::string& body, std::string& text, Budget& budget)
{
    text.clear();
    if (std::memcmp(type, "tEXt", 4) == 0) {
        text = body;
        return true;
    }
    if (std::memcmp(type, "zTXt", 4) == 0)
        return !body.empty() && body[0] == 0 && Inflate(body.data() + 1, body.size() - 1, text, budget);
    if (body.size() < 2)
        return false;
    const bool compressed = body[0] != 0;
    const size_t language = body.find('\0', 2);
    const size_t translated = language == std::string::npos ? language : body.find('\0', language + 1);
    if (translated == std::string::npos)
        return false;
    const size_t start = translated + 1;
    if (!compressed) {
        text = body.substr(start);
        return true;
    }
    return body[1] == 0 && Inflate(body.data() + start, body.size() - start, text, budget);
}

uint32_t BigEndian32(const unsigned char* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

bool ScanPng(ByteReader& in, std::string& stored)
{
    const std::string key = std::string(kRecipeKey) + '\0';
    Budget budget;
    unsigned char head[8];
    while (in.Read(head, sizeof head)) {
        const uint32_t length = BigEndian32(head);
        char type[4];
        std::memcpy(type, head + 4, 4);
        if (length > 0x7fffffffu || std::memcmp(type, "IEND", 4) == 0)
            return false;
        const bool text = std::memcmp(type, "tEXt", 4) == 0 || std::memcmp(type, "zTXt", 4) == 0 ||
                          std::memcmp(type, "iTXt", 4) == 0;
        uint32_t left = length;
        if (text && length > key.size()) {
            std::string keyword;
            if (!in.Append(keyword, key.size()))
                return false;
            left -= uint32_t(key.size());
            if (keyword == key && left <= kMaxRecipeBytes) {
                std::string body;
                if (!budget.Take(left) || !in.Append(body, left))
                    return false;
                left = 0;
                if (PngChunkText(type, body, stored, budget) && !stored.empty())
                    return true;
            }
        }
        if (!in.Skip(uint64_t(left) + 4))  // the rest and the CRC
            return false;
    }
    return false;
}

bool IsStandaloneJpegMarker(int marker)
{
    return marker == kJpegStartOfImage || marker == kJpegTemporary ||
           (marker >= kJpegFirstRestart && marker <= kJpegLastRestart);
}

// The marker that ends a scan's entropy-coded data: 0xff 0x00 is a data
// byte, restart markers belong to the scan, 0xff may be repeated as fill.
int NextMarkerAfterScan(ByteReader& in)
{
    int byte = in.Byte();
    while (byte >= 0) {
        if (byte != kJpegMarker) {
            byte = in.Byte();
            continue;
        }
        byte = in.Byte();
        while (byte == kJpegMarker)
            byte = in.Byte();
        if (byte > 0 && (byte < kJpegFirstRestart || byte > kJpegLastRestart))
            return byte;
        if (byte >= 0)
            byte = in.Byte();
    }
    return -1;
}

bool ScanJpeg(ByteReader& in, std::string& stored)
{
    const std::string prefix = std::string(kRecipeKey) + ": ";
    Budget budget;
    int marker = -1;
    for (;;) {
        if (marker < 0) {
            if (in.Byte() != kJpegMarker)
                return false;
            marker = in.Byte();
            while (marker == kJpegMarker)
                marker = in.Byte();
        }
        if (marker < 0 || marker == kJpegEndOfImage)
            return false;
        const int current = marker;
        marker = -1;
        if (IsStandaloneJpegMarker(current))
            continue;
        unsigned char size[2];
        if (!in.Read(size, sizeof size))
            return false;
        const unsigned length = unsigned(size[0]) << 8 | size[1];
        if (length < 2)
            return false;
        size_t left = length - 2;
        if (current == kJpegComment && left > prefix.size()) {
            std::string head;
            if (!in.Append(head, prefix.size()))
                return false;
            left -= prefix.size();
            if (head == prefix) {
                if (!budget.Take(left) || !in.Append(stored, left))
                    return false;
                return true;
            }
        }
        if (!in.Skip(left))
            return false;
        if (current == kJpegStartOfScan)
            marker = NextMarkerAfterScan(in);
    }
}

}  // namespace

RecipeScan ScanRecipeText(QIODevice& device, std::string& stored)
{
    stored.clear();
    ByteReader in(device);
    unsigned char head[kPngSignatureSize];
    if (!in.Read(head, 2))
        return RecipeScan::OtherType;
    if (head[0] == kJpegMarker && head[1] == kJpegStartOfImage)
        return ScanJpeg(in, stored) ? RecipeScan::Found : RecipeScan::None;
    if (!in.Read(head + 2, kPngSignatureSize - 2) || std::memcmp(head, kPngSignature, kPngSignatureSize) != 0)
        return RecipeScan::OtherType;
    return ScanPng(in, stored) ? RecipeScan::Found : RecipeScan::None;
}

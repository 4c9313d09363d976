#include "Picture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

void Picture::FreeDeleter::operator()(uint32_t* p) const { std::free(p); }

namespace {

// calloc hands out zeroed pages that cost no memory until written, so a huge
// black picture is cheap until a renderer fills it.
uint32_t* AllocateBlack(size_t count)
{
    return static_cast<uint32_t*>(std::calloc(count, sizeof(uint32_t)));
}

uint32_t* AllocateUninitialised(size_t count)
{
    return static_cast<uint32_t*>(std::malloc(count * sizeof(uint32_t)));
}

}  // namespace

bool Picture::Create(int width, int height)
{
    return CreateWithLimit(width, height, kMaxPictureSide);
}

bool Picture::CreateWithLimit(int width, int height, int maxSide)
{
    return Allocate(width, height, maxSide, true);
}

bool Picture::CreateUninitialised(int width, int height)
{
    return Allocate(width, height, kMaxPictureSide, false);
}

bool Picture::Allocate(int width, int height, int maxSide, bool black)
{
    Release();
    if (width < 0 || height < 0 || width > maxSide || height > maxSide)
        return false;
    m_nWidth = width;
    m_nHeight = height;
    if (PixelCount() == 0)
        return true;
    m_pBits.reset(black ? AllocateBlack(PixelCount()) : AllocateUninitialised(PixelCount()));
    if (!m_pBits) {
        m_nWidth = m_nHeight = 0;
        return false;
    }
    return true;
}

void Picture::Release()
{
    m_pBits.reset();
    m_nWidth = m_nHeight = 0;
}

Picture::Picture(const Picture& other)
{
    *this = other;
}

Picture& Picture::operator=(const Picture& other)
{
    if (this == &other)
        return *this;
    Release();
    if (other.m_pBits) {
        m_pBits.reset(AllocateUninitialised(other.PixelCount()));
        if (!m_pBits)
            throw std::bad_alloc();
        std::memcpy(m_pBits.get(), other.m_pBits.get(), other.PixelCount() * sizeof(uint32_t));
    }
    m_nWidth = other.m_nWidth;
    m_nHeight = other.m_nHeight;
    return *this;
}

Picture Picture::SnapshotShared() const
{
    Picture copy;
    if (!m_pBits) {
        copy.m_nWidth = m_nWidth;
        copy.m_nHeight = m_nHeight;
        return copy;
    }
    copy.m_pBits.reset(AllocateUninitialised(PixelCount()));
    if (!copy.m_pBits)
        throw std::bad_alloc();
    copy.m_nWidth = m_nWidth;
    copy.m_nHeight = m_nHeight;
    for (int r = 0; r < m_nHeight; ++r) {
        uint32_t* dest = copy.Row(r);
        for (int c = 0; c < m_nWidth; ++c)
            dest[c] = LoadPixelShared(c, r);
    }
    return copy;
}

void Picture::Draw(const Picture& src, int x, int y)
{
    if (!m_pBits || !src.m_pBits)
        return;
    // Work in 64 bits: x + src width may pass the int range for extreme offsets.
    const long long left = std::max<long long>(x, 0);
    const long long top = std::max<long long>(y, 0);
    const long long right = std::min<long long>(static_cast<long long>(x) + src.m_nWidth, m_nWidth);
    const long long bottom = std::min<long long>(static_cast<long long>(y) + src.m_nHeight, m_nHeight);
    if (left >= right || top >= bottom)
        return;
    const size_t count = static_cast<size_t>(right - left);
    for (long long r = top; r < bottom; ++r) {
        const uint32_t* from = src.Row(static_cast<int>(r - y)) + (left - x);
        std::memcpy(Row(static_cast<int>(r)) + left, from, count * sizeof(uint32_t));
    }
}

bool Picture::Pad(int newWidth, int newHeight, int x, int y, int maxSide)
{
    if (newWidth > maxSide || newHeight > maxSide || x < 0 || y < 0 || x > newWidth - m_nWidth ||
        y > newHeight - m_nHeight)
        return false;
    const size_t oldWidth = size_t(m_nWidth), oldHeight = size_t(m_nHeight);
    const size_t width = size_t(newWidth), height = size_t(newHeight);
    const size_t count = width * height;
    if (count == 0) {
        m_pBits.reset();
        m_nWidth = newWidth;
        m_nHeight = newHeight;
        return true;
    }
    // realloc of a large block remaps its pages instead of copying them.
    auto* bits = static_cast<uint32_t*>(std::realloc(m_pBits.get(), count * sizeof(uint32_t)));
    if (!bits)
        return false;
    (void)m_pBits.release();
    m_pBits.reset(bits);
    // Rows move to higher addresses only (the new stride is not smaller and
    // the offset not negative), so going from the last row up never
    // overwrites a row that has yet to move.
    const size_t left = size_t(x), top = size_t(y);
    for (size_t r = oldHeight; r-- > 0;)
        std::memmove(bits + (r + top) * width + left, bits + r * oldWidth, oldWidth * sizeof(uint32_t));
    std::memset(bits, 0, top * width * sizeof(uint32_t));
    for (size_t r = top; r < top + oldHeight; ++r) {
        std::memset(bits + r * width, 0, left * sizeof(uint32_t));
        std::memset(bits + r * width + left + oldWidth, 0, (width - left - oldWidth) * sizeof(uint32_t));
    }
    std::memset(bits + (top + oldHeight) * width, 0, (height - top - oldHeight) * width * sizeof(uint32_t));
    m_nWidth = newWidth;
    m_nHeight = newHeight;
    return true;
}

void Picture::Fill(uint32_t word)
{
    const size_t count = PixelCount();
    uint32_t* bits = m_pBits.get();
    for (size_t i = 0; i < count; ++i)
        bits[i] = word;
}

bool Picture::operator==(const Picture& other) const
{
    if (m_nWidth != other.m_nWidth || m_nHeight != other.m_nHeight)
        return false;
    if (PixelCount() == 0)
        return true;
    if (!m_pBits || !other.m_pBits)
        return m_pBits == other.m_pBits;
    return std::memcmp(m_pBits.get(), other.m_pBits.get(), PixelCount() * sizeof(uint32_t)) == 0;
}

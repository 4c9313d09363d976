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
    Release();
    if (width < 0 || height < 0 || width > maxSide || height > maxSide)
        return false;
    m_nWidth = width;
    m_nHeight = height;
    if (PixelCount() == 0)
        return true;
    m_pBits.reset(AllocateBlack(PixelCount()));
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

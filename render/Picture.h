#pragma once
// Picture: a 32-bit top-down picture buffer. Pixel (c, r) is the word
// 0x00RRGGBB at index r * width + c (stride 4 x width, row 0 on top); a
// new picture is black. No side is larger than kMaxPictureSide.
//
// A worker may write a picture while the user-interface thread copies it (a
// copy of a half-finished view); both sides then go through the relaxed
// atomic accessors, which compile to plain loads and stores.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

constexpr int kMaxPictureSide = 16384;
// Margins to a paper ratio (at most 3 : 2) are added to a finished picture,
// so a padded picture may pass kMaxPictureSide by half.
constexpr int kMaxMarginedSide = kMaxPictureSide * 3 / 2;

class Picture {
public:
    Picture() = default;
    Picture(int width, int height) { Create(width, height); }
    // Copies throw std::bad_alloc when the memory cannot be had.
    Picture(const Picture& other);
    Picture& operator=(const Picture& other);
    Picture(Picture&&) noexcept = default;
    Picture& operator=(Picture&&) noexcept = default;

    // Makes a black width x height picture. Fails (and leaves the picture
    // empty) for a negative size, a side above kMaxPictureSide or when the
    // memory cannot be had. A 0 side gives an empty picture and succeeds.
    bool Create(int width, int height);
    // Create with another side limit (AddAspectMargins uses kMaxMarginedSide).
    bool CreateWithLimit(int width, int height, int maxSide);
    // Create without making the pixels black, for a caller that writes every
    // pixel before any is read.
    bool CreateUninitialised(int width, int height);
    void Release();

    bool IsNull() const { return !m_pBits; }
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    size_t PixelCount() const { return size_t(m_nWidth) * size_t(m_nHeight); }
    uint32_t* Bits() { return m_pBits.get(); }
    const uint32_t* Bits() const { return m_pBits.get(); }
    uint32_t* Row(int r) { return m_pBits.get() + size_t(r) * size_t(m_nWidth); }
    const uint32_t* Row(int r) const { return m_pBits.get() + size_t(r) * size_t(m_nWidth); }
    uint32_t Pixel(int c, int r) const { return Row(r)[c]; }
    void SetPixel(int c, int r, uint32_t word) { Row(r)[c] = word; }

    // Access while another thread may write the same pixels.
    void StorePixelShared(int c, int r, uint32_t word)
    {
        std::atomic_ref<uint32_t>(Row(r)[c]).store(word, std::memory_order_relaxed);
    }
    // Stores count words along row r from column c, as StorePixelShared does.
    void StoreRunShared(int c, int r, const uint32_t* words, int count)
    {
        uint32_t* row = Row(r) + c;
        for (int k = 0; k < count; ++k)
            std::atomic_ref<uint32_t>(row[k]).store(words[k], std::memory_order_relaxed);
    }
    uint32_t LoadPixelShared(int c, int r) const
    {
        return std::atomic_ref<uint32_t>(const_cast<uint32_t&>(Row(r)[c])).load(std::memory_order_relaxed);
    }
    // A copy taken while a worker may still be writing this picture.
    Picture SnapshotShared() const;

    // Grows the picture to newWidth x newHeight in place, its old content at
    // (x, y) and black around it. The buffer is reallocated, not copied, so a
    // huge picture needs little more memory than its new size. Fails (and
    // leaves the picture as it was) when the old picture does not fit at
    // (x, y), a side passes maxSide or the memory cannot be had.
    bool Pad(int newWidth, int newHeight, int x, int y, int maxSide = kMaxMarginedSide);

    // Copies src into this picture with its top-left corner at (x, y), cut
    // at this picture's edges; pixels src does not cover stay as they are.
    void Draw(const Picture& src, int x, int y);
    void Fill(uint32_t word);

    bool operator==(const Picture& other) const;
    bool operator!=(const Picture& other) const { return !(*this == other); }

private:
    bool Allocate(int width, int height, int maxSide, bool black);

    struct FreeDeleter {
        void operator()(uint32_t* p) const;
    };
    std::unique_ptr<uint32_t[], FreeDeleter> m_pBits;
    int m_nWidth = 0;
    int m_nHeight = 0;
};

// Clamps a size taken from a user, a file or the settings: compared as
// unsigned, 16384 or more becomes 16384.
inline unsigned ClampPictureSide(unsigned side) { return side >= unsigned(kMaxPictureSide) ? kMaxPictureSide : side; }

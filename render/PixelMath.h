#pragma once
// The arithmetic that defines a picture's pixels: where a pixel is sampled,
// what "PIC" feeds into the tree there, and how a colour becomes a pixel
// word. Every renderer uses these, so every renderer gives the same pixels.

#include "Picture.h"

#include <cstdint>

struct SampleOffset {
    double dx;
    double dy;
};

// One sample per pixel, just off the centre so that an even size never puts
// a sample exactly on x = 0 or y = 0.
inline constexpr SampleOffset kPlainSample = {0.499999, 0.50001};
// Anti-alias samples, in the order they are evaluated.
inline constexpr SampleOffset kAntiAliasSamples[4] = {
    {0.33333, 0.333331},
    {0.666666, 0.333331},
    {0.33333, 0.666661},
    {0.66666, 0.666661},
};

// Plane coordinate of a sample: the picture spans [-1, 1]; x grows to the
// right, y downward. The expression is kept as written (no fused or
// reordered arithmetic) because the result defines the picture.
inline double SampleCoordinate(int index, double offset, int size)
{
    return 2.0 * (index + offset) / size - 1.0;
}

// trunc((v + 1) x 0.5 x 255) as an int, defined for every double: NaN and
// values outside the int range give 0x80000000, as the x86 conversion does.
inline int32_t ChannelToInt(double v)
{
    const double t = (v + 1.0) * 0.5 * 255.0;
    if (t > -2147483649.0 && t < 2147483648.0)
        return static_cast<int32_t>(t);
    return INT32_MIN;
}

// The stored byte is the low 8 bits: values outside [-1, 1] wrap.
inline uint32_t ChannelByte(int32_t t) { return static_cast<uint32_t>(t) & 0xffu; }

// Mean of the four anti-alias samples as floor(sum / 4). The sum is taken
// modulo 2^32 (it may pass the int range); bits 2..9, the only ones kept,
// are the same as those of the exact sum.
inline uint32_t AntiAliasByte(int32_t t0, int32_t t1, int32_t t2, int32_t t3)
{
    const uint32_t sum = static_cast<uint32_t>(t0) + static_cast<uint32_t>(t1) + static_cast<uint32_t>(t2) +
                         static_cast<uint32_t>(t3);
    return (sum >> 2) & 0xffu;
}

inline uint32_t PackPixel(uint32_t red, uint32_t green, uint32_t blue) { return (red << 16) | (green << 8) | blue; }

struct InputColour {
    double red;
    double green;
    double blue;
};

// What "PIC" yields at pixel (c, r): the source pixel there, each byte
// mapped to 2 x byte / 255 - 1. Without a source, or outside it, black
// (-1 in every channel), as after the picture is unloaded.
inline InputColour SourceInputColour(const Picture* source, int c, int r)
{
    if (!source || source->IsNull() || c >= source->Width() || r >= source->Height())
        return {-1.0, -1.0, -1.0};
    const uint32_t word = source->Pixel(c, r);
    return {2.0 * ((word >> 16) & 0xffu) / 255.0 - 1.0, 2.0 * ((word >> 8) & 0xffu) / 255.0 - 1.0,
            2.0 * (word & 0xffu) / 255.0 - 1.0};
}

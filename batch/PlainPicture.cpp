#include "PlainPicture.h"

#include "render/Picture.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr uint32_t kColourMask = 0x00ffffff;

// The colour held by more than half of the pixels, if one is: a colour that
// covers 90 % is that colour, found in one pass without a table of colours.
bool DominantColourCovers(const Picture& picture, double share)
{
    const uint32_t* bits = picture.Bits();
    const size_t count = picture.PixelCount();
    uint32_t candidate = 0;
    size_t votes = 0;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t colour = bits[i] & kColourMask;
        if (votes == 0) {
            candidate = colour;
            votes = 1;
        } else {
            votes += colour == candidate ? 1 : size_t(-1);
        }
    }
    size_t covered = 0;
    for (size_t i = 0; i < count; ++i)
        covered += (bits[i] & kColourMask) == candidate ? 1 : 0;
    return double(covered) > share * double(count);
}

bool ChannelsAreFlat(const Picture& picture, double maxDeviation)
{
    const uint32_t* bits = picture.Bits();
    const size_t count = picture.PixelCount();
    uint64_t sum[3] = {}, squares[3] = {};
    for (size_t i = 0; i < count; ++i) {
        for (int channel = 0; channel < 3; ++channel) {
            const uint64_t value = (bits[i] >> (8 * channel)) & 0xff;
            sum[channel] += value;
            squares[channel] += value * value;
        }
    }
    for (int channel = 0; channel < 3; ++channel) {
        const double mean = double(sum[channel]) / double(count);
        const double variance = double(squares[channel]) / double(count) - mean * mean;
        if (std::sqrt(std::fmax(variance, 0.0)) >= maxDeviation)
            return false;
    }
    return true;
}

}  // namespace

bool IsPlainPicture(const Picture& picture)
{
    if (picture.IsNull() || picture.PixelCount() == 0)
        return true;
    return DominantColourCovers(picture, kPlainColourShare) || ChannelsAreFlat(picture, kPlainMaxDeviation);
}

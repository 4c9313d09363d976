#pragma once
// "Plain" pictures, which a batch run can leave out: random trees often give
// one flat colour or nearly so. A picture is plain when one colour covers more
// than 90 % of its pixels, or when each of its red, green and blue channels
// has a standard deviation below 4 (on the 0..255 scale). An empty picture is
// plain.

class Picture;

constexpr double kPlainColourShare = 0.9;
constexpr double kPlainMaxDeviation = 4.0;
// How often a random picture is made again for the same number before a plain one is kept.
constexpr int kMaxPlainRetries = 50;

bool IsPlainPicture(const Picture& picture);

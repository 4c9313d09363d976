#pragma once
// Number text in the "C" locale whatever the user's locale: the ".quil"
// format's "%f" and atof, and the command line's numbers.

#include <string>
#include <string_view>

// printf("%f"): optional minus, integer digits, a point and six decimals.
std::string FormatFixed6(double value);
// The value the ".quil" format gives back for value: written with "%f" and
// read with atof. Every constant put into a tree goes through it, so that a
// tree and its text are the same expression, pixel for pixel.
double OnTextGrid(double value);
// printf("%.17g").
std::string FormatG17(double value);
// atof: the longest prefix that forms a number; 0 when there is none.
double AtofC(std::string_view text);
// A whole text that is exactly one number (leading/trailing blanks refused).
bool ParseDoubleC(std::string_view text, double& value);
// A whole text that is exactly one decimal integer within [min, max].
bool ParseLongC(std::string_view text, long long min, long long max, long long& value);

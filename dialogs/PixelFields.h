#pragma once
// Reading the pixel width and height of the size dialogs when they are
// confirmed or a copy starts. The dialogs differ in what they refuse and how:
// the custom copy cuts a size above the limit (and says so), the custom save
// refuses a missing size with its own message, the display dialog takes the
// range message of any number field.

#include <QString>

inline constexpr const char* kMsgInvalidPixel = "Invalid value for pixel";

enum class PixelRule {
    Copy,     // digits; 0 refused; above 16384: "Maximum resolution..." and cut to 16384
    Save,     // empty or 0: "Invalid value for pixel"; above 16384: the range message
    Display,  // digits, then the range 1 .. 16384 with the range message
};

struct PixelReading {
    unsigned x = 0;
    unsigned y = 0;
    QString message;    // empty when both sizes are taken
    int badField = -1;  // the edit to select after the message: 0 X, 1 Y, -1 none
    bool clamped = false;  // Copy: x and y hold the cut sizes to show again
    bool Accepted() const { return message.isEmpty(); }
};

PixelReading ReadPixelFields(PixelRule rule, const QString& xText, const QString& yText);

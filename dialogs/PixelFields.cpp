#include "PixelFields.h"

#include "FieldExchange.h"

#include "render/Picture.h"
#include "render/RenderMessages.h"

namespace {

constexpr unsigned kMinPixel = 1;
constexpr unsigned kMaxPixel = kMaxPictureSide;

// One field by the rule; false (with the message) when it is refused. For
// Copy, a size above the limit is taken as the limit and noted in clamped.
bool ReadOne(PixelRule rule, const QString& text, unsigned& value, QString& message, bool& clamped)
{
    const FieldError error = ReadUnsignedField(text, rule == PixelRule::Copy ? 0 : kMinPixel, kMaxPixel, value);
    if (error == FieldError::None && value > 0)
        return true;
    switch (rule) {
    case PixelRule::Copy:
        if (error == FieldError::OutOfRange) {
            clamped = true;
            return true;
        }
        message = error == FieldError::None ? QString::fromUtf8(kMsgInvalidPixel) : FieldErrorMessage(error);
        return false;
    case PixelRule::Save:
        message = error == FieldError::OutOfRange && value == kMaxPixel
                      ? FieldErrorMessage(error, kMinPixel, kMaxPixel)
                      : QString::fromUtf8(kMsgInvalidPixel);
        return false;
    case PixelRule::Display:
        message = FieldErrorMessage(error, kMinPixel, kMaxPixel);
        return false;
    }
    return false;
}

}  // namespace

PixelReading ReadPixelFields(PixelRule rule, const QString& xText, const QString& yText)
{
    PixelReading reading;
    if (!ReadOne(rule, xText, reading.x, reading.message, reading.clamped)) {
        reading.badField = 0;
        return reading;
    }
    if (!ReadOne(rule, yText, reading.y, reading.message, reading.clamped)) {
        reading.badField = 1;
        return reading;
    }
    if (reading.clamped)
        reading.message = QString::fromStdString(FillMessage(kMsgMaxResolution, kMaxPixel));
    return reading;
}

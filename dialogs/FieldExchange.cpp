#include "FieldExchange.h"

#include <QLocale>
#include <QRegularExpression>

#include <climits>
#include <cmath>

namespace {

// The digits of text from at on, as a number; false when there are none or
// another character follows. Saturates at LLONG_MAX and says so.
bool ReadDigits(const QString& text, int at, long long& number, bool& overflow)
{
    if (at >= text.size())
        return false;
    number = 0;
    overflow = false;
    for (; at < text.size(); ++at) {
        const QChar c = text[at];
        if (c < u'0' || c > u'9')
            return false;
        const int digit = c.unicode() - u'0';
        if (number > (LLONG_MAX - digit) / 10) {
            overflow = true;
            number = LLONG_MAX;
        } else if (!overflow) {
            number = number * 10 + digit;
        }
    }
    return true;
}

}  // namespace

FieldError ReadIntegerField(const QString& text, long long& value)
{
    const QString trimmed = text.trimmed();
    int at = 0;
    bool negative = false;
    if (at < trimmed.size() && (trimmed[at] == u'-' || trimmed[at] == u'+'))
        negative = trimmed[at++] == u'-';
    long long number = 0;
    bool overflow = false;
    if (!ReadDigits(trimmed, at, number, overflow))
        return FieldError::NotInteger;
    if (overflow)
        return FieldError::OutOfRange;
    value = negative ? -number : number;
    return FieldError::None;
}

FieldError ReadIntegerField(const QString& text, int min, int max, int& value)
{
    long long number = 0;
    const FieldError error = ReadIntegerField(text, number);
    if (error != FieldError::None)
        return error;
    if (number < min || number > max)
        return FieldError::OutOfRange;
    value = int(number);
    return FieldError::None;
}

FieldError ReadUnsignedField(const QString& text, unsigned& value)
{
    long long number = 0;
    bool overflow = false;
    if (!ReadDigits(text.trimmed(), 0, number, overflow))
        return FieldError::NotPositiveInteger;
    value = unsigned(static_cast<unsigned long long>(number) & 0xffffffffull);
    return FieldError::None;
}

FieldError ReadUnsignedField(const QString& text, unsigned min, unsigned max, unsigned& value)
{
    long long number = 0;
    bool overflow = false;
    if (!ReadDigits(text.trimmed(), 0, number, overflow))
        return FieldError::NotPositiveInteger;
    if (overflow || number < (long long)min || number > (long long)max)
        return FieldError::OutOfRange;
    value = unsigned(number);
    return FieldError::None;
}

FieldError ReadNumberField(const QString& text, double min, double max, double& value)
{
    static const QRegularExpression kDecimal(
        QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    const QString trimmed = text.trimmed();
    if (!kDecimal.match(trimmed).hasMatch())
        return FieldError::NotNumber;
    bool ok = false;
    const double number = QLocale::c().toDouble(trimmed, &ok);
    // An exponent too large for a double reads as not ok or infinite: out of any range.
    if (!ok || !std::isfinite(number) || number < min || number > max)
        return FieldError::NumberOutOfRange;
    value = number;
    return FieldError::None;
}

QString NumberFieldText(double value) { return QString::number(value, 'g', 15); }

QString NumberFieldErrorMessage(FieldError error, double min, double max)
{
    if (error == FieldError::NumberOutOfRange)
        return QString::fromUtf8(kMsgEnterNumberRange).arg(NumberFieldText(min), NumberFieldText(max));
    return FieldErrorMessage(error);
}

QString FieldErrorMessage(FieldError error, long long min, long long max)
{
    switch (error) {
    case FieldError::NotInteger:
        return QString::fromUtf8(kMsgEnterInteger);
    case FieldError::NotPositiveInteger:
        return QString::fromUtf8(kMsgEnterPositiveInteger);
    case FieldError::OutOfRange:
        return QString::fromUtf8(kMsgEnterIntegerRange).arg(min).arg(max);
    case FieldError::NotNumber:
        return QString::fromUtf8(kMsgEnterNumber);
    case FieldError::NumberOutOfRange:
        return QString::fromUtf8(kMsgEnterNumberRange).arg(min).arg(max);
    case FieldError::None:
        break;
    }
    return {};
}

#pragma once
// Reading a dialog's number fields the same way in every dialog, and the
// messages for a field that does not read. Widget-free: a dialog hands in the
// field's text and shows the message itself.

#include <QString>

inline constexpr const char* kMsgEnterInteger = "Please enter an integer.";
inline constexpr const char* kMsgEnterPositiveInteger = "Please enter a positive integer.";
inline constexpr const char* kMsgEnterIntegerRange = "Please enter an integer between %1 and %2.";
inline constexpr const char* kMsgEnterNumberRange = "Please enter a number between %1 and %2.";
inline constexpr const char* kMsgEnterNumber = "Please enter a number.";

enum class FieldError {
    None,
    NotInteger,          // "Please enter an integer."
    NotPositiveInteger,  // "Please enter a positive integer." (an unsigned field)
    OutOfRange,          // "Please enter an integer between %1 and %2."
    NotNumber,           // "Please enter a number."
    NumberOutOfRange,    // "Please enter a number between %1 and %2."
};

// A signed integer field: blanks around an optionally signed run of digits.
// A number beyond the 64-bit range reads as out of range; a field without a
// range gives the value as read.
FieldError ReadIntegerField(const QString& text, long long& value);
// The same with a range check (overflow counts as out of range).
FieldError ReadIntegerField(const QString& text, int min, int max, int& value);
// An unsigned field: blanks around digits only, no sign. The value wraps as
// an unsigned 32-bit number would, so the caller's unsigned comparisons see
// what they would see of such a number.
FieldError ReadUnsignedField(const QString& text, unsigned& value);

// An unsigned field with a range. The range is checked on the number as
// typed, so one beyond 32 bits is out of range instead of wrapping into it.
FieldError ReadUnsignedField(const QString& text, unsigned min, unsigned max, unsigned& value);
// A floating-point field: blanks around a decimal number in the "C" form
// (optional sign, digits with at most one point, optional exponent), whatever
// the user's locale; no infinities, no NaN.
FieldError ReadNumberField(const QString& text, double min, double max, double& value);
// How a floating-point field shows its value: up to 15 significant digits, "C" form.
QString NumberFieldText(double value);

// The message for a field that did not read; min and max fill the range texts.
QString FieldErrorMessage(FieldError error, long long min = 0, long long max = 0);
// The same for a floating-point field, its range shown as the field shows numbers.
QString NumberFieldErrorMessage(FieldError error, double min, double max);

// Reading number fields: signs, blanks, ranges, overflow, unsigned wrap, messages.

#include "dialogs/FieldExchange.h"

#include <gtest/gtest.h>

TEST(FieldExchange, SignedFields)
{
    long long v = 0;
    EXPECT_EQ(ReadIntegerField(QStringLiteral(" -42 "), v), FieldError::None);
    EXPECT_EQ(v, -42);
    EXPECT_EQ(ReadIntegerField(QStringLiteral("+7"), v), FieldError::None);
    EXPECT_EQ(v, 7);
    for (const char* bad : {"", " ", "-", "4 2", "1e3", "0x10", "12a", "--1"})
        EXPECT_EQ(ReadIntegerField(QString::fromUtf8(bad), v), FieldError::NotInteger) << bad;
    EXPECT_EQ(ReadIntegerField(QStringLiteral("99999999999999999999"), v), FieldError::OutOfRange);

    int n = 0;
    EXPECT_EQ(ReadIntegerField(QStringLiteral("64"), 0, 64, n), FieldError::None);
    EXPECT_EQ(n, 64);
    EXPECT_EQ(ReadIntegerField(QStringLiteral("65"), 0, 64, n), FieldError::OutOfRange);
    EXPECT_EQ(ReadIntegerField(QStringLiteral("-1"), 0, 64, n), FieldError::OutOfRange);
    EXPECT_EQ(n, 64);  // a refused field leaves the value alone
}

TEST(FieldExchange, UnsignedFieldsTakeNoSignAndWrapLikeUnsigned)
{
    unsigned v = 0;
    EXPECT_EQ(ReadUnsignedField(QStringLiteral("16384"), v), FieldError::None);
    EXPECT_EQ(v, 16384u);
    EXPECT_EQ(ReadUnsignedField(QStringLiteral("-1"), v), FieldError::NotPositiveInteger);
    EXPECT_EQ(ReadUnsignedField(QStringLiteral("+1"), v), FieldError::NotPositiveInteger);
    EXPECT_EQ(ReadUnsignedField(QStringLiteral("4294967296"), v), FieldError::None);
    EXPECT_EQ(v, 0u);
    EXPECT_EQ(ReadUnsignedField(QStringLiteral("4294967295"), v), FieldError::None);
    EXPECT_EQ(v, 4294967295u);
}

TEST(FieldExchange, Messages)
{
    EXPECT_EQ(FieldErrorMessage(FieldError::NotInteger), QStringLiteral("Please enter an integer."));
    EXPECT_EQ(FieldErrorMessage(FieldError::NotPositiveInteger), QStringLiteral("Please enter a positive integer."));
    EXPECT_EQ(FieldErrorMessage(FieldError::OutOfRange, 1, 16384),
              QStringLiteral("Please enter an integer between 1 and 16384."));
    EXPECT_TRUE(FieldErrorMessage(FieldError::None).isEmpty());
}

TEST(FieldExchange, UnsignedFieldsWithARangeDoNotWrapIntoIt)
{
    unsigned v = 7;
    EXPECT_EQ(ReadUnsignedField(QStringLiteral(" 10000 "), 0u, 10000u, v), FieldError::None);
    EXPECT_EQ(v, 10000u);
    EXPECT_EQ(ReadUnsignedField(QStringLiteral("10001"), 0u, 10000u, v), FieldError::OutOfRange);
    // 2^32 would wrap to 0, inside the range.
    EXPECT_EQ(ReadUnsignedField(QStringLiteral("4294967296"), 0u, 10000u, v), FieldError::OutOfRange);
    EXPECT_EQ(ReadUnsignedField(QStringLiteral("99999999999999999999999"), 0u, 10000u, v), FieldError::OutOfRange);
    EXPECT_EQ(ReadUnsignedField(QStringLiteral("0"), 1u, 20u, v), FieldError::OutOfRange);
    EXPECT_EQ(ReadUnsignedField(QStringLiteral("-3"), 0u, 10000u, v), FieldError::NotPositiveInteger);
    EXPECT_EQ(ReadUnsignedField(QStringLiteral(""), 0u, 10000u, v), FieldError::NotPositiveInteger);
    EXPECT_EQ(v, 10000u);  // refused fields leave the value alone
}

TEST(FieldExchange, NumberFieldsReadTheCFormOnly)
{
    double v = -1;
    for (const char* good : {"0.2", " 1 ", "0", ".5", "1.", "+0.25", "2.5e-1", "1E0", "-0"}) {
        EXPECT_EQ(ReadNumberField(QString::fromUtf8(good), 0.0, 1.0, v), FieldError::None) << good;
    }
    EXPECT_EQ(ReadNumberField(QStringLiteral("0.1234"), 0.0, 1.0, v), FieldError::None);
    EXPECT_EQ(v, 0.1234);
    for (const char* bad : {"", ".", "0,5", "1..2", "e3", "0x1", "inf", "nan", "1e", "- 1", "0.5 0.5"})
        EXPECT_EQ(ReadNumberField(QString::fromUtf8(bad), 0.0, 1.0, v), FieldError::NotNumber) << bad;
    for (const char* outside : {"1.0000001", "-0.001", "1e999", "-1e999", "2"})
        EXPECT_EQ(ReadNumberField(QString::fromUtf8(outside), 0.0, 1.0, v), FieldError::NumberOutOfRange) << outside;
    EXPECT_EQ(v, 0.1234);
}

TEST(FieldExchange, NumberFieldsShowWhatTheyRead)
{
    for (double value : {0.2, 0.1234, 1.0, 0.0, 1e-5, 0.123456789012345}) {
        double back = -1;
        ASSERT_EQ(ReadNumberField(NumberFieldText(value), 0.0, 1.0, back), FieldError::None) << value;
        EXPECT_EQ(back, value);
    }
    EXPECT_EQ(NumberFieldText(0.2), QStringLiteral("0.2"));
    EXPECT_EQ(NumberFieldErrorMessage(FieldError::NumberOutOfRange, 0.0, 1.0),
              QStringLiteral("Please enter a number between 0 and 1."));
    EXPECT_EQ(NumberFieldErrorMessage(FieldError::NotNumber, 0.0, 1.0), QStringLiteral("Please enter a number."));
}

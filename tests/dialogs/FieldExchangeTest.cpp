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

// The size fields of the three size dialogs, read as each dialog reads them
// when it is confirmed or a copy starts.

#include "dialogs/FieldExchange.h"
#include "dialogs/PixelFields.h"

#include <gtest/gtest.h>

namespace {
const QString kMaxResolution = QStringLiteral("Maximum resolution for x and y is 16384");
const QString kInvalidPixel = QStringLiteral("Invalid value for pixel");
const QString kRange = QStringLiteral("Please enter an integer between 1 and 16384.");
const QString kPositive = QStringLiteral("Please enter a positive integer.");
}  // namespace

TEST(PixelFields, RangedUnsignedReadComparesTheWholeNumber)
{
    unsigned v = 7;
    EXPECT_EQ(ReadUnsignedField(QStringLiteral(" 16384 "), 1, 16384, v), FieldError::None);
    EXPECT_EQ(v, 16384u);
    // 2^32 + 1 would wrap to 1 as a 32-bit number: it must not pass as 1.
    EXPECT_EQ(ReadUnsignedField(QStringLiteral("4294967297"), 1, 16384, v), FieldError::OutOfRange);
    EXPECT_EQ(v, 16384u);  // the nearer limit
    EXPECT_EQ(ReadUnsignedField(QStringLiteral("99999999999999999999999"), 1, 16384, v), FieldError::OutOfRange);
    EXPECT_EQ(v, 16384u);
    EXPECT_EQ(ReadUnsignedField(QStringLiteral("0"), 1, 16384, v), FieldError::OutOfRange);
    EXPECT_EQ(v, 1u);
    EXPECT_EQ(ReadUnsignedField(QStringLiteral("+5"), 1, 16384, v), FieldError::NotPositiveInteger);
    EXPECT_EQ(ReadUnsignedField(QString(), 1, 16384, v), FieldError::NotPositiveInteger);
}

TEST(PixelFields, CopyCutsLargeSizesAndSaysSo)
{
    PixelReading r = ReadPixelFields(PixelRule::Copy, QStringLiteral("300"), QStringLiteral("200"));
    EXPECT_TRUE(r.Accepted());
    EXPECT_EQ(r.x, 300u);
    EXPECT_EQ(r.y, 200u);

    r = ReadPixelFields(PixelRule::Copy, QStringLiteral("20000"), QStringLiteral("4294967297"));
    EXPECT_FALSE(r.Accepted());
    EXPECT_EQ(r.message, kMaxResolution);
    EXPECT_TRUE(r.clamped);
    EXPECT_EQ(r.x, 16384u);
    EXPECT_EQ(r.y, 16384u);  // no wrap to 1

    r = ReadPixelFields(PixelRule::Copy, QStringLiteral("100"), QStringLiteral("16385"));
    EXPECT_TRUE(r.clamped);
    EXPECT_EQ(r.x, 100u);
    EXPECT_EQ(r.y, 16384u);

    // A copy of no pixels would put nothing on the clipboard.
    r = ReadPixelFields(PixelRule::Copy, QStringLiteral("100"), QStringLiteral("0"));
    EXPECT_EQ(r.message, kInvalidPixel);
    EXPECT_EQ(r.badField, 1);
    EXPECT_FALSE(r.clamped);
    r = ReadPixelFields(PixelRule::Copy, QString(), QStringLiteral("20000"));
    EXPECT_EQ(r.message, kPositive);
    EXPECT_EQ(r.badField, 0);
}

TEST(PixelFields, SaveRefusesMissingSizesWithItsOwnMessage)
{
    for (const char* bad : {"0", "", "000"}) {
        const PixelReading r = ReadPixelFields(PixelRule::Save, QString::fromUtf8(bad), QStringLiteral("10"));
        EXPECT_EQ(r.message, kInvalidPixel) << bad;
        EXPECT_EQ(r.badField, 0);
    }
    PixelReading r = ReadPixelFields(PixelRule::Save, QStringLiteral("10"), QStringLiteral("16385"));
    EXPECT_EQ(r.message, kRange);
    EXPECT_EQ(r.badField, 1);
    EXPECT_FALSE(r.clamped);
    r = ReadPixelFields(PixelRule::Save, QStringLiteral("16384"), QStringLiteral("1"));
    EXPECT_TRUE(r.Accepted());
}

TEST(PixelFields, DisplayTakesTheRangeMessageOfAnyNumberField)
{
    EXPECT_EQ(ReadPixelFields(PixelRule::Display, QStringLiteral("0"), QStringLiteral("1")).message, kRange);
    EXPECT_EQ(ReadPixelFields(PixelRule::Display, QStringLiteral("1"), QStringLiteral("16385")).message, kRange);
    EXPECT_EQ(ReadPixelFields(PixelRule::Display, QStringLiteral(""), QStringLiteral("1")).message, kPositive);
    const PixelReading r = ReadPixelFields(PixelRule::Display, QStringLiteral("500"), QStringLiteral("400"));
    EXPECT_TRUE(r.Accepted());
    EXPECT_EQ(r.x, 500u);
    EXPECT_EQ(r.y, 400u);
}

#include <gtest/gtest.h>

#include <charconv>
#include <clocale>
#include <limits>
#include <string>

#include "core/numbers.h"

namespace kakeibo {
namespace {

struct FormatRow {
    long double Value;
    int Width;
    int Decimals;
    const char* Expected;
};

TEST(NumberFormatTest, ThousandsSeparatorsWidthAndDecimals) {
    const FormatRow rows[] = {
        {0, 1, 0, "0"},
        {1234, 1, 0, "1,234"},
        {-1234, 1, 0, "-1,234"},
        {999, 1, 0, "999"},
        {1000, 1, 0, "1,000"},
        {1234567, 10, 0, " 1,234,567"},
        {-999999999, 1, 0, "-999,999,999"},
        {123456789012345, 1, 0, "123,456,789,012,345"},
        {1234.5L, 9, 2, " 1,234.50"},
        {1234.6L, 1, 0, "1,235"},
        {0.5L, 1, 1, "0.5"},
        {12, 4, 0, "  12"},
        {-5, 1, 0, "-5"},
        {1234.567L, 1, 2, "1,234.57"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FormatNumber(row.Value, row.Width, row.Decimals), row.Expected)
            << "value " << static_cast<double>(row.Value);
    }
}

TEST(NumberFormatTest, FixedPointRightAndLeftJustified) {
    EXPECT_EQ(FormatFixed(1234567, 1, 0), "1234567");
    EXPECT_EQ(FormatFixed(1234.5L, 1, 2), "1234.50");
    EXPECT_EQ(FormatFixed(-3, 8, 0), "      -3");
    EXPECT_EQ(FormatFixed(12345678, 8, 0), "12345678");
    EXPECT_EQ(FormatFixed(123456789, 8, 0), "123456789");  // never cut
    EXPECT_EQ(FormatFixed(0.4L, 0, 0), "0");
    EXPECT_EQ(FormatFixedLeft(12, 5, 1), "12.0 ");
    EXPECT_EQ(FormatFixedLeft(-0.5L, 4, 1), "-0.5");
    EXPECT_EQ(FormatFixedLeft(7, 1, 0), "7");
}

TEST(NumberFormatTest, HalvesRoundAwayFromZeroAsTheUserReadsThem) {
    EXPECT_EQ(FormatFixed(2.5L, 0, 0), "3");
    EXPECT_EQ(FormatFixed(-2.5L, 0, 0), "-3");
    EXPECT_EQ(FormatFixed(0.5L, 0, 0), "1");
    EXPECT_EQ(FormatFixed(0.125L, 0, 2), "0.13");
    // Not exact in binary: 1.005 and 2.675 are held slightly below the typed decimal.
    EXPECT_EQ(FormatFixed(1.005L, 0, 2), "1.01");
    EXPECT_EQ(FormatNumber(2.675L, 1, 2), "2.68");
    EXPECT_EQ(FormatFixed(0.1L + 0.2L, 0, 14), "0.30000000000000");
    EXPECT_EQ(FormatNumber(999.5L, 1, 0), "1,000");
    EXPECT_EQ(FormatFixed(9.96L, 0, 1), "10.0");
}

TEST(NumberFormatTest, ZeroNeverShowsAMinusSign) {
    EXPECT_EQ(FormatFixed(-0.0L, 0, 0), "0");
    EXPECT_EQ(FormatFixed(-0.001L, 0, 2), "0.00");
    EXPECT_EQ(FormatNumber(-0.4L, 1, 0), "0");
    EXPECT_EQ(FormatPicture(-1e-16L, false), "0");
    EXPECT_EQ(FormatFixedLeft(-0.0L, 2, 0), "0 ");
}

TEST(NumberFormatTest, PicturesKeepUpToFourteenDecimalsWithoutTrailingZeros) {
    EXPECT_EQ(FormatPicture(0, false), "0");
    EXPECT_EQ(FormatPicture(1234.5L, true), "1,234.5");
    EXPECT_EQ(FormatPicture(1234.5L, false), "1234.5");
    EXPECT_EQ(FormatPicture(1234567, true), "1,234,567");
    EXPECT_EQ(FormatPicture(-1500, true), "-1,500");
    EXPECT_EQ(FormatPicture(0.25L, false), "0.25");
    EXPECT_EQ(FormatPicture(0.1L, false), "0.1");
    EXPECT_EQ(FormatPicture(1.0L / 3, false), "0.33333333333333");
    EXPECT_EQ(FormatPicture(2.0L / 3, true), "0.66666666666667");
    EXPECT_EQ(FormatPicture(0.000000001L, false), "0.000000001");
    EXPECT_EQ(FormatPicture(1e-15L, false), "0");
    EXPECT_EQ(FormatPicture(123456789.5L, true), "123,456,789.5");
    EXPECT_EQ(FormatPicture(10000000000.0L, true), "10,000,000,000");
}

TEST(NumberFormatTest, NothingDependsOnTheLocale) {
    // A program with a German locale would otherwise write "1234,50".
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) {
        std::setlocale(LC_NUMERIC, "C.UTF-8");
    }
    EXPECT_EQ(FormatFixed(1234.5L, 0, 2), "1234.50");
    EXPECT_EQ(FormatNumber(1234.5L, 0, 2), "1,234.50");
    EXPECT_EQ(ParseDecimal("1234.5"), std::optional<long double>(1234.5L));
    std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(NumberFormatTest, ZeroPaddedWholeNumbers) {
    EXPECT_EQ(FormatZeroPadded(5, 2), "05");
    EXPECT_EQ(FormatZeroPadded(12, 2), "12");
    EXPECT_EQ(FormatZeroPadded(123, 2), "123");
    EXPECT_EQ(FormatZeroPadded(0, 2), "00");
    EXPECT_EQ(FormatZeroPadded(-5, 2), "-05");
    EXPECT_EQ(FormatZeroPadded(std::numeric_limits<int64_t>::min(), 1), "-9223372036854775808");
}

TEST(NumberFormatTest, PlainDecimalTexts) {
    EXPECT_EQ(ParseDecimal("123"), std::optional<long double>(123));
    EXPECT_EQ(ParseDecimal("-123456"), std::optional<long double>(-123456));
    EXPECT_EQ(ParseDecimal("+7"), std::optional<long double>(7));
    EXPECT_EQ(ParseDecimal("1."), std::optional<long double>(1));
    EXPECT_EQ(ParseDecimal(".5"), std::optional<long double>(0.5L));
    EXPECT_EQ(ParseDecimal("0.1"), std::optional<long double>(0.1L));
    for (const char* bad : {"", "-", "+", ".", "1-2", "1.2.3", "1e5", " 1", "1 ", "--1", "1,000",
                            "0x10", "inf", "nan"}) {
        EXPECT_EQ(ParseDecimal(bad), std::nullopt) << bad;
    }
}

TEST(NumberFormatTest, PowersOfTenAreTheNearestExtendedValues) {
    EXPECT_EQ(PowerOfTen(0), 1.0L);
    EXPECT_EQ(PowerOfTen(9), 1000000000.0L);
    EXPECT_EQ(PowerOfTen(-2), 0.01L);
    EXPECT_EQ(PowerOfTen(-8), 1e-8L);
    EXPECT_EQ(PowerOfTen(5000), std::numeric_limits<long double>::infinity());
    EXPECT_EQ(PowerOfTen(-5000), 0.0L);
    // Every exponent a window asks for: the value the text "1e<n>" converts to.
    for (int n = -60; n <= 60; ++n) {
        const std::string text = "1e" + std::to_string(n);
        long double nearest = 0;
        std::from_chars(text.data(), text.data() + text.size(), nearest);
        EXPECT_EQ(PowerOfTen(n), nearest) << text;
    }
}

TEST(NumberFormatTest, WholeNumbersShowEveryDigit) {
    const FormatRow rows[] = {
        {999999999999999999.0L, 1, 0, "999999999999999999"},
        {-123456789012345678.0L, 1, 1, "-123456789012345678.0"},
        {100000000000000000.0L, 1, 2, "100000000000000000.00"},
        {9007199254740993.0L, 1, 0, "9007199254740993"},
        {1e18L, 1, 0, "1000000000000000000"},
        {123456789012345678901.0L, 1, 0, "123456789012345679000"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(FormatFixed(row.Value, row.Width, row.Decimals), row.Expected)
            << "value " << static_cast<double>(row.Value);
    }
}

}  // namespace
}  // namespace kakeibo

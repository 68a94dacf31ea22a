#include "core/numbers.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/errors.h"

namespace kakeibo {
namespace {

template <typename Parse>
std::string ErrorOf(Parse parse, std::string_view text) {
    try {
        parse(text);
    } catch (const LedgerError& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(Numbers, WholeNumbersParseToTheLimitsOfTheirWidth) {
    EXPECT_EQ(ParseInt32("0"), 0);
    EXPECT_EQ(ParseInt32("-12"), -12);
    EXPECT_EQ(ParseInt32("+7"), 7);
    EXPECT_EQ(ParseInt32("007"), 7);
    EXPECT_EQ(ParseInt32("2147483647"), 2147483647);
    EXPECT_EQ(ParseInt32("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ParseInt64("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(ParseInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(ParseInt64("5000000000"), 5000000000);
    EXPECT_EQ(ParseInt32(RemoveCommas("-1,234,567")), -1234567);
    EXPECT_EQ(RemoveCommas(",1,,2,"), "12");
}

TEST(Numbers, AnythingElseIsNotANumber) {
    for (const char* text : {"", "-", "+", "12a", " 1", "1 ", "1,000", "1.5", "0x10", "１２",
                             "2147483648", "-2147483649", "99999999999999999999"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ErrorOf(ParseInt32, text), std::string("'") + text + "' は数値ではありません");
    }
    EXPECT_EQ(ErrorOf(ParseInt64, "9223372036854775808"),
              "'9223372036854775808' は数値ではありません");
    EXPECT_EQ(ErrorOf(ParseInt64, "-9223372036854775809"),
              "'-9223372036854775809' は数値ではありません");
    EXPECT_EQ(ErrorOf(ParseInt64, "--1"), "'--1' は数値ではありません");
}

// What the windows take from a typed amount: any whole yen as 64 bits, an entry's 1..2^31-1.
TEST(Numbers, ATypedAmountIsWholeYenWithSeparatorsAndBlanks) {
    const struct {
        const char* typed;
        std::optional<int64_t> amount;
        std::optional<int32_t> entry;
    } rows[] = {
        {"1,234", 1234, 1234},
        {" 　85,000\t　", 85000, 85000},
        {"+7", 7, 7},
        {"1", 1, 1},
        {"0", 0, std::nullopt},
        {"-300", -300, std::nullopt},
        {"2,147,483,647", 2147483647, 2147483647},
        {"2147483648", 2147483648, std::nullopt},
        {"9,223,372,036,854,775,807", INT64_MAX, std::nullopt},
        {"9223372036854775808", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"　", std::nullopt, std::nullopt},
        {"12.5", std::nullopt, std::nullopt},
        {"1 000", std::nullopt, std::nullopt},
        {"１２", std::nullopt, std::nullopt},
        {"12円", std::nullopt, std::nullopt},
        {"-", std::nullopt, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.typed);
        EXPECT_EQ(ParseTypedAmount(row.typed), row.amount);
        EXPECT_EQ(TypedEntryAmount(row.typed), row.entry);
    }
}

}  // namespace
}  // namespace kakeibo

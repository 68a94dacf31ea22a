#include "core/numbers.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace kakeibo

#include "ui/controls/nval_edit_logic.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace kakeibo {
namespace {

// A field with a beep counter. Keys: digits, "-", ".", "<" Backspace, "#" Delete,
// "!" Escape, "*" the next key acts on a selected text.
struct Field {
    int Beeps = 0;
    NValEditLogic Logic{[this] { ++Beeps; }};

    // The text after each key, joined with "|".
    std::string Type(const std::string& keys) {
        std::string shown;
        bool first = true;
        bool selected = false;
        for (char key : keys) {
            if (key == '*') {
                selected = true;
                continue;
            }
            if (key >= '0' && key <= '9') {
                Logic.TypeDigit(key - '0', selected);
            } else if (key == '-') {
                Logic.TypeMinus(selected);
            } else if (key == '.') {
                Logic.TypePoint(selected);
            } else if (key == '<') {
                Logic.DeleteLastDigit(selected);
            } else if (key == '#') {
                Logic.DeleteKey(selected);
            } else if (key == '!') {
                Logic.Escape();
            }
            selected = false;
            if (!first) shown += "|";
            first = false;
            shown += Logic.Text();
        }
        return shown;
    }
};

struct KeyRow {
    const char* Name;
    std::function<void(NValEditLogic&)> Setup;
    const char* Keys;
    const char* Shown;  // text after each key
    long double Value;
    int Beeps;
};

void Defaults(NValEditLogic&) {}

TEST(NValEditLogicTest, KeySequencesShowTheNumberAsItGrows) {
    const std::vector<KeyRow> rows = {
        {"digits with separators", Defaults, "1234", "1|12|123|1,234", 1234, 0},
        {"digits without separators", [](NValEditLogic& l) { l.SetPutAComma(false); }, "1234",
         "1|12|123|1234", 1234, 0},
        {"seven digits", Defaults, "1234567", "1|12|123|1,234|12,345|123,456|1,234,567", 1234567,
         0},
        {"minus then five", Defaults, "-5", "-|-5", -5, 0},
        {"minus then digits", Defaults, "-1234", "-|-1|-12|-123|-1,234", -1234, 0},
        {"minus toggles", Defaults, "123--", "1|12|123|-123|123", 123, 0},
        {"point then five", Defaults, ".5", "0.|0.5", 0.5L, 0},
        {"point then decimals", Defaults, "1.25", "1|1.|1.2|1.25", 1.25L, 0},
        {"minus point five", Defaults, "-.5", "-|-0.|-0.5", -0.5L, 0},
        {"second point beeps", Defaults, "1..", "1|1.|1.", 1, 1},
        {"leading zeros vanish", Defaults, "007", "||7", 7, 0},
        {"max digits 2", [](NValEditLogic& l) { l.SetMaxDigits(2); }, "123.", "1|12|12|12", 12, 2},
        {"nine digits then one more", Defaults, "1234567890",
         "1|12|123|1,234|12,345|123,456|1,234,567|12,345,678|123,456,789|123,456,789", 123456789,
         1},
        {"decimals share the digit limit", [](NValEditLogic& l) { l.SetMaxDigits(4); }, "12.345",
         "1|12|12.|12.3|12.34|12.34", 12.34L, 1},
        {"fix decimal 2", [](NValEditLogic& l) { l.SetFixDecimal(2); }, "1.234",
         "1|1.|1.2|1.23|1.23", 1.23L, 1},
        {"fix decimal 2 limits the whole part",
         [](NValEditLogic& l) {
             l.SetMaxDigits(4);
             l.SetFixDecimal(2);
         },
         "123", "1|12|12", 12, 1},
        {"fix decimal 0 refuses the point", [](NValEditLogic& l) { l.SetFixDecimal(0); }, "12.3",
         "1|12|12|123", 123, 1},
        {"backspace chain", Defaults, "1234<<<<<", "1|12|123|1,234|123|12|1||", 0, 0},
        {"backspace on a decimal", Defaults, ".5<<", "0.|0.5|0.|", 0, 0},
        {"backspace after a point", Defaults, "12.<", "1|12|12.|1", 1, 0},
        {"backspace decimals", Defaults, "1.25<<<", "1|1.|1.2|1.25|1.2|1.|", 0, 0},
        {"backspace takes the point with the last digit", Defaults, "12.<<", "1|12|12.|1|", 0, 0},
        {"backspace negative", Defaults, "-5<", "-|-5|", 0, 0},
        {"backspace negative two digits", Defaults, "-12<<", "-|-1|-12|-1|", 0, 0},
        {"backspace negative decimal", Defaults, "-.5<<", "-|-0.|-0.5|-0.|", 0, 0},
        {"backspace on empty", Defaults, "<", "", 0, 0},
        {"backspace with zero display", [](NValEditLogic& l) { l.SetZeroDisplay(true); }, "-5<",
         "-0|-5|0", 0, 0},
        {"zero display then digits", [](NValEditLogic& l) { l.SetZeroDisplay(true); }, "012",
         "0|1|12", 12, 0},
        {"digit over a selection", Defaults, "123*4", "1|12|123|4", 4, 0},
        {"minus over a selection", Defaults, "123*-", "1|12|123|-", 0, 0},
        {"point over a selection keeps the sign", Defaults, "-12*.5", "-|-1|-12|-0.|-0.5", -0.5L,
         0},
        {"backspace over a selection", Defaults, "123*<", "1|12|123|", 0, 0},
        {"delete without a selection", Defaults, "123#", "1|12|123|123", 123, 0},
        {"delete with a selection", Defaults, "123*#", "1|12|123|", 0, 0},
        {"delete clears everything", [](NValEditLogic& l) { l.SetDelAllClear(true); }, "123#",
         "1|12|123|", 0, 0},
        {"negatives not permitted", [](NValEditLogic& l) { l.SetPrmtNegative(false); }, "-5", "|5",
         5, 1},
        {"leading char with digits", [](NValEditLogic& l) { l.SetLeadingChar('\\'); }, "-12<<",
         "¥-|¥-1|¥-12|¥-1|", 0, 0},
        {"dollar sign", [](NValEditLogic& l) { l.SetLeadingChar('$'); }, "1234.5",
         "$1|$12|$123|$1,234|$1,234.|$1,234.5", 1234.5L, 0},
    };
    for (const auto& row : rows) {
        Field field;
        row.Setup(field.Logic);
        EXPECT_EQ(field.Type(row.Keys), row.Shown) << row.Name;
        EXPECT_EQ(field.Logic.Value(), row.Value) << row.Name;
        EXPECT_EQ(field.Beeps, row.Beeps) << row.Name;
    }
}

TEST(NValEditLogicTest, CountersFollowTheTypedNumber) {
    Field field;
    field.Type("-12.5");
    EXPECT_EQ(field.Logic.DigitCount(), 3);
    EXPECT_EQ(field.Logic.DecimalCount(), 1);
    EXPECT_TRUE(field.Logic.PointTyped());
    EXPECT_TRUE(field.Logic.MinusTyped());
    EXPECT_TRUE(field.Logic.ShowsNegative());
    field.Type("<<");
    EXPECT_EQ(field.Logic.Text(), "-1");
    EXPECT_EQ(field.Logic.DigitCount(), 1);
    EXPECT_EQ(field.Logic.DecimalCount(), 0);
    EXPECT_FALSE(field.Logic.PointTyped());
    EXPECT_TRUE(field.Logic.MinusTyped());
    field.Type("<");
    EXPECT_EQ(field.Logic.DigitCount(), 0);
    EXPECT_FALSE(field.Logic.MinusTyped());
    EXPECT_FALSE(field.Logic.ShowsNegative());
}

TEST(NValEditLogicTest, TypedDecimalsAreExactDecimalNumbers) {
    Field field;
    field.Type("0.1");
    EXPECT_EQ(field.Logic.Value(), 0.1L);
    field.Type("*1.005");
    EXPECT_EQ(field.Logic.Value(), 1.005L);
    EXPECT_EQ(field.Logic.Text(), "1.005");
    field.Type("*12345.678");
    EXPECT_EQ(field.Logic.Value(), 12345.678L);
    EXPECT_EQ(field.Logic.Text(), "12,345.678");
}

struct ValueRow {
    const char* Name;
    std::function<void(NValEditLogic&)> Setup;
    long double Set;
    const char* Shown;
    long double Value;
};

TEST(NValEditLogicTest, SettingValueClampsCutsAndShows) {
    const std::vector<ValueRow> rows = {
        {"zero", Defaults, 0, "", 0},
        {"zero displayed", [](NValEditLogic& l) { l.SetZeroDisplay(true); }, 0, "0", 0},
        {"zero with leading char", [](NValEditLogic& l) { l.SetLeadingChar('\\'); }, 0, "", 0},
        {"zero displayed with leading char",
         [](NValEditLogic& l) {
             l.SetLeadingChar('\\');
             l.SetZeroDisplay(true);
         },
         0, "¥0", 0},
        {"whole number", Defaults, 1234567, "1,234,567", 1234567},
        {"negative", Defaults, -1500, "-1,500", -1500},
        {"too large", Defaults, 1e10L, "999,999,999", 999999999},
        {"too small", Defaults, -1e10L, "-999,999,999", -999999999},
        {"just fits", Defaults, 999999999, "999,999,999", 999999999},
        {"tiny becomes zero", Defaults, 0.000000001L, "", 0},
        {"tiny negative becomes zero", Defaults, -0.000000001L, "", 0},
        {"smallest shown", Defaults, 0.00000001L, "0.00000001", 0.00000001L},
        {"decimals", Defaults, 1234.5L, "1,234.5", 1234.5L},
        {"decimals cut to the digit limit", Defaults, 1.23456789012L, "1.23456789", 1.23456789012L},
        {"whole part fills every digit", Defaults, 123456789.4L, "123,456,789", 123456789.4L},
        {"fix decimal 2 pads", [](NValEditLogic& l) { l.SetFixDecimal(2); }, 5, "5.00", 5},
        {"fix decimal 2 rounds the text", [](NValEditLogic& l) { l.SetFixDecimal(2); }, 1.239L,
         "1.24", 1.239L},
        {"fix decimal 2 too large", [](NValEditLogic& l) { l.SetFixDecimal(2); }, 1e12L,
         "9,999,999.99", 9999999.99L},
        {"fix decimal 2 tiny", [](NValEditLogic& l) { l.SetFixDecimal(2); }, 0.004L, "", 0},
        {"fix decimal 0 rounds the text only", [](NValEditLogic& l) { l.SetFixDecimal(0); }, 2.5L,
         "3", 2.5L},
        {"no separators", [](NValEditLogic& l) { l.SetPutAComma(false); }, -1234.5L, "-1234.5",
         -1234.5L},
        {"negatives not permitted", [](NValEditLogic& l) { l.SetPrmtNegative(false); }, -5, "5", 5},
        {"negatives not permitted, clamped", [](NValEditLogic& l) { l.SetPrmtNegative(false); },
         -1e10L, "999,999,999", 999999999},
        {"leading char on a negative", [](NValEditLogic& l) { l.SetLeadingChar('\\'); }, -1500,
         "¥-1,500", -1500},
        {"max digits 15", [](NValEditLogic& l) { l.SetMaxDigits(15); }, 123456789012345.0L,
         "123,456,789,012,345", 123456789012345.0L},
    };
    for (const auto& row : rows) {
        Field field;
        row.Setup(field.Logic);
        field.Logic.SetValue(row.Set);
        EXPECT_EQ(field.Logic.Text(), row.Shown) << row.Name;
        EXPECT_EQ(field.Logic.Value(), row.Value) << row.Name;
        EXPECT_EQ(field.Beeps, 0) << row.Name;
    }
}

TEST(NValEditLogicTest, ASetValueCarriesOnWithTyping) {
    Field field;
    field.Logic.SetValue(1234.5L);
    EXPECT_EQ(field.Type("6<<<"), "1,234.56|1,234.5|1,234.|123");
    field.Logic.SetValue(-12);
    EXPECT_EQ(field.Type("3"), "-123");
    field.Logic.SetFixDecimal(2);
    field.Logic.SetValue(7);
    EXPECT_EQ(field.Type("<<<"), "7.0|7.|");
    EXPECT_EQ(field.Beeps, 0);
}

TEST(NValEditLogicTest, TextToValueRows) {
    NValEditLogic logic;
    const struct {
        const char* Text;
        long double Value;
    } rows[] = {
        {"", 0},
        {"123", 123},
        {"１２３", 123},
        {"－１，２３４．５", -1234.5L},
        {"\\1,234", 1234},
        {"¥1,234", 1234},
        {"￥1,234", 1234},
        {"$1,234", 1234},
        {"-123,456", -123456},
        {"1,234,567.89", 1234567.89L},
        {"+1,234", 1234},
        {"1,23", 0},
        {"12,34", 0},
        {",123", 0},
        {"1,234.5,6", 0},
        {"1234,567", 0},
        {"12a", 0},
        {"-", 0},
        {"1-2", 0},
        {"1.2.3", 0},
        {"1 234", 0},
        {"1,2345", 0},
        {"1,234\r\n", 1234},
        {"  42 ", 42},
        {"食", 0},
        {"\\\\1", 0},
        {"#5", 0},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(logic.TextToValue(row.Text), row.Value) << row.Text;
    }
    // With a leading character of its own, only that one is dropped.
    logic.SetLeadingChar('#');
    EXPECT_EQ(logic.TextToValue("#1,234"), 1234);
    EXPECT_EQ(logic.TextToValue("$1,234"), 0);
    EXPECT_EQ(logic.TextToValue("\\1,234"), 0);
    logic.SetLeadingChar('\\');
    EXPECT_EQ(logic.TextToValue("¥-1,500"), -1500);
    EXPECT_EQ(logic.TextToValue("￥7"), 7);
}

TEST(NValEditLogicTest, EscapeReturnsToTheValueAtFocusGain) {
    Field field;
    field.Logic.SetValue(500);
    field.Logic.FocusGained();
    field.Type("*1234");
    EXPECT_EQ(field.Type("!"), "500");
    EXPECT_EQ(field.Logic.Value(), 500);
    field.Type("*77");
    field.Logic.FocusLost();
    EXPECT_EQ(field.Logic.SavedValue(), 77);
    EXPECT_EQ(field.Type("9!"), "779|77");
}

TEST(NValEditLogicTest, LeavingPadsFixedDecimals) {
    Field field;
    field.Logic.SetFixDecimal(2);
    field.Type("1.5");
    field.Logic.FocusLost();
    EXPECT_EQ(field.Logic.Text(), "1.50");
    EXPECT_EQ(field.Logic.DigitCount(), 3);
    field.Type("*12.");
    field.Logic.FocusLost();
    EXPECT_EQ(field.Logic.Text(), "12.00");
    // Further decimals are refused once the pad filled them.
    EXPECT_EQ(field.Type("3"), "12.00");
    EXPECT_EQ(field.Beeps, 1);
    field.Logic.Clear();
    field.Logic.FocusLost();
    EXPECT_EQ(field.Logic.Text(), "");
}

TEST(NValEditLogicTest, PropertySettersActOnTheShownNumber) {
    Field field;
    field.Logic.SetValue(1234.567L);
    field.Logic.SetPutAComma(false);
    EXPECT_EQ(field.Logic.Text(), "1234.567");
    field.Logic.SetPutAComma(true);

    field.Logic.SetFixDecimal(2);  // cut, not rounded
    EXPECT_EQ(field.Logic.Text(), "1,234.56");
    EXPECT_EQ(field.Logic.Value(), 1234.56L);
    field.Logic.SetFixDecimal(0);
    EXPECT_EQ(field.Logic.Text(), "1,234");
    field.Logic.SetFixDecimal(20);  // brought into range; one whole digit is left
    EXPECT_EQ(field.Logic.FixDecimal(), 8);
    EXPECT_EQ(field.Logic.Text(), "9.99999999");
    field.Logic.SetFixDecimal(-5);
    EXPECT_EQ(field.Logic.FixDecimal(), -1);

    EXPECT_FALSE(field.Logic.SetMaxDigits(0));
    EXPECT_FALSE(field.Logic.SetMaxDigits(16));
    EXPECT_EQ(field.Logic.MaxDigits(), 9);
    field.Logic.SetValue(123456);
    EXPECT_TRUE(field.Logic.SetMaxDigits(4));  // clamps the number to the new range
    EXPECT_EQ(field.Logic.Text(), "9,999");
    field.Logic.SetFixDecimal(2);
    EXPECT_FALSE(field.Logic.SetMaxDigits(2));
    EXPECT_EQ(field.Logic.MaxDigits(), 4);

    Field negative;
    negative.Logic.SetValue(-42);
    negative.Logic.SetPrmtNegative(false);
    EXPECT_EQ(negative.Logic.Text(), "42");
    EXPECT_EQ(negative.Logic.Value(), 42);
    negative.Logic.SetPrmtNegative(true);
    negative.Type("*-");
    negative.Logic.SetPrmtNegative(false);
    EXPECT_EQ(negative.Logic.Text(), "");

    Field lead;
    lead.Logic.SetValue(1500);
    lead.Logic.SetLeadingChar('$');
    EXPECT_EQ(lead.Logic.Text(), "$1,500");
    lead.Logic.SetLeadingChar('\\');
    EXPECT_EQ(lead.Logic.Text(), "¥1,500");
    lead.Logic.SetLeadingChar('\0');
    EXPECT_EQ(lead.Logic.Text(), "1,500");
    EXPECT_EQ(lead.Logic.LeadingChar(), ' ');
    lead.Logic.SetZeroDisplay(true);
    lead.Logic.SetValue(0);
    EXPECT_EQ(lead.Logic.Text(), "0");
    EXPECT_EQ(lead.Beeps, 0);
}

TEST(NValEditLogicTest, LeadingCharacterTexts) {
    EXPECT_EQ(LeadingCharText(' '), "");
    EXPECT_EQ(LeadingCharText('\x1F'), "");
    EXPECT_EQ(LeadingCharText('\\'), "¥");
    EXPECT_EQ(LeadingCharText('$'), "$");
    EXPECT_EQ(LeadingCharText('\xB1'), "ｱ");  // half-width katakana in the code page
}

}  // namespace
}  // namespace kakeibo

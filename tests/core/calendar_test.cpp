#include "core/calendar.h"

#include <gtest/gtest.h>

namespace kakeibo {
namespace {

TEST(Calendar, DaysOfFebruaryFollowTheGregorianRule) {
    EXPECT_EQ(DaysInMonth(2024, 2), 29);
    EXPECT_EQ(DaysInMonth(2026, 2), 28);
    EXPECT_EQ(DaysInMonth(2100, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(2026, 4), 30);
    EXPECT_EQ(DaysInMonth(2026, 12), 31);
    EXPECT_EQ(DaysInMonth(2026, 13), 0);
}

TEST(Calendar, DayArithmeticCrossesMonthsAndYears) {
    EXPECT_EQ(AddDays(Date{2026, 3, 3}, -6), (Date{2026, 2, 25}));
    EXPECT_EQ(AddDays(Date{2024, 3, 3}, -6), (Date{2024, 2, 26}));
    EXPECT_EQ(AddDays(Date{2027, 1, 4}, -6), (Date{2026, 12, 29}));
    EXPECT_EQ(DayNumber(Date{2026, 12, 7}) - DayNumber(Date{2026, 1, 1}), 340);
    for (int64_t n = 700000; n < 700000 + 800; ++n) {
        ASSERT_EQ(DayNumber(FromDayNumber(n)), n);
    }
    EXPECT_EQ(Weekday(Date{2026, 12, 7}), 1);  // a Monday
    EXPECT_EQ(Weekday(Date{2000, 1, 1}), 6);   // a Saturday
    EXPECT_FALSE(IsValidDate(Date{2026, 2, 30}));
}

}  // namespace
}  // namespace kakeibo

// Dates: leap years, days in a month, day numbers and weekdays.
#pragma once

#include <compare>
#include <cstdint>

namespace kakeibo {

// A calendar date without time of day.
struct Date {
    int Year = 0;
    int Month = 0;
    int Day = 0;

    auto operator<=>(const Date&) const = default;
};

bool IsLeapYear(int year);
// Days of month 1..12 of the year; 0 for a month outside 1..12.
int DaysInMonth(int year, int month);
bool IsValidDate(const Date& date);
// Days since 1 January of year 1 (proleptic Gregorian); the date must be valid.
int64_t DayNumber(const Date& date);
Date FromDayNumber(int64_t dayNumber);
Date AddDays(const Date& date, int64_t days);
// 0 = Sunday .. 6 = Saturday.
int Weekday(const Date& date);

}  // namespace kakeibo

#include "core/calendar.h"

namespace kakeibo {

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    switch (month) {
        case 1:
        case 3:
        case 5:
        case 7:
        case 8:
        case 10:
        case 12:
            return 31;
        case 4:
        case 6:
        case 9:
        case 11:
            return 30;
        case 2:
            return IsLeapYear(year) ? 29 : 28;
        default:
            return 0;
    }
}

bool IsValidDate(const Date& date) {
    return date.Year >= 1 && date.Day >= 1 && date.Day <= DaysInMonth(date.Year, date.Month);
}

// Howard Hinnant's days-from-civil, shifted so that 0001-01-01 is day 0.
int64_t DayNumber(const Date& date) {
    int64_t y = date.Year - (date.Month <= 2 ? 1 : 0);
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t mp = (date.Month + 9) % 12;
    const int64_t doy = (153 * mp + 2) / 5 + date.Day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 306;  // 306: 0000-03-01 .. 0001-01-01
}

Date FromDayNumber(int64_t dayNumber) {
    const int64_t z = dayNumber + 306;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const int year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
    return Date{year, month, day};
}

Date AddDays(const Date& date, int64_t days) {
    return FromDayNumber(DayNumber(date) + days);
}

int Weekday(const Date& date) {
    // 0001-01-01 was a Monday.
    const int64_t r = (DayNumber(date) + 1) % 7;
    return static_cast<int>(r < 0 ? r + 7 : r);
}

}  // namespace kakeibo

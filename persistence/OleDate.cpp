#include "persistence/OleDate.h"
#include <cmath>
#include <ctime>

namespace {

const double kMinDate = -657434.0;   // 1 January 100
const double kMaxDate = 2958465.0;   // 31 December 9999
const double kHalfSecond = 0.5 / 86400.0;

// Days from 1 March of year 0 based civil counting (proleptic Gregorian) to the date.
long long DaysFromCivil(long long y, int m, int d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(long long z, int* year, int* month, int* day)
{
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    *year = static_cast<int>(yoe + era * 400 + (m <= 2));
    *month = m;
    *day = d;
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// The day that DATE 0 stands for.
const long long kEpoch = DaysFromCivil(1899, 12, 30);

} // namespace

bool DateToBrokenDown(DATE date, CBrokenDownTime* out)
{
    if (!out || std::isnan(date) || date < kMinDate || date > kMaxDate + 1.0 - kHalfSecond)
        return false;
    const double rounded = date >= 0.0 ? date + kHalfSecond : date - kHalfSecond;
    const double wholeDays = std::trunc(rounded);
    const double fraction = std::fabs(rounded - wholeDays);
    const long long days = static_cast<long long>(wholeDays);
    long long seconds = static_cast<long long>(fraction * 86400.0);
    if (seconds > 86399)
        seconds = 86399;
    CivilFromDays(kEpoch + days, &out->year, &out->month, &out->day);
    out->hour = static_cast<int>(seconds / 3600);
    out->minute = static_cast<int>(seconds / 60 % 60);
    out->second = static_cast<int>(seconds % 60);
    // 1 January 1970 (day 0 of the civil count) was a Thursday.
    const long long civil = kEpoch + days;
    out->dayOfWeek = static_cast<int>(((civil % 7) + 7 + 4) % 7) + 1;
    out->dayOfYear = static_cast<int>(civil - DaysFromCivil(out->year, 1, 1)) + 1;
    return true;
}

bool BrokenDownToDate(int year, int month, int day, int hour, int minute, int second, DATE* out)
{
    if (!out || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour < 0 ||
        hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return false;
    const double days = static_cast<double>(DaysFromCivil(year, month, day) - kEpoch);
    const double time = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
    *out = days >= 0.0 ? days + time : days - time;
    return true;
}

bool DateToSystemTime(DATE date, SYSTEMTIME* out)
{
    CBrokenDownTime t;
    if (!out || !DateToBrokenDown(date, &t))
        return false;
    out->wYear = static_cast<WORD>(t.year);
    out->wMonth = static_cast<WORD>(t.month);
    out->wDayOfWeek = static_cast<WORD>(t.dayOfWeek - 1);
    out->wDay = static_cast<WORD>(t.day);
    out->wHour = static_cast<WORD>(t.hour);
    out->wMinute = static_cast<WORD>(t.minute);
    out->wSecond = static_cast<WORD>(t.second);
    out->wMilliseconds = 0;
    return true;
}

bool SystemTimeToDate(const SYSTEMTIME& time, DATE* out)
{
    return BrokenDownToDate(time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond, out);
}

DATE CurrentLocalDate()
{
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    DATE date = 0.0;
    if (local)
        BrokenDownToDate(local->tm_year + 1900, local->tm_mon + 1, local->tm_mday, local->tm_hour, local->tm_min,
                         local->tm_sec, &date);
    return date;
}

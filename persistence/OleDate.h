#pragma once
// OLE dates (DATE: days since 30 December 1899, the time of day as the fraction; before that day
// the fraction counts backwards from the negative day number) and their broken-down form, on the
// proleptic Gregorian calendar. The messenger's date parameters go through these.
#include <windows.h>
#include <oaidl.h>

struct CBrokenDownTime {
    int second = 0;
    int minute = 0;
    int hour = 0;
    int day = 1;        // of the month, 1-31
    int month = 1;      // 1-12
    int year = 1899;
    int dayOfWeek = 1;  // 1 = Sunday
    int dayOfYear = 1;  // 1-366
};

// False for dates outside years 100 to 9999 (-657434 to 2958465); the value is rounded to the
// nearest second.
bool DateToBrokenDown(DATE date, CBrokenDownTime* out);
// False for a year above 9999, a month outside 1-12, day 0 or past the month's end (29 February
// only in leap years), an hour above 23, a minute or second above 59.
bool BrokenDownToDate(int year, int month, int day, int hour, int minute, int second, DATE* out);
// The same through a SYSTEMTIME (day of week 0 = Sunday; milliseconds 0).
bool DateToSystemTime(DATE date, SYSTEMTIME* out);
bool SystemTimeToDate(const SYSTEMTIME& time, DATE* out);
// The current local time.
DATE CurrentLocalDate();

#include "media/PlistDate.h"

#include <cstdio>
#include <ctime>
#include <stdexcept>

PlistDate::PlistDate() : m_seconds(static_cast<int64_t>(std::time(nullptr))) {}

void PlistDate::set(int month, int day, int year, int hour, int minute, int second, bool utc) {
    // mktime would quietly normalise 2024-13-45 into some other day; a date that does
    // not exist is refused instead. 60 allows a leap second.
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        second < 0 || second > 60) {
        throw std::runtime_error("PlistDate::set() date invalid");
    }
    std::tm fields{};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    fields.tm_sec = second;
    if (utc) {
        fields.tm_isdst = 0;
        m_seconds = static_cast<int64_t>(timegm(&fields));
        return;
    }
    // Daylight saving as it is in effect now, so that a local date written today
    // reads back as the same wall-clock time.
    const std::time_t now = std::time(nullptr);
    std::tm nowFields{};
    localtime_r(&now, &nowFields);
    fields.tm_isdst = nowFields.tm_isdst;
    m_seconds = static_cast<int64_t>(std::mktime(&fields));
}

void PlistDate::setFromXmlText(const std::string& text) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2dZ", &year, &month, &day, &hour, &minute, &second) != 6) {
        throw std::runtime_error("PlistDate::set() date invalid");
    }
    set(month, day, year, hour, minute, second, true);
}

// A property-list date: whole seconds since 1970-01-01 00:00:00 UTC.
// Plain value type; no state beyond the count, any thread.
#pragma once

#include <cstdint>
#include <string>

class PlistDate {
public:
    // Holds the current time.
    PlistDate();
    explicit PlistDate(int64_t secondsSinceEpoch) : m_seconds(secondsSinceEpoch) {}

    // month 1..12, a four-digit year, a 24-hour clock. utc false takes the fields as
    // local time (daylight saving as it is now). Throws std::runtime_error
    // "PlistDate::set() date invalid" for fields outside their ranges.
    void set(int month, int day, int year, int hour, int minute, int second, bool utc);

    // "YYYY-MM-DDTHH:MM:SSZ" as written in XML property lists, taken as UTC. Text of
    // another shape throws like set() does.
    void setFromXmlText(const std::string& text);

    int64_t secondsSinceEpoch() const { return m_seconds; }
    void setSecondsSinceEpoch(int64_t seconds) { m_seconds = seconds; }

    bool operator==(const PlistDate& other) const { return m_seconds == other.m_seconds; }
    bool operator!=(const PlistDate& other) const { return m_seconds != other.m_seconds; }

private:
    int64_t m_seconds;
};

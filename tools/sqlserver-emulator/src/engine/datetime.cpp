// Calendar arithmetic on days since 1900-01-01, the origin SQL Server's
// datetime counts from.
#include "datetime.h"

#include "text.h"

#include <chrono>
#include <ctime>

namespace emulator {
namespace {

constexpr int64_t milliseconds_per_day = 86'400'000;

std::chrono::sys_days origin() { return std::chrono::sys_days{std::chrono::year{1900} / std::chrono::January / 1}; }

std::u16string padded(int64_t value, size_t width) {
    std::u16string digits = to_u16(value);
    if (digits.size() < width) digits.insert(0, width - digits.size(), u'0');
    return digits;
}

// The number at text[at, at + width), all digits; -1 otherwise.
int digits_at(std::u16string_view text, size_t at, size_t width) {
    int value = 0;
    for (size_t i = at; i < at + width; ++i) {
        if (text[i] < u'0' || text[i] > u'9') return -1;
        value = value * 10 + (text[i] - u'0');
    }
    return value;
}

}  // namespace

DateTime make_datetime(int year, unsigned month, unsigned day, int hour, int minute, int second, int millisecond) {
    using namespace std::chrono;
    const sys_days date{std::chrono::year{year} / std::chrono::month{month} / std::chrono::day{day}};
    const int64_t days = (date - origin()).count();
    return DateTime{days * milliseconds_per_day + ((hour * 60LL + minute) * 60 + second) * 1000 + millisecond};
}

DateTime local_now() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    return make_datetime(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                         static_cast<unsigned>(local.tm_mday), local.tm_hour, local.tm_min, local.tm_sec,
                         static_cast<int>(milliseconds));
}

std::u16string datetime_text(DateTime value) {
    int64_t days = value.milliseconds / milliseconds_per_day;
    int64_t rest = value.milliseconds % milliseconds_per_day;
    if (rest < 0) {
        rest += milliseconds_per_day;
        --days;
    }
    const std::chrono::year_month_day date{origin() + std::chrono::days{days}};
    return padded(static_cast<int>(date.year()), 4) + u"-" + padded(static_cast<unsigned>(date.month()), 2) + u"-" +
           padded(static_cast<unsigned>(date.day()), 2) + u" " + padded(rest / 3'600'000, 2) + u":" +
           padded(rest / 60'000 % 60, 2) + u":" + padded(rest / 1000 % 60, 2) + u"." + padded(rest % 1000, 3);
}

std::optional<DateTime> parse_datetime(std::u16string_view text) {
    if (text.size() != 23 || text[4] != u'-' || text[7] != u'-' || text[10] != u' ' || text[13] != u':' ||
        text[16] != u':' || text[19] != u'.')
        return std::nullopt;
    const int year = digits_at(text, 0, 4), month = digits_at(text, 5, 2), day = digits_at(text, 8, 2);
    const int hour = digits_at(text, 11, 2), minute = digits_at(text, 14, 2), second = digits_at(text, 17, 2);
    const int millisecond = digits_at(text, 20, 3);
    if (year < 0 || month < 1 || day < 1 || hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 ||
        second > 59 || millisecond < 0)
        return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                                           std::chrono::day{static_cast<unsigned>(day)}};
    if (!date.ok()) return std::nullopt;
    return make_datetime(year, static_cast<unsigned>(month), static_cast<unsigned>(day), hour, minute, second,
                         millisecond);
}

}  // namespace emulator

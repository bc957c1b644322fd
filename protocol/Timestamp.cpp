#include "protocol/Timestamp.h"

#include <cstdio>

namespace tavelin {
namespace {

using namespace std::chrono;

constexpr auto kEarliest = sys_days{year{1} / January / 1};
constexpr auto kLatest = sys_days{year{10000} / January / 1};

bool digits(std::string_view text, std::size_t at, std::size_t count, int& value) {
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

}  // namespace

Timestamp currentTimestamp() { return time_point_cast<microseconds>(system_clock::now()); }

std::optional<std::string> formatTimestamp(Timestamp time) {
    if (time < kEarliest || time >= kLatest) return std::nullopt;
    const auto seconds = floor<std::chrono::seconds>(time);
    const auto day = floor<days>(seconds);
    const year_month_day date{day};
    const hh_mm_ss clock{seconds - day};
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02u-%02uT%02d:%02d:%02dZ", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                  static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                  static_cast<int>(clock.seconds().count()));
    return std::string(buffer);
}

std::optional<Timestamp> parseTimestamp(std::string_view text) {
    // 2024-03-01T12:34:56Z or 2024-03-01T12:34:56+09:00
    if (text.size() != 20 && text.size() != 25) return std::nullopt;
    if (text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' || text[16] != ':') {
        return std::nullopt;
    }
    int y, mo, d, h, mi, s;
    if (!digits(text, 0, 4, y) || !digits(text, 5, 2, mo) || !digits(text, 8, 2, d) || !digits(text, 11, 2, h) ||
        !digits(text, 14, 2, mi) || !digits(text, 17, 2, s)) {
        return std::nullopt;
    }
    const year_month_day date{year{y}, month{static_cast<unsigned>(mo)}, day{static_cast<unsigned>(d)}};
    if (!date.ok() || h > 23 || mi > 59 || s > 59) return std::nullopt;

    minutes offset{0};
    if (text.size() == 20) {
        if (text[19] != 'Z') return std::nullopt;
    } else {
        const char sign = text[19];
        int oh, om;
        if ((sign != '+' && sign != '-') || text[22] != ':' || !digits(text, 20, 2, oh) ||
            !digits(text, 23, 2, om) || oh > 23 || om > 59) {
            return std::nullopt;
        }
        offset = hours{oh} + minutes{om};
        if (sign == '-') offset = -offset;
    }
    const Timestamp local = sys_days{date} + hours{h} + minutes{mi} + seconds{s};
    const Timestamp utc = local - offset;
    if (utc < kEarliest || utc >= kLatest) return std::nullopt;
    return utc;
}

}  // namespace tavelin

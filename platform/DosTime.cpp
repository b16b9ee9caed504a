// MS-DOS local date-times and the locale's date and time texts.
//
// An MS-DOS date-time packs a local time into 32 bits:
//   bits 31..25 year - 1980, 24..21 month, 20..16 day,
//   bits 15..11 hour, 10..5 minute, 4..0 seconds / 2.
#include <langinfo.h>
#include <locale.h>
#include <time.h>

#include <algorithm>

#include "platform/Platform.h"

namespace parvex::platform {
namespace {

constexpr int kDosEpochYear = 1980;
constexpr int kDosLastYear = kDosEpochYear + 127;
constexpr std::uint32_t kEarliestDosTime = 0x00210000;  // 1980-01-01 00:00:00
constexpr std::uint32_t kLatestDosTime = 0xFF9FBF7D;    // 2107-12-31 23:59:58

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

std::uint32_t PackDosTime(const struct tm& local) {
  const int year = local.tm_year + 1900;
  if (year < kDosEpochYear) return kEarliestDosTime;
  if (year > kDosLastYear) return kLatestDosTime;
  const auto seconds = static_cast<std::uint32_t>(std::min(local.tm_sec, 59));  // a leap second
  const std::uint32_t date = (static_cast<std::uint32_t>(year - kDosEpochYear) << 9) |
                             (static_cast<std::uint32_t>(local.tm_mon + 1) << 5) |
                             static_cast<std::uint32_t>(local.tm_mday);
  const std::uint32_t time = (static_cast<std::uint32_t>(local.tm_hour) << 11) |
                             (static_cast<std::uint32_t>(local.tm_min) << 5) | (seconds / 2);
  return (date << 16) | time;
}

// Formats t with the locale's nl_langinfo item (D_FMT or T_FMT). A private
// locale object keeps the process's global locale untouched.
std::string LocaleText(std::time_t t, nl_item item, const char* fallbackFormat) {
  struct tm local {};
  if (::localtime_r(&t, &local) == nullptr) return std::string();

  locale_t locale = ::newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
  if (locale == static_cast<locale_t>(nullptr)) {
    locale = ::newlocale(LC_TIME_MASK, "C", static_cast<locale_t>(nullptr));
  }
  if (locale == static_cast<locale_t>(nullptr)) {
    char text[64] = {};
    const std::size_t n = std::strftime(text, sizeof text, fallbackFormat, &local);
    return std::string(text, n);
  }

  const char* format = ::nl_langinfo_l(item, locale);
  if (format == nullptr || *format == '\0') format = fallbackFormat;
  char text[128] = {};
  const std::size_t n = ::strftime_l(text, sizeof text, format, &local, locale);
  ::freelocale(locale);
  return std::string(text, n);
}

}  // namespace

std::uint32_t ToDosTime(std::time_t t) {
  struct tm local {};
  // Only times beyond the years a struct tm can hold fail here.
  if (::localtime_r(&t, &local) == nullptr) return t < 0 ? kEarliestDosTime : kLatestDosTime;
  return PackDosTime(local);
}

std::time_t FromDosTime(std::uint32_t dosTime) {
  const std::uint32_t date = dosTime >> 16;
  const std::uint32_t time = dosTime & 0xFFFF;
  // Fields out of range (a damaged or foreign archive) are pulled into range
  // rather than letting mktime roll them into another day or month.
  const int year = static_cast<int>(date >> 9) + kDosEpochYear;
  const int month = std::clamp(static_cast<int>((date >> 5) & 0x0F), 1, 12);
  struct tm local {};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = std::clamp(static_cast<int>(date & 0x1F), 1, DaysInMonth(year, month));
  local.tm_hour = std::min(static_cast<int>(time >> 11), 23);
  local.tm_min = std::min(static_cast<int>((time >> 5) & 0x3F), 59);
  local.tm_sec = std::min(static_cast<int>(time & 0x1F) * 2, 58);
  local.tm_isdst = -1;  // let the time zone rules decide summer time for that date
  return ::mktime(&local);
}

std::string ShortDateText(std::time_t t) { return LocaleText(t, D_FMT, "%m/%d/%y"); }

std::string LongTimeText(std::time_t t) { return LocaleText(t, T_FMT, "%H:%M:%S"); }

}  // namespace parvex::platform

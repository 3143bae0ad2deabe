#pragma once

#include <functional>
#include <optional>
#include <string>

namespace zt640 {

/// A day of the local calendar.
struct CalendarDate {
  int year = 0;
  int month = 0;  ///< 1-12
  int day = 0;    ///< 1-31
};

/// "%d-%d-%d" of year, month and day, without leading zeros ("2026-3-7").
[[nodiscard]] std::string CalendarDateText(const CalendarDate& date);

/// Today's local date; the schedule takes its days from such a function so
/// tests can step the calendar.
using TodayFunction = std::function<CalendarDate()>;
[[nodiscard]] CalendarDate LocalToday();

/// The file name of the last check date in the user data root.
inline constexpr const char* kUpdateTimeFileName = "updatetime.config";

/// The date of the last update check, kept in "updatetime.config" as
/// {"updatelasttime": {"value": "Y-M-D"}}, and the once-a-day rule built on it:
/// a check is due when no date is stored or the stored one is not today.
/// A damaged file reads as no date (and is kept as ".bak" by the next write).
class UpdateCheckSchedule {
 public:
  UpdateCheckSchedule(std::string file_path, TodayFunction today = LocalToday);

  /// The stored date text; none when the file, the member or its text is missing.
  [[nodiscard]] std::optional<std::string> LastCheckText() const;

  /// The window's start: the stored date, or today's written as the first one.
  /// Empty only when nothing is stored and the write failed.
  [[nodiscard]] std::string EnsureLastCheckText();

  [[nodiscard]] bool IsCheckDue() const;

  /// Stores today's date as the last check; false when the file could not be written.
  [[nodiscard]] bool RecordCheck();

  [[nodiscard]] std::string TodayText() const { return CalendarDateText(today_()); }

 private:
  std::string path_;
  TodayFunction today_;
};

}  // namespace zt640

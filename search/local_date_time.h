#pragma once
// A local calendar date and wall-clock time, as stamped into the header of a
// transponder list file. The plug-in fills it from the system's local time;
// velqtp uses CurrentLocalDateTime().

namespace velq {

struct LocalDateTime {
  int year = 0;
  int month = 0;   // 1-12
  int day = 0;     // 1-31
  int hour = 0;    // 0-23
  int minute = 0;
  int second = 0;
  bool operator==(const LocalDateTime&) const = default;
};

LocalDateTime CurrentLocalDateTime();

}  // namespace velq

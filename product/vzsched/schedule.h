// The scan schedule of VZSCHED.EXE, kept in VZSCHED.INI beside the program:
//   [Schedule]
//   Frequency=Never|Daily|Weekly
//   Day=0..6        (weekly: 0 Sunday ... 6 Saturday)
//   Time=HH:MM      (24-hour clock, local time)
//   LastRun=YYYY-MM-DD  (the day the scheduled scan last ran)
#pragma once

#include <windows.h>

namespace vzsched {

enum class Frequency { Never, Daily, Weekly };

struct Schedule {
  Frequency frequency = Frequency::Never;
  int day = 1;  // weekly: 0 Sunday ... 6 Saturday
  int hour = 20;
  int minute = 0;
  char lastRun[11] = "";  // YYYY-MM-DD
};

// "HH:MM" with 0-23 and 0-59 (one or two digits each); false otherwise.
bool ParseTime(const char* text, int* hour, int* minute);

// True when the scheduled scan should run at the local time now: the day is
// a scheduled one, its time has come, and it has not run yet that day.
bool IsDue(const Schedule& schedule, const SYSTEMTIME& now);

// The day as YYYY-MM-DD, for LastRun.
void DayText(const SYSTEMTIME& now, char (&text)[11]);

// Reads and writes VZSCHED.INI beside the program. Load gives the defaults
// (never) when the file or an entry is missing or wrong.
Schedule LoadSchedule();
bool SaveSchedule(const Schedule& schedule);

}  // namespace vzsched

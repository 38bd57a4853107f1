#include "schedule.h"

#include <cstdio>
#include <cstring>

#include "product_common.h"

namespace vzsched {

namespace {

constexpr char kIniName[] = "VZSCHED.INI";
constexpr char kSection[] = "Schedule";
constexpr const char* kFrequencyNames[] = {"Never", "Daily", "Weekly"};

bool IniPath(char (&path)[vzp::kPathCapacity]) { return vzp::FileBeside(path, kIniName); }

// One or two decimal digits with a value up to max.
bool ParseField(const char*& p, int max, int* value) {
  if (*p < '0' || *p > '9') return false;
  int v = *p++ - '0';
  if (*p >= '0' && *p <= '9') v = v * 10 + (*p++ - '0');
  if (v > max) return false;
  *value = v;
  return true;
}

}  // namespace

bool ParseTime(const char* text, int* hour, int* minute) {
  const char* p = text;
  while (*p == ' ') ++p;
  int h, m;
  if (!ParseField(p, 23, &h) || *p++ != ':' || !ParseField(p, 59, &m)) return false;
  while (*p == ' ') ++p;
  if (*p) return false;
  *hour = h;
  *minute = m;
  return true;
}

void DayText(const SYSTEMTIME& now, char (&text)[11]) {
  std::snprintf(text, sizeof text, "%04u-%02u-%02u", now.wYear % 10000u, now.wMonth % 100u, now.wDay % 100u);
}

bool IsDue(const Schedule& schedule, const SYSTEMTIME& now) {
  if (schedule.frequency == Frequency::Never) return false;
  if (schedule.frequency == Frequency::Weekly && now.wDayOfWeek != schedule.day) return false;
  if (now.wHour * 60 + now.wMinute < schedule.hour * 60 + schedule.minute) return false;
  char today[11];
  DayText(now, today);
  return std::strcmp(today, schedule.lastRun) != 0;
}

Schedule LoadSchedule() {
  Schedule s;
  char path[vzp::kPathCapacity];
  if (!IniPath(path)) return s;
  char text[16];
  GetPrivateProfileStringA(kSection, "Frequency", "Never", text, sizeof text, path);
  for (int i = 0; i < 3; ++i)
    if (!_stricmp(text, kFrequencyNames[i])) s.frequency = static_cast<Frequency>(i);
  int day = static_cast<int>(GetPrivateProfileIntA(kSection, "Day", 1, path));
  if (day >= 0 && day <= 6) s.day = day;
  GetPrivateProfileStringA(kSection, "Time", "20:00", text, sizeof text, path);
  if (!ParseTime(text, &s.hour, &s.minute)) s.frequency = Frequency::Never;  // a schedule without a time is none
  GetPrivateProfileStringA(kSection, "LastRun", "", s.lastRun, sizeof s.lastRun, path);
  return s;
}

bool SaveSchedule(const Schedule& s) {
  char path[vzp::kPathCapacity];
  if (!IniPath(path)) return false;
  char time[8], day[4];
  std::snprintf(time, sizeof time, "%02d:%02d", s.hour, s.minute);
  std::snprintf(day, sizeof day, "%d", s.day);
  return WritePrivateProfileStringA(kSection, "Frequency", kFrequencyNames[static_cast<int>(s.frequency)], path) &&
         WritePrivateProfileStringA(kSection, "Day", day, path) &&
         WritePrivateProfileStringA(kSection, "Time", time, path) &&
         WritePrivateProfileStringA(kSection, "LastRun", s.lastRun, path);
}

}  // namespace vzsched

// Process-wide state of the pre-install scan: the scan progress dialog's
// first-paint flag, window and stage icons, and the virus name tables.
#pragma once

#include <windows.h>

#include <cstddef>

namespace vz {

// 1 until the scan progress dialog's first WM_PAINT; never set back, so the
// dialog runs its stages once per process.
extern int g_firstPaint;

// The scan progress dialog while it runs (empty before): the system file scan
// writes the current-file line through it.
extern HWND g_scanDialog;

// The stage icons, loaded when the dialog initialises and never released.
struct StageIcons {
  HICON running = nullptr;
  HICON done = nullptr;
  HICON waiting = nullptr;
};
extern StageIcons g_stageIcons;

// Virus names: 24 characters and the terminator.
constexpr std::size_t kVirusNameCapacity = 25;

// The 2000-series name table (ids 2000 to 2029) and the 8000-series name
// table (id 8000), filled by FillVirusNameTables.
constexpr int kSeries2000First = 2000;
constexpr int kSeries2000Count = 30;
constexpr int kSeries8000First = 8000;
constexpr int kSeries8000Count = 1;
extern char g_series2000Names[kSeries2000Count][kVirusNameCapacity];
extern char g_series8000Names[kSeries8000Count][kVirusNameCapacity];

// The 5000-series signature table (ids 5000 and 5001): a name field padded
// with zero bytes, and signature data the helper does not read.
constexpr int kSeries5000First = 5000;
constexpr int kSeries5000Count = 2;
constexpr std::size_t kSeries5000NameField = 16;
struct Series5000Entry {
  char name[kSeries5000NameField];
  unsigned char signature[22];
};
static_assert(sizeof(Series5000Entry) == 38);
extern const Series5000Entry kSeries5000[kSeries5000Count];

}  // namespace vz

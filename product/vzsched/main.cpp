// VZSCHED.EXE, Velzor's scan scheduler.
//   VZSCHED.EXE           the "Velzor Scheduler" dialog: the user sets when all
//                         local hard disks are scanned; OK keeps it in VZSCHED.INI
//   VZSCHED.EXE /startup  the resident scheduler (Windows starts it from the Run
//                         key): a hidden window "VZ Scheduler" that checks the
//                         schedule every 30 seconds and starts VZ32.EXE /AllDrives
//                         when a scan is due. It closes on WM_CLOSE.
#include <windows.h>

#include <cstring>

#include "product_common.h"
#include "resource.h"
#include "schedule.h"

namespace {

constexpr char kStartupSwitch[] = "/startup";
constexpr char kResidentClass[] = "VZSchedResident";
constexpr char kResidentTitle[] = "VZ Scheduler";
constexpr char kDialogTitle[] = "Velzor Scheduler";
constexpr UINT kCheckTimer = 1;
constexpr UINT kCheckIntervalMs = 30000;
constexpr UINT kCheckNow = WM_APP + 1;

constexpr const char* kDayNames[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};

using vzsched::Frequency;

// --- The resident scheduler --------------------------------------------------

void RunDueScan() {
  vzsched::Schedule schedule = vzsched::LoadSchedule();
  SYSTEMTIME now;
  GetLocalTime(&now);
  if (!vzsched::IsDue(schedule, now)) return;
  vzsched::DayText(now, schedule.lastRun);
  vzsched::SaveSchedule(schedule);  // first, so that a scan is started once a day at most
  vzp::StartBeside("VZ32.EXE", "/AllDrives", SW_SHOWNORMAL);
}

LRESULT CALLBACK ResidentProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_TIMER:
    case kCheckNow:
      RunDueScan();
      return 0;
    case WM_DESTROY:
      KillTimer(window, kCheckTimer);
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, msg, wp, lp);
}

int RunResident(HINSTANCE instance) {
  if (FindWindowA(kResidentClass, kResidentTitle)) return 0;  // already resident
  if (!vzp::RegisterWindowClass(instance, kResidentClass, ResidentProc)) return 1;
  // A top-level window that is never shown: it is how the scheduler is found and closed.
  HWND window = CreateWindowA(kResidentClass, kResidentTitle, WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, instance,
                              nullptr);
  if (!window) return 1;
  SetTimer(window, kCheckTimer, kCheckIntervalMs, nullptr);
  PostMessageA(window, kCheckNow, 0, 0);
  return vzp::RunMessageLoop();
}

// --- The scheduler dialog ----------------------------------------------------

void ShowChoice(HWND dialog, Frequency frequency) {
  CheckRadioButton(dialog, IDC_NEVER, IDC_WEEKLY, IDC_NEVER + static_cast<int>(frequency));
  EnableWindow(GetDlgItem(dialog, IDC_DAY), frequency == Frequency::Weekly);
  EnableWindow(GetDlgItem(dialog, IDC_TIME), frequency != Frequency::Never);
}

Frequency ChosenFrequency(HWND dialog) {
  if (IsDlgButtonChecked(dialog, IDC_DAILY) == BST_CHECKED) return Frequency::Daily;
  if (IsDlgButtonChecked(dialog, IDC_WEEKLY) == BST_CHECKED) return Frequency::Weekly;
  return Frequency::Never;
}

bool SaveChoice(HWND dialog) {
  vzsched::Schedule schedule = vzsched::LoadSchedule();
  schedule.frequency = ChosenFrequency(dialog);
  if (schedule.frequency != Frequency::Never) {
    char time[16] = "";
    GetDlgItemTextA(dialog, IDC_TIME, time, sizeof time);
    if (!vzsched::ParseTime(time, &schedule.hour, &schedule.minute)) {
      MessageBoxA(dialog, "Enter the time as HH:MM, for example 20:30.", kDialogTitle, MB_OK | MB_ICONEXCLAMATION);
      SetFocus(GetDlgItem(dialog, IDC_TIME));
      return false;
    }
  }
  LRESULT day = SendDlgItemMessageA(dialog, IDC_DAY, CB_GETCURSEL, 0, 0);
  if (day >= 0 && day <= 6) schedule.day = static_cast<int>(day);
  if (!vzsched::SaveSchedule(schedule)) {
    MessageBoxA(dialog, "The schedule could not be saved in VZSCHED.INI.", kDialogTitle, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  return true;
}

INT_PTR CALLBACK SchedulerDlgProc(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG: {
      vzsched::Schedule schedule = vzsched::LoadSchedule();
      for (const char* name : kDayNames) SendDlgItemMessageA(dialog, IDC_DAY, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
      SendDlgItemMessageA(dialog, IDC_DAY, CB_SETCURSEL, static_cast<WPARAM>(schedule.day), 0);
      char time[8] = "00:00";
      time[0] = static_cast<char>('0' + schedule.hour / 10);
      time[1] = static_cast<char>('0' + schedule.hour % 10);
      time[3] = static_cast<char>('0' + schedule.minute / 10);
      time[4] = static_cast<char>('0' + schedule.minute % 10);
      SetDlgItemTextA(dialog, IDC_TIME, time);
      ShowChoice(dialog, schedule.frequency);
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wp)) {
        case IDC_NEVER:
        case IDC_DAILY:
        case IDC_WEEKLY:
          ShowChoice(dialog, ChosenFrequency(dialog));
          return TRUE;
        case IDOK:
          if (SaveChoice(dialog)) EndDialog(dialog, IDOK);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, IDCANCEL);
          return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  const char* args = commandLine ? commandLine : "";
  while (*args == ' ') ++args;
  if (_strnicmp(args, kStartupSwitch, std::strlen(kStartupSwitch)) == 0) return RunResident(instance);
  if (HWND open = FindWindowA("#32770", kDialogTitle)) {  // the dialog is open already
    SetForegroundWindow(open);
    return 0;
  }
  DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_SCHEDULER), nullptr, SchedulerDlgProc, 0);
  return 0;
}

// VZSCHED.EXE: the "Velzor Scheduler" dialog keeps the schedule in
// VZSCHED.INI; the resident "VZ Scheduler" runs the scan when it is due.
#include <gtest/gtest.h>

#include "machine.h"
#include "programs_machine.h"
#include "robot.h"

using namespace bench;
using namespace programs;

namespace {

constexpr int kNever = 1001, kDaily = 1002, kWeekly = 1003, kDay = 1004, kTime = 1005;

std::string IniEntry(const std::string& folder, const char* key) {
  char value[64] = "";
  GetPrivateProfileStringA("Schedule", key, "(none)", value, sizeof value, (folder + "VZSCHED.INI").c_str());
  return value;
}

void WriteSchedule(const std::string& folder, const std::string& lines) {
  WriteFileBytes(folder + "VZSCHED.INI", "[Schedule]\r\n" + lines);
}

TEST(SchedulerDialog, OpensWithNoScheduleAndKeepsADailyScan) {
  std::string folder = InstallFromMedia("SCHED", {"VZSCHED.EXE"});
  Robot user;
  user.Expect(Dialog("Velzor Scheduler")).SetCheck(kDaily, true).Type(kTime, "21:15").Click(IDOK);
  auto run = RunIn(folder, "VZSCHED.EXE", "", user);
  EXPECT_FALSE(run.timedOut);
  auto seen = user.Find("Velzor Scheduler");
  ASSERT_NE(seen.Control(kNever), nullptr);
  EXPECT_EQ(seen.Control(kNever)->check, 1) << "no schedule yet";
  EXPECT_FALSE(seen.Control(kTime)->enabled);
  EXPECT_FALSE(seen.Control(kDay)->enabled);
  EXPECT_TRUE(seen.HasCloseBox());
  EXPECT_EQ(IniEntry(folder, "Frequency"), "Daily");
  EXPECT_EQ(IniEntry(folder, "Time"), "21:15");
}

// A time that is not HH:MM is refused and the dialog stays for a better one.
TEST(SchedulerDialog, RefusesAWrongTimeAndKeepsAWeeklyScan) {
  std::string folder = InstallFromMedia("SCHED", {"VZSCHED.EXE"});
  Robot user;
  user.Expect(Dialog("Velzor Scheduler")).SetCheck(kWeekly, true).Type(kTime, "25:61").Click(IDOK);
  user.Expect(MessageBox("Velzor Scheduler").WithText("Enter the time as HH:MM, for example 20:30.").WithButtons("OK"))
      .Answer(IDOK)
      .Do(
          [](HWND, Robot& robot) {
            HWND dialog = robot.Find("Velzor Scheduler").hwnd;  // the dialog, seen first
            if (!WaitGone(robot.Find("Velzor Scheduler", 1).hwnd, 3000)) robot.Fail("the message stayed");
            if (!IsWindowVisible(dialog)) robot.Fail("the dialog closed after a wrong time");
            SendDlgItemMessageA(dialog, kDay, CB_SETCURSEL, 5, 0);
            SetDlgItemTextA(dialog, kTime, "7:05");
            PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
          },
          "choose Friday at 7:05 and click OK");
  auto run = RunIn(folder, "VZSCHED.EXE", "", user);
  EXPECT_FALSE(run.timedOut);
  EXPECT_EQ(IniEntry(folder, "Frequency"), "Weekly");
  EXPECT_EQ(IniEntry(folder, "Day"), "5");
  EXPECT_EQ(IniEntry(folder, "Time"), "07:05");
}

TEST(SchedulerDialog, CancelKeepsTheSchedule) {
  std::string folder = InstallFromMedia("SCHED", {"VZSCHED.EXE"});
  WriteSchedule(folder, "Frequency=Daily\r\nTime=20:30\r\n");
  Robot user;
  user.Expect(Dialog("Velzor Scheduler")).SetCheck(kNever, true).Click(IDCANCEL);
  RunIn(folder, "VZSCHED.EXE", "", user);
  auto seen = user.Find("Velzor Scheduler");
  ASSERT_NE(seen.Control(kTime), nullptr);
  EXPECT_EQ(seen.Control(kDaily)->check, 1);
  EXPECT_EQ(seen.Control(kTime)->text, "20:30");
  EXPECT_EQ(IniEntry(folder, "Frequency"), "Daily");
}

// --- The resident scheduler ------------------------------------------------------

class ResidentScheduler : public ::testing::Test {
 protected:
  void SetUp() override { folder_ = InstallFromMedia("SCHED", {"VZSCHED.EXE", "VZ32.EXE"}); }
  void TearDown() override {
    for (const char* title : {"VZTileWindow", "VZ Scheduler"})
      if (HWND w = FindWindowA(nullptr, title)) PostMessageA(w, WM_CLOSE, 0, 0);
    if (resident_) {
      if (WaitForSingleObject(resident_, 5000) == WAIT_TIMEOUT) TerminateProcess(resident_, 0xDEAD);
      CloseHandle(resident_);
    }
  }
  HWND StartResident() {
    resident_ = StartProgram(folder_ + "VZSCHED.EXE", "/startup");
    for (int waited = 0; waited < 10000; waited += 50, Sleep(50))
      if (HWND w = FindWindowA(nullptr, "VZ Scheduler")) return w;
    return nullptr;
  }
  std::string folder_;
  HANDLE resident_ = nullptr;
};

TEST_F(ResidentScheduler, RunsTheDueScanOnceAndClosesOnWmClose) {
  WriteSchedule(folder_, "Frequency=Daily\r\nTime=00:00\r\n");
  HWND resident = StartResident();
  ASSERT_TRUE(resident);
  EXPECT_FALSE(IsWindowVisible(resident));
  HWND scan = nullptr;
  for (int waited = 0; !scan && waited < 10000; waited += 50, Sleep(50)) scan = FindWindowA(nullptr, "VZTileWindow");
  ASSERT_TRUE(scan) << "the due scan did not start";
  PostMessageA(scan, WM_CLOSE, 0, 0);
  SYSTEMTIME now;
  GetLocalTime(&now);
  char today[16];
  snprintf(today, sizeof today, "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
  EXPECT_EQ(IniEntry(folder_, "LastRun"), today);
  EXPECT_EQ(LinesOf(folder_ + "VZ32.LOG").front(), "Velzor scan of all local hard disks");

  PostMessageA(resident, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForSingleObject(resident_, 5000), WAIT_OBJECT_0) << "the resident scheduler did not end";
}

TEST_F(ResidentScheduler, RunsNothingOnAnotherDayOrAfterTodaysScan) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char today[16];
  snprintf(today, sizeof today, "%04u-%02u-%02u", now.wYear, now.wMonth, now.wDay);
  for (std::string schedule : {"Frequency=Weekly\r\nDay=" + std::to_string((now.wDayOfWeek + 1) % 7) + "\r\nTime=00:00\r\n",
                               "Frequency=Daily\r\nTime=00:00\r\nLastRun=" + std::string(today) + "\r\n",
                               std::string("Frequency=Never\r\nTime=00:00\r\n")}) {
    WriteSchedule(folder_, schedule);
    ASSERT_TRUE(StartResident());
    Sleep(1500);
    EXPECT_FALSE(FindWindowA(nullptr, "VZTileWindow")) << schedule;
    TearDown();
    resident_ = nullptr;
  }
}

}  // namespace

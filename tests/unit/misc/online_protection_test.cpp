// NEXOLT.EXE, the on-line protection, as misc.dll sees it: loaded or not, and
// the setup's requests to read a file unhindered.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "machine.h"
#include "misc_test_support.h"
#include "nexolt_protocol.h"
#include "services/misc.h"

namespace {

HWND ProtectionWindow() { return FindWindowA(vznexolt::kWindowClass, nullptr); }

// Asks the running protection whether the setup may read the path unhindered.
LRESULT IsAllowed(const char* path) {
  COPYDATASTRUCT data{vznexolt::kQueryAllowed, static_cast<DWORD>(std::strlen(path) + 1), const_cast<char*>(path)};
  return SendMessageA(ProtectionWindow(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

class OnlineProtection : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(IsAutoProtectLoaded(), 0) << "the protection was running before the case"; }
  void TearDown() override {
    if (process_) {
      TerminateProcess(process_, 1);
      WaitForSingleObject(process_, 5000);
      CloseHandle(process_);
    }
  }
  void Load() {
    process_ = bench::StartProgram(bench::TestMachine::BinFolder() + "NEXOLT.EXE", "");
    ASSERT_NE(process_, nullptr);
    ASSERT_TRUE(misctest::WaitFor([] { return ProtectionWindow() != nullptr; }));
  }
  bool Ends() {
    bool ended = WaitForSingleObject(process_, 10000) == WAIT_OBJECT_0;
    if (ended) {
      CloseHandle(process_);
      process_ = nullptr;
    }
    return ended;
  }
  HANDLE process_ = nullptr;
};

TEST_F(OnlineProtection, LoadedOnlyWhileNexoltRuns) {
  EXPECT_EQ(SetDriverOptions(0x8203, "C:\\WINDOWS\\WIN.COM", 18), 0);  // nobody to tell
  Load();
  EXPECT_NE(IsAutoProtectLoaded(), 0);
  HWND window = ProtectionWindow();
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_EQ(GetParent(window), nullptr);  // top-level, so a restart of Windows ends it
  PostMessageA(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(Ends());
  EXPECT_EQ(IsAutoProtectLoaded(), 0);
}

TEST_F(OnlineProtection, TheSetupMayReadTheFilesItNames) {
  Load();
  const char path[] = "C:\\WINDOWS\\SYSTEM\\KRNL386.EXE";
  EXPECT_EQ(IsAllowed(path), 0);
  EXPECT_EQ(SetDriverOptions(0x8203, path, static_cast<int>(std::strlen(path))), 1);
  EXPECT_EQ(IsAllowed(path), 1);
  EXPECT_EQ(IsAllowed("c:\\windows\\system\\krnl386.exe"), 1);  // paths compare without regard to case
  EXPECT_EQ(IsAllowed("C:\\WINDOWS\\SYSTEM\\USER.EXE"), 0);
  // The length given bounds the path.
  EXPECT_EQ(SetDriverOptions(0x8203, "C:\\WINDOWS\\WIN.COMjunk", 18), 1);
  EXPECT_EQ(IsAllowed("C:\\WINDOWS\\WIN.COM"), 1);
  EXPECT_EQ(SetDriverOptions(0x1234, "C:\\OTHER.EXE", 12), 0);  // not a request it knows
  EXPECT_EQ(IsAllowed("C:\\OTHER.EXE"), 0);
}

TEST_F(OnlineProtection, OneProtectionPerSessionAndItEndsWithTheSession) {
  Load();
  HANDLE second = bench::StartProgram(bench::TestMachine::BinFolder() + "NEXOLT.EXE", "");
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(WaitForSingleObject(second, 10000), WAIT_OBJECT_0) << "a second copy stayed";
  CloseHandle(second);
  EXPECT_NE(ProtectionWindow(), nullptr);
  EXPECT_EQ(SendMessageA(ProtectionWindow(), WM_QUERYENDSESSION, 0, 0), TRUE);
  SendMessageA(ProtectionWindow(), WM_ENDSESSION, TRUE, 0);
  ASSERT_TRUE(Ends());
  EXPECT_EQ(IsAutoProtectLoaded(), 0);
}

}  // namespace

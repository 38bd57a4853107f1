// What the misc.dll cases share: scratch folders and waiting for a condition.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "machine.h"

namespace misctest {

// A scratch folder of the case, emptied first, ending with "\".
inline std::string CaseFolder() {
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  std::string folder = std::string(temp) + "vzmisc\\" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
  bench::RemoveTree(folder);
  bench::MakeFolders(folder);
  return folder;
}

// Polls until the condition holds; false after the time-out.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 10000) {
  for (int waited = 0; waited < timeoutMs; waited += 50) {
    if (condition()) return true;
    Sleep(50);
  }
  return condition();
}

inline std::string Probe() { return bench::TestMachine::BinFolder() + "misc_probe.exe"; }

}  // namespace misctest

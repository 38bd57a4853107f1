// The shared machine as the component dialogs see it: the product Type code,
// Word present or not, the help window, and vzops.exe running one operation.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "machine.h"
#include "robot.h"

namespace components {

inline const std::string kRoot = "C:\\VZCOMP\\";
inline const std::string kInstall = "C:\\VZCOMP\\VELZOR\\";
inline const std::string kWordFolder = "C:\\VZCOMP\\WINWORD\\";
inline const std::string kResult = "C:\\VZCOMP\\choices.txt";

// The component choices a run left, as vzops.exe writes them.
struct Choices {
  int word = -1, shell = -1, online = -1, scheduler = -1, toolbar = -1, rescue = -1, emergency = -1;
  bool operator==(const Choices&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Choices& c);
Choices ReadChoices();

class ComponentsMachine : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // vzops.exe, seeing the given Windows version, with the install folder set.
  static bench::RunResult RunOps(bench::Os os, const std::string& arguments, bench::Robot& user);

  static void SetType(const char* type);        // nullptr: no Type record
  static void InstallWord(bool programExists);  // recorded in the registry, the program there or not
  static void ForgetWord();
};

// --- The help window (winhlp32's, another process) ---------------------------------

// The open help window, once it shows a topic; nullptr when none comes in time.
HWND WaitForHelp(int milliseconds = 5000);
// The text of the topic the help window shows.
std::string HelpText(HWND help);
// True once no help window is open.
bool WaitForNoHelp(int milliseconds = 5000);
// Closes a help window left open (by a failed case).
void CloseHelp();

// Robot actions about the help window.
void ExpectHelpTopic(bench::Step& step, const std::string& title);
void ExpectHelpClosed(bench::Step& step);

}  // namespace components

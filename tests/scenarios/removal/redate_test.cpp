// Re-dating the previous version's files: each file that can be opened for
// reading and writing gets the DOS date 9 (day 9 of month 0, 1980) with its
// own time of day, where the platform converts that date. Wine, like Windows
// NT, rejects month 0, so there every file keeps its date; what is checked
// here is what the platform really does, and that nothing else changes.
#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <vector>

#include "machine.h"
#include "removal_machine.h"
#include "robot.h"
#include "scratch_files.h"

using namespace bench;
using namespace removal;

namespace {

struct Stamp {
  FILETIME written{};
  DWORD attributes = 0;
  std::string bytes;
};

bool Same(const FILETIME& a, const FILETIME& b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

FILETIME Written(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

void SetWritten(const std::string& path, const SYSTEMTIME& when) {
  FILETIME time;
  SystemTimeToFileTime(&when, &time);
  HANDLE f = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE) << path;
  SetFileTime(f, nullptr, nullptr, &time);
  CloseHandle(f);
}

Stamp StampOf(const std::string& path) {
  Stamp s;
  s.written = Written(path);
  s.attributes = GetFileAttributesA(path.c_str());
  s.bytes = ReadFileBytes(path).value_or("");
  return s;
}

// What re-dating makes of a last-write time on this platform: date 9 with the
// same time of day, or the time unchanged when the date is rejected.
FILETIME Redated(const FILETIME& written) {
  WORD date, time;
  FILETIME result;
  if (FileTimeToDosDateTime(&written, &date, &time) && DosDateTimeToFileTime(9, time, &result)) return result;
  return written;
}

TEST(RedatePreviousFiles, FilesAreRedatedWhereThePlatformAllowsAndNothingElseChanges) {
  std::string folder = ScratchFolder("REDATE");
  const SYSTEMTIME when{1998, 6, 1, 15, 10, 20, 30, 0};  // 15 June 1998, 10:20:30
  for (const char* name : {"VZ32.EXE", "VZ.INX", "README.TXT", "INUSE.DLL", "PROTECT.DAT"}) {
    WriteFileBytes(folder + name, std::string("contents of ") + name);
    SetWritten(folder + name, when);
  }
  MakeFolders(folder + "SUBDIR\\");
  WriteFileBytes(folder + "SUBDIR\\INNER.EXE", "inner");
  SetWritten(folder + "SUBDIR\\INNER.EXE", when);
  SetWritten(folder + "SUBDIR", when);
  SetReadOnly(folder + "PROTECT.DAT");

  // In use by a program that lets others read and write (not delete): opened
  // and re-dated like the others.
  const std::vector<std::string> redatable = {"VZ32.EXE", "VZ.INX", "README.TXT", "INUSE.DLL"};
  std::map<std::string, Stamp> before;
  for (const auto& name : redatable) before[name] = StampOf(folder + name);
  for (const auto& name : {"PROTECT.DAT", "SUBDIR", "SUBDIR\\INNER.EXE"}) before[name] = StampOf(folder + name);
  FILETIME probe;
  std::cout << "The date word 9 (month 0) is " << (DosDateTimeToFileTime(9, 0, &probe) ? "accepted" : "rejected")
            << " by this platform's DosDateTimeToFileTime\n";

  {
    FileLock inUse(folder + "INUSE.DLL");
    ASSERT_TRUE(inUse.held());
    Robot user;
    auto run = RunStep("RedatePreviousFiles " + folder, user, {.timeoutMs = 15000});
    EXPECT_FALSE(run.timedOut);
    EXPECT_TRUE(user.Seen().empty()) << user.Transcript();
  }

  for (const auto& name : redatable) {
    Stamp after = StampOf(folder + name);
    EXPECT_TRUE(Same(after.written, Redated(before[name].written))) << name;
    EXPECT_EQ(after.bytes, before[name].bytes) << name << ": contents are never changed";
    EXPECT_EQ(after.attributes, before[name].attributes) << name;
  }
  Stamp readOnly = StampOf(folder + "PROTECT.DAT");
  EXPECT_TRUE(Same(readOnly.written, before["PROTECT.DAT"].written)) << "a read-only file cannot be opened to write";
  EXPECT_TRUE(IsReadOnly(folder + "PROTECT.DAT"));
  EXPECT_EQ(readOnly.bytes, before["PROTECT.DAT"].bytes);
  EXPECT_TRUE(Same(Written(folder + "SUBDIR"), before["SUBDIR"].written)) << "a folder is skipped";
  EXPECT_TRUE(Same(Written(folder + "SUBDIR\\INNER.EXE"), before["SUBDIR\\INNER.EXE"].written))
      << "subfolders are not entered";
}

}  // namespace

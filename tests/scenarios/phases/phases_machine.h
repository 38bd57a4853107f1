// The shared machine as the helper's phases meet it: the product's records
// on this system and, through C:\VZ.INI, on the other system of a dual-boot
// machine; the install folder with the product's files; the previous
// version's folder; and the robot's scripts for the windows every run shows.
//
// On one Wine machine both "systems" share one registry and one Windows
// folder: the other system is a folder of its own (kOtherWindows) holding its
// VZ32.INI, named in C:\VZ.INI.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "machine.h"
#include "robot.h"

namespace phases {

inline const char kVersion[] = "5.0";
inline const char kOldVersion[] = "4.0";

// Registry keys as the test reads them ("\" separated).
inline const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velzor";
inline const char kProductKey[] = "SOFTWARE\\Orvanto\\Velzor";  // HKLM
inline const char kUserProductKey[] = "Software\\Orvanto\\Velzor";  // HKCU
inline const char kOemKey[] = "SOFTWARE\\Orvanto\\Velzor\\OEM Copy";  // HKCU
inline const char kDefaultUserKey[] = ".Default\\Software\\Orvanto\\Velzor";  // HKU
inline const char kVersionKey[] = "SOFTWARE\\Orvanto\\Velzor\\5.0";
inline const char kOldVersionKey[] = "SOFTWARE\\Orvanto\\Velzor\\4.0";
inline const char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

inline const char kInstallMap[] = "C:\\VZ.INI";
inline const char kAutoexec[] = "C:\\AUTOEXEC.BAT";

// Folders of the cases, all under one root that each case starts without.
inline const std::string kRoot = "C:\\VZPHASE\\";
inline const std::string kInstallLong = "C:\\VZPHASE\\Velzor Anti-Virus\\";  // has a short form of its own
inline const std::string kPrevious = "C:\\VZPHASE\\OLDVZ\\";
inline const std::string kOtherWindows = "C:\\VZPHASE\\OTHERWIN";  // as GetWindowsDirectory gives it

// Texts the cases check byte for byte.
inline const char kWarningText[] =
    "If you have any other anti-virus software/hardware loaded\nin your system, it is recommended that you unload it "
    "to\navoid any inconvinience caused during installation.\n\nIf such softwares/hardware are not unloaded,\n"
    "performance of Velzor can be unpredictable.\n\nSelect Cancel to abort Setup.";
inline const char kScanCaption[] = "Pre-Install Virus Scan";
inline const char kOemCaption[] = "Original Equipment Manufacturer's Address";

class PhasesMachine : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The machine with the helper seeing the given system.
  static bench::TestMachine Machine(bench::Os os);

  // The setup media folder in its short form without a final backslash, as
  // the outer setup passes it.
  static std::string Source();
  // "/INITSETUP*<source>*...*<type>*5*<oem>*0*x*<version>" (the switch in capitals).
  static std::string InitSetup(const std::string& type = "2", const std::string& oem = "0",
                               const std::string& version = kVersion);
  // "/EndSetup*<source>*<install folder, long form, no final backslash>".
  static std::string EndSetup();

  // The install folder (long form) holding the product's files; its short
  // form with a final backslash, as the helper records it.
  static std::string MakeInstallFolder();
  static std::string InstallFolder();

  // This machine's Windows folder as GetWindowsDirectory gives it (no final backslash).
  static std::string OwnWindows();

  // C:\VZ.INI [Path] <system>=<folder>, and that folder's VZ32.INI [Info] Version.
  static void RecordSystem(const char* systemName, const std::string& windowsFolder, const char* version);

  // The product installed on this system at the previous version: its
  // uninstall entry, "UninstPath" naming kPrevious, "LastVerInstalled",
  // "CurrentVersion", the previous version key, and kPrevious with the
  // previous version's files (its own uninstaller among them when asked).
  static void InstallPreviousVersion(bool withUninstaller, const char* lastVersion = kOldVersion);

  // Robot scripts.
  static void ExpectWarningAndScan(bench::Robot& user);
  // The component selection with Word absent: the shell extensions left
  // unchosen (they change HKCR), the start-up defaults taken, the diskette
  // loop's message on a machine without a diskette drive, the scheduler refused.
  // `atStart` runs when its first window has come, before the user answers it.
  static void ExpectComponentSelection(bench::Robot& user, bench::Os os, const std::string& type,
                                       std::function<void(HWND, bench::Robot&)> atStart = nullptr);
};

// An INI entry, "(none)" when missing.
std::string IniText(const std::string& file, const char* section, const char* key);
// An HKLM, HKCU or HKU text value, "(none)" when missing.
std::string Reg(HKEY root, const std::string& key, const char* name);
// The first line of a text file ("" when none).
std::string FirstLine(const std::string& path);
std::string Lower(std::string text);

}  // namespace phases

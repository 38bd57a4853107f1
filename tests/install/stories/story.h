// Whole installations through SETUP.EXE, as a user meets them on a pristine
// machine: the media, the machine's Windows version, the robot user who
// gives the answers (or a person, in the demo's interactive mode), pictures
// of every window the robot answers, and what the installation left.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "machine.h"
#include "program_watch.h"
#include "robot.h"

namespace story {

struct Options {
  bench::Os os = bench::Os::Windows95;
  std::string media;     // the setup media, ending with "\"
  std::string pictures;  // folder for a BMP of each window the installation shows; empty: none
  bool report = false;   // print what the installation left
  bool interactive = false;  // a person answers the main installation, not the robot
};
const Options& TheOptions();
// Reads --os=95|nt, --media=, --pictures=, --report, --interactive.
void ParseOptions(int argc, char** argv);

inline const char kVersion[] = "5.0";
inline const char kPreviousVersion[] = "4.0";
inline const char kInstallFolder[] = "C:\\Program Files\\Velzor";
inline const char kRegisteredOwner[] = "Ada Lovelace";
inline const char kRegisteredCompany[] = "Analytical Engines Ltd";
// The machine's C:\AUTOEXEC.BAT before the installation.
inline const char kAutoexec[] = "C:\\AUTOEXEC.BAT";
inline const char kAutoexecLines[] = "@ECHO OFF\r\nPROMPT $P$G\r\nPATH C:\\WINDOWS;C:\\WINDOWS\\COMMAND\r\n";

// The robot expects a window; when pictures are taken it pauses before it
// answers, so that each window is pictured as it stands. Answers follow.
bench::Step& See(bench::Robot& user, bench::WindowSpec wanted);

// What the user does in each part of an installation with the default answers.
void AnswerWarningAndScan(bench::Robot& user);
struct EndAnswers {
  bool virusFound = false;  // the disinfection offer comes first
  bool emergencyDiskette = false;  // a Type 3 copy on Windows 95 writes both diskettes
};
void AnswerComponentSelection(bench::Robot& user, const EndAnswers& answers = {});

struct Installation {
  bool finished = false;           // every program of the installation ended in time
  std::vector<DWORD> setupExits;   // each SETUP.EXE run's exit code, in order
  std::string windowsLeft;         // at a time-out: the windows still up
};

// Runs SETUP.EXE from the media and waits until `setupRuns` runs of it (the
// first, and those Windows starts again) and every program they started have
// ended. The robot watches the helper and the product's programs; without a
// robot nobody answers but a person at the screen.
Installation RunSetup(const std::string& media, bench::Robot* user, int setupRuns = 1);

// The machine before the story: the product's programs see the chosen
// Windows version, Windows has a registered user, and C:\AUTOEXEC.BAT its
// usual lines.
void PrepareMachine(bench::Os os);

// A copy of the media on drive C: with SETUP.INI changed as given (key=value
// in [Setup]), as an earlier version's or an OEM's setup disk; returns its folder.
std::string MediaCopy(const std::string& folderName, const std::vector<std::pair<std::string, std::string>>& values);

// A whole installation of an earlier version with the default answers.
void InstallPreviousVersion(bench::Os os);

// --- What the installation left ----------------------------------------------

// The install folder's short form, ending with "\".
std::string InstallShort();
// SETUP.EXE's own uninstall command for the install folder.
std::string SetupUninstallCommand();
// File names that SETUP.INI of the media lists.
std::vector<std::string> MediaFiles(const std::string& media);
// An entry of an INI file ("" when missing).
std::string IniText(const std::string& file, const std::string& section, const std::string& key);
// The Start Menu group's item titles (the .lnk files of the group's folder).
std::vector<std::string> StartMenuGroup(const std::string& group);

// Prints the records, files, Start Menu group, Run values, C:\VZ.INI and
// VZ32.INI that the installation left.
void PrintReport(const std::string& title);

}  // namespace story

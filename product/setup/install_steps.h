// What the outer setup itself does to the machine between the helper's two
// phases: the product's files, the log of what it copied, the uninstall
// entry, the user's name and company.
#pragma once

#include <windows.h>

#include <cstddef>

#include "setup_media.h"

namespace vzsetup {

constexpr char kLogName[] = "SETUP.LOG";         // in the install folder
constexpr char kUninstallerName[] = "UNINST.EXE";  // in the Windows folder: this program
constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velzor";

// Called before each file is copied, with its name; false stops the copy.
using CopyProgress = bool (*)(const char* name);

// Makes the install folder (and its parents), copies every file of the media's
// list into it and writes SETUP.LOG there. A file that cannot be copied is
// offered again (Retry) or ends the copy (Cancel). True when all were copied.
bool CopyProductFiles(const SetupMedia& media, CopyProgress progress);

// The product's uninstall entry: "DisplayName" and "UninstallString" =
// <Windows folder>\UNINST.EXE -f"<install folder>\SETUP.LOG", this program
// copied there. False when the entry could not be written.
bool RegisterUninstallEntry(const SetupMedia& media);

// The user's name and company, as Windows has them registered, recorded for
// the version being installed.
void RecordRegisteredUser(const SetupMedia& media);

// The outer setup's own uninstaller (this program run as UNINST.EXE with
// -f<char><log path>): removes the files the log lists, the log, the folder
// when it is empty, and the uninstall entry while it still names this
// command. Returns the exit code.
int UninstallFromLog(const char* commandLine);

}  // namespace vzsetup

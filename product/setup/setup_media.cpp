#include "setup_media.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vzsetup {

namespace {

constexpr char kSetupSection[] = "Setup";
constexpr char kFilesSection[] = "Files";
constexpr char kGroupSection[] = "Group";
constexpr char kGroupItemsSection[] = "Group Items";

// Reads one value of [Setup] into a buffer of its own size; false when it is
// missing (and required) or longer than the buffer holds.
bool ReadValue(const char* ini, const char* key, char* value, std::size_t capacity, bool required, char* why,
               std::size_t whyCapacity) {
  char read[2 * vzp::kPathCapacity];
  DWORD length = GetPrivateProfileStringA(kSetupSection, key, "", read, sizeof read, ini);
  if (length == 0 && required) {
    std::snprintf(why, whyCapacity, "%s names no %s in its [%s] section.", kSetupIniName, key, kSetupSection);
    return false;
  }
  if (!vz::CopyText(value, capacity, read) || length + 1 >= sizeof read) {
    std::snprintf(why, whyCapacity, "The %s of %s is too long.", key, kSetupIniName);
    return false;
  }
  return true;
}

// A file of the media is named by its name alone.
bool IsPlainFileName(const char* name) {
  return name[0] != '\0' && std::strpbrk(name, "\\/:*?\"<>|=") == nullptr && std::strcmp(name, ".") != 0 &&
         std::strcmp(name, "..") != 0;
}

}  // namespace

bool ReadSetupMedia(SetupMedia& media, char* why, std::size_t whyCapacity) {
  media = {};
  char ini[vzp::kPathCapacity];
  if (!vzp::OwnFolder(media.folder) || !vzp::FileBeside(ini, kSetupIniName)) {
    std::snprintf(why, whyCapacity, "The setup media are in a folder whose path is too long.");
    return false;
  }
  if (!vzp::PathExists(ini)) {
    std::snprintf(why, whyCapacity, "%s is missing from the setup media in\n%s", kSetupIniName, media.folder);
    return false;
  }
  char oem[kTypeCapacity] = "";
  if (!ReadValue(ini, "Product", media.productName, sizeof media.productName, true, why, whyCapacity) ||
      !ReadValue(ini, "Version", media.version, sizeof media.version, true, why, whyCapacity) ||
      !ReadValue(ini, "Type", media.type, sizeof media.type, true, why, whyCapacity) ||
      !ReadValue(ini, "OEM", oem, sizeof oem, false, why, whyCapacity) ||
      !ReadValue(ini, "InstallFolder", media.installFolder, sizeof media.installFolder, true, why, whyCapacity))
    return false;
  media.oemFlag = std::atoi(oem);
  // The folder is handed on without a final backslash; a drive's root keeps it.
  std::size_t length = std::strlen(media.installFolder);
  if (length > 3 && media.installFolder[length - 1] == '\\') media.installFolder[length - 1] = '\0';

  DWORD listed = GetPrivateProfileSectionA(kFilesSection, media.files, sizeof media.files, ini);
  if (listed + 2 >= sizeof media.files) {
    std::snprintf(why, whyCapacity, "The [%s] section of %s is too long.", kFilesSection, kSetupIniName);
    return false;
  }
  if (listed == 0) {
    std::snprintf(why, whyCapacity, "%s names no file to copy.", kSetupIniName);
    return false;
  }
  for (const char* name = media.files; *name; name += std::strlen(name) + 1) {
    if (!IsPlainFileName(name)) {
      std::snprintf(why, whyCapacity, "%s names the file \"%s\", which is not a file name.", kSetupIniName, name);
      return false;
    }
  }

  // [Group] Name= the group; [Group Items] FILE=Title for each item.
  GetPrivateProfileStringA(kGroupSection, "Name", "", media.groupName, sizeof media.groupName, ini);
  DWORD items = GetPrivateProfileSectionA(kGroupItemsSection, media.groupItems, sizeof media.groupItems, ini);
  if (items + 2 >= sizeof media.groupItems) {
    std::snprintf(why, whyCapacity, "The [%s] section of %s is too long.", kGroupItemsSection, kSetupIniName);
    return false;
  }
  return true;
}

void SourceToken(const SetupMedia& media, char* token, std::size_t capacity) {
  vz::CopyText(token, capacity, media.folder);
  std::size_t length = std::strlen(token);
  if (length > 3 && token[length - 1] == '\\') token[length - 1] = '\0';
}

}  // namespace vzsetup

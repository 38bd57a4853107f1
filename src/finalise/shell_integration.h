// Shell verbs and the Program Manager group.
#pragma once

namespace vz {

void InstallShellVerbs();
void BuildProgramGroup();

int ProgmanDeleteGroup(const char* groupName);
int ProgmanCreateGroup(const char* groupName, const char* groupFile);
int ProgmanShowGroup(const char* groupName, unsigned short showCommand);
int ProgmanAddItem(const char* commandLine, const char* itemTitle, const char* iconFile, unsigned short iconIndex);
int ProgmanExecute(const char* command);

}  // namespace vz

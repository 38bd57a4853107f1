// The product's files as the setup media carry them, copied into the folders
// a case needs (an install folder, a previous version's folder).
#pragma once

#include <string>
#include <vector>

namespace bench {

// The files an installation puts into its install folder.
const std::vector<std::string>& InstalledProductFiles();

// The bytes of a file of the setup media; a test failure when it is missing.
std::string MediaFile(const std::string& name);

// Copies the named files of the setup media into the folder (made when
// missing; the folder ends with "\").
void CopyFromMedia(const std::string& folder, const std::vector<std::string>& names);

}  // namespace bench

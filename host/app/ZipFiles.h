#pragma once
// Unpacking the archives the program ships (catalogue, resources).

#include <string>

namespace orv::host {

// Unpacks every entry of the zip archive into `destFolder` (created when missing). Entries
// whose names would leave the folder (absolute, or with a ".." part) are refused. Returns the
// number of files written, or -1 when the archive cannot be opened or an entry fails.
int UnzipFiles(const std::string& zipPath, const std::string& destFolder);

}  // namespace orv::host

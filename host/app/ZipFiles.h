#pragma once
// Unpacking the archives the program ships (catalogue, resources).

#include <string>

namespace orv::host {

// Unpacks every entry of the zip archive into `destFolder` (created when missing). Entries
// whose names would leave the folder (absolute, or with a ".." part) are refused. Returns the
// number of files written, or -1 when the archive cannot be opened or an entry fails.
// Each file is written to a temporary file and renamed over its target.
int UnzipFiles(const std::string& zipPath, const std::string& destFolder);

// Unpacks the one entry named `entryName` (exact, letter case counts) to `targetPath`, through a
// temporary file renamed over it. False when the archive or the entry cannot be read or the
// file cannot be written; the target is then untouched.
bool UnzipEntryTo(const std::string& zipPath, const std::string& entryName,
                  const std::string& targetPath);

}  // namespace orv::host

#pragma once
// The binary block "Config/App_Data.dat" that the application object keeps whole.

#include <cstddef>
#include <string>

namespace orv::host {

constexpr size_t kAppDataBlockSize = 8655;

struct AppDataBlock {
  unsigned char bytes[kAppDataBlockSize] = {};
  // The file was missing or shorter than the block when last loaded.
  bool fileWasShort = false;
};

// Loads the file into the block: a file of at least the block's size gives its first
// (size - 80) bytes, never more than the block holds; a missing or shorter file leaves the block
// as it is and marks it short. The block's first byte is cleared after a load.
void LoadAppDataFile(const std::string& path, AppDataBlock& block);

// Writes the whole block (create or truncate) and clears its first byte; false when the file
// cannot be written.
bool SaveAppDataFile(const std::string& path, AppDataBlock& block);

}  // namespace orv::host

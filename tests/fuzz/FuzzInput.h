#pragma once
// Helpers shared by the fuzz targets: the input split into a selector byte and a reply text,
// and a scratch file for the readers that take a path.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace orv::fuzz {

// The first byte picks the reader, the rest is the text handed to it (null-terminated, as a
// reply buffer of the transport is).
struct FuzzInput {
  FuzzInput(const uint8_t* data, size_t size)
      : selector(size ? data[0] : 0),
        text(size ? reinterpret_cast<const char*>(data) + 1 : "", size ? size - 1 : 0) {}
  uint8_t selector;
  std::string text;
};

// A file of this process that a reader is pointed at, rewritten for every input.
class ScratchFile {
 public:
  explicit ScratchFile(const char* name)
      : path_(std::string(P_tmpdir) + "/orv-fuzz-" + std::to_string(::getpid()) + "-" + name) {}
  ~ScratchFile() { std::remove(path_.c_str()); }
  const std::string& Write(const std::string& bytes) {
    if (std::FILE* f = std::fopen(path_.c_str(), "wb")) {
      std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
    }
    return path_;
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace orv::fuzz

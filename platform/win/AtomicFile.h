#pragma once
// Files the program rewrites are replaced whole: a temporary file beside the target is written
// and flushed to disk, then renamed over it, so a crash or a full disk leaves either the old or
// the new contents, never half of them.

#include <string>

namespace orv::win {

// Replaces (or creates) `path` with `bytes` through "<path>.tmp"; false, with the target
// untouched and no temporary file left, when any step fails. One writer per path at a time.
bool ReplaceFileContents(const std::string& path, const std::string& bytes);

}  // namespace orv::win

#pragma once
// Password-protected zip packages (traditional zip encryption, which every unzip tool reads).

#include <string>
#include <vector>

// Writes `zipPath` anew with every file of `files`, each stored under its file name (with
// `base` non-empty: under its path relative to `base`), deflated and, with a non-empty
// password, encrypted. Answers the number of files written, or -1 when the package cannot be
// made or a file cannot be read (no half package is left then).
int GfxCreateZipFile(const std::string& zipPath, const std::string& base,
                     const std::vector<std::string>& files, const std::string& password);

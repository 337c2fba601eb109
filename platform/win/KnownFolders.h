#pragma once
// The user's standard folders, as XDG names them, and the program folder. The user folders come
// without a trailing "/"; the program folder ends in "/".

#include <string>

namespace orv::win {

// $HOME, else the home folder of the user's account entry.
std::string GetHomeFolder();
// $XDG_DOCUMENTS_DIR, else XDG_DOCUMENTS_DIR of $XDG_CONFIG_HOME/user-dirs.dirs, else
// $HOME/Documents.
std::string GetDocumentsFolder();
// $XDG_CONFIG_HOME, else $HOME/.config.
std::string GetConfigFolder();
// $XDG_DATA_HOME, else $HOME/.local/share.
std::string GetDataFolder();
// The folder of the running executable, ending in "/"; empty when it cannot be found.
std::string GetProgramFolder();

// Creates `path` and its missing parents (mode 0700 for new folders). True when it exists.
bool CreateFolders(const std::string& path);

}  // namespace orv::win

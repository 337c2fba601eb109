#pragma once
// Where the host program keeps its files. Every folder text ends with "/".

#include <string>

namespace orv::host {

struct AppFolders {
  std::string exePath;          // the executable
  std::string exeFolder;        // its folder
  std::string exeName;          // file name without extension
  std::string exeExt;           // extension with its dot, or empty
  std::string parentFolder;     // the folder above the exe folder
  std::string configFolder;     // exe folder's "Config"
  std::string appDataFilePath;  // "Config/App_Data.dat"
  std::string webUserDataFolder;
  std::string webPayDataFolder;
  std::string documentsFolder;   // empty when there is none
  std::string userDataFolder;    // start-up: Documents/<company>/<exe name>/
  std::string moduleFolder;      // "Ziro" in the start-up user data folder
  std::string settingsFolder;    // exe folder's "Settings"
  std::string sharedDataFolder;  // <common data>/<company>/<exe name>/, or empty
  std::string logFolder;         // "Log" in the start-up user data folder
  std::string catalogPath;       // "app-settings.db" (or the first "app-settings*.db")
  std::string dataDbPath;        // "data.db" in the settings folder
  std::string menusDbPath;       // "menus-rede2-app.db" or the first "menus-*.db", or empty
};

// Splits the executable's path and lays out the exe-relative folders, creating "Config",
// "WebUserData" and "WebPayData" when missing.
void LayOutExeFolders(const std::string& exePath, AppFolders& f);

// Lays out the user, module, settings and shared folders and the database paths, creating the
// folders when missing. `documentsFolder` and `commonDataFolder` are empty when not found.
void LayOutStartupFolders(const std::string& documentsFolder, const std::string& commonDataFolder,
                          const std::string& companyKey, AppFolders& f);

// Documents/<company>/<folder name>/, created when missing: the user data folder once the run
// settings are loaded.
std::string MakeFolderNameFolder(const std::string& documentsFolder, const std::string& companyKey,
                                 const std::string& folderName);

// Creates a folder (and its parents) when missing; true when it exists afterwards.
bool EnsureFolder(const std::string& folder);

// True when the path names an existing regular file.
bool FileExists(const std::string& path);

// Adds a trailing "/" when missing.
std::string WithSlash(const std::string& folder);

}  // namespace orv::host

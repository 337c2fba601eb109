#include "host/app/AppFolders.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace orv::host {

std::string WithSlash(const std::string& folder) {
  if (folder.empty() || folder.back() == '/') return folder;
  return folder + "/";
}

bool EnsureFolder(const std::string& folder) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  return fs::is_directory(folder, ec);
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

namespace {

// The first regular file in `folder` whose name starts with `prefix` and ends with `suffix`
// (in name order, so the choice does not depend on the directory's order).
std::string FirstMatchingFile(const std::string& folder, const std::string& prefix,
                              const std::string& suffix) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_regular_file(ec)) continue;
    const std::string name = it->path().filename().string();
    if (name.size() >= prefix.size() + suffix.size() &&
        name.compare(0, prefix.size(), prefix) == 0 &&
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
      names.push_back(name);
    }
  }
  if (names.empty()) return {};
  return folder + *std::min_element(names.begin(), names.end());
}

// `folder`/`name`/ when it exists or can be created, else `fallback`.
std::string SubfolderOr(const std::string& folder, const std::string& name,
                        const std::string& fallback) {
  const std::string sub = folder + name + "/";
  return EnsureFolder(sub) ? sub : fallback;
}

}  // namespace

void LayOutExeFolders(const std::string& exePath, AppFolders& f) {
  const fs::path p(exePath);
  f.exePath = exePath;
  f.exeFolder = WithSlash(p.parent_path().string());
  f.exeName = p.stem().string();
  f.exeExt = p.extension().string();
  f.parentFolder = WithSlash(p.parent_path().parent_path().string());
  f.configFolder = f.exeFolder + "Config/";
  EnsureFolder(f.configFolder);
  f.webUserDataFolder = f.exeFolder + "WebUserData/";
  f.webPayDataFolder = f.exeFolder + "WebPayData/";
  EnsureFolder(f.webUserDataFolder);
  EnsureFolder(f.webPayDataFolder);
  f.appDataFilePath = f.configFolder + "App_Data.dat";
}

void LayOutStartupFolders(const std::string& documentsFolder, const std::string& commonDataFolder,
                          const std::string& companyKey, AppFolders& f) {
  f.documentsFolder = WithSlash(documentsFolder);
  if (!f.documentsFolder.empty()) {
    f.userDataFolder = f.documentsFolder + companyKey + "/";
    EnsureFolder(f.userDataFolder);
    f.userDataFolder += f.exeName + "/";
    EnsureFolder(f.userDataFolder);
    f.moduleFolder = SubfolderOr(f.userDataFolder, "Ziro", f.exeFolder);
  } else {
    f.userDataFolder = f.exeFolder;
    f.moduleFolder = SubfolderOr(f.userDataFolder, "Ziro", f.exeFolder);
  }
  f.settingsFolder = SubfolderOr(f.exeFolder, "Settings", f.exeFolder);

  f.sharedDataFolder.clear();
  if (!commonDataFolder.empty()) {
    const std::string company = WithSlash(commonDataFolder) + companyKey + "/";
    if (EnsureFolder(company + f.exeName)) f.sharedDataFolder = company + f.exeName + "/";
  }

  f.catalogPath = f.settingsFolder + "app-settings.db";
  if (!FileExists(f.catalogPath)) {
    const std::string found = FirstMatchingFile(f.settingsFolder, "app-settings", ".db");
    if (!found.empty()) f.catalogPath = found;
  }
  f.dataDbPath = f.settingsFolder + "data.db";
  f.menusDbPath = f.settingsFolder + "menus-rede2-app.db";
  if (!FileExists(f.menusDbPath))
    f.menusDbPath = FirstMatchingFile(f.settingsFolder, "menus-", ".db");
  f.logFolder = f.userDataFolder + "Log/";
}

std::string MakeFolderNameFolder(const std::string& documentsFolder, const std::string& companyKey,
                                 const std::string& folderName) {
  const std::string folder = WithSlash(documentsFolder) + companyKey + "/" + folderName + "/";
  EnsureFolder(folder);
  return folder;
}

}  // namespace orv::host

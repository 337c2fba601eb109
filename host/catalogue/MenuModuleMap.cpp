#include "host/catalogue/MenuModuleMap.h"

#include <sqlite3.h>

#include <cwctype>
#include <filesystem>
#include <system_error>

#include "host/catalogue/HostText.h"
#include "host/catalogue/LanguageTexts.h"

namespace fs = std::filesystem;

namespace orv::host {
namespace {

const char kGroupQuery[] =
    "SELECT group_idx,group_width,group_height,group_title,title_eng,title_chn,title_jpn,"
    "title_vtn,title_tai,group_desc  FROM APP_MENU_GROUP where is_valid=1 and app_idx=1 order "
    "by group_pos limit 10;";
const char kModuleQuery[] =
    "SELECT menu_idx,menu_type,width,height,menu_code,menu_title,title_eng,title_chn,title_jpn,"
    "title_vtn,title_tai,menu_desc,child_titles,menu_url,menu_param,menu_link,menu_img1,"
    "bg_color,menu_pwd,modules_on FROM APP_MENU_INFO where is_valid=1 and group_idx=? and "
    "app_idx=? order by menu_pos;";
constexpr int kMaxGroups = 10;

// Both queries list the title columns as Korean, English, Chinese, Japanese, Vietnamese,
// Thai from koreanColumn on; any language but those is English.
int TitleColumn(int koreanColumn, int language) {
  switch (language) {
    case kLangKorean:
      return koreanColumn;
    case kLangChinese:
      return koreanColumn + 2;
    case kLangJapanese:
      return koreanColumn + 3;
    case kLangVietnamese:
      return koreanColumn + 4;
    case kLangThai:
      return koreanColumn + 5;
    default:
      return koreanColumn + 1;
  }
}

std::wstring Column(sqlite3_stmt* stmt, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
  return text != nullptr ? Utf8ToWide(text) : std::wstring();
}

uint16_t AtLeastMinSize(int value) {
  return value < kMinModuleSize ? kMinModuleSize
                                : static_cast<uint16_t>(value > 0xFFFF ? 0xFFFF : value);
}

bool IsFile(const std::wstring& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(fs::path(path), ec);
}

std::wstring FolderOf(const std::wstring& file) {
  const fs::path folder = fs::path(file).parent_path();
  if (folder.empty()) return L"";
  std::wstring text = folder.wstring();
  if (text.back() != L'/') text.push_back(L'/');
  return text;
}

std::wstring WithSlash(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'/') folder.push_back(L'/');
  return folder;
}

std::wstring SlashLink(std::wstring link) {
  for (auto& c : link) {
    if (c == L'\\') c = L'/';
  }
  return link;
}

std::vector<std::wstring> SplitList(const std::wstring& list) {
  std::vector<std::wstring> parts;
  size_t pos = 0;
  while (pos <= list.size() && !list.empty()) {
    size_t end = list.find(L';', pos);
    if (end == std::wstring::npos) end = list.size();
    parts.push_back(list.substr(pos, end - pos));
    pos = end + 1;
  }
  return parts;
}

}  // namespace

bool MenuModuleMap::Insert(std::unique_ptr<MenuModule> module) {
  if (!module || modules_.count(module->key)) return false;
  const uint32_t key = module->key;
  modules_.emplace(key, std::move(module));
  if (firstKey_ == 0) firstKey_ = key;
  return true;
}

MenuModule* MenuModuleMap::Find(uint32_t key) const {
  const auto it = modules_.find(key);
  return it == modules_.end() ? nullptr : it->second.get();
}

void MenuModuleMap::Clear() {
  modules_.clear();
  firstKey_ = 0;
}

std::wstring PlatformModuleName(const std::wstring& name) {
  static const std::wstring kDll = L".dll";
  if (name.size() >= kDll.size()) {
    std::wstring tail = name.substr(name.size() - kDll.size());
    for (auto& c : tail) c = static_cast<wchar_t>(std::towlower(c));
    if (tail == kDll) return name.substr(0, name.size() - kDll.size()) + L".so";
  }
  return name;
}

std::wstring ResolveModuleLibrary(const std::wstring& menuLink, const MenuPaths& paths) {
  const std::wstring link = PlatformModuleName(SlashLink(menuLink));
  if (link.empty()) return L"";
  const std::wstring fileName = fs::path(link).filename().wstring();
  if (!paths.moduleFolder.empty() && !fileName.empty()) {
    const std::wstring inPlugIn = WithSlash(paths.moduleFolder) + L"PlugIn/" + fileName;
    if (IsFile(inPlugIn)) return inPlugIn;
  }
  fs::path path(link);
  if (path.is_relative()) path = fs::path(FolderOf(paths.settingsPath)) / path;
  return path.lexically_normal().wstring();
}

std::wstring ResolveModuleIcon(const std::wstring& code, const std::wstring& menuLink,
                               const MenuPaths& paths) {
  const std::wstring resFolder = FolderOf(paths.settingsPath) + L"res/";
  if (!code.empty()) {
    const std::wstring byCode = resFolder + code + L".png";
    if (IsFile(byCode)) return byCode;
  }
  const std::wstring stem = fs::path(SlashLink(menuLink)).stem().wstring();
  return resFolder + stem + L".png";
}

int LoadModuleMenus(sqlite3* db, int appNo, int language, const MenuPaths& paths,
                    MenuModuleMap& map, std::vector<MenuGroup>* groups,
                    const SplashReporter& report) {
  if (db == nullptr) return 0;
  sqlite3_stmt* groupStmt = nullptr;
  sqlite3_stmt* moduleStmt = nullptr;
  if (sqlite3_prepare_v2(db, kGroupQuery, -1, &groupStmt, nullptr) != SQLITE_OK ||
      sqlite3_prepare_v2(db, kModuleQuery, -1, &moduleStmt, nullptr) != SQLITE_OK) {
    sqlite3_finalize(groupStmt);
    sqlite3_finalize(moduleStmt);
    return 0;
  }
  uint32_t g = 0;
  while (g < kMaxGroups && sqlite3_step(groupStmt) == SQLITE_ROW) {
    ++g;
    MenuGroup group;
    group.number = g;
    group.groupIdx = sqlite3_column_int(groupStmt, 0);
    group.itemWidth = static_cast<uint16_t>(sqlite3_column_int(groupStmt, 1));
    group.itemHeight = static_cast<uint16_t>(sqlite3_column_int(groupStmt, 2));
    group.title = Column(groupStmt, TitleColumn(3, language));
    group.description = Column(groupStmt, 9);

    sqlite3_reset(moduleStmt);
    sqlite3_bind_int(moduleStmt, 1, group.groupIdx);
    sqlite3_bind_int(moduleStmt, 2, appNo);
    uint32_t r = 0;
    while (sqlite3_step(moduleStmt) == SQLITE_ROW) {
      ++r;
      const uint32_t key = MenuKey(g, r);
      if (map.Find(key) != nullptr) {
        if (report) {
          report(L"*Error* 메뉴 인덱스가 중복(" + group.title + L"  " + std::to_wstring(g) + L"/" +
                 std::to_wstring(r) + L")\r\n");
        }
        continue;
      }
      auto module = std::make_unique<MenuModule>();
      module->key = key;
      module->menuId = static_cast<uint16_t>(sqlite3_column_int(moduleStmt, 0));
      module->kind = static_cast<uint8_t>(sqlite3_column_int(moduleStmt, 1));
      module->width = AtLeastMinSize(sqlite3_column_int(moduleStmt, 2));
      module->height = AtLeastMinSize(sqlite3_column_int(moduleStmt, 3));
      module->code = Column(moduleStmt, 4);
      module->title = Column(moduleStmt, TitleColumn(5, language));
      module->description = Column(moduleStmt, 11);
      module->startText = Column(moduleStmt, 13);
      module->paramText = Column(moduleStmt, 14);
      const std::wstring link = Column(moduleStmt, 15);
      const int background = sqlite3_column_int(moduleStmt, 17);
      module->iconBackground = background < 0 ? kIconMaskColour : static_cast<COLORREF>(background);
      module->optionText = WideToUtf8(Column(moduleStmt, 19));
      module->libraryPath = ResolveModuleLibrary(link, paths);
      module->iconPath = ResolveModuleIcon(module->code, link, paths);
      group.keys.push_back(key);
      map.Insert(std::move(module));
    }
    if (groups != nullptr) groups->push_back(std::move(group));
  }
  sqlite3_finalize(groupStmt);
  sqlite3_finalize(moduleStmt);
  return 1;
}

int LoadTestModuleMenu(const std::wstring& tabTitle, const std::wstring& folder,
                       const std::wstring& titles, const std::wstring& names,
                       const std::wstring& programFolder, MenuModuleMap& map, MenuGroup* group) {
  constexpr size_t kMaxNameChars = 260;
  constexpr size_t kMaxTitleChars = 100;
  std::error_code ec;
  const std::wstring libraryFolder = !folder.empty() && fs::is_directory(fs::path(folder), ec)
                                         ? WithSlash(folder)
                                         : WithSlash(programFolder) + L"PlugIn/";
  MenuGroup tab;
  tab.number = 1;
  tab.itemWidth = 90;
  tab.itemHeight = kMinModuleSize;
  tab.title = tabTitle.empty() ? L"DLL 테스트" : tabTitle;

  const std::vector<std::wstring> nameList = SplitList(names);
  const std::vector<std::wstring> titleList = SplitList(titles);
  int added = 0;
  for (size_t i = 0; i < nameList.size(); ++i) {
    const std::wstring& name = nameList[i];
    const std::wstring title = i < titleList.size() && !titleList[i].empty() ? titleList[i] : name;
    if (name.size() >= kMaxNameChars || title.size() >= kMaxTitleChars) break;
    if (name.empty()) continue;
    const uint32_t n = static_cast<uint32_t>(i + 1);
    const uint32_t key = TestMenuKey(n);
    if (map.Find(key) != nullptr) continue;
    auto module = std::make_unique<MenuModule>();
    module->key = key;
    module->menuId = static_cast<uint16_t>(n);
    module->code = name;
    module->title = title;
    module->libraryPath = libraryFolder + PlatformModuleName(name + L".dll");
    module->iconPath = WithSlash(programFolder) + L"res/" + name + L".png";
    tab.keys.push_back(key);
    map.Insert(std::move(module));
    ++added;
  }
  if (group != nullptr) *group = std::move(tab);
  return added;
}

}  // namespace orv::host

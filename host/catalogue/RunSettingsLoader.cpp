#include "host/catalogue/RunSettingsLoader.h"

#include <sqlite3.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

#include "host/catalogue/HostText.h"

using orv::host::CopyToBuffer;
using orv::host::CopyToField;
using orv::host::Utf8ToWide;
using orv::host::WideToUtf8;

namespace {

// One row of the application view, read by column name (the first column of a name wins).
class AppRow {
 public:
  explicit AppRow(sqlite3_stmt* stmt) : stmt_(stmt) {
    for (int i = sqlite3_column_count(stmt) - 1; i >= 0; --i) {
      columns_[sqlite3_column_name(stmt, i)] = i;
    }
  }

  std::optional<long long> Int(const char* name) const {
    const int i = Index(name);
    if (i < 0 || sqlite3_column_type(stmt_, i) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_int64(stmt_, i);
  }

  std::optional<std::string> Text(const char* name) const {
    const int i = Index(name);
    if (i < 0 || sqlite3_column_type(stmt_, i) == SQLITE_NULL) return std::nullopt;
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
    return std::string(text != nullptr ? text : "");
  }

  template <typename Field>
  void SetInt(const char* name, Field& field) const {
    if (auto v = Int(name)) field = static_cast<Field>(*v);
  }

  template <size_t N>
  void SetText(const char* name, wchar_t (&field)[N]) const {
    if (auto v = Text(name)) CopyToField(field, Utf8ToWide(*v));
  }

  template <size_t N>
  void SetText(const char* name, char (&field)[N]) const {
    if (auto v = Text(name)) CopyToField(field, *v);
  }

 private:
  int Index(const char* name) const {
    const auto it = columns_.find(name);
    return it == columns_.end() ? -1 : it->second;
  }

  sqlite3_stmt* stmt_;
  std::map<std::string, int> columns_;
};

// "0x000101FF" or a decimal number; anything else is not a colour.
std::optional<COLORREF> ParseColour(const std::string& text) {
  if (text.empty()) return std::nullopt;
  char* end = nullptr;
  const unsigned long value = std::strtoul(text.c_str(), &end, 0);
  if (end == text.c_str() || *end != '\0' || value > 0xFFFFFFFFUL) return std::nullopt;
  return static_cast<COLORREF>(value);
}

// "left,top,right,bottom".
std::optional<RECT> ParseRect(const std::string& text) {
  long v[4];
  const char* p = text.c_str();
  for (int i = 0; i < 4; ++i) {
    char* end = nullptr;
    v[i] = std::strtol(p, &end, 10);
    if (end == p) return std::nullopt;
    p = end;
    if (i < 3) {
      if (*p != ',') return std::nullopt;
      ++p;
    }
  }
  if (*p != '\0') return std::nullopt;
  RECT rc;
  rc.left = static_cast<LONG>(v[0]);
  rc.top = static_cast<LONG>(v[1]);
  rc.right = static_cast<LONG>(v[2]);
  rc.bottom = static_cast<LONG>(v[3]);
  return rc;
}

void ApplyRow(const AppRow& row, app_run_setting_s& s) {
  row.SetInt("app_idx", s.nAppIdx);
  row.SetInt("app_idx", s.nAppNo);
  row.SetInt("project_idx", s.nProjectIdx);
  row.SetInt("app_flag", s.dwAppFlags);
  row.SetInt("login_mode", s.nLoginTypeIdx);
  row.SetText("app_version", s.szVersion);
  row.SetText("app_title", s.szAppName);
  row.SetText("title", s.szProductTitle);
  row.SetText("brand_name", s.szBrandTitle);
  s.nBrandFlag = s.szBrandTitle[0] != L'\0' ? 1 : 0;
  row.SetText("name", s.szSiteName);
  row.SetText("sid", s.szSiteName2);
  row.SetText("owner", s.szCompanyName);
  row.SetText("app_pkg_name", s.szInstanceName);
  row.SetText("install_dir", s.szFolderName);
  row.SetText("web_agent_name", s.szAgentName);
  row.SetText("web_api_url", s.szWebApiBase);
  row.SetText("b2b_mode", s.szB2b);
  row.SetText("homepage", s.szHomePage);
  row.SetText("login_types", s.szLoginTypes);
  row.SetText("id_suffix", s.szLoginSuffixes);
  row.SetText("agency_names", s.szAgencyNames);
  row.SetInt("use_splash", s.byUseSplash);
  if (auto text = row.Text("transparent_color")) {
    if (auto colour = ParseColour(*text)) s.crSplashTransparent = *colour;
  }
  if (auto text = row.Text("splash_text_area")) {
    if (auto rect = ParseRect(*text)) s.rcSplashText = *rect;
  }
  row.SetInt("hide_taskbar", s.byHideTaskBar);
  row.SetInt("hide_on_start", s.byHideOnStart);
  row.SetInt("hide_on_exit", s.byHideOnExit);
  row.SetInt("confirm_on_exit", s.byConfirmOnExit);
  row.SetInt("min_menu_on_start", s.byMinMenuOnStart);
  row.SetInt("hibernate_mode_off", s.byHibernateOff);
  row.SetInt("dos_console_on", s.byConsoleOn);
  row.SetInt("screen_saver_on", s.bySaverOn);
  if (auto idle = row.Int("screen_saver_on_time"); idle && *idle > 0) {
    s.dwSaverIdleMs = static_cast<uint32_t>(*idle);
  }
  row.SetInt("pane_flag", s.byPaneMask);
  row.SetInt("show_config_tab", s.byShowConfigTab);
  // The user's own language choice (read from the settings before) wins over the row's.
  if (s.byLanguage == 0) row.SetInt("language_type", s.byLanguage);
}

std::wstring OrEmpty(const wchar_t* text) { return text != nullptr ? text : L""; }

}  // namespace

int GfxLoadProjectCode(sqlite3* db, const wchar_t* project, const wchar_t* companyKey,
                       const wchar_t* kind, const wchar_t* exeName, const wchar_t* settingsFolder,
                       app_run_setting_s* settings, wchar_t* errorText, size_t errorCapacity) {
  if (settings == nullptr) return -1;
  if (db == nullptr) {
    CopyToBuffer(errorText, errorCapacity, L"No catalogue connection");
    return -1;
  }
  const std::wstring code = OrEmpty(project) + L"-" + OrEmpty(kind);
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db,
                         "select * from SITE_APP_LIST_VIEW where code=? "
                         "order by (filename=?) desc, app_idx limit 1",
                         -1, &stmt, nullptr) != SQLITE_OK) {
    CopyToBuffer(errorText, errorCapacity, Utf8ToWide(sqlite3_errmsg(db)));
    sqlite3_finalize(stmt);
    return -1;
  }
  const std::string codeUtf8 = WideToUtf8(code);
  const std::string exeUtf8 = WideToUtf8(OrEmpty(exeName));
  sqlite3_bind_text(stmt, 1, codeUtf8.c_str(), -1, SQLITE_TRANSIENT);
  sqlite3_bind_text(stmt, 2, exeUtf8.c_str(), -1, SQLITE_TRANSIENT);
  const int rc = sqlite3_step(stmt);
  int result = 0;
  if (rc == SQLITE_ROW) {
    ApplyRow(AppRow(stmt), *settings);
    CopyToField(settings->szCompanyKey, OrEmpty(companyKey));
    CopyToField(settings->szSettingsFolder, OrEmpty(settingsFolder));
    result = 1;
  } else if (rc == SQLITE_DONE) {
    CopyToBuffer(errorText, errorCapacity, L"No application row for " + code);
  } else {
    CopyToBuffer(errorText, errorCapacity, Utf8ToWide(sqlite3_errmsg(db)));
    result = -1;
  }
  sqlite3_finalize(stmt);
  return result;
}

void GfxClearAppRunSettings(app_run_setting_s* settings) {
  if (settings == nullptr) return;
  std::free(settings->pCryptedLogin);
  *settings = app_run_setting_s{};
}

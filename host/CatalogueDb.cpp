#include "host/CatalogueDb.h"

#include <sqlite3.h>

#include <initializer_list>
#include <string>

#include "host/HostText.h"

namespace orv::host {
namespace {

const char kCatalogueSites[] =
#include "sql/catalogue_sites.sql.inc"
    ;
const char kCatalogueMigrations[] =
#include "sql/catalogue_migrations.sql.inc"
    ;
const char kCatalogueTables[] =
#include "sql/catalogue_tables.sql.inc"
    ;
const char kCatalogueViews[] =
#include "sql/catalogue_views.sql.inc"
    ;
const char kDataTables[] =
#include "sql/data_tables.sql.inc"
    ;
const char kDataMigrations[] =
#include "sql/data_migrations.sql.inc"
    ;
const char kDataViews[] =
#include "sql/data_views.sql.inc"
    ;

const char kSiteAppListProbe[] =
    "select erp_api_type,img_hide_on,vc_build_tool,web_hard_type,ndk_path,sound_noti_on,"
    "popup_noti_on,notify_rec_items,distributor_idx,g_deployer_idx,git_start_cmd,git_stop_cmd,"
    "git_backup_pw,git_backup_dir, git_exe_path,git_user_email,paste_btn_area,id_save_btn_area,"
    "git_server_on,issue_access_key,no_sleep_mode,agency_list_area,agency_names,partner_code,"
    "qt_core_dir,qt_tools_dir,qt_version,app_admin_tool,http_c_api_key,http_c_api_uid,"
    "brand_name,http_c_api_uidx, mod_date, homepage,http_c_api_token,our_members,"
    "opposite_members,doc_num_on,auto_upgrade,vc_tools_dir,vc_vars_bat,vc_bin_dir,"
    "web_agent_name,screen_saver_on_time,screen_saver_on,hibernate_mode_off,screen_saver_msg,"
    "api_key_data,api_key_time,min_menu_on_start,dos_console_on,ribon_menu_on,"
    "wnd_title_bar_on,popup_menu_height from SITE_APP_LIST_VIEW limit 1";

// Integer columns of the probe (0-based) whose value -1 marks an outdated view.
constexpr int kProbeIntColumns[] = {0, 1, 3, 5, 6, 7, 8, 9, 20, 31};

// Opens path with flags after closing *db; WAL with synchronous NORMAL keeps a crash from
// corrupting the file while other connections (the plug-in's) read and write it.
bool OpenWithFlags(sqlite3** db, const std::wstring& path, int flags) {
  if (db == nullptr) return false;
  if (*db != nullptr) {
    sqlite3_close_v2(*db);
    *db = nullptr;
  }
  if (path.empty()) return false;
  sqlite3* handle = nullptr;
  if (sqlite3_open_v2(WideToUtf8(path).c_str(), &handle, flags, nullptr) != SQLITE_OK) {
    sqlite3_close_v2(handle);
    return false;
  }
  *db = handle;
  sqlite3_busy_timeout(handle, 5000);
  sqlite3_exec(handle, "PRAGMA journal_mode = WAL", nullptr, nullptr, nullptr);
  sqlite3_exec(handle, "PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);
  return true;
}

// A view that names columns its tables lack cannot be read; it is dropped so that it counts
// as not created and is tried again at the next start.
void DropUnreadableViews(sqlite3* db, std::initializer_list<const char*> views) {
  for (const char* view : views) {
    const std::string name(view);
    sqlite3_stmt* exists = nullptr;
    bool present = false;
    if (sqlite3_prepare_v2(db, "select 1 from sqlite_master where type='view' and name=?", -1,
                           &exists, nullptr) == SQLITE_OK) {
      sqlite3_bind_text(exists, 1, view, -1, SQLITE_STATIC);
      present = sqlite3_step(exists) == SQLITE_ROW;
    }
    sqlite3_finalize(exists);
    if (!present) continue;
    sqlite3_stmt* read = nullptr;
    const int rc =
        sqlite3_prepare_v2(db, ("select * from " + name + " limit 0").c_str(), -1, &read, nullptr);
    sqlite3_finalize(read);
    if (rc != SQLITE_OK) {
      sqlite3_exec(db, ("DROP VIEW " + name + ";").c_str(), nullptr, nullptr, nullptr);
    }
  }
}

}  // namespace

int ExecEachStatement(sqlite3* db, const char* script) {
  int failed = 0;
  std::string statement;
  const std::string text(script);
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    statement.append(text, pos, end - pos).push_back('\n');
    pos = end + 1;
    if (sqlite3_complete(statement.c_str())) {
      char* error = nullptr;
      if (sqlite3_exec(db, statement.c_str(), nullptr, nullptr, &error) != SQLITE_OK) ++failed;
      sqlite3_free(error);
      statement.clear();
    }
  }
  return failed;
}

int ProbeSiteAppListView(sqlite3* db) {
  sqlite3_stmt* stmt = nullptr;
  int keep = 0;
  if (sqlite3_prepare_v2(db, kSiteAppListProbe, -1, &stmt, nullptr) == SQLITE_OK &&
      sqlite3_step(stmt) == SQLITE_ROW) {
    keep = 1;
    for (int column : kProbeIntColumns) {
      if (sqlite3_column_int(stmt, column) == -1) keep = 0;
    }
  }
  sqlite3_finalize(stmt);
  return keep;
}

int OpenCatalogueDb(sqlite3** db, const std::wstring& path) {
  if (!OpenWithFlags(db, path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_SHAREDCACHE)) return 0;
  sqlite3* handle = *db;
  ExecEachStatement(handle, kCatalogueSites);
  ExecEachStatement(handle, kCatalogueMigrations);
  if (!ProbeSiteAppListView(handle)) {
    sqlite3_exec(handle, "DROP VIEW SITE_APP_LIST_VIEW;", nullptr, nullptr, nullptr);
  }
  ExecEachStatement(handle, kCatalogueTables);
  // A table created just now lacks the columns only the migrations add; adding them at once
  // gives a new catalogue the same schema as one that has started before.
  ExecEachStatement(handle, kCatalogueMigrations);
  ExecEachStatement(handle, kCatalogueViews);
  DropUnreadableViews(handle, {"SITE_APP_LIST_VIEW", "APP_MENU_INFO_VIEW", "APP_MENU_VIEW"});
  return 1;
}

int OpenDataDb(sqlite3** db, const std::wstring& path) {
  if (!OpenWithFlags(db, path, SQLITE_OPEN_READWRITE)) return 0;
  sqlite3* handle = *db;
  ExecEachStatement(handle, kDataTables);
  ExecEachStatement(handle, kDataMigrations);
  ExecEachStatement(handle, kDataViews);
  DropUnreadableViews(handle, {"WX_PROJECT_ISSUE_VIEW"});
  return 1;
}

}  // namespace orv::host

#include <regex>

#include "CatalogueFixture.h"
#include "host/catalogue/CatalogueDb.h"

using orv::host::ExecEachStatement;
using orv::host::OpenCatalogueDb;
using orv::host::OpenDataDb;
using orv::host::ProbeSiteAppListView;

namespace {

class CatalogueDbTest : public CatalogueFixture {};

TEST_F(CatalogueDbTest, MissingFileIsNotCreated) {
  EXPECT_EQ(OpenCatalogueDb(&db_, CataloguePath().wstring()), 0);
  EXPECT_EQ(db_, nullptr);
  EXPECT_FALSE(fs::exists(CataloguePath()));
  EXPECT_EQ(OpenCatalogueDb(&db_, L""), 0);
}

TEST_F(CatalogueDbTest, EmptyFileGetsEveryTableAndTheMigrationColumnsAtOnce) {
  TouchEmpty(CataloguePath());
  ASSERT_EQ(OpenCatalogueDb(&db_, CataloguePath().wstring()), 1);
  for (const char* table :
       {"SITES", "APP_LIST", "APP_UI_POS", "APP_UI_SCENE", "APP_UI_IDS", "USER_DATA", "APP_VALUE",
        "APP_OPTIONS", "APP_MODULES", "APP_MENU_GROUP", "APP_MENU_INFO", "APP_MENU_SUB",
        "WORD_CODE", "PROJECT_ENUMS", "PROJECT_LIST", "STOCK_CFG", "UART_CFG", "PRINT_CFG",
        "HOLIDAY_LIST"}) {
    EXPECT_TRUE(HasObject(db_, table)) << table;
  }
  // Columns only the migrations add are there on the first start already.
  EXPECT_TRUE(HasColumn(db_, "APP_LIST", "min_menu_on_start"));
  EXPECT_TRUE(HasColumn(db_, "APP_LIST", "wnd_title_bar_on"));
  EXPECT_TRUE(HasColumn(db_, "STOCK_CFG", "nxt_order_allowed"));
  EXPECT_TRUE(HasColumn(db_, "STOCK_CFG", "buy_eq_cnt_max"));
  EXPECT_EQ(QueryText(db_, "select count(*) from pragma_table_info('APP_LIST')"), "235");
  EXPECT_EQ(QueryText(db_, "select count(*) from pragma_table_info('STOCK_CFG')"), "162");
  // The views that need the shipped columns of SITES and APP_MENU_SUB are not created.
  EXPECT_FALSE(HasObject(db_, "SITE_APP_LIST_VIEW"));
  EXPECT_FALSE(HasObject(db_, "APP_MENU_VIEW"));
  EXPECT_TRUE(HasObject(db_, "APP_MENU_INFO_VIEW"));
  EXPECT_EQ(QueryText(db_, "PRAGMA journal_mode"), "wal");
  EXPECT_EQ(QueryText(db_, "PRAGMA synchronous"), "1");

  const auto first = Schema(db_);
  ASSERT_EQ(OpenCatalogueDb(&db_, CataloguePath().wstring()), 1);
  EXPECT_EQ(Schema(db_), first);
}

TEST_F(CatalogueDbTest, SeedSecondStartLeavesSchemaUnchanged) {
  CopySeed();
  ASSERT_EQ(OpenCatalogueDb(&db_, CataloguePath().wstring()), 1);
  EXPECT_TRUE(HasObject(db_, "SITE_APP_LIST_VIEW"));
  EXPECT_TRUE(HasObject(db_, "APP_MENU_VIEW"));
  EXPECT_EQ(ProbeSiteAppListView(db_), 1);
  const auto first = Schema(db_);
  sqlite3_close_v2(db_);
  db_ = nullptr;
  ASSERT_EQ(OpenCatalogueDb(&db_, CataloguePath().wstring()), 1);
  EXPECT_EQ(Schema(db_), first);
}

TEST_F(CatalogueDbTest, EveryMigrationFailsQuietlyOnAMigratedCatalogue) {
  CopySeed();
  ASSERT_EQ(OpenCatalogueDb(&db_, CataloguePath().wstring()), 1);
  const std::string migrations =
      ReadFile(fs::path(ORV_SOURCE_DIR) / "host" / "sql" / "catalogue_migrations.sql");
  int statements = 0;
  for (size_t at = migrations.find("alter table"); at != std::string::npos;
       at = migrations.find("alter table", at + 1)) {
    ++statements;
  }
  EXPECT_EQ(statements, 66 + 143);
  EXPECT_EQ(ExecEachStatement(db_, migrations.c_str()), statements);
  // The application row survives.
  EXPECT_EQ(QueryText(db_, "select code from APP_LIST where app_idx=1"), "rede2-app");
}

TEST_F(CatalogueDbTest, OutdatedApplicationViewIsRebuilt) {
  CopySeed();
  ASSERT_EQ(OpenCatalogueDb(&db_, CataloguePath().wstring()), 1);
  const std::string current =
      QueryText(db_, "select sql from sqlite_master where name='SITE_APP_LIST_VIEW'");
  ASSERT_NE(current.find("popup_menu_height"), std::string::npos);

  struct Case {
    const char* what;
    std::string setup;
  };
  const Case cases[] = {
      {"view without popup_menu_height",
       "DROP VIEW SITE_APP_LIST_VIEW; CREATE VIEW SITE_APP_LIST_VIEW AS SELECT app_idx, "
       "A.site_idx, brand_name FROM APP_LIST A inner join SITES S on A.site_idx = S.site_idx;"},
      {"application row with http_c_api_uidx -1",
       "UPDATE APP_LIST SET http_c_api_uidx=-1 WHERE app_idx=1;"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Exec(db_, c.setup);
    EXPECT_EQ(ProbeSiteAppListView(db_), 0);
    ASSERT_EQ(OpenCatalogueDb(&db_, CataloguePath().wstring()), 1);
    EXPECT_EQ(QueryText(db_, "select sql from sqlite_master where name='SITE_APP_LIST_VIEW'"),
              current);
    Exec(db_, "UPDATE APP_LIST SET http_c_api_uidx=0 WHERE app_idx=1;");
    EXPECT_EQ(ProbeSiteAppListView(db_), 1);
  }
}

TEST_F(CatalogueDbTest, DataDatabaseGetsIssueColumnsAndView) {
  const fs::path data = SettingsFolder() / "data.db";
  EXPECT_EQ(OpenDataDb(&db_, data.wstring()), 0);
  TouchEmpty(data);
  ASSERT_EQ(OpenDataDb(&db_, data.wstring()), 1);
  for (const char* column : {"difficulty_idx", "status", "category", "sub_assignee_idx",
                             "sub_assignee", "contributor_idx", "contributor"}) {
    EXPECT_TRUE(HasColumn(db_, "WX_PROJECT_ISSUE", column)) << column;
  }
  Exec(db_,
       "INSERT INTO WX_PROJECT (idx, com_idx, code, project_type, title, is_valid) VALUES "
       "(7, 1, 'P7', 2, 'Trading', 1);"
       "INSERT INTO WX_PROJECT_ISSUE (idx, com_idx, project_idx, title, status) VALUES "
       "(1, 1, 7, 'Quote lag', 'open');");
  EXPECT_EQ(QueryText(db_,
                      "select project_code || '/' || project_name || '/' || status from "
                      "WX_PROJECT_ISSUE_VIEW"),
            "P7/Trading/open");
  const auto first = Schema(db_);
  ASSERT_EQ(OpenDataDb(&db_, data.wstring()), 1);
  EXPECT_EQ(Schema(db_), first);
}

}  // namespace

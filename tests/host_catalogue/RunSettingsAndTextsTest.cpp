#include <cstdlib>
#include <memory>

#include "CatalogueFixture.h"
#include "host/catalogue/CatalogueDb.h"
#include "host/catalogue/HostText.h"
#include "host/catalogue/LanguageTexts.h"
#include "host/catalogue/RunSettingsLoader.h"

using namespace orv::host;

namespace {

class RunSettingsTest : public CatalogueFixture {
 protected:
  void SetUp() override {
    CatalogueFixture::SetUp();
    CopySeed();
    ASSERT_EQ(OpenCatalogueDb(&db_, CataloguePath().wstring()), 1);
  }
};

TEST_F(RunSettingsTest, SeedApplicationRowFillsTheRunSettings) {
  auto settings = std::make_unique<app_run_setting_s>();
  wchar_t error[128] = L"";
  const std::wstring folder = SettingsFolder().wstring() + L"/";
  ASSERT_EQ(GfxLoadProjectCode(db_, L"rede2", L"Orvella", L"app", L"orvella", folder.c_str(),
                               settings.get(), error, 128),
            1)
      << error;
  EXPECT_EQ(settings->nAppIdx, 1);
  EXPECT_EQ(settings->nAppNo, 1);
  EXPECT_EQ(settings->dwAppFlags, 32u);
  EXPECT_STREQ(settings->szAppName, L"Orvella");
  EXPECT_STREQ(settings->szVersion, L"1.0");
  EXPECT_STREQ(settings->szInstanceName, L"orvella");
  EXPECT_STREQ(settings->szFolderName, L"Orvella");
  EXPECT_STREQ(settings->szSiteName, L"Orvella");
  EXPECT_STREQ(settings->szB2b, L"stock");
  EXPECT_STREQ(settings->szWebApiBase, "https://www.orvella.example/");
  EXPECT_STREQ(settings->szCompanyKey, L"Orvella");
  EXPECT_STREQ(settings->szSettingsFolder, folder.c_str());
  EXPECT_EQ(settings->nBrandFlag, 0);
  EXPECT_EQ(settings->byUseSplash, 1);
  EXPECT_EQ(settings->crSplashTransparent, 0x000101FFu);
  EXPECT_EQ(settings->rcSplashText.left, 20);
  EXPECT_EQ(settings->rcSplashText.bottom, 290);
  EXPECT_EQ(settings->byLanguage, 2);
  EXPECT_EQ(settings->byShowConfigTab, 1);
  // NULL columns keep the defaults.
  EXPECT_EQ(settings->byHibernateOff, 1);
  EXPECT_EQ(settings->dwSaverIdleMs, 300000u);

  GfxClearAppRunSettings(settings.get());
  EXPECT_EQ(settings->nAppIdx, 0);
  EXPECT_STREQ(settings->szAppName, L"");
}

TEST_F(RunSettingsTest, RowValuesOverrideAndUserLanguageWins) {
  Exec(db_,
       "UPDATE APP_LIST SET min_menu_on_start=1, hibernate_mode_off=0, brand_name='Brand', "
       "transparent_color='not a colour', language_type=1 WHERE app_idx=1;");
  auto settings = std::make_unique<app_run_setting_s>();
  settings->byLanguage = 4;
  ASSERT_EQ(GfxLoadProjectCode(db_, L"rede2", L"Orvella", L"app", L"other", L"", settings.get(),
                               nullptr, 0),
            1);
  EXPECT_EQ(settings->byMinMenuOnStart, 1);
  EXPECT_EQ(settings->byHibernateOff, 0);
  EXPECT_STREQ(settings->szBrandTitle, L"Brand");
  EXPECT_EQ(settings->nBrandFlag, 1);
  EXPECT_EQ(settings->crSplashTransparent, 0x000101FFu);
  EXPECT_EQ(settings->byLanguage, 4);
}

TEST_F(RunSettingsTest, NoApplicationRow) {
  auto settings = std::make_unique<app_run_setting_s>();
  wchar_t error[128] = L"";
  EXPECT_EQ(GfxLoadProjectCode(db_, L"other", L"Orvella", L"app", L"orvella", L"", settings.get(),
                               error, 128),
            0);
  EXPECT_EQ(settings->nAppIdx, 0);
  EXPECT_STREQ(error, L"No application row for other-app");
  EXPECT_EQ(GfxLoadProjectCode(nullptr, L"rede2", L"Orvella", L"app", L"orvella", L"",
                               settings.get(), error, 128),
            -1);
}

class TextsTest : public RunSettingsTest {
 protected:
  void SetUp() override {
    RunSettingsTest::SetUp();
    Exec(db_,
         "INSERT INTO WORD_CODE (word_idx, com_idx, code, title_kor, title_eng, title_jpn, "
         "is_valid) VALUES "
         "(1, 0, 'user.login', '사용자 로그인', 'Sign in', '', 1),"
         "(2, 5, 'user.login', '회사 로그인', 'Company sign in', '', 1),"
         "(3, 0, 'hidden', '숨김', 'Hidden', '', 0);");
  }
};

TEST_F(TextsTest, TextByLanguageWithFallbacks) {
  struct Case {
    int company;
    const wchar_t* key;
    const wchar_t* english;
    const wchar_t* korean;
    int language;
    const wchar_t* expected;  // null: no text
  };
  const Case cases[] = {
      {0, L"user.login", L"User Login", L"로그인", 2, L"사용자 로그인"},
      {0, L"user.login", L"User Login", L"로그인", 1, L"Sign in"},
      {0, L"user.login", L"User Login", L"로그인", 7, L"Sign in"},  // other ids are English
      {5, L"user.login", L"User Login", L"로그인", 1, L"Company sign in"},
      {0, L"user.login", L"User Login", L"로그인", 4, L"User Login"},  // empty column
      {0, L"no.such", L"User Login", L"로그인", 2, L"로그인"},
      {0, L"no.such", L"User Login", nullptr, 2, L"User Login"},
      {0, L"no.such", L"User Login", L"로그인", 3, L"User Login"},
      {0, L"hidden", L"Default", L"기본", 1, L"Default"},  // invalid row
      {0, L"no.such", nullptr, nullptr, 1, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.company << " " << c.language);
    wchar_t* text = GfxZiroGetTextByLangId(db_, c.key, c.english, c.korean, c.language, c.company);
    if (c.expected == nullptr) {
      EXPECT_EQ(text, nullptr);
    } else {
      ASSERT_NE(text, nullptr);
      EXPECT_STREQ(text, c.expected);
    }
    std::free(text);
  }
  EXPECT_EQ(GfxZiroGetTextByLangId(nullptr, L"user.login", L"User Login", L"로그인", 2, 0),
            nullptr);
}

TEST_F(TextsTest, UiTextUsesTheCurrentLanguageAndFitsTheBuffer) {
  wchar_t buffer[8] = L"keep";
  EXPECT_EQ(GetUiText(db_, 0, L"user.login", L"User Login", L"로그인", 0, 2, buffer, 8), 1);
  EXPECT_STREQ(buffer, L"사용자 로그인");
  EXPECT_EQ(GetUiText(db_, 0, L"user.login", L"User Login", L"로그인", 1, 2, buffer, 8), 1);
  EXPECT_STREQ(buffer, L"Sign in");
  EXPECT_EQ(GetUiText(db_, 0, L"no.such", L"A long default text", nullptr, 1, 2, buffer, 8), 1);
  EXPECT_STREQ(buffer, L"A long ");
  wcscpy(buffer, L"keep");
  EXPECT_EQ(GetUiText(nullptr, 0, L"user.login", L"User Login", L"로그인", 1, 2, buffer, 8), 0);
  EXPECT_STREQ(buffer, L"keep");
}

TEST(LangStringTableTest, CurrentLibraryThenProgramStrings) {
  LangStringTable table;
  table.SetProgramStrings({{100, L"Save"}, {101, L"Open"}});
  table.SetLanguageStrings(kLangKorean, {{100, L"저장"}});
  wchar_t buffer[16];
  table.SelectLanguage(kLangKorean);
  EXPECT_EQ(table.LoadLangString(100, buffer, 16), 2);
  EXPECT_STREQ(buffer, L"저장");
  EXPECT_EQ(table.LoadLangString(101, buffer, 16), 4);
  EXPECT_STREQ(buffer, L"Open");
  EXPECT_EQ(table.LoadLangString(102, buffer, 16), 0);
  EXPECT_STREQ(buffer, L"");
  EXPECT_EQ(table.LoadLangString(101, buffer, 3), 2);
  EXPECT_STREQ(buffer, L"Op");
  EXPECT_EQ(table.LoadLangString(101, nullptr, 16), 0);
  EXPECT_EQ(table.LoadLangString(101, buffer, 0), 0);
  table.SelectLanguage(kLangThai);  // no library: the program's own strings
  EXPECT_EQ(table.LoadLangString(100, buffer, 16), 4);
  EXPECT_STREQ(buffer, L"Save");
}

TEST(ChildTitleLineTest, ReplacesOneLine) {
  struct Case {
    const wchar_t* list;
    int line;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"A\nB\nC", 2, L"A\nX\nC"},
      {L"A\nB\nC\n", 2, L"A\nX\nC\n"},
      {L"A\nB\nC", 3, L"A\nB\nX\n"},
      {L"A\nB", 5, L"A\nB\nX\n"},
      {L"A\nB\nC", 1, L"X\nB\nC"},
      {L"A\n\nB", 0, L"X\nB"},
      {L"A", 1, L"X"},
      {L"", 1, L"X"},
      {L"A\nB\n\nC", 2, L"A\nX\nC"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.line);
    EXPECT_EQ(ReplaceChildTitleLine(c.list, c.line, L"X"), c.expected);
  }
}

TEST_F(RunSettingsTest, ChildTitlesAreReadAndReplacedWithQuotes) {
  Exec(db_,
       "UPDATE APP_MENU_INFO SET child_titles='목록\n설정', child_titles_eng='List\nSettings' "
       "WHERE menu_code='pelomar';");
  ZiroResultPkt_s packet;
  ZIRO_RESULT_PKT_NULL(&packet);
  packet.pszKey = HeapCopy(L"pelomar");
  EXPECT_EQ(GfxZiroGetChildTitleByLang(db_, kLangEnglish, &packet), 2);
  EXPECT_STREQ(packet.pszResult, L"List\nSettings");
  EXPECT_EQ(GfxZiroGetChildTitleByLang(db_, kLangKorean, &packet), 2);  // no Korean column text
  EXPECT_STREQ(packet.pszResult, L"목록\n설정");
  EXPECT_STREQ(packet.pszKey, L"pelomar");

  EXPECT_EQ(UpdateMenuChildTitle(db_, L"pelomar", 2, L"It's 'quoted'", kLangKorean), 1);
  EXPECT_EQ(QueryText(db_, "select child_cols from APP_MENU_INFO where menu_code='pelomar'"),
            "목록\nIt's 'quoted'\n");
  // The edited list is what the next edit starts from.
  EXPECT_EQ(UpdateMenuChildTitle(db_, L"pelomar", 1, L"x'); DROP TABLE APP_LIST; --", kLangKorean),
            1);
  EXPECT_TRUE(HasObject(db_, "APP_LIST"));
  EXPECT_EQ(QueryText(db_, "select child_cols from APP_MENU_INFO where menu_code='pelomar'"),
            "x'); DROP TABLE APP_LIST; --\nIt's 'quoted'\n");

  // Refused: empty code, missing text, a list over its limit; the entry stays as it was.
  EXPECT_EQ(UpdateMenuChildTitle(db_, L"", 1, L"X", 2), 0);
  EXPECT_EQ(UpdateMenuChildTitle(db_, L"pelomar", 1, nullptr, 2), 0);
  EXPECT_EQ(UpdateMenuChildTitle(db_, L"pelomar", 1, std::wstring(3001, L'x').c_str(), 2), 0);
  EXPECT_EQ(QueryText(db_, "select child_cols from APP_MENU_INFO where menu_code='pelomar'"),
            "x'); DROP TABLE APP_LIST; --\nIt's 'quoted'\n");

  std::free(packet.pszKey);
  packet.pszKey = HeapCopy(L"no.such.menu");
  EXPECT_EQ(GfxZiroGetChildTitleByLang(db_, kLangEnglish, &packet), -1);
  EXPECT_EQ(packet.pszResult, nullptr);
  ZIRO_RESULT_PKT_FREE(&packet);
  EXPECT_EQ(packet.pszKey, nullptr);
}

}  // namespace

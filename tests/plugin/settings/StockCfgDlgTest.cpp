// The settings dialog as the trading view makes and shows it: every grid row against the row
// table (and the exact texts of the rows whose lists are written out), a save through the
// catalogue read back from the file, keys that never appear in the file, and saves that fail
// and keep the dialog and the unsaved-changes mark.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/notebook.h>
#include <wx/propgrid/propgrid.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/support/StockOptionStore.h"
#include "platform/support/TextConv.h"
#include "platform/ui/DbViewBase.h"
#include "platform/ui/model/OptionList.h"
#include "platform/win/MessageBox.h"
#include "plugin/settings/StockCfgDlg.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "shared/Messages.h"
#include "shared/SearchCondition.h"
#include "shared/SharedWnds.h"
#include "shared/StockOption.h"
#include "tests/plugin/view/ViewStage.h"
#include "tests/probe/ProbeHarness.h"

namespace fs = std::filesystem;

namespace {

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class StockCfgDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stage_.Prepare();
    catalogue_ = stage_.dir.Path() + "/Settings/app-settings.db";
    stage_.login.byUserLevel = 10;
    std::wcscpy(stage_.login.szNickName, L"별명");
    ChildMakers().settingsDialog = MakeStockCfgDlg;
  }
  void TearDown() override {
    orv::win::StopScriptingMessageBoxes();
    if (view_) view_->Destroy();
    ChildMakers() = PelomarChildMakers{};
  }

  // The view as the module creates it, and its settings dialog opened by its own command.
  CStockCfgDlg* OpenSettings() {
    view_ = stage_.CreateView();
    if (!view_) return nullptr;
    if (before_) before_(view_->Engine().Options());
    view_->ShowStockCfgDlg(true, false);
    for (wxWindow* top : wxTopLevelWindows)
      if (auto* dialog = dynamic_cast<wxDialog*>(top))
        if (dialog->IsShown() && dialog->GetTitle() == wxString(L"환경설정"))
          return static_cast<CStockCfgDlg*>(dialog->GetClientData());
    return nullptr;
  }

  size_t IndexOf(CStockCfgDlg* dialog, const std::wstring& label) {
    const auto& rows = dialog->Rows();
    for (size_t k = 0; k < rows.size(); ++k)
      if (rows[k].label == label) return k;
    ADD_FAILURE() << "no row " << WideToUtf8(label);
    return 0;
  }
  wxPGProperty* Property(CStockCfgDlg* dialog, const std::wstring& label) {
    return dialog->Grid()->GetPropertyByName(wxString::Format("row%zu", IndexOf(dialog, label)));
  }
  // The user edits a row: the grid validates, stores and notifies as for a typed value.
  bool Edit(CStockCfgDlg* dialog, const std::wstring& label, const wxVariant& value) {
    return dialog->Grid()->ChangePropertyValue(Property(dialog, label), value);
  }

  orv::test::ViewStage stage_;
  std::string catalogue_;
  CPelomarView* view_ = nullptr;
  std::function<void(stock_option_s&)> before_;
};

}  // namespace

TEST_F(StockCfgDlgTest, TheGridShowsEveryRowOfTheTable) {
  CStockCfgDlg* dialog = OpenSettings();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(dialog->Window()->IsShown());
  auto* tabs = dynamic_cast<wxNotebook*>(dialog->Window()->FindWindow(3318));
  ASSERT_NE(tabs, nullptr);
  EXPECT_EQ(tabs->GetPageText(0), wxString(L"환경설정 및  자동매수 조건식 설정"));
  auto* save = dynamic_cast<wxButton*>(dialog->Window()->FindWindow(386));
  ASSERT_NE(save, nullptr);
  EXPECT_EQ(save->GetLabel(), wxString(L"설정 저장"));

  const auto& rows = dialog->Rows();
  ASSERT_GT(rows.size(), 150u);
  for (size_t k = 0; k < rows.size(); ++k) {
    const SettingsRow& row = rows[k];
    wxPGProperty* property = dialog->Grid()->GetPropertyByName(wxString::Format("row%zu", k));
    ASSERT_NE(property, nullptr) << k;
    const std::string what = WideToUtf8(row.label);
    EXPECT_EQ(property->GetLabel().ToStdWstring(), row.label) << what;
    EXPECT_EQ(property->HasFlag(wxPG_PROP_HIDDEN) != 0, row.hidden) << what;
    if (row.kind != RowKind::kCategory && row.kind != RowKind::kSubCategory)
      EXPECT_EQ(property->HasFlag(wxPG_PROP_READONLY) != 0, row.readOnly) << what;
    if (row.parent >= 0)
      EXPECT_EQ(property->GetParent()->GetName(), wxString::Format("row%d", row.parent)) << what;
    if (row.options.empty()) continue;
    orv::ui::COptionList list;
    ASSERT_TRUE(list.Parse(row.options)) << what;
    const wxPGChoices& choices = property->GetChoices();
    ASSERT_EQ(choices.GetCount(), list.Size()) << what;
    for (size_t i = 0; i < list.Size(); ++i) {
      EXPECT_EQ(choices.GetLabel(i).ToStdWstring(), list.At(i).label) << what;
      EXPECT_EQ(choices.GetValue(i), list.At(i).value) << what;
    }
  }

  // Rows whose lists the table writes out, against the texts the dialog must show.
  struct Expected {
    const wchar_t* label;
    const wchar_t* options;
  };
  const Expected expected[] = {
      {L"[1] 증권사", L"0:■없음;1:키움증권;11:DB증권;2:LS증권;14:한국투자증권;"},
      {L"1. 차트 데이터 조회 증권사", L"0:로그인 증권사;1:키움증권;11:DB증권;2:LS증권;14:한국투자증권;"},
      {L"[2] 거래소", L"0:■설정 안함;9:업비트(Upbit);8:빗썸(Bithumb);"},
      {L"2. 생성형 AI 엔진", L"0:없음;1:CHAT-GPT;2:Perplexity;3:Gemini;4:Claude;5:DeepSeek;"},
      {L"A4. 보유종목 및 설정 WEB-싱크 설정 (핸드폰으로 제어 가능)",
       L"0:자동 싱크맞추지 않음;30:30초 간격으로 싱크 맞춤;60:1분 간격으로 싱크 맞춤;"},
      {L"A9. 스탑로스 간격 상단 구간 배로 확장(코인: 2배 이상 권장)",
       L"10:하단 구간 간격과 동일;15:1.5배 확장;20:2배 확장;25:2.5배 확장;30:3배 확장(권장);"},
      {L"A13-2. 주문 금지 금액(5,000원 권장. 설정금액 이하 주문 불가)",
       L"5000:5,000원;10000:10,000원;20000:20,000원;"},
      {L"A23. 손절 기준 낮추는 간격(-3% 권장)", L"-2:-2% 씩 낮춤;-3:-3% 씩 낮춤;-5:-5% 씩 낮춤;"},
      {L"B5. 수익/손실 상태 문자 알림 - 권장/유익",
       L"0:SMS 보내지 않음;1500:오후 3시에 알림;1600:오후 4시에 알림(지연 시작시);"},
      {L"D6-4. 자동매수 금지 설정(최대)",
       L"0:허용안함;-1: -1% 미만;-2: -2% 미만;-3: -3% 미만;-4: -4% 미만;-5:5% 미만;-7: -7% "
       L"미만;-9: -9% 미만;-10:-10% 미만;"},
      {L"E1. 자동 매수 형태(필수)", L"2:종목 한정 자동매수;4:차트 분석 자동매수(권장);"},
      {L"F1-3. 차트 분봉(2번째) 데이터 간격 설정 (자동매수 및 차트 분석에서 사용)",
       L"0:분봉 분석 안함;1:1 분봉 데이터;3:3 분봉 데이터;5:5 분봉 데이터;10:10 분봉 "
       L"데이터;15:15 분봉 데이터;30:30 분봉 데이터;60:60 분봉 데이터;240:240 분봉 데이터;"},
      {L"F1-6. Stochastic 분석/검출 모듈 사용",
       L"0:Stochastic 사용안함;1048576:Stochastic SLOW 사용;8388608:Stochastic FAST 사용;"},
      {L"J1. 조건식 재시작 설정(8:30분 권장)",
       L"0:*자동 재시작 안함*;810:08시10분에 재시작;830:08시30분에 재시작(권장);"},
      {L"A15. 최저 익절후, 멈춤 구간(주의: 급락시 매도 멈춤)",
       L"0:설정 안함;-2:-2% 이하, 매도 멈춤;-3:-3% 이하, 매도 멈춤;-4:-4% 이하, 매도 멈춤;-5:-5% "
       L"이하, 매도 멈춤;-6:-6% 이하, 매도 멈춤;-7:-7% 이하, 매도 멈춤;-8:-8% 이하, 매도 "
       L"멈춤;-9:-9% 이하, 매도 멈춤;"},
  };
  for (const Expected& e : expected) {
    wxPGProperty* property = Property(dialog, e.label);
    ASSERT_NE(property, nullptr) << WideToUtf8(e.label);
    std::wstring shown;
    const wxPGChoices& choices = property->GetChoices();
    for (size_t i = 0; i < choices.GetCount(); ++i)
      shown += std::to_wstring(choices.GetValue(i)) + L":" +
               choices.GetLabel(i).ToStdWstring() + L";";
    EXPECT_EQ(shown, e.options) << WideToUtf8(e.label);
  }
  // The fee rows name the market word the view set.
  EXPECT_NE(Property(dialog, L"국내 주식 매수(BUY) 수수료(%)"), nullptr);
  EXPECT_EQ(Property(dialog, L"닉네임")->GetValueAsString(), wxString(L"별명"));
}

TEST_F(StockCfgDlgTest, ASaveReachesTheEngineAndTheCatalogueWithKeysSealed) {
  before_ = [](stock_option_s& o) {
    o.overseas_on = 1;
    std::wcscpy(o.chosen_buy_conditions, L"돌파;");
  };
  CStockCfgDlg* dialog = OpenSettings();
  ASSERT_NE(dialog, nullptr);
  stock_option_s& engine = view_->Engine().Options();

  ASSERT_TRUE(Edit(dialog, L"A6. 보유 종목 조회 간격 (비트코인은 필수)", 60000L));
  ASSERT_TRUE(Edit(dialog, L"1. 유럽주식 거래 모드로 자동 전환 (17시 이후 권장)", 1730L));
  ASSERT_TRUE(Edit(dialog, L"A9. 스탑로스 간격 상단 구간 배로 확장(코인: 2배 이상 권장)", 20L));
  ASSERT_TRUE(Edit(dialog, L"F1-9. MACD 분석/검출 모듈 사용", 1L));
  ASSERT_TRUE(Edit(dialog, L"[1] ACCESS-KEY", wxString("  AKplainkey123  ")));
  ASSERT_TRUE(Edit(dialog, L"[1] SECRET-KEY", wxString("SKplainsecret456")));
  ASSERT_TRUE(Edit(dialog, L"3. 생성형 AI 분석용 SECRET-KEY", wxString("AIplainkey789")));
  ASSERT_TRUE(Edit(dialog, L"4. 생성형 AI 분석 주소(URL)",
                   wxString("https://ai.example.test/v1/chat/completions")));
  ASSERT_TRUE(Edit(dialog, L"A19-1. 핵심/대장(Main) 종목 코드", wxString("005930")));
  // A value outside the list is refused and the record keeps the earlier one.
  orv::win::ScriptMessageBoxes({});
  EXPECT_FALSE(Edit(dialog, L"A6. 보유 종목 조회 간격 (비트코인은 필수)", 45000L));
  EXPECT_EQ(engine.holdings_query_ms, 60000);
  EXPECT_EQ(engine.changed, 1);  // keys were edited
  EXPECT_STREQ(engine.domestic.app_key[0], L"AKplainkey123");

  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  ASSERT_TRUE(dialog->OnSaveSettings());
  EXPECT_FALSE(dialog->Window()->IsShown());
  EXPECT_EQ(engine.changed, 0);
  EXPECT_DOUBLE_EQ(engine.wide_step_factor, 2.0);  // the engine's stop-loss ladder uses it now
  EXPECT_EQ(engine.module_flags & kModuleMacd, kModuleMacd);
  const auto calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls.back().caption, "INFORMATION");
  EXPECT_NE(calls.back().text.find("자동 매수:돌파;"), std::string::npos) << calls.back().text;
  EXPECT_EQ(calls.back().text.find("Len : 0\n"), std::string::npos);

  // Read back from the file through a connection of its own.
  sqlite3* db = GfxOpenOptionsDb(catalogue_.c_str());
  ASSERT_NE(db, nullptr);
  stock_option_s loaded;
  EXPECT_EQ(GfxLoadStockOption(db, 1, 1, &loaded), 1);
  sqlite3_close(db);
  EXPECT_EQ(loaded.holdings_query_ms, 60000);
  EXPECT_EQ(loaded.europe_switch_time, 1730);
  EXPECT_DOUBLE_EQ(loaded.wide_step_factor, 2.0);
  EXPECT_EQ(loaded.module_flags & kModuleMacd, kModuleMacd);
  EXPECT_STREQ(loaded.domestic.app_key[0], L"AKplainkey123");
  EXPECT_STREQ(loaded.domestic.app_secret[0], L"SKplainsecret456");
  EXPECT_STREQ(loaded.ai_key, L"AIplainkey789");
  EXPECT_STREQ(loaded.ai_url, L"https://ai.example.test/v1/chat/completions");
  EXPECT_STREQ(loaded.main_code, L"005930");
  EXPECT_STREQ(loaded.chosen_buy_conditions, L"돌파;");

  // No key or secret is readable in the database file or its log.
  const std::string bytes = FileBytes(catalogue_) + FileBytes(catalogue_ + "-wal");
  for (const char* secret : {"AKplainkey123", "SKplainsecret456", "AIplainkey789"})
    EXPECT_EQ(bytes.find(secret), std::string::npos) << secret;

  // Shown again, the grid reads the saved values.
  view_->ShowStockCfgDlg(true, false);
  EXPECT_TRUE(dialog->Window()->IsShown());
  EXPECT_EQ(Property(dialog, L"A9. 스탑로스 간격 상단 구간 배로 확장(코인: 2배 이상 권장)")
                ->GetValue()
                .GetLong(),
            20);
}

TEST_F(StockCfgDlgTest, AFailedSaveKeepsTheDialogAndTheMark) {
  CStockCfgDlg* dialog = OpenSettings();
  ASSERT_NE(dialog, nullptr);
  stock_option_s& engine = view_->Engine().Options();
  ASSERT_TRUE(Edit(dialog, L"[2] 로그인 계정", wxString("second")));
  ASSERT_EQ(engine.changed, 1);

  struct Case {
    const char* what;
    bool readOnlyDb;  // else no database at all
    const char* message;
  };
  for (const Case& c : {Case{"read-only catalogue", true, "DB 저장 에러 : 8(8=읽기 전용)"},
                        Case{"no catalogue", false, "Cannot Save to DB"}}) {
    sqlite3* db = nullptr;
    if (c.readOnlyDb)
      ASSERT_EQ(sqlite3_open_v2(catalogue_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr),
                SQLITE_OK);
    dialog->SetOptions(&engine, db);
    orv::win::ScriptMessageBoxes({IDYES, IDOK});
    EXPECT_FALSE(dialog->OnSaveSettings()) << c.what;
    EXPECT_TRUE(dialog->Window()->IsShown()) << c.what;
    EXPECT_EQ(engine.changed, 1) << c.what;
    const auto calls = orv::win::ScriptedMessageBoxCalls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().caption, "ERROR") << c.what;
    EXPECT_NE(calls.back().text.find(c.message), std::string::npos) << calls.back().text;
    if (db) sqlite3_close(db);
  }

  // A wrong re-buy range stops before the question.
  dialog->SetOptions(&engine, view_->Engine().OptionsDb());
  engine.rebuy_start = -10;
  engine.rebuy_end = -5;
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  EXPECT_FALSE(dialog->OnSaveSettings());
  const auto calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_NE(calls[0].text.find("재매수 시작 : -10%"), std::string::npos);
  EXPECT_EQ(engine.changed, 1);
}

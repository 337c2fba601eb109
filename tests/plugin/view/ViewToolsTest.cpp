// The view's signal-module selection at start-up, the start of the price simulation and the
// log package (commands 1324 and 1325), through the view the plug-in makes in a shown frame:
// the package's zip and its password, the picture, the upload's form at the loopback web
// server and the messages the user sees.

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/image.h>

#include <cstdlib>
#include <ctime>
#include <cwchar>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "platform/support/TextConv.h"
#include "platform/ui/DbViewBase.h"
#include "platform/ui/ScreenCapture.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "plugin/view/PelomarView.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "shared/Messages.h"
#include "shared/SearchCondition.h"
#include "shared/SharedWnds.h"
#include "tests/peers/WebServerPeer.h"
#include "tests/probe/ProbeHarness.h"
#include "tests/probe/UnzipTool.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

using orv::test::ReadZip;

std::string DaysAgo(int days) {
  std::time_t when = std::time(nullptr) - static_cast<std::time_t>(days) * 86400;
  std::tm local{};
  localtime_r(&when, &local);
  char text[16];
  std::strftime(text, sizeof text, "%Y%m%d", &local);
  return text;
}

class ViewTools : public ::testing::Test {
 protected:
  void SetUp() override {
    orv::test::EnsureWxApp();
    setenv("XDG_CONFIG_HOME", (dir_.Path() + "/config").c_str(), 1);
    program_ = dir_.Path() + "/";
    fs::create_directories(program_ + "Settings");
    fs::create_directories(program_ + "PlugIn");
    fs::copy_file(fs::path(ORV_BINARY_DIR) / "seed" / "app-settings.db",
                  program_ + "Settings/app-settings.db");
    for (const char* name : {"alpha", "beta"})
      fs::copy_file(std::string(QLX_MODULE_DIR) + "QLX_" + name + ".so",
                    program_ + "PlugIn/QLX_" + name + ".so");
    ASSERT_TRUE(web_.Start());
    web_.On("POST", "/stock/user_eq_pr_up", [](const orv::test::RecordedRequest&) {
      orv::test::PeerReply reply;
      reply.body = "{\"idx\":\"4\",\"err\":\"0\",\"msg\":\"ok\"}";
      return reply;
    });
    std::swprintf(folders_.szExeFolder, std::size(folders_.szExeFolder), L"%ls",
                  Utf8ToWide(program_).c_str());
    std::swprintf(run_.szDataFolder, std::size(run_.szDataFolder), L"%lsdata",
                  Utf8ToWide(program_).c_str());
    std::wcscpy(run_.szCompanyKey, L"OrvToolsTest");
    std::wcscpy(run_.szHomePage, L"https://orvella.example");
    std::snprintf(run_.szWebApiBase, sizeof run_.szWebApiBase, "%s", web_.BaseUrl().c_str());
    login_.nUserIdx = 77;
    block_.pRunSetting = &run_;
    block_.pLoginInfo = &login_;
    block_.pSearchCond = &folders_;
  }
  void Start(const std::string& storedModule = "") {
    orv::win::AppRegistry().Open("OrvToolsTest", "Orvella.ini");
    orv::win::WriteProfileString("Settings", "STOCK_SignalModule", storedModule);
    frame_ = new wxFrame(nullptr, wxID_ANY, "Orvella", wxPoint(0, 0), wxSize(900, 600));
    frame_->Show();
    GfxSetEmbededViewsCfgDataPtr(&block_);
    view_ = dynamic_cast<CPelomarView*>(GfxCreateEmbededView(
        nullptr, CPelomarView::GetThisClass(), RECT{0, 0, 900, 600}, frame_, 0xE901, WS_CHILD,
        &block_));
    ASSERT_NE(view_, nullptr);
    GfxSendMessageToWnd(view_, WM_INITIALUPDATE);
    frame_->Update();
    wxYield();
  }
  void TearDown() override {
    orv::win::StopScriptingMessageBoxes();
    if (frame_) frame_->Destroy();
    wxYield();
    orv::win::AppRegistry().Open("", "");
  }
  std::string LogFolder() { return program_ + "data/Log/"; }
  std::string Temp() { return program_ + "data/temp/"; }
  std::vector<orv::test::RecordedRequest> Uploads() {
    return web_.RequestsTo("/stock/user_eq_pr_up");
  }
  static std::string Field(const orv::test::RecordedRequest& r, const char* name) {
    const orv::test::FormPart* part = r.Part(name);
    return part ? part->content : std::string("<none>");
  }
  std::vector<std::string> Texts() {
    std::vector<std::string> texts;
    for (const auto& call : orv::win::ScriptedMessageBoxCalls()) texts.push_back(call.text);
    return texts;
  }

  orv::test::TempDir dir_;
  std::string program_;
  orv::test::WebServerPeer web_;
  SharedWnds_s block_;
  app_run_setting_s run_;
  login_info_s login_;
  search_condition_s folders_;
  wxFrame* frame_ = nullptr;
  CPelomarView* view_ = nullptr;
};

TEST_F(ViewTools, StartUpLoadsTheStoredModuleOrTheFirstOneFound) {
  Start("beta");
  EXPECT_EQ(view_->Engine().SignalModules().ModuleName(), L"beta");
  EXPECT_TRUE(view_->Engine().SignalModules().HasBuySignal());
  view_->SelectSignalModule(L"missing");
  EXPECT_EQ(view_->Engine().SignalModules().ModuleName(), L"alpha");
  EXPECT_EQ(orv::win::GetProfileString("Settings", "STOCK_SignalModule", ""), "alpha")
      << "the selection is kept for the next start";
  double params[kSignalParamCount]{};
  EXPECT_EQ(view_->CalcTradeSignal(8, 1, params, nullptr), 1200);
  view_->UnloadSignalModule();
  EXPECT_EQ(view_->CalcTradeSignal(8, 1, params, nullptr), -1);
}

TEST_F(ViewTools, SimulationWithoutHeldStocksShowsTheErrorAndOpensNoFile) {
  Start();
  bool asked = false;
  view_->Hooks().chooseFile = [&](const wchar_t*) {
    asked = true;
    return std::wstring();
  };
  orv::win::ScriptMessageBoxes({IDOK, IDOK});
  view_->OnCommand(4511);
  view_->OnCommand(687);
  EXPECT_FALSE(asked);
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "보유 종목이 없어서,\n가격 시뮬레이션을 시작할 수 없습니다",
                         "보유 종목이 없어서,\n가격 시뮬레이션을 시작할 수 없습니다"}));
  EXPECT_EQ(view_->Engine().SimulationMode(), 0);
}

TEST_F(ViewTools, SimulationStartsAfterTheQuestionAndTheSecondCommandStopsIt) {
  Start();
  CPelomarEngine& engine = view_->Engine();
  {
    orv::win::CSingleLock lock(&engine.ViewLock(), TRUE);
    Stock_s* stock = engine.Stocks().AddMasterStock(1, L"005930", L"삼성전자", 0, 0, 0, 0,
                                                    10000, 0, 0);
    engine.Stocks().InsertStockIntoList(&engine.Stocks().Held(0), stock);
  }
  const std::string rates = program_ + "rates.csv";
  std::ofstream(rates) << "1.5,a\n-1,b\n";
  view_->Hooks().chooseFile = [&](const wchar_t* filter) {
    EXPECT_STREQ(filter, L"CSV Files (*.csv)|*.csv");
    return Utf8ToWide(rates);
  };
  orv::win::ScriptMessageBoxes({IDNO, IDYES});
  view_->OnCommand(687);  // no: nothing starts
  EXPECT_EQ(engine.SimulationMode(), 0);
  view_->OnCommand(687);
  EXPECT_EQ(Texts(), (std::vector<std::string>{
                         "2개의 등락 변동률을 기반으로 시뮬레이션을 시작할까요?",
                         "2개의 등락 변동률을 기반으로 시뮬레이션을 시작할까요?"}));
  EXPECT_EQ(engine.SimulationMode(), 2);
  EXPECT_EQ(view_->CommandState(687).check, 1);
  view_->OnCommand(687);  // stops it
  for (int i = 0; i < 300 && engine.SimulationMode() != 0; ++i) wxMilliSleep(10);
  EXPECT_EQ(engine.SimulationMode(), 0);
  EXPECT_EQ(view_->CommandState(687).check, 0);
}

TEST_F(ViewTools, WithoutAnyLogTheScreenPackageReportsItAndCapturesNothing) {
  Start();
  // The start-up opened today's trading log: without its file there is nothing to send.
  fs::remove(view_->Engine().Logs().GetTradingLogPath());
  orv::win::ScriptMessageBoxes({IDOK});
  view_->OnCommand(1325);
  EXPECT_EQ(Texts(), std::vector<std::string>{"로그파일이 존재하지 않습니다."});
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls().at(0).caption, "ERROR");
  EXPECT_FALSE(fs::exists(Temp() + "capture_app_screen.bmp"));
  EXPECT_TRUE(Uploads().empty());
}

TEST_F(ViewTools, AnsweringNoSendsNothingAndShowsNoFurtherMessage) {
  Start();
  orv::win::ScriptMessageBoxes({IDNO});
  EXPECT_EQ(view_->CaptureAndShareLogs(10, -1, 0), 0);
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(Texts()[0].rfind("로그 1개를 개발자에게 전달할까요?.", 0), 0u) << Texts()[0];
  EXPECT_TRUE(Uploads().empty());
}

TEST_F(ViewTools, ScreenPackageZipsTheLogsWithItsPasswordAndUploadsThemWithThePicture) {
  Start();
  CDailyLogs& logs = view_->Engine().Logs();
  logs.WriteTradingLine(nullptr, nullptr, TradingLine_s{});  // nothing without a stock
  const std::string trading = ReadAll(logs.GetTradingLogPath());
  // Dated logs: three days ago (two names) and six days ago (too old to go).
  const std::string day3 = DaysAgo(3);
  std::ofstream(LogFolder() + "stock_trade_" + day3 + ".csv") << "trade lines";
  std::ofstream(LogFolder() + "stock_realtime_search_" + day3 + ".csv") << "search lines";
  std::ofstream(LogFolder() + "stock_trade_" + DaysAgo(6) + ".csv") << "old";

  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  EXPECT_EQ(view_->CaptureAndShareLogs(10, -1, 1), 0);

  const auto texts = Texts();
  ASSERT_EQ(texts.size(), 2u);
  const std::string zip = Temp() + "log.zip";
  const std::string png = Temp() + "capture_app_screen.png";
  EXPECT_EQ(texts[0],
            "로그 3개를 개발자에게 전달할까요?.\n-----------------\n업로드될 로그파일 : " + zip +
                "\n업로드될 화면파일 : " + png +
                "\n------------------\n화면 캡쳐 파일에는 개인정보는 포함되지 않도록,\n이미지를 "
                "확인해 보셔요~");
  EXPECT_EQ(texts[1], "작업을 성공적으로 수행했습니다");

  const auto uploads = Uploads();
  ASSERT_EQ(uploads.size(), 1u);
  const auto& form = uploads[0];
  EXPECT_EQ(Field(form, "tit"), "앱 로그 분석 요청 - 77");
  EXPECT_EQ(Field(form, "cts"), "앱 로그 분석 요청(77)<br>{IMG}");
  EXPECT_EQ(Field(form, "pr_type"), "10");
  EXPECT_EQ(Field(form, "nth"), "-1");
  EXPECT_EQ(Field(form, "f_cnt"), "3");
  const std::string password = Field(form, "file_pwd");
  // r in upper-case hex then in decimal.
  ASSERT_GE(password.size(), 2u);
  ASSERT_LE(password.size(), 9u);
  bool matches = false;
  for (unsigned r = 0; r < 32768 && !matches; ++r) {
    char text[16];
    std::snprintf(text, sizeof text, "%X%u", r, r);
    matches = password == text;
  }
  EXPECT_TRUE(matches) << password;
  ASSERT_NE(form.Part("datafile"), nullptr);
  EXPECT_EQ(form.Part("datafile")->content, ReadAll(zip));
  ASSERT_NE(form.Part("imgfile"), nullptr);
  EXPECT_EQ(form.Part("imgfile")->content, ReadAll(png));

  // The zip: the trading log's backup first, then the dated logs in name order.
  std::map<std::string, std::string> entries;
  ASSERT_TRUE(ReadZip(zip, password, &entries));
  const std::string backup = fs::path(logs.GetTradingLogPath()).filename().string() + ".bak";
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[backup], trading);
  EXPECT_EQ(entries["stock_realtime_search_" + day3 + ".csv"], "search lines");
  EXPECT_EQ(entries["stock_trade_" + day3 + ".csv"], "trade lines");
  std::map<std::string, std::string> wrong;
  EXPECT_FALSE(ReadZip(zip, password + "x", &wrong)) << "the password protects it";

  // The picture: the frame's size, saved as PNG.
  wxImage picture;
  ASSERT_TRUE(picture.LoadFile(wxString::FromUTF8(png), wxBITMAP_TYPE_PNG));
  EXPECT_EQ(picture.GetWidth(), frame_->GetScreenRect().width);
  EXPECT_EQ(picture.GetHeight(), frame_->GetScreenRect().height);
}

TEST_F(ViewTools, AFailedUploadIsReportedWithItsCode) {
  Start();
  web_.On("POST", "/stock/user_eq_pr_up", [](const orv::test::RecordedRequest&) {
    orv::test::PeerReply reply;
    reply.body = "{\"err\":\"7\",\"msg\":\"full\"}";
    return reply;
  });
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  EXPECT_EQ(view_->CaptureAndShareLogs(10, -1, 0), 7);
  EXPECT_EQ(Texts().back(), "에러(7)가 발생했습니다.");
  ASSERT_EQ(Uploads().size(), 1u);
  EXPECT_EQ(Uploads()[0].Part("imgfile"), nullptr) << "no picture without the screen";
}

TEST(CaptionLeft, ANarrowPictureTakesTheCaptionAtItsLeftEdge) {
  struct Case {
    int width, left;
  } cases[] = {{200, 0}, {310, 0}, {311, 1}, {1024, 714}};
  for (const Case& c : cases) EXPECT_EQ(CaptionLeft(c.width), c.left) << c.width;
}

}  // namespace

// The recommendation composer as the program makes it: the page "종목 추천하기" of the cafe
// dialog, filled by the trading view's recommendation of a stock, composing as the user picks
// kinds and rates, and sending to the loopback web server: the upload, then the SMS chunks on
// its timer, the profit check and the join request.

#include <gtest/gtest.h>
#include <wx/clipbrd.h>
#include <wx/frame.h>
#include <wx/notebook.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "plugin/community/WebLogin.h"
#include "plugin/community/window/CafeDlg.h"
#include "plugin/community/window/StockRecDlg.h"
#include "plugin/view/PelomarLoginEngine.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "shared/StockRecords.h"
#include "tests/peers/WebServerPeer.h"
#include "tests/plugin/view/ViewStage.h"

using orv::test::PumpUntil;
using orv::test::RecordedRequest;

namespace {

std::string Part(const RecordedRequest& r, const char* name) {
  const orv::test::FormPart* part = r.Part(name);
  return part ? part->content : "<absent>";
}

class StockRecDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    stage_.Prepare();
    ASSERT_TRUE(peer_.Start());
    std::snprintf(stage_.run.szWebApiBase, sizeof stage_.run.szWebApiBase, "%s",
                  peer_.BaseUrl().c_str());
    orv::test::WebServerUser user;
    user.userId = "member";
    user.userIdx = 77;
    user.token = "tk-77";
    peer_.AddUser(user);
    orv::test::WebServerCafe cafe;
    cafe.idx = 8;
    cafe.title = "테스트 카페";
    cafe.managerIdx = 77;
    for (int i = 0; i < 25; ++i) cafe.phones.push_back("010" + std::to_string(10000000 + i));
    peer_.ServeCafes({cafe});
    peer_.ServeRecommendations();
    // The composer's saved rates start at their defaults.
    for (const auto& [key, value] : {std::pair<const char*, int>{"STOCK_REC-m_bRecFree", 1},
                                     {"STOCK_REC-m_nLosscutRate", -10},
                                     {"STOCK_REC-m_nInvestRate", 10},
                                     {"STOCK_REC-m_nInvestDays", 30},
                                     {"STOCK_REC-m_nPlusRate", 5},
                                     {"STOCK_REC-m_nPlusRate2", 20},
                                     {"STOCK_REC-m_nSellRate", 100}})
      orv::win::WriteProfileInt("Settings", key, value);
    InstallCafeDialogMaker();
    view_ = stage_.CreateView();
    ASSERT_NE(view_, nullptr);
    dialog_ = dynamic_cast<CCafeDlg*>(view_->CafeDialog());
    ASSERT_NE(dialog_, nullptr);
    rec_ = dialog_->Composer();
    ASSERT_NE(rec_, nullptr) << "the cafe dialog has no composer";
    Stock_s* samsung =
        view_->Engine().Stocks().AddMasterStock(1, L"005930", L"삼성전자", 1, 0, 0, 0, 70000, 0, 0);
    samsung->market_letter = '1';
    samsung->change_rate = 1.5;
    Stock_s* apple =
        view_->Engine().Stocks().AddMasterStock(2, L"AAPL", L"애플", 2, 0, 0, 0, 200, 0, 0);
    apple->market_letter = 'N';
    view_->Engine().Stocks().AddMasterStock(1, L"000660", L"SK하이닉스", 1, 0, 0, 0, 0, 0, 0);
  }
  void TearDown() override {
    if (view_) view_->Destroy();
    orv::win::StopScriptingMessageBoxes();
    ChildMakers() = PelomarChildMakers{};
  }

  // The signed-in manager of cafe 8, as the downloads and the cafe selection hand it over.
  void SignInAsManager() {
    stage_.login.nUserIdx = 77;
    stage_.login.byWorkRole = 1;
    std::snprintf(stage_.login.szToken, sizeof stage_.login.szToken, "tk-77");
    std::wcscpy(stage_.login.szUserName, L"홍길동");
    view_->LoginEngine()->WebLogin().m_settings.smsTel = "0212345678";
    auto record = std::make_shared<CafeRecord_s>();
    record->cafeIndex = 8;
    record->title = L"테스트 카페";
    record->managerIndex = record->chiefManagerIndex = 77;
    auto snapshot = std::make_shared<CafeSnapshot_s>();
    snapshot->cafes = std::make_shared<const CafeMap>(CafeMap{{8, record}});
    snapshot->currentCafeIndex = 8;
    snapshot->recItemsCafe = 8;
    snapshot->recStocks.resize(3);
    snapshot->recStocks[0].market = 1, snapshot->recStocks[0].code = L"005930";
    snapshot->recStocks[1].market = 2, snapshot->recStocks[1].code = L"AAPL";
    snapshot->recStocks[2].market = 1, snapshot->recStocks[2].code = L"000660";
    // The downloads hand the cafe over; the picker's cafe becomes the current one.
    dialog_->CafeFiller().FillCafeGroups(snapshot);
    dialog_->SelectCafe(-1);
    ASSERT_EQ(rec_->Cafe(), 8);
  }

  std::wstring Text(int id) const { return rec_->GetDlgItemText(id); }

  orv::test::ViewStage stage_;
  orv::test::WebServerPeer peer_;
  CPelomarView* view_ = nullptr;
  CCafeDlg* dialog_ = nullptr;
  CStockRecDlg* rec_ = nullptr;
};

TEST_F(StockRecDlgTest, TheComposerIsTheCafeDialogsPageAndStartsFromItsSavedRates) {
  wxNotebook* tabs = dialog_->ComposerTabs();
  ASSERT_EQ(tabs->GetPageCount(), 1u);
  EXPECT_EQ(tabs->GetPage(0), rec_->GetPage());
  EXPECT_EQ(tabs->GetPageText(0), wxString(L"종목 추천하기"));
  EXPECT_EQ(Text(CStockRecDlg::IDC_COMMENT), L"신규 추천");
  EXPECT_FALSE(rec_->IsDlgItemEnabled(CStockRecDlg::IDC_RECOMMEND));
  EXPECT_EQ(Text(CStockRecDlg::IDC_MEMBER_LEVEL), L"--");
  EXPECT_EQ(Text(CStockRecDlg::IDC_LOSSCUT), L"-10%");
  EXPECT_EQ(Text(CStockRecDlg::IDC_DAYS), L"30일");
  EXPECT_EQ(Text(CStockRecDlg::IDC_BAND), L"±3%이하");
  EXPECT_TRUE(rec_->IsDlgButtonChecked(CStockRecDlg::IDC_FREE));

  // The rates the user picks are saved with the window and come back with the next one.
  ASSERT_TRUE(rec_->SelectComboByValue(CStockRecDlg::IDC_DAYS, 90));
  rec_->SendCommand(CStockRecDlg::IDC_DAYS);
  ASSERT_TRUE(rec_->SelectComboByValue(CStockRecDlg::IDC_LOSSCUT, -7));
  rec_->SendCommand(CStockRecDlg::IDC_LOSSCUT);
  view_->Destroy();
  view_ = nullptr;
  EXPECT_EQ(orv::win::GetProfileInt("Settings", "STOCK_REC-m_nInvestDays", 0), 90);
  EXPECT_EQ(orv::win::GetProfileInt("Settings", "STOCK_REC-m_nLosscutRate", 0), -7);
  view_ = stage_.CreateView();
  ASSERT_NE(view_, nullptr);
  rec_ = dynamic_cast<CCafeDlg*>(view_->CafeDialog())->Composer();
  EXPECT_EQ(Text(CStockRecDlg::IDC_DAYS), L"91일(3개월)");
  EXPECT_EQ(Text(CStockRecDlg::IDC_LOSSCUT), L"-7%");
}

TEST_F(StockRecDlgTest, ARecommendationOfTheViewShowsTheStockAndComposes) {
  // The grid menu's sell recommendation, as the trading view passes it on.
  view_->ShowCafeRecommendDlg(true, 1, L"005930", 2, -1);
  EXPECT_EQ(rec_->Kind(), kRecKindSell);
  EXPECT_TRUE(rec_->IsDlgButtonChecked(CStockRecDlg::IDC_KIND_BUY + 1));
  EXPECT_EQ(Text(CStockRecDlg::IDC_RECOMMEND), L"매도 (&Sell)");
  EXPECT_EQ(Text(CStockRecDlg::IDC_CODE), L"005930");
  EXPECT_EQ(Text(CStockRecDlg::IDC_NAME), L"삼성전자");
  EXPECT_EQ(Text(CStockRecDlg::IDC_PRICE), L"70,000");
  EXPECT_EQ(Text(CStockRecDlg::IDC_CHANGE), L"1.5%");
  EXPECT_EQ(Text(CStockRecDlg::IDC_UNIT), L"원");
  EXPECT_EQ(Text(CStockRecDlg::IDC_TARGET1), L"77,000");
  EXPECT_EQ(Text(CStockRecDlg::IDC_STOP), L"63,000");
  // Without a recommended price the sell swaps the stock at 0 %.
  EXPECT_EQ(Text(CStockRecDlg::IDC_COMMENT), L"종목 교체를 위한 매도");
  EXPECT_NE(Text(CStockRecDlg::IDC_PREVIEW).find(L"매도: 70,000(보합: 0.0%)"), std::wstring::npos)
      << Text(CStockRecDlg::IDC_PREVIEW);

  // The user picks a buy: the automatic comment goes, the long message is on the clipboard.
  ASSERT_TRUE(rec_->CheckDlgButton(CStockRecDlg::IDC_KIND_BUY, true));
  rec_->SendCommand(CStockRecDlg::IDC_KIND_BUY);
  EXPECT_EQ(rec_->Kind(), kRecKindBuy);
  EXPECT_EQ(Text(CStockRecDlg::IDC_COMMENT), L"신규 추천");
  EXPECT_EQ(rec_->Composed().title.find(L"삼성전자(005930)/현재가 : 70,000원/매수구간 : ±3 %"), 0u);
  if (wxTheClipboard->Open()) {
    wxTextDataObject data;
    EXPECT_TRUE(wxTheClipboard->GetData(data));
    EXPECT_EQ(data.GetText().ToStdWstring(), rec_->Composed().longText);
    wxTheClipboard->Close();
  }

  // A wider band recomputes the band and the prices from the price.
  ASSERT_TRUE(rec_->SelectComboByValue(CStockRecDlg::IDC_BAND, 5));
  rec_->SendCommand(CStockRecDlg::IDC_BAND);
  EXPECT_EQ(Text(CStockRecDlg::IDC_BAND_TEXT), L"±5 %");
  EXPECT_EQ(Text(CStockRecDlg::IDC_TARGET1), L"73,500");
  EXPECT_EQ(Text(CStockRecDlg::IDC_STOP), L"63,000");

  // The overseas stock, looked up by the user in the second country: dollars, two decimals.
  ASSERT_TRUE(rec_->SelectComboByValue(CStockRecDlg::IDC_COUNTRY, 2));
  rec_->SendCommand(CStockRecDlg::IDC_COUNTRY);
  view_->LoginEngine()->WebLogin().m_settings.foreignStockUrlN = "https://portal.example/%s";
  rec_->SetDlgItemText(CStockRecDlg::IDC_CODE, L" AAPL ");
  rec_->SendCommand(CStockRecDlg::IDC_SEARCH);
  EXPECT_EQ(Text(CStockRecDlg::IDC_PRICE), L"200.00");
  EXPECT_EQ(Text(CStockRecDlg::IDC_UNIT), L"$");
  EXPECT_EQ(Text(CStockRecDlg::IDC_BAND_TEXT), L"190.00~210.00");
  EXPECT_NE(rec_->Composed().shortText.find(L"해외주식매수"), std::wstring::npos);
  EXPECT_EQ(view_->CurStockCode(), L"AAPL");
  EXPECT_NE(dialog_->PortalUrl().find(L"AAPL"), std::wstring::npos) << dialog_->PortalUrl();

  // A look-up that finds nothing says so and leaves no stock.
  orv::win::ScriptMessageBoxes({IDOK, IDOK});
  rec_->SetDlgItemText(CStockRecDlg::IDC_CODE, L"없는종목");
  rec_->SendCommand(CStockRecDlg::IDC_SEARCH);
  rec_->SetDlgItemText(CStockRecDlg::IDC_CODE, L"");
  rec_->SendCommand(CStockRecDlg::IDC_SEARCH);
  const auto calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].text,
            "[없는종목] 종목명, 혹은 코드에 해당하는 종목이 없습니다.\n다시 입력해 주세요");
  EXPECT_EQ(calls[1].text, "종목명 혹은 코드를 입력해 주세요");
  EXPECT_FALSE(rec_->Stock().found);
}

TEST_F(StockRecDlgTest, AManagersRecommendationIsUploadedAndItsSmsGoesOutInChunks) {
  SignInAsManager();
  EXPECT_TRUE(rec_->IsDlgItemEnabled(CStockRecDlg::IDC_RECOMMEND));
  EXPECT_EQ(Text(CStockRecDlg::IDC_MEMBER_LEVEL), L"★대표 관리자");
  view_->ShowCafeRecommendDlg(true, 1, L"005930", 1, -1);
  rec_->SetDlgItemText(CStockRecDlg::IDC_COMMENT, L"실적 개선");
  ASSERT_TRUE(rec_->CheckDlgButton(CStockRecDlg::IDC_SMS, true));
  rec_->SendCommand(CStockRecDlg::IDC_SMS);

  // The user says No first: nothing is sent.
  orv::win::ScriptMessageBoxes({IDNO});
  rec_->SendCommand(CStockRecDlg::IDC_RECOMMEND);
  EXPECT_TRUE(peer_.RequestsTo("/stock/cafe_rec_items_up").empty());
  auto calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].caption, "QUESTION");
  EXPECT_EQ(calls[0].text.find(
                "홍길동님, ★주식★ 매수 문자/푸시메시지를 보낼까요?\n--------\n●주식매수: "),
            0u)
      << calls[0].text;

  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  rec_->SendCommand(CStockRecDlg::IDC_RECOMMEND);
  const auto uploads = peer_.RequestsTo("/stock/cafe_rec_items_up");
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_EQ(Part(uploads[0], "cafe"), "8");
  EXPECT_EQ(Part(uploads[0], "buy_or_sell"), "1");
  EXPECT_EQ(Part(uploads[0], "pc_sms_send"), "1");
  EXPECT_EQ(Part(uploads[0], "buy_msg"), "실적 개선");
  EXPECT_EQ(Part(uploads[0], "stock_code"), "005930");
  EXPECT_EQ(Part(uploads[0], "author_idx"), "77");
  calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].caption, "INFORMATION");
  EXPECT_EQ(calls[1].text.find("종목 매수 추천을 했으며, 잠시 기다려 주세요."), 0u)
      << calls[1].text;
  EXPECT_EQ(rec_->RecIndex(), 1);

  // Timer 20 posts the 25 numbers as 10, 10 and 5, then stops.
  ASSERT_TRUE(PumpUntil([this] { return !rec_->SmsSending(); }, 10000));
  const auto chunks = peer_.RequestsTo("/stock/cafe_rec_sms_send");
  ASSERT_EQ(chunks.size(), 3u);
  std::vector<std::string> counts;
  for (const RecordedRequest& r : chunks) counts.push_back(Part(r, "recv_tels_cnt"));
  EXPECT_EQ(counts, (std::vector<std::string>{"10", "10", "5"}));
  EXPECT_EQ(Part(chunks[0], "rec"), "1");
  EXPECT_EQ(Part(chunks[0], "msg"), wxString(rec_->Composed().shortText).utf8_string());
  EXPECT_EQ(rec_->SmsConfirmed(), 25);
  EXPECT_EQ(Text(CStockRecDlg::IDC_PROGRESS_TEXT), L"25건");
}

TEST_F(StockRecDlgTest, UnconfirmedSmsChunksAreNotCountedAsSent) {
  SignInAsManager();
  view_->ShowCafeRecommendDlg(true, 1, L"005930", 1, -1);
  rec_->CheckDlgButton(CStockRecDlg::IDC_SMS, true);
  rec_->SendCommand(CStockRecDlg::IDC_SMS);
  // The server confirms the first chunk only.
  int posts = 0;
  peer_.On("POST", "/stock/cafe_rec_sms_send", [&posts](const RecordedRequest&) {
    return ++posts == 1 ? orv::test::PeerReply{200, R"({"err":0,"sms_ok_cnt":10})"}
                        : orv::test::PeerReply{500, "busy"};
  });
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  rec_->SendCommand(CStockRecDlg::IDC_RECOMMEND);
  ASSERT_TRUE(PumpUntil([this] { return !rec_->SmsSending(); }, 10000));
  EXPECT_EQ(peer_.RequestsTo("/stock/cafe_rec_sms_send").size(), 3u);
  EXPECT_EQ(rec_->SmsConfirmed(), 10);
  EXPECT_EQ(Text(CStockRecDlg::IDC_PROGRESS_TEXT), L"10건");
}

TEST_F(StockRecDlgTest, WithoutASenderNumberNoSmsIsStartedOrPromised) {
  SignInAsManager();
  view_->LoginEngine()->WebLogin().m_settings.smsTel.clear();
  view_->ShowCafeRecommendDlg(true, 1, L"005930", 1, -1);
  rec_->CheckDlgButton(CStockRecDlg::IDC_SMS, true);
  rec_->SendCommand(CStockRecDlg::IDC_SMS);
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  EXPECT_EQ(rec_->SendRecommendation(kRecKindBuy, true), 1);
  EXPECT_FALSE(rec_->SmsSending());
  const auto calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1].text.find("종목 매수 추천을 했습니다.\n문자 송신 : 0명(고객수 : 25명)"), 0u)
      << calls[1].text;
  EXPECT_TRUE(peer_.RequestsTo("/stock/cafe_rec_sms_send").empty());
}

TEST_F(StockRecDlgTest, ALastNumberWithoutItsSeparatorIsStillSentAndCounted) {
  SignInAsManager();
  view_->ShowCafeRecommendDlg(true, 1, L"005930", 1, -1);
  // Eleven numbers, the last one without its ';': without care it would make a chunk of no
  // separators and never be sent.
  std::string tels;
  for (int i = 0; i < 11; ++i)
    tels += (i ? ";" : "") + std::string("0102000") + std::to_string(1000 + i);
  peer_.Http().On("POST", "/stock/cafe_rec_items_up",
                  orv::test::PeerReply{200, R"({"err":0,"idx":4,"sms_ok_cnt":11,"sms_req_cnt":11,)"
                                            R"("sms_tels":")" +
                                                orv::test::WebServerPeer::Base64(tels) + R"("})"});
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  rec_->SendCommand(CStockRecDlg::IDC_RECOMMEND);
  ASSERT_TRUE(PumpUntil([this] { return !rec_->SmsSending(); }, 10000));
  const auto chunks = peer_.RequestsTo("/stock/cafe_rec_sms_send");
  ASSERT_EQ(chunks.size(), 2u);
  EXPECT_EQ(Part(chunks[0], "recv_tels_cnt"), "10");
  EXPECT_EQ(Part(chunks[1], "recv_tels_cnt"), "1");
  EXPECT_EQ(Part(chunks[1], "recv_tels"), "01020001010;");
  EXPECT_EQ(rec_->SmsConfirmed(), 11);
}

TEST_F(StockRecDlgTest, AStockTypedWithoutASearchIsSentWithItsOwnPrice) {
  SignInAsManager();
  view_->Engine().Stocks().AddMasterStock(1, L"035420", L"NAVER", 1, 0, 0, 0, 200000, 0, 0);
  view_->ShowCafeRecommendDlg(true, 1, L"005930", 1, -1);
  rec_->SetDlgItemText(CStockRecDlg::IDC_CODE, L"035420");
  rec_->SetDlgItemText(CStockRecDlg::IDC_COMMENT, L"실적 개선");
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  EXPECT_EQ(rec_->SendRecommendation(kRecKindBuy, true), 1);
  const auto uploads = peer_.RequestsTo("/stock/cafe_rec_items_up");
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_EQ(Part(uploads[0], "stock_code"), "035420");
  EXPECT_EQ(Part(uploads[0], "stock_name"), "NAVER");
  EXPECT_EQ(std::atof(Part(uploads[0], "buy_price_cur").c_str()), 200000);
  EXPECT_EQ(Text(CStockRecDlg::IDC_NAME), L"NAVER");
}

TEST_F(StockRecDlgTest, SendingStopsAtWhatIsMissing) {
  orv::win::ScriptMessageBoxes({IDOK, IDOK, IDOK, IDOK});
  // No stock in the edit.
  rec_->SendRecommendation(kRecKindBuy, true);
  // A stock but no cafe.
  view_->ShowCafeRecommendDlg(true, 1, L"005930", 1, -1);
  rec_->SendRecommendation(kRecKindBuy, true);
  // A cafe: the briefing kind never uploads.
  SignInAsManager();
  rec_->SendRecommendation(kRecKindBriefing, true);
  // An empty comment.
  rec_->SetDlgItemText(CStockRecDlg::IDC_COMMENT, L"   ");
  rec_->SendRecommendation(kRecKindHold, true);
  const auto calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].text, "종목코드 및 종목이름을 정확히 입력해 주세요");
  EXPECT_EQ(calls[1].text, "종목을 선택해 주세요");
  EXPECT_EQ(calls[2].text.find("홍길동님, 추천을 위한 정보가 부족합니다.(0)"), 0u) << calls[2].text;
  EXPECT_EQ(calls[3].text.find("★주식★ 홀딩에 대한, 종목 코멘트를 적어주세요."), 0u)
      << calls[3].text;
  EXPECT_TRUE(peer_.RequestsTo("/stock/cafe_rec_items_up").empty());

  // An upload the server answers with idx 0 is a failure, even with err 0.
  peer_.Http().On("POST", "/stock/cafe_rec_items_up",
                  orv::test::PeerReply{200, R"({"err":0,"idx":0,"sms_ok_cnt":0,"sms_req_cnt":3})"});
  rec_->SetDlgItemText(CStockRecDlg::IDC_COMMENT, L"실적 개선");
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  EXPECT_EQ(rec_->SendRecommendation(kRecKindHold, true), 0);
  const auto failed = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(failed.size(), 2u);
  EXPECT_EQ(failed[1].caption, "ERROR");
  EXPECT_EQ(failed[1].text.find("홀딩 추천하지 못했습니다.\n----\n에러 : 0(D0/H200/R0/L"), 0u)
      << failed[1].text;
  EXPECT_FALSE(rec_->SmsSending());
}

TEST_F(StockRecDlgTest, TheProfitCheckAndTheJoinRequest) {
  // Not a manager: no access.
  orv::win::ScriptMessageBoxes({IDOK});
  EXPECT_EQ(rec_->SendRecommendation(kRecKindProfitCheck, true), kProfitCheckNoAccess);
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls()[0].text, "접근 권한이 없습니다");

  SignInAsManager();
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  rec_->SendCommand(CStockRecDlg::IDC_PROFIT_CHECK);
  auto calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(
      calls[0].text,
      "추천 종목 2개(전체 3개) 수익률을 서버에 갱신할까요?\n\n주기적으로 해주시길 부탁드립니다.");
  EXPECT_EQ(calls[1].text, "종목 2 개 수익률을 갱신했습니다");
  const auto checks = peer_.RequestsTo("/stock/cafe_rec_items_up");
  ASSERT_EQ(checks.size(), 1u);
  EXPECT_EQ(Part(checks[0], "item_cnt"), "3");
  EXPECT_EQ(Part(checks[0], "code_1"), "005930");
  EXPECT_EQ(Part(checks[0], "code_2"), "AAPL");
  EXPECT_EQ(Part(checks[0], "code_3"), "<absent>");

  // The join button asks first, then requests membership of the cafe.
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  EXPECT_EQ(rec_->JoinCafe(), 0);
  calls = orv::win::ScriptedMessageBoxCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].text,
            "선택하신 카페(8)에 가입 할까요?\n----\n가입후 관리자의 승인이 필요합니다");
  EXPECT_EQ(calls[1].caption, "NOTIFICATION");
  EXPECT_EQ(peer_.RequestsTo("/stock/cafe_join_up").back().Param("num"), "8");
  peer_.Stop();
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  EXPECT_EQ(rec_->JoinCafe(), -1);
  EXPECT_EQ(orv::win::ScriptedMessageBoxCalls()[1].text,
            "가입하지 못했습니다.\n---\n에러(-1/)\n\n관리자에게 문의 부탁드립니다.");
}

}  // namespace

#include "plugin/community/WebPages.h"

#include "platform/support/HttpForm.h"
#include "platform/support/LoginForm.h"
#include "platform/support/TextConv.h"
#include "plugin/community/WebEngine.h"
#include "plugin/community/WebLogin.h"
#include "plugin/community/WebText.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "shared/StockRecords.h"

namespace {

constexpr const char* kPageHead = "?b2b=stock&rsp=html&";

}  // namespace

bool MakeStockPageUrlsFrom(const ServiceSettings_s& settings, const Stock_s* stock,
                           const std::string& ownSuffix, StockPageUrls_s* out) {
  if (!out) return false;
  *out = StockPageUrls_s();
  const std::string code = stock ? WideToUtf8(stock->code) : std::string();
  const char letter = stock ? stock->market_letter : 0;
  const std::string* pattern = &settings.stockUrl;
  std::string defaultSuffix;
  std::string codeText = code;
  switch (letter) {
    case 'A':
      pattern = &settings.foreignStockUrlE;
      defaultSuffix = ".A";
      break;
    case 'D':
      pattern = &settings.foreignStockUrlD;
      defaultSuffix = ".K";
      break;
    case 'H':
      pattern = &settings.foreignStockUrlD;
      defaultSuffix = ".HK";
      codeText = code.empty() ? code : code.substr(1);
      break;
    case 'N':
      pattern = &settings.foreignStockUrlN;
      defaultSuffix = ".O";
      break;
    default:
      break;
  }
  if (!IsWebAddress(*pattern)) return false;
  if (defaultSuffix.empty()) {
    out->url = FillAddressTemplate(*pattern, codeText);
    return true;
  }
  out->url = FillAddressTemplate(*pattern, codeText, ownSuffix.empty() ? defaultSuffix : ownSuffix);
  out->urlNoSuffix = letter == 'H' ? out->url : FillAddressTemplate(*pattern, codeText, "");
  out->suffix = defaultSuffix;
  return true;
}

CWebPages::CWebPages(CWebLogin& web, IWebEngine& engine) : m_web(web), m_engine(engine) {}

std::string CWebPages::ScriptUrl(const wchar_t* path) const {
  return MakeScriptUrl(m_web.RunSetting(), path);
}

std::string CWebPages::StandardQuery(const wchar_t* path) const {
  const app_run_setting_s& run = m_web.RunSetting();
  return ScriptUrl(path) + kPageHead +
         FormatA("co=%d&agc=%d&gdp=%d&deployer=%d&uidx=%d&tk=%s&%s", m_web.m_companyIdx,
                 m_web.m_agencyIdx, run.nGdp, run.nDeployer, m_web.m_userIdx,
                 StrUrlEncodeA(m_web.m_userToken).c_str(), m_web.m_identity.identityQuery.c_str());
}

std::string CWebPages::ApplicationQuery(const wchar_t* path) const {
  return StandardQuery(path) + "&apk=" + StrUrlEncodeA(WideToUtf8(m_web.RunSetting().szAppId));
}

std::string MakeJoinPageUrl(CWebLogin& web, const wchar_t* path) {
  const app_run_setting_s& run = web.RunSetting();
  const WebIdentity_s& id = web.m_identity;
  return MakeScriptUrl(run, path) + kPageHead +
         FormatA("co=%d&agc=%d&gdp=%d&deployer=%d&uidx=%d&chk4=%s&chk5=%s&tk=%s&%s&key=%s",
                 web.m_companyIdx, web.m_agencyIdx, run.nGdp, run.nDeployer,
                 web.LoginInfo().nUserIdx, StrUrlEncodeA(id.idBase64).c_str(),
                 StrUrlEncodeA(id.idCheck).c_str(), StrUrlEncodeA(web.m_userToken).c_str(),
                 id.identityQuery.c_str(), StrUrlEncodeA(id.idKey).c_str());
}

std::string CWebPages::JoinQuery(const wchar_t* path) const { return MakeJoinPageUrl(m_web, path); }

std::string CWebPages::KeyQuery(const wchar_t* path) const {
  const app_run_setting_s& run = m_web.RunSetting();
  return ScriptUrl(path) + FormatA("?key=%s&tk=%s&uidx=%d&agc=%d&gdp=%d&deployer=%d&%s",
                                   StrUrlEncodeA(m_web.m_identity.idKey).c_str(),
                                   StrUrlEncodeA(m_web.m_userToken).c_str(), m_web.m_userIdx,
                                   m_web.m_agencyIdx, run.nGdp, run.nDeployer,
                                   m_web.m_identity.identityQuery.c_str());
}

std::string CWebPages::BalanceQuery(const wchar_t* path) const {
  const app_run_setting_s& run = m_web.RunSetting();
  return ScriptUrl(path) + kPageHead +
         FormatA("co=%d&agc=%d&gdp=%d&deployer=%d&uidx=%d&tk=%s&uid2=%s", m_web.m_companyIdx,
                 m_web.m_agencyIdx, run.nGdp, run.nDeployer, m_web.m_userIdx,
                 StrUrlEncodeA(m_web.m_userToken).c_str(),
                 WideToUtf8(m_web.m_identity.escapedId).c_str());
}

std::string CWebPages::BattleQuery(const wchar_t* path) const {
  const app_run_setting_s& run = m_web.RunSetting();
  return ScriptUrl(path) + FormatA("?key=%s&tk=%s&uidx=%d&sim=%d&agc=%d&gdp=%d&deployer=%d&%s",
                                   StrUrlEncodeA(m_web.m_identity.idKey).c_str(),
                                   StrUrlEncodeA(m_web.m_userToken).c_str(),
                                   m_web.LoginInfo().nUserIdx, -1, 0, run.nGdp, run.nDeployer,
                                   m_web.m_identity.identityQuery.c_str());
}

intptr_t CWebPages::OpenPage(const std::wstring& title, const std::string& url, int slot,
                             bool withCallback) {
  return m_engine.SendNotifyMsgToMainFrame(16, 0, 0, 0, title.c_str(), Utf8ToWide(url).c_str(),
                                           nullptr, 0, 0, withCallback, slot);
}

bool CWebPages::OnCommand(int commandId) {
  switch (commandId) {
    case ID_MEMBER_JOIN:
      OnMemberJoinCmd();
      return true;
    case ID_DEPLOYER_PROFIT:
      OnDeployerProfitCmd();
      return true;
    case ID_CUSTOMER_DISCOUNT:
      OnCustomerDiscountCmd();
      return true;
    case ID_INVESTOR_LIST:
      OnInvestorListCmd();
      return true;
    case ID_WEB_MANUAL:
      OnWebManualCmd();
      return true;
    case ID_APP_SETTINGS_MANUAL:
      OnAppSettingsManualCmd();
      return true;
    case ID_REMOTE_SUPPORT:
      OnRemoteSupportCmd();
      return true;
    case ID_APP_PROMOTION:
      OpenAppPromotionPage();
      return true;
    case ID_BUG_REPORT:
      OnBugReportCmd();
      return true;
    case ID_NOTICE:
      OnNoticeCmd();
      return true;
    case ID_USER_PR_BOARD:
      OnUserPrBoardCmd();
      return true;
    case ID_OPEN_API_APPLY:
      OnOpenApiApplyCmd();
      return true;
    case ID_MY_ORDER_LIST:
      OnMyOrderListCmd();
      return true;
    case ID_MY_ORDER_LIST_TAB:
      OnMyOrderListTabCmd();
      return true;
    case ID_BALANCE_HISTORY:
      OnBalanceHistoryCmd();
      return true;
    case ID_USER_ORDERS_PAGE:
      OnUserOrdersPageCmd();
      return true;
    case ID_AUTO_TRADE_BATTLE:
      OnAutoTradeBattleCmd();
      return true;
    case ID_REMOTE_CONTROL:
      OpenRemoteControlPage();
      return true;
    case ID_HOMEPAGE:
      OnHomepageCmd();
      return true;
    case ID_COMMUNITY_PAGE:
      OnCommunityPageCmd();
      return true;
    default:
      return false;
  }
}

intptr_t CWebPages::OnMemberJoinCmd() {
  const std::wstring title = m_web.LoginInfo().nUserIdx != 0
                                 ? FormatW(L"정보 변경/전문가 신청 등 : %ls/%ls 님",
                                           m_web.m_userId.c_str(), m_web.m_userName.c_str())
                                 : std::wstring(L"회원 가입");
  return OpenPage(title, JoinQuery(L"stock/user_regist"), 3);
}

intptr_t CWebPages::OnDeployerProfitCmd() {
  if (m_web.m_userIdx < 1) return 0;
  return OpenPage(
      FormatW(L"앱 배포자 수익 조회(%ls/%ls 님)", m_web.m_userId.c_str(), m_web.m_userName.c_str()),
      StandardQuery(L"app/dividend"), 3);
}

intptr_t CWebPages::OnCustomerDiscountCmd() {
  return OpenPage(L"고객 요금 할인율 보기", StandardQuery(L"stock/users_term_list"), 17);
}

intptr_t CWebPages::OnInvestorListCmd() {
  return OpenPage(L"투자자 목록/약정서 보기", StandardQuery(L"founder/list"), 17);
}

intptr_t CWebPages::OnWebManualCmd() {
  return OpenPage(L"웹 매뉴얼",
                  FormatA("%s/docs/orvella/", WideToUtf8(m_web.RunSetting().szManualBase).c_str()),
                  8);
}

intptr_t CWebPages::OnAppSettingsManualCmd() {
  return OpenPage(
      L"웹 매뉴얼",
      FormatA("%s/docs/orvella/app_settings/", WideToUtf8(m_web.RunSetting().szManualBase).c_str()),
      8);
}

intptr_t CWebPages::OnRemoteSupportCmd() {
  return OpenPage(L"원격지원 요청", ApplicationQuery(L"remote_dsk"), 7);
}

intptr_t CWebPages::OpenAppPromotionPage() {
  return OpenPage(L"앱 홍보 목록 보기", ApplicationQuery(L"app/pr_list"), 14);
}

intptr_t CWebPages::OnBugReportCmd() {
  return OpenPage(L"버그 리포트", StandardQuery(L"bbs/list"), 8);
}

intptr_t CWebPages::OnNoticeCmd() {
  return OpenPage(L"공지사항 보기", ApplicationQuery(L"notice/list"), 7);
}

intptr_t CWebPages::OnUserPrBoardCmd() {
  return OpenPage(L"사용자 뽐내기 게시판 보기", ApplicationQuery(L"stock/user_eq_pr"), 7);
}

intptr_t CWebPages::OnOpenApiApplyCmd() {
  return OpenPage(L"OpenApi 키 신청", ApplicationQuery(L"openapi"), 7);
}

intptr_t CWebPages::OpenOrderListPage() {
  const intptr_t window = OpenPage(L"내 매매 내역 조회", KeyQuery(L"stock/order_list"), 25);
  m_engine.SetCurrentWebWindow(window);
  return window;
}

intptr_t CWebPages::OnMyOrderListCmd() { return OpenOrderListPage(); }

intptr_t CWebPages::OnMyOrderListTabCmd() {
  m_engine.ShowParentMaximized();
  m_engine.SelectViewTab(2);
  const intptr_t window = OpenOrderListPage();
  if (window) m_engine.SetViewTimer(kOrderListTimerId, 1000);
  return window;
}

intptr_t CWebPages::OnBalanceHistoryCmd() {
  const intptr_t window =
      OpenPage(L"내 잔고 변동 내역 조회", BalanceQuery(L"stock/user_accs_m"), 27, false);
  m_engine.SetCurrentWebWindow(window);
  return window;
}

intptr_t CWebPages::OnUserOrdersPageCmd() {
  const intptr_t window =
      OpenPage(L"내 잔고 변동 내역 조회", BalanceQuery(L"stock/user_orders_m"), 27, false);
  m_engine.SetCurrentWebWindow(window);
  return window;
}

intptr_t CWebPages::OnAutoTradeBattleCmd() {
  return OpenPage(L"자동매매 배틀 현황", BattleQuery(L"stock/user_score"), 26);
}

intptr_t CWebPages::OpenRemoteControlPage() {
  return OpenPage(L"자동매매 설정 원격 제어", KeyQuery(L"stock/mystock"), 26);
}

std::wstring CWebPages::OnHomepageCmd() {
  std::wstring url = m_web.m_settings.homepage;
  if (!IsWebAddress(url)) url = m_web.RunSetting().szHomePage;
  if (!IsWebAddress(url)) url = kDefaultHomepage;
  m_engine.OpenInSystemBrowser(url);
  return url;
}

std::wstring CWebPages::OnCommunityPageCmd() {
  std::wstring url = m_web.m_settings.bandUrl;
  if (!IsWebAddress(url)) url = kDefaultCommunityPage;
  m_engine.OpenInSystemBrowser(url);
  return url;
}

intptr_t CWebPages::OpenWebPage(const wchar_t* title, const wchar_t* scriptPath,
                                const char* extra) {
  return OpenPage(title ? title : L"", ApplicationQuery(scriptPath) + (extra ? extra : ""), 7);
}

intptr_t CWebPages::OpenServicePage(int kind) {
  if (kind != 6) return 0;
  const app_run_setting_s& run = m_web.RunSetting();
  const std::string b2b = run.szB2b[0] ? WideToUtf8(run.szB2b) : std::string("stock");
  const std::wstring address = m_engine.EventPageText();
  return m_engine.SendNotifyMsgToMainFrame(18, m_web.m_agencyIdx, run.nAgencyIdx, 6, L"이벤트",
                                           address.c_str(), b2b.c_str(), run.nGdp, run.nDeployer,
                                           true, 15);
}

int CWebPages::MakeAiCommentUrl(std::wstring* out) {
  if (!out) return 0;
  wchar_t url[4096];
  char work[4096];
  GfxGetWebApiUrlByUserToken(url, 4096, work, sizeof work, &m_web.RunSetting(), &m_web.LoginInfo(),
                             L"stock/ai_cmt", 0, "&qt=members", "html", "stock");
  *out = url;
  return 0;
}

int CWebPages::MakeStockPageUrls(const Stock_s* stock, std::string* url, std::string* urlNoSuffix,
                                 std::string* suffix, std::wstring* wideUrl) {
  if (!url || !urlNoSuffix || !suffix) return 0;
  StockPageUrls_s urls;
  MakeStockPageUrlsFrom(m_web.m_settings, stock,
                        stock ? m_engine.StockCodeSuffix(*stock) : std::string(), &urls);
  *url = urls.url;
  *urlNoSuffix = urls.urlNoSuffix;
  *suffix = urls.suffix;
  if (wideUrl) *wideUrl = Utf8ToWide(urls.url);
  return 1;
}

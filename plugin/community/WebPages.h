#pragma once
// The product's web pages: the page commands of the trading view (each builds its page's
// address with the user's identity and hands it to the host, notify kind 16, which shows it in
// one of its web windows), the homepage and community page in the system browser, the event
// page, the cafe-result page, the AI comment address and a stock's web-page addresses.
//
// Addresses that come from the server (homepage, community page, stock-page templates) are
// used only when they are http or https addresses; the templates are filled without printf.

#include <cstdint>
#include <string>

class CWebLogin;
class IWebEngine;
struct ServiceSettings_s;
struct Stock_s;

// Page commands.
constexpr int ID_MEMBER_JOIN = 956;
constexpr int ID_DEPLOYER_PROFIT = 950;
constexpr int ID_CUSTOMER_DISCOUNT = 3169;
constexpr int ID_INVESTOR_LIST = 1341;
constexpr int ID_WEB_MANUAL = 3423;
constexpr int ID_APP_SETTINGS_MANUAL = 3305;
constexpr int ID_REMOTE_SUPPORT = 10013;
constexpr int ID_APP_PROMOTION = 3172;
constexpr int ID_BUG_REPORT = 2259;
constexpr int ID_NOTICE = 2263;
constexpr int ID_USER_PR_BOARD = 1322;
constexpr int ID_OPEN_API_APPLY = 2293;
constexpr int ID_MY_ORDER_LIST = 2249;
constexpr int ID_MY_ORDER_LIST_TAB = 2242;
constexpr int ID_BALANCE_HISTORY = 3421;
constexpr int ID_USER_ORDERS_PAGE = 3435;
constexpr int ID_AUTO_TRADE_BATTLE = 1306;
constexpr int ID_REMOTE_CONTROL = 1506;
constexpr int ID_HOMEPAGE = 3424;
constexpr int ID_COMMUNITY_PAGE = 3181;

// Addresses used when the service check gave none (or none usable).
constexpr const wchar_t* kDefaultHomepage = L"https://www.orvella.com/";
constexpr const wchar_t* kDefaultCommunityPage = L"https://band.us/";

// The view's timer that follows the order list opened on its tab.
constexpr int kOrderListTimerId = 20;

// A stock's web-page addresses (see MakeStockPageUrls).
struct StockPageUrls_s {
  std::string url;
  std::string urlNoSuffix;
  std::string suffix;
};
// From the service settings' templates, by the stock's market letter; ownSuffix is the stock's
// own code suffix (empty when none). False when the template is not an http(s) address (the
// outputs stay empty).
bool MakeStockPageUrlsFrom(const ServiceSettings_s& settings, const Stock_s* stock,
                           const std::string& ownSuffix, StockPageUrls_s* out);

// The member page's address (the join query after the script address of the path); the user
// login's member page uses it too.
std::string MakeJoinPageUrl(CWebLogin& web, const wchar_t* path);

class CWebPages {
 public:
  // The web login and the engine outlive this object.
  CWebPages(CWebLogin& web, IWebEngine& engine);

  // Runs a page command (the ID_... above); false when the command is not one of them.
  bool OnCommand(int commandId);

  // The page commands (each answers the host's answer: the page window or 0).
  intptr_t OnMemberJoinCmd();
  intptr_t OnDeployerProfitCmd();
  intptr_t OnCustomerDiscountCmd();
  intptr_t OnInvestorListCmd();
  intptr_t OnWebManualCmd();
  intptr_t OnAppSettingsManualCmd();
  intptr_t OnRemoteSupportCmd();
  intptr_t OpenAppPromotionPage();
  intptr_t OnBugReportCmd();
  intptr_t OnNoticeCmd();
  intptr_t OnUserPrBoardCmd();
  intptr_t OnOpenApiApplyCmd();
  intptr_t OnMyOrderListCmd();
  intptr_t OnMyOrderListTabCmd();
  intptr_t OnBalanceHistoryCmd();
  intptr_t OnUserOrdersPageCmd();
  intptr_t OnAutoTradeBattleCmd();
  intptr_t OpenRemoteControlPage();
  // The system browser; answer the address opened.
  std::wstring OnHomepageCmd();
  std::wstring OnCommunityPageCmd();

  // A page of the application query with an extra text (may be null), page slot 7.
  intptr_t OpenWebPage(const wchar_t* title, const wchar_t* scriptPath, const char* extra);
  // Kind 6: the event page (notify kind 18). Other kinds do nothing (0).
  intptr_t OpenServicePage(int kind);
  // The AI comment page address; nothing without an output. Answers 0.
  int MakeAiCommentUrl(std::wstring* out);
  // 0 when one of the three narrow outputs is missing, else 1 (the outputs are empty when the
  // template is not usable). The wide output (may be null) receives the URL.
  int MakeStockPageUrls(const Stock_s* stock, std::string* url, std::string* urlNoSuffix,
                        std::string* suffix, std::wstring* wideUrl);

  // The query formats of the pages, each after the script address of the path.
  std::string StandardQuery(const wchar_t* path) const;
  std::string ApplicationQuery(const wchar_t* path) const;
  std::string JoinQuery(const wchar_t* path) const;
  std::string KeyQuery(const wchar_t* path) const;
  std::string BalanceQuery(const wchar_t* path) const;
  std::string BattleQuery(const wchar_t* path) const;

 private:
  std::string ScriptUrl(const wchar_t* path) const;
  intptr_t OpenPage(const std::wstring& title, const std::string& url, int slot,
                    bool withCallback = true);
  intptr_t OpenOrderListPage();

  CWebLogin& m_web;
  IWebEngine& m_engine;
};

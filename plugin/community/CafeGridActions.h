#pragma once
// What the cafe dialog does when the user acts on its cafe-interest grid: the in-cell buttons of
// a recommended-stock row ("정보", "매도", "재매수", "결과", "인증" and the reason cells' "..."),
// the "관심" check, and the right-click recommendation menu with its messenger texts and the
// recommendation status (to the clipboard, or by SMS through the product's web server).
//
// Toolkit-free: the trading view, the web server, the composer and the window's own services
// (menu, clipboard, cell editor) come through the interfaces below; the dialog implements them.
// Everything here runs on the user-interface thread.

#include <curl/curl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/model/ReportCtrl.h"
#include "plugin/community/CafeDlgRules.h"

namespace orv::ui {
class CMyReportRecordBase;
}

// Commands of the recommendation menu (sub-menu 14 of menu 2189).
// The first four are for the cafe's managers (CafeMenuCommandState enables them).
constexpr int ID_REC_MENU_MSG_OPEN = ID_CAFE_GRID_ACTION3;    // messenger text, stock shown
constexpr int ID_REC_MENU_MSG_CLOSED = ID_CAFE_GRID_ACTION4;  // messenger text, stock hidden
constexpr int ID_REC_MENU_SMS = ID_CAFE_GRID_ACTION1;  // the selected rows' status by SMS
constexpr int ID_REC_MENU_STATUS = ID_CAFE_GRID_ACTION2;  // every row's status, to the clipboard
constexpr int ID_REC_MENU_WATCH_ON = 3420;    // no effect
constexpr int ID_REC_MENU_BUY = 623;          // a buy order of the stock
constexpr int ID_REC_MENU_INFO = 565;         // the stock's information page

// The entries of the recommendation menu, in order (id, text).
struct CafeRecMenuItem_s {
  int id;
  const wchar_t* text;
};
extern const CafeRecMenuItem_s kCafeRecMenu[7];

// The grids whose notifications the cafe dialog handles (of its own grids only the
// cafe-interest grid lies in that range).
constexpr int kCafeGridActionFirstId = 2255;
constexpr int kCafeGridActionLastId = 3380;

// Row slots of the stocks the rows show.
int CafeRowSlotOfGrid(int ctrlId);

// The values a handler reads from a recommended-stock row.
struct CafeRecRowValues_s {
  int32_t recNumber = 0;
  int32_t nation = 0;
  std::wstring code;
  int32_t tradeSide = 0;
  bool interest = false;
  double recPrice = 0;
  double profit = 0;
  int32_t elapsed1 = 0;
  double takeProfitRate1 = 0;
  double lowestTakeProfitPrice = 0;
  double stopLossRate = 0;
  double stopLossPrice = 0;
  std::wstring buyReason;
  int32_t approval = 0;
};
CafeRecRowValues_s ReadCafeRecRow(const orv::ui::CMyReportRecordBase& row);

// A stock of the trading view's master list, as the handlers see it (a copy).
struct CafeStockInfo_s {
  uint8_t market = 0;
  int8_t nation = 0;
  std::wstring code;
  std::wstring name;
  double curPrice = 0;
  double cafeRates[2] = {-100.0, -100.0};  // the stock's two cafe values
};

// What the messenger text is made from (the composer's recommendation of one stock).
struct CafeMessengerRequest_s {
  const CafeStockInfo_s* stock = nullptr;  // null: the code is not listed
  int kind = 1;                            // 1 buy
  double recPrice = 0;
  double buyPrice = 0;
  double stopLossPrice = 0;
  double lowestTakeProfitPrice = 0;
  double firstCafeValue = 0;  // the stock's first cafe value
  double takeProfitRate1 = 0;
  int32_t elapsed1 = 0;
  int32_t secondCafeValue = 0;  // the stock's second cafe value, cut to an integer
  double weight = 100;
  std::wstring buyReason;
  bool open = true;  // the stock's name is shown
};

// The recommendation composer, as the grid handlers use it.
class ICafeRecComposer {
 public:
  virtual ~ICafeRecComposer() = default;
  // Takes the stock as the item to recommend (kind 1 buy, 2 sell) with its prices. A result
  // below 0 is an error.
  virtual int SetRecommendItem(const CafeStockInfo_s& stock, int kind, double recPrice,
                               double buyPrice, double targetPrice, double stopPrice) = 0;
  // Composes the cafe's messenger message and puts it on the clipboard; *reason receives the
  // reason text the message carries. 0 on failure.
  virtual int ComposeCafeMessages(const CafeMessengerRequest_s& request,
                                  std::wstring* reason) = 0;
};

// What became of an order the menu placed.
enum class CafeOrderOutcome { kPlaced, kRefused, kUnknown, kNotSent };
// The line that tells the user: "주문 결과[성공] 삼성전자(005930) 1주" ("실패", "미확인").
std::wstring MakeCafeOrderResultText(CafeOrderOutcome outcome, const std::wstring& name,
                                     const std::wstring& code, double quantity);

// The program around the handlers.
class ICafeGridHost {
 public:
  virtual ~ICafeGridHost() = default;
  // --- the trading view ---
  // A copy of the master stock of (market, code); false when it is not listed.
  virtual bool FindStockByCode(uint8_t market, const std::wstring& code,
                               CafeStockInfo_s* out) = 0;
  virtual void RequestStockSelect(const std::wstring& code, int mode) = 0;
  virtual void SetLinkedStock(const CafeStockInfo_s& stock, int how) = 0;
  // Takes the stock off the trading view's own stock list, refreshing its grid.
  virtual void RemoveMyStock(uint8_t market, const std::wstring& code) = 0;
  virtual void SetStockInterest(const std::wstring& code, int value) = 0;
  // A market-price buy of one unit of the stock through the order worker; `done` gets what
  // became of it, later, on this thread. False when nothing was sent (the code is not listed,
  // the workers do not run): `done` is then not called.
  virtual bool PlaceBuyOrder(const std::wstring& code,
                             std::function<void(CafeOrderOutcome)> done) = 0;
  // --- the web server ---
  // 1 when the server took the SMS, else 0.
  virtual int SendSmsViaServer(CURL* curl, const std::wstring& text, int32_t cafe) = 0;
  virtual void OpenWebPage(const wchar_t* title, const wchar_t* path,
                           const std::string& extra) = 0;
  virtual void OpenJoinCafePage(int32_t cafe) = 0;
  virtual std::wstring SmsFooter() = 0;
  // --- the dialog ---
  virtual int32_t CurrentCafe() = 0;
  virtual int32_t ManagerFlag() = 0;
  // Shows the recommendation menu at the point and answers the chosen command (0: none).
  virtual int TrackRecMenu(POINT pt) = 0;
  virtual void CopyToClipboard(const std::wstring& text) = 0;
  // The cell edit pop-up (width x height) of a shown row's cell.
  virtual void ShowCellEditor(orv::ui::CMyReportCtrl& grid, int row, int column, int width,
                              int height) = 0;
};

// The recommendation status text of the buy rows of `rows` (the trading view's stocks found by
// `host`), numbered from 1, with the SMS footer; empty when no buy row has a listed stock.
std::wstring MakeCafeRecStatusText(const std::vector<orv::ui::CMyReportRecordBase*>& rows,
                                   ICafeGridHost& host, const std::wstring& footer);

class CCafeGridActions {
 public:
  explicit CCafeGridActions(ICafeGridHost& host) : m_host(host) {}
  ~CCafeGridActions() { *m_alive = false; }
  CCafeGridActions(const CCafeGridActions&) = delete;
  CCafeGridActions& operator=(const CCafeGridActions&) = delete;
  // The composer (null: there is none).
  void SetComposer(ICafeRecComposer* composer) { m_composer = composer; }

  // A notification of one of the dialog's grids; the answer goes back to the grid.
  LRESULT OnGridNotify(orv::ui::ReportNotify& nm);
  LRESULT OnGridButtonClick(orv::ui::ReportNotify& nm);
  // 1 when the trading view was told, else 0.
  LRESULT OnGridValueChanged(orv::ui::ReportNotify& nm);
  void OnGridRightClick(orv::ui::ReportNotify& nm);
  void ShowRecMenu(orv::ui::CMyReportCtrl& grid, orv::ui::CMyReportRecordBase& row, POINT pt);
  // Runs a command of the recommendation menu for the row.
  void RunRecMenuCommand(orv::ui::CMyReportCtrl& grid, orv::ui::CMyReportRecordBase& row,
                         int command);
  // Composes the status of the grid's rows (the selected ones unless `allRows`); with at least
  // one buy row sends it by SMS when `send`, and puts it on the clipboard. Only for a manager of
  // the cafe. Answers the SMS sending's result when it sent, else 0.
  int BuildRecStatusText(orv::ui::CMyReportCtrl& grid, CURL* curl, bool send, bool allRows);

  int LastRightClickGrid() const { return m_rightClickGrid; }

 private:
  void OnNameButton(orv::ui::CMyReportCtrl& grid, orv::ui::CMyReportRecordBase& row,
                    int buttonId);
  void MakeMessengerText(const CafeStockInfo_s* stock, const CafeRecRowValues_s& values,
                         bool open);

  void PlaceBuyOrder(const CafeStockInfo_s* stock, const std::wstring& code);

  ICafeGridHost& m_host;
  ICafeRecComposer* m_composer = nullptr;
  // Order replies come back later: they check that the actions are still there.
  std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
  int m_rightClickGrid = 0;
};

// The cafe dialog's services to its grid actions (CafeGridActions.h): the trading view's stocks
// and orders, the web server's SMS and pages, the recommendation menu, the clipboard and the
// reason cells' edit pop-up.
#include <wx/clipbrd.h>
#include <wx/dialog.h>
#include <wx/menu.h>
#include <wx/utils.h>

#include "platform/support/TextConv.h"
#include "platform/ui/ReportEditPopup.h"
#include "platform/ui/ReportGridWindow.h"
#include "platform/win/CriticalSection.h"
#include "plugin/community/CafeDlgGrids.h"
#include "plugin/community/WebLogin.h"
#include "plugin/community/WebPages.h"
#include "plugin/community/WebReports.h"
#include "plugin/community/window/CafeDlg.h"
#include "plugin/view/PelomarLoginEngine.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/engine/OrderSender.h"
#include "plugin/view/engine/PelomarEngine.h"
#include "plugin/view/engine/StockLists.h"
#include "shared/StockRecords.h"

class CCafeDlgGridHost : public ICafeGridHost {
 public:
  explicit CCafeDlgGridHost(CCafeDlg& dialog) : m_dialog(dialog) {}

  bool FindStockByCode(uint8_t market, const std::wstring& code, CafeStockInfo_s* out) override {
    if (code.empty()) return false;
    CPelomarEngine& engine = View().Engine();
    // A copy taken under the view lock: the workers change the master records.
    orv::win::CSingleLock lock(&engine.ViewLock(), TRUE);
    const Stock_s* stock =
        engine.Stocks().FindStockByCode(market, code.c_str(), nullptr, false, nullptr);
    if (!stock) return false;
    out->market = stock->market;
    out->nation = stock->nation;
    out->code = stock->code;
    out->name = stock->name;
    out->curPrice = stock->cur_price;
    out->cafeRates[0] = stock->cafe_rates[0];
    out->cafeRates[1] = stock->cafe_rates[1];
    return true;
  }

  void RequestStockSelect(const std::wstring& code, int mode) override {
    View().RequestStockSelect(mode, code.c_str(), 0);
  }

  void SetLinkedStock(const CafeStockInfo_s& stock, int) override {
    // The trading view links no stock to another window (it answers 0 and keeps nothing).
    View().Engine().SetLinkedStock(stock.code.c_str());
  }

  void RemoveMyStock(uint8_t market, const std::wstring& code) override {
    View().Engine().Stocks().FindMyStock(market, code.c_str(), true, true);
  }

  void SetStockInterest(const std::wstring& code, int value) override {
    CPelomarEngine& engine = View().Engine();
    orv::win::CSingleLock lock(&engine.ViewLock(), TRUE);
    engine.Stocks().SetStockInterest(code.c_str(), value, nullptr);
  }

  bool PlaceBuyOrder(const std::wstring& code,
                     std::function<void(CafeOrderOutcome)> done) override {
    UserOrder_s order;
    order.market = 1;
    order.side = 1;
    order.price = 0;
    order.quantity = 1;
    return View().PlaceOrderByCode(code, order, [done](const UserOrderReply_s& reply) {
      switch (reply.outcome) {
        case OrderOutcome::kPlaced: done(CafeOrderOutcome::kPlaced); break;
        case OrderOutcome::kRefused: done(CafeOrderOutcome::kRefused); break;
        case OrderOutcome::kUnknown: done(CafeOrderOutcome::kUnknown); break;
        default: done(CafeOrderOutcome::kNotSent); break;
      }
    });
  }

  int SendSmsViaServer(CURL* curl, const std::wstring& text, int32_t cafe) override {
    CWebReports* reports = View().WebReports();
    return reports ? reports->SendSmsViaServer(curl, 0, text, cafe) : 0;
  }

  void OpenWebPage(const wchar_t* title, const wchar_t* path, const std::string& extra) override {
    if (CWebPages* pages = View().WebPages()) pages->OpenWebPage(title, path, extra.c_str());
  }

  void OpenJoinCafePage(int32_t cafe) override {
    m_dialog.OpenCafePage(CafePage::kJoinCafe, cafe);
  }

  std::wstring SmsFooter() override {
    CPelomarLoginEngine* login = View().LoginEngine();
    return login ? login->WebLogin().m_settings.smsFooter : std::wstring();
  }

  int32_t CurrentCafe() override { return m_dialog.m_selection.CurrentCafe(); }
  int32_t ManagerFlag() override { return m_dialog.Grids().ManagerFlag(); }

  int TrackRecMenu(POINT) override {
    wxDialog* window = m_dialog.GetWindow();
    if (!window) return 0;
    wxMenu menu;
    const CafeMenuState_s state = m_dialog.MenuState();
    for (const CafeRecMenuItem_s& item : kCafeRecMenu) {
      menu.Append(item.id, wxString(item.text));
      menu.Enable(item.id, CafeMenuCommandState(item.id, state).enable);
    }
    // The menu opens where the mouse was clicked.
    const wxPoint at = window->ScreenToClient(wxGetMousePosition());
    const int chosen = window->GetPopupMenuSelectionFromUser(menu, at);
    return chosen == wxID_NONE ? 0 : chosen;
  }

  void CopyToClipboard(const std::wstring& text) override {
    if (!wxTheClipboard->Open()) return;
    wxTheClipboard->SetData(new wxTextDataObject(wxString(text)));
    wxTheClipboard->Close();
  }

  void ShowCellEditor(orv::ui::CMyReportCtrl& grid, int row, int column, int width,
                      int height) override {
    orv::ui::ReportGridWindow* window = grid.GetCtrlId() == kCafeInterestGridId
                                            ? m_dialog.m_interestGrid
                                            : m_dialog.m_expertGrid;
    if (window)
      orv::ui::GfxShowReportCtrlEditPopup(window, row, column, width, height,
                                          orv::ui::kEditPopupStoreOnClose);
  }

 private:
  CPelomarView& View() { return m_dialog.m_view; }
  CCafeDlg& m_dialog;
};

std::unique_ptr<ICafeGridHost> MakeCafeDlgGridHost(CCafeDlg& dialog) {
  return std::make_unique<CCafeDlgGridHost>(dialog);
}

void CCafeDlg::SetRecComposer(ICafeRecComposer* composer) {
  m_gridActions->SetComposer(composer);
}

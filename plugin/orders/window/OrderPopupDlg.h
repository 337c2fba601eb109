#pragma once
// COrderPopupDlg: the trading view's order-entry dialog ("주문하기"). The left part is the
// order form (market, account, code, name, price, quantity, total, buy/sell, cash/credit,
// order type, the order and cancel buttons and the split progress); the right part is a tab
// control with three web views (the stock's portal page, the AI analysis page and the members'
// comment page). The order itself is COrderEntry's; this class is its window and its way to
// the trading view.

#include <map>
#include <memory>
#include <string>

#include "platform/ui/ControlDialog.h"
#include "plugin/orders/OrderEntry.h"
#include "plugin/orders/window/OrderFormParts.h"
#include "plugin/view/ChildWindows.h"

class wxNotebook;
class wxGauge;
class wxMenu;
class wxTimer;
namespace orv::ui {
class CWebPage;
}
class wxKeyEvent;
class wxWindow;

// Control ids of template 3173.
enum OrderPopupId : int {
  IDC_OP_MARKET = 2122,
  IDC_OP_ACCOUNT = 2121,
  IDC_OP_ACCOUNT_LABEL = 2167,
  IDC_OP_ACCOUNT_REFRESH = 2205,
  IDC_OP_HELP = 1310,
  IDC_OP_PASSWORD = 2208,
  IDC_OP_CODE = 2123,
  IDC_OP_CODE_LABEL = 2272,
  IDC_OP_SEARCH = 2206,
  IDC_OP_NAME = 2126,
  IDC_OP_PRICE = 2194,
  IDC_OP_PRICE_LABEL = 2273,
  IDC_OP_AI_DATA = 3757,
  IDC_OP_AI_LABEL = 2278,
  IDC_OP_AI = 1340,
  IDC_OP_ORDER_TYPE = 2117,
  IDC_OP_BUY = 1312,
  IDC_OP_SELL = 1313,
  IDC_OP_CREDIT = 2115,
  IDC_OP_CREDIT_LABEL = 2171,
  IDC_OP_QUANTITY = 2128,
  IDC_OP_QUANTITY_LABEL = 2274,
  IDC_OP_LOAN_DATE = 2141,
  IDC_OP_CREDIT_ORDER_KIND = 2114,
  IDC_OP_TOTAL_BUTTON = 2120,
  IDC_OP_TOTAL = 2210,
  IDC_OP_AMOUNT_PRESET = 2118,
  IDC_OP_AMOUNT_LABEL = 2172,
  IDC_OP_ORDER = 2108,
  IDC_OP_CANCEL = 2102,
  IDC_OP_STATUS = 2131,
  IDC_OP_PROGRESS = 1334,
  IDC_OP_SPLIT_HINT = 2277,
  IDC_OP_SPLIT_LABEL = 2169,
  IDC_OP_PRICE2 = 2125,
  IDC_OP_PRICE_STATIC = 2275,
  IDC_OP_LOAN_STATIC = 2276,
  IDC_OP_NATION_STATIC = 2170,
  IDC_OP_MESSAGE = 2168,
  IDC_OP_NOTICE = 2130,
  IDC_OP_TABS = 2523,
  IDC_OP_PORTAL = 975,
  IDC_OP_AI_PAGE = 2301,
  IDC_OP_COMMENTS = 2302,
};

class COrderPopupDlg : public CPelomarOrderWindow, private CViewOrderDesk {
 public:
  explicit COrderPopupDlg(CPelomarView& view);
  ~COrderPopupDlg() override;

  // --- CPelomarOrderWindow ---
  bool CreateFromTemplate(int templateId, wxWindow* parent) override;
  void ShowDialog(wxWindow* owner, bool modal, bool reload, int tab) override;
  void HideDialog() override;
  void CenterWindow() override;
  void ShowWindow(bool show) override;
  void SetSplitOrderBaseMoney(int amountManWon) override;
  void SetAccountList(GroupInfoMap* accounts, const wchar_t* account1, const wchar_t* account2,
                      uint32_t columnFlags, login_info_s* login) override;
  void SetAccountGroups(GroupInfoMap* accounts, int selectFirst) override;
  using CPelomarOrderWindow::SetOrderForm;
  void SetOrderForm(int market, const std::wstring& account, const std::wstring& code, int side,
                    double quantity, int credit, int loanDate, int showPages) override;

  // The AI analysis in the AI tab (kind 5 a coin).
  void ShowAnalysisPage(int kind, const std::wstring& code, const std::wstring& name,
                        const std::wstring& analysis, const std::string& priceCsv,
                        const std::string& investorCsv, const std::string& shortCsv) override;

  // What tests and the road read.
  wxWindow* GetWindow() const;
  COrderEntry& Entry() { return *m_entry; }
  orv::ui::CControlDialog& Form() { return m_form; }
  // Runs an order command (ID_ORDER_... ) as the order menu does.
  void RunOrderCommand(int command);
  int Side() const { return m_side; }

 private:
  // IOrderDesk: the form's part (the view's part is CViewOrderDesk's)
  void ShowResultLine(const std::wstring& line) override;
  void Focus(OrderField field) override;
  void ShowCodeAndPrice(const std::wstring& code, double price) override;
  void ShowStatus(const std::wstring& text, uint32_t textColour, uint32_t backColour) override;
  void ShowProgress(int position, int range) override;
  void EnableOrderButton(bool enable) override;

  void BuildControls();
  void BuildTabs();
  void BindHandlers();
  void FillAccounts(const std::wstring& select);
  void ShowSide(int side);
  void ShowCreditKind(int kind);
  void OnOrderButton();
  void OnSearch();
  void OnTotal();
  void OnAiRequest();
  void OnAccountChanged();
  void OnKey(wxKeyEvent& event);
  void ApplyStoredPositions(double scale);
  void Layout();
  void Navigate(orv::ui::CWebPage* view, const std::wstring& url);

  CPelomarView& m_view;
  std::unique_ptr<COrderEntry> m_entry;
  orv::ui::CControlDialog m_form;
  wxNotebook* m_tabs = nullptr;
  // The three pages; each makes its browser when a page is first loaded into it.
  orv::ui::CWebPage* m_portal = nullptr;
  orv::ui::CWebPage* m_aiPage = nullptr;
  orv::ui::CWebPage* m_comments = nullptr;
  wxGauge* m_progress = nullptr;
  std::unique_ptr<wxTimer> m_timer;
  std::unique_ptr<wxMenu> m_orderMenu;
  std::wstring m_portalUrl = L"about:blank";
  std::wstring m_commentUrl;
  std::wstring m_accountText;
  std::wstring m_lastAccountText;
  std::map<std::wstring, std::wstring> m_fieldNames;
  int m_side = 1;
  int m_orderType = 3;
  int m_showAccountInfo = 1;
  int m_aiChoice = 1;
  int m_amountChoice = 0;
  std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// Installs the maker that gives the trading view this dialog for its order popup.
void InstallOrderPopupMaker();

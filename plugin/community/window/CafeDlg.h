#pragma once
// The cafe window of the trading view ("추천종목 관리 + 분할매수"): a toolbar with the cafe
// picker, the reload button and the cafe menu; a side pane (kept at the width the user left it)
// with the cafe-interest and member grids; the composer strip ("종목 추천하기"); and the bottom
// tabs with the expert grid and the stock's portal page. The grids and the picker are the
// trading view's CCafeDlgGrids, which the cafe downloads fill; this class shows them, keeps the
// cafe selection (CCafeSelection) and runs the cafe menu by its rules (CafeDlgRules.h). The
// composer strip holds the recommendation composer (CStockRecDlg).
//
// Shown pseudo-modally: only ShowDialog makes it visible; HideDialog and the close box hide it.

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ControlDialog.h"
#include "plugin/community/CafeDlgRules.h"
#include "plugin/community/CafeGridActions.h"
#include "plugin/community/CafeMemberImport.h"
#include "plugin/community/CafeService.h"
#include "plugin/view/ChildWindows.h"

class wxMenu;
class wxNotebook;
class wxPanel;
class wxSplitterWindow;
class wxStaticText;
class wxTimer;
class wxTimerEvent;
class wxWindow;
class CPelomarView;
class CStockRecDlg;
struct Stock_s;

namespace orv::ui {
class CWebPage;
class ReportGridWindow;
}

class CCafeDlg : public CPelomarCafeDialog, public orv::ui::CControlDialog {
 public:
  static constexpr int kTemplateId = 2254;
  // Controls.
  static constexpr int IDC_CAFE_PICKER = 393;
  static constexpr int IDC_RELOAD = 2104;
  static constexpr int IDC_CAFE_MENU = 2105;
  static constexpr int IDC_TOP_TABS = 2300;
  static constexpr int IDC_COMPOSER_TABS = 1329;
  static constexpr int IDC_BOTTOM_TABS = 3378;
  static constexpr int IDC_PORTAL = 975;
  static constexpr int kPaneId = 3363;
  static constexpr int kWaitTimerId = 1111;
  static constexpr int kWaitTimerMs = 1000;
  static constexpr int kComposerHeight = 220;
  // The key under "Settings" that keeps the side pane's width.
  static constexpr const char* kLayoutKey = "NormalLayout_StockCafe";

  explicit CCafeDlg(CPelomarView& view);
  ~CCafeDlg() override;

  // --- CPelomarChildDialog ---
  bool CreateFromTemplate(int templateId, wxWindow* parent) override;
  void SetOwnerWnd(wxWindow* owner, bool modal) override;
  // Shows the dialog on the layout mode (1 hides the composer strip; it also selects the
  // bottom tab of that index; negative keeps the tab). Returns after HideDialog when modal.
  void ShowDialog(wxWindow* owner, bool modal, bool reload, int tab) override;
  void HideDialog() override;
  void CenterWindow() override;
  void ShowWindow(bool show) override;
  // --- CPelomarCafeDialog ---
  ICafeFiller& CafeFiller() override { return m_filler; }
  void SetRecommendItem(uint8_t market, const std::wstring& code, int kind) override;

  // Makes the picker's cafe current and asks the cafe worker for it (see CCafeSelection); a
  // refresh flag of 0 or more is stored.
  void SelectCafe(int refreshFlag);
  // The member-list download's flags for the composer.
  void SetComposerFlags(int managerFlag, bool chiefManager);
  // Hands the composer the current cafe.
  void UpdateComposerCafe();
  // The portal page of the stock of (market, code); with navigate the web view shows it.
  void ShowStockPortalPage(uint8_t market, const std::wstring& code, bool navigate);
  // Stores the portal address; with navigate (and an address and a web view) shows it.
  void SetPortalUrl(const std::wstring& url, bool navigate);
  // Runs a command of the cafe menu (or of the dialog) as choosing it would.
  void RunCommand(int command);
  // The recommendation composer the grid actions use (null: none; not owned).
  void SetRecComposer(ICafeRecComposer* composer);
  // What the user's actions on the cafe-interest grid do (buttons, "관심", the menu).
  CCafeGridActions& GridActions() { return *m_gridActions; }
  // The rules' view of the dialog now.
  CafeMenuState_s MenuState() const;
  // The cafe menu as it shows (items enabled and checked by the rules).
  std::unique_ptr<wxMenu> BuildCafeMenu() const;

  // The cafe menu's member import ("사용자 추가 (관리자용)" and "직원 추가 (관리자용)"): asks
  // for workbooks, posts every person in them and shows the result; answers the persons
  // posted.
  int ImportCustomers();
  int ImportEmployees();
  // With a path imports that file, otherwise the files the user chooses (none: nothing).
  CafeMemberImportResult_s ImportMemberFiles(const std::wstring& path, int kind, int firstRow);
  // Reads and posts the people of the files (the log gets a line per person and per file).
  CafeMemberImportResult_s UploadMemberFiles(const std::vector<std::wstring>& files, int kind,
                                             int firstRow);

  // What tests and the road read.
  const CCafeSelection& Selection() const { return m_selection; }
  const std::wstring& PortalUrl() const { return m_portalUrl; }
  int LayoutMode() const { return m_layoutMode; }
  wxNotebook* TopTabs() const { return m_topTabs; }
  wxNotebook* ComposerTabs() const { return m_composerTabs; }
  wxNotebook* BottomTabs() const { return m_bottomTabs; }
  // The page "종목 추천하기" (null when it could not be made).
  CStockRecDlg* Composer() const { return m_composer.get(); }
  orv::ui::ReportGridWindow* InterestGridWindow() const { return m_interestGrid; }
  wxSplitterWindow* Pane() const { return m_pane; }
  bool WaitTimerRunning() const;
  // Runs the wait timer's tick.
  void OnWaitTimerTick();

 protected:
  void OnClose() override;

 private:
  friend class CCafeDlgGridHost;

  // Forwards the cafe downloads to the grids and refreshes the window from them.
  class Filler : public ICafeFiller {
   public:
    explicit Filler(CCafeDlg& dialog) : m_dialog(dialog) {}
    void FillCafeGroups(const CafeSnapshotPtr& snapshot) override;
    void FillCafeRows(const CafeSnapshotPtr& snapshot) override;
    void SetCafeManagerFlags(int managerFlag, bool chiefManager) override;

   private:
    CCafeDlg& m_dialog;
  };

  void BuildToolbar();
  void BuildPanes();
  void BindHandlers();
  void LayoutPanes(bool redraw);
  void FillPicker();
  void ShowCafeMenu();
  void OpenCafePage(CafePage page, int32_t cafe);
  void OpenAdminPage();
  void OnAutoBuyCmd();
  int ImportMembersAndReport(int kind);
  // The workbooks the user picks in the file dialog (none when cancelled).
  std::vector<std::wstring> ChooseMemberFiles();
  void SaveLayout();
  void LoadLayout();
  int32_t PickerCafe() const;
  int32_t MemberIndex() const;
  CafeSnapshotPtr Snapshot() const;
  size_t MasterStocks() const;

  CPelomarView& m_view;
  Filler m_filler{*this};
  CCafeSelection m_selection;
  wxWindow* m_parent = nullptr;
  wxSplitterWindow* m_pane = nullptr;
  wxPanel* m_main = nullptr;
  wxNotebook* m_topTabs = nullptr;
  wxNotebook* m_composerTabs = nullptr;
  wxNotebook* m_bottomTabs = nullptr;
  orv::ui::CWebPage* m_portal = nullptr;  // the browser is made on the first page loaded
  wxStaticText* m_notice = nullptr;
  orv::ui::ReportGridWindow* m_interestGrid = nullptr;
  orv::ui::ReportGridWindow* m_memberGrid = nullptr;
  orv::ui::ReportGridWindow* m_expertGrid = nullptr;
  CafeSnapshotPtr m_cafes;  // the cafe data the downloads handed over last
  std::unique_ptr<wxTimer> m_waitTimer;
  std::unique_ptr<CStockRecDlg> m_composer;
  std::unique_ptr<ICafeRecComposer> m_recComposer;  // the composer for the grid's handlers
  std::wstring m_portalUrl;
  std::vector<std::wstring> m_memberFiles;  // the files of the running import only
  int m_layoutMode = -1;
  int m_checkToggle = 0;
  int m_toolbarHeight = 0;
  std::unique_ptr<ICafeGridHost> m_gridHost;
  std::unique_ptr<CCafeGridActions> m_gridActions;
  std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// The program's services to the grid actions of `dialog` (CafeDlgGridActions.cpp).
std::unique_ptr<ICafeGridHost> MakeCafeDlgGridHost(CCafeDlg& dialog);

// Installs the maker that gives the trading view this dialog (the plug-in's start-up calls it).
void InstallCafeDialogMaker();

#pragma once
// The cafe data view: a child view of the trading view with two pages, "카페관심종목" (the
// recommended stocks of the cafe picked in its toolbar, filled by the cafe worker's downloads)
// and "회원관리" (the cafe member grid), a toolbar, the grids' context menus with hiding and
// showing of columns (the cafe grid's width text is kept when the view goes), and the
// embedded-view behaviour through which the host's commands reach it.
//
// The view downloads no cafe data itself: picking a cafe, refreshing and logging in ask the
// trading view's cafe worker for that cafe's data, and the worker's results come back through the
// view's fillers. A third page, "고객관리", holds the client list (CClientList) in a grid of its
// own: downloaded from the web server, filtered by the toolbar's client controls (shown while
// that page is up), edited in the grid or the record editor, saved and deleted on the server.
//
// Threads: everything runs on the user-interface thread (the cafe worker posts its results to
// it).

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/DbViewBase.h"
#include "platform/ui/model/ReportCtrl.h"
#include "plugin/community/CafeDataViewRoutes.h"
#include "plugin/community/CafeService.h"
#include "plugin/community/ClientList.h"

class CPelomarView;
class wxNotebook;
class wxChoice;
class wxTextCtrl;
class wxButton;
class wxMenu;
class wxDatePickerCtrl;
class wxTimer;
class CCafeViewToolbar;
struct Stock_s;

namespace orv::ui {
class ReportGridWindow;
}

// Control ids of the view.
constexpr int IDC_CAFE_VIEW_TABS = 2300;
constexpr int IDC_CAFE_VIEW_GRID = 2524;
constexpr int IDC_CAFE_VIEW_MEMBER_GRID = 1310;
constexpr int IDC_CAFE_VIEW_CLIENT_GRID = 2525;
constexpr int kCafeViewClientPage = 2;
constexpr int IDC_CAFE_VIEW_TOOLBAR = 0xE800 & 0x7FFF;
// Toolbar controls and commands.
constexpr int ID_CAFE_VIEW_PICKER = 393;
constexpr int ID_CAFE_VIEW_CUSTOMER_KIND = 557;
constexpr int ID_CAFE_VIEW_GROUP = 589;
constexpr int ID_CAFE_VIEW_KEYWORD = 597;
constexpr int ID_CAFE_VIEW_CARD_COMPANY = 702;
constexpr int ID_CAFE_VIEW_COUNT = 709;
constexpr int ID_CAFE_VIEW_PAGE = 787;
constexpr int ID_CAFE_VIEW_END_DATE = 434;
constexpr int ID_CAFE_VIEW_START_DATE = 899;
constexpr int ID_CAFE_VIEW_REFRESH = 481;
constexpr int ID_CAFE_VIEW_DELETE = 451;
constexpr int ID_CAFE_VIEW_SAVE = 57603;
constexpr int ID_CAFE_VIEW_HIDE_COLUMN = 592;
constexpr int ID_CAFE_VIEW_SHOW_COLUMNS = 679;
// Printing, preview and the clipboard (the cafe grid), and the small tools.
constexpr int ID_CAFE_VIEW_PRINT = 57607;
constexpr int ID_CAFE_VIEW_PRINT_ALT = 470;
constexpr int ID_CAFE_VIEW_PRINT_DIRECT = 57608;
constexpr int ID_CAFE_VIEW_PRINT_TARGET = 473;
constexpr int ID_CAFE_VIEW_PREVIEW_TARGET = 477;
constexpr int ID_CAFE_VIEW_PREVIEW = 57609;
constexpr int ID_CAFE_VIEW_COPY_ALL = 428;
constexpr int ID_CAFE_VIEW_OPEN = 57601;  // a client workbook
constexpr int ID_CAFE_VIEW_DICTIONARY = 989;
constexpr int ID_CAFE_VIEW_TIMER = 267;
constexpr int kCafeViewTimerId = 1;
constexpr int kCafeViewTimerMs = 1000;
constexpr int ID_CAFE_VIEW_ADD = 10011;
constexpr int ID_CAFE_VIEW_EDIT = 578;
constexpr int ID_CAFE_VIEW_SEARCH = 670;
// The client page's menu command that downloads the list again (the host's reload code).
constexpr int ID_CAFE_VIEW_RELOAD_CLIENTS = 13;

// The client grid's layout: one column per cell of a client row.
extern const wchar_t kClientGridLayout[];

// The view's language key; its width texts are kept under it.
extern const wchar_t kCafeDataViewKey[];

class CCafeDataView : public CDbBaseNormalView,
                      public ICafeFiller,
                      private ICafeDataViewActions {
 public:
  // `owner` is the trading view (null for a view made without one, as the runtime class does).
  explicit CCafeDataView(CPelomarView* owner);
  ~CCafeDataView() override;
  bool Destroy() override;
  // The trading view the view asks for cafe data (one made from the runtime class has none).
  void SetOwner(CPelomarView* owner) { m_owner = owner; }

  // Builds the toolbar, the tabs and the grids once; later calls leave them as they are.
  void OnInitialUpdate();

  // --- Operations the trading view and the cafe worker call ---
  // The client list download (CClientList::Fetch) on the handle (null: a fresh one); nothing
  // while nobody is logged in. Answers 1 when a reply was read as XML.
  int FetchClientList(CURL* curl, const wchar_t* keyword, int page, int count, bool refill);
  // Page 1 with the page size, from a fresh handle, and the page list.
  int FetchClientList(bool refill);
  // Sends the modified rows (delete mode 0) or deletes the selected rows; answers the rows the
  // server confirmed.
  int UploadClients(CURL* curl, int deleteMode);
  int UploadClients(int deleteMode) { return UploadClients(nullptr, deleteMode); }
  // The upload on a fresh handle.
  int SaveModifiedClients(int deleteMode) { return UploadClients(nullptr, deleteMode); }
  // The local filter over the downloaded clients; answers the rows shown.
  int ApplyClientFilter();
  // Rebuilds the page picker from the list's total count.
  void FillPageList();
  // The picked page of the client grid.
  int FetchGridPage(CURL* curl, int gridId, bool refill);
  // Adds a cafe grid row for every stock of `items` not shown yet (row slot of this view).
  int AddCafeItemRows(const std::map<std::wstring, Stock_s*>& items, int32_t cafeIndex,
                      int unused, bool clearFirst);
  // Fills column 2 of the cafe grid and the cafe picker; `select` negative: the selected cafe.
  // Answers the cafe the picker now selects.
  int32_t FillCafeConstraints(const CafeMap& cafes, int32_t select);
  orv::ui::CMyReportCtrl& GetReportCtrl() { return m_cafeGrid; }
  // The client list and its grid (the workbook import and printing work on them too).
  CClientList& Clients() { return *m_clients; }
  orv::ui::CMyReportCtrl& ClientGrid() { return m_clientGrid; }

  // ICafeFiller: the cafe worker's results.
  void FillCafeGroups(const CafeSnapshotPtr& snapshot) override;
  void FillCafeRows(const CafeSnapshotPtr& snapshot) override;
  void SetCafeManagerFlags(int, bool) override {}

  // --- Embedded-view operations ---
  int64_t OnReceivedMsgFromManager(int kind, UINT code, WPARAM wParam, LPARAM lParam,
                                   void* data) override;
  int RefreshWindowAll(int value, SYSTEMTIME* from, SYSTEMTIME* to, const wchar_t* text,
                       void* data, wchar_t ch, uint8_t flag) override;
  int RefreshWindow(int command, int value, SYSTEMTIME* from, SYSTEMTIME* to, const wchar_t* text,
                    void* data, wchar_t ch, uint8_t flag) override;
  int RefreshUITextByLanguageId(int languageId) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  // --- The user's commands (toolbar, context menus) ---
  bool OnCommand(int id);
  // The cafe picker's selection changed.
  void OnCafePicked();
  // The record editor on a client row (the new row for Add); OK writes what was typed into it.
  // Answers the dialog's result.
  int EditClient(CWX_CLIENTS_Record* row, int mode);

  // Adds the clients of a workbook (.xlsx or .xls, its client sheet from row 2) to the client
  // list as new, modified rows, which the next save sends; answers the rows added. Another
  // extension, a file that does not load or a workbook without the sheets adds nothing.
  int ImportClientsFromExcel(const std::wstring& path);

  // The 1-second timer of the toolbar's switch (its ticks do nothing).
  bool TimerRunning() const;
  // The print preview the view opened last, while it is open.
  wxWindow* PreviewFrame() const;

  // What the view shows and keeps (for the program's own checks and tests).
  orv::ui::CMyReportCtrl& MemberGrid() { return m_memberGrid; }
  wxNotebook* Tabs() const { return m_tabs; }
  wxChoice* CafePicker() const { return m_cafePicker; }
  wxWindow* ToolbarControl(int id) const;
  int32_t SelectedCafe() const { return m_selectedCafe; }
  const CafeRecord_s* SelectedCafeRecord() const { return m_selectedCafeRecord.get(); }
  int LanguageId() const { return m_languageId; }
  bool LayoutChanged() const { return m_layoutChanged; }
  // The cafe grid's width text: columns 1 to the last, "?" before a hidden one.
  std::wstring CafeGridWidthText() const;

 private:
  // ICafeDataViewActions
  bool IsLoggedIn() const override;
  int UploadModifiedClients() override { return UploadClients(0); }
  void ShowFetchingWindow() override;
  void HideFetchingWindow() override { HideWaitingWnd(); }
  void ReloadClientList(bool refill) override;
  void EnableView(bool enable) override { Enable(enable); }
  // Logged out: the cafe rows and the client list go.
  void EmptyCafeGrid() override;
  void SendToWindow(UINT message, WPARAM wParam, LPARAM lParam) override;
  void SetCurBranchIdx(int32_t company, int32_t branch) override;
  void ApplyLanguage(int languageId) override;

  void CreateToolbar();
  void CreateTabsAndGrids();
  void CreateClientPage();
  // The client controls of the toolbar show while the client page is up.
  void ShowClientTools(bool show);
  LRESULT OnClientGridNotify(orv::ui::ReportNotify& nm);
  void OnSaveClients();
  void OnDeleteClients();
  void OnAddClient();
  void OnEditClient();
  void OnSearchClients();
  void FillGroupPicker();
  void ShowClientCount(int count);
  // A message text of the view in its language (the English text as default).
  std::wstring Text(const wchar_t* key, const wchar_t* english);
  void EmptyStockRows();
  void LayOut();
  LRESULT OnGridNotify(orv::ui::ReportNotify& nm);
  void PopupGridMenu(wxMenu& menu);
  // Asks the cafe worker for the selected cafe's members and recommended stocks.
  void RequestCafeReload();
  // Keeps the cafe grid's width text when the user changed its columns (once).
  void SaveColumnLayout();
  // Printing, preview, the clipboard and the small tools (CafeDataViewTools.cpp): true when
  // `id` is one of theirs.
  bool OnToolCommand(int id);
  // Asks for a client workbook and imports it.
  void OpenClientWorkbook();
  void AcceptDroppedWorkbooks(wxWindow* window);
  // The grid printing and copying work on: the client list while its page is up, else the
  // cafe grid.
  orv::ui::CMyReportCtrl& PrintTarget();
  void ToggleTimer();
  void ClosePreview();
  double Scale() const;

  CPelomarView* m_owner = nullptr;
  bool m_initialized = false;
  CCafeViewToolbar* m_toolbar = nullptr;
  wxNotebook* m_tabs = nullptr;
  wxChoice* m_cafePicker = nullptr;
  wxTextCtrl* m_keywordBox = nullptr;
  wxDatePickerCtrl* m_startDate = nullptr;
  wxDatePickerCtrl* m_endDate = nullptr;
  orv::ui::CMyReportCtrl m_cafeGrid;
  orv::ui::CMyReportCtrl m_memberGrid;
  orv::ui::CMyReportCtrl m_clientGrid;
  std::unique_ptr<CClientList> m_clients;
  std::unique_ptr<wxMenu> m_headerMenu;
  std::unique_ptr<wxMenu> m_bodyMenu;
  std::unique_ptr<wxTimer> m_timer;
  wxWindow* m_preview = nullptr;  // cleared when the preview frame goes
  std::unique_ptr<wxMenu> m_clientMenu;
  wxChoice* m_kindPicker = nullptr;
  wxChoice* m_groupPicker = nullptr;
  wxChoice* m_pagePicker = nullptr;
  wxButton* m_countButton = nullptr;
  std::vector<int32_t> m_groupValues;
  CWX_CLIENTS_Record* m_editedRecord = nullptr;

  // The view's own records of the recommended stocks its rows point at (never the engine's).
  std::map<std::wstring, std::unique_ptr<Stock_s>> m_stocks;
  int32_t m_rowsCafe = -1;  // the cafe whose stocks the rows show
  std::vector<int32_t> m_pickerValues;  // the cafe index of each picker entry

  int32_t m_selectedCafe = 0;
  CafeRecordPtr m_selectedCafeRecord;
  int32_t m_cardCompany = 1;
  int32_t m_curCompany = 0;
  int32_t m_curBranch = 0;
  int m_refreshArg = 0;
  int m_languageId = 0;
  int m_clickedGridId = 0;
  int m_clickedColumn = -1;
  bool m_layoutChanged = false;
  bool m_layoutSaved = false;
  bool m_firstShown = false;
  SYSTEMTIME m_startTime{};
  SYSTEMTIME m_endTime{};
};

#pragma once
// The trading view's settings dialog "환경설정": the whole trading configuration in one
// property grid (SettingsRows.h), saved into the catalogue (StockCfgSave.h) and handed back
// to the view, which applies it. Made once, hidden, by the view; shown and hidden after that.

#include <wx/dialog.h>
#include <wx/weakref.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "plugin/settings/SettingsRows.h"
#include "plugin/view/ChildWindows.h"

class wxPropertyGrid;
class wxPropertyGridEvent;
class wxPGProperty;
class wxStaticText;
class wxTimer;
class wxGUIEventLoop;

class CStockCfgDlg : public CPelomarSettingsDialog {
 public:
  explicit CStockCfgDlg(CPelomarView& view);
  ~CStockCfgDlg() override;

  bool CreateFromTemplate(int templateId, wxWindow* parent) override;
  void SetOwnerWnd(wxWindow* owner, bool modal) override;
  void ShowDialog(wxWindow* owner, bool modal, bool reload, int tab) override;
  void HideDialog() override;
  void CenterWindow() override;
  void ShowWindow(bool show) override;
  void SetOptions(stock_option_s* options, sqlite3* db) override;
  void FillSelectorConstraints(GroupInfoMap* accounts, int flag) override;

  // Rebuilds every row from the configuration.
  void BuildSettingsGrid();
  // The save button: checks, asks, stores, applies and hides. True when it was stored.
  bool OnSaveSettings();
  // Stores the configuration; 1 when stored, else 0 with the reason in the message.
  int SaveSettingsToDb(std::wstring* message, int* length);
  // Loads an account's login, keys and alias from a text file into its rows and fields; true
  // when the file gave at least two values.
  bool ImportLoginInfo(int account, const std::string& utf8Path);
  // The in-place buttons: the account's load button asks for the file; the nickname and
  // e-mail buttons change the signed-in user's values.
  void OnGridButton(const SettingsRow& row);
  // The window closes as a cancel would: it hides.
  void OnClose();

  wxDialog* Window() const;
  wxPropertyGrid* Grid() const { return m_grid; }
  const std::vector<SettingsRow>& Rows() const { return m_rows; }
  bool Shown() const { return m_shown; }
  int Countdown() const { return m_countdown; }

 private:
  class Window_;
  void RepositionControls();
  void FitToLabels();
  void OnGridChanging(wxPropertyGridEvent& event);
  void OnGridChanged(wxPropertyGridEvent& event);
  void OnTimer();
  void SetRowText(size_t index, const std::wstring& text);
  wxPGProperty* PropertyOf(size_t index) const;
  std::wstring ShownChoiceText(const SettingsRow& row) const;
  SettingsSources Sources();

  CPelomarView& m_view;
  wxWeakRef<wxDialog> m_window;
  wxPropertyGrid* m_grid = nullptr;
  wxWindow* m_tabs = nullptr;
  wxWindow* m_saveButton = nullptr;
  wxStaticText* m_notice = nullptr;     // the static 3755
  wxStaticText* m_countLabel = nullptr;  // the static 1305
  std::unique_ptr<wxTimer> m_timer;
  stock_option_s* m_options = nullptr;
  sqlite3* m_db = nullptr;
  StockCfgValues m_values;
  std::map<std::wstring, int> m_conditions;
  std::vector<SettingsRow> m_rows;
  std::wstring m_accounts;
  wxWindow* m_owner = nullptr;
  bool m_modal = false;
  bool m_shown = true;
  wxGUIEventLoop* m_modalLoop = nullptr;
  int m_countdown = 0;
  uint32_t m_appliedTick = 0;
  bool m_appliedOnce = false;
};

// The maker the plug-in's start-up installs for the view's settings dialog.
std::unique_ptr<CPelomarSettingsDialog> MakeStockCfgDlg(CPelomarView& view);

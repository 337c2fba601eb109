#pragma once
// CStairWatchDlg: the dark step ("계단") watch dialog in which the user sets the step
// stop-loss and take-profit rules (loss-cut lines, and a minimum profit and step interval per
// profit band) and applies them to the holding it was opened for. The rules live in the
// dialog's own fields, which the property grid edits in place; the engine receives them by the
// holding's key and applies them under its lock. The status light shows whether the holding's
// watch and automatic sale were started.

#include <map>
#include <memory>
#include <string>

#include "platform/ui/ControlDialog.h"
#include "plugin/view/ChildWindows.h"
#include "plugin/view/engine/StairRules.h"
#include "plugin/view/engine/ViewSnapshots.h"

class wxButton;
class wxPropertyGrid;
class wxPropertyGridEvent;
class wxPGProperty;
class wxWindow;

// Control ids of template 3178 and of the controls made at initialisation.
enum StairWatchId : int {
  IDC_SW_COUNT = 19002,
  IDC_SW_GRID = 365,
  IDC_SW_APPLY = 19004,
  IDC_SW_CLOSE = 983,
  IDC_SW_START = 19005,
  IDC_SW_LIGHT = 19006,
  IDC_SW_LABEL = 3759,
  IDC_SW_LABEL2 = 3755,
};

// Where RecalcLayout places the controls in a client rectangle at display scale s.
struct StairLayout_s {
  RECT count, grid, close, label, label2, apply, start, light;
};
StairLayout_s ComputeStairLayout(const RECT& client, double scale);

// The status light's fill by state: 0 red, 1 amber, 2 green, 3 grey, anything else light grey.
COLORREF StatusLightColour(int state);
// The light's ellipse: the rectangle shrunk on every side by a sixth of its smaller side.
RECT StatusLightEllipse(const RECT& client);

// The owner-drawn status light (a static control that paints a coloured ellipse).
class CStatusLightCtrl;

class CStairWatchDlg : public CPelomarStairDialog {
 public:
  CStairWatchDlg(int stockCount, wxWindow* parent, CPelomarView& view);
  ~CStairWatchDlg() override;

  // --- CPelomarStairDialog ---
  bool CreateFromTemplate(int templateId, wxWindow* parent) override;
  void ShowDialog(wxWindow* owner, bool modal, bool reload, int tab) override;
  void HideDialog() override;
  void CenterWindow() override;
  void ShowWindow(bool show) override;
  void SetHolding(const HoldingRow_s& holding) override;
  void SetStockCount(int count) override;

  // Stores the state and repaints the light when it differs; false when nothing changed.
  bool SetLightState(int state);
  int LightState() const { return m_lightState; }

  // The rule fields the grid is bound to.
  const StairRules_s& Rules() const { return m_rules; }

  void OnBnClickedApply();
  void OnBnClickedStart();
  void OnBnClickedClose();

  // What tests and the road read.
  wxWindow* GetWindow() const;
  orv::ui::CControlDialog& Form() { return m_form; }
  wxPropertyGrid* Grid() const { return m_grid; }
  const HoldingKey_s& HoldingKey() const { return m_holding.key; }
  bool IsDragging() const { return m_dragging; }

 private:
  void OnInitDialog();
  void BuildPropertyGrid();
  void RecalcLayout();
  void OnGridChanged(wxPropertyGridEvent& event);
  wxPGProperty* AddRuleRow(wxPGProperty* parent, const std::wstring& caption, double value,
                           double* field, const StairRange_s& range);

  CPelomarView& m_view;
  orv::ui::CControlDialog m_form;
  wxPropertyGrid* m_grid = nullptr;
  CStatusLightCtrl* m_light = nullptr;
  wxButton* m_close = nullptr;
  StairRules_s m_rules;
  std::map<wxPGProperty*, std::pair<double*, StairRange_s>> m_bindings;
  HoldingRow_s m_holding;
  bool m_hasHolding = false;
  int m_stockCount = 0;
  int m_lightState = 0;
  bool m_dragging = false;
  int m_dragOffsetX = 0;
  int m_dragOffsetY = 0;
  std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

// Installs the maker that gives the trading view this dialog for its step watch role.
void InstallStairWatchMaker();

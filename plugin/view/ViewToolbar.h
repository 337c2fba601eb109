#pragma once
// The trading view's command bar: the toolbar controls by command id (combo boxes, check
// boxes, edit boxes, date pickers and progress bars), each with its caption and tooltip. The
// bar shows the controls that fit its width whole in one row; when some do not, a button at
// the row's end expands the bar to further rows with the rest, and collapses it again.

#include <wx/panel.h>

class wxButton;

#include <map>
#include <set>
#include <vector>

#include "plugin/view/ViewLayout.h"

enum class ToolbarControlKind { Combo, Check, Edit, Date, Progress, Button };

// The bar's button that opens the view's command menu.
constexpr int IDC_COMMAND_MENU_BUTTON = 4510;

// The 16x16 picture of a command button, drawn on a magenta (masked) ground; an invalid
// bitmap for an id without one.
class wxBitmap;
wxBitmap CommandButtonImage(int id);

struct ToolbarControlSpec {
  int id;
  ToolbarControlKind kind;
  int style;  // combo: 0 edit, 2 list, 3 list (owner-drawn); progress: 3 smooth
  const wchar_t* caption;
  const wchar_t* tooltip;
  int width;    // before the scale factor (combo boxes and check boxes only)
  bool hidden;  // created hidden
};

// The control of an id, or null when the id has no control.
const ToolbarControlSpec* FindToolbarControl(int id);
// Every control, in the bar's order.
const std::vector<ToolbarControlSpec>& ToolbarControls();
// Ids that are plain buttons of the bar (no control is made for them).
bool IsToolbarButtonId(int id);

class CViewCommandBar : public wxPanel {
 public:
  CViewCommandBar(wxWindow* parent, int id, double scale);

  // Makes the control of an id; false when the id is not listed or the control exists.
  bool CreateControl(int id);
  wxWindow* Control(int id) const;
  // Shows or hides a control with its caption for the program (not for want of room): a
  // hidden one stays hidden when the bar is expanded.
  void ShowControl(int id, bool show);
  std::vector<int> ControlIds() const;
  // The control's tooltip text (empty without one).
  wxString ToolTipOf(int id) const;
  bool SetToolTipOf(int id, const wxString& text);
  // The height of the bar docked over `width` pixels.
  int CalcDockedHeight(int width);
  // The caption shown beside a control (null without one).
  wxWindow* Label(int id) const;
  // Places the shown controls in rows over the bar's width.
  bool Layout() override;
  // The button that expands and collapses the bar (shown only when controls do not fit).
  wxButton* MoreButton() const { return more_; }
  bool IsExpanded() const { return expanded_; }
  // Expands (all controls in as many rows as they need) or collapses (one row); the parent is
  // laid out again for the new height.
  void SetExpanded(bool expanded);

 private:
  struct Item {
    int id;
    wxWindow* label;  // may be null
    wxWindow* control;
  };
  // The items the program shows (an item hidden only because it did not fit counts), and
  // where they go for a width, in the items' order; `more` tells whether the button is needed.
  std::vector<const Item*> ShownItems() const;
  BarPlacement_s Place(int width, bool* more) const;
  int MoreButtonWidth() const;
  void OnSize(wxSizeEvent& event);

  double scale_;
  std::map<int, wxWindow*> controls_;
  std::map<int, wxWindow*> labels_;
  std::vector<Item> items_;
  std::set<int> overflow_;  // ids hidden because they did not fit the collapsed bar
  wxButton* more_ = nullptr;
  bool expanded_ = false;
};

#pragma once
// The trading view's command bar: the toolbar controls by command id (combo boxes, check
// boxes, edit boxes, date pickers and progress bars), each with its caption and tooltip, in
// one docked row.

#include <wx/panel.h>

#include <map>
#include <vector>

enum class ToolbarControlKind { Combo, Check, Edit, Date, Progress };

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
  std::vector<int> ControlIds() const;
  // The control's tooltip text (empty without one).
  wxString ToolTipOf(int id) const;
  bool SetToolTipOf(int id, const wxString& text);
  // The height of the bar docked over `width` pixels.
  int CalcDockedHeight(int width);

 private:
  double scale_;
  std::map<int, wxWindow*> controls_;
  std::map<int, wxWindow*> labels_;
};

#pragma once
// A dialog whose controls are made in code with the ids, texts and kinds the dialogs use, and
// are then reached by id (text, check state, enable, show, combo lists by option value), with
// the pseudo-modal show and hide: ShowDialog shows the window centred and in front and, when
// modal with an owner, disables the owner and runs a loop until HideDialog, which hides the
// window, re-enables the owner and ends the loop with IDCANCEL. Closing the window only hides.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/ui/model/OptionList.h"
#include "platform/ui/model/ReportNotify.h"
#include "platform/win/WinTypes.h"

class wxWindow;
class wxDialog;
class wxGUIEventLoop;

namespace orv::ui {

class CMyReportCtrl;
class ReportGridWindow;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

enum class CtrlKind {
  Static,     // a label
  Edit,       // a one-line edit box
  EditMulti,  // a multi-line edit box
  Password,   // a masked edit box
  Button,
  CheckBox,
  Radio,
  RadioGroup,  // a radio button that starts a new group (the ones after it join it)
  ComboList,  // a drop-down list (choose only)
  ComboEdit,  // a drop-down with an edit box
  Group,      // a group frame with a caption
};

class CControlDialog {
 public:
  CControlDialog();
  virtual ~CControlDialog();
  CControlDialog(const CControlDialog&) = delete;
  CControlDialog& operator=(const CControlDialog&) = delete;

  // Makes the (hidden) window; false when it exists already.
  bool Create(wxWindow* parent, std::wstring_view title, int width, int height);
  // Makes the controls' window as a (hidden) child panel of `parent` instead of a dialog: a
  // side panel that lives inside another window. ShowDialog and HideDialog do nothing then.
  // The panel is a wxScrolledWindow: it scrolls vertically when its owner gives it a virtual
  // height above its client height.
  bool CreateChild(wxWindow* parent, int id, int width, int height);
  wxDialog* GetWindow() const { return dialog_; }
  // The window that holds the controls: the dialog, or the child panel.
  wxWindow* GetHostWindow() const { return host_; }

  // ---- controls by id
  // Adds a control at `rc` (dialog client pixels); false when the id is taken or not created.
  bool AddControl(int id, CtrlKind kind, std::wstring_view text, const RECT& rc);
  // Places a report grid for `model` with the columns of `layout`; nullptr on a bad layout or
  // a taken id. Its notifications reach OnGridNotify handlers.
  ReportGridWindow* AddReportGrid(int id, CMyReportCtrl& model, std::wstring_view layout,
                                  const RECT& rc);
  wxWindow* GetDlgItem(int id) const;
  bool SetDlgItemText(int id, std::wstring_view text);
  std::wstring GetDlgItemText(int id) const;
  bool CheckDlgButton(int id, bool checked);
  bool IsDlgButtonChecked(int id) const;
  bool EnableDlgItem(int id, bool enable);
  bool IsDlgItemEnabled(int id) const;
  bool ShowDlgItem(int id, bool show);
  bool IsDlgItemShown(int id) const;

  // Fills a combo box from an option list (labels shown, values kept) and selects `current`
  // (nothing selected when it is not listed); answers the number of entries, -1 for no combo.
  int FillComboFromOptions(int id, const COptionList& options, int64_t current);
  int FillComboFromOptions(int id, std::wstring_view optionText, int64_t current,
                           wchar_t sep = L';');
  bool SelectComboByValue(int id, int64_t value);
  bool SelectComboByLabel(int id, std::wstring_view label);
  // The value of the selected entry; false when nothing is selected.
  bool GetComboValue(int id, int64_t* value) const;

  // ---- handlers (message-map style)
  // Button clicks, check and radio toggles, combo selections and Enter in an edit box.
  void OnCommand(int id, std::function<void()> handler);
  // Notifications of the grid `id` with `code`.
  void OnGridNotify(int id, int code, std::function<LRESULT(ReportNotify&)> handler);
  // Runs the command handler of `id` as a click would (also used by tests).
  bool SendCommand(int id);

  // ---- showing
  int ShowDialog(wxWindow* owner, bool modal);
  void HideDialog();
  bool IsDialogShown() const { return shown_; }
  bool IsModalLoopRunning() const;

  // Sets the font of the dialog and of every control on it.
  void SetDialogFont(std::wstring_view faceName, int pointSize, bool bold = false);

 protected:
  // The close box: hides by default.
  virtual void OnClose() { HideDialog(); }

 private:
  struct Control;
  Control* Find(int id) const;
  LRESULT RouteGridNotify(ReportNotify& nm);

  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  wxDialog* dialog_ = nullptr;
  wxWindow* host_ = nullptr;
  std::map<int, std::unique_ptr<Control>> controls_;
  std::map<int, std::function<void()>> commands_;
  std::map<std::pair<int, int>, std::function<LRESULT(ReportNotify&)>> gridHandlers_;
  wxWindow* owner_ = nullptr;
  bool modal_ = false;
  bool shown_ = false;
  wxGUIEventLoop* loop_ = nullptr;
  int loopResult_ = 0;
};

}  // namespace orv::ui

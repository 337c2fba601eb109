#include "platform/ui/ControlDialog.h"

#include <wx/evtloop.h>
#include <wx/grid.h>
#include <wx/scrolwin.h>
#include <wx/statbox.h>
#include <wx/wx.h>

#include "platform/ui/ReportGridWindow.h"
#include "platform/ui/model/ReportCtrl.h"

namespace orv::ui {

struct CControlDialog::Control {
  CtrlKind kind = CtrlKind::Static;
  wxWindow* window = nullptr;
  ReportGridWindow* grid = nullptr;
  std::vector<int64_t> values;  // combo entries' option values, in list order
};

CControlDialog::CControlDialog() = default;

CControlDialog::~CControlDialog() {
  if (loop_) loop_->Exit(IDCANCEL);
  if (owner_ && !owner_->IsEnabled()) owner_->Enable(true);
  *alive_ = false;  // bound handlers of the window outlive this object until it is deleted
  if (host_) host_->Destroy();
}

bool CControlDialog::CreateChild(wxWindow* parent, int id, int width, int height) {
  if (host_ || !parent) return false;
  // The panel scrolls vertically once its content is taller than the pane it sits in (its
  // owner sets the content's height as the virtual size).
  auto* panel = new wxScrolledWindow(parent, id, wxDefaultPosition, wxSize(width, height),
                                     wxTAB_TRAVERSAL | wxCLIP_CHILDREN | wxVSCROLL);
  panel->SetScrollRate(0, 8);
  panel->ShowScrollbars(wxSHOW_SB_NEVER, wxSHOW_SB_DEFAULT);
  host_ = panel;
  host_->Hide();
  // The parent may go first (a host pane closed with its frame): the panel and its controls
  // are gone then, and nothing may reach them any more.
  host_->Bind(wxEVT_DESTROY, [this, alive = alive_, panel = host_](wxWindowDestroyEvent& e) {
    if (*alive && e.GetEventObject() == panel) {
      host_ = nullptr;
      controls_.clear();
    }
    e.Skip();
  });
  return true;
}

bool CControlDialog::Create(wxWindow* parent, std::wstring_view title, int width, int height) {
  if (host_) return false;
  host_ = dialog_ = new wxDialog(parent, wxID_ANY, wxString(std::wstring(title)), wxDefaultPosition,
                         wxSize(width, height), wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER);
  dialog_->SetClientSize(width, height);
  dialog_->Bind(wxEVT_CLOSE_WINDOW, [this, alive = alive_](wxCloseEvent& e) {
    if (*alive && e.CanVeto()) {
      e.Veto();
      OnClose();
    } else {
      e.Skip();
    }
  });
  return true;
}

CControlDialog::Control* CControlDialog::Find(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second.get();
}

bool CControlDialog::AddControl(int id, CtrlKind kind, std::wstring_view text, const RECT& rc) {
  if (!host_ || Find(id)) return false;
  const wxString label(std::wstring{text});
  const wxPoint pos(rc.left, rc.top);
  const wxSize size(rc.right - rc.left, rc.bottom - rc.top);
  wxWindow* w = nullptr;
  switch (kind) {
    case CtrlKind::Static:
      w = new wxStaticText(host_, id, label, pos, size);
      break;
    case CtrlKind::Edit:
      w = new wxTextCtrl(host_, id, label, pos, size, wxTE_PROCESS_ENTER);
      break;
    case CtrlKind::EditMulti:
      w = new wxTextCtrl(host_, id, label, pos, size, wxTE_MULTILINE);
      break;
    case CtrlKind::Password:
      w = new wxTextCtrl(host_, id, label, pos, size, wxTE_PASSWORD | wxTE_PROCESS_ENTER);
      break;
    case CtrlKind::Button:
      w = new wxButton(host_, id, label, pos, size);
      break;
    case CtrlKind::CheckBox:
      w = new wxCheckBox(host_, id, label, pos, size);
      break;
    case CtrlKind::Radio:
      w = new wxRadioButton(host_, id, label, pos, size);
      break;
    case CtrlKind::RadioGroup:
      w = new wxRadioButton(host_, id, label, pos, size, wxRB_GROUP);
      break;
    case CtrlKind::ComboList:
      w = new wxComboBox(host_, id, wxString(), pos, size, 0, nullptr, wxCB_READONLY);
      break;
    case CtrlKind::ComboEdit:
      w = new wxComboBox(host_, id, label, pos, size, 0, nullptr, wxTE_PROCESS_ENTER);
      break;
    case CtrlKind::Group:
      w = new wxStaticBox(host_, id, label, pos, size);
      break;
  }
  if (!w) return false;
  auto control = std::make_unique<Control>();
  control->kind = kind;
  control->window = w;
  auto run = [this, id, alive = alive_](wxCommandEvent&) {
    if (*alive) SendCommand(id);
  };
  switch (kind) {
    case CtrlKind::Button:
      w->Bind(wxEVT_BUTTON, run);
      break;
    case CtrlKind::CheckBox:
      w->Bind(wxEVT_CHECKBOX, run);
      break;
    case CtrlKind::Radio:
    case CtrlKind::RadioGroup:
      w->Bind(wxEVT_RADIOBUTTON, run);
      break;
    case CtrlKind::ComboList:
    case CtrlKind::ComboEdit:
      w->Bind(wxEVT_COMBOBOX, run);
      w->Bind(wxEVT_TEXT_ENTER, run);
      break;
    case CtrlKind::Edit:
    case CtrlKind::Password:
      w->Bind(wxEVT_TEXT_ENTER, run);
      break;
    default:
      break;
  }
  controls_[id] = std::move(control);
  return true;
}

ReportGridWindow* CControlDialog::AddReportGrid(int id, CMyReportCtrl& model,
                                                std::wstring_view layout, const RECT& rc) {
  if (!host_ || Find(id)) return nullptr;
  ReportGridWindow* grid = GfxInitReportCtrl2(model, host_, id, layout);
  if (!grid) return nullptr;
  grid->GetWindow()->SetSize(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top);
  model.SetNotifyHandler([this, alive = alive_](ReportNotify& nm) -> LRESULT {
    return *alive ? RouteGridNotify(nm) : 0;
  });
  auto control = std::make_unique<Control>();
  control->window = grid->GetWindow();
  control->grid = grid;
  controls_[id] = std::move(control);
  return grid;
}

LRESULT CControlDialog::RouteGridNotify(ReportNotify& nm) {
  auto it = gridHandlers_.find({nm.ctrlId, nm.code});
  return it == gridHandlers_.end() ? 0 : it->second(nm);
}

wxWindow* CControlDialog::GetDlgItem(int id) const {
  Control* c = Find(id);
  return c ? c->window : nullptr;
}

bool CControlDialog::SetDlgItemText(int id, std::wstring_view text) {
  Control* c = Find(id);
  if (!c || c->grid) return false;
  const wxString s(std::wstring{text});
  if (auto* t = dynamic_cast<wxTextCtrl*>(c->window)) {
    t->ChangeValue(s);
  } else if (auto* cb = dynamic_cast<wxComboBox*>(c->window)) {
    if (c->kind == CtrlKind::ComboList) return SelectComboByLabel(id, text);
    cb->ChangeValue(s);
  } else {
    c->window->SetLabel(s);
  }
  return true;
}

std::wstring CControlDialog::GetDlgItemText(int id) const {
  Control* c = Find(id);
  if (!c || c->grid) return {};
  if (auto* t = dynamic_cast<wxTextCtrl*>(c->window)) return t->GetValue().ToStdWstring();
  if (auto* cb = dynamic_cast<wxComboBox*>(c->window)) return cb->GetValue().ToStdWstring();
  return c->window->GetLabel().ToStdWstring();
}

bool CControlDialog::CheckDlgButton(int id, bool checked) {
  Control* c = Find(id);
  if (!c) return false;
  if (auto* cb = dynamic_cast<wxCheckBox*>(c->window)) {
    cb->SetValue(checked);
    return true;
  }
  if (auto* rb = dynamic_cast<wxRadioButton*>(c->window)) {
    rb->SetValue(checked);
    return true;
  }
  return false;
}

bool CControlDialog::IsDlgButtonChecked(int id) const {
  Control* c = Find(id);
  if (!c) return false;
  if (auto* cb = dynamic_cast<wxCheckBox*>(c->window)) return cb->GetValue();
  if (auto* rb = dynamic_cast<wxRadioButton*>(c->window)) return rb->GetValue();
  return false;
}

bool CControlDialog::EnableDlgItem(int id, bool enable) {
  Control* c = Find(id);
  if (!c) return false;
  c->window->Enable(enable);
  return true;
}

bool CControlDialog::IsDlgItemEnabled(int id) const {
  Control* c = Find(id);
  return c && c->window->IsThisEnabled();
}

bool CControlDialog::ShowDlgItem(int id, bool show) {
  Control* c = Find(id);
  if (!c) return false;
  c->window->Show(show);
  return true;
}

bool CControlDialog::IsDlgItemShown(int id) const {
  Control* c = Find(id);
  return c && c->window->IsShown();
}

int CControlDialog::FillComboFromOptions(int id, const COptionList& options, int64_t current) {
  Control* c = Find(id);
  auto* cb = c ? dynamic_cast<wxComboBox*>(c->window) : nullptr;
  if (!cb) return -1;
  cb->Clear();
  c->values.clear();
  for (const auto& e : options.Entries()) {
    cb->Append(wxString(e.label));
    c->values.push_back(e.value);
  }
  int at = options.IndexOfValue(current);
  if (at >= 0) {
    cb->SetSelection(at);
  } else if (c->kind == CtrlKind::ComboList) {
    cb->SetSelection(wxNOT_FOUND);
  }
  return static_cast<int>(options.Size());
}

int CControlDialog::FillComboFromOptions(int id, std::wstring_view optionText, int64_t current,
                                         wchar_t sep) {
  COptionList options;
  if (!options.Parse(optionText, sep)) return -1;
  return FillComboFromOptions(id, options, current);
}

bool CControlDialog::SelectComboByValue(int id, int64_t value) {
  Control* c = Find(id);
  auto* cb = c ? dynamic_cast<wxComboBox*>(c->window) : nullptr;
  if (!cb) return false;
  for (size_t i = 0; i < c->values.size(); ++i) {
    if (c->values[i] == value) {
      cb->SetSelection(static_cast<int>(i));
      return true;
    }
  }
  return false;
}

bool CControlDialog::SelectComboByLabel(int id, std::wstring_view label) {
  Control* c = Find(id);
  auto* cb = c ? dynamic_cast<wxComboBox*>(c->window) : nullptr;
  if (!cb) return false;
  int at = cb->FindString(wxString(std::wstring{label}), true);
  if (at == wxNOT_FOUND) return false;
  cb->SetSelection(at);
  return true;
}

bool CControlDialog::GetComboValue(int id, int64_t* value) const {
  Control* c = Find(id);
  auto* cb = c ? dynamic_cast<wxComboBox*>(c->window) : nullptr;
  if (!cb) return false;
  int at = cb->GetSelection();
  if (at < 0 || static_cast<size_t>(at) >= c->values.size()) return false;
  *value = c->values[static_cast<size_t>(at)];
  return true;
}

void CControlDialog::OnCommand(int id, std::function<void()> handler) {
  commands_[id] = std::move(handler);
}

void CControlDialog::OnGridNotify(int id, int code, std::function<LRESULT(ReportNotify&)> handler) {
  gridHandlers_[{id, code}] = std::move(handler);
}

bool CControlDialog::SendCommand(int id) {
  auto it = commands_.find(id);
  if (it == commands_.end()) return false;
  it->second();
  return true;
}

int CControlDialog::ShowDialog(wxWindow* owner, bool modal) {
  if (!dialog_ || shown_) return 0;
  shown_ = true;
  owner_ = owner ? owner : dialog_->GetParent();
  modal_ = modal;
  dialog_->Show(true);
  dialog_->CentreOnParent();
  dialog_->Raise();
  if (!modal_ || !owner_) return 0;
  owner_->Enable(false);
  wxGUIEventLoop loop;
  loop_ = &loop;
  loopResult_ = loop.Run();
  loop_ = nullptr;
  return loopResult_;
}

void CControlDialog::HideDialog() {
  if (!dialog_) return;
  if (owner_ && modal_) owner_->Enable(true);
  dialog_->Show(false);
  shown_ = false;
  if (loop_) loop_->Exit(IDCANCEL);
  modal_ = false;
  owner_ = nullptr;
}

bool CControlDialog::IsModalLoopRunning() const { return loop_ != nullptr; }

void CControlDialog::SetDialogFont(std::wstring_view faceName, int pointSize, bool bold) {
  if (!host_) return;
  wxFont font(wxFontInfo(pointSize).FaceName(wxString(std::wstring{faceName})).Bold(bold));
  std::function<void(wxWindow*)> apply = [&](wxWindow* w) {
    w->SetFont(font);
    if (auto* grid = dynamic_cast<wxGrid*>(w)) {
      grid->SetDefaultCellFont(font);
      grid->SetLabelFont(font.Bold());
    }
    for (wxWindow* child : w->GetChildren()) apply(child);
  };
  apply(host_);
  host_->Refresh();
}

}  // namespace orv::ui

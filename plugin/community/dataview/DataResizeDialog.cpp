#include "plugin/community/dataview/DataResizeDialog.h"

#include <wx/dialog.h>

namespace {

constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;
constexpr int kGap = 6;

}  // namespace

bool CDataResizeDialog::CreateDlg() {
  const wxSize size = InitialSize();
  if (!Create(m_parent, Caption(), size.x, size.y)) return false;
  OnInitDialog();
  GetWindow()->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    event.Skip();
    OnSize();
  });
  return true;
}

int CDataResizeDialog::DoModal(bool modal) {
  if (!GetWindow() && !CreateDlg()) return orv::ui::IDCANCEL;
  return ShowDialog(m_parent, modal);
}

void CDataResizeDialog::AddOkCancel() {
  AddControl(orv::ui::IDOK, orv::ui::CtrlKind::Button, L"OK",
             RECT{0, 0, kButtonWidth, kButtonHeight});
  AddControl(orv::ui::IDCANCEL, orv::ui::CtrlKind::Button, L"Cancel",
             RECT{0, 0, kButtonWidth, kButtonHeight});
}

void CDataResizeDialog::PlaceOkCancel(int stripHeight) {
  wxDialog* dialog = GetWindow();
  if (!dialog) return;
  const wxSize client = dialog->GetClientSize();
  const int top = client.y - stripHeight + (stripHeight - kButtonHeight) / 2;
  const int cancelLeft = client.x - kButtonWidth - kGap;
  if (wxWindow* cancel = GetDlgItem(orv::ui::IDCANCEL))
    cancel->SetSize(cancelLeft, top, kButtonWidth, kButtonHeight);
  if (wxWindow* ok = GetDlgItem(orv::ui::IDOK))
    ok->SetSize(cancelLeft - kButtonWidth - kGap, top, kButtonWidth, kButtonHeight);
}

#include "plugin/community/dataview/DataInputDlg.h"

#include <wx/button.h>
#include <wx/datetime.h>
#include <wx/propgrid/advprops.h>
#include <wx/propgrid/propgrid.h>
#include <wx/propgrid/props.h>
#include <wx/sizer.h>

#include "platform/ui/DbViewBase.h"

const wchar_t kDataInputCaption[] = L"Add New Inspection Status";

namespace {

constexpr size_t kLabelChars = 256;

// The zero date of the dialog's date members: 30 December 1899.
wxDateTime ZeroDate() { return wxDateTime(30, wxDateTime::Dec, 1899); }

wxDateTime ToWx(const SYSTEMTIME& t) {
  return wxDateTime(t.wDay, static_cast<wxDateTime::Month>(t.wMonth - 1), t.wYear, t.wHour,
                    t.wMinute, t.wSecond);
}

std::optional<SYSTEMTIME> FromWx(const wxDateTime& d) {
  if (!d.IsValid() || d.IsSameDate(ZeroDate())) return std::nullopt;
  SYSTEMTIME t{};
  t.wYear = static_cast<WORD>(d.GetYear());
  t.wMonth = static_cast<WORD>(d.GetMonth() + 1);
  t.wDay = static_cast<WORD>(d.GetDay());
  t.wHour = static_cast<WORD>(d.GetHour());
  t.wMinute = static_cast<WORD>(d.GetMinute());
  t.wSecond = static_cast<WORD>(d.GetSecond());
  return t;
}

}  // namespace

CDataInputDlg::CDataInputDlg(wxWindow* parent, CDbViewBase* owner, int mode, int flag,
                             app_run_setting_s* run, login_info_s* login)
    : m_owner(owner), m_mode(mode), m_flag(flag), m_run(run), m_login(login) {
  SetParent(parent);
}

CDataInputDlg::~CDataInputDlg() = default;

void CDataInputDlg::SetClientValues(const ClientValues_s& values) { m_values = values; }

bool CDataInputDlg::CreateDialog() {
  if (m_created) return true;
  if (!wxDialog::Create(GetParent(), IDD_DATA_INPUT, wxString(kDataInputCaption),
                        wxDefaultPosition, wxSize(460, 620),
                        wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER))
    return false;
  m_created = true;
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  m_grid = new wxPropertyGrid(this, IDC_DATA_INPUT_GRID, wxDefaultPosition, wxDefaultSize,
                              wxPG_SPLITTER_AUTO_CENTER | wxPG_BOLD_MODIFIED);
  sizer->Add(m_grid, 1, wxEXPAND | wxALL, 4);
  sizer->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 6);
  SetSizer(sizer);
  Bind(wxEVT_BUTTON, &CDataInputDlg::OnOk, this, wxID_OK);
  BuildForm();
  CentreOnParent();
  return true;
}

int CDataInputDlg::DoModal() {
  if (!CreateDialog()) return wxID_CANCEL;
  return ShowModal();
}

std::wstring CDataInputDlg::Label(const EditorField_s& field) const {
  if (!m_owner) return field.caption;
  wchar_t text[kLabelChars] = {};
  m_owner->GetKeywordFromDbByLanguage(field.key.c_str(), field.caption.c_str(),
                                      field.caption.c_str(), 0, text, kLabelChars);
  return text[0] ? std::wstring(text) : field.caption;
}

void CDataInputDlg::BuildForm() {
  if (!m_grid) return;
  m_grid->Clear();
  m_fields.clear();
  const EditorForm_s form = RecordEditorForm(m_mode);
  wxPGProperty* top = nullptr;
  if (!form.top.empty()) top = m_grid->Append(new wxPropertyCategory(wxString(form.top)));
  int n = 0;
  for (const EditorCategory_s& category : form.categories) {
    auto* group = new wxPropertyCategory(wxString(category.caption));
    if (top)
      m_grid->AppendIn(top, group);
    else
      m_grid->Append(group);
    for (const EditorField_s& field : category.fields) {
      const wxString name = wxString::Format("f%d", ++n);
      wxPGProperty* property = nullptr;
      if (field.date) {
        wxDateTime value = ZeroDate();
        if (m_mode == kEditorInspection) {
          value = wxDateTime::Now();
        } else if (m_mode == kEditorCompany) {
          if (auto* date = CompanyFieldDate(&m_values, field.caption); date && *date)
            value = ToWx(**date);
        }
        property = new wxDateProperty(wxString(Label(field)), name, value);
      } else {
        const std::wstring text =
            m_mode == kEditorCompany ? CompanyFieldText(m_values, field.caption) : std::wstring();
        property = new wxStringProperty(wxString(Label(field)), name, wxString(text));
      }
      m_grid->AppendIn(group, property);
      if (m_mode == kEditorCompany) m_fields.emplace_back(property, field);
    }
    if (!form.expanded) m_grid->Collapse(group);
  }
  if (form.expanded) m_grid->ExpandAll(true);
}

void CDataInputDlg::ReadCompanyForm() {
  for (const auto& [property, field] : m_fields) {
    if (field.date) {
      if (auto* date = CompanyFieldDate(&m_values, field.caption))
        *date = FromWx(property->GetValue().GetDateTime());
    } else {
      SetCompanyFieldText(&m_values, field.caption, property->GetValueAsString().ToStdWstring());
    }
  }
}

void CDataInputDlg::OnOk(wxCommandEvent& event) {
  if (m_grid) m_grid->CommitChangesFromEditor();
  ReadCompanyForm();
  event.Skip();  // the dialog's own OK ends the modal loop
}

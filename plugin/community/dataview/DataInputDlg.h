#pragma once
// The record editor: a modal dialog with a form of labelled fields in a property grid, chosen by
// its mode (1 a company record, 2 a user record, 3 a vehicle and tank inspection record). Each
// label is looked up in the owning view's language texts by a key made from its caption.
//
// The company form edits a client of the cafe data view's client list: given the client's
// values it shows them, and after OK ClientValues() holds what was typed. The other forms keep
// nothing: what is typed there goes when the dialog closes.

#include <wx/dialog.h>

#include <string>
#include <vector>

#include "plugin/community/RecordEditorForm.h"

class CDbViewBase;
class wxPropertyGrid;
class wxPGProperty;
struct app_run_setting_s;
struct login_info_s;

constexpr int IDD_DATA_INPUT = 1754;
constexpr int IDC_DATA_INPUT_GRID = 365;
extern const wchar_t kDataInputCaption[];

class CDataInputDlg : public wxDialog {
 public:
  CDataInputDlg(wxWindow* parent, CDbViewBase* owner, int mode, int flag, app_run_setting_s* run,
                login_info_s* login);
  ~CDataInputDlg() override;

  void SetMode(int mode) { m_mode = mode; }
  int Mode() const { return m_mode; }
  void SetFlag(int flag) { m_flag = flag; }
  // The client the company form starts with (mode 1); without one the fields start empty.
  void SetClientValues(const ClientValues_s& values);

  // Makes the window with its grid and form (once); false when the window cannot be made.
  bool CreateDialog();
  // Shows the dialog modally: wxID_OK or wxID_CANCEL.
  int DoModal();

  // What the company form holds (after OK, what the user typed).
  const ClientValues_s& ClientValues() const { return m_values; }
  wxPropertyGrid* Grid() const { return m_grid; }
  // The label a caption shows: the owner's text for its key, else the caption.
  std::wstring Label(const EditorField_s& field) const;
  // Reads the company form's fields into ClientValues().
  void ReadCompanyForm();

 private:
  void BuildForm();
  void OnOk(wxCommandEvent& event);

  CDbViewBase* m_owner = nullptr;
  int m_mode = 0;
  int m_flag = 0;
  app_run_setting_s* m_run = nullptr;
  login_info_s* m_login = nullptr;
  ClientValues_s m_values;
  bool m_created = false;
  wxPropertyGrid* m_grid = nullptr;
  // The company form's properties with the field each edits.
  std::vector<std::pair<wxPGProperty*, EditorField_s>> m_fields;
};

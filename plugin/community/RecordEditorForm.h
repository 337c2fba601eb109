#pragma once
// The forms of the record editor (CDataInputDlg): which categories and fields each mode shows,
// the language keys of their labels, and how the company form reads and writes a client row's
// values. No toolkit here; the dialog only puts these into its property grid.

#include <optional>
#include <string>
#include <vector>

#include "plugin/rows/ClientRecords.h"

// The editor's modes.
constexpr int kEditorCompany = 1;     // a company record (a client of the client list)
constexpr int kEditorUser = 2;        // a user record
constexpr int kEditorInspection = 3;  // a vehicle and tank inspection record

struct EditorField_s {
  std::wstring caption;  // the default label
  std::wstring key;      // the language key of the label
  bool date = false;
};
struct EditorCategory_s {
  std::wstring caption;
  std::vector<EditorField_s> fields;
};
struct EditorForm_s {
  std::wstring top;  // the top category; empty: the categories stand alone
  bool expanded = true;
  std::vector<EditorCategory_s> categories;
};

// The form of a mode; any other mode gives an empty form.
EditorForm_s RecordEditorForm(int mode);

// The language key of a caption: blanks become "_", and so do "." (`dots`) and the brackets
// (`brackets`).
std::wstring EditorLabelKey(const std::wstring& caption, bool dots, bool brackets);

// The company form over a client's values: the 29 text fields and the two dates.
std::wstring CompanyFieldText(const ClientValues_s& values, const std::wstring& caption);
// False when the caption is not a text field of the company form (or its number is not a
// number, for "소속코드").
bool SetCompanyFieldText(ClientValues_s* values, const std::wstring& caption,
                         const std::wstring& text);
// The date of a date field ("생년월일", "가입일"); null for any other caption.
std::optional<SYSTEMTIME>* CompanyFieldDate(ClientValues_s* values, const std::wstring& caption);

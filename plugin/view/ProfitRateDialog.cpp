#include "plugin/view/ProfitRateDialog.h"

#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/settings.h>
#include <wx/grid.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <algorithm>

#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"

namespace {

constexpr wchar_t kQuestion[] =
    L"익절, 손절을 현 수익률 기준 적절히 조절하겠습니까?\n-------------------\n20%이상 "
    L"수익시에는 14%정도는 안정적으로 수익을 챙기고,\n5% 미만은 5%까지 기다리도록 설정합니다. "
    L"(유익합니다)-------------------\n설정시 자동매도는 중지되므로, 다시 자동을 체크해 "
    L"주세요.\n\n수익설정을 조정할까요?";

enum Column { kColLabel, kColValue1, kColCheck, kColValue2, kColComment, kColumns };

std::wstring Field(const std::wstring& text, size_t* pos, wchar_t sep) {
  const size_t end = text.find(sep, *pos);
  std::wstring field = text.substr(*pos, end == std::wstring::npos ? std::wstring::npos
                                                                     : end - *pos);
  *pos = end == std::wstring::npos ? text.size() : end + 1;
  return field;
}

}  // namespace

std::vector<ProfitRateRow_s> SplitProfitRateTable(const std::wstring& text) {
  std::vector<ProfitRateRow_s> rows;
  size_t pos = 0;
  while (pos < text.size()) {
    const std::wstring entry = Field(text, &pos, L';');
    const size_t eq = entry.find(L'=');
    if (eq == std::wstring::npos) continue;
    ProfitRateRow_s row;
    row.label = entry.substr(0, eq);
    size_t at = eq + 1;
    row.value1 = Field(entry, &at, L',');
    row.check = Field(entry, &at, L',') == L"1";
    row.value2 = Field(entry, &at, L',');
    row.comment = entry.substr(std::min(at, entry.size()));  // the rest, commas and all
    rows.push_back(std::move(row));
  }
  return rows;
}

std::wstring JoinProfitRateTable(const std::vector<ProfitRateRow_s>& rows) {
  std::wstring text;
  for (const ProfitRateRow_s& row : rows)
    text += row.label + L"=" + row.value1 + L"," + (row.check ? L"1" : L"0") + L"," + row.value2 +
            L"," + row.comment + L";";
  return text;
}

CProfitRateDialog::CProfitRateDialog(wxWindow* parent, double scale)
    : wxDialog(parent, wxID_ANY, wxString(L"권장 수익률 설정"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
  if (scale <= 0) scale = 1.0;
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(new wxStaticText(this, wxID_ANY, wxString(L"익절, 손절을 현 수익률 기준 적절히 조절")),
             0, wxALL, 8);
  grid_ = new wxGrid(this, wxID_ANY);
  grid_->CreateGrid(0, kColumns);
  grid_->HideRowLabels();
  struct Title {
    const wchar_t* text;
    int width;
  };
  const Title titles[kColumns] = {{L"수익 구간", 105}, {L"수익보정", 55}, {L"첫구간보정", 65},
                                  {L"간격(%)", 55},    {L"설명", 180}};
  for (int c = 0; c < kColumns; ++c) {
    grid_->SetColLabelValue(c, wxString(titles[c].text));
    widths_[c] = static_cast<int>(titles[c].width * scale);
  }
  wxGridCellAttr* check = new wxGridCellAttr;
  check->SetEditor(new wxGridCellBoolEditor);
  check->SetRenderer(new wxGridCellBoolRenderer);
  check->SetAlignment(wxALIGN_CENTRE, wxALIGN_CENTRE);
  grid_->SetColAttr(kColCheck, check);
  wxGridCellAttr* label = new wxGridCellAttr;
  label->SetReadOnly(true);
  label->SetBackgroundColour(wxColour(0xF3, 0xF3, 0xF3));
  grid_->SetColAttr(kColLabel, label);
  sizer->Add(grid_, 1, wxEXPAND | wxLEFT | wxRIGHT, 8);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  auto* apply = new wxButton(this, wxID_OK, wxString(L"적용"));
  auto* close = new wxButton(this, wxID_CANCEL, wxString(L"닫기"));
  buttons->Add(apply, 0, wxRIGHT, 6);
  buttons->Add(close, 0);
  sizer->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 8);
  apply->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ApplyTable(); });
  close->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { Hide(); });
  Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { Hide(); });
  SetSizer(sizer);
  FitColumns();
  height_ = static_cast<int>(400 * scale);
  FitToColumns();
}

void CProfitRateDialog::FitColumns() {
  // Each column as wide as its given width, its title and its longest cell need.
  wxClientDC dc(grid_);
  dc.SetFont(grid_->GetLabelFont());
  for (int c = 0; c < kColumns; ++c) {
    int width = std::max(widths_[c], dc.GetTextExtent(grid_->GetColLabelValue(c)).x + 16);
    for (int r = 0; r < grid_->GetNumberRows(); ++r)
      width = std::max(width, grid_->GetTextExtent(grid_->GetCellValue(r, c)).x + 12);
    grid_->SetColSize(c, width);
  }
}

void CProfitRateDialog::FitToColumns() {
  int width = 0;
  for (int c = 0; c < kColumns; ++c) width += grid_->GetColSize(c);
  SetClientSize(width + 16 + wxSystemSettings::GetMetric(wxSYS_VSCROLL_X), height_);
}

void CProfitRateDialog::SetTable(const std::wstring& text) {
  if (grid_->GetNumberRows() > 0) grid_->DeleteRows(0, grid_->GetNumberRows());
  const std::vector<ProfitRateRow_s> rows = SplitProfitRateTable(text);
  grid_->AppendRows(static_cast<int>(rows.size()));
  for (size_t i = 0; i < rows.size(); ++i) {
    const int r = static_cast<int>(i);
    grid_->SetCellValue(r, kColLabel, wxString(rows[i].label));
    grid_->SetCellValue(r, kColValue1, wxString(rows[i].value1));
    grid_->SetCellValue(r, kColCheck, rows[i].check ? wxString("1") : wxString());
    grid_->SetCellValue(r, kColValue2, wxString(rows[i].value2));
    grid_->SetCellValue(r, kColComment, wxString(rows[i].comment));
  }
  FitColumns();
  FitToColumns();
}

std::wstring CProfitRateDialog::Table() const {
  std::vector<ProfitRateRow_s> rows;
  for (int r = 0; r < grid_->GetNumberRows(); ++r) {
    ProfitRateRow_s row;
    row.label = grid_->GetCellValue(r, kColLabel).ToStdWstring();
    row.value1 = grid_->GetCellValue(r, kColValue1).ToStdWstring();
    row.check = grid_->GetCellValue(r, kColCheck) == "1";
    row.value2 = grid_->GetCellValue(r, kColValue2).ToStdWstring();
    row.comment = grid_->GetCellValue(r, kColComment).ToStdWstring();
    rows.push_back(std::move(row));
  }
  return JoinProfitRateTable(rows);
}

bool CProfitRateDialog::ApplyTable() {
  if (grid_->IsCellEditControlEnabled()) grid_->SaveEditControlValue();
  if (orv::win::MessageBox(WideToUtf8(kQuestion), "QUESTION", MB_YESNO | MB_ICONQUESTION) !=
      IDYES)
    return false;
  if (apply_) apply_(Table());
  Hide();
  return true;
}

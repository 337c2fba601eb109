#include "plugin/view/ViewToolbar.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dcmemory.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/gauge.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

namespace {

using K = ToolbarControlKind;

const std::vector<ToolbarControlSpec> kControls = {
    {IDC_COMMAND_MENU_BUTTON, K::Button, 0, L"메뉴", L"명령 메뉴", 0, false},
    {1298, K::Combo, 2, L"국가", L"국내/해외 선택", 70, true},
    {1299, K::Check, 0, L"해외주식 자동전환", L"22시 기준으로 해외/국내 자동전환 됩니다", 120,
     true},
    {233, K::Combo, 2, L"종료", L"주식시장 종료 시각을 설정합니다", 65, false},
    {646, K::Combo, 2, L"자동매수", L"자동 매수 한도금액을 설정합니다.", 110, false},
    {1228, K::Combo, 2, L"매수  ",
     L"분할 매수 시간을 설정합니다. \n정해진 시간마다 분할 주문이 이뤄집니다.\n수익 및 손실을 "
     L"최소화 하기 위한 기법입니다.",
     132, false},
    {695, K::Combo, 2, L"주문  ",
     L"분할 주문 시간을 설정합니다. \n정해진 시간마다 분할 주문이 이뤄집니다.\n수익 및 손실을 "
     L"최소화 하기 위한 기법입니다.",
     135, false},
    {697, K::Combo, 0, L"분할", L"분할 매도 금액을 설정합니다", 95, false},
    {1230, K::Combo, 3, L"최저익절  ", L"최저 수익률을 설정합니다. 3% 이상을 권장합니다.", 150,
     false},
    {371, K::Combo, 2, L"최저2", L"최저 수익률을 설정합니다. 3% 이상을 권장합니다.", 80, false},
    {3444, K::Combo, 2, L"해외.최저", L"해외 최저 수익률을 설정합니다. 7% 이상을 권장합니다.", 120,
     false},
    {378, K::Combo, 2, L"간격", L"수익 구간 체크 간격을 설정합니다. 1.5%혹은 2%를 권장합니다.", 90,
     false},
    {369, K::Combo, 2, L"여유",
     L"기준선 위/아래로 여유 구간을 설정합니다. 0%혹은 0.3%를 권장합니다.", 110, false},
    {719, K::Combo, 2, L"손절시작  ",
     L"신규매수 종목 자동 손절 (START) 설정\n-100은 손절 안함입니다.", 155, false},
    {3350, K::Combo, 2, L"손절중지", L"신규매수 종목 손절 중지(STOP) 설정\n-100은 손절 안함입니다.",
     125, false},
    {3437, K::Combo, 2, L"구간손절", L"각 구간별 손절량 설정\n100은 전량 손절입니다.", 110, true},
    {3438, K::Combo, 2, L"매도율", L"신규종목 매도 비중을 설정합니다.", 110, false},
    {3441, K::Combo, 2, L"구간별", L"각 구간별 매도 시간 설정\n100은 무한 매도입니다.", 110, false},
    {3174, K::Combo, 2, L"청산", L"장 후반, 청산 매도를 설정합니다(주의 필요)", 130, false},
    {896, K::Combo, 2, L"손익", L"수익/손실 정보를 문자로 보내드립니다", 110, false},
    {1316, K::Combo, 2, L"팝업", L"팝업 표출을 설정합니다", 105, false},
    {2239, K::Check, 0, L"신규 스탑로스 ◎ ", L"신규 편입 종목 스탑로스 기능을 ON 시킵니다", 115,
     false},
    {3445, K::Check, 0, L"종목별 설정", L"매도 옵션을 전체 종목에 일괄 적용합니다", 90, false},
    {597, K::Edit, 0, L"종목", L"코드/종목명", 70, false},
    {670, K::Button, 0, L"검색", L"종목 검색 - 입력창에 코드/종목명 입력후, 클릭(Search)", 0,
     false},
    {3195, K::Button, 0, L"초기화", L"종목 검색 초기화", 0, false},
    {618, K::Edit, 0, L"높은가격", L"높은가격", 60, false},
    {619, K::Edit, 0, L"낮은가격", L"낮은가격", 60, false},
    {622, K::Combo, 0, L"", L"", 120, false},
    {281, K::Combo, 2, L"", L"", 100, true},
    {282, K::Combo, 2, L"", L"", 100, true},
    {283, K::Combo, 2, L"", L"", 100, true},
    {315, K::Combo, 2, L"", L"", 100, true},
    {557, K::Combo, 2, L"", L"", 100, true},
    {586, K::Combo, 2, L"", L"", 100, true},
    {720, K::Combo, 2, L"", L"", 140, true},
    {787, K::Combo, 2, L"", L"", 100, true},
    {899, K::Date, 0, L"", L"", 100, false},
    {434, K::Date, 0, L"", L"", 100, false},
    {706, K::Edit, 0, L"Time", L"Time", 80, false},
    {436, K::Edit, 0, L"Error", L"Error or Status", 90, false},
    {317, K::Progress, 0, L"조회", L"Progress", 25, false},
    {980, K::Progress, 3, L"----", L"작업진행률", 25, false},
};

}  // namespace

const std::vector<ToolbarControlSpec>& ToolbarControls() { return kControls; }

const ToolbarControlSpec* FindToolbarControl(int id) {
  for (const auto& spec : kControls)
    if (spec.id == id) return &spec;
  return nullptr;
}

wxBitmap CommandButtonImage(int id) {
  const wxColour ground(0xFF, 0x00, 0xFF);
  wxBitmap bitmap(16, 16);
  {
    wxMemoryDC dc(bitmap);
    dc.SetBackground(wxBrush(ground));
    dc.Clear();
    const wxColour ink(0x30, 0x40, 0x60);
    dc.SetPen(wxPen(ink, 2));
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    switch (id) {
      case IDC_COMMAND_MENU_BUTTON:  // three bars
        for (int y : {4, 8, 12}) dc.DrawLine(3, y, 13, y);
        break;
      case 670:  // a magnifier
        dc.DrawCircle(6, 6, 4);
        dc.DrawLine(9, 9, 14, 14);
        break;
      case 3195:  // a cross
        dc.SetPen(wxPen(wxColour(0xC0, 0x30, 0x30), 2));
        dc.DrawLine(4, 4, 12, 12);
        dc.DrawLine(12, 4, 4, 12);
        break;
      default:
        return wxBitmap();
    }
  }
  bitmap.SetMask(new wxMask(bitmap, ground));
  return bitmap;
}

bool IsToolbarButtonId(int id) {
  for (int button : {2240, 934, 978, 394, 667, 681, 562, 569, 57601, 57603})
    if (button == id) return true;
  return false;
}

CViewCommandBar::CViewCommandBar(wxWindow* parent, int id, double scale)
    : wxPanel(parent, id), scale_(scale > 0 ? scale : 1.0) {
  SetBackgroundColour(wxColour(0xF3, 0xF3, 0xF3));
  more_ = new wxButton(this, wxID_ANY, wxString(L"»"), wxDefaultPosition, wxDefaultSize,
                       wxBU_EXACTFIT);
  more_->Hide();
  more_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { SetExpanded(!expanded_); });
  Bind(wxEVT_SIZE, &CViewCommandBar::OnSize, this);
}

void CViewCommandBar::SetExpanded(bool expanded) {
  expanded_ = expanded;
  more_->SetLabel(wxString(expanded ? L"«" : L"»"));
  // The parent lays its children out on a size event, the bar's new height among them.
  if (GetParent()) GetParent()->SendSizeEvent();
  Layout();
}

bool CViewCommandBar::CreateControl(int id) {
  const ToolbarControlSpec* spec = FindToolbarControl(id);
  if (!spec || controls_.count(id)) return false;
  const int scaled = static_cast<int>(spec->width * scale_);
  const int height = static_cast<int>(22 * scale_);
  wxWindow* control = nullptr;
  wxStaticText* label = nullptr;
  const bool captioned = spec->caption[0] && spec->kind != K::Check && spec->kind != K::Button;
  if (captioned) label = new wxStaticText(this, wxID_ANY, wxString(spec->caption));
  switch (spec->kind) {
    case K::Combo: {
      const long style = spec->style == 0 ? wxCB_DROPDOWN : wxCB_READONLY;
      // The caption sits beside the box inside the control's width.
      const int labelWidth = label ? label->GetBestSize().x + 4 : 0;
      control = new wxComboBox(
          this, id, wxEmptyString, wxDefaultPosition,
          wxSize(std::max(static_cast<int>(56 * scale_), scaled - labelWidth), height), 0, nullptr,
          style);
      break;
    }
    case K::Check:
      // As wide as its caption needs when that is more than the given width.
      control = new wxCheckBox(this, id, wxString(spec->caption));
      control->SetSize(wxSize(std::max(scaled, control->GetBestSize().x), height));
      break;
    case K::Edit:
      control = new wxTextCtrl(this, id, wxEmptyString, wxDefaultPosition,
                               wxSize(static_cast<int>(spec->width * scale_), height),
                               wxTE_PROCESS_ENTER);
      break;
    case K::Date:
      control = new wxDatePickerCtrl(this, id, wxDefaultDateTime, wxDefaultPosition,
                                     wxSize(static_cast<int>(110 * scale_), height));
      break;
    case K::Button: {
      // A picture and the caption, as wide as they need.
      auto* button = new wxButton(this, id, wxString(spec->caption), wxDefaultPosition,
                                  wxDefaultSize, wxBU_EXACTFIT);
      const wxBitmap image = CommandButtonImage(id);
      if (image.IsOk()) button->SetBitmap(image);
      button->SetSize(wxSize(button->GetBestSize().x, std::max(height, button->GetBestSize().y)));
      control = button;
      break;
    }
    case K::Progress:
      control = new wxGauge(this, id, 100, wxDefaultPosition,
                            wxSize(static_cast<int>(spec->width * scale_ * 2), height - 6),
                            spec->style == 3 ? wxGA_SMOOTH : 0);
      break;
  }
  if (!control) return false;
  // A date picker is as wide as the toolkit needs to show the whole date.
  if (spec->kind == K::Date)
    control->SetSize(wxSize(std::max(control->GetSize().x, control->GetBestSize().x), height));
  if (spec->tooltip[0]) control->SetToolTip(wxString(spec->tooltip));
  if (label) labels_[id] = label;
  controls_[id] = control;
  items_.push_back(Item{id, label, control});
  if (spec->hidden) {
    control->Hide();
    if (label) label->Hide();
  }
  return true;
}

wxWindow* CViewCommandBar::Control(int id) const {
  auto it = controls_.find(id);
  return it == controls_.end() ? nullptr : it->second;
}

void CViewCommandBar::ShowControl(int id, bool show) {
  wxWindow* control = Control(id);
  if (!control) return;
  overflow_.erase(id);
  control->Show(show);
  if (wxWindow* label = Label(id)) label->Show(show);
}

std::vector<int> CViewCommandBar::ControlIds() const {
  std::vector<int> ids;
  for (const auto& [id, control] : controls_) ids.push_back(id);
  return ids;
}

wxString CViewCommandBar::ToolTipOf(int id) const {
  wxWindow* control = Control(id);
  return control ? control->GetToolTipText() : wxString();
}

bool CViewCommandBar::SetToolTipOf(int id, const wxString& text) {
  wxWindow* control = Control(id);
  if (!control) return false;
  control->SetToolTip(text);
  return true;
}

wxWindow* CViewCommandBar::Label(int id) const {
  auto it = labels_.find(id);
  return it == labels_.end() ? nullptr : it->second;
}

namespace {

// Between a caption and its control.
constexpr int kLabelGap = 3;

}  // namespace

std::vector<const CViewCommandBar::Item*> CViewCommandBar::ShownItems() const {
  std::vector<const Item*> shown;
  for (const Item& item : items_)
    if (item.control->IsShown() || overflow_.count(item.id)) shown.push_back(&item);
  return shown;
}

int CViewCommandBar::MoreButtonWidth() const { return more_->GetBestSize().x; }

BarPlacement_s CViewCommandBar::Place(int width, bool* more) const {
  std::vector<BarItemSize_s> sizes;
  for (const Item* item : ShownItems()) {
    BarItemSize_s size{item->control->GetSize().x, item->control->GetSize().y};
    if (item->label) {
      const wxSize text = item->label->GetBestSize();
      size.width += text.x + kLabelGap;
      size.height = std::max(size.height, text.y);
    }
    sizes.push_back(size);
  }
  const int gap = static_cast<int>(6 * scale_);
  BarPlacement_s placement = WrapBarItems(sizes, width, gap, 2);
  *more = placement.rowCount > 1;
  // Not everything fits one row: the row leaves room for the button at its end.
  if (*more) placement = WrapBarItems(sizes, width - MoreButtonWidth() - gap, gap, 2,
                                      expanded_ ? 0 : 1);
  return placement;
}

int CViewCommandBar::CalcDockedHeight(int width) {
  if (width <= 0) return 0;
  bool more = false;
  return Place(width, &more).height;
}

void CViewCommandBar::OnSize(wxSizeEvent& event) {
  Layout();
  event.Skip();
}

bool CViewCommandBar::Layout() {
  const int width = GetClientSize().x;
  bool more = false;
  const BarPlacement_s placement = Place(width, &more);
  const std::vector<const Item*> shown = ShownItems();
  int firstRowHeight = 0;
  for (size_t i = 0; i < shown.size(); ++i) {
    const Item& item = *shown[i];
    const bool kept = placement.rows[i] >= 0;
    if (!kept) {
      overflow_.insert(item.id);
      item.control->Hide();
      if (item.label) item.label->Hide();
      continue;
    }
    if (overflow_.erase(item.id)) {
      item.control->Show();
      if (item.label) item.label->Show();
    }
    const POINT at = placement.positions[i];
    int x = at.x;
    int height = item.control->GetSize().y;
    if (item.label) height = std::max(height, item.label->GetBestSize().y);
    if (placement.rows[i] == 0) firstRowHeight = std::max(firstRowHeight, height);
    if (item.label) {
      const wxSize text = item.label->GetBestSize();
      item.label->SetSize(x, at.y + (height - text.y) / 2, text.x, text.y);
      x += text.x + kLabelGap;
    }
    item.control->Move(x, at.y + (height - item.control->GetSize().y) / 2);
  }
  more_->Show(more);
  if (more) {
    // As high as the first row, inside the bar.
    const wxSize size(MoreButtonWidth(),
                      firstRowHeight > 0 ? firstRowHeight : more_->GetBestSize().y);
    more_->SetSize(width - 2 - size.x, 2, size.x, size.y);
  }
  return true;
}

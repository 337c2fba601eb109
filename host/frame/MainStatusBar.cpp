#include "host/frame/MainStatusBar.h"

#include <wx/slider.h>
#include <wx/generic/stattextg.h>
#include <wx/wx.h>

#include <algorithm>
#include <cmath>

#include "platform/ui/PaintClip.h"
#include "shared/AppRunSetting.h"

namespace {

constexpr COLORREF kDefaultColour = static_cast<COLORREF>(-1);

wxColour FromColorRef(COLORREF c) { return wxColour(GetRValue(c), GetGValue(c), GetBValue(c)); }

}  // namespace

const std::vector<StatusPaneDef>& StatusPaneTable() {
  static const std::vector<StatusPaneDef> table = {
      {ID_STATUS_AUX, 100, L"", L"[AUX 상태]", 0xFF0000},
      {ID_STATUS_COUNTER, 110, L"*", L"[Counter 상태]", kDefaultColour},
      {ID_STATUS_MARKET, 70, L"MARKET", L"MARKET", kDefaultColour},
      {ID_STATUS_LOGIN, 110, L"[로그인 상태]", L"[로그인 상태]", kDefaultColour},
      {ID_STATUS_VALID, 130, L"[VALID]", L"[VALID]", kDefaultColour},
      {ID_STATUS_SCR, 120, L"[SCR]", L"[SCR]", kDefaultColour},
      {ID_STATUS_COMM, 150, L"[COMM/SIMUL 상태]", L"[COMM/SIMUL 상태]", kDefaultColour},
      {ID_STATUS_RUN_TIME, 110, L"---", L"[동작시간]", kDefaultColour},
      {ID_STATUS_PROGRESS, 90, L"---", L"[진행률]", kDefaultColour},
      {ID_STATUS_USD, 70, L"0000", L"[USD]", kDefaultColour},
      {ID_STATUS_EURO, 70, L"0000", L"[EURO]", kDefaultColour},
      {ID_STATUS_CLOCK, 90, L"00:00:00", L"Current Time", kDefaultColour},
      {ID_STATUS_LOCAL_IP, 150, L"아이피: %hs", L"My Local IP", kDefaultColour},
      {ID_STATUS_ZOOM_TEXT, -1, L"100%", L"Zoom level. Click to open the Zoom dialog box.",
       kDefaultColour},
      {ID_STATUS_ZOOM_SLIDER, 130, L"", L"Zoom", kDefaultColour},
  };
  return table;
}

CMainStatusBar::CMainStatusBar(wxWindow* parent, const app_run_setting_s& settings)
    : wxStatusBar(parent, wxID_ANY, wxSTB_DEFAULT_STYLE, "StatusBar") {
  const double scale = settings.dScale > 0 ? settings.dScale : 1.0;
  const auto& table = StatusPaneTable();
  std::vector<int> widths;
  ids_.push_back(ID_STATUS_MESSAGE);
  tooltips_.emplace_back();
  widths.push_back(-1);
  for (const StatusPaneDef& def : table) {
    ids_.push_back(def.id);
    tooltips_.emplace_back(def.tooltip);
    int width = static_cast<int>(std::lround(def.baseWidth * scale));
    if (def.baseWidth < 0) width = GetTextExtent(wxString(def.text)).x + 16;
    widths.push_back(width);
  }
  givenWidths_ = widths;
  neededWidths_.assign(widths.size(), 0);
  // The slider's pane needs its given width; the other panes need their texts' widths.
  const int slider = CommandToIndex(ID_STATUS_ZOOM_SLIDER);
  if (slider >= 0) neededWidths_[static_cast<size_t>(slider)] = widths[static_cast<size_t>(slider)];
  SetFieldsCount(static_cast<int>(widths.size()), widths.data());

  for (const StatusPaneDef& def : table) {
    if (def.id == ID_STATUS_ZOOM_SLIDER) continue;
    std::wstring text = def.text;
    if (def.id == ID_STATUS_LOCAL_IP) {
      text = L"아이피: " + wxString::FromUTF8(settings.szLocalIp).ToStdWstring();
    } else if (def.id == ID_STATUS_SCR) {
      text = settings.byPowerSaving != 0 ? L"절전모드 ON" : L"절전모드 OFF";
    }
    if (def.textColour != kDefaultColour) {
      // A pane with its own text colour shows its text in a label of that colour, drawn by the
      // program itself so that a new text repaints the label alone (a toolkit label lays out
      // the whole window again on every change).
      auto* label = new wxGenericStaticText(this, wxID_ANY, wxString(text), wxDefaultPosition,
                                            wxDefaultSize, wxST_NO_AUTORESIZE | wxALIGN_CENTRE_VERTICAL);
      label->SetForegroundColour(FromColorRef(def.textColour));
      colouredPanes_[def.id] = label;
    }
    SetPaneText(def.id, text);
  }

  zoomSlider_ = new wxSlider(this, ID_STATUS_ZOOM_SLIDER, 500, 0, 1000, wxDefaultPosition,
                             wxDefaultSize, wxSL_HORIZONTAL, wxDefaultValidator, "&Zoom Slider");
  zoomSlider_->SetToolTip("Zoom");

  Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
    ApplyWidths();
    PlaceChildren();
    e.Skip();
  });
  Bind(wxEVT_MOTION, &CMainStatusBar::OnMotion, this);
  Bind(wxEVT_PAINT, &CMainStatusBar::OnPaintBar, this);
  Bind(wxEVT_SYS_COLOUR_CHANGED, [this](wxSysColourChangedEvent& e) {
    themeAttributes_.reset();
    e.Skip();
  });
  Bind(wxEVT_DPI_CHANGED, [this](wxDPIChangedEvent& e) {
    themeAttributes_.reset();
    e.Skip();
  });
  PlaceChildren();
}

wxVisualAttributes CMainStatusBar::GetDefaultAttributes() const {
  if (!themeAttributes_) themeAttributes_ = wxStatusBar::GetDefaultAttributes();
  return *themeAttributes_;
}

int CMainStatusBar::CommandToIndex(UINT id) const {
  for (size_t i = 0; i < ids_.size(); ++i) {
    if (ids_[i] == id) return static_cast<int>(i);
  }
  return -1;
}

std::vector<int> FitStatusPaneWidths(const std::vector<int>& given, const std::vector<int>& needed,
                                     int barWidth) {
  std::vector<int> widths(given.size());
  int total = 0;
  for (size_t i = 0; i < given.size(); ++i) {
    widths[i] = given[i] < 0 ? -1 : std::max(given[i], needed[i]);
    if (widths[i] > 0) total += widths[i];
  }
  if (total <= barWidth) return widths;
  for (size_t i = 0; i < given.size(); ++i)
    if (given[i] >= 0) widths[i] = needed[i];
  return widths;
}

void CMainStatusBar::FitPane(int index, const std::wstring& text) {
  if (index < 0 || static_cast<size_t>(index) >= neededWidths_.size()) return;
  if (givenWidths_[static_cast<size_t>(index)] < 0) return;
  std::wstring shape = text;
  for (wchar_t& c : shape)
    if (c >= L'1' && c <= L'9') c = L'0';
  if (measuredShapes_.size() != neededWidths_.size())
    measuredShapes_.assign(neededWidths_.size(), std::wstring(1, L'\x1'));
  std::wstring& measured = measuredShapes_[static_cast<size_t>(index)];
  if (shape == measured) return;
  measured = shape;
  // Room for the field's borders and margins beside the text.
  const int need = text.empty() ? 0 : GetTextExtent(wxString(text)).x + 16;
  if (need == neededWidths_[static_cast<size_t>(index)]) return;
  neededWidths_[static_cast<size_t>(index)] = need;
  ApplyWidths();
}

void CMainStatusBar::ApplyWidths() {
  if (givenWidths_.empty()) return;
  const std::vector<int> widths =
      FitStatusPaneWidths(givenWidths_, neededWidths_, GetClientSize().x);
  std::vector<int> current(widths.size());
  for (size_t i = 0; i < widths.size(); ++i) current[i] = GetStatusWidth(static_cast<int>(i));
  if (current == widths) return;
  SetStatusWidths(static_cast<int>(widths.size()), widths.data());
  PlaceChildren();
}

void CMainStatusBar::DoUpdateStatusText(int number) {
  if (holding_) {
    if (std::find(heldPanes_.begin(), heldPanes_.end(), number) == heldPanes_.end())
      heldPanes_.push_back(number);
    return;
  }
  wxRect rect;
  if (GetFieldRect(number, rect)) RefreshRect(rect);
}

bool CMainStatusBar::SetPaneTextHeld(UINT id, const std::wstring& text) {
  holding_ = true;
  const bool known = SetPaneText(id, text);
  holding_ = false;
  return known;
}

void CMainStatusBar::DrawHeldPanes() {
  std::vector<int> panes;
  panes.swap(heldPanes_);
  for (int number : panes) DoUpdateStatusText(number);
}

void CMainStatusBar::OnPaintBar(wxPaintEvent& event) {
  if (ShowsSizeGrip() && GetUpdateRegion().Contains(GetSizeGripRect()) != wxOutRegion) {
    wxStatusBar::OnPaint(event);
    return;
  }
  wxPaintDC dc(this);
  const wxFont font = GetFont();
  if (font.IsOk()) dc.SetFont(font);
  if (textHeight_ <= 0 || !font.IsSameAs(measuredFont_)) {
    textHeight_ = dc.GetCharHeight();
    measuredFont_ = font;
  }
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  for (int i = 0; i < GetFieldsCount(); ++i) DrawField(dc, i, textHeight_);
}

void CMainStatusBar::DrawField(wxDC& dc, int i, int textHeight) {
  wxRect rect;
  // The clock and the session countdown change at opposite ends of the bar: the paint's
  // bounding box holds every pane between them, but only the panes that changed are drawn.
  if (GetFieldRect(i, rect) && !orv::ui::RectInPaintClip(dc, rect)) return;
  wxStatusBar::DrawField(dc, i, textHeight);
}

bool CMainStatusBar::SetPaneText(UINT id, const std::wstring& text) {
  const int index = CommandToIndex(id);
  if (index < 0) return false;
  auto coloured = colouredPanes_.find(id);
  // The timers set most panes every second: an unchanged text is neither measured nor drawn.
  const wxString shown = coloured != colouredPanes_.end() ? coloured->second->GetLabel()
                                                          : GetStatusText(index);
  if (shown == wxString(text)) return true;
  FitPane(index, text);
  if (coloured != colouredPanes_.end()) {
    // The coloured label shows the text; the bar's own field stays empty under it.
    coloured->second->SetLabel(wxString(text));
    SetStatusText(wxString(), index);
  } else {
    SetStatusText(wxString(text), index);
  }
  return true;
}

std::wstring CMainStatusBar::GetPaneText(UINT id) const {
  const int index = CommandToIndex(id);
  if (index < 0) return std::wstring();
  auto coloured = colouredPanes_.find(id);
  if (coloured != colouredPanes_.end()) return coloured->second->GetLabel().ToStdWstring();
  return GetStatusText(index).ToStdWstring();
}

std::wstring CMainStatusBar::GetPaneTooltip(UINT id) const {
  const int index = CommandToIndex(id);
  return index < 0 ? std::wstring() : tooltips_[static_cast<size_t>(index)];
}

void CMainStatusBar::PlaceChildren() {
  wxRect rect;
  for (auto& [id, label] : colouredPanes_) {
    if (GetFieldRect(CommandToIndex(id), rect)) {
      label->SetSize(rect.Deflate(2));
    }
  }
  if (zoomSlider_ && GetFieldRect(CommandToIndex(ID_STATUS_ZOOM_SLIDER), rect)) {
    zoomSlider_->SetSize(rect);
  }
}

void CMainStatusBar::OnMotion(wxMouseEvent& event) {
  int field = -1;
  wxRect rect;
  for (int i = 0; i < GetFieldsCount(); ++i) {
    if (GetFieldRect(i, rect) && rect.Contains(event.GetPosition())) {
      field = i;
      break;
    }
  }
  if (field != tooltipField_) {
    tooltipField_ = field;
    if (field >= 0 && !tooltips_[static_cast<size_t>(field)].empty()) {
      SetToolTip(wxString(tooltips_[static_cast<size_t>(field)]));
    } else {
      UnsetToolTip();
    }
  }
  event.Skip();
}

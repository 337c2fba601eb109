#include "host/modules/ModuleTabStrip.h"

#include <wx/dcbuffer.h>
#include <wx/settings.h>

namespace {

constexpr int kTabPadding = 12;
constexpr int kImageSize = 16;
const wxColour kStripBack(0xDC, 0xE3, 0xEE);
const wxColour kTabBack(0xF4, 0xF6, 0xF9);
const wxColour kSelectedBack(0xFF, 0xFF, 0xFF);
const wxColour kAccent(0x24, 0x5B, 0xA7);
const wxColour kBorder(0xA9, 0xB4, 0xC4);

}  // namespace

CModuleTabStrip::CModuleTabStrip(wxWindow* parent, wxWindowID id)
    : wxControl(parent, id, wxDefaultPosition, wxDefaultSize,
                wxBORDER_NONE | wxFULL_REPAINT_ON_RESIZE) {
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Bind(wxEVT_PAINT, &CModuleTabStrip::OnPaint, this);
  Bind(wxEVT_LEFT_DOWN, &CModuleTabStrip::OnLeftDown, this);
}

void CModuleTabStrip::DeleteAllItems() {
  tabs_.clear();
  selected_ = -1;
  Refresh();
}

int CModuleTabStrip::InsertItem(const std::wstring& caption, int image, int data) {
  tabs_.push_back({caption, image, data});
  Refresh();
  return static_cast<int>(tabs_.size()) - 1;
}

std::wstring CModuleTabStrip::GetItemCaption(int tab) const {
  return tab >= 0 && tab < GetItemCount() ? tabs_[tab].caption : std::wstring();
}

void CModuleTabStrip::SetItemCaption(int tab, const std::wstring& caption) {
  if (tab < 0 || tab >= GetItemCount()) return;
  tabs_[tab].caption = caption;
  Refresh();
}

int CModuleTabStrip::GetItemData(int tab) const {
  return tab >= 0 && tab < GetItemCount() ? tabs_[tab].data : -1;
}

void CModuleTabStrip::SetItemData(int tab, int data) {
  if (tab >= 0 && tab < GetItemCount()) tabs_[tab].data = data;
}

void CModuleTabStrip::SetCurSel(int tab) {
  selected_ = tab >= 0 && tab < GetItemCount() ? tab : -1;
  Refresh();
}

int CModuleTabStrip::GetHeaderHeight() const {
  return std::max(GetCharHeight() + 12, kImageSize + 10);
}

wxSize CModuleTabStrip::DoGetBestClientSize() const { return wxSize(-1, GetHeaderHeight()); }

std::vector<wxRect> CModuleTabStrip::TabRects() const {
  std::vector<wxRect> rects;
  int x = 4;
  const int height = GetClientSize().y;
  for (const Tab& tab : tabs_) {
    int width = GetTextExtent(wxString(tab.caption)).x + 2 * kTabPadding;
    if (images_ != nullptr && tab.image >= 0 && tab.image < images_->GetImageCount()) {
      width += kImageSize + 4;
    }
    rects.emplace_back(x, 0, width, height - 2);
    x += width + 2;
  }
  return rects;
}

int CModuleTabStrip::HitTest(const wxPoint& point) const {
  const std::vector<wxRect> rects = TabRects();
  for (size_t i = 0; i < rects.size(); ++i) {
    if (rects[i].Contains(point)) return static_cast<int>(i);
  }
  return -1;
}

void CModuleTabStrip::OnLeftDown(wxMouseEvent& event) {
  const int tab = HitTest(event.GetPosition());
  if (tab < 0) return;
  SetCurSel(tab);
  if (onSelect_) onSelect_(tab);
}

void CModuleTabStrip::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  const wxSize size = GetClientSize();
  dc.SetBackground(wxBrush(kStripBack));
  dc.Clear();
  dc.SetPen(wxPen(kBorder));
  dc.DrawLine(0, 0, size.x, 0);
  dc.SetFont(GetFont());
  const std::vector<wxRect> rects = TabRects();
  for (size_t i = 0; i < rects.size(); ++i) {
    const wxRect& r = rects[i];
    const bool selected = static_cast<int>(i) == selected_;
    dc.SetBrush(wxBrush(selected ? kSelectedBack : kTabBack));
    dc.SetPen(wxPen(kBorder));
    dc.DrawRectangle(r.x, r.y - 1, r.width, r.height + 1);
    if (selected) {
      dc.SetBrush(wxBrush(kAccent));
      dc.SetPen(*wxTRANSPARENT_PEN);
      dc.DrawRectangle(r.x, r.GetBottom() - 2, r.width, 3);
    }
    int x = r.x + kTabPadding;
    const Tab& tab = tabs_[i];
    if (images_ != nullptr && tab.image >= 0 && tab.image < images_->GetImageCount()) {
      images_->Draw(tab.image, dc, x, r.y + (r.height - kImageSize) / 2,
                    wxIMAGELIST_DRAW_TRANSPARENT);
      x += kImageSize + 4;
    }
    const wxString caption(tab.caption);
    dc.SetTextForeground(selected ? kAccent : wxColour(0x30, 0x30, 0x30));
    dc.DrawText(caption, x, r.y + (r.height - dc.GetTextExtent(caption).y) / 2);
  }
}

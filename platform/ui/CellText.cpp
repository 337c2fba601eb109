#include "platform/ui/CellText.h"

#include <wx/dc.h>
#include <wx/graphics.h>

#include <algorithm>
#include <utility>

namespace orv::ui {

namespace {

// The characters numbers are shown with (digits, separators, signs, percent), and the longest
// number text whose width is summed from them.
constexpr const wchar_t* kNumberChars = L"0123456789,.-+%";
constexpr size_t kMaxNumberChars = 16;

}  // namespace

struct CellTexts::Font {
  wxFont font;
  const wxClassInfo* dcClass = nullptr;
  // Whether the widths of the number characters add up to the width of a text of them, and
  // every such text is `height` high.
  bool additive = false;
  int height = 0;
  int widths[128] = {};
  std::unordered_map<std::wstring, wxSize> sizes;
};

CellTexts::CellTexts() = default;
CellTexts::~CellTexts() = default;

CellTexts::Font& CellTexts::FontOf(wxDC& dc) {
  const wxFont& current = dc.GetFont();
  const wxClassInfo* dcClass = dc.GetImpl() ? dc.GetImpl()->GetClassInfo() : nullptr;
  // The same font object is found by its data first: comparing two fonts by their attributes
  // is slow, and a grid draws with one or two fonts.
  for (int pass = 0; pass < 2; ++pass) {
    for (size_t i = 0; i < fonts_.size(); ++i) {
      Font& f = *fonts_[i];
      if (f.dcClass != dcClass) continue;
      const bool same = pass == 0 ? f.font.GetRefData() == current.GetRefData() : f.font == current;
      if (!same) continue;
      if (i > 0)
        std::rotate(fonts_.begin(), fonts_.begin() + static_cast<long>(i),
                    fonts_.begin() + static_cast<long>(i) + 1);
      return *fonts_.front();
    }
  }
  auto f = std::make_unique<Font>();
  f->font = current;
  f->dcClass = dcClass;
  CheckNumberCharacters(dc, *f);
  if (fonts_.size() >= 4) fonts_.pop_back();
  fonts_.insert(fonts_.begin(), std::move(f));
  return *fonts_.front();
}

// A number's width is the sum of its characters' widths, and its height theirs, only when the
// font neither kerns any two of these characters nor gives them fractional widths, and draws
// them all from one face. That is checked once per font: each character alone and repeated,
// and every pair; a font that fails it has its number texts measured like any other.
void CellTexts::CheckNumberCharacters(wxDC& dc, Font& f) {
  const std::wstring chars = kNumberChars;
  auto measure = [&](const std::wstring& t) { return dc.GetTextExtent(wxString(t)); };
  f.height = measure(std::wstring(1, chars[0])).y;
  f.additive = f.height > 0;
  for (wchar_t c : chars) {
    const wxSize s = measure(std::wstring(1, c));
    f.widths[static_cast<size_t>(c)] = s.x;
    if (s.x <= 0 || s.y != f.height) f.additive = false;
  }
  for (size_t i = 0; f.additive && i < chars.size(); ++i) {
    const int wi = f.widths[static_cast<size_t>(chars[i])];
    // Repeated to twice the longest text summed: a fractional width shows in the rounding.
    const size_t repeat = kMaxNumberChars * 2;
    const wxSize r = measure(std::wstring(repeat, chars[i]));
    if (r.x != wi * static_cast<int>(repeat) || r.y != f.height) f.additive = false;
    for (size_t j = 0; f.additive && j < chars.size(); ++j) {
      const wxSize p = measure(std::wstring{chars[i], chars[j]});
      if (p.x != wi + f.widths[static_cast<size_t>(chars[j])] || p.y != f.height)
        f.additive = false;
    }
  }
}

int CellTexts::NumberWidth(const Font& f, const std::wstring& text) {
  if (!f.additive || text.size() > kMaxNumberChars) return -1;
  int width = 0;
  for (wchar_t c : text) {
    const int w = c >= 0 && c < 128 ? f.widths[static_cast<size_t>(c)] : 0;
    if (w <= 0) return -1;
    width += w;
  }
  return width;
}

wxSize CellTexts::Extent(wxDC& dc, const std::wstring& text) {
  if (text.empty()) return dc.GetTextExtent(wxString());
  Font& f = FontOf(dc);
  const int number = NumberWidth(f, text);
  if (number >= 0) return wxSize(number, f.height);
  if (auto it = f.sizes.find(text); it != f.sizes.end()) return it->second;
  const wxSize size = dc.GetTextExtent(wxString(text));
  if (f.sizes.size() >= kMaxTextsPerFont) f.sizes.clear();
  f.sizes.emplace(text, size);
  return size;
}

void CellTexts::DrawLabel(wxDC& dc, const std::wstring& text, const wxRect& rect, int align) {
  if (text.empty()) return;  // DrawLabel draws nothing either
  if (text.find(L'\n') != std::wstring::npos) {
    dc.DrawLabel(wxString(text), rect, align);
    return;
  }
  // The place DrawLabel gives a single line.
  const wxSize size = Extent(dc, text);
  int x = rect.GetLeft();
  if (align & wxALIGN_RIGHT)
    x = rect.GetRight() + 1 - size.x;
  else if (align & wxALIGN_CENTER_HORIZONTAL)
    x = (rect.GetLeft() + rect.GetRight() + 1 - size.x) / 2;
  int y = rect.GetTop();
  if (align & wxALIGN_BOTTOM)
    y = rect.GetBottom() + 1 - size.y;
  else if (align & wxALIGN_CENTER_VERTICAL)
    y = (rect.GetTop() + rect.GetBottom() + 1 - size.y) / 2;
  // The DC's own DrawText measures the text again for its bounding box, which nothing here
  // reads; its graphics context draws the same text in the DC's font and colour without that.
  if (wxGraphicsContext* gc = PlainContext(dc))
    gc->DrawText(wxString(text), x, y);
  else
    dc.DrawText(wxString(text), x, y);
}

void CellTexts::DrawClippedLabel(wxDC& dc, const std::wstring& text, const wxRect& rect,
                                 int align) {
  if (text.empty()) return;
  // Clipping through the DC keeps its own account of the region and, when it lets it go,
  // clips the context to the whole window again; the context's saved state does neither.
  if (wxGraphicsContext* gc = PlainContext(dc)) {
    gc->PushState();
    gc->Clip(rect.x, rect.y, rect.width, rect.height);
    DrawLabel(dc, text, rect, align);
    gc->PopState();
    return;
  }
  wxDCClipper clip(dc, rect);
  DrawLabel(dc, text, rect, align);
}

wxGraphicsContext* CellTexts::PlainContext(wxDC& dc) {
  wxGraphicsContext* gc = dc.GetGraphicsContext();
  if (gc && dc.GetBackgroundMode() == wxBRUSHSTYLE_TRANSPARENT &&
      dc.GetLogicalFunction() == wxCOPY && gc->GetCompositionMode() == wxCOMPOSITION_OVER)
    return gc;
  return nullptr;
}

}  // namespace orv::ui

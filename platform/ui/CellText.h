#pragma once
// The texts of grid cells, measured once and drawn where wxDC::DrawLabel draws them.
//
// Measuring a text lays it out (shaping and all): wxDC::DrawLabel measures a line twice, and
// the DC's DrawText measures it once more after laying it out to draw it; a grid repainting its
// changed prices spent most of its time there. CellTexts keeps the sizes of the texts it
// measured, per font and kind of DC, sums the widths of number texts from their characters'
// widths when the font allows it, and draws through the DC's graphics context, so that a cell's
// text is laid out once, to draw it.

#include <wx/font.h>
#include <wx/gdicmn.h>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class wxDC;
class wxClassInfo;
class wxGraphicsContext;

namespace orv::ui {

class CellTexts {
 public:
  CellTexts();
  ~CellTexts();
  CellTexts(const CellTexts&) = delete;
  CellTexts& operator=(const CellTexts&) = delete;

  // The size of `text` in the DC's current font, as dc.GetTextExtent answers it.
  wxSize Extent(wxDC& dc, const std::wstring& text);
  // Draws `text` in `rect` as dc.DrawLabel(text, rect, align) draws it (no accelerator, no
  // bitmap).
  void DrawLabel(wxDC& dc, const std::wstring& text, const wxRect& rect, int align);
  // As DrawLabel, with what falls outside `rect` cut off as a wxDCClipper on `rect` cuts it.
  void DrawClippedLabel(wxDC& dc, const std::wstring& text, const wxRect& rect, int align);

  // How many texts are kept per font before the sizes kept are let go.
  static constexpr size_t kMaxTextsPerFont = 4096;

 private:
  struct Font;
  Font& FontOf(wxDC& dc);
  static void CheckNumberCharacters(wxDC& dc, Font& f);
  static int NumberWidth(const Font& f, const std::wstring& text);
  // The DC's graphics context when drawing through it draws what the DC's own calls draw.
  static wxGraphicsContext* PlainContext(wxDC& dc);

  std::vector<std::unique_ptr<Font>> fonts_;  // the one used last first
};

}  // namespace orv::ui

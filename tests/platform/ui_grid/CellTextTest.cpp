#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/wx.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/ui/CellText.h"

// The grid's cell texts must look exactly as the toolkit's own label drawing made them look:
// every text, font, alignment and clipping below is drawn both ways and compared pixel by pixel.

namespace orv::ui {
namespace {

const std::vector<std::wstring> kTexts = {
    L"70,000",
    L"-1.25%",
    L"+3,400",
    L"0",
    L"1,234,567,890.12",        // the longest number summed from its characters
    L"12,345,678,901,234.567",  // longer: measured
    L"삼성전자",
    L"SK하이닉스",
    L"주문/정보",
    L"A&B Wj fi",
    L"",
    L"두 줄\n텍스트",
    L"1.5x",
};

struct Placement {
  const char* name;
  int align;
};
const Placement kAligns[] = {
    {"left", wxALIGN_LEFT | wxALIGN_CENTER_VERTICAL},
    {"right", wxALIGN_RIGHT | wxALIGN_CENTER_VERTICAL},
    {"centre", wxALIGN_CENTER},
    {"top left", wxALIGN_LEFT | wxALIGN_TOP},
    {"bottom right", wxALIGN_RIGHT | wxALIGN_BOTTOM},
};

// Wide, narrow (the text cut or out of the cell), and of odd sizes for the centring's rounding.
const wxSize kCells[] = {{150, 22}, {21, 22}, {61, 17}, {8, 9}};
constexpr int kCellGap = 6;

std::vector<wxFont> Fonts() {
  return {*wxNORMAL_FONT, wxNORMAL_FONT->Bold(), wxFont(wxFontInfo(14)),
          wxFont(wxFontInfo(10).Family(wxFONTFAMILY_TELETYPE)), wxFont(wxFontInfo(11).Italic())};
}

// Every text in every cell size, one text a line, the way `draw` draws a label in a rect.
wxImage DrawAll(const wxFont& font,
                const std::function<void(wxDC&, const std::wstring&, const wxRect&)>& draw) {
  int width = kCellGap, height = kCellGap;
  for (const wxSize& c : kCells) width += c.x + kCellGap;
  int lineHeight = 0;
  for (const wxSize& c : kCells) lineHeight = std::max(lineHeight, c.y);
  height += static_cast<int>(kTexts.size()) * (lineHeight + kCellGap);
  wxBitmap bitmap(width, height, 24);
  {
    wxMemoryDC dc(bitmap);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    dc.SetFont(font);
    dc.SetTextForeground(wxColour(200, 20, 40));
    int y = kCellGap;
    for (const std::wstring& text : kTexts) {
      int x = kCellGap;
      for (const wxSize& c : kCells) {
        draw(dc, text, wxRect(wxPoint(x, y), c));
        x += c.x + kCellGap;
      }
      y += lineHeight + kCellGap;
    }
  }
  return bitmap.ConvertToImage();
}

// The first pixel where the two images differ, or an empty string.
std::string FirstDifference(const wxImage& a, const wxImage& b) {
  if (a.GetSize() != b.GetSize()) return "sizes differ";
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x)
      if (a.GetRed(x, y) != b.GetRed(x, y) || a.GetGreen(x, y) != b.GetGreen(x, y) ||
          a.GetBlue(x, y) != b.GetBlue(x, y))
        return "pixel " + std::to_string(x) + "," + std::to_string(y);
  return {};
}

TEST(CellTexts, DrawEveryLabelAsTheToolkitDoes) {
  for (const wxFont& font : Fonts()) {
    CellTexts texts;  // one for all: the second and later drawings come from what it kept
    for (const Placement& p : kAligns) {
      for (bool clipped : {false, true}) {
        SCOPED_TRACE(font.GetNativeFontInfoUserDesc().ToStdString() + ", " + p.name +
                     (clipped ? ", clipped" : ""));
        const wxImage expected =
            DrawAll(font, [&](wxDC& dc, const std::wstring& text, const wxRect& r) {
              if (clipped) {
                wxDCClipper clip(dc, r);
                dc.DrawLabel(wxString(text), r, p.align);
              } else {
                dc.DrawLabel(wxString(text), r, p.align);
              }
            });
        for (int pass = 0; pass < 2; ++pass) {
          const wxImage drawn =
              DrawAll(font, [&](wxDC& dc, const std::wstring& text, const wxRect& r) {
                if (clipped)
                  texts.DrawClippedLabel(dc, text, r, p.align);
                else
                  texts.DrawLabel(dc, text, r, p.align);
              });
          EXPECT_EQ(FirstDifference(expected, drawn), "") << "pass " << pass;
        }
      }
    }
  }
}

TEST(CellTexts, ExtentsAreTheToolkitsMeasures) {
  wxBitmap bitmap(10, 10, 24);
  wxMemoryDC dc(bitmap);
  for (const wxFont& font : Fonts()) {
    CellTexts texts;
    for (int pass = 0; pass < 2; ++pass) {
      // Two fonts in turn: the sizes kept for one are never answered for the other.
      for (const wxFont& f : {font, wxNORMAL_FONT->Bold()}) {
        dc.SetFont(f);
        for (const std::wstring& text : kTexts) {
          if (text.find(L'\n') != std::wstring::npos) continue;
          EXPECT_EQ(texts.Extent(dc, text), dc.GetTextExtent(wxString(text)))
              << f.GetNativeFontInfoUserDesc() << " '" << wxString(text) << "' pass " << pass;
        }
      }
    }
  }
}

}  // namespace
}  // namespace orv::ui

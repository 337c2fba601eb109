#pragma once
// The main frame's status bar: the message pane, the fourteen information panes addressed by
// their ids, and the zoom slider pane.

#include <wx/statusbr.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/win/WinTypes.h"

class wxSlider;
class wxGenericStaticText;
struct app_run_setting_s;

// One information pane as the bar creates it.
struct StatusPaneDef {
  UINT id;
  int baseWidth;  // scaled by the DPI factor; -1 sizes the pane to its text
  const wchar_t* text;
  const wchar_t* tooltip;
  COLORREF textColour;  // (COLORREF)-1: the default colour
};

// The panes after the message pane, in bar order (the zoom slider pane comes last).
const std::vector<StatusPaneDef>& StatusPaneTable();

constexpr UINT ID_STATUS_MESSAGE = 0;
constexpr UINT ID_STATUS_AUX = 533;
constexpr UINT ID_STATUS_COUNTER = 535;
constexpr UINT ID_STATUS_MARKET = 1243;
constexpr UINT ID_STATUS_LOGIN = 157;
constexpr UINT ID_STATUS_VALID = 1218;
constexpr UINT ID_STATUS_SCR = 1220;
constexpr UINT ID_STATUS_COMM = 1217;
constexpr UINT ID_STATUS_RUN_TIME = 534;
constexpr UINT ID_STATUS_PROGRESS = 536;
constexpr UINT ID_STATUS_USD = 1266;
constexpr UINT ID_STATUS_EURO = 1265;
constexpr UINT ID_STATUS_CLOCK = 1267;
constexpr UINT ID_STATUS_LOCAL_IP = 1268;
constexpr UINT ID_STATUS_ZOOM_TEXT = 537;
constexpr UINT ID_STATUS_ZOOM_SLIDER = 538;

// The panes' widths for a bar `barWidth` pixels wide (-1 for the message pane, which takes the
// rest): each pane as wide as given, or as its text needs when that is more, when all of them
// fit; else as wide as its text needs, so that every text stays whole as long as the texts fit.
std::vector<int> FitStatusPaneWidths(const std::vector<int>& given, const std::vector<int>& needed,
                                     int barWidth);

class CMainStatusBar : public wxStatusBar {
 public:
  // Creates the bar with every pane: widths scaled by the run settings' DPI factor, pane 1220
  // from the power-saving flag, pane 1268 with the local IP.
  CMainStatusBar(wxWindow* parent, const app_run_setting_s& settings);

  // Pane texts by pane id; false for an unknown id.
  bool SetPaneText(UINT id, const std::wstring& text);
  // As SetPaneText, but a changed pane of the bar's own is drawn with the next DrawHeldPanes()
  // (the main frame's next tick that paints: the clock's turn or the log's new lines), so that
  // the texts the modules set and the clock are painted together.
  bool SetPaneTextHeld(UINT id, const std::wstring& text);
  void DrawHeldPanes();
  std::wstring GetPaneText(UINT id) const;
  std::wstring GetPaneTooltip(UINT id) const;
  // The bar position of a pane id, -1 when the bar has no such pane.
  int CommandToIndex(UINT id) const;
  int GetPaneCount() const { return GetFieldsCount(); }

  wxSlider* GetZoomSlider() const { return zoomSlider_; }

  // The theme's font and colours for the bar. The toolkit looks them up in the theme on every
  // call, and each paint asks for them several times (the device context and the bar's own
  // drawing); the bar keeps them until the theme or the display's resolution changes.
  wxVisualAttributes GetDefaultAttributes() const override;

 protected:
  // A changed pane is marked for the next paint, which draws the changed panes together,
  // instead of the whole bar being painted at once for every pane set.
  void DoUpdateStatusText(int number) override;
  // Draws only the panes inside the paint's clip (what was invalidated, not its bounding box).
  void DrawField(wxDC& dc, int i, int textHeight) override;

 private:
  void PlaceChildren();
  void OnMotion(wxMouseEvent& event);
  // Draws the panes as the toolkit's paint does, with the text height measured once per font.
  // The size grip is drawn through the theme's style lookups, which cost more than the panes: a
  // paint that reaches the grip is left to the toolkit's own handler, one inside the panes (a
  // clock or a countdown changed) draws the panes only.
  void OnPaintBar(wxPaintEvent& event);
  // Measures a pane's text and sets the widths for the bar's width again.
  void FitPane(int index, const std::wstring& text);
  void ApplyWidths();

  std::vector<UINT> ids_;
  std::vector<std::wstring> tooltips_;
  std::vector<int> givenWidths_;   // by bar position, scaled
  std::vector<int> neededWidths_;  // by bar position: the shown text's width and padding
  // By bar position: the last measured text with its digits made alike, so that a clock or a
  // counter whose digits change is not measured again (digits are drawn equally wide).
  std::vector<std::wstring> measuredShapes_;
  std::map<UINT, wxGenericStaticText*> colouredPanes_;
  wxSlider* zoomSlider_ = nullptr;
  int tooltipField_ = -2;
  mutable std::optional<wxVisualAttributes> themeAttributes_;
  wxFont measuredFont_;  // the font textHeight_ was measured in
  int textHeight_ = 0;
  bool holding_ = false;
  std::vector<int> heldPanes_;  // by bar position
};

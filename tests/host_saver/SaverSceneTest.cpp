// The saver's scenes built into the engine and played frame by frame, its message lines and
// the input guard that decides which input ends it.

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "host/saver/SaverScene.h"

namespace {

using orv::host::SaverInputGuard;
using orv::host::SaverMessageLines;
using orv::host::SaverTexts;

class CountingCanvas : public CAnimationCanvas {
 public:
  void SelectFont(const AnimationFont& font) override { font_ = font; }
  AnimationSize TextExtent(const std::wstring& text) override {
    return AnimationSize{static_cast<int>(text.size()) * 10, 20};
  }
  void DrawText(const std::wstring& text, const RECT&, COLORREF) override {
    firstFrame.emplace(text, frame);
    faces[text] = font_.face;
    weights[text] = font_.weight;
  }
  void FillBackground(const RECT&) override {}
  void DrawBitmap(const CDIBitmap&, int, int, int, int) override { ++bitmaps; }
  int frame = 0;
  int bitmaps = 0;
  std::map<std::wstring, int> firstFrame;  // the frame each text was first drawn in
  std::map<std::wstring, std::wstring> faces;
  std::map<std::wstring, int> weights;

 private:
  AnimationFont font_;
};

SaverTexts Texts() {
  SaverTexts texts;
  texts.title = L"TITLE";
  texts.subtitle = L"SUB";
  texts.heading = L"HEADING";
  texts.logoPath = "/nonexistent/scr_saver_logo.bmp";
  return texts;
}

// Plays frames until every text of `wanted` was drawn (or the frame limit passes).
void PlayUntilDrawn(CAnimationEngine& engine, CountingCanvas& canvas, const SaverTexts& texts,
                    const SaverMessageLines& lines, const std::set<std::wstring>& wanted) {
  for (canvas.frame = 1; canvas.frame < 3000; ++canvas.frame) {
    orv::host::PlaySaverFrame(engine, canvas, texts, lines);
    if (std::all_of(wanted.begin(), wanted.end(),
                    [&](const std::wstring& t) { return canvas.firstFrame.count(t) != 0; })) {
      return;
    }
  }
}

TEST(SaverScene, TheFirstFrameBuildsAScenePlayedInItsOrder) {
  CAnimationEngine engine;
  engine.SetRect(RECT{0, 0, 1600, 1000});
  SaverMessageLines lines;
  lines.Set(-1, L"L1A", L"L1B", L"L1C");
  lines.Set(-1, L"L2A", L"L2B", L"L2C");
  const SaverTexts texts = Texts();
  CountingCanvas canvas;
  orv::host::AddSaverStartItem(engine);
  // The start item alone is fewer than three: the first frame appends a whole scene.
  canvas.frame = 0;
  orv::host::PlaySaverFrame(engine, canvas, texts, lines);
  EXPECT_GT(engine.Items().size(), 20u);

  PlayUntilDrawn(engine, canvas, texts, lines,
                 {L"TITLE", L"SUB", texts.info, L"HEADING", L"L1A", L"L2C"});
  const auto at = [&](const std::wstring& t) {
    return canvas.firstFrame.count(t) ? canvas.firstFrame.at(t) : -1;
  };
  EXPECT_EQ(at(L"TITLE"), 1);
  EXPECT_EQ(at(L"SUB"), 1);
  EXPECT_GT(canvas.bitmaps, 0);  // the logo (the program's own, as the file is missing)
  // An item drawn on frames 1 to n ends on frame n + 1; who waits for it starts on n + 2.
  // The info text follows the logo (100 frames, maybe 20 more to the centre).
  EXPECT_TRUE(at(texts.info) == 102 || at(texts.info) == 123) << at(texts.info);
  // The heading and the first line follow the info text; the second line waits for the
  // first line's third text: 40 frames of moving and 60 of holding.
  EXPECT_EQ(at(L"HEADING"), at(texts.info) + 31);
  EXPECT_EQ(at(L"L1A"), at(L"HEADING"));
  EXPECT_EQ(at(L"L1C"), at(L"L1A"));
  EXPECT_EQ(at(L"L2A"), at(L"L1A") + 102);
  // The fonts the scene names, bold in their own faces.
  EXPECT_EQ(canvas.faces[L"TITLE"], L"Arial");
  EXPECT_EQ(canvas.weights[L"TITLE"], 700);
  EXPECT_EQ(canvas.faces[L"L1A"], L"Courier New");
  EXPECT_EQ(canvas.weights[L"L1A"], 700);
  EXPECT_EQ(canvas.faces[L"L1B"], L"MS Sans Serif");
  EXPECT_EQ(canvas.weights[L"HEADING"], 700);
}

TEST(SaverScene, WithoutMessageLinesTheMessageSceneIsTheHeading) {
  CAnimationEngine engine;
  engine.SetRect(RECT{0, 0, 800, 600});
  SaverMessageLines lines;
  orv::host::BuildSaverScene(engine, Texts(), lines);
  int headings = 0;
  for (const auto& item : engine.Items()) {
    if (item->Text() == L"HEADING") ++headings;
    EXPECT_TRUE(item->Font() == nullptr || item->Font()->face != L"Courier New");
  }
  EXPECT_EQ(headings, 1);
  // Every scene item lies inside the scene.
  for (const auto& item : engine.Items()) {
    EXPECT_TRUE(item->Target().x >= -100 && item->Target().x <= 900) << item->Target().x;
  }
}

TEST(SaverMessageLines, SetAndClear) {
  SaverMessageLines lines;
  EXPECT_EQ(lines.Set(-1, L"a", L"b", L"c"), 0);
  EXPECT_EQ(lines.Set(-1, L"d", L"e", L"f"), 1);
  EXPECT_EQ(lines.Set(5, L"g", L"h", L"i"), 5);
  EXPECT_EQ(lines.Count(), 6);
  EXPECT_EQ(lines.Set(2, L"x", L"y", L"z"), 2);
  EXPECT_EQ(lines.Count(), 6);
  // Index 100 changes nothing and answers the last index written.
  EXPECT_EQ(lines.Set(100, L"no", L"no", L"no"), 2);
  EXPECT_EQ(lines.Count(), 6);
  // -1 appends after the last written.
  EXPECT_EQ(lines.Set(-1, L"j", L"k", L"l"), 3);
  EXPECT_EQ(lines.Line(3)[2], L"l");
  // Texts are bounded.
  lines.Set(0, std::wstring(150, L'a'), std::wstring(300, L'b'), L"");
  EXPECT_EQ(lines.Line(0)[0].size(), 99u);
  EXPECT_EQ(lines.Line(0)[1].size(), 199u);

  lines.Clear(2);
  EXPECT_EQ(lines.Count(), 2);
  EXPECT_TRUE(lines.Line(5)[0].empty());
  EXPECT_EQ(lines.Set(-1, L"m", L"n", L"o"), 2);
  lines.Clear(-4);
  EXPECT_EQ(lines.Count(), 0);
  EXPECT_EQ(lines.Set(-1, L"p", L"q", L"r"), 0);
  // Filling all 100 lines, the 101st append is refused.
  for (int i = 1; i < 100; ++i) lines.Set(-1, L"", L"", L"");
  EXPECT_EQ(lines.Set(-1, L"s", L"t", L"u"), 99);
  EXPECT_EQ(lines.Count(), 100);
}

TEST(SaverInputGuard, WhichInputEndsTheSaver) {
  using Button = SaverInputGuard::Button;
  const DWORD shown = 0xFFFFFF00;  // shown just before the tick count wraps
  struct Step {
    const char* what;
    DWORD after;  // milliseconds after showing
    int kind;     // 0 key, 1 left, 2 right, 3 middle, 4 move
    POINT at;
    bool stops;
  };
  const Step steps[] = {
      {"key at 200 ms", 200, 0, {}, true},
      {"left at 10 ms", 10, 1, {}, true},
      {"right at 999 ms", 999, 2, {}, false},
      {"middle at 1000 ms", 1000, 3, {}, true},
      {"first move only records", 2000, 4, {500, 500}, false},
  };
  for (const Step& s : steps) {
    SaverInputGuard guard;
    guard.Restart(shown);
    const DWORD now = shown + s.after;
    bool stops = false;
    switch (s.kind) {
      case 0:
        stops = guard.OnKey(now);
        break;
      case 1:
        stops = guard.OnButton(Button::kLeft, now);
        break;
      case 2:
        stops = guard.OnButton(Button::kRight, now);
        break;
      case 3:
        stops = guard.OnButton(Button::kMiddle, now);
        break;
      default:
        stops = guard.OnMouseMove(s.at, now);
        break;
    }
    EXPECT_EQ(stops, s.stops) << s.what;
  }

  SaverInputGuard guard;
  guard.Restart(shown);
  EXPECT_FALSE(guard.OnMouseMove({100, 100}, shown + 10));
  // 5 pixels inside the first second: not yet.
  EXPECT_FALSE(guard.OnMouseMove({103, 102}, shown + 900));
  // 3 pixels after it: too small; 5 pixels from the first position: ends it.
  EXPECT_FALSE(guard.OnMouseMove({102, 101}, shown + 1100));
  EXPECT_TRUE(guard.OnMouseMove({97, 102}, shown + 1100));
  // Showing again starts the tracking anew.
  guard.Restart(shown + 5000);
  EXPECT_FALSE(guard.OnMouseMove({0, 0}, shown + 7000));
  EXPECT_TRUE(guard.OnMouseMove({0, 5}, shown + 7000));
}

}  // namespace

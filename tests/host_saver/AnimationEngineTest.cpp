// The animation engine stepped on a recording canvas, the font specs, the random helpers and
// the BMP reader.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/saver/AnimationEngine.h"
#include "host/saver/DIBitmap.h"

namespace {

// Records what the engine draws; every character is 10 x 20 pixels.
class RecordingCanvas : public CAnimationCanvas {
 public:
  struct Text {
    std::wstring text;
    RECT rect;
    COLORREF colour;
  };
  struct Bitmap {
    int srcX, width, x, y;
  };
  void SelectFont(const AnimationFont& font) override { font_ = font; }
  AnimationSize TextExtent(const std::wstring& text) override {
    return AnimationSize{static_cast<int>(text.size()) * 10, 20};
  }
  void DrawText(const std::wstring& text, const RECT& rect, COLORREF colour) override {
    texts.push_back({text, rect, colour});
    fonts.push_back(font_.face);
  }
  void FillBackground(const RECT& rect) override { fills.push_back(rect); }
  void DrawBitmap(const CDIBitmap&, int srcX, int width, int x, int y) override {
    bitmaps.push_back({srcX, width, x, y});
  }
  void Reset() {
    texts.clear();
    fonts.clear();
    fills.clear();
    bitmaps.clear();
  }
  std::vector<Text> texts;
  std::vector<std::wstring> fonts;
  std::vector<RECT> fills;
  std::vector<Bitmap> bitmaps;

 private:
  AnimationFont font_;
};

TEST(AnimationEngine, TwentyFrameMoveOfHundredPixelsIsFivePixelsAFrame) {
  CAnimationEngine engine;
  RecordingCanvas canvas;
  CAnimationItem& item = engine.AddItem(L"abc").SetTextPos(10, 50).SetTarget(110, 50);
  ASSERT_EQ(item.Frames(), 20);
  for (int frame = 1; frame <= 20; ++frame) {
    canvas.Reset();
    EXPECT_EQ(engine.StepAndPaint(canvas), 1);
    ASSERT_EQ(canvas.texts.size(), 1u) << frame;
    EXPECT_EQ(canvas.texts[0].rect.left, 10 + 5 * frame) << frame;
    EXPECT_EQ(canvas.texts[0].rect.top, 50);
    EXPECT_EQ(canvas.texts[0].colour, 0xBFBFBFu);
    // From the second frame on, the last image is cleared first.
    ASSERT_EQ(canvas.fills.size(), frame == 1 ? 0u : 1u) << frame;
    if (frame > 1) EXPECT_EQ(canvas.fills[0].left, 10 + 5 * (frame - 1));
  }
  EXPECT_EQ(engine.Items().size(), 1u);
  canvas.Reset();
  engine.StepAndPaint(canvas);
  EXPECT_TRUE(engine.Items().empty());
  EXPECT_TRUE(canvas.texts.empty());
}

TEST(AnimationEngine, AlignmentPlacesTheTextRectangle) {
  CAnimationEngine engine;
  RecordingCanvas canvas;
  engine.AddItem(L"abcd").SetTextPos(100, 0).SetFlags(CAnimationItem::kAlignCentre);
  engine.AddItem(L"abcd").SetTextPos(100, 0).SetFlags(CAnimationItem::kAlignRight);
  engine.StepAndPaint(canvas);
  ASSERT_EQ(canvas.texts.size(), 2u);
  EXPECT_EQ(canvas.texts[0].rect.left, 80);
  EXPECT_EQ(canvas.texts[0].rect.right, 120);
  EXPECT_EQ(canvas.texts[1].rect.left, 60);
  EXPECT_EQ(canvas.texts[1].rect.right, 100);
}

TEST(AnimationEngine, FadesEndAtTheirColour) {
  CAnimationEngine engine;
  RecordingCanvas canvas;
  engine.AddItem(L"in")
      .SetColour(0x00C08040)
      .SetCurrentColour(0)
      .SetFrames(7)
      .SetFlags(CAnimationItem::kFadeIn);
  engine.AddItem(L"out").SetColour(0x00FFFFFF).SetFrames(9).SetFlags(CAnimationItem::kFadeOut);
  std::vector<COLORREF> in, out;
  while (!engine.Items().empty()) {
    canvas.Reset();
    engine.StepAndPaint(canvas);
    for (const auto& t : canvas.texts) (t.text == L"in" ? in : out).push_back(t.colour);
  }
  ASSERT_EQ(in.size(), 7u);
  ASSERT_EQ(out.size(), 9u);
  EXPECT_EQ(in.back(), 0x00C08040u);
  EXPECT_EQ(out.back(), 0u);
  // Each step brightens (or darkens) every channel.
  for (size_t i = 1; i < in.size(); ++i) EXPECT_GE(GetRValue(in[i]), GetRValue(in[i - 1]));
  for (size_t i = 1; i < out.size(); ++i) EXPECT_LT(GetGValue(out[i]), GetGValue(out[i - 1]));
}

TEST(AnimationEngine, ChainsStartOnTheFrameAfterTheirItemEnds) {
  CAnimationEngine engine;
  RecordingCanvas canvas;
  CAnimationItem& first = engine.AddItem(L"first").SetTextPos(0, 0).SetTarget(30, 0).SetFrames(3);
  CAnimationItem& next = engine.AddFollowUp(first).SetFrames(2);
  next.SetTarget(30, 40);
  CAnimationItem& with = engine.AddItem(L"with").SetTextPos(500, 500).SetFrames(2).StartWith(next);
  // An item that does not wait when the other runs already.
  CAnimationItem& free = engine.AddItem(L"free").SetFrames(1).StartWith(first);
  EXPECT_TRUE(next.Waiting());
  EXPECT_TRUE(with.Waiting());
  EXPECT_FALSE(free.Waiting());
  EXPECT_EQ(next.Position().x, 30);
  EXPECT_EQ(next.TargetColour(), first.TargetColour());

  std::vector<std::vector<std::wstring>> drawn;
  while (!engine.Items().empty() && drawn.size() < 20) {
    canvas.Reset();
    engine.StepAndPaint(canvas);
    std::vector<std::wstring> frame;
    for (const auto& t : canvas.texts) frame.push_back(t.text);
    drawn.push_back(frame);
  }
  const std::vector<std::vector<std::wstring>> expected = {
      {L"first", L"free"},
      {L"first"},
      {L"first"},
      {},  // first ends; its follow-ups start on the next frame
      {L"first", L"with"},
      {L"first", L"with"},
      {}};
  EXPECT_EQ(drawn, expected);
  // The follow-up went on from the first item's end, 20 down per frame.
  EXPECT_TRUE(engine.Items().empty());
}

TEST(AnimationEngine, FollowUpOfATextClearsTheImageItTakesOver) {
  CAnimationEngine engine;
  RecordingCanvas canvas;
  CAnimationItem& first = engine.AddItem(L"ab").SetTextPos(0, 0).SetFrames(1);
  engine.AddFollowUp(first).SetFrames(1).SetTarget(0, 100);
  for (int i = 0; i < 2; ++i) engine.StepAndPaint(canvas);
  canvas.Reset();
  engine.StepAndPaint(canvas);
  ASSERT_EQ(canvas.fills.size(), 1u);
  EXPECT_EQ(canvas.fills[0].top, 0);
  ASSERT_EQ(canvas.texts.size(), 1u);
  EXPECT_EQ(canvas.texts[0].rect.top, 100);
}

TEST(FontSpec, ReadsHeightStyleAndFaceInAnyOrder) {
  struct Case {
    const wchar_t* spec;
    int height, weight;
    bool italic, underline, strike;
    int charSet;
    const wchar_t* face;
  };
  const Case cases[] = {
      {L"15,MS Sans Serif", 15, 400, false, false, false, 0, L"MS Sans Serif"},
      {L"36,Arial,B", 36, 700, false, false, false, 0, L"Arial"},
      {L"34,Courier New,B", 34, 700, false, false, false, 0, L"Courier New"},
      {L"28,B", 28, 700, false, false, false, 0, L"Arial"},
      {L"20", 20, 400, false, false, false, 0, L"Arial"},
      {L"-18,B600,I,U,S,C:129,Nanum Gothic", 18, 600, true, true, true, 129, L"Nanum Gothic"},
      {L"", 12, 400, false, false, false, 0, L"Arial"},
      {L"12,ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", 12, 400, false, false, false, 0,
       L"ABCDEFGHIJKLMNOPQRSTUVWXYZ01234"},
  };
  for (const Case& c : cases) {
    const AnimationFont font = ParseFontSpec(c.spec);
    SCOPED_TRACE(std::string(c.spec, c.spec + wcslen(c.spec)));
    EXPECT_EQ(font.height, c.height);
    EXPECT_EQ(font.weight, c.weight);
    EXPECT_EQ(font.italic, c.italic);
    EXPECT_EQ(font.underline, c.underline);
    EXPECT_EQ(font.strikeOut, c.strike);
    EXPECT_EQ(font.charSet, c.charSet);
    EXPECT_EQ(font.face, c.face);
  }
  CAnimationEngine engine;
  EXPECT_EQ(engine.DefaultFont().face, L"MS Sans Serif");
  EXPECT_EQ(engine.GetFont(L"28,B"), engine.GetFont(L"28,B"));
}

TEST(AnimationRandom, StaysInRangeOverTheGeneratorsWholeRange) {
  CAnimationEngine engine;
  engine.SetRect(RECT{100, 200, 1100, 1000});
  int minX = 1 << 30, maxX = 0, minY = 1 << 30, maxY = 0;
  for (int i = 0; i < 20000; ++i) {
    const POINT p = engine.RandomPoint(40, 0);
    minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
  }
  EXPECT_GE(minX, 140);
  EXPECT_LE(maxX, 1059);
  EXPECT_GE(minY, 240);
  EXPECT_LE(maxY, 959);
  // Spread over the whole area, not a corner of it.
  EXPECT_GT(maxX, 1000);
  EXPECT_GT(maxY, 900);
  // Large ranges neither overflow nor leave the range.
  int largest = 0;
  for (int i = 0; i < 2000; ++i) {
    const int v = CAnimationEngine::RandomBelow(3000000);
    ASSERT_GE(v, 0);
    ASSERT_LT(v, 3000000);
    largest = std::max(largest, v);
  }
  EXPECT_GT(largest, 1500000);
  EXPECT_EQ(CAnimationEngine::RandomBelow(0), 0);
  EXPECT_EQ(CAnimationEngine::RandomBelow(1), 0);
  // An area smaller than twice the margin keeps no margin.
  engine.SetRect(RECT{0, 0, 50, 50});
  for (int i = 0; i < 200; ++i) {
    const POINT p = engine.RandomPoint(100, 40);
    EXPECT_TRUE(p.x >= 0 && p.x < 50 && p.y >= 0 && p.y < 50);
  }
}

// A BMP file of w x h at 24 bits (or 8 with a grey table), rows bottom-up.
std::vector<uint8_t> MakeBmp(int w, int h, int bpp) {
  const int row = CDIBitmap::RowBytes(w, bpp);
  const int table = bpp == 8 ? 256 * 4 : 0;
  const uint32_t offset = 54 + table;
  std::vector<uint8_t> d(offset + static_cast<size_t>(row) * h, 0);
  auto put = [&](size_t at, uint32_t v, int n) {
    for (int i = 0; i < n; ++i) d[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  d[0] = 'B', d[1] = 'M';
  put(2, static_cast<uint32_t>(d.size()), 4);
  put(10, offset, 4);
  put(14, 40, 4);
  put(18, w, 4);
  put(22, h, 4);
  put(26, 1, 2);
  put(28, bpp, 2);
  for (int i = 0; i < table / 4; ++i) put(54 + i * 4, i * 0x010101, 4);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const size_t at = offset + static_cast<size_t>(h - 1 - y) * row;
      if (bpp == 8) {
        d[at + x] = static_cast<uint8_t>(x * 10 + y);
      } else {
        d[at + x * 3] = static_cast<uint8_t>(x);      // blue
        d[at + x * 3 + 1] = static_cast<uint8_t>(y);  // green
        d[at + x * 3 + 2] = 200;                      // red
      }
    }
  }
  return d;
}

TEST(DIBitmap, ReadsRowsAndPalettesFromTheTopLeft) {
  CDIBitmap bmp24;
  bmp24.LoadFromMemory(MakeBmp(5, 3, 24));
  EXPECT_EQ(bmp24.Width(), 5);
  EXPECT_EQ(bmp24.Height(), 3);
  EXPECT_EQ(bmp24.NumColors(), 0);
  EXPECT_EQ(bmp24.Palette(), nullptr);
  EXPECT_EQ(bmp24.PixelAt(4, 0), RGB(200, 0, 4));
  EXPECT_EQ(bmp24.PixelAt(1, 2), RGB(200, 2, 1));
  EXPECT_EQ(bmp24.ToRgb(3, 1, 2, 1), (std::vector<uint8_t>{200, 1, 3, 200, 1, 4}));

  CDIBitmap bmp8;
  bmp8.LoadFromMemory(MakeBmp(3, 2, 8));
  EXPECT_EQ(bmp8.NumColors(), 256);
  ASSERT_NE(bmp8.Palette(), nullptr);
  EXPECT_EQ(bmp8.PixelAt(2, 1), RGB(21, 21, 21));

  // Saved and read again, it is the same bitmap.
  const std::string path = testing::TempDir() + "saver-roundtrip.bmp";
  ASSERT_TRUE(bmp8.Save(path));
  CDIBitmap again;
  again.Load(path);
  EXPECT_EQ(again.PixelAt(2, 1), RGB(21, 21, 21));
  EXPECT_EQ(again.NumColors(), 256);
  std::remove(path.c_str());

  EXPECT_EQ(CDIBitmap::RowBytes(5, 24), 16);
  EXPECT_EQ(CDIBitmap::RowBytes(9, 1), 4);
  EXPECT_EQ(CDIBitmap::RowBytes(3, 8), 4);
}

TEST(DIBitmap, BadFilesNameTheirFault) {
  const std::vector<uint8_t> good = MakeBmp(4, 4, 24);
  std::vector<uint8_t> notBm = good;
  notBm[0] = 'P';
  std::vector<uint8_t> os2 = good;
  os2[14] = 12;  // the OS/2 core header
  std::vector<uint8_t> cut(good.begin(), good.end() - 10);
  std::vector<uint8_t> badOffset = good;
  badOffset[13] = 0x7F;
  const struct {
    std::vector<uint8_t> data;
    const char* error;
  } cases[] = {
      {notBm, "Error:Unexpected file type, not a DIB\n"},
      {std::vector<uint8_t>(good.begin(), good.begin() + 10),
       "Error:Unexpected file type, not a DIB\n"},
      {os2, "Error:OS2 PM BMP Format not supported\n"},
      {std::vector<uint8_t>(good.begin(), good.begin() + 30),
       "Error:OS2 PM BMP Format not supported\n"},
      {cut, "could not allocate data storage\n"},
      {badOffset, "could not allocate data storage\n"},
  };
  for (const auto& c : cases) {
    CDIBitmap bmp;
    bmp.LoadFromMemory(good);
    try {
      bmp.LoadFromMemory(c.data);
      ADD_FAILURE() << "no error for " << c.error;
    } catch (const CDIBitmapError& e) {
      EXPECT_STREQ(e.what(), c.error);
    }
    // A failed load keeps the bitmap it had.
    EXPECT_EQ(bmp.Width(), 4);
  }
}

TEST(DIBitmap, EngineFallsBackToTheProgramsBitmapAndCachesIt) {
  CAnimationEngine engine;
  const std::string dir = testing::TempDir() + "saver-bitmaps/";
  std::filesystem::create_directories(dir);
  {
    std::ofstream damaged(dir + "damaged.bmp", std::ios::binary);
    damaged << "not a bitmap";
  }
  // A damaged file, a missing file and a folder all give the program's own logo.
  const CDIBitmap* logo = engine.GetBitmap(2002, dir + "damaged.bmp");
  ASSERT_NE(logo, nullptr);
  EXPECT_GT(logo->Width(), 0);
  EXPECT_EQ(engine.GetBitmap(2002, dir + "missing.bmp"), logo);
  // The sparkle strip holds 27 square cells.
  const CDIBitmap* sparkles = engine.GetBitmap(1343, dir);
  ASSERT_NE(sparkles, nullptr);
  EXPECT_EQ(sparkles->Width(), 27 * sparkles->Height());
  // An id with no bitmap is not cached, and its item draws nothing.
  EXPECT_EQ(engine.GetBitmap(4242), nullptr);
  RecordingCanvas canvas;
  engine.AddItem(L"").SetBitmap(4242, -1, -1).SetFrames(2);
  engine.AddItem(L"")
      .SetBitmap(1343, 26, -1)
      .SetTextPos(100, 10)
      .SetFrames(2)
      .SetFlags(CAnimationItem::kAlignCentre);
  engine.StepAndPaint(canvas);
  ASSERT_EQ(canvas.bitmaps.size(), 1u);
  EXPECT_EQ(canvas.bitmaps[0].srcX, 26 * sparkles->Height());
  EXPECT_EQ(canvas.bitmaps[0].width, sparkles->Height());
  EXPECT_EQ(canvas.bitmaps[0].x, 100 - sparkles->Height() / 2);

  // A readable file wins over the program's bitmap.
  {
    const std::vector<uint8_t> data = MakeBmp(7, 3, 24);
    std::ofstream file(dir + "logo.bmp", std::ios::binary);
    file.write(reinterpret_cast<const char*>(data.data()),
               static_cast<std::streamsize>(data.size()));
  }
  CAnimationEngine fresh;
  ASSERT_NE(fresh.GetBitmap(2002, dir + "logo.bmp"), nullptr);
  EXPECT_EQ(fresh.GetBitmap(2002, dir + "logo.bmp")->Width(), 7);
  std::filesystem::remove_all(dir);
}

}  // namespace

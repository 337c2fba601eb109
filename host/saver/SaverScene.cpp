#include "host/saver/SaverScene.h"

#include <algorithm>

namespace orv::host {

namespace {

constexpr uint32_t kCentre = CAnimationItem::kAlignCentre;

std::wstring Cut(const std::wstring& text, size_t max) { return text.substr(0, max); }

// A follow-up of `item` that holds still for `frames`.
CAnimationItem& Hold(CAnimationEngine& engine, CAnimationItem& item, int frames) {
  return engine.AddFollowUp(item).SetFrames(frames);
}

CAnimationItem& FadeOut(CAnimationEngine& engine, CAnimationItem& item, int frames) {
  CAnimationItem& out = engine.AddFollowUp(item).SetFrames(frames);
  return out.SetFlags(out.ItemFlags() | CAnimationItem::kFadeOut);
}

// The title, logo, subtitle and info text; returns the info text item.
CAnimationItem& BuildBaseScene(CAnimationEngine& engine, const SaverTexts& texts) {
  const RECT& rect = engine.Rect();
  const POINT p = engine.RandomPoint(100, 40);

  CAnimationItem& title = engine.AddItem(texts.title)
                              .SetPosAndTarget(p.x, p.y - 70, p.x, p.y - 50)
                              .SetFrames(70)
                              .SetFont(L"36,Arial,B")
                              .SetCurrentColour(0)
                              .SetFlags(CAnimationItem::kFadeIn | kCentre);
  CAnimationItem& logo = engine.AddItem(L"")
                             .SetBitmap(kSaverLogoBitmap, texts.logoPath, -1, -1)
                             .SetPosAndTarget(p.x, p.y + 50, p.x, p.y + 76)
                             .SetFrames(100)
                             .SetFlags(kCentre);
  CAnimationItem& subtitle = engine.AddItem(texts.subtitle)
                                 .SetPosAndTarget(p.x, p.y + 20, p.x + 40, p.y - 20)
                                 .SetFrames(70)
                                 .SetFlags(kCentre);
  CAnimationItem& titleNext = engine.AddFollowUp(title).SetFrames(30);
  titleNext.SetTarget(titleNext.Position().x, titleNext.Position().y + 8);
  CAnimationItem& subtitleNext = FadeOut(engine, subtitle, 40);
  subtitleNext.SetTarget(subtitleNext.Position().x + 15, subtitleNext.Position().y - 20);

  CAnimationItem* anchor = &logo;
  if (CAnimationEngine::RandomBelow(3) == 0) {
    anchor = &engine.AddFollowUp(logo)
                  .SetTarget((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2)
                  .SetFrames(20);
  }
  const POINT end = anchor->Target();
  CAnimationItem& info = engine.AddItem(texts.info)
                             .SetTextPos(end.x, end.y - 40)
                             .SetFrames(30)
                             .SetFlags(kCentre)
                             .StartAfter(*anchor);
  Hold(engine, *anchor, 20).StartWith(info);
  FadeOut(engine, info, 10);

  if (CAnimationEngine::RandomBelow(20) < 10) {
    const int count = CAnimationEngine::RandomBelow((rect.bottom - rect.top) / 18) + 3;
    for (int i = 0; i < count; ++i) {
      const POINT from = engine.RandomPoint(0, 40);
      const POINT to = engine.RandomPoint(0, 40);
      CAnimationItem& sparkle =
          engine.AddItem(L"")
              .SetBitmap(kSaverSparkleBitmap, CAnimationEngine::RandomBelow(kSaverSparkleCells), -1)
              .SetPosAndTarget(from.x, from.y, to.x, to.y)
              .SetFrames(150)
              .StartWith(info);
      const POINT again = engine.RandomPoint(0, 40);
      engine.AddFollowUp(sparkle).SetTarget(again.x, again.y).SetFrames(15);
    }
  }
  return info;
}

// The heading and the message lines, starting after `after`.
void BuildMessageScene(CAnimationEngine& engine, CAnimationItem& after, const SaverTexts& texts,
                       const SaverMessageLines& lines) {
  const RECT& rect = engine.Rect();
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  const COLORREF colour = RGB(static_cast<uint8_t>(CAnimationEngine::RandomBelow(256)),
                              static_cast<uint8_t>(CAnimationEngine::RandomBelow(256)),
                              static_cast<uint8_t>(CAnimationEngine::RandomBelow(256)));
  CAnimationItem& heading =
      engine.AddItem(texts.heading)
          .SetTextPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2)
          .SetColour(colour)
          .SetFont(L"28,B")
          .SetFlags(kCentre | CAnimationItem::kFadeOut)
          .SetFrames(150)
          .StartAfter(after);

  static const wchar_t* const kFonts[3] = {L"28,Courier New,B", L"24,MS Sans Serif",
                                           L"22,MS Sans Serif"};
  static const COLORREF kColours[3] = {0xBFBFBF, 0x0099FF, 0xBFBFBF};
  CAnimationItem* previous = &heading;
  bool first = true;
  for (int i = 0; i < lines.Count(); ++i) {
    const int x = rect.left + CAnimationEngine::RandomBelow(width / 2);
    const int y = rect.top + CAnimationEngine::RandomBelow(std::max(height - 40, 0));
    CAnimationItem* lastHold = nullptr;
    for (int k = 0; k < 3; ++k) {
      const POINT from = engine.RandomPoint(0, 40);
      CAnimationItem& text = engine.AddItem(lines.Line(i)[k])
                                 .SetPosAndTarget(from.x, from.y, x, y + 30 * k)
                                 .SetFont(kFonts[k])
                                 .SetColour(kColours[k])
                                 .SetFrames(40);
      // The first line comes with the heading, each later one after the line before.
      if (first) {
        text.StartWith(heading);
      } else {
        text.StartAfter(*previous);
      }
      lastHold = &Hold(engine, text, 60);
      FadeOut(engine, *lastHold, 30);
    }
    previous = lastHold;
    first = false;
  }
}

}  // namespace

int SaverMessageLines::Set(int index, const std::wstring& first, const std::wstring& second,
                           const std::wstring& third) {
  if (index < 0) index = last_ + 1;
  if (index >= kMaxLines) return last_;
  lines_[index] = {Cut(first, 99), Cut(second, 199), Cut(third, 199)};
  last_ = index;
  count_ = std::max(count_, index + 1);
  return index;
}

void SaverMessageLines::Clear(int first) {
  first = std::max(first, 0);
  for (int i = first; i < kMaxLines; ++i) lines_[i] = {};
  count_ = std::min(count_, first);
  last_ = count_ - 1;
}

void BuildSaverScene(CAnimationEngine& engine, const SaverTexts& texts,
                     const SaverMessageLines& lines) {
  CAnimationItem& info = BuildBaseScene(engine, texts);
  BuildMessageScene(engine, info, texts, lines);
}

void AddSaverStartItem(CAnimationEngine& engine) {
  engine.AddItem(L"").SetTextPos(0, 40).SetFrames(50).SetFlags(CAnimationItem::kFadeOut);
}

void PlaySaverFrame(CAnimationEngine& engine, CAnimationCanvas& canvas, const SaverTexts& texts,
                    const SaverMessageLines& lines) {
  if (engine.StepAndPaint(canvas) < 3) BuildSaverScene(engine, texts, lines);
}

void SaverInputGuard::Restart(DWORD now) {
  guardStart_ = now;
  tracking_ = false;
}

bool SaverInputGuard::OnKey(DWORD) { return true; }

bool SaverInputGuard::OnButton(Button button, DWORD now) {
  return button == Button::kLeft || Passed(now);
}

bool SaverInputGuard::OnMouseMove(POINT cursor, DWORD now) {
  if (!tracking_) {
    tracking_ = true;
    first_ = cursor;
    return false;
  }
  const int distance = std::abs(cursor.x - first_.x) + std::abs(cursor.y - first_.y);
  return distance >= kMoveThreshold && Passed(now);
}

}  // namespace orv::host

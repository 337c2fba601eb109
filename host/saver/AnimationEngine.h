#pragma once
// A small frame-based animation engine: texts and bitmaps that move in straight lines toward
// a target, fade in or out, and start one after another or together. One call to
// StepAndPaint() advances every running item by one frame and draws it on a canvas; the
// screen saver calls it on every timer tick. The engine knows no toolkit: it draws through
// CAnimationCanvas, which the saver window implements over the toolkit's device context.

#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/saver/DIBitmap.h"
#include "platform/win/WinTypes.h"

// A font read from a spec such as "36,Arial,B" (see ParseFontSpec).
struct AnimationFont {
  int height = 12;  // character height in pixels
  int weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  int charSet = 0;
  std::wstring face = L"Arial";
};

// Reads a comma-separated font spec. A token that is a number (digits or a leading minus) is
// the height; "B" is bold (weight 700) and "B<number>" that weight; "I", "U" and "S" are
// italic, underline and strike-out; "C" with a separator and a number is the character set.
// Any other token is the face name (at most 31 characters), wherever it stands, so that both
// "15,MS Sans Serif" and "36,Arial,B" read as meant.
AnimationFont ParseFontSpec(const std::wstring& spec);

struct AnimationSize {
  int cx = 0;
  int cy = 0;
};

// Where the engine draws: a device context with a black background.
class CAnimationCanvas {
 public:
  virtual ~CAnimationCanvas() = default;
  virtual void SelectFont(const AnimationFont& font) = 0;
  virtual AnimationSize TextExtent(const std::wstring& text) = 0;
  // Draws text in the selected font with its top-left corner at rect's.
  virtual void DrawText(const std::wstring& text, const RECT& rect, COLORREF colour) = 0;
  // Fills rect with the background colour.
  virtual void FillBackground(const RECT& rect) = 0;
  // Draws the part (srcX, 0, width, height) of bitmap with its top-left corner at (x, y).
  virtual void DrawBitmap(const CDIBitmap& bitmap, int srcX, int width, int x, int y) = 0;
};

class CAnimationEngine;

class CAnimationItem {
 public:
  enum Flags : uint32_t {
    kFadeIn = 1,
    kFadeOut = 2,
    kAlignRight = 8,
    kAlignCentre = 16,
  };

  explicit CAnimationItem(CAnimationEngine* engine) : engine_(engine) {}
  virtual ~CAnimationItem() = default;

  // Setters return the item so that calls chain.
  CAnimationItem& SetTextPos(int x, int y);  // also the target and the exact position
  CAnimationItem& SetTarget(int x, int y);
  CAnimationItem& SetPosAndTarget(int x, int y, int targetX, int targetY);
  CAnimationItem& SetFrames(int frames);
  CAnimationItem& SetColour(COLORREF colour);  // target and current
  CAnimationItem& SetCurrentColour(COLORREF colour);
  CAnimationItem& SetFlags(uint32_t flags);
  CAnimationItem& SetFont(const std::wstring& spec);
  CAnimationItem& SetBitmap(uint32_t id, int frame, int extra);
  CAnimationItem& SetBitmap(uint32_t id, const std::string& file, int frame, int extra);
  // This item waits until `other` ends.
  CAnimationItem& StartAfter(CAnimationItem& other);
  // This item waits as long as `other` does (and starts at once when `other` runs already).
  CAnimationItem& StartWith(CAnimationItem& other);

  const std::wstring& Text() const { return text_; }
  POINT Position() const { return position_; }
  POINT Target() const { return target_; }
  COLORREF Colour() const { return currentColour_; }
  COLORREF TargetColour() const { return targetColour_; }
  int Frames() const { return frames_; }
  uint32_t ItemFlags() const { return flags_; }
  bool Waiting() const { return waitingOn_ != nullptr; }
  bool Drawn() const { return drawn_ != 0; }
  const AnimationFont* Font() const { return font_; }
  const CDIBitmap* Bitmap() const { return bitmap_; }
  int BitmapFrame() const { return bitmapFrame_; }

 private:
  friend class CAnimationEngine;

  // One frame: move, fade and draw; false once the item has ended.
  bool Step(CAnimationCanvas& canvas);
  RECT TextRect(CAnimationCanvas& canvas, POINT at) const;
  RECT BitmapRect(POINT at) const;

  std::wstring text_;
  COLORREF targetColour_ = 0xBFBFBF;
  COLORREF currentColour_ = 0xBFBFBF;
  POINT position_{};
  POINT target_{};
  POINT drawnPosition_{};
  double exactX_ = 0.0;
  double exactY_ = 0.0;
  int frames_ = 20;
  int drawn_ = 0;
  uint32_t flags_ = 0;
  const AnimationFont* font_ = nullptr;
  const CDIBitmap* bitmap_ = nullptr;
  int bitmapFrame_ = -1;
  int bitmapExtra_ = 0;
  // The item this one waits for, and the items that wait for this one.
  CAnimationItem* waitingOn_ = nullptr;
  std::vector<CAnimationItem*> followers_;
  CAnimationEngine* engine_;
};

class CAnimationEngine {
 public:
  // Seeds the random generator with the current time.
  CAnimationEngine();
  virtual ~CAnimationEngine() = default;
  CAnimationEngine(const CAnimationEngine&) = delete;
  CAnimationEngine& operator=(const CAnimationEngine&) = delete;

  void SetRect(const RECT& rect) { rect_ = rect; }
  const RECT& Rect() const { return rect_; }

  // A new item at the end of the list, with the defaults.
  CAnimationItem& AddItem(const std::wstring& text);
  // A new item that starts where and when `other` ends: the same text, font, bitmap and
  // alignment, at other's target in its target colour, 20 frames.
  CAnimationItem& AddFollowUp(CAnimationItem& other);

  // Cached bitmaps; null when the bitmap cannot be loaded (nothing is cached then).
  const CDIBitmap* GetBitmap(uint32_t id);
  // From the file when it exists and is no folder, else the resource of that id.
  const CDIBitmap* GetBitmap(uint32_t id, const std::string& file);
  // Cached fonts by spec.
  const AnimationFont* GetFont(const std::wstring& spec);
  const AnimationFont& DefaultFont() const { return defaultFont_; }

  // A random integer in 0..n-1 (0 when n < 1), over the generator's whole range.
  static int RandomBelow(int n);
  // A random point inside the scene, keeping min(margin, half the side - halfSize) (at least
  // 0) away from each edge.
  POINT RandomPoint(int margin, int halfSize) const;

  // Advances and draws one frame; returns the number of items in the list before the step.
  int StepAndPaint(CAnimationCanvas& canvas);
  // Drops all items and the caches.
  void Clear();

  const std::list<std::unique_ptr<CAnimationItem>>& Items() const { return items_; }

 private:
  RECT rect_{};
  AnimationFont defaultFont_;
  std::map<std::wstring, std::unique_ptr<AnimationFont>> fonts_;
  std::map<uint32_t, std::unique_ptr<CDIBitmap>> bitmaps_;
  std::list<std::unique_ptr<CAnimationItem>> items_;
};

#include "host/saver/AnimationEngine.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <cwctype>
#include <filesystem>

namespace {

bool AllDigits(const std::wstring& s, size_t from) {
  if (from >= s.size()) return false;
  return std::all_of(s.begin() + static_cast<std::ptrdiff_t>(from), s.end(),
                     [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

std::wstring Trim(const std::wstring& s) {
  const size_t b = s.find_first_not_of(L" \t");
  if (b == std::wstring::npos) return {};
  return s.substr(b, s.find_last_not_of(L" \t") - b + 1);
}

// One channel moved by a 1/frames share of the way to `to`.
int Approach(int from, int to, int frames) { return from + (to - from) / frames; }

}  // namespace

AnimationFont ParseFontSpec(const std::wstring& spec) {
  AnimationFont font;
  size_t start = 0;
  while (start <= spec.size()) {
    size_t comma = spec.find(L',', start);
    if (comma == std::wstring::npos) comma = spec.size();
    const std::wstring token = Trim(spec.substr(start, comma - start));
    start = comma + 1;
    if (token.empty()) continue;
    const wchar_t first = token[0];
    if (AllDigits(token, 0) || (first == L'-' && AllDigits(token, 1))) {
      font.height = std::abs(std::wcstol(token.c_str(), nullptr, 10));
    } else if (token == L"B") {
      font.weight = 700;
    } else if (first == L'B' && AllDigits(token, 1)) {
      font.weight = static_cast<int>(std::wcstol(token.c_str() + 1, nullptr, 10));
    } else if (token == L"I") {
      font.italic = true;
    } else if (token == L"U") {
      font.underline = true;
    } else if (token == L"S") {
      font.strikeOut = true;
    } else if (first == L'C' && token.size() >= 3 && !std::iswalnum(token[1]) &&
               AllDigits(token, 2)) {
      font.charSet = static_cast<int>(std::wcstol(token.c_str() + 2, nullptr, 10));
    } else {
      font.face = token.substr(0, 31);
    }
  }
  return font;
}

// ---------------------------------------------------------------------------------------------
// Items

CAnimationItem& CAnimationItem::SetTextPos(int x, int y) {
  position_ = target_ = POINT{x, y};
  exactX_ = x;
  exactY_ = y;
  return *this;
}

CAnimationItem& CAnimationItem::SetTarget(int x, int y) {
  target_ = POINT{x, y};
  return *this;
}

CAnimationItem& CAnimationItem::SetPosAndTarget(int x, int y, int targetX, int targetY) {
  SetTextPos(x, y);
  return SetTarget(targetX, targetY);
}

CAnimationItem& CAnimationItem::SetFrames(int frames) {
  frames_ = std::max(frames, 0);
  return *this;
}

CAnimationItem& CAnimationItem::SetColour(COLORREF colour) {
  targetColour_ = currentColour_ = colour;
  return *this;
}

CAnimationItem& CAnimationItem::SetCurrentColour(COLORREF colour) {
  currentColour_ = colour;
  return *this;
}

CAnimationItem& CAnimationItem::SetFlags(uint32_t flags) {
  flags_ = flags;
  return *this;
}

CAnimationItem& CAnimationItem::SetFont(const std::wstring& spec) {
  font_ = engine_->GetFont(spec);
  return *this;
}

CAnimationItem& CAnimationItem::SetBitmap(uint32_t id, int frame, int extra) {
  bitmap_ = engine_->GetBitmap(id);
  bitmapFrame_ = frame;
  bitmapExtra_ = extra;
  return *this;
}

CAnimationItem& CAnimationItem::SetBitmap(uint32_t id, const std::string& file, int frame,
                                          int extra) {
  bitmap_ = engine_->GetBitmap(id, file);
  bitmapFrame_ = frame;
  bitmapExtra_ = extra;
  return *this;
}

CAnimationItem& CAnimationItem::StartAfter(CAnimationItem& other) {
  if (&other == this) return *this;
  waitingOn_ = &other;
  other.followers_.push_back(this);
  return *this;
}

CAnimationItem& CAnimationItem::StartWith(CAnimationItem& other) {
  if (other.waitingOn_ != nullptr) StartAfter(*other.waitingOn_);
  return *this;
}

RECT CAnimationItem::TextRect(CAnimationCanvas& canvas, POINT at) const {
  const AnimationSize size = canvas.TextExtent(text_);
  int left = at.x;
  if (flags_ & kAlignCentre) {
    left = at.x - size.cx / 2;
  } else if (flags_ & kAlignRight) {
    left = at.x - size.cx;
  }
  return RECT{left, at.y, left + size.cx, at.y + size.cy};
}

RECT CAnimationItem::BitmapRect(POINT at) const {
  const int height = bitmap_->Height();
  const int width = bitmapFrame_ >= 0 ? height : bitmap_->Width();
  const int left = (flags_ & kAlignCentre) ? at.x - width / 2 : at.x;
  return RECT{left, at.y, left + width, at.y + height};
}

bool CAnimationItem::Step(CAnimationCanvas& canvas) {
  canvas.SelectFont(font_ != nullptr ? *font_ : engine_->DefaultFont());

  // Move so that the target is reached on the last frame.
  if (target_.x != position_.x || target_.y != position_.y) {
    if (frames_ > 0) {
      exactX_ += (target_.x - exactX_) / frames_;
      exactY_ += (target_.y - exactY_) / frames_;
    } else {
      exactX_ = target_.x;
      exactY_ = target_.y;
    }
  }
  const POINT next{static_cast<int>(exactX_ + (exactX_ < 0 ? -0.5 : 0.5)),
                   static_cast<int>(exactY_ + (exactY_ < 0 ? -0.5 : 0.5))};

  if (flags_ & (kFadeIn | kFadeOut)) {
    const COLORREF goal = (flags_ & kFadeIn) ? targetColour_ : COLORREF{0};
    if (frames_ > 0) {
      currentColour_ =
          RGB(static_cast<uint8_t>(Approach(GetRValue(currentColour_), GetRValue(goal), frames_)),
              static_cast<uint8_t>(Approach(GetGValue(currentColour_), GetGValue(goal), frames_)),
              static_cast<uint8_t>(Approach(GetBValue(currentColour_), GetBValue(goal), frames_)));
    } else {
      currentColour_ = goal;
    }
  }

  const bool moved = next.x != drawnPosition_.x || next.y != drawnPosition_.y;
  if (bitmap_ != nullptr) {
    if (frames_ > 0) {
      if (drawn_ && moved) canvas.FillBackground(BitmapRect(drawnPosition_));
      const RECT at = BitmapRect(next);
      const int srcX = bitmapFrame_ >= 0 ? bitmapFrame_ * bitmap_->Height() : 0;
      if (srcX + (at.right - at.left) <= bitmap_->Width()) {
        canvas.DrawBitmap(*bitmap_, srcX, at.right - at.left, at.left, at.top);
      }
    }
  } else if (drawn_ && !text_.empty() && frames_ > 0) {
    // Text is drawn smoothed: drawing it again in black would leave its edges behind, so
    // its last image is cleared before every new one (it may have changed colour only).
    canvas.FillBackground(TextRect(canvas, drawnPosition_));
  }

  position_ = next;
  if (frames_ <= 0) return false;
  drawnPosition_ = next;
  --frames_;
  if (bitmap_ == nullptr && !text_.empty()) {
    canvas.DrawText(text_, TextRect(canvas, next), currentColour_);
  }
  drawn_ = 1;
  return true;
}

// ---------------------------------------------------------------------------------------------
// Engine

CAnimationEngine::CAnimationEngine() : defaultFont_(ParseFontSpec(L"15,MS Sans Serif")) {
  std::srand(static_cast<unsigned>(std::time(nullptr)));
}

CAnimationItem& CAnimationEngine::AddItem(const std::wstring& text) {
  items_.push_back(std::make_unique<CAnimationItem>(this));
  items_.back()->text_ = text;
  return *items_.back();
}

CAnimationItem& CAnimationEngine::AddFollowUp(CAnimationItem& other) {
  CAnimationItem& item = AddItem(other.text_);
  item.font_ = other.font_;
  item.bitmap_ = other.bitmap_;
  item.bitmapFrame_ = other.bitmapFrame_;
  item.bitmapExtra_ = other.bitmapExtra_;
  item.flags_ = other.flags_ & (CAnimationItem::kAlignRight | CAnimationItem::kAlignCentre);
  item.SetTextPos(other.target_.x, other.target_.y);
  item.SetColour(other.targetColour_);
  // The follow-up takes over where the other was drawn last, so its first move erases it.
  item.drawnPosition_ = other.target_;
  item.drawn_ = 1;
  return item.StartAfter(other);
}

const CDIBitmap* CAnimationEngine::GetBitmap(uint32_t id) { return GetBitmap(id, std::string()); }

const CDIBitmap* CAnimationEngine::GetBitmap(uint32_t id, const std::string& file) {
  const auto found = bitmaps_.find(id);
  if (found != bitmaps_.end()) return found->second.get();
  auto bitmap = std::make_unique<CDIBitmap>();
  bool loaded = false;
  std::error_code ec;
  if (!file.empty() && std::filesystem::is_regular_file(file, ec)) {
    try {
      bitmap->Load(file);
      loaded = true;
    } catch (const CDIBitmapError&) {
      // A damaged file falls back to the program's own bitmap.
    }
  }
  if (!loaded) loaded = bitmap->LoadResource(id);
  if (!loaded) return nullptr;
  return (bitmaps_[id] = std::move(bitmap)).get();
}

const AnimationFont* CAnimationEngine::GetFont(const std::wstring& spec) {
  auto& slot = fonts_[spec];
  if (!slot) slot = std::make_unique<AnimationFont>(ParseFontSpec(spec));
  return slot.get();
}

int CAnimationEngine::RandomBelow(int n) {
  if (n < 1) return 0;
  const int64_t value = static_cast<int64_t>(std::rand()) * n / RAND_MAX;
  return static_cast<int>(std::clamp<int64_t>(value, 0, n - 1));
}

POINT CAnimationEngine::RandomPoint(int margin, int halfSize) const {
  const int width = rect_.right - rect_.left;
  const int height = rect_.bottom - rect_.top;
  const int mx = std::max(0, std::min(width / 2 - halfSize, margin));
  const int my = std::max(0, std::min(height / 2 - halfSize, margin));
  return POINT{rect_.left + mx + RandomBelow(width - 2 * mx),
               rect_.top + my + RandomBelow(height - 2 * my)};
}

int CAnimationEngine::StepAndPaint(CAnimationCanvas& canvas) {
  canvas.SelectFont(defaultFont_);
  int visited = 0;
  std::vector<CAnimationItem*> released;
  for (auto it = items_.begin(); it != items_.end();) {
    ++visited;
    CAnimationItem& item = **it;
    if (item.Waiting() || item.Step(canvas)) {
      ++it;
      continue;
    }
    // Ended: whoever waited for it starts on the next frame.
    released.insert(released.end(), item.followers_.begin(), item.followers_.end());
    it = items_.erase(it);
  }
  for (CAnimationItem* follower : released) follower->waitingOn_ = nullptr;
  canvas.SelectFont(defaultFont_);
  return visited;
}

void CAnimationEngine::Clear() {
  items_.clear();
  fonts_.clear();
  bitmaps_.clear();
}

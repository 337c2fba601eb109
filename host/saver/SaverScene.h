#pragma once
// What the screen saver shows and when it ends, free of windows: its texts and message
// lines, the scene builder that fills the animation engine, and the input guard that decides
// which key, button or mouse move stops the saver.

#include <array>
#include <string>
#include <vector>

#include "host/saver/AnimationEngine.h"
#include "platform/win/WinTypes.h"

namespace orv::host {

// The saver's texts (each at most 99 characters) and the logo file.
struct SaverTexts {
  std::wstring title;
  std::wstring subtitle;
  std::wstring heading;
  std::wstring info = L"정보를 확인중 입니다...";
  std::string logoPath;
};

// Up to 100 message lines of three texts each (99, 199 and 199 characters at most).
class SaverMessageLines {
 public:
  static constexpr int kMaxLines = 100;

  // index < 0 appends after the last line written; above 99 nothing changes and the last
  // index comes back. Otherwise the line is stored and its index comes back.
  int Set(int index, const std::wstring& first, const std::wstring& second,
          const std::wstring& third);
  // Drops the lines from `first` on (negative: all).
  void Clear(int first);

  int Count() const { return count_; }
  int LastIndex() const { return last_; }
  const std::array<std::wstring, 3>& Line(int index) const { return lines_[index]; }

 private:
  std::array<std::array<std::wstring, 3>, kMaxLines> lines_{};
  int count_ = 0;
  int last_ = -1;
};

// The saver's scene fonts and ids.
constexpr uint32_t kSaverLogoBitmap = 2002;
constexpr uint32_t kSaverSparkleBitmap = 1343;
constexpr int kSaverSparkleCells = 27;

// Appends one scene to the engine: the base scene (title, logo, subtitle, info text, maybe
// sparkles) followed by the message scene (heading, then the lines one after another).
void BuildSaverScene(CAnimationEngine& engine, const SaverTexts& texts,
                     const SaverMessageLines& lines);

// The item that makes the first frame build a scene: empty, 50 frames, fading out.
void AddSaverStartItem(CAnimationEngine& engine);

// One frame of the saver: the engine steps and paints; when it had fewer than 3 items, the
// next scene is appended (it starts on the next frame).
void PlaySaverFrame(CAnimationEngine& engine, CAnimationCanvas& canvas, const SaverTexts& texts,
                    const SaverMessageLines& lines);

// Decides which input stops the saver. Keys and the left button always stop it; the right
// and middle buttons, and mouse moves of 5 pixels or more (horizontal plus vertical) from
// the first move seen, stop it only once the guard's 1000 ms have passed.
class SaverInputGuard {
 public:
  static constexpr DWORD kGuardMs = 1000;
  static constexpr int kMoveThreshold = 5;

  enum class Button { kLeft, kRight, kMiddle };

  // Showing the saver: tracking starts anew and the guard restarts at now.
  void Restart(DWORD now);
  bool OnKey(DWORD now);
  bool OnButton(Button button, DWORD now);
  // A mouse move (or a deactivation) with the cursor's screen position.
  bool OnMouseMove(POINT cursor, DWORD now);

 private:
  bool Passed(DWORD now) const { return now - guardStart_ >= kGuardMs; }
  DWORD guardStart_ = 0;
  bool tracking_ = false;
  POINT first_{};
};

}  // namespace orv::host

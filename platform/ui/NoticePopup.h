#pragma once
// Small always-on-top popups: a timed notice (text, caption, time-out in ms; 0 keeps it until
// the next notice replaces it or it is hidden) and a waiting window ("please wait").

#include <memory>
#include <string>
#include <string_view>

class wxWindow;

namespace orv::ui {

class NoticePopupFrame;

class CNoticePopup {
 public:
  CNoticePopup();
  ~CNoticePopup();
  CNoticePopup(const CNoticePopup&) = delete;
  CNoticePopup& operator=(const CNoticePopup&) = delete;

  // Shows (or replaces) the notice near the owner's bottom right corner.
  void Show(wxWindow* owner, std::wstring_view text, std::wstring_view caption, int timeoutMs);
  void Hide();
  bool IsShown() const;
  std::wstring GetText() const;
  std::wstring GetCaption() const;
  wxWindow* GetWindow() const;

 private:
  NoticePopupFrame* frame_ = nullptr;
};

class CWaitingWnd {
 public:
  CWaitingWnd();
  ~CWaitingWnd();
  CWaitingWnd(const CWaitingWnd&) = delete;
  CWaitingWnd& operator=(const CWaitingWnd&) = delete;

  // Shows the window centred on the owner with a moving bar; a second call replaces the texts.
  void Show(wxWindow* owner, std::wstring_view text, std::wstring_view subText);
  void Hide();
  bool IsShown() const;
  std::wstring GetText() const;

 private:
  NoticePopupFrame* frame_ = nullptr;
};

}  // namespace orv::ui

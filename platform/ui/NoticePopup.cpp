#include "platform/ui/NoticePopup.h"

#include <wx/gauge.h>
#include <wx/timer.h>
#include <wx/wx.h>

namespace orv::ui {

class NoticePopupFrame : public wxFrame {
 public:
  NoticePopupFrame(wxWindow* owner, bool waiting)
      : wxFrame(owner, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize,
                wxFRAME_TOOL_WINDOW | wxSTAY_ON_TOP | wxBORDER_SIMPLE |
                    (owner ? wxFRAME_FLOAT_ON_PARENT : 0)),
        timer_(this) {
    auto* panel = new wxPanel(this);
    panel->SetBackgroundColour(waiting ? wxColour(250, 250, 250) : wxColour(255, 252, 232));
    caption_ = new wxStaticText(panel, wxID_ANY, wxString());
    caption_->SetFont(caption_->GetFont().Bold());
    text_ = new wxStaticText(panel, wxID_ANY, wxString());
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(caption_, 0, wxALL, 8);
    sizer->Add(text_, 1, wxLEFT | wxRIGHT | wxBOTTOM, 8);
    if (waiting) {
      gauge_ = new wxGauge(panel, wxID_ANY, 100, wxDefaultPosition, wxSize(240, 12));
      sizer->Add(gauge_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);
      pulse_.SetOwner(this, 2);
    }
    panel->SetSizer(sizer);
    Bind(wxEVT_TIMER, [this](wxTimerEvent& e) {
      if (e.GetId() == 2) {
        if (gauge_) gauge_->Pulse();
      } else {
        HidePopup();
      }
    });
  }

  void SetTexts(std::wstring_view caption, std::wstring_view text) {
    caption_->SetLabel(wxString(std::wstring{caption}));
    text_->SetLabel(wxString(std::wstring{text}));
    caption_->Show(!caption.empty());
    GetChildren().front()->GetSizer()->SetSizeHints(this);
    Fit();
  }

  void ShowFor(int timeoutMs, bool centre) {
    timer_.Stop();
    wxWindow* owner = GetParent();
    if (centre) {
      CentreOnParent();
    } else {
      wxRect area = owner ? owner->GetScreenRect() : wxGetClientDisplayRect();
      SetPosition(wxPoint(area.GetRight() - GetSize().x - 16, area.GetBottom() - GetSize().y - 16));
    }
    wxFrame::Show(true);
    Raise();
    if (timeoutMs > 0) timer_.StartOnce(timeoutMs);
    if (gauge_) pulse_.Start(100);
  }

  void HidePopup() {
    timer_.Stop();
    if (gauge_) pulse_.Stop();
    wxFrame::Hide();
  }

  std::wstring Text() const { return text_->GetLabel().ToStdWstring(); }
  std::wstring Caption() const { return caption_->GetLabel().ToStdWstring(); }

 private:
  wxStaticText* caption_ = nullptr;
  wxStaticText* text_ = nullptr;
  wxGauge* gauge_ = nullptr;
  wxTimer timer_;
  wxTimer pulse_;
};

namespace {

void DestroyFrame(NoticePopupFrame*& frame) {
  if (frame) {
    frame->HidePopup();
    frame->Destroy();
    frame = nullptr;
  }
}

}  // namespace

CNoticePopup::CNoticePopup() = default;
CNoticePopup::~CNoticePopup() { DestroyFrame(frame_); }

void CNoticePopup::Show(wxWindow* owner, std::wstring_view text, std::wstring_view caption,
                        int timeoutMs) {
  if (frame_ && frame_->GetParent() != owner) DestroyFrame(frame_);
  if (!frame_) frame_ = new NoticePopupFrame(owner, false);
  frame_->SetTexts(caption, text);
  frame_->ShowFor(timeoutMs < 0 ? 0 : timeoutMs, false);
}

void CNoticePopup::Hide() {
  if (frame_) frame_->HidePopup();
}
bool CNoticePopup::IsShown() const { return frame_ && frame_->IsShown(); }
std::wstring CNoticePopup::GetText() const { return frame_ ? frame_->Text() : std::wstring(); }
std::wstring CNoticePopup::GetCaption() const {
  return frame_ ? frame_->Caption() : std::wstring();
}
wxWindow* CNoticePopup::GetWindow() const { return frame_; }

CWaitingWnd::CWaitingWnd() = default;
CWaitingWnd::~CWaitingWnd() { DestroyFrame(frame_); }

void CWaitingWnd::Show(wxWindow* owner, std::wstring_view text, std::wstring_view subText) {
  if (frame_ && frame_->GetParent() != owner) DestroyFrame(frame_);
  if (!frame_) frame_ = new NoticePopupFrame(owner, true);
  frame_->SetTexts(text, subText);
  frame_->ShowFor(0, true);
}

void CWaitingWnd::Hide() {
  if (frame_) frame_->HidePopup();
}
bool CWaitingWnd::IsShown() const { return frame_ && frame_->IsShown(); }
std::wstring CWaitingWnd::GetText() const { return frame_ ? frame_->Caption() : std::wstring(); }

}  // namespace orv::ui

// The cafe data view's printing, print preview and clipboard copy of the cafe grid, and its
// small tools: a dictionary page and a 1-second timer switch.

#include <wx/frame.h>
#include <wx/timer.h>

#include "platform/ui/GridPrintout.h"
#include "plugin/community/WebEngine.h"
#include "plugin/community/dataview/CafeDataView.h"
#include "plugin/view/PelomarView.h"

namespace {

// The entry the dictionary tool opens, in the standard Korean dictionary.
constexpr const wchar_t* kDictionaryUrl =
    L"https://stdict.korean.go.kr/search/searchView.do?word_no=1729990&searchKeywordTo=3";
// The copy's title and font.
constexpr const wchar_t* kCopyTitle = L"CClientDataView";
constexpr const wchar_t* kCopyFont = L"Arial";

}  // namespace

bool CCafeDataView::OnToolCommand(int id) {
  switch (id) {
    case ID_CAFE_VIEW_PRINT:
    case ID_CAFE_VIEW_PRINT_ALT:
    case ID_CAFE_VIEW_PRINT_DIRECT:
      // A print from the menu or the host forgets the grid a context menu was opened on.
      m_clickedGridId = 0;
      orv::ui::PrintGrid(m_cafeGrid, this, true);
      return true;
    case ID_CAFE_VIEW_PRINT_TARGET:
      orv::ui::PrintGrid(m_cafeGrid, this, true);
      return true;
    case ID_CAFE_VIEW_PREVIEW:
    case ID_CAFE_VIEW_PREVIEW_TARGET: {
      ClosePreview();
      // The preview shows every row; printing offers the selection in its dialog.
      wxFrame* frame = orv::ui::ShowGridPrintPreview(m_cafeGrid, this, false);
      m_preview = frame;
      if (frame)
        frame->Bind(wxEVT_DESTROY, [this, frame](wxWindowDestroyEvent& e) {
          if (e.GetEventObject() == frame && m_preview == frame) m_preview = nullptr;
          e.Skip();
        });
      return true;
    }
    case ID_CAFE_VIEW_COPY_ALL:
      orv::ui::CopyAllRecordsTextToClipboard(m_cafeGrid, kCopyTitle, kCopyFont);
      return true;
    case ID_CAFE_VIEW_DICTIONARY:
      if (m_owner) m_owner->WebEngine().OpenInSystemBrowser(kDictionaryUrl);
      return true;
    case ID_CAFE_VIEW_TIMER:
      ToggleTimer();
      return true;
    default:
      return false;
  }
}

void CCafeDataView::ToggleTimer() {
  if (TimerRunning()) {
    m_timer->Stop();
    return;
  }
  if (!m_timer) m_timer = std::make_unique<wxTimer>(this, kCafeViewTimerId);
  m_timer->Start(kCafeViewTimerMs);
}

bool CCafeDataView::TimerRunning() const { return m_timer && m_timer->IsRunning(); }

wxWindow* CCafeDataView::PreviewFrame() const { return m_preview; }

void CCafeDataView::ClosePreview() {
  wxWindow* frame = m_preview;
  m_preview = nullptr;
  // Deleted at once: a frame left for later would still draw the grid of a view that is gone.
  delete frame;
}

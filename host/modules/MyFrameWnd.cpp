#include "host/modules/MyFrameWnd.h"

#include <wx/sizer.h>
#include <wx/statusbr.h>
#include <wx/toolbar.h>

#include "platform/ui/DbViewBase.h"
#include "shared/Messages.h"

CMyFrameWnd::CMyFrameWnd(CVarqoMainView* view, wxWindow* parent, unsigned frameResourceId)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxCLIP_CHILDREN,
              "MyFrameWnd"),
      view_(view),
      resourceId_(frameResourceId != 0 ? frameResourceId : kDefaultFrameResource) {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  toolBar_ = new wxToolBar(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                           wxTB_HORIZONTAL | wxTB_FLAT | wxTB_TEXT | wxTB_NOICONS);
  toolBar_->SetName("Standard");
  toolBar_->Realize();
  sizer->Add(toolBar_, 0, wxEXPAND);
  sizer->AddStretchSpacer(1);
  statusBar_ = new wxStatusBar(this, wxID_ANY, wxSTB_DEFAULT_STYLE & ~wxSTB_SIZEGRIP);
  sizer->Add(statusBar_, 0, wxEXPAND);
  SetSizer(sizer);
}

bool CMyFrameWnd::CreateView(const CRuntimeClass* runtimeClass, SharedWnds_s* block,
                             unsigned ctrlId) {
  if (runtimeClass == nullptr || moduleView_ != nullptr) return moduleView_ != nullptr;
  const wxSize size = GetClientSize();
  const RECT rect{0, 0, size.x, size.y};
  moduleView_ =
      GfxCreateEmbededView(nullptr, runtimeClass, rect, this, ctrlId, WS_CHILD | WS_VISIBLE, block);
  if (moduleView_ == nullptr) return false;
  wxSizer* sizer = GetSizer();
  sizer->Replace(static_cast<size_t>(1), new wxSizerItem(moduleView_, 1, wxEXPAND));
  Layout();
  return true;
}

void CMyFrameWnd::InitialUpdateFrame() {
  if (moduleView_ != nullptr) GfxSendMessageToWnd(moduleView_, WM_INITIALUPDATE, 0, 0);
  Layout();
}

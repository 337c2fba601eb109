#include "host/frame/ContainerPanes.h"

#include <wx/wx.h>

CxContainerBaseWnd::CxContainerBaseWnd(wxWindow* parent, int id, const char* className)
    : wxPanel(parent, id, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxCLIP_CHILDREN,
              className) {
  SetBackgroundColour(*wxWHITE);
  Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
    if (!KeepsOwnLayout()) ResizeCtrls();
    e.Skip();
  });
  Bind(wxEVT_SHOW, [this](wxShowEvent& e) {
    if (e.IsShown() && !KeepsOwnLayout()) ResizeCtrls();
    e.Skip();
  });
}

void CxContainerBaseWnd::ResizeCtrls() {
  const wxSize size = GetClientSize();
  for (wxWindow* child : GetChildren()) {
    if (child->IsTopLevel()) continue;
    child->SetSize(0, 0, size.x, size.y);
  }
  Refresh();
}

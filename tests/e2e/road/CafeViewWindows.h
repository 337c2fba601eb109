#pragma once
// The cafe data view as the road tests find it: in the host's workspace pane, by its control id
// and window name (its class lives in the plug-in library, out of the tests' reach).

#include <wx/aui/framemanager.h>

#include <string>

#include "host/frame/DockingPanes.h"
#include "host/frame/MainFrame.h"

namespace orv::test::windows {

constexpr int kCafeDataViewId = 3028;

inline wxWindow* CafeViewWindow(CMainFrame* frame) {
  wxWindow* pane = frame ? frame->GetPaneWindow(PANE_ID_WORKSPACE) : nullptr;
  if (!pane) return nullptr;
  for (wxWindow* child : pane->GetChildren())
    if (child->GetId() == kCafeDataViewId && child->GetName() == "CClientDataView") return child;
  return nullptr;
}

// Shows the workspace pane with the view filling it.
inline void ShowWorkspacePane(CMainFrame* frame) {
  wxAuiPaneInfo& pane = frame->GetPaneManager().GetPane(std::to_string(PANE_ID_WORKSPACE));
  if (!pane.IsShown()) {
    pane.Show();
    frame->GetPaneManager().Update();
  }
}

}  // namespace orv::test::windows

#pragma once
// The docking panes' windows: a container base that lays its children over its whole client
// area on a white ground, and the three empty containers (workspace, properties, monitoring)
// in which plug-in modules place their child views.

#include <wx/panel.h>

#include <string>

class CxContainerBaseWnd : public wxPanel {
 public:
  // `className` is the window's class name (its wx window name).
  CxContainerBaseWnd(wxWindow* parent, int id, const char* className);

  // Lays every child over the whole client area.
  void ResizeCtrls();

  void SetContainerText(const std::wstring& text) { text_ = text; }
  const std::wstring& GetContainerText() const { return text_; }

 protected:
  // Windows that the layout leaves where they are (the log pane's toolbar and list).
  virtual bool KeepsOwnLayout() const { return false; }

 private:
  std::wstring text_;
};

class CWorkspaceWnd : public CxContainerBaseWnd {
 public:
  CWorkspaceWnd(wxWindow* parent, int id) : CxContainerBaseWnd(parent, id, "CWorkspaceWnd") {}
};

class CPropertiesWnd : public CxContainerBaseWnd {
 public:
  CPropertiesWnd(wxWindow* parent, int id) : CxContainerBaseWnd(parent, id, "CPropertiesWnd") {}
};

class CMonitoringWnd : public CxContainerBaseWnd {
 public:
  CMonitoringWnd(wxWindow* parent, int id) : CxContainerBaseWnd(parent, id, "CMonitoringWnd") {}
};

#pragma once
// The inner frame of a module that asks for its own frame: a toolbar, the module's view made
// from the module's creatable class, and a status bar, inside the main view.

#include <wx/panel.h>

struct CRuntimeClass;
struct SharedWnds_s;
class CVarqoMainView;
class wxStatusBar;
class wxToolBar;

class CMyFrameWnd : public wxPanel {
 public:
  // The default frame template when the module names none.
  static constexpr unsigned kDefaultFrameResource = 198;

  CMyFrameWnd(CVarqoMainView* view, wxWindow* parent, unsigned frameResourceId);

  // Creates the module's view from its class inside the frame; false when it cannot be made.
  bool CreateView(const CRuntimeClass* runtimeClass, SharedWnds_s* block, unsigned ctrlId);
  // Sends the view its initial update.
  void InitialUpdateFrame();

  CVarqoMainView* GetMainView() const { return view_; }
  wxWindow* GetModuleView() const { return moduleView_; }
  wxToolBar* GetToolBar() const { return toolBar_; }
  wxStatusBar* GetStatusBar() const { return statusBar_; }
  unsigned GetFrameResourceId() const { return resourceId_; }

 private:
  CVarqoMainView* view_;
  unsigned resourceId_;
  wxToolBar* toolBar_ = nullptr;
  wxStatusBar* statusBar_ = nullptr;
  wxWindow* moduleView_ = nullptr;
};

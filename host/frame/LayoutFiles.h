#pragma once
// The layout files the host writes at exit and reads back: "layout.xml" with the docking
// layout under a name, and "layout_ribbon.xml" in the settings folder with the root
// "rede2_app" and its section "Layout", which holds "CommandBars" (the ribbon's state) and
// "DockingPane" (the docking layout under its name). A docking layout is the pane manager's
// perspective text. Files are written whole through a temporary file and a rename, so a
// failed write leaves the previous file.

#include <string>

namespace orv::host {

// The name the docking layout is saved and reloaded under.
constexpr const char kNormalLayoutName[] = "NormalLayout";

struct RibbonLayoutState {
  bool minimised = false;
  int activePage = 0;
  int themeId = 0;
  std::string dockingLayout;  // perspective text, saved under kNormalLayoutName
};

// true when written.
bool SaveDockingLayoutFile(const std::string& path, const std::string& name,
                           const std::string& perspective);
// true when the file holds a docking layout of that name (then in *perspective).
bool LoadDockingLayoutFile(const std::string& path, const std::string& name,
                           std::string* perspective);

bool SaveRibbonLayoutFile(const std::string& path, const RibbonLayoutState& state);
// true when the file is a ribbon layout file; missing values keep the state's own.
bool LoadRibbonLayoutFile(const std::string& path, RibbonLayoutState* state);
// The docking layout of that name in a ribbon layout file; false when there is none.
bool LoadRibbonDockingLayout(const std::string& path, const std::string& name,
                             std::string* perspective);

}  // namespace orv::host

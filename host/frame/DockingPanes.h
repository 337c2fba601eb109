#pragma once
// The four docking panes around the module area: their pane ids, window ids, mask bits in the
// run settings' pane mask, where they dock and their default sizes (at 96 DPI).

#include <array>

enum class PaneDock { Left, Bottom, Right, BelowRight };

struct DockingPaneDef {
  int paneId;
  int wndId;
  int maskBit;
  int titleIndex;
  PaneDock dock;
  int width;
  int height;
  const char* caption;
};

constexpr int PANE_ID_WORKSPACE = 1271;
constexpr int PANE_ID_LOG = 1266;
constexpr int PANE_ID_PROPERTIES = 1270;
constexpr int PANE_ID_MONITORING = 1272;

constexpr int WND_ID_WORKSPACE = 973;
constexpr int WND_ID_LOG = 968;
constexpr int WND_ID_PROPERTIES = 972;
constexpr int WND_ID_MONITORING = 970;

// The settings-changed flag set in the run settings' changed flags when the pane mask changes.
constexpr unsigned SETTINGS_CHANGED_FLAG = 0x10;

// In creation order: workspace, log, properties, monitoring.
inline const std::array<DockingPaneDef, 4>& DockingPaneTable() {
  static const std::array<DockingPaneDef, 4> table = {{
      {PANE_ID_WORKSPACE, WND_ID_WORKSPACE, 1, 0, PaneDock::Left, 180, 155, "작업 영역"},
      {PANE_ID_LOG, WND_ID_LOG, 2, 1, PaneDock::Bottom, 800, 155, "로그"},
      {PANE_ID_PROPERTIES, WND_ID_PROPERTIES, 4, 2, PaneDock::Right, 250, 380, "속성"},
      {PANE_ID_MONITORING, WND_ID_MONITORING, 8, 3, PaneDock::BelowRight, 250, 350, "모니터링"},
  }};
  return table;
}

// The pane of a docking pane id or of a window id; null when there is none.
inline const DockingPaneDef* FindPaneById(int paneId) {
  for (const auto& def : DockingPaneTable()) {
    if (def.paneId == paneId) return &def;
  }
  return nullptr;
}
inline const DockingPaneDef* FindPaneByWndId(int wndId) {
  for (const auto& def : DockingPaneTable()) {
    if (def.wndId == wndId) return &def;
  }
  return nullptr;
}

#pragma once
// The host settings dialog: interface language, theme, the side panes shown at start, and the
// exit and screen-saver switches of the run settings. Saving writes the run settings, stores
// them through the save action and reports event 1 ("saved") to the registered callback.

#include <cstdint>
#include <functional>

#include "platform/ui/ControlDialog.h"

struct app_run_setting_s;
class wxWindow;

// (context, event): event 1 means the settings were saved.
using ConfigSavedCallback = void (*)(void* ctx, int event);

class CConfigDlg : public orv::ui::CControlDialog {
 public:
  enum : int {
    IDC_LANGUAGE_LABEL = 1501,
    IDC_LANGUAGE,
    IDC_THEME_LABEL,
    IDC_THEME,
    IDC_PANES,
    IDC_PANE_WORKSPACE,
    IDC_PANE_LOG,
    IDC_PANE_PROPERTIES,
    IDC_PANE_MONITORING,
    IDC_HIDE_ON_EXIT,
    IDC_CONFIRM_ON_EXIT,
    IDC_SAVER,
    IDC_SAVE,
    IDC_CLOSE,
  };
  static constexpr int kEventSaved = 1;

  CConfigDlg(app_run_setting_s& settings, std::function<void()> save);
  bool CreateDlg(wxWindow* parent);
  void SetSavedCallback(void* ctx, ConfigSavedCallback callback) {
    ctx_ = ctx;
    callback_ = callback;
  }
  // Fills the controls from the run settings.
  void Load();
  // The save button: controls to run settings, the save action, then event 1.
  void Save();

 private:
  app_run_setting_s& settings_;
  std::function<void()> save_;
  void* ctx_ = nullptr;
  ConfigSavedCallback callback_ = nullptr;
};

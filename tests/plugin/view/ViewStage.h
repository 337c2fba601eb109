#pragma once
// A program folder and the host's block for a trading view made as the plug-in makes it: the
// seeded catalogue in "Settings", a data folder, and the view in a hidden frame after its first
// initial update.

#include <wx/app.h>

#include <cwchar>
#include <filesystem>
#include <string>

#include "platform/ui/DbViewBase.h"
#include "plugin/view/PelomarView.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "shared/Messages.h"
#include "shared/SearchCondition.h"
#include "shared/SharedWnds.h"
#include "tests/probe/ProbeHarness.h"

namespace orv::test {

struct ViewStage {
  TempDir dir;
  SharedWnds_s block;
  app_run_setting_s run;
  login_info_s login;
  search_condition_s folders;

  // Lays out the folder and points the block at it (and the settings home inside it).
  void Prepare() {
    namespace fs = std::filesystem;
    EnsureWxApp();
    setenv("XDG_CONFIG_HOME", (dir.Path() + "/config").c_str(), 1);
    fs::create_directories(fs::path(dir.Path()) / "Settings");
    fs::copy_file(fs::path(ORV_BINARY_DIR) / "seed" / "app-settings.db",
                  dir.Path() + "/Settings/app-settings.db");
    const std::wstring program(dir.Path().begin(), dir.Path().end());
    std::wcscpy(folders.szExeFolder, (program + L"/").c_str());
    std::wcscpy(run.szDataFolder, (program + L"/data").c_str());
    std::wcscpy(run.szCompanyKey, L"OrvTest");
    block.pRunSetting = &run;
    block.pLoginInfo = &login;
    block.pSearchCond = &folders;
  }
  // The view, made and started as the plug-in does; null when it was not made.
  CPelomarView* CreateView() {
    GfxSetEmbededViewsCfgDataPtr(&block);
    auto* view = dynamic_cast<CPelomarView*>(
        GfxCreateEmbededView(nullptr, CPelomarView::GetThisClass(), RECT{0, 0, 800, 600},
                             HiddenFrame(), 0xE901, WS_CHILD, &block));
    if (view) GfxSendMessageToWnd(view, WM_INITIALUPDATE);
    return view;
  }
};

}  // namespace orv::test

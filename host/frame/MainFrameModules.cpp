// The main frame's module side: the ribbon with the module menus above the panes and the main
// view in the module area, then the start-up loop that loads the modules.
#include <wx/aui/aui.h>
#include <wx/sizer.h>

#include "host/app/VarqoMainApp.h"
#include "host/frame/MainFrame.h"
#include "host/frame/MainRibbon.h"
#include "host/modules/VarqoMainView.h"
#include "platform/win/MessageBox.h"

bool CMainFrame::CreateModuleViewAndMenus() {
  app_run_setting_s& rs = app_.RunSettings();
  ribbon_ = new CMainRibbon(*this, this);
  if (ribbon_->CreateRibbonBar(10, rs.nLogPixelsY) == 0) return false;

  // Module menus: the test tab when the command line names libraries, else the catalogue's.
  const CMyAppSharedCmdLineInfo& cmd = app_.CmdLine();
  if (cmd.m_szDlls[0] != L'\0') {
    ribbon_->LoadTestModuleMenu(cmd.m_szDllGroup, cmd.m_szDllDir, cmd.m_szDllTitles, cmd.m_szDlls);
  } else if (ribbon_->LoadModuleMenus(
                 app_.CatalogueDb(),
                 wxString::FromUTF8(app_.Folders().catalogPath).ToStdWstring()) == 0) {
    orv::win::MessageBox("Cannot load setting file\nPath = " + app_.Folders().catalogPath, "ERROR",
                         MB_OK | MB_ICONERROR);
  }
  ribbon_->AddSettingsTab();
  ribbon_->Layout();
  const wxSize ribbonSize = ribbon_->GetBestSize();
  paneManager_->AddPane(ribbon_, wxAuiPaneInfo()
                                     .Name("Ribbon")
                                     .Top()
                                     .Layer(10)
                                     .CaptionVisible(false)
                                     .PaneBorder(false)
                                     .Floatable(false)
                                     .Movable(false)
                                     .Gripper(false)
                                     .CloseButton(false)
                                     .DockFixed()
                                     .Resizable(false)
                                     .MinSize(ribbonSize)
                                     .BestSize(ribbonSize));

  mainView_ = new CVarqoMainView(*this, moduleArea_);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(mainView_, 1, wxEXPAND);
  moduleArea_->SetSizer(sizer);
  ribbon_->SetMainView(mainView_);
  paneManager_->Update();
  moduleArea_->Layout();

  mainView_->OnInitialUpdate(ribbon_->GetModuleMap(), 0);
  if (rs.byMinMenuOnStart != 0) ribbon_->MinimizeRibbon(true);
  return true;
}

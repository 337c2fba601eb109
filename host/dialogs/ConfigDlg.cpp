#include "host/dialogs/ConfigDlg.h"

#include <string>

#include "host/frame/CommandIds.h"
#include "shared/AppRunSetting.h"
#include "shared/HostCommands.h"

namespace {

constexpr int kWidth = 380;

struct PaneCheck {
  int id;
  uint8_t bit;
};
constexpr PaneCheck kPaneChecks[] = {
    {CConfigDlg::IDC_PANE_WORKSPACE, PANE_BIT_WORKSPACE},
    {CConfigDlg::IDC_PANE_LOG, PANE_BIT_LOG},
    {CConfigDlg::IDC_PANE_PROPERTIES, PANE_BIT_PROPERTIES},
    {CConfigDlg::IDC_PANE_MONITORING, PANE_BIT_MONITORING},
};

std::wstring ThemeOptions() {
  std::wstring list;
  for (int id = kFirstThemeId; id <= kLastThemeId; ++id)
    list += std::to_wstring(id) + L":테마 " + std::to_wstring(id - kFirstThemeId + 1) + L";";
  return list;
}

}  // namespace

CConfigDlg::CConfigDlg(app_run_setting_s& settings, std::function<void()> save)
    : settings_(settings), save_(std::move(save)) {}

bool CConfigDlg::CreateDlg(wxWindow* parent) {
  if (!Create(parent, L"환경 설정", kWidth, 330)) return false;
  using orv::ui::CtrlKind;
  AddControl(IDC_LANGUAGE_LABEL, CtrlKind::Static, L"언어", RECT{20, 22, 110, 44});
  AddControl(IDC_LANGUAGE, CtrlKind::ComboList, L"", RECT{110, 18, kWidth - 20, 46});
  AddControl(IDC_THEME_LABEL, CtrlKind::Static, L"테마", RECT{20, 60, 110, 82});
  AddControl(IDC_THEME, CtrlKind::ComboList, L"", RECT{110, 56, kWidth - 20, 84});
  AddControl(IDC_PANES, CtrlKind::Group, L"시작할 때 보이는 창", RECT{20, 96, kWidth - 20, 170});
  AddControl(IDC_PANE_WORKSPACE, CtrlKind::CheckBox, L"작업 창", RECT{34, 118, 190, 140});
  AddControl(IDC_PANE_LOG, CtrlKind::CheckBox, L"로그 창", RECT{190, 118, kWidth - 30, 140});
  AddControl(IDC_PANE_PROPERTIES, CtrlKind::CheckBox, L"속성 창", RECT{34, 142, 190, 164});
  AddControl(IDC_PANE_MONITORING, CtrlKind::CheckBox, L"모니터링 창",
             RECT{190, 142, kWidth - 30, 164});
  AddControl(IDC_HIDE_ON_EXIT, CtrlKind::CheckBox, L"닫을 때 숨기기",
             RECT{20, 182, kWidth - 20, 204});
  AddControl(IDC_CONFIRM_ON_EXIT, CtrlKind::CheckBox, L"종료할 때 묻기",
             RECT{20, 208, kWidth - 20, 230});
  AddControl(IDC_SAVER, CtrlKind::CheckBox, L"화면 보호기 사용", RECT{20, 234, kWidth - 20, 256});
  AddControl(IDC_SAVE, CtrlKind::Button, L"저장", RECT{kWidth - 200, 282, kWidth - 110, 314});
  AddControl(IDC_CLOSE, CtrlKind::Button, L"닫기", RECT{kWidth - 104, 282, kWidth - 20, 314});
  FillComboFromOptions(IDC_LANGUAGE, L"1:English;2:한국어", settings_.byLanguage);
  FillComboFromOptions(IDC_THEME, ThemeOptions(), settings_.dwRibbonStyle);
  OnCommand(IDC_SAVE, [this] { Save(); });
  OnCommand(IDC_CLOSE, [this] { HideDialog(); });
  Load();
  return true;
}

void CConfigDlg::Load() {
  SelectComboByValue(IDC_LANGUAGE, settings_.byLanguage == 1 ? 1 : 2);
  if (!SelectComboByValue(IDC_THEME, settings_.dwRibbonStyle))
    SelectComboByValue(IDC_THEME, kDefaultThemeId);
  for (const PaneCheck& pane : kPaneChecks)
    CheckDlgButton(pane.id, (settings_.byPaneMask & pane.bit) != 0);
  CheckDlgButton(IDC_HIDE_ON_EXIT, settings_.byHideOnExit != 0);
  CheckDlgButton(IDC_CONFIRM_ON_EXIT, settings_.byConfirmOnExit != 0);
  CheckDlgButton(IDC_SAVER, settings_.bySaverOn != 0);
}

void CConfigDlg::Save() {
  int64_t value = 0;
  if (GetComboValue(IDC_LANGUAGE, &value)) settings_.byLanguage = static_cast<uint8_t>(value);
  if (GetComboValue(IDC_THEME, &value)) settings_.dwRibbonStyle = static_cast<uint32_t>(value);
  uint8_t mask = settings_.byPaneMask & ~0x0F;
  for (const PaneCheck& pane : kPaneChecks)
    if (IsDlgButtonChecked(pane.id)) mask |= pane.bit;
  settings_.byPaneMask = mask;
  settings_.byHideOnExit = IsDlgButtonChecked(IDC_HIDE_ON_EXIT) ? 1 : 0;
  settings_.byConfirmOnExit = IsDlgButtonChecked(IDC_CONFIRM_ON_EXIT) ? 1 : 0;
  settings_.bySaverOn = IsDlgButtonChecked(IDC_SAVER) ? 1 : 0;
  if (save_) save_();
  if (callback_) callback_(ctx_, kEventSaved);
}

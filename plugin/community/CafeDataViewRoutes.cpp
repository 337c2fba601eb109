#include "plugin/community/CafeDataViewRoutes.h"

#include "shared/HostCommands.h"
#include "shared/Messages.h"

namespace {

constexpr WPARAM kRefreshUpload = 3;
constexpr WPARAM kRefreshReload = 13;
constexpr WPARAM kRefreshReloadAlt = 48;

}  // namespace

int64_t RouteCafeViewHostCommand(int kind, UINT code, WPARAM wParam, LPARAM lParam,
                                 ICafeDataViewActions& view) {
  if (kind == MODULE_MSG_KIND_WINDOW) {
    view.SendToWindow(code, wParam, lParam);
    return 0;
  }
  if (kind != MODULE_MSG_KIND_HOST) return 0;
  switch (code) {
    case HOST_CMD_UPLOAD:
    case HOST_CMD_SAVE:
      return view.IsLoggedIn() ? view.UploadModifiedClients() : 0;
    case HOST_CMD_RELOAD:
    case HOST_CMD_RELOAD2:
      view.ShowFetchingWindow();
      view.ReloadClientList(true);
      view.HideFetchingWindow();
      return 0;
    case HOST_CMD_LOGIN_STATE:
      view.EnableView(view.IsLoggedIn());
      return 0;
    case HOST_CMD_LOGGED_OUT:
      if (!view.IsLoggedIn()) {
        view.EmptyCafeGrid();
        view.EnableView(false);
      }
      return 0;
    default:
      return 0;
  }
}

LRESULT RouteCafeViewRefresh(WPARAM command, const CafeViewBranch_s* record,
                             ICafeDataViewActions& view) {
  if (!record) return 0;
  view.SetCurBranchIdx(record->company, record->branch);
  switch (command) {
    case kRefreshUpload:
      view.UploadModifiedClients();
      break;
    case kRefreshReload:
    case kRefreshReloadAlt:
      view.ShowFetchingWindow();
      view.ReloadClientList(false);
      view.HideFetchingWindow();
      break;
    default:
      break;
  }
  return 0;
}

bool RouteCafeViewLanguage(WPARAM wParam, LPARAM lParam, ICafeDataViewActions& view) {
  if (wParam != MODULE_LANGUAGE_WPARAM || static_cast<intptr_t>(lParam) < 1) return false;
  view.ApplyLanguage(static_cast<int>(lParam));
  return true;
}

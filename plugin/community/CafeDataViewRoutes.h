#pragma once
// What the cafe data view does with the host's commands and messages, decided apart from its
// window: the routes below call the view's actions, and the view's window only carries them out.
// Everything here runs on the user-interface thread.

#include <cstdint>

#include "platform/win/WinTypes.h"

// The view's side of the routes.
class ICafeDataViewActions {
 public:
  virtual ~ICafeDataViewActions() = default;
  // A user is signed in (the login record's user index is 1 or more).
  virtual bool IsLoggedIn() const = 0;
  // Uploads the modified client rows (delete mode 0); answers the rows the server confirmed.
  virtual int UploadModifiedClients() = 0;
  // The host's waiting window with "데이터를 조회중입니다." / "잠시만 기다려 주세요".
  virtual void ShowFetchingWindow() = 0;
  virtual void HideFetchingWindow() = 0;
  // Reloads the client list: with `refill` from its first page with the grid refilled, else
  // with the view's search keyword.
  virtual void ReloadClientList(bool refill) = 0;
  virtual void EnableView(bool enable) = 0;
  // Unlinks the cafe grid's rows from their stocks and removes them.
  virtual void EmptyCafeGrid() = 0;
  // Handles a window message in the view's own message map.
  virtual void SendToWindow(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  virtual void SetCurBranchIdx(int32_t company, int32_t branch) = 0;
  // Keeps the language and loads the view's language texts in it.
  virtual void ApplyLanguage(int languageId) = 0;
};

// The company and branch numbers a refresh message (0x8004) points at.
struct CafeViewBranch_s {
  int32_t company = 0;
  int32_t branch = 0;
};

// A host command (OnReceivedMsgFromManager): kind 1 passes the code on as a window message
// (answer 0); kind 2: 3 and 7 upload the modified clients while logged in (their answer; else
// 0), 13 and 14 reload the client list under the waiting window, 81 enables the view when
// logged in and disables it otherwise, 86 while logged out empties the cafe grid and disables
// the view. Everything else answers 0.
int64_t RouteCafeViewHostCommand(int kind, UINT code, WPARAM wParam, LPARAM lParam,
                                 ICafeDataViewActions& view);

// The refresh message 0x8004: the record's numbers (a null record is ignored) go to the view;
// command 3 uploads the modified clients, 13 and 48 reload the client list with the keyword
// under the waiting window. Answers 0.
LRESULT RouteCafeViewRefresh(WPARAM command, const CafeViewBranch_s* record,
                             ICafeDataViewActions& view);

// The language message 0x8006: with wParam 15 and a language id of 1 or more the view takes
// the language. Answers whether it did.
bool RouteCafeViewLanguage(WPARAM wParam, LPARAM lParam, ICafeDataViewActions& view);

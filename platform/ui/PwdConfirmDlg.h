#pragma once
// CPwdConfirmDlg: the credential vault. A user of the product's web server logs in with the
// web-server id and password; the dialog then loads the user's stored table (kept encrypted in
// the local database, table WX_USER_DATA), decrypts it and shows it in an editable grid and as
// plain text. Saving hands the table's text to the creator's save callback, which encrypts and
// stores it; with server synchronisation on, the encrypted text is also uploaded to the web
// server, from which "서버 데이터 조회" fetches it back. The host and the plug-in use this one
// dialog.

#include <functional>
#include <memory>
#include <string>

#include "platform/ui/ControlDialog.h"
#include "platform/ui/model/ReportCtrl.h"
#include "shared/LoginInfo.h"

struct app_run_setting_s;
struct sqlite3;
class wxNotebook;
class wxTextCtrl;

namespace orv::ui {

class ReportGridWindow;
class CSecretDataItemRecord;

// The key text the vault's table is encrypted under (with the date of its time stamp).
extern const char kVaultKeyText[];
// The name of the table's record in WX_USER_DATA.
extern const char kVaultRecordName[];

// The encrypting save a creator installs: encrypts the table under the key text and the stamp's
// date and stores it for the user in `db`; the encrypted text goes to *crypted. 1 on success,
// else an error code.
int SaveVaultTableToDb(sqlite3* db, int userIdx, const std::string& table,
                       const SYSTEMTIME& stamp, std::string* crypted);

class CPwdConfirmDlg : public CControlDialog {
 public:
  enum : int {
    IDC_ID_LABEL = 943,
    IDC_ID = 942,
    IDC_PWD_LABEL = 955,
    IDC_PWD = 953,
    IDC_CHECK = 961,
    IDC_ON_TOP = 219,
    IDC_LOAD = 703,
    IDC_SERVER_SAVE = 390,
    IDC_SAVE = 386,
    IDC_CANCEL = 2,
    IDC_TABS = 906,
    IDC_GRID = 442,
    IDC_PLAIN = 754,
  };
  // Error codes shown to the user.
  static constexpr int kErrNoWebApi = 401;
  static constexpr int kErrDownload = 402;
  static constexpr int kErrNoData = 403;
  static constexpr int kErrNotLoggedIn = 403;
  static constexpr int kErrDecrypt = 407;
  static constexpr int kErrNoSaver = 409;
  static constexpr int kErrLoginRefused = 1407;

  // The web-server login check: fills the record; answers 0 on success, else an error code
  // (the message, when given, says why).
  using LoginCheck =
      std::function<int(const std::wstring& id, const std::wstring& password,
                        login_info_s* record, std::wstring* message)>;
  // The creator's encrypting save (user index, table text, time stamp, out encrypted text);
  // answers 1 on success.
  using SaveCallback = std::function<int(int userIdx, const std::string& table,
                                         const SYSTEMTIME& stamp, std::string* crypted)>;
  // Told "CANCELLED" when the dialog is cancelled or closed.
  using NotifyCallback = std::function<void(const std::string& text)>;

  CPwdConfirmDlg(const app_run_setting_s* run, const login_info_s* creatorLogin);
  ~CPwdConfirmDlg() override;

  bool CreateDlg(wxWindow* parent);
  void SetLoginId(const std::wstring& id);
  void SetLoginPwd(const std::wstring& password);
  void SetCryptedText(const std::string& crypted, const SYSTEMTIME& stamp, bool reset);
  void ResetDecryptedText(bool enable);
  void SetDatabase(sqlite3* db) { db_ = db; }
  void SetLoginCheck(LoginCheck check) { loginCheck_ = std::move(check); }
  void SetSaveCallback(SaveCallback save) { save_ = std::move(save); }
  void SetNotifyCallback(NotifyCallback notify) { notify_ = std::move(notify); }
  void SetTitleText(const std::wstring& title) { title_ = title; }

  // Shows the window with the title; modal: the owner is disabled until Hide.
  void Show(wxWindow* owner, bool modal);
  void Hide();

  // Forgets the web-server login of the dialog.
  void LogOut();

  // The buttons.
  void OnCheck();
  void OnSave();
  void OnLoadFromServer();
  void OnCancel();

  // Fills the grid from a decrypted table text plus `blankRows` blank rows; answers the
  // number of entries.
  int FillGrid(const std::string& text, int blankRows);
  // The table text of the grid's rows.
  std::string GetAllRecordsText() const;

  CMyReportCtrl& GridModel() { return grid_; }
  bool IsLoggedIn() const { return loggedIn_; }
  const login_info_s& LoginRecord() const { return login_; }
  int ServerIndex() const { return serverIdx_; }
  bool ServerSync() const { return serverSync_; }

 protected:
  void OnClose() override { OnCancel(); }

 private:
  void LayoutControls();
  void ShowLoginState();
  void MarkNewEntryRow(CSecretDataItemRecord* row);
  void AddBlankRow();
  LRESULT OnGridValueChanged(ReportNotify& nm);
  void ShowError(int code, const std::wstring& composed);

  const app_run_setting_s* run_;
  login_info_s login_{};
  std::wstring userId_;
  std::wstring password_;
  std::string crypted_;
  SYSTEMTIME stamp_{};
  int serverIdx_ = 0;
  sqlite3* db_ = nullptr;
  bool loggedIn_ = false;
  std::wstring title_ = L"Data";
  bool serverSync_ = true;
  bool onTop_ = false;
  CMyReportCtrl grid_;
  ReportGridWindow* gridWindow_ = nullptr;
  wxNotebook* tabs_ = nullptr;
  wxTextCtrl* plain_ = nullptr;
  CSecretDataItemRecord* newEntry_ = nullptr;
  LoginCheck loginCheck_;
  SaveCallback save_;
  NotifyCallback notify_;
};

}  // namespace orv::ui

#include "platform/ui/PwdConfirmDlg.h"

#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdlib>

#include "platform/support/Encryption.h"
#include "platform/support/LoginStore.h"
#include "platform/support/SecretTable.h"
#include "platform/support/SecretVault.h"
#include "platform/support/TextConv.h"
#include "platform/ui/ReportGridWindow.h"
#include "platform/ui/model/SecretDataItemRecord.h"
#include "platform/win/Clock.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "shared/AppRunSetting.h"

namespace orv::ui {

const char kVaultKeyText[] = "A4D93F0C71B85E26C3";
const char kVaultRecordName[] = "private.login.info";

namespace {

constexpr int kWidth = 800;
// The controls' row heights: the buttons' row, then the tabs below it.
constexpr int kRow2 = 28;
constexpr int kTabsTop = 56;
constexpr int kHeight = 520;
constexpr int kIdLimit = 49;
constexpr int kBlankRows = 1;
constexpr char kSettings[] = "Settings";
constexpr char kServerSyncKey[] = "Crypt-ServerSync";
constexpr char kOnTopKey[] = "Crypt-Wnd-OnTop";

std::wstring Limited(std::wstring text) {
  if (text.size() > kIdLimit) text.resize(kIdLimit);
  return text;
}

// The table under the key text and the stamp's date; empty on failure.
std::string Decrypt(const std::string& crypted, const SYSTEMTIME& stamp, bool* ok) {
  char* plain = GfxCipherDecrypt2A(crypted.c_str(), kVaultKeyText, stamp.wYear, stamp.wMonth,
                                   stamp.wDay);
  *ok = plain != nullptr;
  std::string text = plain ? plain : "";
  std::free(plain);
  return text;
}

SYSTEMTIME LocalNow() {
  SYSTEMTIME now{};
  orv::win::GetLocalTime(&now);
  return now;
}

}  // namespace

int SaveVaultTableToDb(sqlite3* db, int userIdx, const std::string& table,
                       const SYSTEMTIME& stamp, std::string* crypted) {
  if (!db || userIdx < 1) return 0;
  int error = 0;
  char* sealed =
      GfxCipherEncrypt2A(table.c_str(), kVaultKeyText, stamp.wYear, stamp.wMonth, stamp.wDay,
                         &error);
  if (!sealed) return error ? error : -1;
  const int stored = GfxSaveCryptedData(db, kVaultRecordName, userIdx, sealed, &stamp);
  if (stored == 1 && crypted) *crypted = sealed;
  std::free(sealed);
  return stored == 1 ? 1 : 0;
}

CPwdConfirmDlg::CPwdConfirmDlg(const app_run_setting_s* run, const login_info_s*) : run_(run) {}

CPwdConfirmDlg::~CPwdConfirmDlg() = default;

bool CPwdConfirmDlg::CreateDlg(wxWindow* parent) {
  if (!Create(parent, L"DATA", kWidth, kHeight)) return false;
  serverSync_ = orv::win::GetProfileInt(kSettings, kServerSyncKey, serverSync_ ? 1 : 0) != 0;
  onTop_ = orv::win::GetProfileInt(kSettings, kOnTopKey, onTop_ ? 1 : 0) != 0;
  // The template's places, widened where the texts need more room at this toolkit's font.
  AddControl(IDC_ID_LABEL, CtrlKind::Static, L"User ID :", RECT{4, 4, 74, 24});
  AddControl(IDC_ID, CtrlKind::Edit, L"", RECT{74, 0, 240, 26});
  AddControl(IDC_PWD_LABEL, CtrlKind::Static, L"Password :", RECT{248, 4, 328, 24});
  AddControl(IDC_PWD, CtrlKind::Password, L"", RECT{328, 0, 494, 26});
  AddControl(IDC_CHECK, CtrlKind::Button, L"로그인", RECT{498, 0, 588, 26});
  AddControl(IDC_ON_TOP, CtrlKind::CheckBox, L"최상단에 창 고정",
             RECT{240, kRow2, 385, kRow2 + 24});
  AddControl(IDC_LOAD, CtrlKind::Button, L"서버 데이터 조회", RECT{390, kRow2, 520, kRow2 + 26});
  AddControl(IDC_SERVER_SAVE, CtrlKind::CheckBox, L"서버에 저장",
             RECT{525, kRow2, 635, kRow2 + 24});
  AddControl(IDC_SAVE, CtrlKind::Button, L"Save", RECT{640, kRow2, 715, kRow2 + 26});
  AddControl(IDC_CANCEL, CtrlKind::Button, L"Cancel", RECT{720, kRow2, 795, kRow2 + 26});

  wxDialog* dialog = GetWindow();
  tabs_ = new wxNotebook(dialog, IDC_TABS, wxPoint(0, kTabsTop),
                         wxSize(kWidth, kHeight - kTabsTop));
  auto* gridPage = new wxPanel(tabs_);
  gridWindow_ = GfxInitReportCtrl2(grid_, gridPage, IDC_GRID, kSecretGridLayout);
  grid_.SetNotifyHandler([this](ReportNotify& nm) -> LRESULT {
    return nm.code == REPORT_NM_VALUECHANGED ? OnGridValueChanged(nm) : 0;
  });
  gridPage->Bind(wxEVT_SIZE, [this, gridPage](wxSizeEvent& e) {
    e.Skip();
    if (gridWindow_) gridWindow_->GetWindow()->SetSize(gridPage->GetClientSize());
  });
  COptionList kinds;
  kinds.Parse(std::wstring_view(kSecretKindOptions));
  if (CReportEditOptions* options =
          grid_.GetColumnEditOptions(CSecretDataItemRecord::kColKind))
    options->constraints = kinds;
  plain_ = new wxTextCtrl(tabs_, IDC_PLAIN, wxEmptyString, wxDefaultPosition, wxDefaultSize,
                          wxTE_MULTILINE | wxTE_READONLY | wxHSCROLL | wxVSCROLL);
  tabs_->AddPage(gridPage, L"Grid(그리드) View");
  tabs_->AddPage(plain_, L"Plain Text");

  SetDlgItemText(IDC_ID, userId_);
  SetDlgItemText(IDC_PWD, password_);
  CheckDlgButton(IDC_ON_TOP, onTop_);
  CheckDlgButton(IDC_SERVER_SAVE, serverSync_);

  OnCommand(IDC_CHECK, [this] { OnCheck(); });
  OnCommand(IDC_ID, [this] { OnCheck(); });
  OnCommand(IDC_PWD, [this] { OnCheck(); });
  OnCommand(IDC_SAVE, [this] { OnSave(); });
  OnCommand(IDC_LOAD, [this] { OnLoadFromServer(); });
  OnCommand(IDC_CANCEL, [this] { OnCancel(); });
  OnCommand(IDC_SERVER_SAVE, [this] { serverSync_ = IsDlgButtonChecked(IDC_SERVER_SAVE); });
  OnCommand(IDC_ON_TOP, [this] {
    onTop_ = IsDlgButtonChecked(IDC_ON_TOP);
    if (wxDialog* window = GetWindow()) {
      const long style = window->GetWindowStyleFlag();
      window->SetWindowStyleFlag(onTop_ ? (style | wxSTAY_ON_TOP) : (style & ~wxSTAY_ON_TOP));
    }
  });
  // Escape does not close the vault.
  dialog->Bind(wxEVT_CHAR_HOOK, [](wxKeyEvent& event) {
    if (event.GetKeyCode() != WXK_ESCAPE) event.Skip();
  });
  dialog->Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
    e.Skip();
    LayoutControls();
  });
  LayoutControls();
  ShowLoginState();
  ResetDecryptedText(false);
  return true;
}

void CPwdConfirmDlg::LayoutControls() {
  wxDialog* dialog = GetWindow();
  if (!dialog) return;
  const wxSize size = dialog->GetClientSize();
  const int saveLeft = std::max(size.x / 2, 640);
  if (wxWindow* save = GetDlgItem(IDC_SAVE)) save->SetSize(saveLeft, kRow2, 75, 26);
  if (wxWindow* cancel = GetDlgItem(IDC_CANCEL)) cancel->SetSize(saveLeft + 80, kRow2, 75, 26);
  if (tabs_) tabs_->SetSize(0, kTabsTop, size.x, std::max(0, size.y - kTabsTop));
}

void CPwdConfirmDlg::SetLoginId(const std::wstring& id) {
  userId_ = id;
  if (GetDlgItem(IDC_ID)) SetDlgItemText(IDC_ID, id);
}

void CPwdConfirmDlg::SetLoginPwd(const std::wstring& password) {
  password_ = password;
  if (GetDlgItem(IDC_PWD)) SetDlgItemText(IDC_PWD, password);
}

void CPwdConfirmDlg::SetCryptedText(const std::string& crypted, const SYSTEMTIME& stamp,
                                    bool reset) {
  crypted_ = crypted;
  stamp_ = stamp;
  if (!reset) return;
  SetDlgItemText(IDC_ID, userId_);
  SetDlgItemText(IDC_PWD, L"");
  if (plain_) {
    plain_->Clear();
    plain_->SetEditable(false);
  }
}

void CPwdConfirmDlg::ResetDecryptedText(bool enable) {
  if (plain_) plain_->Clear();
  grid_.ResetContent(false);
  grid_.Populate();
  newEntry_ = nullptr;
  if (tabs_) tabs_->Enable(enable);
  EnableDlgItem(IDC_SAVE, enable);
  EnableDlgItem(IDC_LOAD, enable);
}

void CPwdConfirmDlg::Show(wxWindow* owner, bool modal) {
  if (wxDialog* dialog = GetWindow()) dialog->SetTitle(wxString(title_));
  ShowDialog(owner, modal);
}

void CPwdConfirmDlg::Hide() { HideDialog(); }

void CPwdConfirmDlg::ShowLoginState() {
  const bool in = login_.nUserIdx > 0;
  if (auto* id = dynamic_cast<wxTextCtrl*>(GetDlgItem(IDC_ID))) id->SetEditable(!in);
  if (auto* pwd = dynamic_cast<wxTextCtrl*>(GetDlgItem(IDC_PWD))) pwd->SetEditable(!in);
  SetDlgItemText(IDC_CHECK, in ? L"로그아웃" : L"로그인");
}

void CPwdConfirmDlg::ShowError(int code, const std::wstring& composed) {
  const std::wstring text =
      composed.empty() ? L"Error(" + std::to_wstring(code) + L") is occurred." : composed;
  orv::win::MessageBox(WideToUtf8(text), "ERROR", MB_OK | MB_ICONERROR);
}

void CPwdConfirmDlg::OnCheck() {
  userId_ = Limited(GetDlgItemText(IDC_ID));
  const std::wstring password = Limited(GetDlgItemText(IDC_PWD));
  loggedIn_ = false;
  if (login_.nUserIdx > 0) {
    // Log out: the table stays shown.
    LogOut();
    return;
  }
  int error = 0;
  std::wstring composed;
  if (!run_ || !run_->szWebApiBase[0]) {
    error = kErrNoWebApi;
    composed = L"Please enter server web-api url";
  } else if (!userId_.empty() && !password.empty()) {
    login_info_s record{};
    std::wstring message;
    error = loginCheck_ ? loginCheck_(userId_, password, &record, &message) : kErrLoginRefused;
    crypted_.clear();
    ResetDecryptedText(false);
    if (error != 0 || record.nUserIdx < 1) {
      if (error == 0) error = kErrLoginRefused;
      login_.nUserIdx = 0;
      composed = L"Cannot Login(" + std::to_wstring(error) + L"). Please retry again.";
    } else {
      login_ = record;
      ResetDecryptedText(true);
      loggedIn_ = true;
      char* stored = nullptr;
      SYSTEMTIME stamp{};
      std::string text;
      if (db_ && GfxLoadCryptedData(db_, kVaultRecordName, login_.nUserIdx, &stored, &stamp) == 1) {
        crypted_ = stored ? stored : "";
        stamp_ = stamp;
        std::free(stored);
        bool ok = false;
        text = Decrypt(crypted_, stamp_, &ok);
        if (!ok) {
          error = kErrDecrypt;
          composed = L"저장된 데이터를 복호화하지 못했습니다.(" + std::to_wstring(error) + L")";
        }
      }
      FillGrid(text, kBlankRows);
      SetDlgItemText(IDC_PWD, L"");
      ShowLoginState();
      if (error == 0)
        orv::win::MessageBox(WideToUtf8(L"로그인 성공했습니다.(Login Successful)"), "INFORMATION",
                             MB_OK | MB_ICONINFORMATION);
    }
    SetDlgItemText(IDC_PWD, L"");
  }
  if (error != 0) ShowError(error, composed);
  ShowLoginState();
}

void CPwdConfirmDlg::LogOut() {
  loggedIn_ = false;
  login_.nUserIdx = 0;
  login_.byState = 0;
  login_.byLoginFlag = 0;
  ShowLoginState();
}

int CPwdConfirmDlg::FillGrid(const std::string& text, int blankRows) {
  grid_.ResetContent(false);
  newEntry_ = nullptr;
  if (plain_) plain_->SetValue(wxString::FromUTF8(text.c_str()));
  int entries = 0, newEntry = -1;
  const std::vector<SecretEntry_s> rows = ParseSecretTable(text, blankRows, &entries, &newEntry);
  for (size_t i = 0; i < rows.size(); ++i) {
    auto* record = static_cast<CSecretDataItemRecord*>(
        grid_.AddRecord(std::make_unique<CSecretDataItemRecord>(rows[i])));
    if (static_cast<int>(i) == newEntry) MarkNewEntryRow(record);
  }
  grid_.Populate();
  return entries;
}

void CPwdConfirmDlg::MarkNewEntryRow(CSecretDataItemRecord* row) {
  if (newEntry_) newEntry_->SetNewEntryMark(false);
  newEntry_ = row;
  if (row) row->SetNewEntryMark(true);
}

void CPwdConfirmDlg::AddBlankRow() {
  SecretEntry_s blank;
  blank.number = grid_.GetRecordCount() + 1;
  auto* record = static_cast<CSecretDataItemRecord*>(
      grid_.AddRecord(std::make_unique<CSecretDataItemRecord>(blank)));
  MarkNewEntryRow(record);
  grid_.Populate();
}

LRESULT CPwdConfirmDlg::OnGridValueChanged(ReportNotify& nm) {
  if (nm.record) nm.record->SetModified(true);
  if (!newEntry_ || nm.record == newEntry_) AddBlankRow();
  return 0;
}

std::string CPwdConfirmDlg::GetAllRecordsText() const {
  std::vector<SecretEntry_s> rows;
  for (int i = 0; i < grid_.GetRecordCount(); ++i)
    if (auto* record = dynamic_cast<const CSecretDataItemRecord*>(grid_.GetRecord(i)))
      rows.push_back(record->ToEntry());
  return WriteSecretTable(rows);
}

void CPwdConfirmDlg::OnSave() {
  const SYSTEMTIME stamp = LocalNow();
  if (!loggedIn_ || login_.nUserIdx < 1) {
    orv::win::MessageBox("Failed\nCode : " + std::to_string(kErrNotLoggedIn), "ERROR",
                         MB_OK | MB_ICONERROR);
    return;
  }
  serverSync_ = IsDlgButtonChecked(IDC_SERVER_SAVE);
  // Without a saver nothing would be stored: the save is refused, never announced.
  if (!save_) {
    orv::win::MessageBox("Failed\nCode : " + std::to_string(kErrNoSaver), "ERROR",
                         MB_OK | MB_ICONERROR);
    return;
  }
  const std::string table = GetAllRecordsText();
  if (orv::win::MessageBox("Save Data?\n(data will be encrypted safely)", "QUESTION",
                           MB_YESNO | MB_ICONQUESTION) != ::IDYES)
    return;
  std::string crypted;
  const int result = save_(login_.nUserIdx, table, stamp, &crypted);
  if (result != 1) {
    orv::win::MessageBox("Failed\nCode : " + std::to_string(result), "ERROR",
                         MB_OK | MB_ICONERROR);
    return;
  }
  crypted_ = crypted;
  stamp_ = stamp;
  if (plain_) plain_->SetValue(wxString::FromUTF8(table.c_str()));
  std::string text = "Success : Local only saved.";
  bool uploadFailed = false;
  if (serverSync_ && run_) {
    const bool uploaded =
        UploadCryptedData(nullptr, *run_, login_, &serverIdx_, crypted, stamp) == 1;
    uploadFailed = !uploaded;
    text = uploaded ? "Success\nLocal Saved : Success\nServer : Saved to server successful"
                    : "Success\nLocal Saved : Success\nServer : FAILED";
  }
  if (uploadFailed)
    orv::win::MessageBox(text, "NOTIFICATION", MB_OK | MB_ICONWARNING);
  else
    orv::win::MessageBox(text, "INFORMATION", MB_OK | MB_ICONINFORMATION);
}

void CPwdConfirmDlg::OnLoadFromServer() {
  if (!run_ || !run_->szWebApiBase[0]) {
    ShowError(kErrNoWebApi, L"Please enter server web-api url");
    return;
  }
  if (orv::win::MessageBox(WideToUtf8(L"서버에서 데이터를 불러올까요?\n현재 입력된 데이터는 "
                                      L"삭제됩니다.\n\n진행할까요?"),
                           "QUESTION", MB_YESNO | MB_ICONQUESTION) != ::IDYES)
    return;
  std::string crypted;
  SYSTEMTIME stamp{};
  int error = 0;
  std::string text;
  if (DownloadCryptedData(nullptr, *run_, login_, &serverIdx_, &stamp, &crypted) != 1) {
    error = kErrDownload;
  } else if (crypted.empty()) {
    error = kErrNoData;
  } else {
    bool ok = false;
    text = Decrypt(crypted, stamp, &ok);
    if (!ok) error = kErrDecrypt;
  }
  if (error != 0) {
    // The grid keeps what it showed.
    orv::win::MessageBox(WideToUtf8(L"서버에서 데이터를 읽어오지 못했습니다.(" +
                                    std::to_wstring(error) + L")"),
                         "ERROR", MB_OK | MB_ICONERROR);
    return;
  }
  crypted_ = crypted;
  stamp_ = stamp;
  FillGrid(text, 0);
  orv::win::MessageBox("SUCCESS", "INFORMATION", MB_OK | MB_ICONINFORMATION);
}

void CPwdConfirmDlg::OnCancel() {
  if (notify_) notify_("CANCELLED");
  orv::win::WriteProfileInt(kSettings, kServerSyncKey, serverSync_ ? 1 : 0);
  orv::win::WriteProfileInt(kSettings, kOnTopKey, onTop_ ? 1 : 0);
  HideDialog();
}

}  // namespace orv::ui

#include "host/dialogs/LoginDlg.h"

#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/font.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/window.h>

#include "host/app/VarqoMainApp.h"
#include "platform/support/TextConv.h"
#include "platform/win/Registry.h"
#include "shared/HostCommands.h"

namespace {

constexpr int kWidth = 400;
constexpr int kMargin = 28;
constexpr int kLabelWidth = 92;
constexpr int kRowHeight = 30;
constexpr int kRowGap = 10;
// The saved id and the save-id choice in the "Settings" section.
constexpr const char* kSavedIdKey = "LOGIN-SAVED-ID";
constexpr const char* kSaveIdKey = "LOGIN-SAVE-ID";

const wxColour kErrorColour(0xC6, 0x28, 0x28);
const wxColour kMutedColour(0x60, 0x66, 0x70);

std::wstring Trim(const std::wstring& text) {
  const size_t first = text.find_first_not_of(L" \t\r\n");
  if (first == std::wstring::npos) return {};
  const size_t last = text.find_last_not_of(L" \t\r\n");
  return text.substr(first, last - first + 1);
}

}  // namespace

CLoginDlg::CLoginDlg() = default;

std::wstring CLoginDlg::Text(const wchar_t* key, const wchar_t* english,
                             const wchar_t* korean) const {
  return texts_ ? texts_(key, english, korean) : std::wstring(korean);
}

bool CLoginDlg::CreateDlg(wxWindow* parent, TextSource texts) {
  texts_ = std::move(texts);
  if (!Create(parent, Text(L"user.login", L"User Login", L"사용자 로그인"), kWidth, 420))
    return false;
  using orv::ui::CtrlKind;
  const RECT zero{0, 0, 10, 10};
  AddControl(IDC_TITLE, CtrlKind::Static, Text(L"user.login", L"User Login", L"사용자 로그인"),
             zero);
  AddControl(IDC_GUIDE, CtrlKind::Static, L"", zero);
  AddControl(IDC_TYPE_LABEL, CtrlKind::Static, Text(L"login.type", L"Type", L"구분"), zero);
  AddControl(IDC_TYPE, CtrlKind::ComboList, L"", zero);
  AddControl(IDC_ID_LABEL, CtrlKind::Static, Text(L"login.id", L"ID", L"아이디"), zero);
  AddControl(IDC_ID, CtrlKind::Edit, L"", zero);
  AddControl(IDC_SUFFIX, CtrlKind::ComboEdit, L"", zero);
  AddControl(IDC_PWD_LABEL, CtrlKind::Static, Text(L"login.password", L"Password", L"비밀번호"),
             zero);
  AddControl(IDC_PWD, CtrlKind::Password, L"", zero);
  AddControl(IDC_PWD2_LABEL, CtrlKind::Static, L"", zero);
  AddControl(IDC_PWD2, CtrlKind::Password, L"", zero);
  AddControl(IDC_SAVE_ID, CtrlKind::CheckBox, Text(L"login.save_id", L"Save ID", L"아이디 저장"),
             zero);
  AddControl(IDC_AUTO_LOGIN, CtrlKind::CheckBox, Text(L"login.auto", L"Auto login", L"자동 로그인"),
             zero);
  AddControl(IDC_LOGIN, CtrlKind::Button, Text(L"login.button", L"Log in", L"로그인"), zero);
  AddControl(IDC_JOIN, CtrlKind::Button, Text(L"join.button", L"Join", L"회원가입"), zero);
  AddControl(IDC_ERROR, CtrlKind::Static, L"", zero);
  AddControl(IDC_STATE, CtrlKind::Static, L"", zero);

  wxWindow* title = GetDlgItem(IDC_TITLE);
  wxFont big = title->GetFont();
  big.SetPointSize(big.GetPointSize() + 5);
  big.SetWeight(wxFONTWEIGHT_BOLD);
  title->SetFont(big);
  GetDlgItem(IDC_GUIDE)->SetForegroundColour(kMutedColour);
  GetDlgItem(IDC_STATE)->SetForegroundColour(kMutedColour);
  wxWindow* error = GetDlgItem(IDC_ERROR);
  error->SetForegroundColour(kErrorColour);
  wxFont bold = error->GetFont();
  bold.SetWeight(wxFONTWEIGHT_BOLD);
  error->SetFont(bold);
  wxFont buttonFont = GetDlgItem(IDC_LOGIN)->GetFont();
  buttonFont.SetWeight(wxFONTWEIGHT_BOLD);
  buttonFont.SetPointSize(buttonFont.GetPointSize() + 1);
  GetDlgItem(IDC_LOGIN)->SetFont(buttonFont);
  static_cast<wxTextCtrl*>(GetDlgItem(IDC_ID))->SetHint(Text(L"login.id", L"ID", L"아이디"));
  static_cast<wxTextCtrl*>(GetDlgItem(IDC_PWD))
      ->SetHint(Text(L"login.password", L"Password", L"비밀번호"));

  OnCommand(IDC_LOGIN, [this] { Login(); });
  OnCommand(IDC_PWD, [this] { Login(); });
  OnCommand(IDC_PWD2, [this] { Login(); });
  OnCommand(IDC_ID, [this] { GetDlgItem(IDC_PWD)->SetFocus(); });
  OnCommand(IDC_JOIN, [this] {
    if (joinAction_) joinAction_(joinPage_);
  });

  const bool saveId = orv::win::GetProfileInt(kSettingsSection, kSaveIdKey, 0) != 0;
  CheckDlgButton(IDC_SAVE_ID, saveId);
  if (saveId)
    SetDlgItemText(IDC_ID,
                   Utf8ToWide(orv::win::GetProfileString(kSettingsSection, kSavedIdKey, "")));
  GetWindow()->SetDefaultItem(GetDlgItem(IDC_LOGIN));
  Relayout();
  return true;
}

void CLoginDlg::Relayout() {
  if (!GetWindow()) return;
  const int inner = kWidth - 2 * kMargin;
  const int fieldX = kMargin + kLabelWidth;
  const int fieldW = kWidth - kMargin - fieldX;
  auto place = [this](int id, int x, int y, int w, int h) {
    if (wxWindow* win = GetDlgItem(id)) win->SetSize(x, y, w, h);
  };
  auto row = [&](int labelId, int fieldId, int y) {
    place(labelId, kMargin, y + 6, kLabelWidth - 8, kRowHeight - 6);
    place(fieldId, fieldX, y, fieldW, kRowHeight);
  };
  int y = 22;
  place(IDC_TITLE, kMargin, y, inner, 32);
  y += 38;
  const bool hasGuide = !GetDlgItemText(IDC_GUIDE).empty();
  ShowDlgItem(IDC_GUIDE, hasGuide);
  if (hasGuide) {
    GetDlgItem(IDC_GUIDE)->SetSize(kMargin, y, inner, -1);
    static_cast<wxStaticText*>(GetDlgItem(IDC_GUIDE))->Wrap(inner);
    y += GetDlgItem(IDC_GUIDE)->GetBestSize().GetHeight() + 12;
  } else {
    y += 6;
  }
  ShowDlgItem(IDC_TYPE_LABEL, hasTypes_);
  ShowDlgItem(IDC_TYPE, hasTypes_);
  if (hasTypes_) {
    row(IDC_TYPE_LABEL, IDC_TYPE, y);
    y += kRowHeight + kRowGap;
  }
  row(IDC_ID_LABEL, IDC_ID, y);
  ShowDlgItem(IDC_SUFFIX, hasSuffixes_);
  if (hasSuffixes_) {
    const int suffixW = fieldW * 5 / 11;
    place(IDC_ID, fieldX, y, fieldW - suffixW - 6, kRowHeight);
    place(IDC_SUFFIX, kWidth - kMargin - suffixW, y, suffixW, kRowHeight);
  }
  y += kRowHeight + kRowGap;
  row(IDC_PWD_LABEL, IDC_PWD, y);
  y += kRowHeight + kRowGap;
  ShowDlgItem(IDC_PWD2_LABEL, hasPwd2_);
  ShowDlgItem(IDC_PWD2, hasPwd2_);
  if (hasPwd2_) {
    row(IDC_PWD2_LABEL, IDC_PWD2, y);
    y += kRowHeight + kRowGap;
  }
  place(IDC_SAVE_ID, fieldX, y, fieldW / 2, 24);
  place(IDC_AUTO_LOGIN, fieldX + fieldW / 2, y, fieldW / 2, 24);
  y += 24 + 14;
  place(IDC_LOGIN, kMargin, y, inner, 38);
  y += 38 + 8;
  place(IDC_ERROR, kMargin, y, inner, 40);
  static_cast<wxStaticText*>(GetDlgItem(IDC_ERROR))->Wrap(inner);
  y += 40;
  ShowDlgItem(IDC_JOIN, joinAllowed_);
  const int joinW = joinAllowed_ ? 96 : 0;
  place(IDC_STATE, kMargin, y + 6, inner - joinW - (joinW ? 8 : 0), 20);
  if (joinAllowed_) place(IDC_JOIN, kWidth - kMargin - joinW, y, joinW, 28);
  y += 28 + 18;
  GetWindow()->SetClientSize(kWidth, y);
}

void CLoginDlg::SetSecondPasswordTitle(const std::wstring& title) {
  if (title.empty()) return;
  hasPwd2_ = true;
  SetDlgItemText(IDC_PWD2_LABEL, title);
  if (auto* edit = dynamic_cast<wxTextCtrl*>(GetDlgItem(IDC_PWD2))) edit->SetHint(title);
  Relayout();
}

void CLoginDlg::SetJoin(bool allowed, const std::wstring& page) {
  joinAllowed_ = allowed;
  joinPage_ = page;
  Relayout();
}

void CLoginDlg::SetAutoLogin(bool on) { CheckDlgButton(IDC_AUTO_LOGIN, on); }

void CLoginDlg::SetMaxLengths(int idLen, int pwdLen, int pwd2Len) {
  auto limit = [this](int id, int len) {
    if (auto* edit = dynamic_cast<wxTextCtrl*>(GetDlgItem(id)))
      edit->SetMaxLength(len > 0 ? static_cast<unsigned long>(len) : 0);
  };
  limit(IDC_ID, idLen);
  limit(IDC_PWD, pwdLen);
  limit(IDC_PWD2, pwd2Len);
}

void CLoginDlg::SetLoginCallback(void* ctx, LoginCallback login) {
  loginCtx_ = ctx;
  login_ = login;
}

void CLoginDlg::SetNotifyCallback(void* ctx, LoginNotifyCallback notify, int value) {
  notifyCtx_ = ctx;
  notify_ = notify;
  notifyValue_ = value;
}

void CLoginDlg::SetTitleText(const std::wstring& title) {
  if (GetWindow()) GetWindow()->SetTitle(title);
  SetDlgItemText(IDC_TITLE, title);
}

void CLoginDlg::SetTooltips(const std::wstring& login, const std::wstring& join) {
  if (wxWindow* w = GetDlgItem(IDC_LOGIN)) w->SetToolTip(login);
  if (wxWindow* w = GetDlgItem(IDC_JOIN)) w->SetToolTip(join);
}

void CLoginDlg::SetGuideMessage(const std::wstring& text) {
  SetDlgItemText(IDC_GUIDE, text);
  Relayout();
}

void CLoginDlg::SetStateMessage(const std::wstring& text, bool flagged) {
  SetDlgItemText(IDC_STATE, text);
  if (wxWindow* w = GetDlgItem(IDC_STATE))
    w->SetForegroundColour(flagged ? kErrorColour : kMutedColour);
}

void CLoginDlg::SetLoginTypes(const std::wstring& list, int agency) {
  hasTypes_ = !list.empty() && FillComboFromOptions(IDC_TYPE, list, agency) > 0;
  if (hasTypes_) {
    int64_t value = 0;
    if (!GetComboValue(IDC_TYPE, &value))
      static_cast<wxComboBox*>(GetDlgItem(IDC_TYPE))->SetSelection(0);
  }
  Relayout();
}

void CLoginDlg::SetSuffixes(const std::wstring& list) {
  auto* combo = static_cast<wxComboBox*>(GetDlgItem(IDC_SUFFIX));
  if (!combo) return;
  combo->Clear();
  std::wstring selected;
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(L';', start);
    if (end == std::wstring::npos) end = list.size();
    std::wstring entry = list.substr(start, end - start);
    start = end + 1;
    const bool marked = !entry.empty() && entry[0] == L'*';
    if (marked) entry.erase(0, 1);
    if (entry.empty()) continue;
    combo->Append(entry);
    if (marked) selected = entry;
  }
  hasSuffixes_ = combo->GetCount() > 0;
  combo->ChangeValue(selected);
  Relayout();
}

void CLoginDlg::SetWorkMessage(const std::wstring& text) { SetError(text); }

void CLoginDlg::SetState(int state, int) {
  state_ = state;
  if (state == 1 || state == 64) SetWorkMessage(L"");
  if (state == 1) HideDialog();
}

void CLoginDlg::SetError(const std::wstring& text) {
  SetDlgItemText(IDC_ERROR, text);
  if (auto* label = dynamic_cast<wxStaticText*>(GetDlgItem(IDC_ERROR)))
    label->Wrap(kWidth - 2 * kMargin);
}

std::wstring CLoginDlg::EnteredUserId() const {
  std::wstring id = Trim(GetDlgItemText(IDC_ID));
  if (hasSuffixes_ && !id.empty() && id.find(L'@') == std::wstring::npos) {
    std::wstring suffix = Trim(GetDlgItemText(IDC_SUFFIX));
    if (!suffix.empty() && suffix[0] != L'@') suffix.insert(0, 1, L'@');
    id += suffix;
  }
  return id;
}

int CLoginDlg::Login() {
  if (busy_) return -1;
  const std::wstring userId = EnteredUserId();
  const std::wstring password = GetDlgItemText(IDC_PWD);
  if (userId.empty()) {
    SetError(Text(L"login.need_id", L"Please enter your ID.", L"아이디를 입력해 주세요."));
    GetDlgItem(IDC_ID)->SetFocus();
    return -1;
  }
  if (password.empty()) {
    SetError(
        Text(L"login.need_password", L"Please enter your password.", L"비밀번호를 입력해 주세요."));
    GetDlgItem(IDC_PWD)->SetFocus();
    return -1;
  }
  if (login_ == nullptr) {
    SetError(
        Text(L"login.unavailable", L"Login is not available.", L"로그인을 사용할 수 없습니다."));
    return -1;
  }
  const std::wstring password2 = hasPwd2_ ? GetDlgItemText(IDC_PWD2) : std::wstring();
  int64_t type = 0;
  if (hasTypes_) GetComboValue(IDC_TYPE, &type);
  uint32_t flags = flags_ & ~kFlagAutoLogin;
  if (IsDlgButtonChecked(IDC_AUTO_LOGIN)) flags |= kFlagAutoLogin;
  const bool saveId = IsDlgButtonChecked(IDC_SAVE_ID);

  busy_ = true;
  EnableDlgItem(IDC_LOGIN, false);
  SetError(L"");
  int code = 0;
  wchar_t outText[kOutTextLen] = {};
  const int result =
      login_(loginCtx_, static_cast<int>(type), userId.c_str(), password.c_str(), password2.c_str(),
             params_.c_str(), nullptr, agency_, static_cast<int>(type), static_cast<int>(flags), 0,
             saveId ? 1 : 0, nullptr, &code, outText);
  outText[kOutTextLen - 1] = L'\0';
  busy_ = false;
  EnableDlgItem(IDC_LOGIN, true);

  orv::win::WriteProfileInt(kSettingsSection, kSaveIdKey, saveId ? 1 : 0);
  orv::win::WriteProfileString(kSettingsSection, kSavedIdKey,
                               saveId ? WideToUtf8(Trim(GetDlgItemText(IDC_ID))) : "");
  if (result == 1) {
    SetDlgItemText(IDC_PWD, L"");
    SetDlgItemText(IDC_PWD2, L"");
    HideDialog();
    if (notify_)
      notify_(notifyCtx_, LOGIN_STATE_LOGGED_IN, result, notifyValue_, userId.c_str(), nullptr,
              nullptr, nullptr);
    return result;
  }
  std::wstring message = outText;
  if (message.empty())
    message = result == 3 ? Text(L"login.refused", L"The ID or password is not correct.",
                                 L"아이디 또는 비밀번호가 올바르지 않습니다.")
                          : Text(L"login.failed", L"Login failed.", L"로그인에 실패했습니다.");
  if (code != 0) message += L" (" + std::to_wstring(code) + L")";
  SetError(message);
  GetDlgItem(IDC_PWD)->SetFocus();
  return result;
}

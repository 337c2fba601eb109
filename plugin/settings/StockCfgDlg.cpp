#include "plugin/settings/StockCfgDlg.h"

#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/evtloop.h>
#include <wx/filedlg.h>
#include <wx/notebook.h>
#include <wx/propgrid/advprops.h>
#include <wx/propgrid/propgrid.h>
#include <wx/stattext.h>
#include <wx/timer.h>

#include <cwchar>

#include "platform/support/TextConv.h"
#include "platform/ui/model/OptionList.h"
#include "platform/win/Clock.h"
#include "platform/win/MessageBox.h"
#include "plugin/settings/StockCfgSave.h"
#include "plugin/view/PelomarView.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "shared/StockOption.h"

namespace {

constexpr int kSaveButtonId = 386;
constexpr int kNoticeId = 3755;
constexpr int kCountLabelId = 1305;
constexpr int kTabId = 3318;
constexpr int kGridId = 365;
constexpr int kBottomStrip = 30;
constexpr int kCountLabelWidth = 80;
constexpr int kIndentPixels = 22;
constexpr int kValueColumnPixels = 320;

const wchar_t kCaption[] = L"환경설정";
const wchar_t kTabCaption[] = L"환경설정 및  자동매수 조건식 설정";
const wchar_t kSaveQuestion[] =
    L"설정을 저장할까요?\n조건식 자동매수/모니터링은 다시 시작됩니다.\n\n저장+종목 수신만 되며, "
    L"자동매수는 별도로 체크해 주세요.\n(일부 설정은 변경하면 바로 적용됩니다)\n\n설정을 "
    L"저장할까요?";
const wchar_t kSavedFormat[] =
    L"설정이 저장 되었습니다.\n--------\nLen : %d\n%ls\n--------\n\n자동매수 설정은 %d초후에 "
    L"적용됩니다.(증권사 1분 제한)\n\n설정값은 본인에 맞게 적절하게 설정해 주세요.";

int Ask(const std::wstring& text, const char* caption, UINT type) {
  return orv::win::MessageBox(WideToUtf8(text), caption, type);
}

// wx colours from Windows COLORREF values (0x00BBGGRR).
wxColour FromColorRef(uint32_t ref) {
  return wxColour(ref & 0xFF, (ref >> 8) & 0xFF, (ref >> 16) & 0xFF);
}

CStockCfgDlg* DialogOf(wxWindow* window) {
  wxWindow* top = wxGetTopLevelParent(window);
  return top ? static_cast<CStockCfgDlg*>(top->GetClientData()) : nullptr;
}

// A text editor with one in-place button; the button runs the dialog's handler for the row.
class ButtonEditor : public wxPGTextCtrlEditor {
 public:
  ButtonEditor(const wxString& name, const wxString& caption) : name_(name), caption_(caption) {}
  wxString GetName() const override { return name_; }
  wxPGWindowList CreateControls(wxPropertyGrid* grid, wxPGProperty* property, const wxPoint& pos,
                                const wxSize& size) const override {
    auto* buttons = new wxPGMultiButton(grid, size);
    buttons->Add(caption_);
    wxPGWindowList windows =
        wxPGTextCtrlEditor::CreateControls(grid, property, pos, buttons->GetPrimarySize());
    buttons->Finalize(grid, pos);
    windows.SetSecondary(buttons);
    return windows;
  }
  bool OnEvent(wxPropertyGrid* grid, wxPGProperty* property, wxWindow* control,
               wxEvent& event) const override {
    if (event.GetEventType() == wxEVT_BUTTON) {
      CStockCfgDlg* dialog = DialogOf(grid);
      const auto index = reinterpret_cast<uintptr_t>(property->GetClientData());
      if (dialog && index < dialog->Rows().size()) {
        const SettingsRow row = dialog->Rows()[index];
        grid->CallAfter([dialog, row] { dialog->OnGridButton(row); });
      }
      return false;
    }
    return wxPGTextCtrlEditor::OnEvent(grid, property, control, event);
  }

 private:
  wxString name_;
  wxString caption_;
};

wxPGEditor* LoadEditor() {
  static wxPGEditor* editor =
      wxPropertyGrid::RegisterEditorClass(new ButtonEditor("OrvLoadKeys", L"불러오기"));
  return editor;
}
wxPGEditor* ExpandEditor() {
  static wxPGEditor* editor =
      wxPropertyGrid::RegisterEditorClass(new ButtonEditor("OrvExpandText", L"..."));
  return editor;
}

wxPGChoices ChoicesOf(const SettingsRow& row) {
  wxPGChoices choices;
  if (row.kind == RowKind::kSwitch) {
    choices.Add(row.onText, 1);
    choices.Add(row.offText, 0);
    return choices;
  }
  orv::ui::COptionList list;
  list.Parse(row.options);
  for (const orv::ui::OptionEntry& entry : list.Entries())
    choices.Add(entry.label, static_cast<int>(entry.value));
  return choices;
}

int64_t BoundNumber(const SettingsRow& row) {
  if (row.byte) return *row.byte;
  if (row.number) return *row.number;
  if (row.flags) return *row.flags;
  return 0;
}

wxPGProperty* MakeProperty(const SettingsRow& row, const wxString& name) {
  switch (row.kind) {
    case RowKind::kCategory:
    case RowKind::kSubCategory:
      return new wxPropertyCategory(row.label, name);
    case RowKind::kSwitch:
    case RowKind::kByteChoice:
    case RowKind::kNumberChoice:
    case RowKind::kFlagChoice:
    case RowKind::kTimeChoice: {
      wxPGChoices choices = ChoicesOf(row);
      return new wxEnumProperty(row.label, name, choices, static_cast<int>(BoundNumber(row)));
    }
    case RowKind::kDecimal: {
      auto* property = new wxFloatProperty(row.label, name, *row.decimal);
      property->SetAttribute(wxPG_FLOAT_PRECISION, row.precision);
      return property;
    }
    case RowKind::kSmallNumber: {
      auto* property = new wxIntProperty(row.label, name, *row.byte);
      property->SetAttribute(wxPG_ATTR_MIN, 0);
      property->SetAttribute(wxPG_ATTR_MAX, 255);
      return property;
    }
    case RowKind::kWholeNumber:
      return new wxIntProperty(row.label, name, *row.number);
    case RowKind::kText:
    case RowKind::kKeyText: {
      const wxString value = row.ownText ? wxString(*row.ownText) : wxString(row.text);
      return new wxStringProperty(row.label, name, value);
    }
  }
  return nullptr;
}

RowValue ValueOf(const SettingsRow& row, const wxVariant& variant) {
  RowValue value;
  if (row.kind == RowKind::kText || row.kind == RowKind::kKeyText) {
    value.text = variant.GetString().ToStdWstring();
  } else if (row.kind == RowKind::kDecimal) {
    value.decimal = variant.GetDouble();
  } else if (variant.GetType() == "longlong") {
    value.number = variant.GetLongLong().GetValue();
  } else {
    value.number = variant.GetLong();
  }
  return value;
}

}  // namespace

// The dialog's window: Enter and Escape never end it; Enter in a row's editor saves; closing
// hides it.
class CStockCfgDlg::Window_ : public wxDialog {
 public:
  Window_(CStockCfgDlg& owner, wxWindow* parent)
      : wxDialog(parent, wxID_ANY, kCaption, wxDefaultPosition, wxDefaultSize,
                 wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
        owner_(owner) {
    SetClientData(&owner_);
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) { owner_.OnClose(); });
    Bind(wxEVT_CHAR_HOOK, &Window_::OnCharHook, this);
    Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
      owner_.RepositionControls();
      event.Skip();
    });
  }

 private:
  void OnCharHook(wxKeyEvent& event) {
    const int key = event.GetKeyCode();
    if (key == WXK_ESCAPE) return;
    if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
      wxPropertyGrid* grid = owner_.Grid();
      wxWindow* focus = wxWindow::FindFocus();
      if (grid && focus && focus == grid->GetEditorControl()) {
        grid->CommitChangesFromEditor();
        owner_.OnSaveSettings();
      }
      return;
    }
    event.Skip();
  }
  CStockCfgDlg& owner_;
};

CStockCfgDlg::CStockCfgDlg(CPelomarView& view) : m_view(view) {}

CStockCfgDlg::~CStockCfgDlg() {
  if (m_timer) m_timer->Stop();
  if (m_window) {
    m_window->SetClientData(nullptr);
    m_window->Destroy();
  }
}

wxDialog* CStockCfgDlg::Window() const { return m_window.get(); }

bool CStockCfgDlg::CreateFromTemplate(int, wxWindow* parent) {
  if (m_window) return true;
  // A program that does not link the property grid itself loads it with the plug-in, after
  // its start-up initialised the toolkit's modules: the grid's shared state is then made here.
  if (!wxPGGlobalVars) wxPGGlobalVars = new wxPGGlobalVarsClass();
  auto* window = new Window_(*this, parent);
  m_window = window;
  window->SetClientSize(window->ConvertDialogToPixels(wxSize(368, 359)));
  window->SetBackgroundColour(*wxWHITE);

  auto* tabs = new wxNotebook(window, kTabId);
  m_tabs = tabs;
  m_grid = new wxPropertyGrid(tabs, kGridId, wxDefaultPosition, wxDefaultSize,
                              wxPG_SPLITTER_AUTO_CENTER | wxPG_TOOLTIPS | wxTAB_TRAVERSAL);
  m_grid->SetExtraStyle(wxPG_EX_HELP_AS_TOOLTIPS);
  m_grid->Bind(wxEVT_PG_CHANGING, &CStockCfgDlg::OnGridChanging, this);
  m_grid->Bind(wxEVT_PG_CHANGED, &CStockCfgDlg::OnGridChanged, this);
  tabs->AddPage(m_grid, kTabCaption, true);

  auto* save = new wxButton(window, kSaveButtonId, L"설정 저장");
  save->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnSaveSettings(); });
  m_saveButton = save;
  m_notice = new wxStaticText(window, kNoticeId, L"※ 정확한 수수료율을 입력해야 수익률이 정확합니다.");
  m_notice->SetForegroundColour(FromColorRef(0x004ABA));
  m_notice->SetBackgroundColour(*wxWHITE);
  m_countLabel = new wxStaticText(window, kCountLabelId, L"**");
  m_countLabel->SetForegroundColour(FromColorRef(0x569B23));
  m_countLabel->SetBackgroundColour(*wxWHITE);

  m_timer = std::make_unique<wxTimer>();
  m_timer->Bind(wxEVT_TIMER, [this](wxTimerEvent&) { OnTimer(); });
  if (m_options) BuildSettingsGrid();
  RepositionControls();
  return true;
}

void CStockCfgDlg::RepositionControls() {
  if (!m_window || !m_tabs) return;
  const wxSize client = m_window->GetClientSize();
  m_tabs->SetSize(0, 0, client.x, std::max(0, client.y - kBottomStrip));
  m_saveButton->SetSize((client.x - 110) / 2, client.y - kBottomStrip, 110, kBottomStrip);
  // The notice stands right of the tab's caption, never over it.
  const int noticeX = std::max(225, m_tabs->GetTextExtent(kTabCaption).x + 40);
  const int noticeWidth = std::max(0, client.x - kCountLabelWidth - noticeX);
  m_notice->SetSize(noticeX, 2, noticeWidth, 17);
  m_countLabel->SetSize(client.x - kCountLabelWidth, 2, kCountLabelWidth, 17);
  m_notice->Raise();
  m_countLabel->Raise();
}

void CStockCfgDlg::SetOwnerWnd(wxWindow* owner, bool modal) {
  m_owner = owner;
  m_modal = modal;
}

void CStockCfgDlg::SetOptions(stock_option_s* options, sqlite3* db) {
  m_options = options;
  m_db = db;
}

void CStockCfgDlg::FillSelectorConstraints(GroupInfoMap*, int) {
  if (m_conditions.empty() || !m_grid) return;
  int count = 0;
  const std::wstring list = SelectorOptions(m_conditions, &count);
  for (size_t k = 0; k < m_rows.size(); ++k)
    if (m_rows[k].role == RowRole::kBuySelector) {
      m_rows[k].options = list;
      wxPGChoices choices = ChoicesOf(m_rows[k]);
      if (auto* property = PropertyOf(k)) property->SetChoices(choices);
    }
  m_grid->Refresh();
}

SettingsSources CStockCfgDlg::Sources() {
  SettingsSources sources;
  sources.options = m_options;
  sources.login = m_view.LoginInfo();
  sources.run = m_view.RunSetting();
  sources.values = &m_values;
  sources.conditions = &m_conditions;
  if (m_options && m_options->split_sell_amount > 0)
    sources.defaultSplitAmount = m_options->split_sell_amount;
  return sources;
}

wxPGProperty* CStockCfgDlg::PropertyOf(size_t index) const {
  return m_grid ? m_grid->GetPropertyByName(wxString::Format("row%zu", index)) : nullptr;
}

void CStockCfgDlg::BuildSettingsGrid() {
  if (!m_grid || !m_options) return;
  SettingsSources sources = Sources();
  PrepareSettingsValues(sources);
  m_grid->Freeze();
  m_grid->Clear();
  m_rows = BuildSettingsRows(sources);
  for (size_t k = 0; k < m_rows.size(); ++k) {
    const SettingsRow& row = m_rows[k];
    wxPGProperty* property = MakeProperty(row, wxString::Format("row%zu", k));
    property->SetClientData(reinterpret_cast<void*>(static_cast<uintptr_t>(k)));
    if (!row.description.empty()) property->SetHelpString(row.description);
    if (row.parent < 0)
      m_grid->Append(property);
    else
      m_grid->AppendIn(PropertyOf(static_cast<size_t>(row.parent)), property);
    // Keys show masked; the password flag needs the row in the grid.
    if (row.kind == RowKind::kKeyText) m_grid->SetPropertyAttribute(property, wxPG_STRING_PASSWORD, true);
    if (row.buttonId) m_grid->SetPropertyEditor(property, LoadEditor());
    if (row.itemId == kNicknameItemId || row.itemId == kEmailItemId)
      m_grid->SetPropertyEditor(property, ExpandEditor());
    if (row.text) m_grid->SetPropertyMaxLength(property, static_cast<int>(row.textLen - 1));
  }
  for (size_t k = 0; k < m_rows.size(); ++k) {
    const SettingsRow& row = m_rows[k];
    wxPGProperty* property = PropertyOf(k);
    if (row.readOnly) m_grid->SetPropertyReadOnly(property, true);
    if (row.kind == RowKind::kCategory || row.kind == RowKind::kSubCategory ||
        property->GetChildCount() > 0) {
      if (row.expanded)
        m_grid->Expand(property);
      else
        m_grid->Collapse(property);
    }
    if (row.hidden) property->Hide(true);
  }
  m_grid->Thaw();
  FitToLabels();
}

void CStockCfgDlg::FitToLabels() {
  // The label column takes the widest shown label whole (at least the 330 pixels the layout
  // starts with); the dialog widens, within the screen, to keep a value column beside it.
  int widest = 0;
  for (const SettingsRow& row : m_rows) {
    if (row.hidden) continue;
    int depth = 0;
    for (int p = row.parent; p >= 0; p = m_rows[static_cast<size_t>(p)].parent) ++depth;
    widest = std::max(widest, m_grid->GetTextExtent(row.label).x + (depth + 1) * kIndentPixels);
  }
  const int splitter = std::max(330, widest);
  const int screen = wxGetDisplaySize().x * 9 / 10;
  const wxSize client = m_window->GetClientSize();
  const int wanted = std::min(screen, splitter + kValueColumnPixels);
  const int width = std::max(client.x, wanted);
  if (client.x < wanted) m_window->SetClientSize(width, client.y);
  // The grid's own width follows the notebook later; the dialog's tells it now (less the
  // notebook's border and the scroll bar).
  m_grid->SetSplitterPosition(std::min(splitter, width - 40 - kValueColumnPixels / 2));
}

void CStockCfgDlg::ShowDialog(wxWindow* owner, bool modal, bool reload, int) {
  if (!m_window) return;
  m_shown = true;
  if (reload) BuildSettingsGrid();
  m_window->Show();
  m_window->CentreOnScreen();
  m_window->Raise();
  m_owner = owner ? owner : m_window->GetParent();
  m_modal = modal;
  if (!m_owner || !modal || m_modalLoop) return;
  m_owner->Enable(false);
  wxGUIEventLoop loop;
  m_modalLoop = &loop;
  loop.Run();
  m_modalLoop = nullptr;
}

void CStockCfgDlg::HideDialog() {
  m_shown = false;
  if (m_owner && m_modal) {
    m_owner->Enable(true);
    if (m_modalLoop) m_modalLoop->Exit(IDCANCEL);
  }
  m_owner = nullptr;
  m_modal = false;
  if (m_window) m_window->Hide();
}

void CStockCfgDlg::CenterWindow() {
  if (m_window) m_window->CentreOnScreen();
}

void CStockCfgDlg::ShowWindow(bool show) {
  if (m_window) m_window->Show(show);
}

void CStockCfgDlg::OnClose() {
  if (m_owner) m_owner->Enable(true);
  HideDialog();
}

void CStockCfgDlg::OnGridChanging(wxPropertyGridEvent& event) {
  wxPGProperty* property = event.GetProperty();
  const auto index = property ? reinterpret_cast<uintptr_t>(property->GetClientData()) : SIZE_MAX;
  if (index >= m_rows.size()) return;
  std::wstring why;
  if (StoreRowValue(m_rows[index], ValueOf(m_rows[index], event.GetValue()), &why)) return;
  // Refused: the record keeps its value and the row shows it again.
  event.Veto();
  event.SetValidationFailureBehavior(wxPG_VFB_STAY_IN_PROPERTY | wxPG_VFB_BEEP |
                                     wxPG_VFB_MARK_CELL);
  m_grid->CallAfter([why] { Ask(why, "ERROR", MB_OK | MB_ICONERROR); });
}

void CStockCfgDlg::OnGridChanged(wxPropertyGridEvent& event) {
  wxPGProperty* property = event.GetProperty();
  const auto index = property ? reinterpret_cast<uintptr_t>(property->GetClientData()) : SIZE_MAX;
  if (index >= m_rows.size()) return;
  SettingsSources sources = Sources();
  // A text is kept trimmed and cut: the row shows what was stored.
  const SettingsRow& row = m_rows[index];
  if (row.kind == RowKind::kText || row.kind == RowKind::kKeyText)
    property->SetValueFromString(row.ownText ? wxString(*row.ownText) : wxString(row.text));
  const int changed = AfterRowEdit(sources, m_rows, index, true);
  if (changed >= 0)
    if (wxPGProperty* other = PropertyOf(static_cast<size_t>(changed)))
      m_grid->SetPropertyReadOnly(other, m_rows[static_cast<size_t>(changed)].readOnly);
}

std::wstring CStockCfgDlg::ShownChoiceText(const SettingsRow& row) const {
  orv::ui::COptionList list;
  list.Parse(row.options);
  const std::wstring* label = list.FindLabel(BoundNumber(row));
  return label ? *label : std::wstring();
}

int CStockCfgDlg::SaveSettingsToDb(std::wstring* message, int* length) {
  if (!m_options) {
    *message = kCannotSaveText;
    *length = 0;
    return 0;
  }
  std::vector<std::wstring> selectors;
  for (const SettingsRow& row : m_rows)
    if (row.role == RowRole::kBuySelector) selectors.push_back(ShownChoiceText(row));
  return SaveStockCfgToDb(m_db, m_options, m_values, selectors, m_accounts, message, length);
}

bool CStockCfgDlg::OnSaveSettings() {
  if (!m_options) return false;
  if (m_grid) m_grid->CommitChangesFromEditor();
  const std::wstring rebuy = RebuyRangeError(m_options->rebuy_start, m_options->rebuy_end);
  if (!rebuy.empty()) {
    Ask(rebuy, "ERROR", MB_OK | MB_ICONERROR);
    return false;
  }
  if (Ask(kSaveQuestion, "QUESTION", MB_YESNO | MB_ICONQUESTION) != IDYES) return false;
  ApplyFeeFractions(m_options);
  m_accounts = BuildAccountsText(*m_options);
  std::wstring message;
  int length = 0;
  if (!SaveSettingsToDb(&message, &length)) {
    Ask(message, "ERROR", MB_OK | MB_ICONERROR);
    return false;
  }
  if (m_timer) m_timer->Stop();
  m_view.ApplyStockOptions(true);
  const uint32_t now = orv::win::GetTickCount();
  // The countdown runs from the last time the settings were applied.
  m_countdown = m_appliedOnce ? SaveCountdownSeconds(now, m_appliedTick) : 1;
  m_appliedTick = now;
  m_appliedOnce = true;
  if (m_timer) m_timer->Start(1000);
  wchar_t text[2048];
  std::swprintf(text, std::size(text), kSavedFormat, length, message.c_str(), m_countdown);
  Ask(text, "INFORMATION", MB_OK | MB_ICONINFORMATION);
  HideDialog();
  return true;
}

void CStockCfgDlg::OnTimer() {
  --m_countdown;
  if (m_countLabel) m_countLabel->SetLabel(wxEmptyString);
}

void CStockCfgDlg::SetRowText(size_t index, const std::wstring& text) {
  if (wxPGProperty* property = PropertyOf(index)) property->SetValueFromString(text);
}

bool CStockCfgDlg::ImportLoginInfo(int account, const std::string& utf8Path) {
  if (!m_options) return false;
  std::wstring values[4];
  const int count = ParseLoginIdAndPasswordFile(utf8Path, values);
  if (!ApplyImportedAccount(m_options, account, values, count)) return false;
  // The account's rows in order: login, alias, access key, secret key.
  for (size_t k = 0; k < m_rows.size(); ++k) {
    const SettingsRow& row = m_rows[k];
    if (row.role != RowRole::kAccountText || row.account != account || !row.text) continue;
    SetRowText(k, row.text);
  }
  return true;
}

void CStockCfgDlg::OnGridButton(const SettingsRow& row) {
  if (row.buttonId) {
    wxFileDialog dialog(m_window, wxEmptyString, wxEmptyString, L"로그인_정보.txt",
                        "Text files (*.txt)|*.txt|All Files (*.*)|*.*",
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() == wxID_OK)
      ImportLoginInfo(row.account, dialog.GetPath().utf8_string());
    return;
  }
  login_info_s* login = m_view.LoginInfo();
  if (!login || (row.role != RowRole::kNickname && row.role != RowRole::kEmail)) return;
  if (m_grid) m_grid->CommitChangesFromEditor();
  const bool nick = row.role == RowRole::kNickname;
  const std::wstring& text = nick ? m_values.nickname : m_values.email;
  if (text.empty()) {
    Ask(nick ? L"닉네임을 입력해 주세요" : L"전자우편을 입력해 주세요", "ERROR",
        MB_OK | MB_ICONERROR);
    return;
  }
  if (Ask(nick ? L"닉네임을 변경할까요?" : L"전자우편을 변경할까요?", "QUESTION",
          MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  wchar_t* field = nick ? login->szNickName : login->szEmail;
  const size_t limit = nick ? LOGIN_NICK_LEN - 1 : LOGIN_EMAIL_LEN - 1;
  const size_t n = std::min(text.size(), limit);
  std::wmemcpy(field, text.data(), n);
  field[n] = L'\0';
}

std::unique_ptr<CPelomarSettingsDialog> MakeStockCfgDlg(CPelomarView& view) {
  return std::make_unique<CStockCfgDlg>(view);
}

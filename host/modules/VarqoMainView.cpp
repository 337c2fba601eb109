#include "host/modules/VarqoMainView.h"

#include <wx/bitmap.h>
#include <wx/frame.h>
#include <wx/imaglist.h>

#include <filesystem>
#include <system_error>

#include "host/app/AppFolders.h"
#include "host/app/VarqoMainApp.h"
#include "host/catalogue/LanguageTexts.h"
#include "host/catalogue/MenuModuleMap.h"
#include "host/dialogs/SplashScreenEx.h"
#include "host/modules/ModuleStartup.h"
#include "host/modules/ModuleTabStrip.h"
#include "host/modules/MyFrameWnd.h"
#include "host/modules/PluginModuleLoading.h"
#include "platform/support/PluginLoader.h"
#include "platform/ui/DbViewBase.h"

namespace fs = std::filesystem;
using orv::host::MenuModule;

namespace {

constexpr int kTabIconSize = 16;
constexpr size_t kSubWindowTitleChars = 1024;
constexpr size_t kModuleCodeChars = 256;

wxWindow* AsWindow(HWND handle) { return reinterpret_cast<wxWindow*>(handle); }
HWND AsHandle(wxWindow* window) { return reinterpret_cast<HWND>(window); }

}  // namespace

CVarqoMainView::CVarqoMainView(IMainViewHost& frame, wxWindow* parent)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, parent->GetClientSize(),
              wxTAB_TRAVERSAL | wxCLIP_CHILDREN | wxBORDER_NONE, "VarqoMainView"),
      frame_(frame) {
  SetBackgroundColour(parent->GetBackgroundColour());
  // The tab icons: a strip of 16 x 16 images in the program's res folder, green as the mask.
  const std::string iconFile = frame_.App().Folders().exeFolder + "res/tab_icons.bmp";
  std::error_code ec;
  if (fs::is_regular_file(iconFile, ec)) {
    wxBitmap strip(wxString::FromUTF8(iconFile), wxBITMAP_TYPE_BMP);
    if (strip.IsOk()) {
      tabImages_ = std::make_unique<wxImageList>(kTabIconSize, kTabIconSize, true, 0);
      tabImages_->Add(strip, wxColour(0x00, 0xFF, 0x00));
    }
  }
  tabs_ = new CModuleTabStrip(this, kTabControlId);
  tabs_->SetImageList(tabImages_.get());
  tabs_->SetOnSelect([this](int tab) { OnTabClicked(tab); });
  Bind(wxEVT_SIZE, &CVarqoMainView::OnSize, this);
}

CVarqoMainView::~CVarqoMainView() { tabs_->SetImageList(nullptr); }

void CVarqoMainView::ForgetModuleWindows() {
  // A module's own frame holds a view of the module's class: it goes before the library.
  HideInnerFrame();
  currentWnd_ = nullptr;
  previousWnd_ = nullptr;
  activeView_ = nullptr;
}

bool CVarqoMainView::CheckPendingModuleUpdate(MenuModule* entry, bool* outUpdate,
                                              const std::wstring& modulePath) {
  return orv::host::CheckPendingModuleUpdate(entry, outUpdate, modulePath);
}

int CVarqoMainView::LoadAllModules(const orv::host::MenuModuleMap& map, MenuModule** outFirst) {
  CSplashScreenEx* splash = frame_.GetSplash();
  const std::wstring programFolder =
      wxString::FromUTF8(orv::host::WithSlash(frame_.App().Folders().exeFolder)).ToStdWstring();
  int counter = 0;
  bool previousOk = true;
  int previousError = 0;
  for (const auto& [key, module] : map) {
    MenuModule& entry = *module;
    if (entry.libraryPath.empty()) {
      entry.window = 0;
      entry.frame = AsHandle(&frame_.FrameWindow());
      continue;
    }
    ++counter;
    bool update = false;
    if (CheckPendingModuleUpdate(&entry, &update, entry.libraryPath)) pendingUpdate_ = &entry;
    if (splash != nullptr) {
      splash->AddText(
          orv::host::ModuleLoadSplashText(counter == 1, previousOk, previousError, entry.title));
    }
    fs::path path(entry.libraryPath);
    if (path.is_relative()) path = fs::path(programFolder) / path;
    const std::wstring absolute = path.lexically_normal().wstring();

    if (orv::host::IsProgramKind(entry.kind)) {
      previousOk = true;
      previousError = 0;
      continue;
    }
    PluginModuleRequest request;
    request.libraryPath = absolute.c_str();
    request.startText = entry.startText.c_str();
    request.paramText = entry.paramText.c_str();
    request.startValue = static_cast<LPARAM>(entry.startValue);
    request.parent = this;
    request.wndId = entry.menuId;
    request.optionText = entry.optionText.c_str();
    request.passThrough = 0;

    wxWindow* first = nullptr;
    PluginModuleInfo info;
    int status = 0;
    std::wstring errorText;
    PluginModuleResult result;
    result.firstWnd = &first;
    result.info = &info;
    result.loaderStatus = &status;
    result.errorText = &errorText;
    HINSTANCE handle = LoadPluginModule(frame_.BuildModuleHost(), request, result);
    entry.moduleHandle = handle;
    entry.loadStatus = status;
    entry.loadError = handle != nullptr ? 0 : (status != 0 ? status : -1);
    if (entry.loadText.empty()) entry.loadText = errorText;
    // A module without a code of its own is known by the key it reports.
    if (entry.code.empty() && info.key != nullptr) entry.code = info.key;
    std::free(info.key);
    previousOk = handle != nullptr;
    previousError = entry.loadError;
    if (first != nullptr) first->Hide();
    entry.window = AsHandle(first);
    entry.frame = AsHandle(&frame_.FrameWindow());
  }
  if (outFirst != nullptr)
    *outFirst = map.begin() != map.end() ? map.begin()->second.get() : nullptr;
  return 1;
}

MenuModule* CVarqoMainView::OnInitialUpdate(const orv::host::MenuModuleMap& map, int language) {
  MenuModule* first = nullptr;
  LoadAllModules(map, &first);
  if (first != nullptr) SelectModuleTab(first, 0, true, language);
  if (frame_.GetSplash() != nullptr) frame_.GetSplash()->HideSplash();
  return first;
}

std::wstring CVarqoMainView::TranslateTitle(const std::wstring& title, int language) const {
  CVarqoMainApp& app = frame_.App();
  wchar_t buffer[orv::host::kUiTextBufferChars] = {};
  if (orv::host::GetUiText(app.CatalogueDb(), app.RunSettings().nCompanyNo, title.c_str(),
                           title.c_str(), title.c_str(), language, app.RunSettings().nLanguageCode,
                           buffer, orv::host::kUiTextBufferChars) == 1) {
    return buffer;
  }
  return title;
}

void CVarqoMainView::HideInnerFrame() {
  if (innerFrame_ == nullptr) return;
  innerFrame_->Hide();
  innerFrame_->Destroy();
  innerFrame_ = nullptr;
}

MenuModule* CVarqoMainView::SelectModuleTab(MenuModule* entry, int selected, bool apply,
                                            int language) {
  current_ = entry;
  if (!apply || entry == nullptr) return current_;
  language_ = orv::host::EffectiveLanguage(language, frame_.App().RunSettings().nLanguageCode);

  HideInnerFrame();
  tabs_->DeleteAllItems();
  tabsReady_ = false;
  previousWnd_ = currentWnd_;
  currentWnd_ = AsWindow(entry->window);
  selected_ = selected;

  CPluginLoader* loader = frame_.GetPluginLoader();
  auto handle = static_cast<HINSTANCE>(entry->moduleHandle);
  if (entry->ownFrame != 0) {
    const CRuntimeClass* runtimeClass = loader != nullptr && handle != nullptr
                                            ? loader->GetPlugInRuntimeClass(handle, 0, nullptr)
                                            : nullptr;
    if (runtimeClass == nullptr) return current_;
    if (previousWnd_ != nullptr) previousWnd_->Hide();
    innerFrame_ = new CMyFrameWnd(this, this, entry->frameResourceId);
    const wxSize size = GetClientSize();
    innerFrame_->SetSize(0, 0, size.x, size.y);
    innerFrame_->CreateView(runtimeClass, frame_.GetSharedWnds(), entry->menuId);
    innerFrame_->InitialUpdateFrame();
    innerFrame_->Show();
    tabs_->Hide();
    return current_;
  }
  tabs_->Show();

  int preferred = -1;
  wchar_t titles[kSubWindowTitleChars] = {};
  wchar_t code[kModuleCodeChars] = {};
  short kind = 0;
  const int count =
      loader != nullptr && handle != nullptr
          ? loader->GetSubWindowCount(handle, entry->code.c_str(), &preferred, titles, code, &kind)
          : 0;
  entry->subWindowCount = count;
  const auto translate = [this](const std::wstring& title) {
    return TranslateTitle(title, language_);
  };
  const std::vector<orv::host::ModuleTab> plan = orv::host::PlanModuleTabs(
      count, titles, entry->expectedSubWindows, entry->title, entry->tabImage, translate);
  for (const auto& tab : plan) tabs_->InsertItem(tab.caption, tab.image, tab.subWindow);
  if (count >= 2 && loader != nullptr && handle != nullptr) {
    currentWnd_ = loader->GetNthWndPtr(handle, preferred >= 0 ? preferred : 0);
  }
  tabsReady_ = true;
  const int tab = orv::host::ChooseModuleTab(preferred, selected, tabs_->GetItemCount());
  tabs_->SetCurSel(tab);
  ShowModuleSubWindow(tabs_->GetItemData(tab) >= 0 ? tabs_->GetItemData(tab) : 0);
  return current_;
}

int CVarqoMainView::RetitleModuleTabs(MenuModule* entry, int language) {
  if (entry == nullptr || entry->subWindowCount < 2) return 0;
  CPluginLoader* loader = frame_.GetPluginLoader();
  auto handle = static_cast<HINSTANCE>(entry->moduleHandle);
  if (loader == nullptr || handle == nullptr) return 0;
  int preferred = -1;
  wchar_t titles[kSubWindowTitleChars] = {};
  wchar_t code[kModuleCodeChars] = {};
  short kind = 0;
  const int count =
      loader->GetSubWindowCount(handle, entry->code.c_str(), &preferred, titles, code, &kind);
  const int lang = orv::host::EffectiveLanguage(language, frame_.App().RunSettings().nLanguageCode);
  const std::vector<std::wstring> captions = orv::host::RetitleCaptions(
      count, titles,
      [this, lang](const std::wstring& title) { return TranslateTitle(title, lang); });
  int tab = 0;
  for (const auto& caption : captions) {
    if (tab >= tabs_->GetItemCount()) break;
    tabs_->SetItemCaption(tab, caption);
    tabs_->SetItemData(tab, tab);
    ++tab;
  }
  return static_cast<int>(captions.size());
}

int CVarqoMainView::ShowModuleSubWindow(int index) {
  const wxSize client = GetClientSize();
  const int header = LayoutModuleWindow(client.x, client.y, false);
  selected_ = index;
  if (current_ == nullptr) return 0;
  if (orv::host::IsProgramKind(current_->kind)) {
    current_->currentSubWindow = -1;
    return 0;
  }
  CPluginLoader* loader = frame_.GetPluginLoader();
  auto handle = static_cast<HINSTANCE>(current_->moduleHandle);
  wxWindow* window =
      loader != nullptr && handle != nullptr ? loader->GetNthWndPtr(handle, index) : nullptr;
  wxWindow* previous = currentWnd_;
  currentWnd_ = window;
  current_->currentSubWindow = index;
  if (innerFrame_ != nullptr) {
    HideInnerFrame();
  } else if (previous != nullptr && previous != window) {
    previous->Hide();
  }
  if (previousWnd_ != nullptr && previousWnd_ != window) previousWnd_->Hide();
  if (window == nullptr) return 0;
  if (!window->IsShown()) {
    window->SetSize(0, 0, client.x, client.y - header);
    window->Show();
  }
  loader->RefreshSubWindowById(current_->menuId, index, kRefreshCommand, kRefreshValue);
  if (dynamic_cast<CDbBaseNormalView*>(window) == nullptr) return 0;
  activeView_ = window;
  return 1;
}

int CVarqoMainView::LayoutModuleWindow(int width, int height, bool moveTabs) {
  if (tabs_ == nullptr) return 0;
  const int header = tabs_->IsShown() ? tabs_->GetHeaderHeight() : 0;
  if (currentWnd_ != nullptr) currentWnd_->SetSize(0, 0, width, height - header);
  if (innerFrame_ != nullptr) innerFrame_->SetSize(0, 0, width, height);
  if (moveTabs) tabs_->SetSize(0, height - header, width, header);
  return header;
}

int CVarqoMainView::GetCurrentLoginCallback(void** outCtx, LoginCallback* outLogin,
                                            LoginNotifyCallback* outNotify) {
  if (current_ == nullptr) return 0;
  CPluginLoader* loader = frame_.GetPluginLoader();
  auto handle = static_cast<HINSTANCE>(current_->moduleHandle);
  if (loader == nullptr || handle == nullptr) return 0;
  const int tab = tabs_->GetCurSel();
  return loader->GetLoginCallbackFunc(handle, tab >= 0 ? tab : 0, outCtx, outLogin, outNotify);
}

void CVarqoMainView::OnSize(wxSizeEvent& event) {
  const wxSize size = GetClientSize();
  LayoutModuleWindow(size.x, size.y, true);
  event.Skip();
}

void CVarqoMainView::OnTabClicked(int tab) {
  const int index = tabs_->GetItemData(tab);
  ShowModuleSubWindow(index >= 0 ? index : 0);
}

// The trading view's signal-module selection, the start and stop of the price simulation, and
// the log package sent to the product's developers.

#include <wx/filedlg.h>
#include <wx/toplevel.h>

#include <cstdio>
#include <filesystem>

#include "platform/support/TextConv.h"
#include "platform/support/ZipArchive.h"
#include "platform/ui/ScreenCapture.h"
#include "platform/win/Clock.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Registry.h"
#include "plugin/community/WebReports.h"
#include "plugin/view/PelomarView.h"
#include "plugin/view/engine/LogPackage.h"
#include "plugin/view/engine/WideText.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"

namespace {
constexpr const char* kSettingsSection = "Settings";
constexpr const char* kKeySignalModule = "STOCK_SignalModule";
constexpr UINT kMbTopmost = 0x40000;
constexpr UINT kMbIconStop = MB_ICONERROR;
constexpr wchar_t kCsvFilter[] = L"CSV Files (*.csv)|*.csv";
// The caption's colours (COLORREF): light yellow on dark blue.
constexpr unsigned kCaptionText = 0xA0FFFF;
constexpr unsigned kCaptionBack = 0xA05000;
// What the package reports besides success and the upload's own codes.
constexpr int kPackageNoWindow = 2;
constexpr int kPackageNoPicture = 3;
constexpr int kPackageNoPng = 4;
constexpr int kPackageNoLog = 5;
constexpr int kPackageZipFailed = 6;

std::wstring WithSlashW(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'/') folder += L'/';
  return folder;
}

void ShowStopError(const std::wstring& text) {
  orv::win::MessageBox(WideToUtf8(text), "ERROR", MB_OK | kMbIconStop | kMbTopmost);
}
}  // namespace

// ---------------------------------------------------------------------------------------
// Signal modules

int CPelomarView::ScanSignalModules(std::wstring* outList, std::wstring* outFirst) {
  return m_engine->SignalModules().ScanSignalModules(outList, outFirst);
}

void CPelomarView::SelectSignalModule(const wchar_t* name) {
  CSignalModules& modules = m_engine->SignalModules();
  modules.SelectSignalModule(name);
  orv::win::WriteProfileString(kSettingsSection, kKeySignalModule,
                               WideToUtf8(modules.ModuleName()));
}

bool CPelomarView::SelectSignalModuleByIndex(int index) {
  CSignalModules& modules = m_engine->SignalModules();
  const bool loaded = modules.SelectSignalModuleByIndex(index);
  orv::win::WriteProfileString(kSettingsSection, kKeySignalModule,
                               WideToUtf8(modules.ModuleName()));
  return loaded;
}

bool CPelomarView::LoadSignalModule(const wchar_t* path) {
  return m_engine->SignalModules().LoadSignalModule(path);
}

void CPelomarView::UnloadSignalModule() { m_engine->SignalModules().UnloadSignalModule(); }

void CPelomarView::SelectStoredSignalModule() {
  m_engine->SignalModules().SetFolders(m_engine->ProgramFolder(),
                                       Utf8ToWide(m_engine->Logs().GetLogFolder()));
  const std::string stored = orv::win::GetProfileString(kSettingsSection, kKeySignalModule, "");
  SelectSignalModule(Utf8ToWide(stored).c_str());
}

int CPelomarView::CalcTradeSignal(int kind, int flag, const double (&params)[kSignalParamCount],
                                  double* outResult) {
  return m_engine->CalcTradeSignal(kind, flag != 0, params, outResult);
}

// ---------------------------------------------------------------------------------------
// Price simulation

std::wstring CPelomarView::ChooseSimulationFile() {
  if (m_hooks.chooseFile) return m_hooks.chooseFile(kCsvFilter);
  wxFileDialog dialog(this, wxString(L"Open"), wxEmptyString, wxEmptyString, wxString(kCsvFilter),
                      wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  if (dialog.ShowModal() != wxID_OK) return L"";
  return dialog.GetPath().ToStdWstring();
}

int CPelomarView::StartPriceSimulation(int mode) {
  if (m_engine->SimulationMode() != 0) {
    m_engine->StopPriceSimulation();
    return 0;
  }
  bool held = false;
  {
    orv::win::CSingleLock lock(&m_engine->ViewLock(), TRUE);
    for (int i = 0; i < CStockLists::kHeldCount; ++i)
      held = held || !m_engine->Stocks().Held(i).empty();
  }
  if (!held) {
    ShowStopError(L"보유 종목이 없어서,\n가격 시뮬레이션을 시작할 수 없습니다");
    return 0;
  }
  const std::wstring path = ChooseSimulationFile();
  if (path.empty()) return 0;
  if (mode == CPelomarEngine::kSimulationReplay) {
    if (orv::win::MessageBox("가격 시뮬레이션을 시작할까요?", "QUESTION",
                             MB_YESNO | MB_ICONQUESTION) == IDYES)
      m_engine->ArmPriceSimulation(mode, WideToUtf8(path));
    return 0;
  }
  // The worker is idle: the rates are read here, before the question counts them.
  const int rates = m_engine->PriceSeries().ReadPriceLog(
      WideToUtf8(path), CPriceSeries::kModeRates, CPelomarEngine::kSimulationStartHhmm, nullptr);
  if (rates <= 0) {
    orv::win::MessageBox("파일에서 읽어들인 등락 변동 데이터가 없습니다.", "ERROR",
                         MB_OK | MB_ICONERROR);
    return 0;
  }
  if (orv::win::MessageBox(
          WideToUtf8(StrPrintfW(L"%d개의 등락 변동률을 기반으로 시뮬레이션을 시작할까요?", rates)),
          "QUESTION", MB_YESNO | MB_ICONQUESTION) == IDYES)
    m_engine->ArmPriceSimulation(CPelomarEngine::kSimulationRates, WideToUtf8(path));
  return 0;
}

// ---------------------------------------------------------------------------------------
// Log package

int CPelomarView::CaptureAndShareLogs(int kind, int value, int withScreen) {
  SYSTEMTIME now;
  orv::win::GetLocalTime(&now);
  std::wstring dataFolder = m_pRunSetting ? WithSlashW(m_pRunSetting->szDataFolder) : L"";
  if (dataFolder.empty()) dataFolder = m_engine->ProgramFolder();
  const std::string temp = WideToUtf8(dataFolder) + "temp/";
  std::error_code ec;
  std::filesystem::create_directories(temp, ec);

  wxWindow* window = nullptr;
  std::string bmpPath, pngPath;
  if (withScreen) {
    window = wxGetTopLevelParent(this);
    bmpPath = temp + "capture_app_screen.bmp";
    pngPath = temp + "capture_app_screen.png";
  }
  const std::vector<std::string> files = GatherLogPackageFiles(m_engine->Logs(), now);
  const int userIndex = m_pLoginInfo ? m_pLoginInfo->nUserIdx : 0;
  const std::string zipPath = temp + "log.zip";
  std::string password;
  std::wstring question, title, body;
  int result = 0;
  if (files.empty()) {
    result = kPackageNoLog;
  } else {
    password = MakeLogPackagePassword(orv::win::GetTickCount());
    // A package that could not be made is never sent.
    if (GfxCreateZipFile(zipPath, "", files, password) < 0) result = kPackageZipFailed;
    question = StrPrintfW(
        L"로그 %d개를 개발자에게 전달할까요?.\n-----------------\n업로드될 로그파일 : %ls\n"
        L"업로드될 화면파일 : %ls\n------------------\n화면 캡쳐 파일에는 개인정보는 포함되지 "
        L"않도록,\n이미지를 확인해 보셔요~",
        static_cast<int>(files.size()), Utf8ToWide(zipPath).c_str(),
        Utf8ToWide(pngPath).c_str());
    title = StrPrintfW(L"앱 로그 분석 요청 - %d", userIndex);
    body = StrPrintfW(L"앱 로그 분석 요청(%d)<br>{IMG}", userIndex);
  }
  if (withScreen && result == 0) {
    if (!window || bmpPath.empty()) {
      result = kPackageNoWindow;
    } else if (GfxCaptureScreenToBmpFile(window, bmpPath)) {
      std::wstring site = m_pRunSetting ? m_pRunSetting->szHomePage : L"";
      if (site.empty() && m_pRunSetting) site = Utf8ToWide(m_pRunSetting->szWebApiBase);
      const std::wstring caption = L" 주식자동매매 -> " + site + L" ";
      switch (CaptionPictureToPng(bmpPath, pngPath, caption, kCaptionText, kCaptionBack)) {
        case PictureResult::kLoadFailed:
          result = kPackageNoPicture;
          break;
        case PictureResult::kSaveFailed:
          result = kPackageNoPng;
          break;
        case PictureResult::kOk:
          break;
      }
    }
  }
  if (result == 0) {
    if (orv::win::MessageBox(WideToUtf8(question), "QUESTION", MB_YESNO | MB_ICONQUESTION) !=
        IDYES)
      return 0;
    ConditionProfitRecord_s record;
    record.title = title;
    record.contents = body;
    record.dataFile = zipPath;
    record.filePassword = password;
    // A capture that failed leaves no picture: the logs go without one.
    if (!pngPath.empty() && std::filesystem::is_regular_file(pngPath, ec))
      record.imageFile = pngPath;
    record.resultType = kind;
    record.nth = value;
    record.fileCount = static_cast<int>(files.size());
    const int reply = m_webReports ? m_webReports->UploadConditionProfitRecord(nullptr, record) : -1;
    if (reply == 0) {
      orv::win::MessageBox("작업을 성공적으로 수행했습니다", "INFORMATION",
                           MB_OK | MB_ICONINFORMATION);
    } else {
      orv::win::MessageBox(WideToUtf8(StrPrintfW(L"에러(%d)가 발생했습니다.", reply)), "ERROR",
                           MB_OK | MB_ICONERROR);
    }
    return reply;
  }
  switch (result) {
    case kPackageNoWindow:
      ShowStopError(L"알수없는 에러가 발생했습니다. (HANDLE is NULL)");
      break;
    case kPackageNoPicture:
      ShowStopError(L"캡쳐를 하지 못했습니다");
      break;
    case kPackageNoPng:
      ShowStopError(L"PNG파일로 변환을 하지 못했습니다");
      break;
    case kPackageNoLog:
      ShowStopError(L"로그파일이 존재하지 않습니다.");
      break;
    default:
      ShowStopError(L"알수없는 에러가 발생했습니다.");
      break;
  }
  return result;
}

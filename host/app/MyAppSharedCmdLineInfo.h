#pragma once
// The host's command-line record: start-up, single-instance, module and deployment options,
// read once at start-up and kept for the whole run.

#include <cstddef>

#include "host/app/CommandLineInfo.h"

class CMyAppSharedCmdLineInfo : public CCommandLineInfo {
 public:
  CMyAppSharedCmdLineInfo();
  ~CMyAppSharedCmdLineInfo() override;

  // Recognises the program's keys ("key", "key:value" or "key=value"); everything else goes
  // to the base record. Text values longer than their field are cut to fit.
  void ParseParam(const wchar_t* param, BOOL flag, BOOL last) override;

  int m_nPkg = 0;
  int m_nPx = 0;
  int m_nCo = 0;
  int m_nBr = 0;
  int m_nUidx = 0;
  int m_nIt = 0;
  int m_nTrayTime = 3000;
  int m_nDebugLevel = 0;
  int m_nAppKind = 0;
  int m_nTextSize = 12;
  int m_nUnzip = 0;
  int m_nHideTaskBar = 0;
  BOOL m_bFullScreen = FALSE;
  BOOL m_bTextMode = FALSE;
  BOOL m_bFixed = FALSE;
  BOOL m_bText = FALSE;
  BOOL m_bMakePkg = FALSE;
  BOOL m_bC = FALSE;
  BOOL m_bHide = FALSE;
  BOOL m_bHideOnExit = FALSE;
  BOOL m_bSingleton = FALSE;
  BOOL m_bNoUI = FALSE;
  BOOL m_bTopmost = FALSE;
  BOOL m_bInstall = FALSE;
  BOOL m_bBootRun = FALSE;
  BOOL m_bSignage = FALSE;
  int m_nSplashMode = -1;
  int m_nPosX = -1;
  int m_nPosY = -1;
  int m_nWidth = 0;
  int m_nHeight = 0;
  wchar_t m_szSendTo[50] = {};
  wchar_t m_szDest[260] = {};
  wchar_t m_szDllDir[260] = {};
  wchar_t m_szDllGroup[50] = {};
  wchar_t m_szDllTitles[500] = {};
  wchar_t m_szDlls[500] = {};
  wchar_t m_szPostRun[260] = {};
  wchar_t m_szClass[32] = {};
  wchar_t m_szFile[260] = {};
  wchar_t m_szImg1[260] = {};
  wchar_t m_szImg2[260] = {};
  wchar_t m_szNextApp[260] = {};
  wchar_t m_szDownload[200] = {};
  wchar_t m_szUid[30] = {};
  wchar_t m_szIp[30] = {};
  wchar_t m_szPkgName[100] = {};
  wchar_t m_szPkgTitle[100] = {};
  wchar_t m_szDeployer[50] = {};
  wchar_t m_szTitle[50] = {};
  wchar_t m_szPkgPwd[30] = {};
  wchar_t m_szCoId[30] = {};
  wchar_t m_szCoName[50] = {};
  wchar_t m_szComUrl[100] = {};
  wchar_t m_szPkgEula[260] = {};
  wchar_t m_szPkgEula2[260] = {};
  wchar_t m_szPkgVer[100] = {};
  wchar_t m_szDll[260] = {};
  wchar_t m_szDll2[260] = {};
  wchar_t m_szModules[100] = {};
  wchar_t m_szPkgSrc[260] = {};
  wchar_t m_szAutoRunName[50] = {};
  wchar_t m_szAutoRunCmd[260] = {};
  wchar_t m_szKillProc[260] = {};
  // Owned heap texts (malloc); null when not given.
  wchar_t* m_pszMsg = nullptr;
  wchar_t* m_pszKey = nullptr;
  wchar_t* m_pszPrj = nullptr;
  wchar_t* m_pszMsg2 = nullptr;

 private:
  bool ParseKnownKey(const wchar_t* param);
};

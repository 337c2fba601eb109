// The host's command-line keys: forms, case rules, separators and what falls through.

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

#include "host/app/MyAppSharedCmdLineInfo.h"

namespace {

// Parses a command line given as argv entries (without the program name).
void Parse(CMyAppSharedCmdLineInfo& info, const std::vector<std::string>& args) {
  std::vector<const char*> argv{"orvella"};
  for (const auto& a : args) argv.push_back(a.c_str());
  ParseCommandLine(static_cast<int>(argv.size()), argv.data(), info);
}

std::wstring W(const wchar_t* s) { return s == nullptr ? L"<null>" : s; }

struct IntCase {
  const char* arg;
  int CMyAppSharedCmdLineInfo::*field;
  int expected;
};

TEST(CommandLine, NumberAndFlagKeysFollowTheirCaseAndSeparatorRules) {
  using C = CMyAppSharedCmdLineInfo;
  const IntCase cases[] = {
      {"/pkg:3", &C::m_nPkg, 3},
      {"-pkg=7", &C::m_nPkg, 7},
      {"/PKG:3", &C::m_nPkg, 0},  // lower case only
      {"/Pkg=3", &C::m_nPkg, 0},
      {"/uidx:42", &C::m_nUidx, 42},
      {"/UIDX:42", &C::m_nUidx, 0},
      {"/co=12", &C::m_nCo, 12},
      {"/br:5", &C::m_nBr, 5},
      {"/px:9", &C::m_nPx, 9},
      {"/it:-4", &C::m_nIt, -4},
      {"/unzip:2", &C::m_nUnzip, 2},
      {"/Unzip:2", &C::m_nUnzip, 0},
      {"/pkg:abc", &C::m_nPkg, 0},
      {"/pkg:12abc", &C::m_nPkg, 12},
      {"/pkg", &C::m_nPkg, 0},  // a number key needs its separator
      {"/HideTaskBar:3", &C::m_nHideTaskBar, 3},
      {"/hidetaskbar", &C::m_nHideTaskBar, 1},
      {"/HIDETASKBAR=0", &C::m_nHideTaskBar, 0},
      {"/splash:0", &C::m_nSplashMode, 0},
      {"/Splash=1", &C::m_nSplashMode, 1},
      {"/splash:", &C::m_nSplashMode, -1},
      {"/splash", &C::m_nSplashMode, -1},
      {"/trtime:500", &C::m_nTrayTime, 500},
      {"/trtime:", &C::m_nTrayTime, 3000},
      {"/text:14", &C::m_nTextSize, 14},
      {"/text:", &C::m_nTextSize, 12},
      {"/app:SMS", &C::m_nAppKind, 5},
      {"/app=ftp", &C::m_nAppKind, 6},
      {"/app:mail", &C::m_nAppKind, 0},
      {"/debug:true", &C::m_nDebugLevel, 0x20},
      {"/debug=1", &C::m_nDebugLevel, 0x20},
      {"/debug:TRUE", &C::m_nDebugLevel, 0x20},
      {"/debug:2", &C::m_nDebugLevel, 0},
      {"/DEBUG:1", &C::m_nDebugLevel, 0},
      {"/Fixed", &C::m_bFixed, TRUE},
      {"/FIXED", &C::m_bFixed, TRUE},
      {"/fixed:1", &C::m_bFixed, FALSE},  // stands alone
      {"/install", &C::m_bInstall, TRUE},
      {"/boot", &C::m_bBootRun, TRUE},
      {"/BootRun", &C::m_bBootRun, TRUE},
      {"/autorun", &C::m_bBootRun, TRUE},
      {"/cms", &C::m_bSignage, TRUE},
      {"/Signage", &C::m_bSignage, TRUE},
      {"/t", &C::m_bText, TRUE},
      {"/text", &C::m_bText, TRUE},
      {"/text", &C::m_bTextMode, FALSE},
      {"/text:14", &C::m_bTextMode, TRUE},
      {"/text:14", &C::m_bText, FALSE},
      {"/text:", &C::m_bTextMode, TRUE},
      {"/c", &C::m_bC, TRUE},
      {"/makepkg", &C::m_bMakePkg, TRUE},
      {"/TopMost", &C::m_bTopmost, TRUE},
      {"/h", &C::m_bHide, TRUE},
      {"/hide", &C::m_bHide, TRUE},
      {"/hideonexit", &C::m_bHideOnExit, TRUE},
      {"/hideonexit", &C::m_bHide, FALSE},
      {"/noui", &C::m_bNoUI, TRUE},
      {"/FullScreen", &C::m_bFullScreen, TRUE},
      {"/singleton", &C::m_bSingleton, TRUE},
      {"/singleton:", &C::m_bSingleton, TRUE},
      {"/singleton:True", &C::m_bSingleton, TRUE},
      {"/singleton=1", &C::m_bSingleton, TRUE},
      {"/singleton:no", &C::m_bSingleton, FALSE},
      {"/Singleton", &C::m_bSingleton, FALSE},
      {"/hidesplash", &C::m_bShowSplash, FALSE},
      {"/HideSplash", &C::m_bShowSplash, FALSE},
  };
  for (const auto& c : cases) {
    C info;
    Parse(info, {c.arg});
    EXPECT_EQ(info.*(c.field), c.expected) << c.arg;
  }
}

TEST(CommandLine, LaterSingletonValueOverridesEarlier) {
  CMyAppSharedCmdLineInfo info;
  Parse(info, {"/singleton", "/singleton:0"});
  EXPECT_EQ(info.m_bSingleton, FALSE);
}

struct TextCase {
  const char* arg;
  const wchar_t* (*field)(const CMyAppSharedCmdLineInfo&);
  const wchar_t* expected;
};

#define FIELD(name) [](const CMyAppSharedCmdLineInfo& i) -> const wchar_t* { return i.name; }

TEST(CommandLine, TextKeysFillTheirFields) {
  const TextCase cases[] = {
      {"/dll:Pelomar.dll", FIELD(m_szDll), L"Pelomar.dll"},
      {"/DLL=a.so", FIELD(m_szDll), L"a.so"},
      {"/dll2:b.so", FIELD(m_szDll2), L"b.so"},
      {"/dll2:b.so", FIELD(m_szDll), L""},
      {"/modules:x;y", FIELD(m_szModules), L"x;y"},
      {"/dllDir:/opt/mods", FIELD(m_szDllDir), L"/opt/mods"},
      {"/DLLDIR=/opt", FIELD(m_szDllDir), L"/opt"},
      {"/dlls:a.so;b.so", FIELD(m_szDlls), L"a.so;b.so"},
      {"/dlltitles:A;B", FIELD(m_szDllTitles), L"A;B"},
      {"/dllgroup:g1", FIELD(m_szDllGroup), L"g1"},
      {"/sendto:me", FIELD(m_szSendTo), L"me"},
      {"/dest:/tmp/out", FIELD(m_szDest), L"/tmp/out"},
      {"/postrun:next", FIELD(m_szPostRun), L"next"},
      {"/pkgsrc:src", FIELD(m_szPkgSrc), L"src"},
      {"/uid=abc", FIELD(m_szUid), L"abc"},
      {"/UID:Kim", FIELD(m_szUid), L"Kim"},
      {"/ip:10.0.0.1", FIELD(m_szIp), L"10.0.0.1"},
      {"/title:제목", FIELD(m_szTitle), L"제목"},
      {"/pkgpwd:pw", FIELD(m_szPkgPwd), L"pw"},
      {"/pkgname:n", FIELD(m_szPkgName), L"n"},
      {"/pkgtitle:t", FIELD(m_szPkgTitle), L"t"},
      {"/deployer:d", FIELD(m_szDeployer), L"d"},
      {"/pkgeula:e1", FIELD(m_szPkgEula), L"e1"},
      {"/pkgeula2:e2", FIELD(m_szPkgEula2), L"e2"},
      {"/pkgeula2:e2", FIELD(m_szPkgEula), L""},
      {"/killproc:p", FIELD(m_szKillProc), L"p"},
      {"/coname:co", FIELD(m_szCoName), L"co"},
      {"/coid:c1", FIELD(m_szCoId), L"c1"},
      {"/comurl:http://x", FIELD(m_szComUrl), L"http://x"},
      {"/download:dl", FIELD(m_szDownload), L"dl"},
      {"/pkgver:1.2", FIELD(m_szPkgVer), L"1.2"},
      {"/nextapp:n", FIELD(m_szNextApp), L"n"},
      {"/class:Abc", FIELD(m_szClass), L"Abc"},
      {"/CLASS:Abc", FIELD(m_szClass), L"Abc"},
      {"/class=Abc", FIELD(m_szClass), L""},
      {"/file:f.txt", FIELD(m_szFile), L"f.txt"},
      {"/img1:a.png", FIELD(m_szImg1), L"a.png"},
      {"/img2:b.png", FIELD(m_szImg2), L"b.png"},
      {"/img:c.png", FIELD(m_szImg2), L"c.png"},
      {"/img:c.png", FIELD(m_szImg1), L""},
      {"/autorun:name/cmd /x", FIELD(m_szAutoRunName), L"name"},
      {"/autorun:name/cmd /x", FIELD(m_szAutoRunCmd), L"cmd /x"},
      {"/autorun:solo", FIELD(m_szAutoRunName), L"solo"},
      {"/autorun:solo", FIELD(m_szAutoRunCmd), L"solo"},
      {"/autorun:/rest", FIELD(m_szAutoRunName), L"rest"},
      {"/autorun:/rest", FIELD(m_szAutoRunCmd), L"rest"},
      {"/uid:", FIELD(m_szUid), L""},
      {"/msg:hello", FIELD(m_pszMsg), L"hello"},
      {"/msg2=two", FIELD(m_pszMsg2), L"two"},
      {"/prj:p1", FIELD(m_pszPrj), L"p1"},
      {"/key:k1", FIELD(m_pszKey), L"k1"},
      {"/msg:", FIELD(m_pszMsg), L"<null>"},
  };
  for (const auto& c : cases) {
    CMyAppSharedCmdLineInfo info;
    Parse(info, {c.arg});
    EXPECT_EQ(W(c.field(info)), std::wstring(c.expected)) << c.arg;
  }
}

TEST(CommandLine, EmptyTextValueKeepsEarlierOneButEmptyMessageFreesIt) {
  CMyAppSharedCmdLineInfo info;
  Parse(info, {"/uid:abc", "/uid:", "/msg:first", "/msg:second"});
  EXPECT_EQ(W(info.m_szUid), L"abc");
  EXPECT_EQ(W(info.m_pszMsg), L"second");
  Parse(info, {"/msg:"});
  EXPECT_EQ(info.m_pszMsg, nullptr);
}

TEST(CommandLine, LongTextValuesAreCutToTheirField) {
  CMyAppSharedCmdLineInfo info;
  const std::string longValue(1000, 'a');
  Parse(info, {"/uid:" + longValue, "/class:" + longValue, "/dlls:" + longValue,
               "/autorun:" + longValue + "/" + longValue});
  EXPECT_EQ(std::wcslen(info.m_szUid), 29u);
  EXPECT_EQ(std::wcslen(info.m_szClass), 31u);
  EXPECT_EQ(std::wcslen(info.m_szDlls), 499u);
  EXPECT_EQ(std::wcslen(info.m_szAutoRunName), 49u);
  EXPECT_EQ(std::wcslen(info.m_szAutoRunCmd), 259u);
  // The heap texts hold the whole value.
  Parse(info, {"/msg:" + longValue});
  EXPECT_EQ(std::wcslen(info.m_pszMsg), 1000u);
}

TEST(CommandLine, PositionAndSize) {
  CMyAppSharedCmdLineInfo a, b, c, d;
  Parse(a, {"/size:800x600", "/pos:100,200"});
  Parse(b, {"/size=800,600"});
  Parse(c, {"/pos:100", "/size:800"});
  Parse(d, {"/size:1024x768,5"});
  EXPECT_EQ(a.m_nWidth, 800);
  EXPECT_EQ(a.m_nHeight, 600);
  EXPECT_EQ(a.m_nPosX, 100);
  EXPECT_EQ(a.m_nPosY, 200);
  EXPECT_EQ(b.m_nWidth, 800);
  EXPECT_EQ(b.m_nHeight, 600);
  EXPECT_EQ(c.m_nPosX, -1);
  EXPECT_EQ(c.m_nPosY, -1);
  EXPECT_EQ(c.m_nWidth, 0);
  EXPECT_EQ(c.m_nHeight, 0);
  EXPECT_EQ(d.m_nWidth, 1024);
  EXPECT_EQ(d.m_nHeight, 768);
}

TEST(CommandLine, UnknownKeysAndPlainArgumentsGoToTheBase) {
  CMyAppSharedCmdLineInfo info;
  Parse(info,
        {"/PKG:3", "/nosuchkey", "/class=Abc", "/home/user/My Docs/list.txt", "/second/file"});
  EXPECT_EQ(info.m_nPkg, 0);
  EXPECT_EQ(W(info.m_szClass), L"");
  // The first absolute path is the base's file to open.
  EXPECT_EQ(info.m_strFileName, L"/home/user/My Docs/list.txt");
  EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FileOpen);

  CMyAppSharedCmdLineInfo plain;
  Parse(plain, {"report.csv", "/dllDir:/opt/x/y"});
  EXPECT_EQ(plain.m_strFileName, L"report.csv");
  EXPECT_EQ(W(plain.m_szDllDir), L"/opt/x/y");
}

TEST(CommandLine, DefaultsBeforeParsing) {
  CMyAppSharedCmdLineInfo info;
  EXPECT_EQ(info.m_nTrayTime, 3000);
  EXPECT_EQ(info.m_nTextSize, 12);
  EXPECT_EQ(info.m_nSplashMode, -1);
  EXPECT_EQ(info.m_nPosX, -1);
  EXPECT_EQ(info.m_nPosY, -1);
  EXPECT_EQ(info.m_bShowSplash, TRUE);
  EXPECT_EQ(info.m_nShellCommand, CCommandLineInfo::FileNew);
  EXPECT_EQ(info.m_pszMsg, nullptr);
}

}  // namespace

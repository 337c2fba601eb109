#include "host/app/MyAppSharedCmdLineInfo.h"

#include <climits>
#include <cstdlib>
#include <cwchar>
#include <cwctype>

namespace {

enum class Case { Any, Lower };
enum class Sep { ColonOrEquals, ColonOnly };

bool SameChar(wchar_t a, wchar_t b, Case c) {
  return c == Case::Lower ? a == b : std::towlower(a) == std::towlower(b);
}

// Length of the key when `param` starts with it, else 0.
size_t StartsWithKey(const wchar_t* param, const wchar_t* key, Case c) {
  size_t i = 0;
  for (; key[i] != L'\0'; ++i) {
    if (param[i] == L'\0' || !SameChar(param[i], key[i], c)) return 0;
  }
  return i;
}

// The key stands alone.
bool IsKey(const wchar_t* param, const wchar_t* key, Case c = Case::Any) {
  const size_t n = StartsWithKey(param, key, c);
  return n > 0 && param[n] == L'\0';
}

// The key followed by its separator: the text after it (possibly empty), else null.
const wchar_t* ValueOf(const wchar_t* param, const wchar_t* key, Case c = Case::Any,
                       Sep sep = Sep::ColonOrEquals) {
  const size_t n = StartsWithKey(param, key, c);
  if (n == 0) return nullptr;
  if (param[n] == L':' || (sep == Sep::ColonOrEquals && param[n] == L'=')) return param + n + 1;
  return nullptr;
}

// Leading decimal digits (with optional blanks and sign); 0 when there are none.
int ToNumber(const wchar_t* text) {
  const long v = std::wcstol(text, nullptr, 10);
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

template <size_t N>
void CopyCut(wchar_t (&field)[N], const wchar_t* value, size_t length) {
  const size_t n = length < N - 1 ? length : N - 1;
  std::wmemcpy(field, value, n);
  field[n] = L'\0';
}

template <size_t N>
void CopyCut(wchar_t (&field)[N], const wchar_t* value) {
  CopyCut(field, value, std::wcslen(value));
}

// A text key: a non-empty value replaces the field.
template <size_t N>
bool TextKey(const wchar_t* param, const wchar_t* key, wchar_t (&field)[N]) {
  const wchar_t* v = ValueOf(param, key);
  if (v == nullptr) return false;
  if (*v != L'\0') CopyCut(field, v);
  return true;
}

void ReplaceHeapText(wchar_t*& field, const wchar_t* value) {
  std::free(field);
  field = nullptr;
  if (*value == L'\0') return;
  const size_t n = std::wcslen(value);
  field = static_cast<wchar_t*>(std::malloc((n + 1) * sizeof(wchar_t)));
  if (field != nullptr) std::wmemcpy(field, value, n + 1);
}

bool HeapTextKey(const wchar_t* param, const wchar_t* key, wchar_t*& field) {
  const wchar_t* v = ValueOf(param, key);
  if (v == nullptr) return false;
  ReplaceHeapText(field, v);
  return true;
}

bool NumberKey(const wchar_t* param, const wchar_t* key, int& field, Case c = Case::Any) {
  const wchar_t* v = ValueOf(param, key, c);
  if (v == nullptr) return false;
  field = ToNumber(v);
  return true;
}

bool IsTrueText(const wchar_t* v) { return std::wcscmp(v, L"1") == 0 || IsKey(v, L"true"); }

}  // namespace

CMyAppSharedCmdLineInfo::CMyAppSharedCmdLineInfo() = default;

CMyAppSharedCmdLineInfo::~CMyAppSharedCmdLineInfo() {
  std::free(m_pszMsg);
  std::free(m_pszKey);
  std::free(m_pszPrj);
  std::free(m_pszMsg2);
}

void CMyAppSharedCmdLineInfo::ParseParam(const wchar_t* param, BOOL flag, BOOL last) {
  if (flag && param != nullptr && ParseKnownKey(param)) return;
  CCommandLineInfo::ParseParam(param, flag, last);
}

bool CMyAppSharedCmdLineInfo::ParseKnownKey(const wchar_t* p) {
  const wchar_t* v = nullptr;
  if (IsKey(p, L"fixed")) {
    m_bFixed = TRUE;
  } else if (IsKey(p, L"install")) {
    m_bInstall = TRUE;
  } else if (IsKey(p, L"boot") || IsKey(p, L"bootrun") || IsKey(p, L"autorun")) {
    m_bBootRun = TRUE;
  } else if (IsKey(p, L"cms") || IsKey(p, L"signage")) {
    m_bSignage = TRUE;
  } else if (IsKey(p, L"t") || IsKey(p, L"text")) {
    m_bText = TRUE;
  } else if (TextKey(p, L"dll", m_szDll) || TextKey(p, L"dll2", m_szDll2) ||
             TextKey(p, L"modules", m_szModules)) {
  } else if ((v = ValueOf(p, L"splash")) != nullptr) {
    if (*v != L'\0') m_nSplashMode = ToNumber(v);
  } else if ((v = ValueOf(p, L"text")) != nullptr) {
    m_bTextMode = TRUE;
    if (*v != L'\0') m_nTextSize = ToNumber(v);
  } else if (TextKey(p, L"dllDir", m_szDllDir) || TextKey(p, L"dlls", m_szDlls) ||
             TextKey(p, L"dlltitles", m_szDllTitles) || TextKey(p, L"dllgroup", m_szDllGroup) ||
             TextKey(p, L"sendto", m_szSendTo) || TextKey(p, L"dest", m_szDest) ||
             TextKey(p, L"postrun", m_szPostRun)) {
  } else if (IsKey(p, L"c")) {
    m_bC = TRUE;
  } else if (IsKey(p, L"makepkg")) {
    m_bMakePkg = TRUE;
  } else if (IsKey(p, L"topmost")) {
    m_bTopmost = TRUE;
  } else if (IsKey(p, L"h") || IsKey(p, L"hide")) {
    m_bHide = TRUE;
  } else if (IsKey(p, L"hidesplash")) {
    m_bShowSplash = FALSE;
  } else if (IsKey(p, L"noui")) {
    m_bNoUI = TRUE;
  } else if (IsKey(p, L"singleton", Case::Lower)) {
    m_bSingleton = TRUE;
  } else if ((v = ValueOf(p, L"singleton", Case::Lower)) != nullptr) {
    m_bSingleton = (*v == L'\0' || IsTrueText(v)) ? TRUE : FALSE;
  } else if ((v = ValueOf(p, L"debug", Case::Lower)) != nullptr) {
    if (IsTrueText(v)) m_nDebugLevel = 0x20;
  } else if (NumberKey(p, L"unzip", m_nUnzip, Case::Lower) ||
             NumberKey(p, L"HideTaskBar", m_nHideTaskBar)) {
  } else if (IsKey(p, L"HideTaskBar")) {
    m_nHideTaskBar = 1;
  } else if (IsKey(p, L"fullscreen")) {
    m_bFullScreen = TRUE;
  } else if (NumberKey(p, L"it", m_nIt, Case::Lower) || NumberKey(p, L"co", m_nCo, Case::Lower) ||
             NumberKey(p, L"br", m_nBr, Case::Lower) || NumberKey(p, L"px", m_nPx, Case::Lower) ||
             NumberKey(p, L"pkg", m_nPkg, Case::Lower) ||
             NumberKey(p, L"uidx", m_nUidx, Case::Lower)) {
  } else if (TextKey(p, L"pkgsrc", m_szPkgSrc) || TextKey(p, L"uid", m_szUid) ||
             TextKey(p, L"ip", m_szIp) || TextKey(p, L"title", m_szTitle) ||
             TextKey(p, L"pkgpwd", m_szPkgPwd) || TextKey(p, L"pkgname", m_szPkgName) ||
             TextKey(p, L"pkgtitle", m_szPkgTitle) || TextKey(p, L"deployer", m_szDeployer) ||
             TextKey(p, L"pkgeula", m_szPkgEula) || TextKey(p, L"pkgeula2", m_szPkgEula2) ||
             TextKey(p, L"killproc", m_szKillProc) || TextKey(p, L"coname", m_szCoName)) {
  } else if (HeapTextKey(p, L"msg", m_pszMsg) || HeapTextKey(p, L"msg2", m_pszMsg2) ||
             HeapTextKey(p, L"prj", m_pszPrj) || HeapTextKey(p, L"key", m_pszKey)) {
  } else if (TextKey(p, L"coid", m_szCoId) || TextKey(p, L"comurl", m_szComUrl) ||
             TextKey(p, L"download", m_szDownload) || TextKey(p, L"pkgver", m_szPkgVer)) {
  } else if ((v = ValueOf(p, L"autorun")) != nullptr) {
    if (*v != L'\0') {
      const wchar_t* slash = std::wcschr(v, L'/');
      if (slash == nullptr) {
        CopyCut(m_szAutoRunName, v);
        CopyCut(m_szAutoRunCmd, v);
      } else if (slash == v) {
        CopyCut(m_szAutoRunName, v + 1);
        CopyCut(m_szAutoRunCmd, v + 1);
      } else {
        CopyCut(m_szAutoRunName, v, static_cast<size_t>(slash - v));
        CopyCut(m_szAutoRunCmd, slash + 1);
      }
    }
  } else if (TextKey(p, L"nextapp", m_szNextApp)) {
  } else if ((v = ValueOf(p, L"trtime")) != nullptr) {
    if (*v != L'\0') m_nTrayTime = ToNumber(v);
  } else if ((v = ValueOf(p, L"app")) != nullptr) {
    if (IsKey(v, L"sms")) m_nAppKind = 5;
    if (IsKey(v, L"ftp")) m_nAppKind = 6;
  } else if ((v = ValueOf(p, L"class", Case::Any, Sep::ColonOnly)) != nullptr) {
    if (*v != L'\0') CopyCut(m_szClass, v);
  } else if (TextKey(p, L"file", m_szFile) || TextKey(p, L"img1", m_szImg1) ||
             TextKey(p, L"img2", m_szImg2) || TextKey(p, L"img", m_szImg2)) {
  } else if ((v = ValueOf(p, L"pos")) != nullptr) {
    if (const wchar_t* comma = std::wcschr(v, L','); comma != nullptr) {
      m_nPosX = ToNumber(v);
      m_nPosY = ToNumber(comma + 1);
    }
  } else if ((v = ValueOf(p, L"size")) != nullptr) {
    const wchar_t* at = std::wcschr(v, L'x');
    if (at == nullptr) at = std::wcschr(v, L',');
    if (at != nullptr) {
      m_nWidth = ToNumber(v);
      m_nHeight = ToNumber(at + 1);
    }
  } else if (IsKey(p, L"hideonexit")) {
    m_bHideOnExit = TRUE;
  } else {
    return false;
  }
  return true;
}

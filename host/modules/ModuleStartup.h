#pragma once
// The toolkit-free rules of the main view and the ribbon: the splash lines of the module
// start-up loop, the pending-update check, the tabs of a module, the window placement and the
// command line of a module run as a separate program.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/win/WinTypes.h"

namespace orv::host {

struct MenuModule;

// Flag of a module entry whose update archive and request marker lie beside its file.
constexpr uint32_t kModuleUpdatePending = 0x1000;

// The splash text before loading a module: "Loading %s...\r\n" for the first one, later
// "\r\nLoading %s..." after a clean load or " >> *Failed*(%d)\r\nLoading %s..." after a failed
// one (previous error code).
std::wstring ModuleLoadSplashText(bool first, bool previousOk, int previousError,
                                  const std::wstring& displayName);

// The update archive ("<module>.zip") and request marker ("<module>.up_req.txt") of a module
// file; empty for an empty path.
std::wstring ModuleUpdateArchive(const std::wstring& modulePath);
std::wstring ModuleUpdateMarker(const std::wstring& modulePath);

// Marks entry (flag kModuleUpdatePending) when an update archive and its request marker lie
// beside the module file; *outUpdate tells whether the marker exists (left alone when there is
// no archive or no path). Returns whether the entry is marked.
bool CheckPendingModuleUpdate(MenuModule* entry, bool* outUpdate, const std::wstring& modulePath);

// One tab of a module: caption, image index and the sub-window it shows.
struct ModuleTab {
  std::wstring caption;
  int image = 0;
  int subWindow = 0;
};

// Caption of a title in a language; returns the title itself when it has no translation.
using TitleTranslator = std::function<std::wstring(const std::wstring& title)>;

// The tabs of a module with `count` sub-windows whose titles are the line-feed-separated
// `titles`: one tab with the module title below two sub-windows; else one tab per non-blank
// title line (at most `expected`, each title cut to 511 characters), filled up to `expected`
// with module-title tabs. The image is tabImage, or the tab's position when tabImage < 0.
std::vector<ModuleTab> PlanModuleTabs(int count, const std::wstring& titles, int expected,
                                      const std::wstring& moduleTitle, int tabImage,
                                      const TitleTranslator& translate);

// The titles of a re-titling: the non-blank lines of titles (up to count), each cut to 99
// characters and translated.
std::vector<std::wstring> RetitleCaptions(int count, const std::wstring& titles,
                                          const TitleTranslator& translate);

// The tab to select: the module's preferred index when it is 0 or more, else the requested
// index when it is below the tab count, else 0.
int ChooseModuleTab(int preferred, int requested, int tabCount);

// Window placement on a monitor (left, top, right, bottom): 1 left half, 2 right half, 3 top
// half, 4 bottom half, 5..8 the quarters (top-left, top-right, bottom-left, bottom-right),
// 9 the whole monitor. False for any other position.
bool PlacementRect(const RECT& monitor, int position, RECT* out);

// The command of a module run as a separate program: "\"<library>\" \"<parameter or start
// text>\"<size>", or "\"<library>\"<size>" when neither text exists; the size is
// " /w:%d /h:%d /center" when both width and height are non-zero.
std::wstring ProgramModuleCommand(const std::wstring& libraryPath, const std::wstring& paramText,
                                  const std::wstring& startText, int width, int height);

}  // namespace orv::host

#pragma once
// What the cafe dialog decides, apart from its window: which of its menu commands are enabled
// or checked, whether the user manages the current cafe, what a cafe selection does (ask the
// cafe worker for the cafe, or wait for the master list) and the addresses of the cafe pages.
// Toolkit-free; the dialog only moves these results into its controls.

#include <cstdint>
#include <string>

struct CafeRecord_s;

// Commands of the cafe dialog and of its menu (sub-menu 13 of menu 2189).
constexpr int ID_CAFE_JOIN = 10011;           // "카페 가입하기"
constexpr int ID_CAFE_OPEN = 2107;            // "카페 개설하기(주식 전문가)"
constexpr int ID_CAFE_ITEMS = 3168;           // "카페 종목 관리(주식 전문가)"
constexpr int ID_CAFE_ADMIN = 10012;          // "카페 관리 (관리자용)"
constexpr int ID_CAFE_ADD_CUSTOMERS = 10010;  // "사용자 추가 (관리자용)"
constexpr int ID_CAFE_ADD_EMPLOYEES = 10009;  // "직원 추가 (관리자용)"
constexpr int ID_CAFE_REC_BUY = 2256;
constexpr int ID_CAFE_REC_SELL = 2257;
constexpr int ID_CAFE_GRID_ACTION1 = 3418;
constexpr int ID_CAFE_GRID_ACTION2 = 3419;
constexpr int ID_CAFE_GRID_ACTION3 = 3439;
constexpr int ID_CAFE_GRID_ACTION4 = 3440;
constexpr int ID_CAFE_CHECK_TOGGLE = 987;
constexpr int ID_CAFE_AUTO_BUY = 3389;

// The level from which a user administers every cafe.
constexpr int kCafeAdminLevel = 90;

// What the enabling rules look at.
struct CafeMenuState_s {
  int32_t memberIndex = 0;   // the login record's user index (0: nobody signed in)
  int32_t currentCafe = 0;   // the dialog's current cafe index
  int32_t ownCafe = 0;       // the user's own cafe index (0 or less: none)
  int32_t approvedCafe = 0;  // the cafe the user's membership is approved in
  int level = 0;             // the user's level
  int32_t managerFlag = 0;   // 1 when the user manages the current cafe
  int32_t checkToggle = 0;   // flipped by command 987
  bool autoBuyOn = false;    // the trading view's auto-buy switch
};

// How a command shows: enabled, and its check mark (-1: none).
struct CafeCommandUi_s {
  bool enable = true;
  int check = -1;
};

// The update state of a command of the cafe dialog; commands without a rule stay enabled and
// unchecked.
CafeCommandUi_s CafeMenuCommandState(int command, const CafeMenuState_s& state);

// True when the current cafe is the user's own cafe (the administrator commands act only
// then, whatever the menu shows).
bool IsOwnCafeSelected(const CafeMenuState_s& state);

// 1 when the user manages the cafe: the member index (not 0) is the chief or the sub-manager
// index, else the cafe record (may be null) lists it among its sub-managers; else 0.
int32_t CafeManagerFlag(int32_t memberIndex, int32_t chiefManager, int32_t subManager,
                        const CafeRecord_s* cafe);

// The cafe selection of the dialog: the current cafe with its two manager indexes, the stored
// refresh flag and the wait for the master list (timer 1111).
class CCafeSelection {
 public:
  enum class Outcome {
    kSelected,     // the cafe is current: the grids are cleared and the worker is asked for it
    kArmTimer,     // the master list is empty: arm the wait timer
    kWaiting,      // the master list is empty and the wait timer is armed already
  };

  // Selects `pickerCafe` (0: nothing selected) when the master list holds stocks. `cafe` is the
  // picked cafe's record (null when unknown: the manager indexes keep their values). A flag of
  // 0 or more is stored as the refresh flag.
  Outcome Select(int refreshFlag, size_t masterStocks, int32_t pickerCafe,
                 const CafeRecord_s* cafe, int32_t memberIndex);
  // The wait timer's tick: true when the timer is to be disarmed (the master list holds
  // stocks).
  bool OnWaitTimer(size_t masterStocks);
  // Starts over: no cafe, no managers.
  void Clear();

  int32_t CurrentCafe() const { return m_currentCafe; }
  int32_t ChiefManager() const { return m_chiefManager; }
  int32_t SubManager() const { return m_subManager; }
  int32_t ManagerFlag() const { return m_managerFlag; }
  bool ChiefManagerFlag() const { return m_chief; }
  int RefreshFlag() const { return m_refreshFlag; }
  bool WaitTimerArmed() const { return m_waitTimerArmed; }

 private:
  int32_t m_currentCafe = 0;
  int32_t m_chiefManager = 0;
  int32_t m_subManager = 0;
  int32_t m_managerFlag = 0;
  bool m_chief = false;
  int m_refreshFlag = 0;
  bool m_waitTimerArmed = false;
};

// What the cafe pages send about the signed-in user (the view's web login).
struct CafePageIdentity_s {
  std::string scriptBase;  // the script address of the page's path
  int32_t company = 0;     // the view's company index
  int32_t agency = 0;
  int32_t gdp = 0;
  int32_t deployer = 0;
  int32_t userIndex = 0;   // the view's user index
  std::string token;       // escaped for the query
  std::string escapedId;
  std::string escapedName;
};

// The cafe pages opened in the host's main frame.
enum class CafePage { kAddCafe, kCafeItems, kJoinCafe };
// The page's title ("카페 추가하기", "카페 종목", "카페 가입하기") and script path.
const wchar_t* CafePageTitle(CafePage page);
const wchar_t* CafePagePath(CafePage page);
// The page's address: the script address with the page's query for `cafe`.
std::string MakeCafePageUrl(CafePage page, const CafePageIdentity_s& who, int32_t cafe);
// The administrator page of a cafe: "<admin url>?co=..&agc=..&gdp=..&deployer=..&cafe=..&tk=..";
// empty when the cafe has no admin page address.
std::wstring MakeCafeAdminUrl(const std::wstring& adminUrl, int32_t loginCompany, int32_t agency,
                              int32_t gdp, int32_t deployer, int32_t cafe,
                              const std::string& sessionToken);

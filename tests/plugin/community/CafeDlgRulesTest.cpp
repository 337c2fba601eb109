// The cafe dialog's rules: which menu commands are enabled, who manages a cafe, what a cafe
// selection does before and after the master list, and the cafe pages' addresses.

#include <gtest/gtest.h>

#include <string>

#include "plugin/community/CafeDlgRules.h"
#include "plugin/community/CafeReplies.h"

namespace {

CafeMenuState_s State(int32_t member, int32_t current, int32_t own, int32_t approved, int level) {
  CafeMenuState_s state;
  state.memberIndex = member;
  state.currentCafe = current;
  state.ownCafe = own;
  state.approvedCafe = approved;
  state.level = level;
  return state;
}

bool Enabled(int command, const CafeMenuState_s& state) {
  return CafeMenuCommandState(command, state).enable;
}

TEST(CafeMenuRules, JoinAndOpenFollowTheSignedInUsersCafes) {
  struct Case {
    const char* what;
    CafeMenuState_s state;
    bool join;
    bool open;
  } cases[] = {
      {"nobody signed in", State(0, 3, 0, 0, 0), false, false},
      {"a member without cafes picks cafe 3", State(5, 3, 0, 0, 0), true, true},
      {"no cafe picked", State(5, 0, 0, 0, 0), false, true},
      {"the user's own cafe", State(5, 7, 7, 0, 0), false, false},
      {"the cafe the user is approved in", State(5, 4, 0, 4, 0), false, true},
      {"another cafe than the own one", State(5, 9, 7, 4, 0), true, false},
      {"a negative member index", State(-1, 3, 0, 0, 0), false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Enabled(ID_CAFE_JOIN, c.state), c.join);
    EXPECT_EQ(Enabled(ID_CAFE_OPEN, c.state), c.open);
  }
}

TEST(CafeMenuRules, AdministratorCommandsForTheOwnCafeOrAnAdministrator) {
  const int commands[] = {ID_CAFE_ADD_EMPLOYEES, ID_CAFE_ADD_CUSTOMERS, ID_CAFE_ADMIN,
                          ID_CAFE_ITEMS,         ID_CAFE_REC_BUY,       ID_CAFE_REC_SELL};
  struct Case {
    const char* what;
    CafeMenuState_s state;
    bool enabled;
    bool ownSelected;
  } cases[] = {
      {"owner of cafe 7 with 7 picked", State(5, 7, 7, 0, 1), true, true},
      {"owner of cafe 7 with 9 picked", State(5, 9, 7, 0, 1), false, false},
      {"administrator with 9 picked", State(5, 9, 7, 0, 90), true, false},
      {"level 89 with 9 picked", State(5, 9, 7, 0, 89), false, false},
      {"administrator without a cafe picked", State(5, 0, 7, 0, 99), false, false},
      {"nobody signed in, own cafe picked", State(0, 7, 7, 0, 99), false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    for (int command : commands) EXPECT_EQ(Enabled(command, c.state), c.enabled) << command;
    EXPECT_EQ(IsOwnCafeSelected(c.state), c.ownSelected);
  }
}

TEST(CafeMenuRules, ManagerCommandsAndCheckMarks) {
  CafeMenuState_s state = State(5, 3, 0, 0, 0);
  for (int command : {ID_CAFE_GRID_ACTION1, ID_CAFE_GRID_ACTION2, ID_CAFE_GRID_ACTION3,
                      ID_CAFE_GRID_ACTION4}) {
    state.managerFlag = 0;
    EXPECT_FALSE(Enabled(command, state)) << command;
    state.managerFlag = 1;
    EXPECT_TRUE(Enabled(command, state)) << command;
  }
  EXPECT_EQ(CafeMenuCommandState(ID_CAFE_AUTO_BUY, state).check, 0);
  state.autoBuyOn = true;
  EXPECT_EQ(CafeMenuCommandState(ID_CAFE_AUTO_BUY, state).check, 1);
  EXPECT_TRUE(Enabled(ID_CAFE_AUTO_BUY, state));
  EXPECT_EQ(CafeMenuCommandState(ID_CAFE_CHECK_TOGGLE, state).check, 0);
  state.checkToggle = 1;
  EXPECT_EQ(CafeMenuCommandState(ID_CAFE_CHECK_TOGGLE, state).check, 1);
  // A command without a rule.
  EXPECT_TRUE(Enabled(2104, state));
  EXPECT_EQ(CafeMenuCommandState(2104, state).check, -1);
}

TEST(CafeManager, ChiefSubManagerOrListedInTheRecord) {
  CafeRecord_s cafe;
  cafe.subManagerIds = L"12;34";
  EXPECT_EQ(CafeManagerFlag(5, 5, 6, nullptr), 1);
  EXPECT_EQ(CafeManagerFlag(6, 5, 6, nullptr), 1);
  EXPECT_EQ(CafeManagerFlag(34, 5, 6, &cafe), 1);
  EXPECT_EQ(CafeManagerFlag(35, 5, 6, &cafe), 0);
  EXPECT_EQ(CafeManagerFlag(34, 5, 6, nullptr), 0);
  // Nobody signed in manages nothing, even where a manager index is 0.
  EXPECT_EQ(CafeManagerFlag(0, 0, 0, &cafe), 0);
}

TEST(CafeSelection, WaitsForTheMasterListWithOneTimer) {
  CCafeSelection selection;
  CafeRecord_s cafe;
  cafe.chiefManagerIndex = 40;
  cafe.subManagerIndex = 41;
  // Before the master list: the first choice arms the timer, the next ones find it armed.
  EXPECT_EQ(selection.Select(-1, 0, 3, &cafe, 40), CCafeSelection::Outcome::kArmTimer);
  EXPECT_EQ(selection.Select(2, 0, 3, &cafe, 40), CCafeSelection::Outcome::kWaiting);
  EXPECT_EQ(selection.CurrentCafe(), 0);
  EXPECT_EQ(selection.RefreshFlag(), 2);
  EXPECT_FALSE(selection.OnWaitTimer(0));
  EXPECT_TRUE(selection.WaitTimerArmed());
  // The first tick after the list is loaded disarms it.
  EXPECT_TRUE(selection.OnWaitTimer(10));
  EXPECT_FALSE(selection.WaitTimerArmed());
  EXPECT_FALSE(selection.OnWaitTimer(10));

  EXPECT_EQ(selection.Select(-1, 10, 3, &cafe, 40), CCafeSelection::Outcome::kSelected);
  EXPECT_EQ(selection.RefreshFlag(), 2) << "a negative flag keeps the stored one";
  EXPECT_EQ(selection.CurrentCafe(), 3);
  EXPECT_EQ(selection.ChiefManager(), 40);
  EXPECT_EQ(selection.SubManager(), 41);
  EXPECT_EQ(selection.ManagerFlag(), 1);
  EXPECT_TRUE(selection.ChiefManagerFlag());

  // A cafe without a record: the manager indexes stay, the list search is skipped.
  EXPECT_EQ(selection.Select(-1, 10, 8, nullptr, 41), CCafeSelection::Outcome::kSelected);
  EXPECT_EQ(selection.CurrentCafe(), 8);
  EXPECT_EQ(selection.ChiefManager(), 40);
  EXPECT_EQ(selection.ManagerFlag(), 1);
  EXPECT_FALSE(selection.ChiefManagerFlag());
  EXPECT_EQ(selection.Select(-1, 10, 8, nullptr, 99), CCafeSelection::Outcome::kSelected);
  EXPECT_EQ(selection.ManagerFlag(), 0);
}

TEST(CafePages, AddressesOfThePagesAndTheAdminPage) {
  CafePageIdentity_s who;
  who.scriptBase = "https://web.example/stock/cafe_rec_list.php";
  who.company = 2;
  who.agency = 3;
  who.gdp = 4;
  who.deployer = 5;
  who.userIndex = 77;
  who.token = "tk%2B1";
  who.escapedId = "aWQ%3D";
  who.escapedName = "bmFtZQ%3D%3D";
  EXPECT_EQ(MakeCafePageUrl(CafePage::kCafeItems, who, 9),
            "https://web.example/stock/cafe_rec_list.php?b2b=stock&rsp=html&co=2&agc=3&gdp=4&"
            "deployer=5&cafe=9&opcmd=list&uidx=77&tk=tk%2B1&uid2=aWQ%3D&uname2=bmFtZQ%3D%3D");
  EXPECT_EQ(MakeCafePageUrl(CafePage::kJoinCafe, who, 9),
            "https://web.example/stock/cafe_rec_list.php?b2b=stock&rsp=html&opcmd=join&cafe=9&"
            "co=2&agc=3&gdp=4&deployer=5&uidx=77&tk=tk%2B1&uid2=aWQ%3D&uname2=bmFtZQ%3D%3D");
  who.scriptBase = "https://web.example/stock/cafe_add.php";
  EXPECT_EQ(MakeCafePageUrl(CafePage::kAddCafe, who, 9),
            "https://web.example/stock/cafe_add.php?b2b=stock&rsp=html&co=2&agc=3&gdp=4&"
            "deployer=5&uidx=77&tk=tk%2B1&uid2=aWQ%3D&uname2=bmFtZQ%3D%3D");
  EXPECT_STREQ(CafePageTitle(CafePage::kAddCafe), L"카페 추가하기");
  EXPECT_STREQ(CafePageTitle(CafePage::kCafeItems), L"카페 종목");
  EXPECT_STREQ(CafePageTitle(CafePage::kJoinCafe), L"카페 가입하기");
  EXPECT_STREQ(CafePagePath(CafePage::kAddCafe), L"stock/cafe_add");
  EXPECT_STREQ(CafePagePath(CafePage::kJoinCafe), L"stock/cafe_rec_list");

  EXPECT_EQ(MakeCafeAdminUrl(L"https://cafe.example/admin", 2, 3, 4, 5, 7, "a b&c"),
            L"https://cafe.example/admin?co=2&agc=3&gdp=4&deployer=5&cafe=7&tk=a%20b%26c");
  EXPECT_EQ(MakeCafeAdminUrl(L"", 2, 3, 4, 5, 7, "tk"), L"");
}

}  // namespace

#include "plugin/community/CafeDlgRules.h"

#include "platform/support/HttpForm.h"
#include "platform/support/TextConv.h"
#include "plugin/community/CafeReplies.h"
#include "plugin/community/WebText.h"

CafeCommandUi_s CafeMenuCommandState(int command, const CafeMenuState_s& state) {
  CafeCommandUi_s ui;
  const bool signedIn = state.memberIndex != 0;
  switch (command) {
    case ID_CAFE_JOIN:
      ui.enable = state.memberIndex > 0 && state.currentCafe >= 1 &&
                  state.currentCafe != state.ownCafe && state.currentCafe != state.approvedCafe;
      break;
    case ID_CAFE_OPEN:
      ui.enable = state.memberIndex > 0 && state.ownCafe <= 0;
      break;
    case ID_CAFE_ADD_EMPLOYEES:
    case ID_CAFE_ADD_CUSTOMERS:
    case ID_CAFE_ADMIN:
    case ID_CAFE_ITEMS:
    case ID_CAFE_REC_BUY:
    case ID_CAFE_REC_SELL:
      ui.enable = signedIn && state.currentCafe > 0 &&
                  (state.level >= kCafeAdminLevel || IsOwnCafeSelected(state));
      break;
    case ID_CAFE_GRID_ACTION1:
    case ID_CAFE_GRID_ACTION2:
    case ID_CAFE_GRID_ACTION3:
    case ID_CAFE_GRID_ACTION4:
      ui.enable = state.managerFlag != 0;
      break;
    case ID_CAFE_CHECK_TOGGLE:
      ui.check = state.checkToggle != 0 ? 1 : 0;
      break;
    case ID_CAFE_AUTO_BUY:
      ui.check = state.autoBuyOn ? 1 : 0;
      break;
    default:
      break;
  }
  return ui;
}

bool IsOwnCafeSelected(const CafeMenuState_s& state) {
  return state.currentCafe > 0 && state.currentCafe == state.ownCafe;
}

int32_t CafeManagerFlag(int32_t memberIndex, int32_t chiefManager, int32_t subManager,
                        const CafeRecord_s* cafe) {
  if (memberIndex != 0 && (memberIndex == chiefManager || memberIndex == subManager)) return 1;
  if (cafe && CafeIdListHasMember(cafe->subManagerIds, memberIndex)) return 1;
  return 0;
}

// ---------------------------------------------------------------------------------------
// Cafe selection

CCafeSelection::Outcome CCafeSelection::Select(int refreshFlag, size_t masterStocks,
                                               int32_t pickerCafe, const CafeRecord_s* cafe,
                                               int32_t memberIndex) {
  if (refreshFlag >= 0) m_refreshFlag = refreshFlag;
  if (masterStocks < 1) {
    if (m_waitTimerArmed) return Outcome::kWaiting;
    m_waitTimerArmed = true;
    return Outcome::kArmTimer;
  }
  m_currentCafe = pickerCafe;
  if (cafe) {
    m_chiefManager = cafe->chiefManagerIndex;
    m_subManager = cafe->subManagerIndex;
  }
  m_managerFlag = CafeManagerFlag(memberIndex, m_chiefManager, m_subManager, cafe);
  m_chief = memberIndex != 0 && memberIndex == m_chiefManager;
  return Outcome::kSelected;
}

bool CCafeSelection::OnWaitTimer(size_t masterStocks) {
  if (!m_waitTimerArmed || masterStocks < 1) return false;
  m_waitTimerArmed = false;
  return true;
}

void CCafeSelection::Clear() {
  m_currentCafe = m_chiefManager = m_subManager = m_managerFlag = 0;
  m_chief = false;
}

// ---------------------------------------------------------------------------------------
// Pages

const wchar_t* CafePageTitle(CafePage page) {
  switch (page) {
    case CafePage::kAddCafe:
      return L"카페 추가하기";
    case CafePage::kCafeItems:
      return L"카페 종목";
    case CafePage::kJoinCafe:
    default:
      return L"카페 가입하기";
  }
}

const wchar_t* CafePagePath(CafePage page) {
  return page == CafePage::kAddCafe ? L"stock/cafe_add" : L"stock/cafe_rec_list";
}

std::string MakeCafePageUrl(CafePage page, const CafePageIdentity_s& who, int32_t cafe) {
  const char* base = who.scriptBase.c_str();
  const char* token = who.token.c_str();
  const char* id = who.escapedId.c_str();
  const char* name = who.escapedName.c_str();
  switch (page) {
    case CafePage::kAddCafe:
      return FormatA(
          "%s?b2b=stock&rsp=html&co=%d&agc=%d&gdp=%d&deployer=%d&uidx=%d&tk=%s&uid2=%s&uname2=%s",
          base, who.company, who.agency, who.gdp, who.deployer, who.userIndex, token, id, name);
    case CafePage::kCafeItems:
      return FormatA(
          "%s?b2b=stock&rsp=html&co=%d&agc=%d&gdp=%d&deployer=%d&cafe=%d&opcmd=list&uidx=%d&tk=%s&"
          "uid2=%s&uname2=%s",
          base, who.company, who.agency, who.gdp, who.deployer, cafe, who.userIndex, token, id,
          name);
    case CafePage::kJoinCafe:
    default:
      return FormatA(
          "%s?b2b=stock&rsp=html&opcmd=join&cafe=%d&co=%d&agc=%d&gdp=%d&deployer=%d&uidx=%d&tk=%s&"
          "uid2=%s&uname2=%s",
          base, cafe, who.company, who.agency, who.gdp, who.deployer, who.userIndex, token, id,
          name);
  }
}

std::wstring MakeCafeAdminUrl(const std::wstring& adminUrl, int32_t loginCompany, int32_t agency,
                              int32_t gdp, int32_t deployer, int32_t cafe,
                              const std::string& sessionToken) {
  if (adminUrl.empty()) return std::wstring();
  return Utf8ToWide(FormatA("%s?co=%d&agc=%d&gdp=%d&deployer=%d&cafe=%d&tk=%s",
                            WideToUtf8(adminUrl).c_str(), loginCompany, agency, gdp, deployer,
                            cafe, StrUrlEncodeA(sessionToken).c_str()));
}

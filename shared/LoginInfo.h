#pragma once
// The signed-in user's record. The host owns it for the life of the process; the plug-in reads
// it and writes only the fields its login and service check fill. The first three int32 fields
// keep their order: company index, agency value, user index.

#include <cstdint>

constexpr int LOGIN_ID_LEN = 64;
constexpr int LOGIN_NAME_LEN = 64;
constexpr int LOGIN_TOKEN_LEN = 96;
constexpr int LOGIN_TOKEN2_LEN = 32;
constexpr int LOGIN_CHECK_LEN = 64;
constexpr int LOGIN_PHONE_LEN = 32;
constexpr int LOGIN_GROUP_LEN = 256;
constexpr int LOGIN_NICK_LEN = 30;
constexpr int LOGIN_EMAIL_LEN = 50;

struct login_info_s {
  // Company index (the first int32; sent as "co").
  int32_t nCompanyIdx = 0;
  // Agency index returned by the login server.
  int32_t nAgencyIdx = 0;
  // User index (the third int32): above 0 while a user is logged in.
  int32_t nUserIdx = 0;
  // A second user index (the member index some services compare).
  int32_t nUserIdx2 = 0;
  // Bit 0: a user is logged in.
  uint8_t byState = 0;
  // Login flag of the web login.
  uint8_t byLoginFlag = 0;
  // The user's level (40 and above opens member pages, 90 and above is an administrator).
  uint8_t byUserLevel = 0;
  // Three role bytes: "eq_stock_share", "work_role", "office_pos".
  uint8_t byEqStockShare = 0;
  uint8_t byWorkRole = 0;
  uint8_t byOfficePos = 0;
  // Table type of the service settings.
  int32_t nTableType = 0;
  // User id (wide), and its narrow twin.
  wchar_t szUserId[LOGIN_ID_LEN] = {};
  char szUserIdA[LOGIN_ID_LEN] = {};
  // User name (wide).
  wchar_t szUserName[LOGIN_NAME_LEN] = {};
  // Identity encodings for web requests: the id in base64, the id check, the id key, and the
  // escaped id and name (narrow).
  char szIdBase64[LOGIN_CHECK_LEN * 2] = {};
  char szIdCheck[LOGIN_CHECK_LEN] = {};
  char szIdKey[LOGIN_CHECK_LEN] = {};
  char szEscapedId[LOGIN_CHECK_LEN * 2] = {};
  char szEscapedName[LOGIN_CHECK_LEN * 2] = {};
  // Token fields, cleared together at log-out: the user token, the value after it, a second
  // token text and the value after that.
  char szToken[LOGIN_TOKEN_LEN] = {};
  int32_t nTokenValue = 0;
  char szToken2[LOGIN_TOKEN2_LEN] = {};
  int32_t nToken2Value = 0;
  // Three check texts that the web login sends.
  char szCheck1[LOGIN_CHECK_LEN] = {};
  char szCheck2[LOGIN_CHECK_LEN] = {};
  char szCheck3[LOGIN_CHECK_LEN] = {};
  // Phone number (two text fields).
  wchar_t szPhone[LOGIN_PHONE_LEN] = {};
  char szPhoneA[LOGIN_PHONE_LEN] = {};
  // SMS counts.
  int32_t nSmsRemain = 0;
  int32_t nSmsUsed = 0;
  // Cafes: own-cafe value and index, approved cafe index, led and administered cafes.
  int32_t nOwnCafe = 0;
  int32_t nOwnCafeIdx = 0;
  int32_t nApprovedCafeIdx = 0;
  int32_t nLeaderCafeIdx = 0;
  int32_t nAdminCafeIdx = 0;
  // Rates in percent: tax and four fee rates.
  double dTaxRate = 0.0;
  double dFeeRate[4] = {};
  // AI analysis counts.
  int32_t nGptUsed = 0;
  int32_t nGptRemain = 0;
  // Group text ("grp_chk").
  char szGroup[LOGIN_GROUP_LEN] = {};
  // Nick name.
  wchar_t szNickName[LOGIN_NICK_LEN] = {};
  // Agency value of the login record.
  int32_t nAgencyValue = 0;
  // E-mail address (the settings dialog changes it with the nickname).
  wchar_t szEmail[LOGIN_EMAIL_LEN] = {};
};

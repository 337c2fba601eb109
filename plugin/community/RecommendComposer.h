#pragma once
// The texts of a cafe recommendation: a one-line title, a short message (SMS and push notices)
// and a long message (the cafe and messengers), composed from fixed Korean templates. Plain
// functions over copies of the values the composer page shows, so the window only moves values
// in and out (plugin/community/window/StockRecDlg.h).
//
// Kinds are the composer's own numbers: 1 buy, 2 sell, 7 hold, 8 review, 9 market briefing,
// 11 profit check. The trading view and the cafe dialog number them 1 to 5 (RecKindOfCaller).

#include <cstdint>
#include <string>

#include "platform/win/WinTypes.h"

struct CafeRecord_s;

constexpr int kRecKindBuy = 1;
constexpr int kRecKindSell = 2;
constexpr int kRecKindHold = 7;
constexpr int kRecKindReview = 8;
constexpr int kRecKindBriefing = 9;
constexpr int kRecKindProfitCheck = 11;

// The composer's kind of a caller's kind (1 buy, 2 sell, 3 holding, 4 review, 5 briefing;
// anything else buy).
int RecKindOfCaller(int callerKind);
// The kind radio's index (0..4) of a kind, and the kind of an index (buy outside 0..4).
int RecRadioIndexOfKind(int kind);
int RecKindOfRadioIndex(int index);
// The word messages use for a kind ("매수", "매도", "홀딩", "리뷰", "시황", "수익체크"); "매수"
// for an unknown kind.
const wchar_t* RecKindLabel(int kind);
// The recommend button's text for a kind; fromCaller: the text a caller's recommendation sets.
const wchar_t* RecButtonText(int kind, bool fromCaller);

// The rate combos' option lists (value:label) and the values taken when nothing is selected.
extern const wchar_t kRecLossCutOptions[];
extern const wchar_t kRecInvestRateOptions[];
extern const wchar_t kRecInvestDaysOptions[];
extern const wchar_t kRecPlusRateOptions[];
extern const wchar_t kRecSellRateOptions[];
extern const wchar_t kRecBuyBandOptions[];
extern const wchar_t kRecCountryOptions[];

// The saved rates and their defaults (profile keys under "Settings").
struct RecRates_s {
  int lossCutRate = -10;  // "STOCK_REC-m_nLosscutRate"; kept negative
  int investRate = 10;    // "STOCK_REC-m_nInvestRate"
  int investDays = 30;    // "STOCK_REC-m_nInvestDays"
  int plusRate = 5;       // "STOCK_REC-m_nPlusRate"
  int plusRate2 = 20;     // "STOCK_REC-m_nPlusRate2"
  int sellRate = 100;     // "STOCK_REC-m_nSellRate"
  int buyBand = 3;        // not saved
};
// The stop-loss rate as the composer keeps it: never positive.
int RecNegativeRate(int rate);

// Overseas markets: 'A' AMEX, 'D' Dow Jones, 'H' Hong Kong, 'N' NASDAQ.
bool RecIsOverseasMarket(char marketLetter);

// A number with thousands separators and `decimals` decimals ("71,500", "1,234.56").
std::wstring RecFormatNumber(double value, int decimals);
// The number of a price text ("71,500" -> 71500); 0 when it holds none.
double RecParsePrice(const std::wstring& text);
// The text with its first character replaced by "*" (VIP masking); empty stays empty.
std::wstring RecMaskFirst(const std::wstring& text);
// The host of a web address ("https://a.b:8080/x/" -> "a.b:8080").
std::wstring RecHostOfUrl(const std::string& url);

// The comment a sell gets from its profit rate, and whether a comment is one of those texts.
const wchar_t* RecSellComment(double profitRate);
bool RecIsAutomaticComment(const std::wstring& comment);

// A copy of what the composer needs of the stock it recommends.
struct RecStock_s {
  bool found = false;
  uint8_t market = 0;
  char marketLetter = 0;
  int8_t nation = 0;
  std::string nationCode;
  std::wstring code;
  std::wstring name;
  double curPrice = 0;
  double changeRate = 0;
};

// Who sends and where the cafe lives.
struct RecSender_s {
  std::wstring host;         // the product web server's host
  int32_t managerIndex = 0;  // the cafe's manager number (MAN)
  std::wstring authorName;   // the user's display name (AU)
  std::wstring smsFooter;    // the service settings' SMS footer text (FT)
};

// Recompute flags: which derived prices ComposeMessages works out again from the price.
constexpr int kRecomputeBand = 1;
constexpr int kRecomputeTarget1 = 2;
constexpr int kRecomputeTarget2 = 4;
constexpr int kRecomputeStop = 8;
constexpr int kRecomputeAll =
    kRecomputeBand | kRecomputeTarget1 | kRecomputeTarget2 | kRecomputeStop;

// What the composer page holds when it composes.
struct RecComposeInput_s {
  RecStock_s stock;        // found == false: no stock
  double price = 0;        // the price edit; not positive: the stock's price
  double recommended = 0;  // the recommended price; 0 when none
  int freeFlag = 1;        // 1 free, 0 VIP
  std::wstring comment;    // the comment edit
  RecRates_s rates;
  // The target and stop edits as they stand (used when not recomputed).
  double target1 = 0, target2 = 0, stopPrice = 0;
  // The band prices of the last composition (used when the band is not recomputed).
  double bandLow = 0, bandHigh = 0;
  RecSender_s sender;
};

// What a composition gives back.
struct RecComposed_s {
  std::wstring title, shortText, longText, preview;
  std::wstring comment;  // the comment after the automatic replacement, right-trimmed
  int freeFlag = 1;      // a sell with a profit rate above 10 turns it on
  double price = 0;      // the price composed with
  double profitRate = 0;
  double bandLow = 0, bandHigh = 0;
  std::wstring bandText;      // label 3408
  std::wstring recPriceText;  // label 3407
  double target1 = 0, target2 = 0, stopPrice = 0;
  // The texts the target and stop edits take when recomputed (empty: left as they are).
  std::wstring target1Edit, target2Edit, stopEdit;
  double minProfitRate = 0;
  double lossCutRate = 0;
  std::wstring unit;  // "원" or "$"
};

// Composes the texts of a kind. Returns 1 for buy, sell, hold and review; 0 for the briefing
// (its texts are filled) and the profit check (nothing composed); -1 without a stock and -2
// without a price, with the error text in *error (when given) and nothing composed.
int ComposeMessages(const RecComposeInput_s& in, int kind, int recomputeFlags, RecComposed_s* out,
                    std::wstring* error);

// The texts for the messenger and for uploads with every input given (the cafe grid's messenger
// text): the same rules with the cafe templates. A price or recommended price that is not
// positive takes the stock's price; a target or stop price that is not positive is worked out
// from its rate. Returns 1 when composed, 0 without a stock or a positive price.
struct RecCafeComposeInput_s {
  RecStock_s stock;
  int kind = kRecKindBuy;
  double price = 0;
  double recommended = 0;
  double bandRate = 3;
  double targetPrice = 0;
  double stopPrice = 0;
  double takeProfitRate = 5;
  double lossCutRate = -10;
  int investRate = 10;
  int investDays = 30;
  int sellRate = 100;
  int freeFlag = 1;
  std::wstring comment;
  RecSender_s sender;
};
int ComposeCafeMessages(const RecCafeComposeInput_s& in, RecComposed_s* out);

// The line feeds of a text as CR LF (the preview edit).
std::wstring RecToCrLf(const std::wstring& text);

// The signed-in user's standing in a cafe.
// Manager: the record's administrator list holds the user's number; otherwise the user has
// role 1 and is the manager or the second manager of a cafe whose manager number is positive.
bool RecIsCafeManager(const CafeRecord_s* cafe, int32_t userIndex, int role);

// What the member-level label shows.
struct RecMemberLevel_s {
  std::wstring text;
  COLORREF text_colour = 0;
  COLORREF back_colour = 0;
  bool joinEnabled = false;
};
RecMemberLevel_s RecMemberLevelOf(bool manager, bool leader, int32_t userIndex, int32_t loginCafe,
                                  int32_t thisCafe);

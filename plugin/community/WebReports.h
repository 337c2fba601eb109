#pragma once
// Reports to the product's web server: the order report of every sell pass (the money log),
// the AI comment upload, SMS through the server and its notice, the cafe recommendation of a
// stock, the condition-search result upload with its files and the per-order report.
//
// Every upload answers whether the server took it: a transfer error, an HTTP status other
// than 200, a reply without "err" or an "err" other than 0 is a failed upload, never one
// counted as sent.

#include <curl/curl.h>

#include <cstdint>
#include <string>
#include <vector>

class CWebLogin;
class IWebEngine;
struct Stock_s;

// The user agent of the reports and pages (the login's).
constexpr int kOrderReportTimeoutMs = 20000;
constexpr int kAiCommentTimeoutMs = 5000;
constexpr int kSmsTimeoutMs = 5000;
constexpr int kConditionUploadTimeoutMs = 20000;
constexpr int kWebGetTimeoutMs = 3000;
// The most characters of order lines one order report carries.
constexpr size_t kMoneyLogMaxChars = 8000;

// Order-report results.
constexpr int kUploadNothing = 0;  // nothing to send (no lines) or no HTTP handle
constexpr int kUploadSent = 1;     // every request was accepted
constexpr int kUploadFailed = -1;  // at least one request failed (the others were still sent)
// The condition-search upload was given a file it cannot read; nothing was sent.
constexpr int kUploadBadFile = -2;

// One order report's text cut into requests of at most kMoneyLogMaxChars characters: whole
// lines joined with line feeds; a single longer line is cut into pieces. Nothing is dropped.
struct MoneyLogPart_s {
  std::wstring text;
  int lines = 0;
};
std::vector<MoneyLogPart_s> SplitMoneyLog(const std::wstring& lines,
                                          size_t maxChars = kMoneyLogMaxChars);

// The prices of a cafe recommendation, from the current price (each cut to an integer).
struct CafeRecommendPrices_s {
  int buyPrice = 0;
  int targetPrice = 0;  // price x 1.1
  int cutPrice = 0;     // price x 0.9
};
CafeRecommendPrices_s MakeCafeRecommendPrices(double price);

// The condition-search result upload ("stock/user_eq_pr_up").
struct ConditionProfitRecord_s {
  std::wstring title;
  std::wstring contents;
  std::string dataFile;      // path; empty: no "datafile" part
  std::string filePassword;  // narrow
  std::string imageFile;     // path; empty: no "imgfile" part
  int resultType = 0;
  int nth = 0;
  int fileCount = 0;
  double profitRate = 0;
  double minProfitRate = 0;
  double maxProfitRate = 0;
  std::wstring conditionNames;
  int conditionIdx[3] = {};
  std::wstring conditionName[3];
};

// One order of the per-order report ("stock/order_up2").
struct TradeOrderReport_s {
  int loanKind = 0;
  int orderKind = 1;  // 1 buy, other sell
  const Stock_s* stock = nullptr;
  std::wstring code;
  std::string symbol;
  std::string exchange;  // the exchange text ("exg_mkt")
  std::wstring trxNumber;
  double orderPrice = 0;
  double investMoney = 0;
  double investMoney2 = 0;
  double totalQty = 0;
  double orderQty = 0;
  double furtherAmount = 0;
  double slopeRate0 = 0;
  double slopeRate = 0;
  double qtyFactor = 0;
  int nth = 0;
  double avgBuyPrice = 0;
  double profitMoney = 0;
  double profitRate = 0;
  double lossCutRate = 0;
  double cutRate = 0;
  double minRate = 0;
  double rateGap = 0;
  double extGap = 0;
  int simulation = 0;
  int autoOrder = 0;
  int errorCode = 0;
  int insert = 0;
  int conditionIdx = 0;
  std::wstring conditionName;
  int receive = 0;
  int cafeIdx = 0;
  int cafeRecIdx = 0;
};

class CWebReports {
 public:
  // The web login and the engine outlive this object.
  CWebReports(CWebLogin& web, IWebEngine& engine);

  // The order report of a sell pass: the gathered order lines (joined with line feeds) and
  // their number; posted to "stock/order_up3", in parts of at most 8,000 characters. Runs on
  // the sell worker with its own handle (null: one is made for the report). kUpload... result.
  int UploadMoneyLog(CURL* curl, const std::wstring& lines, int lineCount);

  // The AI analysis of a stock ("stock/ai_cmt_up"). 1 when the server took it, else 0.
  int UploadAiComment(CURL* curl, const Stock_s* stock, const std::wstring& text,
                      const std::string& priceData, const std::string& envelopeData,
                      const std::string& investorData, const std::string& shortSellData,
                      uint8_t shortSellOn, int usedTokens, int usedTokensTotal);

  // An SMS to the user's phone through the server ("sms/sms_send"). Reads the reply's "err"
  // (the SMS error code, -1 when absent) and "sms_remain" (0 when absent), refreshes the SMS
  // notice. 1 when the server took it, else 0.
  int SendSmsViaServer(CURL* curl, int ignored, const std::wstring& message, int cafeIdx);
  void ShowSmsRemainText();

  // A cafe recommendation of the stock: kind 1 opens the buy page, another kind the sell page,
  // or with sendNow the sell signal after the user confirms. The sell signal answers 1 when
  // the server took it, 0 when it refused, -1 without reply; every other way answers -1.
  int RecommendStockToCafe(CURL* curl, const Stock_s* stock, int cafeIdx, int recIdx, int kind,
                           double profitRate, std::wstring* outMessage, int sendNow);

  // The condition-search result upload: the reply's "err" (0 success), -1 without an answer or
  // without "err", kUploadBadFile when a given file cannot be read.
  int UploadConditionProfitRecord(CURL* curl, const ConditionProfitRecord_s& record);

  // The per-order report (GET "stock/order_up2", its reply unread); inserts the order into
  // WX_STOCK_ORDER when its insert flag is set. Answers 0, or -1 (with an error in the log) when
  // the order could not be recorded.
  int UploadTradeOrder(CURL* curl, const TradeOrderReport_s& order);
  // The query of the per-order report.
  std::string MakeTradeOrderUrl(const TradeOrderReport_s& order) const;

  // The last "err" of SMS sending (-1 when the reply had none).
  int m_smsErrorCode = -1;
  // The reply fields of the last condition-search upload.
  int m_lastUploadIdx = 0;
  std::wstring m_lastUploadMsg;

 private:
  // Logs a failed transfer with its cause (GfxHttpLastTransferError).
  void ReportFailedTransfer(const std::string& script);
  // Logs a reply whose numbers were bad (BadReplyText).
  void ReportBadReply(const char* script, const std::string& problems);
  std::string ScriptUrl(const wchar_t* path) const;
  int Post(CURL* curl, const wchar_t* path, curl_mime* form, int freeForm, int timeoutMs,
           char** reply, int* status);
  int Get(CURL* curl, const std::string& url, char** reply, int* status);

  CWebLogin& m_web;
  IWebEngine& m_engine;
};

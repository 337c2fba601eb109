// The Kiwoom agent's candles, investor trend, short selling and best bid/ask. Every request goes
// out on a handle of its own (the caller's may be busy with a paged list) with its "api-id" as the
// only extra header, and pages no further.

#include <rapidjson/document.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/support/DateUtil.h"
#include "platform/support/TextConv.h"
#include "plugin/brokers/KiwoomSecuAgent.h"
#include "plugin/brokers/KiwoomSecuAgentJson.h"
#include "plugin/brokers/SeriesTexts.h"

namespace {

using series_texts::DateRange;
using series_texts::Format;
using series_texts::SeriesTexts;
using series_texts::Ymd;

constexpr const char* kChartPath = "/api/dostk/chart";
constexpr const char* kMarketConditionPath = "/api/dostk/mrkcond";
constexpr const char* kShortSellingPath = "/api/dostk/shsa";
constexpr int kDayCandleKind = 1;
constexpr int kMinuteCandleKind = 3;
// A date text keeps at most "yyyymmddhhmmss".
constexpr size_t kDateTextLen = 14;

// The digits of a row's date member (a text, or a number some gateways send): anything else a
// reply puts there never reaches the rows text.
std::string DateText(const rapidjson::Value& row, const char* name) {
  std::string text;
  if (const char* raw = JsonGetStringPtr(row, name)) {
    text = raw;
  } else if (row.HasMember(name) && row[name].IsNumber()) {
    const int64_t number = JsonGetInt64(row, name, 0);
    if (number > 0) text = std::to_string(number);
  }
  std::string digits;
  for (char c : text) {
    if (std::isdigit(static_cast<unsigned char>(c)) && digits.size() < kDateTextLen) digits += c;
  }
  return digits;
}

// A number of the leading `n` digits of `text` from `at`; 0 when the text is shorter.
int DigitsNumber(const std::string& text, size_t at, size_t n) {
  if (text.size() < at + n) return 0;
  return std::atoi(text.substr(at, n).c_str());
}

// yyyymmdd of a date text ("yyyymmdd..."), 0 when it holds none.
int32_t DayNumber(const std::string& date) {
  const int y = DigitsNumber(date, 0, 4);
  const int m = DigitsNumber(date, 4, 2);
  const int d = DigitsNumber(date, 6, 2);
  if (y <= 0 || m < 1 || m > 12 || d < 1 || d > 31) return 0;
  return static_cast<int32_t>(GfxYMDToDword(y, m, d));
}

// A price as the broker writes it: the sign marks the day's direction, not the price.
double Price(const rapidjson::Value& row, const char* name) {
  return std::fabs(KiwoomJsonDouble(row, name));
}

// The request body's quoted stock code; `suffix` is appended inside the quotes.
std::string QuotedCode(const char* code, const char* suffix = "") {
  return KiwoomJsonQuoted(std::string(code ? code : "") + suffix);
}

// One candle as read, before it goes to the record's block.
struct Candle {
  int32_t day = 0;  // yyyymmdd
  int32_t time = 0;  // hhmmss (minute candles)
  double open = 0;
  double high = 0;
  double low = 0;
  double close = 0;
  double volume = 0;
};

// Resets the block to `count` places (no more than its closes hold) and fills them from the end
// with the candles, newest first, so the newest lands at the last place.
void StoreCandles(Stock_s* stock, int kind, int count, const std::vector<Candle>& newestFirst) {
  StockSeries_s* block = kind == kDayCandleKind      ? &stock->day
                         : kind == kMinuteCandleKind ? &stock->minute
                                                     : nullptr;
  if (!block) return;
  const size_t places =
      series_texts::ResetCandleBlock(block, count, kind == kMinuteCandleKind);

  size_t filled = 0;
  for (const Candle& c : newestFirst) {
    if (filled >= places) break;
    const size_t place = places - 1 - filled;
    block->date[place] = c.day;
    if (!block->time.empty()) block->time[place] = c.time;
    block->low[place] = c.low;
    block->high[place] = c.high;
    block->open[place] = c.open;
    block->close[place] = c.close;
    block->volume[place] = c.volume;
    if (filled == 0) {
      if (kind == kDayCandleKind) {
        block->first_date = c.day;
        block->last_date = c.day;
      } else if (stock->day.last_date < c.day) {
        // A minute candle of a later day than the day block knows moves its last date on.
        stock->day.last_date = c.day;
      }
    }
    ++filled;
  }
  block->count = static_cast<int32_t>(filled);
}

// The rows of a reply: its first array member. An error reply ("error" with its "message") or
// a refusal (a "return_code" other than 0, with its "return_msg") holds none; its text goes to
// `message`.
const rapidjson::Value* ReplyRows(const rapidjson::Document& doc, std::string* message) {
  if (!doc.IsObject()) return nullptr;
  if (doc.HasMember("error")) {
    if (const rapidjson::Value* error = JsonGetObject(doc, "error"))
      KiwoomJsonText(*error, "message", message);
    return nullptr;
  }
  if (KiwoomJsonInt(doc, "return_code") != 0) {
    KiwoomJsonText(doc, "return_msg", message);
    return nullptr;
  }
  for (auto it = doc.MemberBegin(); it != doc.MemberEnd(); ++it) {
    if (it->value.IsArray()) return &it->value;
  }
  return nullptr;
}

}  // namespace

int CKiwoomSecuAgent::GetChartDataA(CURL*, Stock_s* stock, const char* code, int kind, int step,
                                    int count, std::string* outRows, std::string* outSeries,
                                    std::deque<int32_t>* outDates, std::deque<double>* outCloses,
                                    int csv) {
  if (!outRows) return -1;
  if (outDates) outDates->clear();
  if (outCloses) outCloses->clear();
  if (count < 1) count = 1;
  const bool days = kind == kDayCandleKind;
  const std::string name = Format(days ? "days_%d" : "minutes_%d", count);

  char* reply = nullptr;
  int len = 0;
  if (code && *code && HasCredentials()) {
    Ymd from;
    Ymd today;
    DateRange(0, &from, &today);
    const std::string body =
        days ? Format("{\"base_dt\": \"%04d%02d%02d\",\t\"stk_cd\": %s, \"upd_stkpc_tp\": \"0\" }",
                      today.y, today.m, today.d, QuotedCode(code).c_str())
             : Format("{\"stk_cd\": %s,\"tic_scope\": \"%d\", \"upd_stkpc_tp\": \"0\"}",
                      QuotedCode(code).c_str(), step);
    reply = Post(nullptr, kChartPath, body.c_str(), 1, nullptr,
                 days ? "api-id: ka10081" : "api-id: ka10080", nullptr, &len);
  }
  const int rows = ParseChartReply(reply, static_cast<size_t>(reply ? len : 0), kind, count,
                                   name.c_str(), stock, outRows, outSeries, outDates, outCloses,
                                   csv);
  std::free(reply);
  return rows < 0 ? -1 : 1;
}

int CKiwoomSecuAgent::ParseChartReply(const char* reply, size_t len, int kind, int count,
                                      const char* name, Stock_s* stock, std::string* outRows,
                                      std::string* outSeries, std::deque<int32_t>* outDates,
                                      std::deque<double>* outCloses, int csv) {
  const bool days = kind == kDayCandleKind;
  if (count < 1) count = 1;
  SeriesTexts texts;
  std::vector<Candle> candles;
  rapidjson::Document doc;
  const bool parsed = KiwoomParse(reply, len, &doc) && doc.IsObject();
  std::string message;
  const rapidjson::Value* rows = parsed ? ReplyRows(doc, &message) : nullptr;
  if (!message.empty()) SetLastMessageUtf8(message.c_str());
  if (rows) {
    for (const rapidjson::Value& row : rows->GetArray()) {
      if (!row.IsObject()) continue;
      std::string date = DateText(row, "dt");
      if (!days && row.HasMember("cntr_tm")) date = DateText(row, "cntr_tm");
      Candle c;
      c.day = DayNumber(date);
      if (!days) c.time = DigitsNumber(date, 8, 6);
      c.close = Price(row, "cur_prc");
      c.open = Price(row, "open_pric");
      c.high = Price(row, "high_pric");
      c.low = Price(row, "low_pric");
      c.volume = std::fabs(KiwoomJsonDouble(row, "trde_qty"));
      texts.Add(csv ? Format("%s,%.0f,%.0f,%.0f,%.0f,%.0f", date.c_str(), c.open, c.high, c.low,
                             c.close, c.volume)
                    : Format("{\"date\":\"%s\",\"open\":%.0f,\"high\":%.0f,\"low\":%.0f,"
                             "\"close\":%.0f,\"volume\":%.0f}",
                             date.c_str(), c.open, c.high, c.low, c.close, c.volume),
                Format("%s,%.0f", date.c_str(), c.close));
      // Days carry their date, minutes their time of day.
      if (outDates) outDates->push_front(days ? c.day : DigitsNumber(date, 8, 6));
      if (outCloses) outCloses->push_front(c.close);
      candles.push_back(c);
    }
  }
  texts.Write(name ? name : "", csv, outRows, outSeries);
  if (stock && rows) {
    // The record is the view's: it changes in the view's merge step.
    RunMerge([&] {
      if (stock->cur_price <= 0 && !candles.empty() && candles.front().close > 0)
        stock->cur_price = candles.front().close;
      StoreCandles(stock, kind, count, candles);
    });
  }
  return parsed ? texts.Count() : -1;
}

char* CKiwoomSecuAgent::PostDailySeries(const char* code, int days, const char* path,
                                        const char* apiIdHeader, int* outLen,
                                        const DailySeriesBody& body) {
  *outLen = 0;
  if (!code || !*code || !HasCredentials()) return nullptr;
  Ymd from;
  Ymd today;
  DateRange(static_cast<int>(days * 1.5), &from, &today);
  const std::string text = body(QuotedCode(code), from, today);
  return Post(nullptr, path, text.c_str(), 1, nullptr, apiIdHeader, nullptr, outLen);
}

int CKiwoomSecuAgent::GetBuyTrendDataA(CURL*, Stock_s* stock, const char* code, uint8_t, int days,
                                       std::string* outRows, std::string* outSeries,
                                       std::deque<int32_t>*, std::deque<double>* outValues,
                                       int csv) {
  if (!outRows) return -1;
  if (outValues) outValues->clear();
  if (days < 1) days = 1;
  int len = 0;
  char* reply = PostDailySeries(
      code, days, kMarketConditionPath, "api-id: ka10045", &len,
      [](const std::string& quotedCode, const Ymd& from, const Ymd& today) {
        return Format(
            "{\"stk_cd\" : %s,\"orgn_prsm_unp_tp\" : \"1\", \"for_prsm_unp_tp\" : \"1\",\t"
            "\"strt_dt\" : \"%04d%02d%02d\",\t\"end_dt\" : \"%04d%02d%02d\"}",
            quotedCode.c_str(), from.y, from.m, from.d, today.y, today.m, today.d);
      });
  const std::string name = Format("investor_%d", days);
  const int rows = ParseBuyTrendReply(reply, static_cast<size_t>(reply ? len : 0), name.c_str(),
                                      stock, outRows, outSeries, outValues, csv);
  std::free(reply);
  return rows < 0 ? -1 : 1;
}

int CKiwoomSecuAgent::ParseBuyTrendReply(const char* reply, size_t len, const char* name,
                                         Stock_s* stock, std::string* outRows,
                                         std::string* outSeries, std::deque<double>* outCloses,
                                         int csv) {
  SeriesTexts texts;
  double newestClose = 0;
  rapidjson::Document doc;
  const bool parsed = KiwoomParse(reply, len, &doc) && doc.IsObject();
  std::string message;
  const rapidjson::Value* rows = parsed ? ReplyRows(doc, &message) : nullptr;
  if (!message.empty()) SetLastMessageUtf8(message.c_str());
  if (rows) {
    for (const rapidjson::Value& row : rows->GetArray()) {
      if (!row.IsObject()) continue;
      const std::string date = DateText(row, "dt");
      const double close = Price(row, "close_pric");
      const double agency = KiwoomJsonDouble(row, "orgn_daly_nettrde_qty");
      const double foreigner = KiwoomJsonDouble(row, "for_daly_nettrde_qty");
      const double ratio = KiwoomJsonDouble(row, "limit_exh_rt");
      const double agencyMoney = agency * close;
      const double foreignerMoney = foreigner * close;
      if (newestClose <= 0) newestClose = close;
      texts.Add(csv ? Format("%s,%.0f,%.0f,%.0f,%.0f,%.2f\n", date.c_str(), agency, agencyMoney,
                             foreigner, foreignerMoney, ratio)
                    : Format("{\"date\":\"%s\",\"agency\":%.0f,\"agency_money\":%.0f,"
                             "\"foreigner\":%.0f,\"foreigner_money\":%.0f,"
                             "\"foreigner_ratio\":%.2f}",
                             date.c_str(), agency, agencyMoney, foreigner, foreignerMoney, ratio),
                Format("%s,%.0f,%.0f", date.c_str(), agency, foreigner));
      if (outCloses) outCloses->push_front(close);
    }
  }
  texts.Write(name ? name : "", csv, outRows, outSeries);
  if (stock && newestClose > 0) {
    RunMerge([&] {
      if (stock->cur_price <= 0) stock->cur_price = newestClose;
    });
  }
  return parsed ? texts.Count() : -1;
}

int CKiwoomSecuAgent::GetShortSellingDataA(CURL*, Stock_s* stock, const char* code, int days,
                                           std::string* outRows, std::string* outSeries,
                                           int csv) {
  if (!outRows) return 0;
  if (days < 1) days = 1;
  int len = 0;
  char* reply = PostDailySeries(
      code, days, kShortSellingPath, "api-id: ka10014", &len,
      [](const std::string& quotedCode, const Ymd& from, const Ymd& today) {
        return Format(
            "{\"stk_cd\" : %s,\"tm_tp\" : \"1\",\t\"strt_dt\" : \"%04d%02d%02d\",\t"
            "\"end_dt\" : \"%04d%02d%02d\"}",
            quotedCode.c_str(), from.y, from.m, from.d, today.y, today.m, today.d);
      });
  const std::string name = Format("short_selling_%d", days);
  const int rows = ParseShortSellingReply(reply, static_cast<size_t>(reply ? len : 0),
                                          name.c_str(), stock, outRows, outSeries, csv);
  std::free(reply);
  return rows > 0 ? rows : 0;
}

int CKiwoomSecuAgent::ParseShortSellingReply(const char* reply, size_t len, const char* name,
                                             Stock_s*, std::string* outRows,
                                             std::string* outSeries, int csv) {
  SeriesTexts texts;
  rapidjson::Document doc;
  const bool parsed = KiwoomParse(reply, len, &doc) && doc.IsObject();
  std::string message;
  const rapidjson::Value* rows = parsed ? ReplyRows(doc, &message) : nullptr;
  if (!message.empty()) SetLastMessageUtf8(message.c_str());
  if (rows) {
    for (const rapidjson::Value& row : rows->GetArray()) {
      if (!row.IsObject()) continue;
      const std::string date = DateText(row, "dt");
      const double rate = KiwoomJsonDouble(row, "flu_rt");
      const double close = Price(row, "close_pric");
      const double sold = KiwoomJsonDouble(row, "shrts_qty");
      const double soldSum = KiwoomJsonDouble(row, "ovr_shrts_qty");
      const double weight = KiwoomJsonDouble(row, "trde_wght");
      texts.Add(csv ? Format("%s,%.0f,%.0f,%.3f,%.0f,%.3f", date.c_str(), sold, soldSum, weight,
                             close, rate)
                    : Format("{\"date\":\"%s\",\"sell\":%.0f,\"sell_sum\":%.0f,\"weight\":%.3f,"
                             "\"price\":%.0f,\"updown\":%.3f}",
                             date.c_str(), sold, soldSum, weight, close, rate),
                Format("%s,%.0f", date.c_str(), sold));
    }
  }
  texts.Write(name ? name : "", csv, outRows, outSeries);
  return parsed ? texts.Count() : -1;
}

int CKiwoomSecuAgent::GetBidAskDataA(CURL*, Stock_s*, const char* code, uint8_t kind,
                                     double out[8]) {
  if (!out || !code || !*code || !HasCredentials()) return -1;
  const char* suffix = kind == 'X' ? "_NX" : kind == 'S' ? "_AL" : "";
  const std::string body = "{\"stk_cd\": " + QuotedCode(code, suffix) + "}";
  int len = 0;
  char* reply = Post(nullptr, kMarketConditionPath, body.c_str(), 1, nullptr, "api-id: ka10004",
                     nullptr, &len);
  if (!reply) return -1;
  const int read = ParseBidAskReply(reply, static_cast<size_t>(len), out);
  std::free(reply);
  return read < 0 ? -1 : 1;
}

int CKiwoomSecuAgent::ParseBidAskReply(const char* reply, size_t len, double out[8]) {
  rapidjson::Document doc;
  if (!KiwoomParse(reply, len, &doc) || !doc.IsObject()) return -1;
  if (!out) return 0;
  if (doc.HasMember("error") || KiwoomJsonInt(doc, "return_code") != 0) {
    std::string message;
    KiwoomJsonText(doc, "return_msg", &message);
    if (!message.empty()) SetLastMessageUtf8(message.c_str());
    return 0;
  }
  out[0] = Price(doc, "sel_fpr_bid");
  out[1] = KiwoomJsonDouble(doc, "sel_fpr_req");
  out[2] = Price(doc, "buy_fpr_bid");
  out[3] = KiwoomJsonDouble(doc, "buy_fpr_req");
  out[4] = Price(doc, "sel_2th_pre_bid");
  out[5] = KiwoomJsonDouble(doc, "sel_2th_pre_req");
  out[6] = Price(doc, "buy_2th_pre_bid");
  out[7] = KiwoomJsonDouble(doc, "buy_2th_pre_req");
  return 1;
}

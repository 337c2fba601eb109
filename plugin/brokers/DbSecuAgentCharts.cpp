// The DB agent's day and minute candles and the investor trend.

#include <rapidjson/document.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/support/CheckedNumber.h"
#include "platform/support/DateUtil.h"
#include "platform/support/JsonGetters.h"
#include "platform/support/TextConv.h"
#include "platform/support/TextScan.h"
#include "platform/win/Clock.h"
#include "plugin/brokers/BrokerTransport.h"
#include "plugin/brokers/DbSecuAgent.h"
#include "plugin/brokers/SeriesTexts.h"

namespace {

using series_texts::DateRange;
using series_texts::Format;
using series_texts::SeriesTexts;
using series_texts::Ymd;

constexpr const char* kDayChartPath = "/api/v1/quote/kr-chart/day";
constexpr const char* kMinuteChartPath = "/api/v1/quote/kr-chart/min";
constexpr const char* kInvestorPath = "/api/v1/quote/kr-stock/inquiry/daily-investor";
constexpr int kDefaultTrendDays = 10;

// The rows of a chart-like reply: "Out" when it is an array, else the first array inside
// "Out", else the first array member of the reply.
const rapidjson::Value* ReplyRows(const rapidjson::Value& doc) {
  auto firstArray = [](const rapidjson::Value& object) -> const rapidjson::Value* {
    for (auto it = object.MemberBegin(); it != object.MemberEnd(); ++it) {
      if (it->value.IsArray()) return &it->value;
    }
    return nullptr;
  };
  if (const rapidjson::Value* out = JsonGetArray(doc, "Out")) return out;
  if (const rapidjson::Value* out = JsonGetObject(doc, "Out")) {
    if (const rapidjson::Value* rows = firstArray(*out)) return rows;
  }
  return firstArray(doc);
}

// A member as label text: a string as it is, a number as digits ("%06d" for times).
std::string LabelText(const rapidjson::Value& row, const char* name, bool time) {
  if (const char* text = JsonGetStringPtr(row, name)) return text;
  const int64_t value = JsonGetInt64(row, name, 0);
  return Format(time ? "%06lld" : "%lld", static_cast<long long>(value));
}

// A date or time label as its number; 0 when it holds none an int can hold.
int DateNumber(const std::string& label) {
  int number = 0;
  return NumberToInt(AtoN(label.c_str()), &number) ? number : 0;
}

// Keeps the closes in the record's candle block, newest at the back.
void StoreCloses(StockSeries_s* series, const std::vector<double>& newestFirst) {
  GfxSizeStockSeries(series);
  const size_t n = std::min(newestFirst.size(), series->close.size());
  std::fill(series->close.begin(), series->close.end(), 0.0);
  for (size_t i = 0; i < n; ++i) series->close[series->close.size() - 1 - i] = newestFirst[i];
  series->count = static_cast<int32_t>(n);
  series->requested = static_cast<int32_t>(series->close.size());
}

}  // namespace

char* CDbSecuAgent::PostQuery(CURL* curl, const char* path, const char* body, int* outLen) {
  return Post(curl, path, body, 1, "cont_yn: N", true, outLen);
}

int CDbSecuAgent::GetChartDataA(CURL* curl, Stock_s* stock, const char* code, int kind, int step,
                                int count, std::string* outRows, std::string* outSeries,
                                std::deque<int32_t>* outDates, std::deque<double>* outCloses,
                                int csv) {
  if (!code || !*code || !outRows) return -1;
  if (outDates) outDates->clear();
  if (outCloses) outCloses->clear();
  if (count < 1) count = 1;
  const bool days = kind == 1;

  std::string body;
  std::string name;
  Ymd from;
  Ymd today;
  DateRange(static_cast<int>(count * 1.5), &from, &today);
  if (days) {
    body = Format(
        "{ \"In\": {  \"InputCondMrktDivCode\": \"J\",  \"InputIscd1\": \"%s\",    "
        "\"InputDate1\": \"%04d%02d%02d\",   \"InputDate2\": \"%04d%02d%02d\",    "
        "\"InputDivXtick\": \"600\"  } }",
        code, from.y, from.m, from.d, today.y, today.m, today.d);
    name = Format("days_%d", count);
  } else {
    body = Format(
        "{ \"In\": {  \"InputCondMrktDivCode\": \"J\",  \"InputIscd1\": \"%s\",    "
        "\"InputDate1\": \"%04d%02d%02d\",   \"InputDivXtick\": \"%d\", \"dataCnt\": \"%d\"  } }",
        code, today.y, today.m, today.d, step * 60, count);
    name = Format("minutes_%d", count);
  }

  int len = 0;
  char* reply = PostQuery(curl, days ? kDayChartPath : kMinuteChartPath, body.c_str(), &len);
  const int rows = ParseChartResponse(reply, reply ? static_cast<size_t>(len) : 0, kind, name.c_str(),
                                      stock, outRows, outSeries, outDates, outCloses, csv);
  std::free(reply);
  return rows;
}

int CDbSecuAgent::ParseChartResponse(const char* reply, size_t len, int kind, const char* name,
                                     Stock_s* stock, std::string* outRows, std::string* outSeries,
                                     std::deque<int32_t>* outDates, std::deque<double>* outCloses,
                                     int csv) {
  if (!outRows) return -1;
  const bool days = kind == 1;
  SeriesTexts texts;
  std::vector<double> closes;
  double firstClose = 0;
  rapidjson::Document doc;
  const bool parsed = reply && !doc.Parse(reply, len).HasParseError();
  if (parsed && doc.IsObject()) {
    if (const rapidjson::Value* error = JsonGetObject(doc, "error")) {
      const char* message = JsonGetStringPtr(*error, "message");
      SetLastMessage(Utf8ToWide(message ? message : "").c_str());
    } else if (const rapidjson::Value* rows = ReplyRows(doc)) {
      for (const rapidjson::Value& row : rows->GetArray()) {
        if (!row.IsObject()) continue;
        const std::string date = LabelText(row, "Date", false);
        const std::string label = days ? date : LabelText(row, "Hour", true);
        const double close = JsonGetDouble(row, "Prpr", 0);
        const double open = JsonGetDouble(row, "Oprc", 0);
        const double high = JsonGetDouble(row, "Hprc", 0);
        const double low = JsonGetDouble(row, "Lprc", 0);
        const double volume = JsonGetDouble(row, "CntgVol", 0);
        if (firstClose <= 0 && close > 0) firstClose = close;
        texts.Add(csv ? Format("%s,%.0f,%.0f,%.0f,%.0f,%.0f", label.c_str(), open, high, low, close,
                               volume)
                      : Format("{\"date\":\"%s\",\"open\":%.0f,\"high\":%.0f,\"low\":%.0f,"
                               "\"close\":%.0f,\"volume\":%.0f}",
                               label.c_str(), open, high, low, close, volume),
                  Format("%s,%.0f", label.c_str(), close));
        if (outDates) outDates->push_front(DateNumber(days ? date : label));
        if (outCloses) outCloses->push_front(close);
        closes.push_back(close);
      }
    }
  }
  texts.Write(name ? name : "", csv, outRows, outSeries);
  // The record is shared with the engine's other workers: it is written in the merge step.
  if (stock) {
    RunMerge([&] {
      if (stock->cur_price <= 0 && firstClose > 0) stock->cur_price = firstClose;
      StoreCloses(days ? &stock->day : &stock->minute, closes);
    });
  }
  return texts.Count();
}

int CDbSecuAgent::GetBuyTrendDataA(CURL* curl, Stock_s* stock, const char* code, uint8_t, int days,
                                   std::string* outRows, std::string* outSeries,
                                   std::deque<int32_t>* outDates, std::deque<double>* outValues,
                                   int csv) {
  if (!outRows) return -1;
  if (outDates) outDates->clear();
  if (outValues) outValues->clear();
  if (days <= 0) days = kDefaultTrendDays;
  Ymd from;
  Ymd today;
  DateRange(static_cast<int>(days * 1.5), &from, &today);
  const std::string body = Format(
      "{  \"In\": {    \"InputCondMrktDivCode\": \"J\",    \"InputIscd1\": \"%s\",    "
      "\"InputDate1\": \"%04d%02d%02d\",    \"InputDate2\": \"%04d%02d%02d\" }}",
      code ? code : "", from.y, from.m, from.d, today.y, today.m, today.d);

  int len = 0;
  char* reply = code && *code ? PostQuery(curl, kInvestorPath, body.c_str(), &len) : nullptr;
  const int rows = ParseBuyTrendResponse(reply, reply ? static_cast<size_t>(len) : 0, days, stock,
                                         outRows, outSeries, outDates, outValues, csv);
  std::free(reply);
  return rows;
}

int CDbSecuAgent::ParseBuyTrendResponse(const char* reply, size_t len, int days, Stock_s* stock,
                                        std::string* outRows, std::string* outSeries,
                                        std::deque<int32_t>* outDates,
                                        std::deque<double>* outValues, int csv) {
  if (!outRows) return -1;
  double firstClose = 0;
  SeriesTexts texts;
  rapidjson::Document doc;
  if (reply) doc.Parse(reply, len);
  if (reply && !doc.HasParseError() && doc.IsObject()) {
    if (m_resultCode(JsonGetStringPtr(doc, "rsp_cd")) != 0) NoteRefusal(reply);
    if (const rapidjson::Value* rows = ReplyRows(doc)) {
      for (const rapidjson::Value& row : rows->GetArray()) {
        if (!row.IsObject()) continue;
        const std::string date = LabelText(row, "Date", false);
        const double volume = JsonGetDouble(row, "AcmlVol", 0);
        const double close = JsonGetDouble(row, "Prpr", 0);
        const double agency =
            JsonGetDouble(row, "OrgnShnuVol", 0) - JsonGetDouble(row, "OrgnSelnVol", 0);
        const double agencyMoney =
            JsonGetDouble(row, "OrgnShnuTrPbmn", 0) - JsonGetDouble(row, "OrgnSelnTrPbmn", 0);
        const double foreigner =
            JsonGetDouble(row, "FrgnRegShnuVol", 0) - JsonGetDouble(row, "FrgnRegSelnVol", 0);
        const double foreignerMoney =
            JsonGetDouble(row, "FrgnRegShnuTrPbmn", 0) - JsonGetDouble(row, "FrgnRegSelnTrPbmn", 0);
        const double ratio = volume > 0 ? std::abs(foreigner) * 100.0 / volume : 0.0;
        if (firstClose <= 0 && close > 0) firstClose = close;
        texts.Add(csv ? Format("%s,%.0f,%.0f,%.0f,%.0f,%.2f", date.c_str(), agency, agencyMoney,
                               foreigner, foreignerMoney, ratio)
                      : Format("{\"date\":\"%s\",\"agency\":%.0f,\"agency_money\":%.0f,"
                               "\"foreigner\":%.0f,\"foreigner_money\":%.0f,"
                               "\"foreigner_ratio\":%.2f}",
                               date.c_str(), agency, agencyMoney, foreigner, foreignerMoney, ratio),
                  Format("%s,%.0f,%.0f", date.c_str(), agency, foreigner));
        if (outDates) outDates->push_front(DateNumber(date));
        if (outValues) {
          outValues->push_front(foreigner);
          outValues->push_front(agency);
        }
      }
    }
  }
  texts.Write(Format("investor_%d", days), csv, outRows, outSeries);
  if (stock && firstClose > 0) {
    RunMerge([&] {
      if (stock->cur_price <= 0) stock->cur_price = firstClose;
    });
  }
  return texts.Count();
}

#include "sandbox/SandboxMarket.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace orv::test {
namespace {

// How far a price may move in a day around the previous close.
constexpr double kDailyLimit = 0.30;
// A random-walk step moves a price by up to this many price units either way.
constexpr int kMaxStepUnits = 3;

double RoundDownToTick(double price) {
  const double tick = KrxTickSize(price);
  return std::floor(price / tick) * tick;
}

double RoundUpToTick(double price) {
  const double tick = KrxTickSize(price);
  return std::ceil(price / tick) * tick;
}

}  // namespace

std::vector<SandboxStock> SandboxStocks() {
  return {
      {"005930", "KR7005930003", "삼성전자", "1", 71000},
      {"000660", "KR7000660001", "SK하이닉스", "1", 196500},
      {"035420", "KR7035420009", "NAVER", "1", 189600},
      {"005380", "KR7005380001", "현대차", "1", 213500},
      {"035720", "KR7035720002", "카카오", "1", 41250},
      {"373220", "KR7373220003", "LG에너지솔루션", "1", 352000},
      {"068270", "KR7068270008", "셀트리온", "1", 178300},
      {"247540", "KR7247540008", "에코프로비엠", "4", 152400},
  };
}

double KrxTickSize(double price) {
  if (price < 2000) return 1;
  if (price < 5000) return 5;
  if (price < 20000) return 10;
  if (price < 50000) return 50;
  if (price < 200000) return 100;
  if (price < 500000) return 500;
  return 1000;
}

bool ParseSandboxScript(const std::string& text, const std::vector<SandboxStock>& stocks,
                        std::vector<SandboxTick>* ticks, std::string* error) {
  std::vector<SandboxTick> parsed;
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    SandboxTick tick;
    std::string code;
    std::string priceText;
    while (words >> code) {
      const auto fail = [&](const std::string& why) {
        if (error) *error = "line " + std::to_string(number) + ": " + why;
        return false;
      };
      const bool known = std::any_of(stocks.begin(), stocks.end(),
                                     [&](const SandboxStock& s) { return s.code == code; });
      if (!known) return fail("unknown stock code \"" + code + "\"");
      if (!(words >> priceText)) return fail("no price after \"" + code + "\"");
      char* end = nullptr;
      const double price = std::strtod(priceText.c_str(), &end);
      if (end == priceText.c_str() || *end != '\0' || !(price > 0) || !std::isfinite(price)) {
        return fail("\"" + priceText + "\" is not a positive price");
      }
      tick.emplace_back(code, price);
    }
    if (!tick.empty()) parsed.push_back(std::move(tick));
  }
  if (ticks) *ticks = std::move(parsed);
  return true;
}

SandboxMarket::SandboxMarket(std::vector<SandboxStock> stocks, uint64_t seed)
    : stocks_(std::move(stocks)), random_(seed) {
  for (const SandboxStock& stock : stocks_) {
    const double close = stock.previousClose;
    prices_.push_back({close, close, close, close});
  }
}

void SandboxMarket::SetScript(std::vector<SandboxTick> ticks) {
  script_ = std::move(ticks);
  scripted_ = true;
  scriptLine_ = 0;
}

void SandboxMarket::Set(size_t index, double price) {
  Price& p = prices_[index];
  p.now = price;
  p.high = std::max(p.high, price);
  p.low = std::min(p.low, price);
}

void SandboxMarket::Step() {
  ++ticks_;
  if (scripted_) {
    if (scriptLine_ >= script_.size()) return;
    for (const auto& [code, price] : script_[scriptLine_]) {
      for (size_t i = 0; i < stocks_.size(); ++i) {
        if (stocks_[i].code == code) Set(i, price);
      }
    }
    ++scriptLine_;
    return;
  }
  for (size_t i = 0; i < stocks_.size(); ++i) {
    // The engine's raw output is fixed by the standard, unlike the library's distributions, so
    // a seed gives the same path everywhere.
    const int units = static_cast<int>(random_() % (2 * kMaxStepUnits + 1)) - kMaxStepUnits;
    const double close = stocks_[i].previousClose;
    // A step across a price band's edge lands between the new band's units: snap it down.
    double next = RoundDownToTick(prices_[i].now + units * KrxTickSize(prices_[i].now));
    next = std::clamp(next, RoundUpToTick(close * (1 - kDailyLimit)),
                      RoundDownToTick(close * (1 + kDailyLimit)));
    Set(i, next);
  }
}

std::vector<DbQuote> SandboxMarket::Quotes() const {
  std::vector<DbQuote> quotes;
  for (size_t i = 0; i < stocks_.size(); ++i) {
    const Price& p = prices_[i];
    const double close = stocks_[i].previousClose;
    DbQuote q;
    q.code = stocks_[i].code;
    q.name = stocks_[i].name;
    q.price = p.now;
    q.open = p.open;
    q.high = p.high;
    q.low = p.low;
    q.previous = close;
    q.change = p.now - close;
    q.rate = close > 0 ? std::round((p.now - close) / close * 10000) / 100 : 0;
    quotes.push_back(q);
  }
  return quotes;
}

}  // namespace orv::test

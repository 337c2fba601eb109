#include "plugin/settings/StockCfgSave.h"

#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <fstream>
#include <sstream>
#include <type_traits>
#include <algorithm>

#include "platform/support/StockOptionStore.h"
#include "platform/support/TextConv.h"
#include "shared/StockOption.h"

const wchar_t kCannotSaveText[] = L"Cannot Save to DB";

namespace {

constexpr int kOptionAppIdx = 1;
constexpr int kOptionSiteIdx = 1;
constexpr size_t kChosenTextMax = 1000;
constexpr size_t kImportValueMax = 100;

std::wstring Trim(const std::wstring& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && std::iswspace(text[begin])) ++begin;
  while (end > begin && std::iswspace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

template <size_t N>
void CopyField(wchar_t (&field)[N], const std::wstring& text, size_t limit = N - 1) {
  const size_t n = std::min({text.size(), limit, N - 1});
  std::wmemcpy(field, text.data(), n);
  std::wmemset(field + n, L'\0', N - n);
}

template <int N>
void AppendAccount(std::wstring* out, const broker_slots_s<N>& slots, int slot, double fee) {
  wchar_t fixed[64];
  std::swprintf(fixed, std::size(fixed), L"%d|%f|", slots.broker_id[slot], fee);
  *out += fixed;
  *out += std::wstring(slots.account[slot]) + L"|" + slots.app_key[slot] + L"|" +
          slots.app_secret[slot] + L"|" + slots.name[slot] + L"|\n";
}

// The fields an account's import writes: login id, access key, secret key, alias.
struct AccountFields {
  wchar_t* login;
  wchar_t* key;
  wchar_t* secret;
  wchar_t* alias;
};

template <int N>
AccountFields SlotFields(broker_slots_s<N>& slots, int slot) {
  return {slots.account[slot], slots.app_key[slot], slots.app_secret[slot], slots.name[slot]};
}

bool FieldsOf(stock_option_s* o, int account, AccountFields* out) {
  if (account >= kDomestic1 && account < kDomestic1 + kDomesticBrokerSlots)
    *out = SlotFields(o->domestic, account - kDomestic1);
  else if (account == kUsAccount)
    *out = SlotFields(o->overseas, 0);
  else if (account == kEuropeAccount)
    *out = SlotFields(o->europe, 0);
  else if (account >= kCoin1 && account < kCoin1 + kCoinBrokerSlots)
    *out = SlotFields(o->coin, account - kCoin1);
  else
    return false;
  return true;
}

}  // namespace

std::wstring RebuyRangeError(int32_t start, int32_t end) {
  if (!((start < 0 || end < 0) && end >= start)) return {};
  wchar_t text[512];
  std::swprintf(text, std::size(text),
                L"자동 재매수 범위를 잘못 설정했습니다.\n-----(최저이익 기준)-----\n재매수 시작 : "
                L"%d%%\n재매수 종료 : %d%%\n-------------------\n재매수 종료는 재매수 시작보다 "
                L"낮아야 합니다",
                start, end);
  return text;
}

void ApplyFeeFractions(stock_option_s* o) {
  o->tax_fraction = o->tax_rate / 100.0;
  o->buy_fee_domestic_fraction = o->buy_fee_domestic / 100.0;
  o->sell_fee_domestic_fraction = o->sell_fee_domestic / 100.0;
  o->buy_fee_overseas_fraction = o->buy_fee_overseas / 100.0;
  o->sell_fee_overseas_fraction = o->sell_fee_overseas / 100.0;
}

std::wstring BuildAccountsText(const stock_option_s& o) {
  std::wstring text;
  for (int i = 0; i < kDomesticBrokerSlots; ++i)
    AppendAccount(&text, o.domestic, i, o.buy_fee_domestic);
  AppendAccount(&text, o.overseas, 0, o.buy_fee_overseas);
  AppendAccount(&text, o.europe, 0, o.europe_fee2);
  text += std::to_wstring(o.ai_engine) + L"|" + o.ai_key + L"\n";
  for (int i = 0; i < kCoinBrokerSlots; ++i) AppendAccount(&text, o.coin, i, o.coin_fee_fraction);
  return text;
}

int SaveCountdownSeconds(uint32_t nowTick, uint32_t stamp) {
  const uint32_t elapsed = (nowTick - stamp) / 1000;
  return elapsed < 6 ? 8 - static_cast<int>(elapsed) : 1;
}

int SaveStockCfgToDb(sqlite3* db, stock_option_s* o, const StockCfgValues& v,
                     const std::vector<std::wstring>& selectorTexts, const std::wstring& accounts,
                     std::wstring* message, int* length) {
  *message = kCannotSaveText;
  *length = 0;
  // Without the catalogue nothing can be kept: a failure, never an announced success.
  if (!db) return 0;
  message->clear();

  // Chosen buy conditions. Without condition sets the names stored before are kept.
  const int sets = o->buy_condition_sets > 4 ? 4 : o->buy_condition_sets;
  if (sets > 0) {
    std::wstring chosen;
    int count = 0;
    for (int k = 0; k < sets; ++k) {
      bool repeated = false;
      for (int j = 0; j < k; ++j)
        if (o->buy_condition[j] == o->buy_condition[k]) repeated = true;
      std::wstring name;
      if (repeated) {
        o->buy_condition[k] = -1;
      } else {
        ++count;
        if (static_cast<size_t>(k) < selectorTexts.size()) name = selectorTexts[k];
      }
      if (chosen.size() + name.size() + 1 <= kChosenTextMax) chosen += name + L";";
    }
    CopyField(o->chosen_buy_conditions, count > 0 ? chosen : std::wstring());
  }
  if (o->chosen_buy_conditions[0])
    *message = std::wstring(L"자동 매수:") + o->chosen_buy_conditions + L"\n";
  else
    *message = L"자동 매수:*없음*\n";

  CopyField(o->main_code, v.mainCode, 15);
  CopyField(o->sub_code, v.subCode, 15);

  o->split_sell_amount_won = o->split_sell_amount * 10000.0;
  o->split_buy_amount_won = o->split_buy_amount * 10000.0;
  o->remainder_amount = v.remainderWon;
  o->wide_step_factor = v.wideFactor10 / 10.0;
  if (o->wide_step_factor < 1.0) o->wide_step_factor = 1.0;
  o->min_profit_stop_band = v.minProfitBand10 / 10.0;
  if (o->min_profit_stop_band < 0.1) o->min_profit_stop_band = 0.1;

  o->module_flags = JoinModuleFlags(o->module_flags, v);
  if (o->macd_short < 1) o->macd_short = 12;
  if (o->macd_long < 1) o->macd_long = 26;
  if (o->macd_signal < 1) o->macd_signal = 9;

  int stored = 0;
  const int rc =
      GfxSaveStockOption(db, kOptionAppIdx, kOptionSiteIdx, o, accounts.c_str(), &stored);
  if (rc != 0) {
    wchar_t error[256];
    std::swprintf(error, std::size(error),
                  L"--------\nDB 저장 에러 : %d(8=읽기 전용)\n(■DB에러시, 앱 제거후 재설치 "
                  L"필요■)\n",
                  rc);
    *message += error;
    return 0;
  }
  o->changed = 0;
  *length = stored;
  return 1;
}

int ParseLoginIdAndPasswordFile(const std::string& utf8Path, std::wstring values[4]) {
  std::ifstream in(utf8Path, std::ios::binary);
  if (!in) return 0;
  std::stringstream whole;
  whole << in.rdbuf();
  std::string text = whole.str();
  // A byte-order mark is not part of the first value.
  if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
  std::wistringstream lines(Utf8ToWide(text));
  int count = 0;
  std::wstring line;
  while (count < 4 && std::getline(lines, line)) {
    line = Trim(line);
    if (line.empty()) continue;
    if (line.size() > kImportValueMax) line.resize(kImportValueMax);
    values[count++] = line;
  }
  return count;
}

bool ApplyImportedAccount(stock_option_s* o, int account, const std::wstring values[4],
                          int count) {
  AccountFields f{};
  if (count < 2 || !FieldsOf(o, account, &f)) return false;
  auto copy = [](wchar_t* field, size_t len, const std::wstring& text) {
    const size_t n = std::min(text.size(), len - 1);
    std::wmemcpy(field, text.data(), n);
    std::wmemset(field + n, L'\0', len - n);
  };
  constexpr size_t kIdLen = std::extent_v<decltype(broker_slots_s<1>::account), 1>;
  constexpr size_t kKeyLen = std::extent_v<decltype(broker_slots_s<1>::app_key), 1>;
  copy(f.login, kIdLen, values[0]);
  copy(f.key, kKeyLen, values[1]);
  copy(f.secret, kKeyLen, count > 2 ? values[2] : std::wstring());
  if (count > 3) copy(f.alias, kIdLen, values[3]);
  o->changed = 1;
  return true;
}

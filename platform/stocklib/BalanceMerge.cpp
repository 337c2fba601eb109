#include "platform/stocklib/BalanceMerge.h"

#include <cmath>
#include <cwchar>

#include "platform/stocklib/StockAgentBase.h"
#include "platform/stocklib/StockCalc.h"
#include "platform/support/TextConv.h"
#include "platform/support/TextScan.h"

namespace {

constexpr double kDefaultSplitBudget = 500000.0;
constexpr double kAvgPriceEpsilon = 0.000001;

bool IsOverseasLetter(uint8_t letter) {
  return letter == 'A' || letter == 'D' || letter == 'H' || letter == 'N';
}

// The figures of a holding that follow from its row and the fee and tax rates.
void FillHoldingFigures(StockTrade_s* h, const BalanceRow_s& r, double feeRate, double taxRate) {
  h->quantity = r.quantity;
  h->quantity2 = r.quantity;
  h->avg_price = r.avgPrice;
  h->cur_price = r.curPrice;
  h->purchase = r.quantity * r.avgPrice;
  h->commission = r.commission > 0 ? r.commission : h->purchase * feeRate / 100.0;
  h->tax = r.tax;
  h->cost_per_share = (h->purchase + h->commission + h->tax) / r.quantity;
  h->valuation = r.curPrice * r.quantity;
  h->profit = (r.curPrice - h->cost_per_share) * r.quantity;
  h->profit_rate = GfxCalculateProfitRate(r.avgPrice, r.curPrice, r.quantity, feeRate, taxRate);
}

}  // namespace

BalanceMergeResult_s MergeBalanceReply(const BalanceReply_s& reply, const BalanceOwner_s& owner,
                                       const BalanceQueryArgs_s& args) {
  BalanceMergeResult_s result;
  if (!args.totals || !args.holdings || !args.stocks) return result;
  group_info_s* account = args.totals;
  for (const auto& [field, value] : reply.accountFigures) account->*field = value;

  const uint8_t slot = owner.priceSlot < kPriceSlotCount ? owner.priceSlot : 0;
  const double budget = args.splitBudget > 0 ? args.splitBudget : kDefaultSplitBudget;
  double recordEvaluation = 0;
  for (const BalanceRow_s& replyRow : reply.rows) {
    if (replyRow.code.empty() || replyRow.quantity <= 0) continue;
    bool added = false;
    Stock_s* stock =
        GfxAddStockToMap(args.stocks, replyRow.code.c_str(), owner.market, slot, 0, &added);
    if (!stock) continue;
    BalanceRow_s r = replyRow;
    if (reply.pricesFromRecords) {
      r.curPrice = added ? 0 : stock->cur_price;
      recordEvaluation += r.curPrice * r.quantity;
    }
    if (added) {
      if (!r.name.empty()) stock->name = r.name;
      if (args.callback) {
        args.callback(args.callbackContext, stock->list_index, 1, 0x100, stock->code,
                      r.name.empty() ? nullptr : stock->name.c_str(), '1', r.curPrice, 0, 0,
                      static_cast<double>(args.runningIndex + result.parsed), 0, 0, 0, nullptr);
      }
    }
    if (stock->slot_prices.size() > slot) stock->slot_prices[slot] = r.curPrice;
    stock->cur_price = r.curPrice;

    const double feeRate =
        stock->market == kMarketDomestic ? args.feeRateDomestic : args.feeRateOther;
    // The reply's row as a holding: the key the holdings map is searched with, and the new
    // holding when the map has none.
    StockTrade_s row;
    row.stock = stock;
    row.account = account;
    row.broker_id = owner.brokerId;
    row.account_no = static_cast<int32_t>(owner.accountKey);
    row.price_slot = slot;
    row.loan_date = r.loanDate > 0 ? r.loanDate : 0;
    row.holding_kind = row.loan_date > 0 ? 2 : 1;
    row.credit = row.loan_date > 0 ? 1 : 0;
    std::swprintf(row.loan_date_text, sizeof row.loan_date_text / sizeof(wchar_t), L"%08d",
                  row.loan_date);
    StrSafeCopyW(row.code, kStockCodeLen + 1, stock->code);
    FillHoldingFigures(&row, r, feeRate, args.taxRate);

    StockTrade_s* holding = nullptr;
    bool isNew = false;
    bool changed = false;
    auto found = args.holdings->find(&row);
    if (found != args.holdings->end()) {
      holding = found->first;
      changed = std::fabs(holding->avg_price - row.avg_price) > kAvgPriceEpsilon;
      if (changed) holding->changed_mark = 1;
      holding->quantity_trend = row.quantity > holding->quantity   ? 1
                                : row.quantity < holding->quantity ? 2
                                                                   : 0;
      holding->stock = stock;
      holding->account = account;
      FillHoldingFigures(holding, r, feeRate, args.taxRate);
    } else {
      holding = new StockTrade_s(row);
      isNew = true;
      holding->is_new = 1;
      holding->running_index = args.runningIndex + result.parsed;
      args.holdings->emplace(holding, holding->running_index);
      stock->holding = holding;
    }
    holding->caller_value = args.callerValue;
    holding->balance_pass = owner.pass;

    if (owner.afterFirstPass) {
      holding->order_byte = isNew ? (args.options ? args.options->rule_byte : 0) : args.ruleByte;
    }
    if (isNew || changed) {
      const double* steps = args.options ? args.options->steps : nullptr;
      const StockTrade_s defaults;
      for (int i = 0; i < 5; ++i) holding->steps[i] = steps ? steps[i] : defaults.steps[i];
      holding->sell_split_qty = GfxStockCalcSellSplitQty(
          &holding->split_state, r.curPrice, budget, holding->quantity, 5000.0, 1.0,
          IsOverseasLetter(stock->market_letter) ? 1 : 0, args.splitRate);
    }
    if (args.outCodes) StrAppendCodeW(args.outCodes, stock->code, args.separator);
    ++result.parsed;
  }

  // Only the queried side (domestic or overseas) is dropped: the other side's holdings come
  // from the other balance query.
  if (reply.complete) {
    result.removed =
        GfxFilterSoldoutStocks(args.holdings, owner.brokerId, static_cast<int>(owner.accountKey),
                               owner.pass, owner.market == kMarketDomestic ? 1 : 0);
  }
  account->holding_count += result.parsed;
  account->total_buy = reply.purchase;
  const double evaluation = reply.pricesFromRecords ? recordEvaluation : reply.evaluation;
  account->total_valuation = evaluation;
  account->total_profit = evaluation - reply.purchase;
  return result;
}

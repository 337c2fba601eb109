#include "plugin/view/engine/StairRules.h"

#include <cmath>

double StairRange_s::Clamp(double value) const {
  if (std::isnan(value)) return min;
  return value < min ? min : value > max ? max : value;
}

StairRules_s ClampStairRules(const StairRules_s& rules) {
  StairRules_s out = rules;
  out.minProfit = kStairBand1Range.Clamp(rules.minProfit);
  out.stepInterval = kStairBand1Range.Clamp(rules.stepInterval);
  for (int i = 0; i < StairRules_s::kCorrectedBands; ++i) {
    out.minProfitCorrection[i] = kStairBandRange.Clamp(rules.minProfitCorrection[i]);
    out.stepIntervalCorrection[i] = kStairBandRange.Clamp(rules.stepIntervalCorrection[i]);
  }
  out.domesticLossCut = kStairLossCutRange.Clamp(rules.domesticLossCut);
  out.overseasLossCut = kStairLossCutRange.Clamp(rules.overseasLossCut);
  out.coinLossCut = kStairLossCutRange.Clamp(rules.coinLossCut);
  out.extraLossCut = kStairLossCutRange.Clamp(rules.extraLossCut);
  return out;
}

AutoStopLossRates_s ToAutoStopLossRates(const StairRules_s& input) {
  const StairRules_s rules = ClampStairRules(input);
  AutoStopLossRates_s rates;
  rates.value[0] = rules.minProfit;
  rates.stepWidth[0] = rules.stepInterval;
  rates.firstBand[0] = rules.firstBandCorrection;
  for (int i = 0; i < StairRules_s::kCorrectedBands; ++i) {
    rates.value[i + 1] = rules.minProfitCorrection[i];
    // A step narrower than 1 % would sell on every tick; the rate table holds widths of at
    // least 1 %.
    rates.stepWidth[i + 1] = std::fabs(rules.stepIntervalCorrection[i]) < 1.0
                                 ? 1.0
                                 : std::fabs(rules.stepIntervalCorrection[i]);
    rates.firstBand[i + 1] = rules.firstBandCorrection;
  }
  rates.stopLine[0] = rules.domesticLossCut;
  rates.stopLine[1] = rules.overseasLossCut;
  rates.stopLine[2] = rules.coinLossCut;
  return rates;
}

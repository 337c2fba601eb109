#pragma once
// The defaults of the trading configuration that the view sets before the stored one is
// loaded, and the rule that settles the dollar rates after loading.

#include <cstdint>
#include <vector>

struct stock_option_s;

// One drop-down list of the view's toolbar: its control, its option list ("value:label;...")
// and the value to select (the first entry when no entry has it).
struct ToolbarOptionList_s {
  int controlId = 0;
  const char* text = nullptr;
  int64_t selected = 0;
  bool hidden = false;  // filled, then hidden
};
// The toolbar's option lists with the values of `options` selected (rates in tenths of a
// percent, truncated); `popupFlags` and `nation` are the view's own selections.
std::vector<ToolbarOptionList_s> ToolbarOptionLists(const stock_option_s& options, int popupFlags,
                                                    int nation);

// Writes the defaults of every option the engine reads.
void SetDefaultStockOptions(stock_option_s* options);

// After loading: each of the two rates takes the host's rate when that is above 0; a rate that
// is then not above 1.0 becomes 1500.0.
void ApplyCurrencyRates(double* rate, double* rate2, double hostRate, double hostRate2);

#pragma once
// The defaults of the trading configuration that the view sets before the stored one is
// loaded, and the rule that settles the dollar rates after loading.

struct stock_option_s;

// Writes the defaults of every option the engine reads.
void SetDefaultStockOptions(stock_option_s* options);

// After loading: each of the two rates takes the host's rate when that is above 0; a rate that
// is then not above 1.0 becomes 1500.0.
void ApplyCurrencyRates(double* rate, double* rate2, double hostRate, double hostRate2);

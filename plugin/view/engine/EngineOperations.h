#pragma once
// The engine's work steps that other parts of the plug-in provide: the worker chain, the
// trading tick and the broker sessions call them through this table, so each step plugs in
// where it is built. An empty entry means the step is not there: the caller skips it and
// goes on with the chain as if it had done nothing.
//
// Worker steps run on the worker that calls them, with that worker's own HTTP handle; they
// must return soon after the engine's running flag drops (CPelomarEngine::IsRunning) and must
// not touch a window. Tick steps run on the user-interface thread.

#include <curl/curl.h>

#include <cstdint>
#include <functional>
#include <string>

#include "platform/win/WinTypes.h"

struct StockTrade_s;
struct login_info_s;

struct EngineOperations {
  // --- Worker steps ---
  // Master codes of the signed-in user; answers the number of codes loaded.
  std::function<int(CURL* curl)> LoadMasterCodes;
  // Accounts and balances (accountsEmpty 1: the account map was empty, show progress; final
  // argument 1); *changeCount takes the number of changed holdings. Answers the number of
  // held stocks.
  std::function<int(CURL* curl, int accountsEmpty, int* changeCount, int final)>
      QueryAccountsAndBalances;
  // The one-time chart query of the held stocks; answers its result.
  std::function<int(CURL* curl)> QueryHeldStockCharts;
  // One quote pass of market 1, 2 or 9: answers the tick at which it started, or 0 when the
  // running flag dropped during the pass. It sets the quotes-applied flag after applying.
  std::function<DWORD(CURL* curl, int market)> RunQuotePass;
  // The per-stock rule check that the quote pass runs for every holding it priced: answers
  // the profit rate; may queue an order (mayQueue 1) and then sets the sell event.
  std::function<double(StockTrade_s* holding, double price, int mayQueue, int* outSell)>
      CheckStockRules;
  // Recomputes a holding's sell steps (the per-stock rules) with the first level switch;
  // ApplyHoldingLevels calls it when the holding changed or an update is asked for.
  std::function<void(StockTrade_s* holding, int switchA)> RecomputeSellSteps;
  // Places the queued orders; answers the number placed. After a sale it sets the account
  // event itself.
  std::function<int(CURL* curl)> RunSellPass;
  // Reports a sell pass's money-log lines (joined with line feeds) to the web server
  // (CWebReports::UploadMoneyLog); answers its kUpload... result.
  std::function<int(CURL* curl, const std::wstring& lines, int lineCount)> UploadMoneyLog;

  // --- Tick steps (user-interface thread) ---
  // Resets the profit steps of every holding; answers the number of holdings.
  std::function<int()> ResetAllStockStairs;
  // Refreshes the account views after the account worker reported changes.
  std::function<void()> RefreshAccountViews;
  // Refreshes the values of the main stock grid after a quote pass applied quotes.
  std::function<void()> RefreshGridValues;
  // Rebuilds the all-stock quote grid.
  std::function<void(int, int)> RebuildAllStockGrid;
  // The session bounds in force (the service settings' delays applied); empty: the engine's
  // own bounds shifted by its domestic delay. Fills the six hhmm bounds in SessionBounds_s
  // order and answers true when it did.
  std::function<bool(int* hhmm6)> ReadSessionBounds;
  // Lays out the view's tab panes (timer 3).
  std::function<void()> LayOutTabPanes;

  // --- Broker sessions ---
  // The product web server's user check after a broker login: (HTTP handle, broker id, the
  // agent's client name, account, the host's user record, 0, 1, 0); answers the user index.
  std::function<int(CURL* curl, int brokerId, const char* clientName, const wchar_t* account,
                    login_info_s* user, int ignored, int force, int tokenUpdate)>
      LoadServiceSettings;
  // The view's part of a user logout: empties the four report grids and the all-stock count,
  // sets the all-stock tab caption, drops the holdings-grid footer rows and resets the order
  // side panel.
  std::function<void()> ClearViewAfterLogout;
  // Frees the stored auto-login data and saves an empty record with the local time.
  std::function<void()> ForgetAutoLogin;
};

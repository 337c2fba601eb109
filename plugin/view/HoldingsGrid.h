#pragma once
// The holdings grid's rows: one CRurezOzadoResultRecord per holding of quantity above 0, made
// from the copies the engine hands over (HoldingRow_s) and found again at every refresh through
// an index keyed by the holding's identity. A holding missing from two refreshes in a row has
// its row hidden; when it comes back the same row is shown again. The rows hold their own
// values and name their holding by key, never by address. Runs on the user-interface thread.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "plugin/view/engine/ViewSnapshots.h"

namespace orv::ui {
class CMyReportCtrl;
}
class CRurezOzadoResultRecord;

// The key a holdings row names its holding by (account, code, cash/credit kind).
HoldingKey_s KeyOf(const CRurezOzadoResultRecord& row);

class CHoldingsGrid {
 public:
  // The grid model the rows live in; it must outlive this object.
  explicit CHoldingsGrid(orv::ui::CMyReportCtrl& grid) : m_grid(grid) {}

  void SetScale(double scale) { m_scale = scale; }
  void SetSellOneByOne(bool on) { m_sellOneByOne = on; }
  // Log lines of the refresh ("▶ [UI] 계좌 ...").
  void SetLogger(std::function<void(const std::wstring&)> log) { m_log = std::move(log); }
  // Asks the view for one grid redraw.
  void SetRedrawRequest(std::function<void()> redraw) { m_redraw = std::move(redraw); }

  // One refresh over the held holdings; every held row shows the values given (its levels
  // included). Answers the rows added.
  int RefreshHoldingsGrid(const std::vector<HoldingRow_s>& holdings);
  // Writes the quote values of the rows still held (not the levels); answers the rows written.
  // `checkTime` replaces the holdings' check time when given (the price simulation's clock).
  int ApplyQuotes(const std::vector<HoldingRow_s>& holdings, const SYSTEMTIME* checkTime = nullptr);
  // Writes all values of the rows still held, levels included (after a change of settings).
  int ApplyRows(const std::vector<HoldingRow_s>& holdings);
  // Makes the two footer rows once.
  void EnsureHoldingsFooter();
  // Drops the footer rows and the index (the grid is emptied by its owner).
  void Reset();
  // Removes the holdings rows from the grid and forgets them; the footer rows stay. For a
  // logout: the holdings they showed are gone.
  void RemoveRows();

  uint32_t Generation() const { return m_generation; }
  int ShownRows() const;
  // The row of a held holding; null when none is shown for it.
  CRurezOzadoResultRecord* RowOf(const HoldingKey_s& key) const;
  // True while the latest refresh named the row's holding.
  bool IsHeld(const CRurezOzadoResultRecord* row) const;

 private:
  using Identity = std::tuple<int32_t, int32_t, uint8_t, int32_t, uint8_t, std::wstring>;
  struct Entry {
    CRurezOzadoResultRecord* row = nullptr;
    uint32_t generation = 0;
    uint32_t misses = 0;
    bool held = false;
    bool shown = true;
  };
  static Identity IdentityOf(const HoldingRow_s& holding);
  Entry* HeldEntry(const HoldingRow_s& holding);
  CRurezOzadoResultRecord* MakeRow(const HoldingRow_s& holding);

  orv::ui::CMyReportCtrl& m_grid;
  std::map<Identity, Entry> m_index;
  uint32_t m_generation = 0;
  double m_scale = 1.0;
  bool m_sellOneByOne = false;
  CRurezOzadoResultRecord* m_footers[2] = {nullptr, nullptr};
  std::function<void(const std::wstring&)> m_log;
  std::function<void()> m_redraw;
};

#pragma once
// The holdings grid's rows: one CRurezOzadoResultRecord per holding of quantity above 0, found
// again at every refresh through an index keyed by the holding's identity. A holding missing
// from two refreshes in a row has its row hidden (and loses its row pointer); when it comes
// back the same row is shown again. Runs on the user-interface thread only.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <tuple>

#include "shared/StockRecords.h"

namespace orv::ui {
class CMyReportCtrl;
}
class CRurezOzadoResultRecord;

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

  // One refresh over the holdings (null: nothing); answers the rows added.
  int RefreshHoldingsGrid(const HoldingMap* holdings);
  // Makes the two footer rows once.
  void EnsureHoldingsFooter();
  // Drops the footer rows and the index (the grid is emptied by its owner).
  void Reset();
  // Removes the holdings rows from the grid and forgets them; the footer rows stay (they point
  // at no holding). For a logout, before the holdings and stocks are freed.
  void RemoveRows();

  uint32_t Generation() const { return m_generation; }
  int ShownRows() const;
  CRurezOzadoResultRecord* RowOf(const StockTrade_s* holding) const;

 private:
  using Identity = std::tuple<int32_t, int32_t, uint8_t, int32_t, uint8_t, const Stock_s*>;
  struct Entry {
    CRurezOzadoResultRecord* row = nullptr;
    uint32_t generation = 0;
    uint32_t misses = 0;
    Stock_s* stock = nullptr;
    StockTrade_s* holding = nullptr;
    bool shown = true;
    bool removed = false;
  };
  static Identity IdentityOf(const StockTrade_s& holding);
  CRurezOzadoResultRecord* MakeRow(StockTrade_s* holding);
  static void FillRow(CRurezOzadoResultRecord& row, const StockTrade_s& holding);

  orv::ui::CMyReportCtrl& m_grid;
  std::map<Identity, Entry> m_index;
  uint32_t m_generation = 0;
  double m_scale = 1.0;
  bool m_sellOneByOne = false;
  CRurezOzadoResultRecord* m_footers[2] = {nullptr, nullptr};
  std::function<void(const std::wstring&)> m_log;
  std::function<void()> m_redraw;
};

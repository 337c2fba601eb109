#pragma once
// The cafe dialog's three grids (cafe-interest, expert, member) with their layouts and option
// lists, the cafe picker of its toolbar, and the fillers through which the cafe downloads reach
// them. Toolkit-free: the dialog's window shows these grids; the cafe downloads fill them
// whether a window shows them or not.
//
// Rows and stocks. A recommended-stock row points at a stock record and the stock points back
// through its row slot (kRowSlot...). The stock records the rows point at are this object's
// own copies of the recommended stocks the downloads hand over (never the engine's master
// records, which the workers change): they live as long as a row may point at them, and every
// row is unlinked from its stock before a grid is emptied.
//
// Threads: everything here runs on the user-interface thread (the cafe downloads post their
// results to it).

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/ui/model/ReportCtrl.h"
#include "plugin/community/CafeService.h"
#include "plugin/rows/CafeStockRecord.h"

struct Stock_s;

// The toolbar's cafe picker: one entry per cafe (value the cafe index, label its title) and the
// cafe it selects (0: none).
struct CafePicker_s {
  orv::ui::COptionList entries;
  int32_t selected = 0;
};

// Fills `options` and `picker` with one entry per cafe of `cafes` in index order and selects
// `select` in the picker. Answers the cafe the picker selects: `select` when it is one of the
// cafes, else 0. Null options or picker are skipped.
int32_t GfxFillGroupsToConstraints(orv::ui::CReportEditOptions* options, const CafeMap& cafes,
                                   CafePicker_s* picker, int32_t select);

// Adds a recommended-stock row to `grid` for every stock of `items` (in key order) that has no
// row there yet, the stock pointing back through row slot `slot`; rows are numbered from 1 and
// show "***" for a stock not approved in `cafeIndex`, whose value (1 or more) each stock takes.
// Then repopulates the grid, or only redraws it when no row was added. Answers the rows added.
//
// `values` (may be null) holds what the download said of each recommendation, by code: a new row
// of such a stock carries it (its number, prices, rates and reasons, state "매수 진행중" or
// "완료", the stock's approval and `manager` as the viewer's standing, which choose its
// buttons), and a row shown already takes its new numbers, or is built again in its place when
// its approval, its state or the viewer's standing changed.
int AddCafeStockRows(orv::ui::CMyReportCtrl& grid, int slot, double screenScale,
                     const std::map<std::wstring, Stock_s*>& items, int32_t cafeIndex,
                     const std::map<std::wstring, CafeRecItemValues_s>* values = nullptr,
                     uint8_t manager = 0);
// The row values of a recommendation as the download described it.
CafeStockValues_s MakeCafeRowValues(const CafeRecItemValues_s& item, int32_t approval,
                                    uint8_t manager);
// Refills the cafe column's option list of a recommended-stock grid and `picker` from `cafes`
// and selects `select`. Answers the cafe the picker selects (GfxFillGroupsToConstraints).
int32_t FillCafeColumnAndPicker(orv::ui::CMyReportCtrl& grid, const CafeMap& cafes,
                                CafePicker_s* picker, int32_t select);
// The window's own stock records (in `stocks`, made on first sight) of the snapshot's
// recommended stocks, by code; their listing values follow the snapshot.
std::map<std::wstring, Stock_s*> TakeCafeStocks(
    std::map<std::wstring, std::unique_ptr<Stock_s>>& stocks, const CafeSnapshot_s& snapshot);

class CCafeDlgGrids : public ICafeFiller {
 public:
  CCafeDlgGrids();
  ~CCafeDlgGrids() override;
  CCafeDlgGrids(const CCafeDlgGrids&) = delete;
  CCafeDlgGrids& operator=(const CCafeDlgGrids&) = delete;

  // The display scale of the run settings; in-cell button widths are multiplied by it.
  void SetScreenScale(double scale) { m_screenScale = scale; }
  double GetScreenScale() const { return m_screenScale; }

  orv::ui::CMyReportCtrl& InterestGrid() { return m_interestGrid; }
  orv::ui::CMyReportCtrl& ExpertGrid() { return m_expertGrid; }
  orv::ui::CMyReportCtrl& MemberGrid() { return m_memberGrid; }
  const CafePicker_s& CafePicker() const { return m_picker; }
  int32_t CurrentCafe() const { return m_currentCafe; }
  int32_t ManagerFlag() const { return m_managerFlag; }
  bool ChiefManager() const { return m_chiefManager; }

  // Refills the cafe column of the cafe-interest grid and the cafe picker from `cafes` and
  // selects `select` (negative: the current cafe). Answers the cafe the picker now selects,
  // which becomes the current cafe.
  int32_t FillCafeGroups(const CafeMap& cafes, int32_t select);
  // Makes `cafe` the current cafe and the picker's selection (a cafe the picker does not list
  // selects nothing: 0).
  void SelectCafe(int32_t cafe);
  // Adds a row to the cafe-interest grid for every stock of `items` (in key order) that has no
  // row there yet; with `clearFirst` the grids are cleared first. A cafe index of 1 or more is
  // written into each stock. Answers 0.
  int FillRecItemRows(const std::map<std::wstring, Stock_s*>& items, int32_t cafeIndex,
                      int unused, bool clearFirst,
                      const std::map<std::wstring, CafeRecItemValues_s>* values = nullptr);
  // Unlinks and removes every row of both recommended-stock grids.
  void ClearRecGrids();
  // For every recommended-stock row of `grid` that has a stock: resets the stock's cafe fields,
  // clears the stock's `slot` (negative: none) and, with `detach`, the row's stock pointer.
  // Rows of other kinds in the grid are left alone.
  static void UnlinkGridRows(orv::ui::CMyReportCtrl& grid, int slot, bool detach);

  // ICafeFiller: the cafe downloads' results.
  void FillCafeGroups(const CafeSnapshotPtr& snapshot) override;
  void FillCafeRows(const CafeSnapshotPtr& snapshot) override;
  void SetCafeManagerFlags(int managerFlag, bool chiefManager) override;

 private:
  double m_screenScale = 1.0;
  orv::ui::CMyReportCtrl m_interestGrid;
  orv::ui::CMyReportCtrl m_expertGrid;
  orv::ui::CMyReportCtrl m_memberGrid;
  CafePicker_s m_picker;
  int32_t m_currentCafe = 0;
  int32_t m_managerFlag = 0;
  bool m_chiefManager = false;
  int32_t m_rowsCafe = 0;  // the cafe whose recommended stocks the rows show
  std::map<std::wstring, std::unique_ptr<Stock_s>> m_stocks;
};

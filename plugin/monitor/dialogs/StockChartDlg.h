#pragma once
// The chart dialog: a stock's day chart above, its minute chart (and an empty "DAY DATA" grid)
// below, with the "Refresh" button in a strip on the left. Made once by the trading view and
// shown for a stock; the bars come from the engine as a copy (StockChartSnapshot_s).

#include <wx/dialog.h>
#include <wx/weakref.h>

#include <memory>
#include <string>

#include "plugin/monitor/core/StockCharts.h"
#include "plugin/view/ChildWindows.h"

class wxNotebook;
class wxButton;
class wxGrid;
namespace orv::ui {
class ChartControl;
}

class CStockChartDlg : public CPelomarChartDialog {
 public:
  explicit CStockChartDlg(CPelomarView& view);
  ~CStockChartDlg() override;

  bool CreateFromTemplate(int templateId, wxWindow* parent) override;
  void SetOwnerWnd(wxWindow* owner, bool modal) override {}
  void ShowDialog(wxWindow* owner, bool modal, bool reload, int tab) override;
  void HideDialog() override;
  void CenterWindow() override;
  void ShowWindow(bool show) override;

  void SetStock(uint8_t market, const std::wstring& code) override;
  void SetChartData(std::shared_ptr<const StockChartSnapshot_s> chart) override;
  int LoadChartData() override;

  wxDialog* Window() const { return dialog_.get(); }
  orv::ui::ChartControl* DayChart() const { return dayChart_; }
  orv::ui::ChartControl* MinuteChart() const { return minuteChart_; }
  const CStockChartSet& Charts() const { return charts_; }

 private:
  void LayOut(int width, int height);
  // The "Refresh" button: the engine is asked for the stock's bars again.
  void Refresh();

  CPelomarView& view_;
  uint8_t market_ = 0;
  std::wstring code_;
  std::shared_ptr<const StockChartSnapshot_s> stock_;
  CStockChartSet charts_;
  // Cleared when the window goes first (with its parent); the flag tells the window's handlers
  // that this object is gone.
  wxWeakRef<wxDialog> dialog_;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  wxNotebook* topTabs_ = nullptr;
  wxNotebook* bottomTabs_ = nullptr;
  wxButton* refresh_ = nullptr;
  orv::ui::ChartControl* dayChart_ = nullptr;
  orv::ui::ChartControl* minuteChart_ = nullptr;
  wxGrid* dayData_ = nullptr;
};

#include "platform/ui/ReportGridWindow.h"

#include <wx/grid.h>
#include <wx/renderer.h>
#include <wx/sizer.h>
#include <wx/wx.h>

#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/CellText.h"
#include "platform/ui/IdleWalk.h"
#include "platform/ui/PaintClip.h"
#include "platform/ui/model/ReportCtrl.h"

namespace orv::ui {

namespace {

constexpr int kTreeIndent = 14;
constexpr int kCheckSize = 14;
// Room beside a header text inside its column, and beside an in-cell button's caption.
constexpr int kHeaderPadding = 10;
constexpr int kButtonPadding = 8;
// Rows fitted when the rows change before the grid knows which rows are on screen.
constexpr int kRowsFittedFirst = 40;

wxColour ToColour(COLORREF c) { return wxColour(GetRValue(c), GetGValue(c), GetBValue(c)); }

// Rows of the body (shown rows) or of the footer.
class ReportTable : public wxGridTableBase {
 public:
  ReportTable(CMyReportCtrl* model, bool footer) : model_(model), footer_(footer) {}

  void Detach() { model_ = nullptr; }
  CMyReportCtrl* Model() const { return model_; }
  bool IsFooter() const { return footer_; }

  CMyReportRecordBase* Record(int row) const {
    if (!model_) return nullptr;
    return footer_ ? model_->GetFooterRecord(row) : model_->GetRowRecord(row);
  }
  CMyReportRecordItem* Item(int row, int col) const {
    CMyReportRecordBase* rec = Record(row);
    const ReportColumn* column = model_ ? model_->GetColumn(col) : nullptr;
    return rec && column ? rec->GetItem(column->itemIndex) : nullptr;
  }

  int GetNumberRows() override {
    if (!model_) return 0;
    return footer_ ? model_->GetFooterRecordCount() : model_->GetRowCount();
  }
  int GetNumberCols() override { return model_ ? model_->GetColumnCount() : 0; }
  bool IsEmptyCell(int, int) override { return false; }

  wxString GetValue(int row, int col) override {
    CMyReportRecordItem* item = Item(row, col);
    if (!item) return wxString();
    const ReportColumn* column = model_->GetColumn(col);
    return wxString(item->GetCaption(&column->editOptions.constraints));
  }
  void SetValue(int row, int col, const wxString& value) override {
    if (model_ && !footer_) model_->OnCommitEdit(row, col, value.ToStdWstring());
  }
  // A check cell's state is its value as a bool (its text is only the caption beside the box).
  bool CanGetValueAs(int row, int col, const wxString& typeName) override {
    if (typeName == wxGRID_VALUE_BOOL) {
      const CMyReportRecordItem* item = Item(row, col);
      return item && item->Kind() == ReportItemKind::Check;
    }
    return typeName == wxGRID_VALUE_STRING;
  }
  bool GetValueAsBool(int row, int col) override {
    const CMyReportRecordItem* item = Item(row, col);
    return item && item->Kind() == ReportItemKind::Check &&
           static_cast<const CMyReportRecordItemCheck*>(item)->checked;
  }
  wxString GetColLabelValue(int col) override {
    const ReportColumn* column = model_ ? model_->GetColumn(col) : nullptr;
    if (!column) return wxString();
    wxString label(column->spec.title);
    if (!footer_ && model_->GetSortColumn() == col)
      label += model_->IsSortAscending() ? wxString(L" \u25B2") : wxString(L" \u25BC");
    return label;
  }

  bool CanHaveAttributes() override { return true; }
  wxGridCellAttr* GetAttr(int row, int col, wxGridCellAttr::wxAttrKind) override;

  // Takes one reference of the renderer, released with the table.
  void SetRenderer(wxGridCellRenderer* r) {
    if (renderer_) renderer_->DecRef();
    renderer_ = r;
  }
  // Destroys the drop-down controls of the option editors while their grid still exists.
  void DestroyEditorControls(wxGrid* grid) {
    for (auto* a : optionAttrs_)
      if (a && a->HasEditor()) a->GetEditorPtr(grid, 0, 0)->Destroy();
  }
  void ResetEditors() {
    for (auto* a : optionAttrs_)
      if (a) a->DecRef();
    optionAttrs_.clear();
  }
  ~ReportTable() override {
    ResetEditors();
    if (readOnly_) readOnly_->DecRef();
    if (editable_) editable_->DecRef();
    if (renderer_) renderer_->DecRef();
  }

 private:
  wxGridCellAttr* MakeAttr(bool readOnly) {
    auto* attr = new wxGridCellAttr;
    renderer_->IncRef();
    attr->SetRenderer(renderer_);
    attr->SetReadOnly(readOnly);
    return attr;
  }

  CMyReportCtrl* model_;
  bool footer_;
  wxGridCellRenderer* renderer_ = nullptr;
  wxGridCellAttr* readOnly_ = nullptr;
  wxGridCellAttr* editable_ = nullptr;
  std::vector<wxGridCellAttr*> optionAttrs_;  // per column, built on first use
};

wxGridCellAttr* ReportTable::GetAttr(int row, int col, wxGridCellAttr::wxAttrKind) {
  if (!readOnly_) readOnly_ = MakeAttr(true);
  if (!editable_) editable_ = MakeAttr(false);
  // The grid asks every row's attributes (freezing columns checks each row's cell spans): a
  // row whose items are not made yet lends the cell rather than making them all.
  const ReportColumn* column = model_ ? model_->GetColumn(col) : nullptr;
  CMyReportRecordBase* rec = Record(row);
  std::unique_ptr<CMyReportRecordItem> lent;
  const CMyReportRecordItem* item =
      rec && column ? rec->PeekItem(column->itemIndex, &lent) : nullptr;
  wxGridCellAttr* attr = readOnly_;
  if (item && column && !footer_ && item->editable && column->editable &&
      item->Kind() != ReportItemKind::Check) {
    attr = editable_;
    if (item->Kind() == ReportItemKind::Options) {
      if (optionAttrs_.size() <= static_cast<size_t>(col)) optionAttrs_.resize(col + 1, nullptr);
      wxGridCellAttr*& slot = optionAttrs_[static_cast<size_t>(col)];
      if (!slot) {
        wxArrayString labels;
        for (const auto& e : column->editOptions.constraints.Entries())
          labels.Add(wxString(e.label));
        slot = MakeAttr(false);
        slot->SetEditor(new wxGridCellChoiceEditor(labels, column->editOptions.allowEdit));
      }
      attr = slot;
    }
  }
  attr->IncRef();
  return attr;
}

// Draws one cell: background, tree button, check box, text and in-cell buttons.
class ReportCellRenderer : public wxGridCellRenderer {
 public:
  void Draw(wxGrid& grid, wxGridCellAttr&, wxDC& dc, const wxRect& rect, int row, int col,
            bool) override {
    // A cell inside the paint's bounding box but outside what was invalidated stays as it is
    // on screen: drawing it would only be clipped away.
    if (!RectInPaintClip(dc, rect)) return;
    auto* table = static_cast<ReportTable*>(grid.GetTable());
    CMyReportCtrl* model = table->Model();
    CMyReportRecordBase* rec = table->Record(row);
    CMyReportRecordItem* item = table->Item(row, col);
    const ReportColumn* column = model ? model->GetColumn(col) : nullptr;

    wxColour back = table->IsFooter() ? wxColour(236, 236, 236) : *wxWHITE;
    if (item && item->backColor != kColorNone) back = ToColour(item->backColor);
    if (rec && rec->IsSelected()) back = wxColour(204, 232, 255);
    dc.SetBrush(wxBrush(back));
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.DrawRectangle(rect);
    if (!item || !column) return;

    wxRect r = rect;
    r.Deflate(2, 0);
    if (column->spec.treeColumn && !table->IsFooter()) {
      r.x += kTreeIndent * rec->GetDepth();
      r.width -= kTreeIndent * rec->GetDepth();
      if (rec->GetChildCount() > 0) {
        wxRect b(r.x, r.y + (r.height - 10) / 2, 10, 10);
        wxRendererNative::Get().DrawTreeItemButton(&grid, dc, b,
                                                   rec->IsExpanded() ? wxCONTROL_EXPANDED : 0);
      }
      r.x += kTreeIndent;
      r.width -= kTreeIndent;
    }

    const int buttonsWidth = CellButtonsWidth(*item);
    wxRect text = r;
    text.width = std::max(0, rect.GetRight() + 1 - buttonsWidth - text.x - 2);

    dc.SetFont(table->IsFooter() ? grid.GetDefaultCellFont().Bold() : grid.GetDefaultCellFont());
    dc.SetTextForeground(item->textColor != kColorNone ? ToColour(item->textColor) : *wxBLACK);
    if (item->Kind() == ReportItemKind::Check) {
      auto* check = static_cast<CMyReportRecordItemCheck*>(item);
      wxRect box(text.x + std::max(0, (text.width - kCheckSize) / 2),
                 text.y + (text.height - kCheckSize) / 2, kCheckSize, kCheckSize);
      if (!check->caption.empty()) box.x = text.x;
      wxRendererNative::Get().DrawCheckBox(&grid, dc, box, check->checked ? wxCONTROL_CHECKED : 0);
      if (!check->caption.empty()) {
        wxRect t = text;
        t.x += kCheckSize + 3;
        t.width -= kCheckSize + 3;
        texts_.DrawLabel(dc, check->caption, t, wxALIGN_LEFT | wxALIGN_CENTER_VERTICAL);
      }
    } else {
      int align = wxALIGN_LEFT;
      if (column->spec.alignRight || item->Kind() == ReportItemKind::Number) align = wxALIGN_RIGHT;
      if (column->spec.alignCenter) align = wxALIGN_CENTER_HORIZONTAL;
      texts_.DrawClippedLabel(dc, item->GetCaption(&column->editOptions.constraints), text,
                              align | wxALIGN_CENTER_VERTICAL);
    }

    if (item->frameColor != kColorNone) {
      dc.SetPen(wxPen(ToColour(item->frameColor)));
      dc.SetBrush(*wxTRANSPARENT_BRUSH);
      dc.DrawRectangle(rect);
    }
    for (size_t i = 0; i < item->buttons.size(); ++i) {
      const ReportCellButton& b = item->buttons[i];
      wxRect br(rect.x + CellButtonLeft(*item, rect.width, i), rect.y + 1, b.width,
                rect.height - 2);
      wxRendererNative::Get().DrawPushButton(&grid, dc, br, b.state == 0 ? wxCONTROL_DISABLED : 0);
      dc.SetTextForeground(b.state == 0 ? *wxLIGHT_GREY : *wxBLACK);
      texts_.DrawClippedLabel(dc, b.caption, br, wxALIGN_CENTER);
    }
  }

  wxSize GetBestSize(wxGrid& grid, wxGridCellAttr&, wxDC& dc, int row, int col) override {
    auto* table = static_cast<ReportTable*>(grid.GetTable());
    wxCoord w = 0, h = 0;
    dc.GetTextExtent(table->GetValue(row, col), &w, &h);
    CMyReportRecordItem* item = table->Item(row, col);
    return wxSize(w + 6 + (item ? CellButtonsWidth(*item) : 0), h + 4);
  }

  wxGridCellRenderer* Clone() const override { return new ReportCellRenderer; }

 private:
  CellTexts texts_;  // the sizes of the texts drawn, in the paint DCs' fonts
};

}  // namespace

class ReportGridPanel : public wxPanel, public IReportView {
 public:
  ReportGridPanel(CMyReportCtrl& model, wxWindow* parent, int id)
      : wxPanel(parent, id), model_(&model), handle_(this) {
    body_ = new wxGrid(this, wxID_ANY);
    footer_ = new wxGrid(this, wxID_ANY);
    bodyTable_ = new ReportTable(model_, false);
    footerTable_ = new ReportTable(model_, true);
    auto* renderer = new ReportCellRenderer;
    bodyTable_->SetRenderer(renderer);
    footerTable_->SetRenderer(renderer);  // the tables hold one reference each
    renderer->IncRef();
    body_->SetTable(bodyTable_, true, wxGrid::wxGridSelectRows);
    footer_->SetTable(footerTable_, true, wxGrid::wxGridSelectRows);
    for (wxGrid* g : {body_, footer_}) {
      g->SetRowLabelSize(0);
      g->EnableDragRowSize(false);
      g->DisableDragColMove();
      // Rows hold a line of the cell font whole, however large the desktop draws its text.
      wxClientDC dc(g->GetGridWindow());
      dc.SetFont(g->GetDefaultCellFont());
      g->SetDefaultRowSize(std::max(22, dc.GetCharHeight() + 6), true);
      g->SetCellHighlightPenWidth(0);
      g->SetCellHighlightROPenWidth(0);
    }
    footer_->SetColLabelSize(0);
    footer_->EnableEditing(false);
    footer_->ShowScrollbars(wxSHOW_SB_NEVER, wxSHOW_SB_NEVER);

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(body_, 1, wxEXPAND);
    sizer->Add(footer_, 0, wxEXPAND);
    SetSizer(sizer);

    for (wxWindow* w : {body_->GetGridWindow(), body_->GetFrozenColGridWindow()}) {
      if (w) w->Bind(wxEVT_LEFT_DOWN, &ReportGridPanel::OnLeftDown, this);
    }
    body_->Bind(wxEVT_GRID_CELL_LEFT_DCLICK, &ReportGridPanel::OnDoubleClick, this);
    body_->Bind(wxEVT_GRID_CELL_RIGHT_CLICK, &ReportGridPanel::OnRightClick, this);
    body_->Bind(wxEVT_GRID_LABEL_LEFT_CLICK, &ReportGridPanel::OnLabelClick, this);
    body_->Bind(wxEVT_GRID_LABEL_RIGHT_CLICK, &ReportGridPanel::OnLabelRightClick, this);
    body_->Bind(wxEVT_GRID_COL_SIZE, &ReportGridPanel::OnColSize, this);
    body_->Bind(wxEVT_GRID_SELECT_CELL, &ReportGridPanel::OnSelectCell, this);
    body_->Bind(wxEVT_GRID_EDITOR_SHOWN, &ReportGridPanel::OnEditorShown, this);
    SetExtraStyle(GetExtraStyle() | wxWS_EX_PROCESS_IDLE);  // where idle goes only on request
    Bind(wxEVT_IDLE, &ReportGridPanel::OnIdle, this);

    model_->SetView(this);
    OnColumnsChanged();
    OnRowsChanged();
  }

  ~ReportGridPanel() override {
    // The model is let go by ~IReportView.
    body_->HideCellEditControl();
    bodyTable_->DestroyEditorControls(body_);
  }

  ReportGridWindow* Handle() { return &handle_; }
  wxGrid* Body() const { return body_; }
  wxGrid* Footer() const { return footer_; }
  CMyReportCtrl* Model() const { return model_; }
  int LastRepaintCount() const { return lastRepaint_; }

  // ---- IReportView
  void OnColumnsChanged() override {
    if (!model_) return;
    for (ReportTable* t : {bodyTable_, footerTable_}) t->ResetEditors();
    SyncCount(body_, true);
    SyncCount(footer_, true);
    const int n = model_->GetColumnCount();
    // A shown column is never narrower than its header text in the header's font.
    wxClientDC dc(body_->GetGridColLabelWindow());
    dc.SetFont(body_->GetLabelFont());
    for (wxGrid* g : {body_, footer_}) {
      g->BeginBatch();
      for (int c = 0; c < n && c < g->GetNumberCols(); ++c) {
        const ReportColumn* col = model_->GetColumn(c);
        if (col->visible && col->width > 0) {
          const int header =
              col->spec.title.empty() ? 0 : dc.GetTextExtent(wxString(col->spec.title)).x;
          int width = std::max(col->width, header + kHeaderPadding);
          if (static_cast<size_t>(c) < fitted_.size()) width = std::max(width, fitted_[c]);
          g->SetColSize(c, width);
        } else {
          g->HideCol(c);
        }
      }
      int frozen = std::min(model_->GetFrozenColumns(), g->GetNumberCols());
      if (g->GetNumberFrozenCols() != frozen) g->FreezeTo(0, frozen);
      g->EndBatch();
    }
    body_->ForceRefresh();
    footer_->ForceRefresh();
  }

  void OnRowsChanged() override {
    if (!model_) return;
    SyncCount(body_, false);
    SyncCount(footer_, false);
    const int footers = model_->GetFooterRecordCount();
    const bool show = footers > 0;
    footer_->SetMinSize(wxSize(-1, show ? footers * footer_->GetDefaultRowSize() + 2 : 0));
    footer_->Show(show);
    Layout();
    model_->TakeFootersChanged();
    // The rows on screen (or the first ones before the grid has a size) and the footer rows.
    int first = 0, last = -1;
    VisibleRows(&first, &last);
    last = std::max(last, std::min(model_->GetRowCount(), kRowsFittedFirst) - 1);
    std::vector<int> rows;
    for (int row = std::max(first, 0); row <= last; ++row) rows.push_back(row);
    FitColumnsToRows(bodyTable_, rows);
    FitFooterColumns();
    body_->ForceRefresh();
    footer_->ForceRefresh();
  }

  void OnRedrawRequested() override {
    if (redrawPending_) return;
    redrawPending_ = true;
    CallAfter([this] {
      redrawPending_ = false;
      // A redraw that found nothing changed leaves nothing for an idle pass.
      if (!RefreshChanged()) ProgramIdleGate().Unchanged();
    });
  }

  void OnModelDetached() override {
    model_ = nullptr;
    bodyTable_->Detach();
    footerTable_->Detach();
    SyncCount(body_, false);
    SyncCount(footer_, false);
  }

  void VisibleRows(int* first, int* last) const {
    *first = 0;
    *last = -1;
    if (!model_ || model_->GetRowCount() == 0) return;
    int x0 = 0, y0 = 0;
    body_->CalcUnscrolledPosition(0, 0, &x0, &y0);
    const int h = body_->GetGridWindow()->GetClientSize().y;
    *first = body_->YToRow(y0, true);
    *last = body_->YToRow(y0 + std::max(h - 1, 0), true);
  }

  // Repaints the changed cells of the rows on screen and the footer; false when nothing changed.
  bool RefreshChanged() {
    lastRepaint_ = 0;
    if (!model_) return false;
    int first = 0, last = -1;
    VisibleRows(&first, &last);
    const int cols = body_->GetNumberCols();
    // Only the cells whose item changed are measured and repainted; a row changed as a whole
    // (selection, an edit) is repainted whole.
    const std::vector<std::pair<int, int>> changed = model_->TakeChangedCells(first, last);
    std::vector<std::pair<int, int>> cells;  // (row, column)
    cells.reserve(changed.size());
    if (!changed.empty()) MapItemsToColumns();
    for (const auto& [row, item] : changed) {
      if (item < 0) {
        for (int c = 0; c < cols; ++c) cells.emplace_back(row, c);
      } else if (static_cast<size_t>(item) < itemColumns_.size()) {
        for (int c : itemColumns_[static_cast<size_t>(item)])
          if (c < cols) cells.emplace_back(row, c);
      }
    }
    FitColumnsToCells(bodyTable_, cells);
    std::sort(cells.begin(), cells.end());
    cells.erase(std::unique(cells.begin(), cells.end()), cells.end());
    RefreshCells(cells);
    if (model_->TakeFootersChanged()) {
      FitFooterColumns();
      footer_->ForceRefresh();
      return true;
    }
    return !changed.empty();
  }

  // Invalidates the shown cells of the sorted (row, column) list, each run of a row's changed
  // columns (with only hidden columns between them) as one rectangle, and such runs alike in
  // consecutive rows as one block: the toolkit takes fewer and larger rectangles to repaint,
  // and repaints the same cells. A run stops where the frozen columns end, as they are drawn
  // by a window of their own.
  void RefreshCells(const std::vector<std::pair<int, int>>& cells) {
    const int frozen = body_->GetNumberFrozenCols();
    std::vector<std::pair<int, int>> open, runs;  // (first, last column) of the rows so far
    int top = -1, bottom = -1;
    auto flush = [&] {
      for (const auto& [left, right] : open) body_->RefreshBlock(top, left, bottom, right);
      open.clear();
    };
    for (size_t i = 0; i < cells.size();) {
      const int row = cells[i].first;
      runs.clear();
      for (; i < cells.size() && cells[i].first == row; ++i) {
        const int c = cells[i].second;
        if (!body_->IsColShown(c)) continue;
        if (!runs.empty() && (runs.back().second < frozen) == (c < frozen)) {
          int between = runs.back().second + 1;
          while (between < c && !body_->IsColShown(between)) ++between;
          if (between == c) {
            runs.back().second = c;
            continue;
          }
        }
        runs.emplace_back(c, c);
      }
      if (runs.empty()) continue;
      ++lastRepaint_;
      if (row == bottom + 1 && runs == open) {
        bottom = row;
        continue;
      }
      flush();
      open = runs;
      top = bottom = row;
    }
    flush();
  }

  // Per item: the shown columns drawing it.
  void MapItemsToColumns() {
    itemColumns_.clear();
    const int n = model_->GetColumnCount();
    for (int c = 0; c < n; ++c) {
      const ReportColumn* column = model_->GetColumn(c);
      if (!column->visible || column->itemIndex < 0) continue;
      const auto item = static_cast<size_t>(column->itemIndex);
      if (itemColumns_.size() <= item) itemColumns_.resize(item + 1);
      itemColumns_[item].push_back(c);
    }
  }

  // FitColumnsToCells over every column of the rows.
  void FitColumnsToRows(ReportTable* table, const std::vector<int>& rows) {
    if (!model_ || rows.empty()) return;
    const int n = std::min(model_->GetColumnCount(), body_->GetNumberCols());
    std::vector<std::pair<int, int>> cells;
    cells.reserve(rows.size() * static_cast<size_t>(std::max(n, 0)));
    for (int row : rows)
      for (int c = 0; c < n; ++c) cells.emplace_back(row, c);
    FitColumnsToCells(table, cells);
  }

  // Widens in-cell buttons to their captions and shown columns to the texts of the given
  // (row, column) cells (in the fonts they are drawn in), so that no text on screen is cut;
  // columns only grow.
  void FitColumnsToCells(ReportTable* table, const std::vector<std::pair<int, int>>& cells) {
    if (!model_ || cells.empty()) return;
    wxClientDC dc(body_->GetGridWindow());
    dc.SetFont(table->IsFooter() ? body_->GetDefaultCellFont().Bold()
                                 : body_->GetDefaultCellFont());
    const int n = std::min(model_->GetColumnCount(), body_->GetNumberCols());
    if (fitted_.size() < static_cast<size_t>(n)) fitted_.resize(static_cast<size_t>(n), 0);
    std::vector<int> need(static_cast<size_t>(std::max(n, 0)), 0);
    for (const auto& [row, c] : cells) {
      if (c < 0 || c >= n) continue;
      const ReportColumn* column = model_->GetColumn(c);
      if (!column->visible || column->width <= 0) continue;
      CMyReportRecordBase* rec = table->Record(row);
      CMyReportRecordItem* item = table->Item(row, c);
      if (!rec || !item) continue;
      for (ReportCellButton& b : item->buttons)
        b.width = std::max(b.width, fitTexts_.Extent(dc, b.caption).x + kButtonPadding);
      int text = 0;
      if (item->Kind() == ReportItemKind::Check) {
        auto* check = static_cast<CMyReportRecordItemCheck*>(item);
        text =
            kCheckSize + (check->caption.empty() ? 0 : 3 + fitTexts_.Extent(dc, check->caption).x);
      } else {
        const std::wstring caption = item->GetCaption(&column->editOptions.constraints);
        if (!caption.empty()) text = fitTexts_.Extent(dc, caption).x;
      }
      int indent = 0;
      if (column->spec.treeColumn && !table->IsFooter())
        indent = kTreeIndent * (rec->GetDepth() + 1);
      // The drawing leaves 2 pixels each side and 2 before the buttons.
      int& w = need[static_cast<size_t>(c)];
      w = std::max(w, indent + text + CellButtonsWidth(*item) + 6);
    }
    for (int c = 0; c < n; ++c) {
      const int w = need[static_cast<size_t>(c)];
      if (w <= fitted_[static_cast<size_t>(c)]) continue;
      fitted_[static_cast<size_t>(c)] = w;
      if (body_->GetColSize(c) < w) {
        body_->SetColSize(c, w);
        if (c < footer_->GetNumberCols()) footer_->SetColSize(c, w);
      }
    }
  }

  void FitFooterColumns() {
    std::vector<int> rows;
    for (int i = 0; i < model_->GetFooterRecordCount(); ++i) rows.push_back(i);
    FitColumnsToRows(footerTable_, rows);
  }

  bool ClickCell(int row, int col, int xInCell) {
    if (!model_) return false;
    CMyReportRecordBase* rec = model_->GetRowRecord(row);
    CMyReportRecordItem* item = model_->GetCell(row, col);
    const ReportColumn* column = model_->GetColumn(col);
    if (!rec || !column) return false;
    const int width = body_->GetColSize(col);
    if (column->spec.treeColumn && rec->GetChildCount() > 0) {
      int left = 2 + kTreeIndent * rec->GetDepth();
      if (xInCell >= left && xInCell < left + kTreeIndent) {
        model_->OnToggleExpand(row);
        return true;
      }
    }
    if (!item) return false;
    int b = HitTestCellButton(*item, width, xInCell);
    if (b >= 0) {
      model_->OnCellButton(row, col, b);
      return true;
    }
    if (item->Kind() == ReportItemKind::Check && xInCell < width - CellButtonsWidth(*item)) {
      model_->OnToggleCheck(row, col);
      return true;
    }
    return false;
  }

 private:
  void SyncCount(wxGrid* g, bool columns) {
    auto* table = static_cast<ReportTable*>(g->GetTable());
    const int want = columns ? table->GetNumberCols() : table->GetNumberRows();
    const int have = columns ? g->GetNumberCols() : g->GetNumberRows();
    if (want == have) return;
    if (want > have) {
      wxGridTableMessage msg(
          table, columns ? wxGRIDTABLE_NOTIFY_COLS_APPENDED : wxGRIDTABLE_NOTIFY_ROWS_APPENDED,
          want - have);
      g->ProcessTableMessage(msg);
    } else {
      wxGridTableMessage msg(
          table, columns ? wxGRIDTABLE_NOTIFY_COLS_DELETED : wxGRIDTABLE_NOTIFY_ROWS_DELETED, want,
          have - want);
      g->ProcessTableMessage(msg);
    }
  }

  POINT ClientPoint(const wxGridEvent& e) const {
    return POINT{static_cast<LONG>(e.GetPosition().x), static_cast<LONG>(e.GetPosition().y)};
  }

  void OnLeftDown(wxMouseEvent& e) {
    auto* w = static_cast<wxWindow*>(e.GetEventObject());
    int x = 0, y = 0;
    body_->CalcUnscrolledPosition(e.GetX(), e.GetY(), &x, &y);
    if (w == body_->GetFrozenColGridWindow()) {
      x = e.GetX();
    } else {
      for (int c = 0; c < body_->GetNumberFrozenCols(); ++c) x += body_->GetColSize(c);
    }
    const int row = body_->YToRow(y);
    const int col = body_->XToCol(x);
    if (row >= 0 && col >= 0 && ClickCell(row, col, x - body_->CellToRect(row, col).x)) {
      body_->SetGridCursor(row, col);
      return;  // consumed: no editor for a button or check click
    }
    e.Skip();
  }

  void OnDoubleClick(wxGridEvent& e) {
    if (model_) model_->OnDoubleClick(e.GetRow(), e.GetCol(), ClientPoint(e));
    e.Skip();
  }
  void OnRightClick(wxGridEvent& e) {
    if (model_) model_->OnRightClick(e.GetRow(), e.GetCol(), ClientPoint(e));
  }
  void OnLabelClick(wxGridEvent& e) {
    if (model_ && e.GetCol() >= 0 && e.GetRow() < 0) {
      model_->OnHeaderClick(e.GetCol());
      body_->GetGridColLabelWindow()->Refresh();
      return;
    }
    e.Skip();
  }
  void OnLabelRightClick(wxGridEvent& e) {
    if (model_ && e.GetCol() >= 0) model_->OnHeaderRightClick(e.GetCol(), ClientPoint(e));
  }
  void OnColSize(wxGridSizeEvent& e) {
    const int col = e.GetRowOrCol();
    if (model_) model_->OnColumnResized(col, body_->GetColSize(col));
    if (col < footer_->GetNumberCols()) footer_->SetColSize(col, body_->GetColSize(col));
    footer_->ForceRefresh();
  }
  void OnSelectCell(wxGridEvent& e) {
    if (model_ && e.Selecting() && e.GetRow() != model_->GetFocusedRow()) {
      model_->SelectRow(e.GetRow(), e.ControlDown());
      body_->Refresh();
    }
    e.Skip();
  }
  void OnEditorShown(wxGridEvent& e) {
    if (!model_ || !model_->OnRequestEdit(e.GetRow(), e.GetCol())) {
      e.Veto();
      return;
    }
    e.Skip();
  }
  void OnIdle(wxIdleEvent& e) {
    // Freezing fails while the grid has no size yet; try again once it has one.
    if (model_ && body_->GetNumberFrozenCols() != model_->GetFrozenColumns() &&
        body_->GetClientSize().x > 0) {
      const int frozen = std::min(model_->GetFrozenColumns(), body_->GetNumberCols());
      body_->FreezeTo(0, frozen);
      footer_->FreezeTo(0, std::min(frozen, footer_->GetNumberCols()));
    }
    // The footer follows the body's horizontal scrolling.
    int bx = 0, by = 0, fx = 0, fy = 0;
    body_->GetViewStart(&bx, &by);
    footer_->GetViewStart(&fx, &fy);
    if (bx != fx && footer_->IsShown()) footer_->Scroll(bx, 0);
    e.Skip();
  }

  CMyReportCtrl* model_;
  ReportGridWindow handle_;
  wxGrid* body_ = nullptr;
  wxGrid* footer_ = nullptr;
  ReportTable* bodyTable_ = nullptr;
  ReportTable* footerTable_ = nullptr;
  bool redrawPending_ = false;
  int lastRepaint_ = 0;
  // Per column: the width the texts shown so far need (columns never shrink below it).
  std::vector<int> fitted_;
  CellTexts fitTexts_;  // the sizes of the texts fitted, in the fit DC's fonts
  std::vector<std::vector<int>> itemColumns_;  // per item, the shown columns drawing it
};

ReportGridWindow* ReportGridWindow::Create(CMyReportCtrl& model, wxWindow* parent, int id) {
  return (new ReportGridPanel(model, parent, id))->Handle();
}

wxWindow* ReportGridWindow::GetWindow() const { return panel_; }
wxGrid* ReportGridWindow::GetBodyGrid() const { return panel_->Body(); }
wxGrid* ReportGridWindow::GetFooterGrid() const { return panel_->Footer(); }
CMyReportCtrl* ReportGridWindow::GetModel() const { return panel_->Model(); }
void ReportGridWindow::GetVisibleRows(int* first, int* last) const {
  panel_->VisibleRows(first, last);
}
void ReportGridWindow::RefreshChangedRows() { panel_->RefreshChanged(); }
int ReportGridWindow::GetLastRepaintCount() const { return panel_->LastRepaintCount(); }
bool ReportGridWindow::ClickCell(int row, int column, int xInCell) {
  return panel_->ClickCell(row, column, xInCell);
}

ReportGridWindow* GfxInitReportCtrl2(CMyReportCtrl& model, wxWindow* parent, int id,
                                     std::wstring_view layout, wchar_t sep) {
  if (model.InitColumns(layout, sep) < 0) return nullptr;
  model.SetCtrlId(id);
  return ReportGridWindow::Create(model, parent, id);
}

ReportGridWindow* GfxInitReportCtrl4(CMyReportCtrl& model, wxWindow* parent, int id,
                                     uint32_t style, std::wstring_view layout, wchar_t sep) {
  ReportGridWindow* grid = GfxInitReportCtrl2(model, parent, id, layout, sep);
  if (!grid) return nullptr;
  wxWindow* window = grid->GetWindow();
  if (style & WS_BORDER)
    window->SetWindowStyleFlag((window->GetWindowStyleFlag() & ~wxBORDER_MASK) | wxBORDER_SIMPLE);
  window->Show((style & WS_VISIBLE) != 0);
  return grid;
}

}  // namespace orv::ui

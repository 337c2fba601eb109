#pragma once
// The tab strip along the bottom of the main view: one tab per module sub-window, each
// carrying the index of the sub-window it shows. A click selects the tab and reports it.

#include <wx/control.h>
#include <wx/imaglist.h>

#include <functional>
#include <string>
#include <vector>

class CModuleTabStrip : public wxControl {
 public:
  CModuleTabStrip(wxWindow* parent, wxWindowID id);

  void DeleteAllItems();
  // Adds a tab; returns its position.
  int InsertItem(const std::wstring& caption, int image, int data);
  int GetItemCount() const { return static_cast<int>(tabs_.size()); }
  std::wstring GetItemCaption(int tab) const;
  void SetItemCaption(int tab, const std::wstring& caption);
  int GetItemData(int tab) const;
  void SetItemData(int tab, int data);
  int GetCurSel() const { return selected_; }
  // Selects a tab without reporting it.
  void SetCurSel(int tab);
  // Images for the tabs (not owned; may be null).
  void SetImageList(wxImageList* images) { images_ = images; }
  // Height of the strip when shown.
  int GetHeaderHeight() const;
  // Called with the tab the user clicked.
  void SetOnSelect(std::function<void(int tab)> onSelect) { onSelect_ = std::move(onSelect); }
  // The tab under a point of the strip, -1 when none.
  int HitTest(const wxPoint& point) const;

 protected:
  wxSize DoGetBestClientSize() const override;

 private:
  struct Tab {
    std::wstring caption;
    int image = -1;
    int data = 0;
  };
  void OnPaint(wxPaintEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  std::vector<wxRect> TabRects() const;

  std::vector<Tab> tabs_;
  int selected_ = -1;
  wxImageList* images_ = nullptr;
  std::function<void(int)> onSelect_;
};

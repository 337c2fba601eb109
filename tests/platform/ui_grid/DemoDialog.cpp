#include "DemoDialog.h"

#include <memory>

namespace orv::ui::demo {

const wchar_t* const kLayout =
    L":#30;No:-28;구분:c60;자동:-36;종목명:150;현재가:>70;등락:>60;만기일:d80;체크시간:t70;디버그:"
    L"?";

DemoRecord::DemoRecord(int no, int side, bool autoOn, const std::wstring& name, double price,
                       double rate, bool buttons) {
  AddText();
  AddNumber(no);
  AddOptions(side);
  auto* check = AddCheck(autoOn);
  check->backColor = autoOn ? 0x0000FF : 0xE6E022;
  auto* nameItem = AddText(name);
  if (buttons) {
    REPORT_CELL_ADD_BUTTON(nameItem, L"주문/정보", 1, 58);
    REPORT_CELL_ADD_BUTTON(nameItem, L"...", 0, 22);
  }
  auto* priceItem = AddNumber(price, "%.0lf");
  priceItem->backColor = 0xFBF5EB;
  priceItem->frameColor = 0xE0E0E0;
  auto* rateItem = AddNumber(rate, "%.1f%%");
  rateItem->textColor = rate > 0 ? 0x0000FF : (rate < 0 ? 0xFF0000 : 0x000000);
  rateItem->editable = false;
  SYSTEMTIME d{};
  d.wYear = 2025;
  d.wMonth = 6;
  d.wDay = static_cast<WORD>(1 + no % 28);
  AddDate(d);
  SYSTEMTIME t{};
  t.wHour = 9;
  t.wMinute = static_cast<WORD>(no % 60);
  AddTime(t, kTimeFormat);
  AddText(L"hidden");
}

DemoDialog::DemoDialog(wxWindow* parent) {
  Create(parent, L"그리드 데모", 760, 420);
  AddControl(kNameEdit, CtrlKind::Edit, L"삼성전자", RECT{10, 10, 170, 36});
  AddControl(kSideCombo, CtrlKind::ComboList, L"", RECT{180, 10, 300, 36});
  AddControl(kAutoCheck, CtrlKind::CheckBox, L"자동 매매", RECT{310, 10, 420, 36});
  AddControl(kApplyButton, CtrlKind::Button, L"적용", RECT{430, 8, 520, 38});
  FillComboFromOptions(kSideCombo, std::wstring_view(L"1:매수;2:매도;3:매수+매도"), 2);
  OnCommand(kApplyButton, [this] { ++applied; });

  gridWindow = AddReportGrid(kGridId, grid, kLayout, RECT{10, 46, 750, 410});
  grid.GetColumnEditOptions(2)->constraints.Parse(std::wstring_view(L"1:매수;2:매도;3:매수+매도"));
  grid.FreezeColumns(2);
  for (int code : {REPORT_NM_VALUECHANGED, REPORT_NM_CHECKED, REPORT_NM_ITEMBUTTONCLICK, NM_RCLICK,
                   NM_DBLCLK, REPORT_NM_SELCHANGED, REPORT_NM_REQUESTEDIT}) {
    OnGridNotify(kGridId, code, [this](ReportNotify& nm) -> LRESULT {
      notes.push_back(nm);
      return 1;
    });
  }
  const wchar_t* names[] = {L"삼성전자", L"SK하이닉스", L"NAVER", L"카카오", L"현대차"};
  for (int i = 0; i < 5; ++i) {
    grid.AddRecord(new DemoRecord(i + 1, 1 + i % 2, i % 2 == 0, names[i], 70000 + 1234.5 * i,
                                  1.5 - i * 0.8, i != 3));
  }
  auto* top = grid.GetRecord(0);
  top->AddChild(new DemoRecord(11, 1, false, L"  └ 분할 1차", 69000, 0.4, false));
  top->AddChild(new DemoRecord(12, 2, true, L"  └ 분할 2차", 68000, -0.7, false));
  top->SetExpanded(true);
  auto* footer = grid.AddFooterRecord(new DemoRecord(0, 0, false, L"전체", 0, 0, false));
  footer->SetNumberValue(5, 351234);
  grid.Populate();
  SetDialogFont(L"NanumGothic", 10);
}

}  // namespace orv::ui::demo

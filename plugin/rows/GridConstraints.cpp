#include "plugin/rows/GridConstraints.h"

#include <initializer_list>
#include <string>

#include "platform/ui/model/ReportCtrl.h"
#include "plugin/rows/RowItems.h"

using orv::ui::CMyReportCtrl;
using orv::ui::CMyReportRecordBase;
using orv::ui::CReportEditOptions;

namespace {

struct Entry {
  const wchar_t* label;
  int64_t value;
};

// Empties the list, stores the flags and adds the entries; answers the number added.
int Fill(CReportEditOptions* options, BOOL allowEdit, BOOL comboButton,
         std::initializer_list<Entry> entries) {
  if (!options) return 0;
  options->constraints.Clear();
  options->allowEdit = allowEdit != 0;
  options->comboButton = comboButton != 0;
  for (const Entry& e : entries) options->constraints.Add(e.value, e.label);
  return static_cast<int>(entries.size());
}

// The edit options of the column that shows item `itemIndex`, or null.
CReportEditOptions* ColumnOptions(CMyReportCtrl* grid, int itemIndex) {
  if (!grid) return nullptr;
  for (int i = 0; i < grid->GetColumnCount(); ++i) {
    if (grid->GetColumn(i)->itemIndex == itemIndex) return grid->GetColumnEditOptions(i);
  }
  return nullptr;
}


}  // namespace

int GfxFillAlarmConstraints(CReportEditOptions* options, BOOL allowEdit, BOOL comboButton) {
  return Fill(options, allowEdit, comboButton,
              {{L"알람없음", 1}, {L"상승알람", 3}, {L"하락알람", 2}, {L"상승+하락알람", 4}});
}

int GfxFillBrokerConstraints(CReportEditOptions* options, BOOL allowEdit, BOOL comboButton) {
  return Fill(options, allowEdit, comboButton,
              {{L"키움증권", 1},
               {L"LS증권", 2},
               {L"DB증권", 11},
               {L"한국투자증권", 14},
               {L"업비트", 9},
               {L"빗썸", 8}});
}

int GfxFillAlgorithmConstraints(CReportEditOptions* options, BOOL allowEdit, BOOL comboButton) {
  return Fill(options, allowEdit, comboButton, {{L"Envelope-1", 1}, {L"PSAR", 2}});
}

int GfxFillMarketConstraints(CReportEditOptions* options, BOOL allowEdit, BOOL comboButton) {
  // Each value is the market code, the first letter of its label.
  return Fill(options, allowEdit, comboButton,
              {{L"1:코스피", '1'},
               {L"2:코스닥", '2'},
               {L"3:ELW", '3'},
               {L"4:ETN", '4'},
               {L"8:ETF", '8'},
               {L"9:해외선물", '9'},
               {L"D:DOW-JONES", 'D'},
               {L"A:AMEX", 'A'},
               {L"N:NASDAQ", 'N'},
               {L"H:HONGKONG", 'H'},
               {L"b:코인(KRW)", 'b'},
               {L"B:코인(BTC)", 'B'}});
}

int GfxFillNationConstraints(CReportEditOptions* options, BOOL allowEdit, BOOL comboButton) {
  return Fill(options, allowEdit, comboButton,
              {{L"KR", 1},
               {L"US", 2},
               {L"EU", 3},
               {L"CHN", 4},
               {L"JPN", 5},
               {L"KR.COIN", 9},
               {L"KR.COIN2", 10}});
}

int GfxClearConstraints(CReportEditOptions* options, BOOL allowEdit, BOOL comboButton) {
  return Fill(options, allowEdit, comboButton, {});
}

int GfxFillWatchKindConstraints(CReportEditOptions* options, BOOL allowEdit, BOOL comboButton,
                                BOOL simpleList) {
  if (simpleList)
    return Fill(options, allowEdit, comboButton, {{L"", 0}, {L"매수", 1}, {L"매도", 2}});
  return Fill(options, allowEdit, comboButton,
              {{L"", 0},
               {L"매수 희망", 1},
               {L"매도 감시 : 보유 종목", 2},
               {L"매도 감시 : 금일 매수", 20},
               {L"매도 감시(해외) : 해외 종목", 5},
               {L"매도 감시(해외) : 해외 매수", 21},
               {L"주문", 3},
               {L"체결", 4}});
}

int GfxFillBuyStateConstraints(CReportEditOptions* options, BOOL allowEdit, BOOL comboButton) {
  return Fill(options, allowEdit, comboButton, {{L"", 0}, {L"매수 진행중", 1}, {L"완료", 2}});
}

int GfxFillTradeSideConstraints(CReportEditOptions* options, BOOL allowEdit, BOOL comboButton) {
  return Fill(options, allowEdit, comboButton,
              {{L"", 0}, {L"매수", 1}, {L"매도", 2}, {L"매수+매도", 3}});
}

int GfxFillTradeSideConstraints2(CReportEditOptions* options, BOOL allowEdit, BOOL comboButton) {
  return GfxFillTradeSideConstraints(options, allowEdit, comboButton);
}

int GfxFillMemberLevelConstraints(CReportEditOptions* options, BOOL allowEdit, BOOL comboButton) {
  return Fill(options, allowEdit, comboButton,
              {{L"", 0}, {L"1. 현재 회원", 1}, {L"2. 예정 회원", 2}, {L"3. 경과 회원", 4}});
}

int GfxFillSellRatioConstraints(CReportEditOptions* options, BOOL allowEdit, BOOL comboButton) {
  if (!Fill(options, allowEdit, comboButton, {{L"0.전량매도", 100}})) return 0;
  for (int ratio = 95; ratio >= 5; ratio -= 5)
    options->constraints.Add(ratio, std::to_wstring(ratio) + L"%매도");
  return 0;
}

int GfxFillGroupInfoConstraints(CMyReportCtrl* grid, int itemIndex, const GroupInfoMap* accounts,
                                group_info_s** first, uint8_t* out1, uint8_t* out2, uint8_t* out3,
                                BOOL allowEdit, BOOL comboButton) {
  if (first) *first = nullptr;
  uint8_t outByte = 0;
  int count = 0;
  if (CReportEditOptions* options = ColumnOptions(grid, itemIndex)) {
    Fill(options, allowEdit, comboButton, {});
    if (accounts) {
      for (const auto& [label, account] : *accounts) {
        if (!account) continue;
        if (count == 0 && first) *first = account;
        if (count == 1) outByte = static_cast<uint8_t>(account->key & 0xFF);
        options->constraints.Add(account->key, account->label);
        ++count;
      }
    }
  }
  if (out1) *out1 = outByte;
  if (out2) *out2 = outByte;
  if (out3) *out3 = outByte;
  return count;
}

int GfxFillAccountConstraints(CMyReportCtrl* grid, int itemIndex,
                              const std::vector<std::pair<uint32_t, std::wstring>>& accounts,
                              BOOL allowEdit, BOOL comboButton) {
  CReportEditOptions* options = ColumnOptions(grid, itemIndex);
  if (!options) return 0;
  Fill(options, allowEdit, comboButton, {});
  for (const auto& [key, label] : accounts) options->constraints.Add(key, label);
  return static_cast<int>(accounts.size());
}

int GfxFillBrokerConstraintsAt(CMyReportCtrl* grid, int itemIndex, BOOL allowEdit,
                               BOOL comboButton) {
  CReportEditOptions* options = ColumnOptions(grid, itemIndex);
  if (!options) return -1;
  return GfxFillBrokerConstraints(options, allowEdit, comboButton);
}


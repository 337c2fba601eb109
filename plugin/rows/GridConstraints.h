#pragma once
// Option lists of grid columns (value and label pairs behind an option cell's drop-down) shared
// by the trading view, the boards, the monitoring view and the cafe windows.
//
// Every filler empties the list, adds its entries in a fixed order, stores the two edit flags
// (allowEdit: the user may type a value beyond the list; comboButton: the cell shows a drop-down
// button) and answers the number of entries added (the sell-ratio list answers 0). A null list
// answers 0 and changes nothing.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/model/OptionList.h"
#include "platform/win/WinTypes.h"
#include "shared/StockRecords.h"

namespace orv::ui {
class CMyReportCtrl;
}

int GfxFillAlarmConstraints(orv::ui::CReportEditOptions* options, BOOL allowEdit, BOOL comboButton);
int GfxFillBrokerConstraints(orv::ui::CReportEditOptions* options, BOOL allowEdit,
                             BOOL comboButton);
int GfxFillAlgorithmConstraints(orv::ui::CReportEditOptions* options, BOOL allowEdit,
                                BOOL comboButton);
int GfxFillMarketConstraints(orv::ui::CReportEditOptions* options, BOOL allowEdit,
                             BOOL comboButton);
int GfxFillNationConstraints(orv::ui::CReportEditOptions* options, BOOL allowEdit,
                             BOOL comboButton);
int GfxClearConstraints(orv::ui::CReportEditOptions* options, BOOL allowEdit, BOOL comboButton);
// simpleList: the buy/sell form (3 entries) instead of the full watch-kind list (8 entries).
int GfxFillWatchKindConstraints(orv::ui::CReportEditOptions* options, BOOL allowEdit,
                                BOOL comboButton, BOOL simpleList);
int GfxFillBuyStateConstraints(orv::ui::CReportEditOptions* options, BOOL allowEdit,
                               BOOL comboButton);
int GfxFillTradeSideConstraints(orv::ui::CReportEditOptions* options, BOOL allowEdit,
                                BOOL comboButton);
int GfxFillTradeSideConstraints2(orv::ui::CReportEditOptions* options, BOOL allowEdit,
                                 BOOL comboButton);
int GfxFillMemberLevelConstraints(orv::ui::CReportEditOptions* options, BOOL allowEdit,
                                  BOOL comboButton);
// 100 ("0.전량매도") down to 5 in steps of 5 ("95%매도", ...); answers 0.
int GfxFillSellRatioConstraints(orv::ui::CReportEditOptions* options, BOOL allowEdit,
                                BOOL comboButton);

// Fills the option list of the column showing item `itemIndex` with one entry per account of
// `accounts` in map order (label: the account's label, value: its key). *first gets the first
// account (null when none); the three out bytes get the low byte of the second account's key,
// or 0 with fewer than two accounts. Answers the number of entries; 0 without such a column.
int GfxFillGroupInfoConstraints(orv::ui::CMyReportCtrl* grid, int itemIndex,
                                const GroupInfoMap* accounts, group_info_s** first, uint8_t* out1,
                                uint8_t* out2, uint8_t* out3, BOOL allowEdit, BOOL comboButton);

// The same from a copy of the accounts (key, label) in list order; answers the entries.
int GfxFillAccountConstraints(orv::ui::CMyReportCtrl* grid, int itemIndex,
                              const std::vector<std::pair<uint32_t, std::wstring>>& accounts,
                              BOOL allowEdit, BOOL comboButton);

// Fills the column showing item `itemIndex` with the broker list; -1 without such a column.
int GfxFillBrokerConstraintsAt(orv::ui::CMyReportCtrl* grid, int itemIndex, BOOL allowEdit,
                               BOOL comboButton);

#include "plugin/community/CafeGridActions.h"

#include <vector>

#include "platform/support/NumberText.h"
#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "plugin/community/WebText.h"
#include "plugin/rows/CafeStockRecord.h"
#include "shared/StockRecords.h"

using orv::ui::CMyReportCtrl;
using orv::ui::CMyReportRecordBase;
using orv::ui::ReportNotify;

const CafeRecMenuItem_s kCafeRecMenu[7] = {
    {ID_REC_MENU_MSG_OPEN, L"1. 추천(종목 ◎공개) 카톡메시지 생성(Ctrl+V만 하세요)"},
    {ID_REC_MENU_MSG_CLOSED, L"2. 추천(■비공개■) 카톡메시지 생성(Ctrl+V만 하세요)"},
    {ID_REC_MENU_SMS, L"3. 추천 문자(&SMS) 송신 (여러개 선택 권장)"},
    {ID_REC_MENU_STATUS, L"4. 전체 추천현황 카톡메시지 생성"},
    {ID_REC_MENU_WATCH_ON, L"5. 전체 추천 종목, 시세 감시 켜기(ON)"},
    {ID_REC_MENU_BUY, L"&6. 매수 (Buy)"},
    {ID_REC_MENU_INFO, L"&7. 종목 정보 조회 (웹 사이트 이동)"},
};

namespace {

// Columns of a recommended-stock row the handlers read (those CCafeStockRecord does not name).
constexpr int kColElapsed1 = 15;
constexpr int kColTakeProfitRate1 = 18;
constexpr int kColStopLossRate = 21;

constexpr int kKindBuy = 1;
constexpr int kKindSell = 2;
constexpr int kTradeSideBuy = 1;
constexpr int kLinkStockHow = 7712;
constexpr double kMenuBuyQuantity = 1;
constexpr int kReasonEditWidth = 400;
constexpr int kReasonEditHeight = 100;

constexpr const wchar_t* kCertifyTitle = L"추천종목 결과 인증";
constexpr const wchar_t* kCertifyPath = L"stock/cafe_rec_items_result";
// The label before the profit rate of a status entry.
constexpr const wchar_t* kStatusProfitLabel = L"수익률";

int Box(const std::wstring& text, const char* caption, UINT type) {
  return orv::win::MessageBox(WideToUtf8(text), caption, type);
}
void ErrorBox(const std::wstring& text) {
  Box(text, "ERROR", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

// How the composer's prices are entered for the stock (after a sell or rebuy button).
void ShowPriceGuide(const wchar_t* tag, const CafeStockInfo_s& stock, double recPrice) {
  Box(FormatW(L"%ls %ls(%ls)\n상단의 정보창에서 \n익절시에는 가격을 %.0f보다 크게 입력하신후,\n"
              L"손절(Losscut)시에는 가격을 %.0f보다 낮게 입력하신후,\n매도 문자 송신을 눌러주세요.",
              tag, stock.name.c_str(), stock.code.c_str(), recPrice, recPrice),
      "INFORMATION", MB_OK | MB_ICONINFORMATION);
}

int32_t RowNumber(const CMyReportRecordBase& row) {
  const double number = row.GetNumberValue(CCafeStockRecord::kColNo);
  if (number >= 1) return static_cast<int32_t>(number);
  // A row without number counts by its place in the grid.
  return row.GetRowIndex() >= 0 ? row.GetRowIndex() + 1 : 0;
}

}  // namespace

std::wstring MakeCafeOrderResultText(CafeOrderOutcome outcome, const std::wstring& name,
                                     const std::wstring& code, double quantity) {
  const wchar_t* word = outcome == CafeOrderOutcome::kPlaced    ? L"성공"
                        : outcome == CafeOrderOutcome::kUnknown ? L"미확인"
                                                                : L"실패";
  return FormatW(L"주문 결과[%ls] %ls(%ls) %.0f주", word, name.c_str(), code.c_str(), quantity);
}

int CafeRowSlotOfGrid(int ctrlId) {
  return ctrlId == kCafeInterestGridId ? kRowSlotCafeInterest : kRowSlotCellButton;
}

CafeRecRowValues_s ReadCafeRecRow(const CMyReportRecordBase& row) {
  CafeRecRowValues_s v;
  v.recNumber = RowNumber(row);
  v.nation = static_cast<int32_t>(row.GetOptionsValue(CCafeStockRecord::kColNation));
  v.code = row.GetTextValue(CCafeStockRecord::kColCode);
  v.tradeSide = static_cast<int32_t>(row.GetOptionsValue(CCafeStockRecord::kColTradeSide));
  v.interest = row.GetCheckValue(CCafeStockRecord::kColInterest);
  v.recPrice = row.GetNumberValue(CCafeStockRecord::kColRecPrice);
  v.profit = row.GetNumberValue(CCafeStockRecord::kColProfit);
  v.elapsed1 = static_cast<int32_t>(row.GetNumberValue(kColElapsed1));
  v.takeProfitRate1 = row.GetNumberValue(kColTakeProfitRate1);
  v.lowestTakeProfitPrice = row.GetNumberValue(CCafeStockRecord::kColLowestTakeProfit);
  v.stopLossRate = row.GetNumberValue(kColStopLossRate);
  v.stopLossPrice = row.GetNumberValue(CCafeStockRecord::kColStopLossPrice);
  v.buyReason = row.GetTextValue(CCafeStockRecord::kColBuyReason);
  v.approval = static_cast<int32_t>(row.GetNumberValue(CCafeStockRecord::kColApproval));
  return v;
}

std::wstring MakeCafeRecStatusText(const std::vector<CMyReportRecordBase*>& rows,
                                   ICafeGridHost& host, const std::wstring& footer) {
  std::wstring text = L"추천종목 현황\n";
  int count = 0;
  for (CMyReportRecordBase* row : rows) {
    if (!row) continue;
    const CafeRecRowValues_s v = ReadCafeRecRow(*row);
    CafeStockInfo_s stock;
    if (!host.FindStockByCode(static_cast<uint8_t>(v.nation), v.code, &stock)) continue;
    if (v.tradeSide != kTradeSideBuy) continue;
    ++count;
    text += FormatW(
        L"▶종목 %d : %ls(%ls)\n◈현재가 : %ls원 (%ls : %.1f%%)\n♥추천가 : %ls원(최저익절:%.1f%% / "
        L"손절: %.1f%%)\n\n",
        count, stock.name.c_str(), stock.code.c_str(), StrFormatNumber2(stock.curPrice, 0).c_str(),
        kStatusProfitLabel, v.profit, StrFormatNumber2(v.recPrice, 0).c_str(), v.takeProfitRate1,
        v.stopLossRate);
  }
  if (count == 0) return std::wstring();
  return text + L"\n\n" + footer;
}

// ---------------------------------------------------------------------------------------

LRESULT CCafeGridActions::OnGridNotify(ReportNotify& nm) {
  if (nm.ctrlId < kCafeGridActionFirstId || nm.ctrlId > kCafeGridActionLastId) return 0;
  switch (nm.code) {
    case orv::ui::REPORT_NM_ITEMBUTTONCLICK:
      return OnGridButtonClick(nm);
    case orv::ui::REPORT_NM_VALUECHANGED:
      return OnGridValueChanged(nm);
    case orv::ui::NM_RCLICK:
      OnGridRightClick(nm);
      return 0;
    default:
      // Edit requests and the rest keep the grid's defaults.
      return 0;
  }
}

LRESULT CCafeGridActions::OnGridButtonClick(ReportNotify& nm) {
  if (!nm.grid || !nm.record) return 0;
  const int buttonId = nm.column < 0 ? 0 : nm.buttonId;
  if (nm.column == CCafeStockRecord::kColName) {
    OnNameButton(*nm.grid, *nm.record, buttonId);
  } else if (nm.column == CCafeStockRecord::kColBuyReason ||
             nm.column == CCafeStockRecord::kColSellReason) {
    // The reason may be longer than its cell: it is read and edited in a pop-up.
    m_host.ShowCellEditor(*nm.grid, nm.row, nm.column, kReasonEditWidth, kReasonEditHeight);
  }
  return 0;
}

void CCafeGridActions::OnNameButton(CMyReportCtrl& grid, CMyReportRecordBase& row, int buttonId) {
  const CafeRecRowValues_s v = ReadCafeRecRow(row);
  CafeStockInfo_s stock;
  if (!m_host.FindStockByCode(1, v.code, &stock)) return;
  switch (buttonId) {
    case 0:
      m_host.RequestStockSelect(stock.code, 0);
      return;
    case kCafeButtonInfo:
      m_host.SetLinkedStock(stock, kLinkStockHow);
      m_host.RequestStockSelect(stock.code, 0);
      return;
    case kCafeButtonSell: {
      m_host.SetLinkedStock(stock, kLinkStockHow);
      int result = 0;
      if (m_composer)
        result = m_composer->SetRecommendItem(stock, kKindSell, v.recPrice, v.recPrice,
                                              v.lowestTakeProfitPrice, v.stopLossPrice);
      if (!(stock.curPrice > 0)) {
        Box(L"현재 시세가 조회되지 않아서, 시세 요청했습니다.\n잠시후 다시 시도해 주세요.",
            "NOTIFICATION", MB_OK | MB_ICONWARNING);
        return;
      }
      if (!m_composer) return;
      if (result < 0) {
        ErrorBox(FormatW(L"에러(%d)가 발생했습니다.", result));
        return;
      }
      ShowPriceGuide(L"[매도]", stock, v.recPrice);
      return;
    }
    case kCafeButtonRebuy: {
      if (!m_composer) return;
      const int result = m_composer->SetRecommendItem(stock, kKindBuy, v.recPrice, v.recPrice,
                                                      v.lowestTakeProfitPrice, v.stopLossPrice);
      if (result < 1) {
        ErrorBox(L"에러가 발생했습니다.");
        return;
      }
      ShowPriceGuide(L"[재매수 추천]", stock, v.recPrice);
      return;
    }
    case kCafeButtonResult: {
      if (Box(FormatW(L"%ls(을)를 자동매수 목록에서 해제/삭제할까요?", stock.name.c_str()),
              "QUESTION", MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
      m_host.RemoveMyStock(stock.market, stock.code);
      // The row's stock must not keep pointing at the row that goes.
      if (auto* cafeRow = dynamic_cast<CCafeStockRecord*>(&row)) {
        const int slot = CafeRowSlotOfGrid(grid.GetCtrlId());
        if (Stock_s* own = cafeRow->GetStock(); own && own->row_refs[slot] == cafeRow)
          own->row_refs[slot] = nullptr;
        cafeRow->SetStock(nullptr);
      }
      row.SetModified(false);
      grid.RemoveRecord(&row);
      grid.Populate();
      return;
    }
    case kCafeButtonConfirm: {
      const int32_t cafe = m_host.CurrentCafe();
      if (v.recNumber >= 1 && cafe >= 1) {
        m_host.OpenWebPage(kCertifyTitle, kCertifyPath,
                           FormatA("&cafe=%d&rec=%d", cafe, v.recNumber));
      } else {
        ErrorBox(L"추천된 것만 인증 파일을 업로드 가능합니다.");
      }
      return;
    }
    default:
      return;
  }
}

LRESULT CCafeGridActions::OnGridValueChanged(ReportNotify& nm) {
  if (!nm.grid || !nm.record || nm.ctrlId != kCafeInterestGridId ||
      nm.column != CCafeStockRecord::kColInterest)
    return 0;
  const CafeRecRowValues_s v = ReadCafeRecRow(*nm.record);
  if (v.approval == 1) {
    nm.record->SetModified(true);
    nm.grid->NoteRecordChanged(nm.record);
    m_host.SetStockInterest(v.code, v.interest ? 1 : 0);
    return 1;
  }
  // Without membership the stock is not made an interest: the check goes back as it was.
  nm.record->SetCheckValue(CCafeStockRecord::kColInterest, !v.interest);
  nm.grid->RedrawControl();
  if (Box(L"카페에 가입하지 않으면, 관심종목에 추가할 수 없습니다.\n먼저 카페에 가입해 주세요.\n\n"
          L"카페에 가입할까요?\n(가입비용은 카페마다 다를수 있습니다.)",
          "QUESTION", MB_YESNO | MB_ICONQUESTION) == IDYES)
    m_host.OpenJoinCafePage(m_host.CurrentCafe());
  return 0;
}

void CCafeGridActions::OnGridRightClick(ReportNotify& nm) {
  m_rightClickGrid = nm.ctrlId;
  if (nm.grid && nm.record) ShowRecMenu(*nm.grid, *nm.record, nm.pt);
}

void CCafeGridActions::ShowRecMenu(CMyReportCtrl& grid, CMyReportRecordBase& row, POINT pt) {
  if (ReadCafeRecRow(row).approval != 1) return;
  const int command = m_host.TrackRecMenu(pt);
  if (command != 0) RunRecMenuCommand(grid, row, command);
}

void CCafeGridActions::RunRecMenuCommand(CMyReportCtrl& grid, CMyReportRecordBase& row,
                                         int command) {
  const CafeRecRowValues_s v = ReadCafeRecRow(row);
  CafeStockInfo_s stock;
  const bool found = m_host.FindStockByCode(1, v.code, &stock);
  switch (command) {
    case ID_REC_MENU_MSG_OPEN:
    case ID_REC_MENU_MSG_CLOSED:
      MakeMessengerText(found ? &stock : nullptr, v, command == ID_REC_MENU_MSG_OPEN);
      break;
    case ID_REC_MENU_SMS: {
      // The SMS goes out on a handle of its own, made for this command.
      CURL* curl = curl_easy_init();
      BuildRecStatusText(grid, curl, true, false);
      if (curl) curl_easy_cleanup(curl);
      break;
    }
    case ID_REC_MENU_STATUS:
      BuildRecStatusText(grid, nullptr, false, true);
      break;
    case ID_REC_MENU_BUY:
      PlaceBuyOrder(found ? &stock : nullptr, v.code);
      break;
    case ID_REC_MENU_INFO:
      m_host.RequestStockSelect(v.code, 2);
      break;
    case ID_REC_MENU_WATCH_ON:
    default:
      break;
  }
}

void CCafeGridActions::PlaceBuyOrder(const CafeStockInfo_s* stock, const std::wstring& code) {
  const std::wstring name = stock ? stock->name : std::wstring();
  // The order goes out once; the user learns what became of it, an unreadable answer being
  // unknown (the broker may have executed it), never a failure.
  auto tell = [name, code](CafeOrderOutcome outcome) {
    const bool placed = outcome == CafeOrderOutcome::kPlaced;
    Box(MakeCafeOrderResultText(outcome, name, code, kMenuBuyQuantity),
        placed ? "INFORMATION" : "ERROR", MB_OK | (placed ? MB_ICONINFORMATION : MB_ICONERROR));
  };
  const bool sent = m_host.PlaceBuyOrder(code, [tell, alive = m_alive](CafeOrderOutcome outcome) {
    if (*alive) tell(outcome);
  });
  if (!sent) tell(CafeOrderOutcome::kNotSent);
}

void CCafeGridActions::MakeMessengerText(const CafeStockInfo_s* stock,
                                         const CafeRecRowValues_s& v, bool open) {
  std::wstring reason;
  int result = 0;
  if (m_composer && stock) {
    CafeMessengerRequest_s request;
    request.stock = stock;
    request.kind = kKindBuy;
    request.recPrice = v.recPrice;
    request.buyPrice = v.recPrice;
    request.stopLossPrice = v.stopLossPrice;
    request.lowestTakeProfitPrice = v.lowestTakeProfitPrice;
    request.firstCafeValue = stock->cafeRates[0];
    request.takeProfitRate1 = v.takeProfitRate1;
    request.elapsed1 = v.elapsed1;
    request.secondCafeValue = static_cast<int32_t>(stock->cafeRates[1]);
    request.buyReason = v.buyReason;
    request.open = open;
    result = m_composer->ComposeCafeMessages(request, &reason);
  }
  if (result == 0) {
    ErrorBox(open ? L"카톡 문자(종목 ◎공개)를 생성하지 못했습니다."
                  : L"카톡 문자(종목 ■비공개■)를 생성하지 못했습니다.");
    return;
  }
  const wchar_t* format =
      open ? L"[%ls/%ls] 종목 추천 카톡 문자(종목 ◎공개)를 생성했습니다.\n-----\n사유 : "
             L"%ls\n-----\n\n카톡창에 Ctrl+V만 하세요"
           : L"[%ls/%ls] 종목 추천 카톡 문자(■비공개■)를 생성했습니다.\n-----\n사유 : "
             L"%ls\n-----\n\n카톡창에 Ctrl+V만 하세요";
  Box(FormatW(format, stock->name.c_str(), stock->code.c_str(), reason.c_str()), "INFORMATION",
      MB_OK | MB_ICONINFORMATION);
}

int CCafeGridActions::BuildRecStatusText(CMyReportCtrl& grid, CURL* curl, bool send,
                                         bool allRows) {
  if (m_host.ManagerFlag() == 0) return 0;
  std::vector<CMyReportRecordBase*> rows;
  if (allRows) {
    for (int r = 0; r < grid.GetRowCount(); ++r) rows.push_back(grid.GetRowRecord(r));
  } else {
    // The selection in display order.
    for (int r = 0; r < grid.GetRowCount(); ++r)
      if (CMyReportRecordBase* record = grid.GetRowRecord(r); record && record->IsSelected())
        rows.push_back(record);
  }
  const std::wstring text = MakeCafeRecStatusText(rows, m_host, m_host.SmsFooter());
  if (text.empty()) return 0;
  int result = 0;
  if (send) result = m_host.SendSmsViaServer(curl, text, m_host.CurrentCafe());
  m_host.CopyToClipboard(text);
  return result;
}

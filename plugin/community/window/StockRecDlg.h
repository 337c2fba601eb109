#pragma once
// The page "종목 추천하기" of the cafe dialog: a cafe manager picks a stock, a kind, prices and
// rates and writes a comment; the page composes the title, the short and the long message
// (RecommendComposer.h), uploads the recommendation to the cafe and sends the short message to
// the recipients the server names, ten numbers a post on a 100 ms timer (RecommendSender.h).
// It also uploads the profit check of the cafe's recommended stocks and asks to join a cafe.
//
// A child panel of the cafe dialog's composer tabs, made by the cafe dialog and kept for its
// life. Everything runs on the user-interface thread; stocks are copies the trading view takes
// under its lock.

#include <curl/curl.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ControlDialog.h"
#include "plugin/community/CafeService.h"
#include "plugin/community/RecommendComposer.h"
#include "plugin/community/RecommendSender.h"

class wxDatePickerCtrl;
class wxGauge;
class wxTimer;
class wxWindow;
class CCafeDlg;
class CPelomarView;

class CStockRecDlg : public orv::ui::CControlDialog {
 public:
  static constexpr int kTemplateId = 3171;
  // Controls.
  static constexpr int IDC_CODE = 3391;
  static constexpr int IDC_NAME = 3392;
  static constexpr int IDC_SEARCH = 2206;
  static constexpr int IDC_INFO = 3448;
  static constexpr int IDC_COUNTRY = 2122;
  static constexpr int IDC_DATE = 2118;
  static constexpr int IDC_PRICE = 2194;
  static constexpr int IDC_UNIT = 2199;
  static constexpr int IDC_CHANGE = 2200;
  static constexpr int IDC_KIND_BUY = 3402;  // ... 3406: buy, sell, hold, review, briefing
  static constexpr int IDC_FREE = 3411;
  static constexpr int IDC_REBUY = 3412;
  static constexpr int IDC_STRONG = 3413;
  static constexpr int IDC_SMS = 3414;
  static constexpr int IDC_BAND = 3415;
  static constexpr int IDC_LOSSCUT = 3393;
  static constexpr int IDC_PLUS = 3387;
  static constexpr int IDC_PLUS2 = 3409;
  static constexpr int IDC_DAYS = 3400;
  static constexpr int IDC_WEIGHT = 3396;
  static constexpr int IDC_SELL_RATE = 3422;
  static constexpr int IDC_TARGET1 = 3388;
  static constexpr int IDC_TARGET2 = 3389;
  static constexpr int IDC_STOP = 3447;
  static constexpr int IDC_REC_PRICE = 3407;
  static constexpr int IDC_BAND_TEXT = 3408;
  static constexpr int IDC_COMMENT = 2167;
  static constexpr int IDC_PREVIEW = 2169;
  static constexpr int IDC_RECOMMEND = 3397;
  static constexpr int IDC_SELL = 2112;
  static constexpr int IDC_PROFIT_CHECK = 3416;
  static constexpr int IDC_JOIN = 3398;
  static constexpr int IDC_PROGRESS = 3428;
  static constexpr int IDC_PROGRESS_TEXT = 3429;
  static constexpr int IDC_MEMBER_LEVEL = 3430;
  static constexpr int kPriceTimerId = 10;
  static constexpr int kPriceTimerMs = 1500;
  static constexpr int kSmsTimerId = 20;
  static constexpr int kSmsTimerMs = 100;

  CStockRecDlg(CCafeDlg& cafeDialog, CPelomarView& view);
  ~CStockRecDlg() override;

  // Makes the page as a child of the cafe dialog's composer tabs (OnInitDialog's work).
  bool Create(wxWindow* parent);
  wxWindow* GetPage() const { return GetHostWindow(); }

  // A caller's recommendation of the stock of (market, code): kind 1 to 5 of the caller, the
  // recommended price, the target and the stop price (defaults when not positive). Returns 1,
  // or 0 when the stock is not found.
  int SetRecommendItem(uint8_t market, const std::wstring& code, int callerKind, double recPrice,
                       double targetPrice, double stopPrice);
  // The current cafe (null: none) and its recommended stocks.
  void SetCafeInfo(const CafeRecordPtr& cafe, std::vector<CafeRecStock_s> recStocks);
  void SetMemberLevel(bool manager, bool leader);
  // Looks the stock edit's text up; 1 when found (errors shown when asked).
  int LookupStock(bool showErrors);
  void ShowPriceInfo();
  // Composes from the page's values (RecommendComposer's codes); the error text in *error.
  int ComposeMessages(int kind, int recomputeFlags, std::wstring* error);
  // The messenger text of a cafe grid row: composes with every input given and, with
  // `clipboard`, copies the long message to the clipboard. The page's sender (host, manager,
  // author, footer) is filled in. Returns 1 when composed, 0 without a stock or a price.
  int ComposeCafeMessages(RecCafeComposeInput_s in, bool clipboard, RecComposed_s* out);
  // Uploads the recommendation of the kind (11: the profit check); messages shown when asked.
  // Returns the profit check's code, else 1 when uploaded and 0 when not.
  int SendRecommendation(int kind, bool showMessages);
  // Asks to join the current cafe.
  int JoinCafe();
  // Timer 20: one chunk of the SMS recipients.
  void OnSmsTimer();

  // What tests and the road read.
  int Kind() const { return m_kind; }
  int FreeFlag() const { return m_free; }
  bool Manager() const { return m_manager; }
  int32_t Cafe() const { return m_cafe; }
  int RecIndex() const { return m_recIndex; }
  const RecStock_s& Stock() const { return m_stock; }
  const RecComposed_s& Composed() const { return m_composed; }
  int SmsConfirmed() const { return m_smsConfirmed; }
  int SmsAccepted() const { return m_smsAccepted; }
  bool SmsSending() const;
  const RecRates_s& Rates() const { return m_rates; }

 private:
  void BuildControls();
  void BindHandlers();
  void LoadProfile();
  void SaveProfile() const;
  void SetKind(int kind, bool fromCaller);
  void ShowMemberLevel();
  void ReadRates();
  int ComboValue(int id, int fallback) const;
  RecSender_s Sender() const;
  RecWebContext_s Web() const;
  // The service settings' number the SMS go out from; empty when none was given.
  std::string SmsSenderNumber() const;
  void CopyToClipboard(const std::wstring& text) const;
  void Say(bool show, const std::wstring& text, const char* caption, unsigned type) const;
  void Focus(int id);
  void OnKindClicked(int index);
  void OnSearch();
  void OnInfo();
  void OnRateChanged(bool recompute);
  void OnPriceEdited();
  int SendProfitCheck(bool showMessages);
  void StopSms();
  void SetProgress(int position, int range);
  std::vector<RecProfitItem_s> ProfitItems() const;

  CCafeDlg& m_cafeDialog;
  CPelomarView& m_view;
  int m_kind = kRecKindBuy;
  int m_radio = 0;
  int m_free = 1;
  int m_rebuy = 0, m_strong = 0, m_sms = 0;
  int m_country = 1;
  RecRates_s m_rates;
  RecStock_s m_stock;
  double m_recommended = 0;
  RecComposed_s m_composed;
  CafeRecordPtr m_cafeRecord;
  std::vector<CafeRecStock_s> m_recStocks;
  int32_t m_cafe = 0;
  int32_t m_managerIndex = 0;
  int32_t m_subManagerIndex = 0;
  bool m_manager = false;
  bool m_leader = false;
  int m_recIndex = 0;
  // The last upload and its recipients.
  int m_sentKind = kRecKindBuy;
  std::wstring m_sentMessage;
  CSmsRecipients m_recipients;
  int m_smsAccepted = 0;
  int m_smsConfirmed = 0;
  int m_smsPosted = 0;
  bool m_smsBusy = false;
  bool m_smsDone = true;
  CURL* m_smsCurl = nullptr;
  wxDatePickerCtrl* m_date = nullptr;
  wxGauge* m_progress = nullptr;
  std::unique_ptr<wxTimer> m_priceTimer;
  std::unique_ptr<wxTimer> m_smsTimer;
  std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

#include "plugin/community/WebReports.h"

#include <cstdlib>

#include "platform/support/Encoding.h"
#include "platform/support/HttpForm.h"
#include "platform/support/LoginForm.h"
#include "platform/support/TextConv.h"
#include "platform/support/TextScan.h"
#include "platform/win/MessageBox.h"
#include "plugin/community/WebEngine.h"
#include "plugin/community/RequestHandle.h"
#include "plugin/community/WebLogin.h"
#include "plugin/community/WebText.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "shared/StockRecords.h"

namespace {

std::wstring B2bText(const app_run_setting_s& run) {
  return run.szB2b[0] ? std::wstring(run.szB2b) : std::wstring(L"stock");
}

// A stock name as "name2" travels: base64 of its UTF-8 text, "=" and "+" escaped.
std::string EscapedNameBase64(const std::wstring& name) {
  return EscapeBase64ForQuery(base64_encode(WideToUtf8(name)));
}

}  // namespace

std::vector<MoneyLogPart_s> SplitMoneyLog(const std::wstring& lines, size_t maxChars) {
  std::vector<MoneyLogPart_s> parts;
  if (maxChars == 0) return parts;
  MoneyLogPart_s current;
  auto flush = [&parts, &current] {
    if (current.lines > 0) parts.push_back(current);
    current = MoneyLogPart_s();
  };
  auto add = [&](const std::wstring& line) {
    const size_t needed = current.text.size() + (current.lines > 0 ? 1 : 0) + line.size();
    if (current.lines > 0 && needed > maxChars) flush();
    if (current.lines > 0) current.text += L'\n';
    current.text += line;
    ++current.lines;
  };
  size_t start = 0;
  while (start < lines.size()) {
    size_t end = lines.find(L'\n', start);
    if (end == std::wstring::npos) end = lines.size();
    std::wstring line = lines.substr(start, end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    start = end + 1;
    if (line.empty()) continue;
    for (size_t at = 0; at < line.size(); at += maxChars) add(line.substr(at, maxChars));
  }
  flush();
  return parts;
}

CafeRecommendPrices_s MakeCafeRecommendPrices(double price) {
  CafeRecommendPrices_s prices;
  // A price no int holds (a broker's bad reply) gives 0s rather than a wrapped price.
  if (!NumberToInt(price, &prices.buyPrice) || !NumberToInt(price * 1.1, &prices.targetPrice) ||
      !NumberToInt(price * 0.9, &prices.cutPrice)) {
    prices = CafeRecommendPrices_s();
  }
  return prices;
}

CWebReports::CWebReports(CWebLogin& web, IWebEngine& engine) : m_web(web), m_engine(engine) {}

void CWebReports::ReportBadReply(const char* script, const std::string& problems) {
  m_engine.AddLogMsg(Utf8ToWide(BadReplyText(script, problems)).c_str());
}

std::string CWebReports::ScriptUrl(const wchar_t* path) const {
  return MakeScriptUrl(m_web.RunSetting(), path);
}

int CWebReports::Post(CURL* curl, const wchar_t* path, curl_mime* form, int freeForm, int timeoutMs,
                      char** reply, int* status) {
  const app_run_setting_s& run = m_web.RunSetting();
  size_t length = 0;
  const int result =
      GfxHttpPostMimeDataUsingCurl2(ScriptUrl(path).c_str(), curl, form, freeForm, reply, &length,
                                    status, run.szWebApiKey, run.szWebApiUserId, run.nWebApiUserIdx,
                                    run.nWebApiToken, timeoutMs, 0, 0, kWebAgentUserAgent, 0, 0);
  if (result != 0) ReportFailedTransfer(WideToUtf8(path));
  return result;
}

void CWebReports::ReportFailedTransfer(const std::string& script) {
  m_engine.AddLogMsg(
      Utf8ToWide("Web server request failed (" + script + "): " + GfxHttpLastTransferError())
          .c_str());
}

int CWebReports::Get(CURL* curl, const std::string& url, char** reply, int* status) {
  const app_run_setting_s& run = m_web.RunSetting();
  size_t length = 0;
  const int result = GfxHttpGetDataUsingCurlObj(
      curl, url.c_str(), kWebGetTimeoutMs, reply, &length, status, run.szWebApiKey,
      run.szWebApiUserId, run.nWebApiUserIdx, run.nWebApiToken, 0, 0, kWebAgentUserAgent, 0, 0);
  if (result != 0) ReportFailedTransfer(url.substr(0, url.find('?')));
  return result;
}

int CWebReports::UploadMoneyLog(CURL* curl, const std::wstring& lines, int lineCount) {
  if (lineCount < 1 || lines.empty()) return kUploadNothing;
  const std::vector<MoneyLogPart_s> parts = SplitMoneyLog(lines);
  if (parts.empty()) return kUploadNothing;
  RequestHandle handle(curl);
  if (!handle.get()) return kUploadNothing;

  const app_run_setting_s& run = m_web.RunSetting();
  const std::wstring b2b = B2bText(run);
  bool allAccepted = true;
  // Every part goes out even when an earlier one failed: a placed order must reach the log.
  for (const MoneyLogPart_s& part : parts) {
    curl_mime* form = curl_mime_init(handle.get());
    GfxHttpFillLoginDataMimePtr(form, &m_web.LoginInfo(), -1, -1, 0, -1, -1, -1, -1, -1);
    CURL_MIMEADD_TEXTA(form, "rsp", "json");
    CURL_MIMEADD_TEXTA(form, "sector", "MONEY_LOG");
    CURL_MIMEADD_TEXTW(form, "b2b", b2b.c_str());
    CURL_MIMEADD_INT(form, "op", 1);
    CURL_MIMEADD_TEXTW(form, "op_qry", part.text.c_str());
    CURL_MIMEADD_INT(form, "op_cnt", part.lines);
    ReplyBuffer reply;
    int status = 0;
    Post(handle.get(), L"stock/order_up3", form, 0, kOrderReportTimeoutMs, &reply.text, &status);
    curl_mime_free(form);
    if (!ReplyAccepted(reply.text, status)) allAccepted = false;
  }
  return allAccepted ? kUploadSent : kUploadFailed;
}

int CWebReports::UploadAiComment(CURL* curl, const Stock_s* stock, const std::wstring& text,
                                 const std::string& priceData, const std::string& envelopeData,
                                 const std::string& investorData, const std::string& shortSellData,
                                 uint8_t shortSellOn, int usedTokens, int usedTokensTotal) {
  if (!stock || text.empty()) return 0;
  RequestHandle handle(curl);
  if (!handle.get()) return 0;
  const login_info_s& login = m_web.LoginInfo();
  curl_mime* form = curl_mime_init(handle.get());
  GfxHttpFillLoginDataMimePtr(form, &login, -1, -1, 0, -1, -1, -1, -1, -1);
  CURL_MIMEADD_TEXTA(form, "rsp", "json");
  CURL_MIMEADD_TEXTW(form, "b2b", B2bText(m_web.RunSetting()).c_str());
  CURL_MIMEADD_INT(form, "op", 1);
  CURL_MIMEADD_TEXTW(form, "analyze_msg", text.c_str());
  CURL_MIMEADD_INT(form, "nation_idx", stock->nation);
  CURL_MIMEADD_TEXTA(form, "nation_code", stock->nation_code);
  CURL_MIMEADD_INT(form, "used_token", usedTokens);
  CURL_MIMEADD_INT(form, "used_tk_total", usedTokensTotal);
  CURL_MIMEADD_INT(form, "market", stock->market);
  CURL_MIMEADD_TEXTW(form, "code", stock->code);
  CURL_MIMEADD_TEXTW(form, "stock_name", stock->name.c_str());
  CURL_MIMEADD_TEXTW(form, "author_id", login.szUserId);
  CURL_MIMEADD_TEXTA(form, "price_data", priceData.c_str());
  CURL_MIMEADD_TEXTA(form, "envelope_data", envelopeData.c_str());
  CURL_MIMEADD_TEXTA(form, "agc_fn_data", investorData.c_str());
  CURL_MIMEADD_TEXTA(form, "short_sells", shortSellData.c_str());
  CURL_MIMEADD_INT(form, "short_sells_on", shortSellOn);
  ReplyBuffer reply;
  int status = 0;
  Post(handle.get(), L"stock/ai_cmt_up", form, 0, kAiCommentTimeoutMs, &reply.text, &status);
  curl_mime_free(form);
  return ReplyAccepted(reply.text, status) ? 1 : 0;
}

int CWebReports::SendSmsViaServer(CURL* curl, int, const std::wstring& message, int cafeIdx) {
  if (message.empty()) return 0;
  RequestHandle handle(curl);
  if (!handle.get()) return 0;
  curl_mime* form = curl_mime_init(handle.get());
  GfxFillUserDataToHttpForm(form, &m_web.RunSetting(), &m_web.LoginInfo(), nullptr, "json");
  CURL_MIMEADD_TEXTA(form, "to", m_web.m_phone.c_str());
  CURL_MIMEADD_INT(form, "tox", m_web.m_userIdx);
  CURL_MIMEADD_INT(form, "cafe", cafeIdx);
  CURL_MIMEADD_TEXTW(form, "msg", message.c_str());
  ReplyBuffer reply;
  int status = 0;
  Post(handle.get(), L"sms/sms_send", form, 1, kSmsTimeoutMs, &reply.text, &status);
  if (!reply.text) return 0;
  std::string problems;
  m_smsErrorCode = ReplyInt(reply.text, "err", kBadReplyCode, &problems);
  int remain = 0;
  if (ReadReplyWhole(reply.text, "sms_remain", &remain, &problems) != ReplyRead::Bad)
    m_web.m_smsRemain = remain;
  ShowSmsRemainText();
  if (!problems.empty()) {
    ReportBadReply("sms/sms_send", problems);
    return 0;
  }
  return ReplyAccepted(reply.text, status) ? 1 : 0;
}

void CWebReports::ShowSmsRemainText() {
  const std::wstring text =
      m_web.m_phone.empty()
          ? FormatW(L"※SMS:%d건 *전화없음*(가입필요)", m_web.m_smsRemain)
          : FormatW(L"※SMS:%d건 @T:%ls", m_web.m_smsRemain, Utf8ToWide(m_web.m_phone).c_str());
  m_engine.SetNoticeText(text.c_str());
}

int CWebReports::RecommendStockToCafe(CURL* curl, const Stock_s* stock, int cafeIdx, int recIdx,
                                      int kind, double profitRate, std::wstring* outMessage,
                                      int sendNow) {
  if (!stock) return -1;
  const app_run_setting_s& run = m_web.RunSetting();
  const CafeRecommendPrices_s prices = MakeCafeRecommendPrices(stock->cur_price);
  const std::string code = StrUrlEncodeA(WideToUtf8(stock->code));
  const std::string token = StrUrlEncodeA(m_web.m_userToken);
  const std::string name2 = EscapedNameBase64(stock->name);
  const std::string script = ScriptUrl(L"stock/cafe_rec_list");

  if (kind == 1) {
    const std::string url = FormatA(
        "%s?b2b=stock&rsp=html&cafe=%d&rec=%d&op=1&opcmd=rec&buy_or_sell=1&code=%s&co=%d&agc=%d&"
        "gdp=%d&deployer=%d&uidx=%d&tk=%s&buy_price=%d&target_price=%d&cut_price=%d&uid2=%s&"
        "name2=%s",
        script.c_str(), cafeIdx, recIdx, code.c_str(), m_web.m_companyIdx, m_web.m_agencyIdx,
        run.nGdp, run.nDeployer, m_web.m_userIdx, token.c_str(), prices.buyPrice,
        prices.targetPrice, prices.cutPrice, WideToUtf8(m_web.m_identity.escapedId).c_str(),
        name2.c_str());
    m_engine.SendNotifyMsgToMainFrame(16, 0, 0, 0, L"매수 추천 합니다", Utf8ToWide(url).c_str(),
                                      nullptr, 0, 0, true, 23);
    return -1;
  }
  if (!sendNow) {
    const std::string url = FormatA(
        "%s?b2b=stock&rsp=html&cafe=%d&rec=%d&op=1&opcmd=rec&buy_or_sell=2&code=%s&co=%d&uidx=%d&"
        "agc=%d&gdp=%d&deployer=%d&tk=%s&buy_price=%d&target_price=%d&cut_price=%d&%s&name2=%s",
        script.c_str(), cafeIdx, recIdx, code.c_str(), m_web.m_companyIdx, m_web.m_userIdx,
        m_web.m_agencyIdx, run.nGdp, run.nDeployer, token.c_str(), prices.buyPrice,
        prices.targetPrice, prices.cutPrice, m_web.m_identity.identityQuery.c_str(), name2.c_str());
    m_engine.SendNotifyMsgToMainFrame(16, 0, 0, 0, L"매도 추천", Utf8ToWide(url).c_str(), nullptr,
                                      0, 0, true, 24);
    return -1;
  }

  // The sell signal reaches the members at once: the user confirms first.
  const std::string name = WideToUtf8(stock->name);
  const std::string plainCode = WideToUtf8(stock->code);
  int answer = 0;
  if (profitRate > 0) {
    answer = orv::win::MessageBox(
        FormatA("%s(%s)종목을\n현재가(%d원)(%.2f%% 수익)으로 매도(익절) 사인을 보낼까요?\n"
                "---------------\n***수익 축하***\n매도 기준가 : %d\n수익률 : %.2f%% \n"
                "---------------\n회원들에게 10초 이내에 자동 전달됩니다. ",
                name.c_str(), plainCode.c_str(), prices.buyPrice, profitRate, prices.buyPrice,
                profitRate),
        "QUESTION", MB_YESNO | MB_ICONQUESTION);
  } else {
    answer = orv::win::MessageBox(
        FormatA("%s(%s)종목을\n현재가(%d원)(%.2f%% 손해)으로 매도(손절) 사인을 보낼까요?\n"
                "---------------\n***손절입니다. 주의해 주세요***\n손절 기준가 : %d\n손해율 : "
                "%.2f%% \n---------------\n회원들에게 10초 이내에 자동 전달됩니다. ",
                name.c_str(), plainCode.c_str(), prices.buyPrice, profitRate, prices.buyPrice,
                profitRate),
        "NOTIFICATION", MB_YESNO | MB_ICONWARNING);
  }
  if (answer != IDYES) return -1;

  const std::string url = FormatA(
      "%s?b2b=stock&rsp=json&cafe=%d&rec=%d&op=3&buy_or_sell=2&code=%s&co=%d&agc=%d&gdp=%d&"
      "deployer=%d&uidx=%d&tk=%s&profit_rate=%f&sell_price=%d&uid2=%s&name2=%s",
      ScriptUrl(L"stock/cafe_rec_up").c_str(), cafeIdx, recIdx, code.c_str(), m_web.m_companyIdx,
      m_web.m_agencyIdx, run.nGdp, run.nDeployer, m_web.m_userIdx, token.c_str(), profitRate,
      prices.buyPrice, WideToUtf8(m_web.m_identity.escapedId).c_str(), name2.c_str());
  ReplyBuffer reply;
  int status = 0;
  Get(curl, url, &reply.text, &status);
  if (!reply.text) {
    if (outMessage) *outMessage = FormatW(L"서버 접속시 에러 발생했습니다.(코드 : %d)", status);
    return -1;
  }
  std::string problems;
  const int err = ReplyInt(reply.text, "err", kBadReplyCode, &problems);
  if (!problems.empty()) {
    ReportBadReply("stock/cafe_rec_up", problems);
    if (outMessage) *outMessage = Utf8ToWide(BadReplyText("stock/cafe_rec_up", problems));
    return 0;
  }
  if (outMessage)
    *outMessage = FormatW(L"코드 : %d(%ls)", err, Utf8ToWide(ReplyText(reply.text, "msg")).c_str());
  return ReplyAccepted(reply.text, status) ? 1 : 0;
}

int CWebReports::UploadConditionProfitRecord(CURL* curl, const ConditionProfitRecord_s& record) {
  RequestHandle handle(curl);
  if (!handle.get()) return -1;
  curl_mime* form = curl_mime_init(handle.get());
  GfxHttpFillLoginDataMimePtr(form, &m_web.LoginInfo(), -1, -1, 0, -1, -1, -1, -1, -1);
  CURL_MIMEADD_INT(form, "op", 1);
  const char* idxKeys[3] = {"eq_idx", "eq2_idx", "eq3_idx"};
  const char* nameKeys[3] = {"eq_name", "eq2_name", "eq3_name"};
  for (int i = 0; i < 3; ++i) {
    CURL_MIMEADD_INT(form, idxKeys[i], record.conditionIdx[i]);
    CURL_MIMEADD_TEXTW(form, nameKeys[i], record.conditionName[i].c_str());
  }
  CURL_MIMEADD_TEXTA(form, "file_pwd", record.filePassword.c_str());
  CURL_MIMEADD_INT(form, "valid", 1);
  CURL_MIMEADD_INT(form, "pr_type", record.resultType);
  CURL_MIMEADD_INT(form, "nth", record.nth);
  CURL_MIMEADD_INT(form, "f_cnt", record.fileCount);
  CURL_MIMEADD_TEXTW(form, "tit", record.title.c_str());
  CURL_MIMEADD_TEXTW(form, "cts", record.contents.c_str());
  CURL_MIMEADD_TEXTW(form, "eq_names", record.conditionNames.c_str());
  CURL_MIMEADD_FLOAT(form, "profit_rate", record.profitRate);
  CURL_MIMEADD_FLOAT(form, "profit_rate_min", record.minProfitRate);
  CURL_MIMEADD_FLOAT(form, "profit_rate_max", record.maxProfitRate);
  // A result whose files cannot be read is not sent half.
  if ((!record.imageFile.empty() &&
       !CURL_MIMEADD_FILE(form, "imgfile", record.imageFile.c_str())) ||
      (!record.dataFile.empty() && !CURL_MIMEADD_FILE(form, "datafile", record.dataFile.c_str()))) {
    curl_mime_free(form);
    return kUploadBadFile;
  }
  ReplyBuffer reply;
  int status = 0;
  Post(handle.get(), L"stock/user_eq_pr_up", form, 1, kConditionUploadTimeoutMs, &reply.text,
       &status);
  if (!reply.text) return -1;
  std::string problems;
  m_lastUploadIdx = ReplyInt(reply.text, "idx", 0, &problems);
  m_lastUploadMsg = Utf8ToWide(ReplyText(reply.text, "msg"));
  const int err = ReplyInt(reply.text, "err", kBadReplyCode, &problems);
  if (!problems.empty()) {
    ReportBadReply("stock/user_eq_pr_up", problems);
    m_lastUploadIdx = 0;
    m_lastUploadMsg = Utf8ToWide(BadReplyText("stock/user_eq_pr_up", problems));
    return -1;
  }
  if (status != 200) return -1;
  return err;
}

std::string CWebReports::MakeTradeOrderUrl(const TradeOrderReport_s& order) const {
  const app_run_setting_s& run = m_web.RunSetting();
  const Stock_s* stock = order.stock;
  const bool sell = order.orderKind != 1;
  const char market = stock && stock->market_letter ? stock->market_letter : '1';
  const std::string nation = stock && stock->nation_code[0] ? stock->nation_code : "KR";
  std::string suffix = stock ? m_engine.StockCodeSuffix(*stock) : std::string();
  if (suffix.empty() && market == 'D') suffix = ".K";
  if (suffix.empty() && market == 'N') suffix = ".O";
  int allSell = 0, allSellHour = 0, allSellMinute = 0;
  m_engine.AllSellSettings(&allSell, &allSellHour, &allSellMinute);
  const double rateGap = order.rateGap > 0 ? order.rateGap : m_engine.DefaultRateGap();

  std::string url = FormatA(
      "%s?b2b=stock&rsp=json&loan=%d&agc=%d&gdp=%d&deployer=%d&svr=%d&nth=%d&recv=%d&tk=%s&"
      "simul=%d&auto=%d&macid=%llu&macid2=%llu&market=%c&nation=%s&exg_mkt=%s&code=%s&symbol=%s&"
      "code_suffix=%s&trxnum=%s&sell_cnt=%.8f&buy_cnt=%.8f&total_cnt=%.8f&invest_money=%.8f&"
      "invest_money2=%.8f&sell_price=%.8f&buy_price=%.6f&buy_price_avg=%.6f&uidx=%d&%s&"
      "profit_money=%f&profit_rate=%f&cut_rate=%f&losscut=%.2f&min_rate=%f&rate_gap=%f&"
      "ext_gap=%f&err=%d&eqx=%d&allsell=%d&allsell_h=%d&allsell_m=%d&cafe=%d&cafe_rec=%d&"
      "cafe_admin=%d&qty_factor=%f&slope_rate0=%f&slope_rate=%f",
      ScriptUrl(L"stock/order_up2").c_str(), order.loanKind, m_web.m_agencyIdx, run.nGdp,
      run.nDeployer, m_web.m_serverMode, order.nth, order.receive,
      StrUrlEncodeA(m_web.m_userToken).c_str(), order.simulation, order.autoOrder,
      static_cast<unsigned long long>(run.nMacId), static_cast<unsigned long long>(run.nMacId2),
      market, StrUrlEncodeA(nation).c_str(), StrUrlEncodeA(order.exchange).c_str(),
      StrUrlEncodeA(WideToUtf8(order.code)).c_str(), StrUrlEncodeA(order.symbol).c_str(),
      StrUrlEncodeA(suffix).c_str(), StrUrlEncodeA(WideToUtf8(order.trxNumber)).c_str(),
      sell ? order.orderQty : 0.0, sell ? 0.0 : order.orderQty, order.totalQty, order.investMoney,
      order.investMoney2, sell ? order.orderPrice : 0.0,
      sell ? order.avgBuyPrice : order.orderPrice, order.avgBuyPrice, m_web.m_userIdx,
      m_web.m_identity.identityQuery.c_str(), order.profitMoney, order.profitRate, order.cutRate,
      order.lossCutRate, order.minRate, rateGap, m_engine.ExtensionGap(), order.errorCode,
      order.conditionIdx, allSell, allSellHour, allSellMinute, order.cafeIdx, order.cafeRecIdx,
      m_engine.CafeAdminValue(), order.qtyFactor, order.slopeRate0, order.slopeRate);
  if (!order.conditionName.empty()) url += "&eq=" + EscapedNameBase64(order.conditionName);
  return url;
}

int CWebReports::UploadTradeOrder(CURL* curl, const TradeOrderReport_s& order) {
  ReplyBuffer reply;
  int status = 0;
  Get(curl, MakeTradeOrderUrl(order), &reply.text, &status);
  if (order.insert && m_engine.InsertStockOrder(order) != 0) {
    m_engine.AddLogMsg((L"주문이 주문 DB(data.db)에 기록되지 않았습니다: " + order.code).c_str());
    return -1;
  }
  return 0;
}

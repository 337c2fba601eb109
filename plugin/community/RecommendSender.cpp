#include "plugin/community/RecommendSender.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/support/Encoding.h"
#include "platform/support/HttpForm.h"
#include "platform/support/LoginForm.h"
#include "platform/support/TextConv.h"
#include "plugin/community/CafeService.h"
#include "plugin/community/RequestHandle.h"
#include "plugin/community/WebLogin.h"
#include "plugin/community/WebText.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"

namespace {

// A reply with its length and HTTP status.
struct Reply {
  ReplyBuffer buffer;
  size_t length = 0;
  int status = 0;
};

std::string DateText(const SYSTEMTIME& t) {
  return FormatA("%04d-%02d-%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                 t.wSecond);
}

curl_mime* FormWithLogin(CURL* curl, const RecWebContext_s& web) {
  curl_mime* form = curl_mime_init(curl);
  GfxFillUserDataToHttpForm(form, web.run, web.login, nullptr, "json");
  return form;
}

// Posts a form (freed here) to a script of the web server.
int Post(CURL* curl, const RecWebContext_s& web, const wchar_t* script, curl_mime* form,
         int timeoutMs, const char* userAgent, Reply* reply) {
  if (!web.run) {
    curl_mime_free(form);
    return -1;
  }
  const app_run_setting_s& run = *web.run;
  return GfxHttpPostMimeDataUsingCurl2(MakeScriptUrl(run, script).c_str(), curl, form, 1,
                                       &reply->buffer.text, &reply->length, &reply->status,
                                       run.szWebApiKey, run.szWebApiUserId, run.nWebApiUserIdx,
                                       run.nWebApiToken, timeoutMs, 0, 0, userAgent, 0, 0);
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The upload

void ReadRecUploadReply(const char* reply, RecUploadReply_s* out) {
  if (!reply || !out) return;
  out->idx = ReplyInt(reply, "idx", out->idx);
  out->smsOk = ReplyInt(reply, "sms_ok_cnt", out->smsOk);
  out->smsReq = ReplyInt(reply, "sms_req_cnt", out->smsReq);
  out->err = ReplyInt(reply, "err", out->err);
  std::string tels;
  out->hasTels = ReplyValue(reply, "sms_tels", &tels);
  out->tels.clear();
  // A list that is no base64 gives no recipients.
  if (out->hasTels && !base64_decode(tels, &out->tels)) out->tels.clear();
}

int PostRecommendation(CURL* curl, const RecWebContext_s& web, const RecUpload_s& u,
                       RecUploadReply_s* out) {
  RecUploadReply_s result;
  RequestHandle handle(curl);
  if (!handle.get()) {
    if (out) *out = result;
    return -1;
  }
  curl_mime* form = FormWithLogin(handle.get(), web);
  CURL_MIMEADD_TEXTA(form, "to", "*cafe*");
  CURL_MIMEADD_TEXTA(form, "rec_time", DateText(u.recTime).c_str());
  CURL_MIMEADD_INT(form, "cafe", u.cafe);
  CURL_MIMEADD_INT(form, "pc_sms_send", u.smsSend);
  CURL_MIMEADD_TEXTW(form, "tit", u.title.c_str());
  CURL_MIMEADD_TEXTW(form, "msg", u.message.c_str());
  CURL_MIMEADD_INT(form, "author_idx", u.authorIndex);
  CURL_MIMEADD_TEXTW(form, "author_name", u.authorName.c_str());
  CURL_MIMEADD_TEXTA(form, "nation_code", u.nationCode.c_str());
  CURL_MIMEADD_TEXTW(form, "stock_code", u.code.c_str());
  const char market[2] = {u.market, 0};
  CURL_MIMEADD_TEXTA(form, "stock_mkt", market);
  CURL_MIMEADD_TEXTW(form, "stock_name", u.name.c_str());
  CURL_MIMEADD_INT(form, "buy_or_sell", u.kind);
  CURL_MIMEADD_INT(form, "free", u.freeFlag);
  if (u.kind == 1) {
    CURL_MIMEADD_INT(form, "buy_on", 1);
    CURL_MIMEADD_INT(form, "buy_more", u.rebuy);
    CURL_MIMEADD_INT(form, "strong_buy_on", u.strong);
    CURL_MIMEADD_INT(form, "buy_rate", u.weight);
    CURL_MIMEADD_INT(form, "invest_term", u.days);
    CURL_MIMEADD_TEXTW(form, "buy_msg", u.comment.c_str());
    CURL_MIMEADD_FLOAT(form, "buy_price", u.bandLow);
    CURL_MIMEADD_FLOAT(form, "buy_price2", u.bandHigh);
    CURL_MIMEADD_FLOAT(form, "buy_price_cur", u.curPrice);
    CURL_MIMEADD_FLOAT(form, "target_price", u.target1);
    CURL_MIMEADD_FLOAT(form, "cut_price", u.stopPrice);
    CURL_MIMEADD_FLOAT(form, "min_profit_rate", u.minProfitRate);
    CURL_MIMEADD_FLOAT(form, "losscut_rate", u.lossCutRate);
  } else {
    CURL_MIMEADD_INT(form, "sell_on", 1);
    CURL_MIMEADD_INT(form, "strong_sell_on", u.strong);
    CURL_MIMEADD_FLOAT(form, "sell_price", u.curPrice);
    CURL_MIMEADD_TEXTW(form, "sell_msg", u.comment.c_str());
    CURL_MIMEADD_INT(form, "sell_rate", u.sellRate);
  }
  Reply reply;
  result.postResult = Post(handle.get(), web, L"stock/cafe_rec_items_up", form, kRecUploadTimeoutMs,
                           kWebAgentUserAgent, &reply);
  result.httpStatus = reply.status;
  result.length = reply.length;
  if (reply.status == 200) ReadRecUploadReply(reply.buffer.text, &result);
  if (out) *out = result;
  return result.postResult;
}

bool RecUploadAccepted(const RecUploadReply_s& reply) {
  return reply.httpStatus == 200 && reply.err == 0 && reply.idx >= 1;
}

std::wstring RecUploadFailureText(const wchar_t* label, const RecUploadReply_s& r) {
  return FormatW(
      L"%ls 추천하지 못했습니다.\n----\n에러 : %d(D%d/H%d/R%d/L%d)\n송신성공 : %d "
      L"(고객수 : %d명)",
      label, r.err, r.idx, r.httpStatus, r.postResult, static_cast<int>(r.length), r.smsOk,
      r.smsReq);
}

std::wstring RecUploadSuccessText(const wchar_t* label, const RecUploadReply_s& r,
                                  bool smsStarted) {
  if (smsStarted)
    return FormatW(
        L"종목 %ls 추천을 했으며, 잠시 기다려 주세요.\n문자를 송신중입니다.\n문자 송신 "
        L": %d명(고객수 : %d명)\n(추천 메시지는 클립보드에 복사 되었습니다)",
        label, r.smsOk, r.smsReq);
  return FormatW(
      L"종목 %ls 추천을 했습니다.\n문자 송신 : %d명(고객수 : %d명)\n(추천 메시지는 "
      L"클립보드에 복사 되었습니다)",
      label, r.smsOk, r.smsReq);
}

// ---------------------------------------------------------------------------------------
// SMS chunks

void CSmsRecipients::Reset(std::string list) {
  m_list = std::move(list);
  m_cursor = 0;
}

bool CSmsRecipients::Next(std::string* chunk, int* separators) {
  if (Done()) return false;
  int found = 0;
  size_t at = m_cursor;
  size_t end = m_list.size();
  while (at < m_list.size()) {
    if (m_list[at] == ';' && ++found == kRecSmsChunkNumbers) {
      end = at + 1;
      break;
    }
    ++at;
  }
  if (chunk) *chunk = m_list.substr(m_cursor, end - m_cursor);
  if (separators) *separators = found;
  m_cursor = end;
  return true;
}

int ReadSmsChunkReply(const char* reply) {
  if (!reply) return 0;
  int confirmed = 0;
  return ReadReplyWhole(reply, "sms_ok_cnt", &confirmed, nullptr, 0) == ReplyRead::Ok ? confirmed
                                                                                      : 0;
}

int SendSmsChunk(CURL* curl, const RecWebContext_s& web, const RecSmsChunk_s& chunk,
                 const std::string& senderNumber) {
  if (chunk.numbers.empty() || chunk.message.empty() || senderNumber.empty() || chunk.recIndex <= 0)
    return 0;
  RequestHandle handle(curl);
  if (!handle.get()) return 0;
  curl_mime* form = FormWithLogin(handle.get(), web);
  CURL_MIMEADD_TEXTA(form, "recv_tels", chunk.numbers.c_str());
  CURL_MIMEADD_TEXTW(form, "msg", chunk.message.c_str());
  CURL_MIMEADD_INT(form, "rec", chunk.recIndex);
  CURL_MIMEADD_INT(form, "cafe", chunk.cafe);
  CURL_MIMEADD_INT(form, "buy_or_sell", chunk.kind);
  CURL_MIMEADD_INT(form, "recv_tels_cnt", chunk.count);
  Reply reply;
  const int sent = Post(handle.get(), web, L"stock/cafe_rec_sms_send", form, kRecSmsChunkTimeoutMs,
                        kWebAgentUserAgent, &reply);
  // The handle goes back clean for the next chunk.
  if (curl) curl_easy_reset(curl);
  if (sent != 0 || reply.status != 200) return 0;
  return ReadSmsChunkReply(reply.buffer.text);
}

// ---------------------------------------------------------------------------------------
// The profit check

int RecPricedCount(const std::vector<RecProfitItem_s>& items) {
  int priced = 0;
  for (const RecProfitItem_s& item : items)
    if (item.price > 0) ++priced;
  return priced;
}

int RecProfitCheckPrecondition(bool manager, int32_t cafe,
                               const std::vector<RecProfitItem_s>& items) {
  if (!manager || cafe < 1 || items.empty()) return kProfitCheckNoAccess;
  if (RecPricedCount(items) == 0) return kProfitCheckNoPrices;
  return 0;
}

int ReadProfitCheckReply(const char* reply, int httpStatus, int* checked) {
  if (!reply) return kProfitCheckNoReply;
  if (httpStatus != 200) return httpStatus != 0 ? httpStatus : kProfitCheckNoStatus;
  if (checked) *checked = ReplyInt(reply, "check_cnt", 0);
  return ReplyInt(reply, "err", kProfitCheckNoErr);
}

int PostProfitCheck(CURL* curl, const RecWebContext_s& web, const SYSTEMTIME& recTime, int32_t cafe,
                    int smsSend, const std::vector<RecProfitItem_s>& items, int* checked) {
  RequestHandle handle(curl);
  if (!handle.get()) return kProfitCheckNoReply;
  curl_mime* form = FormWithLogin(handle.get(), web);
  CURL_MIMEADD_TEXTA(form, "to", "*cafe*");
  CURL_MIMEADD_TEXTA(form, "rec_time", DateText(recTime).c_str());
  CURL_MIMEADD_INT(form, "cafe", cafe);
  CURL_MIMEADD_INT(form, "pc_sms_send", smsSend);
  CURL_MIMEADD_INT(form, "buy_or_sell", 11);
  CURL_MIMEADD_TEXTA(form, "op", "7");
  CURL_MIMEADD_INT(form, "item_cnt", static_cast<int32_t>(items.size()));
  for (size_t i = 0; i < items.size(); ++i) {
    if (!(items[i].price > 0)) continue;
    const int number = static_cast<int>(i + 1);
    CURL_MIMEADD_TEXTW(form, FormatA("code_%d", number).c_str(), items[i].code.c_str());
    CURL_MIMEADD_FLOAT(form, FormatA("profit_%d", number).c_str(), items[i].profitRate);
    CURL_MIMEADD_FLOAT(form, FormatA("price_%d", number).c_str(), items[i].price);
  }
  Reply reply;
  Post(handle.get(), web, L"stock/cafe_rec_items_up", form, kRecUploadTimeoutMs, kWebAgentUserAgent,
       &reply);
  return ReadProfitCheckReply(reply.buffer.text, reply.status, checked);
}

// ---------------------------------------------------------------------------------------
// Joining a cafe

int ReadCafeJoinReply(const char* reply, int httpStatus, std::string* message) {
  if (!reply || httpStatus != 200) return -1;
  if (message) *message = ReplyText(reply, "msg");
  return ReplyInt(reply, "err", -1);
}

int RequestCafeJoin(CURL* curl, const RecWebContext_s& web, int32_t cafe, std::string* message) {
  if (!web.run || !web.login) return -1;
  wchar_t url[4096];
  char work[4096];
  if (GfxGetWebApiUrlByUserToken(url, 4096, work, sizeof work, web.run, web.login,
                                 L"stock/cafe_join_up", cafe, "&opcmd=list", "json", "stock") <= 0)
    return -1;
  RequestHandle handle(curl);
  if (!handle.get()) return -1;
  const app_run_setting_s& run = *web.run;
  Reply reply;
  GfxHttpGetDataUsingCurlObj(handle.get(), work, kRecJoinTimeoutMs, &reply.buffer.text,
                             &reply.length, &reply.status, run.szWebApiKey, run.szWebApiUserId,
                             run.nWebApiUserIdx, run.nWebApiToken, 0, 0, kCafeBrowserUserAgent, 0,
                             0);
  return ReadCafeJoinReply(reply.buffer.text, reply.status, message);
}

// ---------------------------------------------------------------------------------------
// The SMS web service's token

size_t OnSmsApiData(char* data, size_t size, size_t count, void* buffer) {
  auto* reply = static_cast<Reply*>(buffer);
  const size_t piece = size * count;
  char* grown = static_cast<char*>(std::realloc(reply->buffer.text, reply->length + piece + 1));
  if (!grown) {
    std::free(reply->buffer.text);
    reply->buffer.text = nullptr;
    reply->length = 0;
    return 0;
  }
  std::memcpy(grown + reply->length, data, piece);
  reply->length += piece;
  grown[reply->length] = '\0';
  reply->buffer.text = grown;
  return piece;
}

char* RequestSmsApiToken(CURL* curl, const char* url, int mode, const std::string& uid,
                         const std::string& key) {
  if (!curl || !url) return nullptr;
  const std::string credentials = base64_encode(uid + ":" + key);
  if (uid.empty() || key.empty() || credentials.empty()) return nullptr;
  static const char kBody[] = "grant_type=client_credentials";
  curl_slist* headers = nullptr;
  headers = curl_slist_append(headers, ("Authorization: Basic " + credentials).c_str());
  if (mode == 2) {
    headers = curl_slist_append(headers, "Accept: application/json");
    headers = curl_slist_append(headers, "Content-Type: application/json; charset=utf-8");
  } else {
    headers = curl_slist_append(headers, "Content-Type: application/x-www-form-urlencoded");
  }
  Reply reply;
  curl_easy_setopt(curl, CURLOPT_URL, url);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "Mozilla/4.0 (compatible SMS API C Client)");
  curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, "POST");
  curl_easy_setopt(curl, CURLOPT_POST, 1L);
  if (mode == 1 || mode == 2) {
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, kBody);
  } else {
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, "");
  }
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 10L);
  // The token is a credential: the peer and its host name are always verified.
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  const std::string caFile = GfxGetHttpCaCertFile();
  if (!caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &OnSmsApiData);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &reply);
  const CURLcode code = curl_easy_perform(curl);
  if (code != CURLE_OK)
    std::fprintf(stderr, "curl_easy_perform() failed: %s\n", curl_easy_strerror(code));
  curl_easy_reset(curl);
  curl_slist_free_all(headers);
  char* text = reply.buffer.text;
  reply.buffer.text = nullptr;
  return text;
}

#include "plugin/community/AiAnalysis.h"

#include <rapidjson/document.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/support/HttpForm.h"
#include "platform/support/TextConv.h"
#include "shared/StockRecords.h"

namespace {

constexpr const char* kRequestHead = "{\"model\":\"gpt-4o\",\"messages\":[{\"role\":\"user\",\"content\":\"";
constexpr const char* kRequestTail = "\"}]}";

// The rule the model judges the envelope by.
constexpr const wchar_t* kEnvelopeRule =
    L"장기간 하락 및 횡보 후, 상승 구간에 들어서는지 최근 10일 Envelope Low, Mid로 아래 조건대로 "
    L"판단해줘.\n매수 시점: 최종 시세가 Low, Mid 사이에 있고, Mid를 상승으로 돌파, 혹은 Low, Mid "
    L"중간에서 상승\n강한 매수 시점: 매수 시점인데 Low, Mid 횡보가 5일 이상 지속시\n매수 자제: 최종 "
    L"3일간 시세가 Mid위에 있거나 Low 방향으로 하락시(돌파시점과 시세의 비율 차이가 5%미만이면 "
    L"판단하지 말것)\n";

constexpr const wchar_t* kHead =
    L" [%MARKET%]의 추세를 다음 데이터를 참고해서 추정해줘.\n아래 데이터를 기반으로 상승 또는 하락 "
    L"여부를 판단하고 그 이유를 한글로 설명해줘.\n";
constexpr const wchar_t* kCandleForm = L"시세 형태: CSV, 순서대로: 일시,시작가,고가,저가,종가,거래량\n";
constexpr const wchar_t* kEnvelopeForm = L"Envelope 형태: CSV, 순서대로: 날짜,Mid,Low\n";
constexpr const wchar_t* kInvestorForm =
    L"기관/외국인 추이 형태: CSV, 순서대로: 일시,기관 순매수량,기관 순매수금액,외국인 순매매,외국인 "
    L"순매매금액,외국인 지분율\n";
constexpr const wchar_t* kShortForm =
    L"공매도 추이 형태: CSV, 순서대로: 일시,공매도량,누적공매도량,비중,가격,등락률\n";
constexpr const wchar_t* kNewsAsk = L"공매도는 금액을 적어줘. 1개월전 뉴스도 검색해서, URL도 알려줘.\n";

bool IsCoinMarket(uint8_t market) { return market == kMarketCoin || market == kMarketCoinBtc; }

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF).
bool IsUtf8(const std::string& text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    const unsigned char c = *p;
    int extra = 0;
    uint32_t value = 0;
    if (c < 0x80) {
      ++p;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      extra = 1;
      value = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      extra = 2;
      value = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      extra = 3;
      value = c & 0x07;
    } else {
      return false;
    }
    if (end - p <= extra) return false;
    for (int i = 1; i <= extra; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
      value = (value << 6) | (p[i] & 0x3F);
    }
    if ((extra == 2 && value < 0x800) || (extra == 3 && value < 0x10000) || value > 0x10FFFF ||
        (value >= 0xD800 && value <= 0xDFFF))
      return false;
    p += extra + 1;
  }
  return true;
}

std::string U8(const wchar_t* text) { return WideToUtf8(text); }

size_t CollectReply(char* data, size_t size, size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

int AbortCheck(void* flag, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  const auto* abort = static_cast<const std::atomic<int>*>(flag);
  return abort && abort->load() != 0 ? 1 : 0;
}

// The reply's document, a leading byte-order mark skipped; false when it is not JSON.
bool ParseReply(const char* reply, size_t length, rapidjson::Document* doc) {
  if (!reply) return false;
  if (length >= 3 && std::memcmp(reply, "\xEF\xBB\xBF", 3) == 0) {
    reply += 3;
    length -= 3;
  }
  doc->Parse(reply, length);
  return !doc->HasParseError();
}

}  // namespace

AiPromptTemplate ChooseAiPromptTemplate(uint8_t market, const std::string& shortSellingCsv) {
  if (IsCoinMarket(market)) return AiPromptTemplate::kA;
  return shortSellingCsv.empty() ? AiPromptTemplate::kB : AiPromptTemplate::kC;
}

const wchar_t* AiMarketWord(uint8_t market) { return IsCoinMarket(market) ? L"코인" : L"주식"; }

std::string BuildAiPrompt(uint8_t market, const std::wstring& code, const std::wstring& name,
                          const std::string& dayCsv, const std::string& envelopeCsv,
                          const std::string& investorCsv, const std::string& shortSellingCsv) {
  if (name.empty()) return {};
  for (const std::string* csv : {&dayCsv, &envelopeCsv, &investorCsv, &shortSellingCsv})
    if (!IsUtf8(*csv)) return {};
  const AiPromptTemplate which = ChooseAiPromptTemplate(market, shortSellingCsv);
  // "<name> (<code>) [<market word>]의 추세를 ..." then the template's own lines.
  std::string head = U8(kHead);
  const std::string marker = "%MARKET%";
  head.replace(head.find(marker), marker.size(), U8(AiMarketWord(market)));
  std::string prompt = WideToUtf8(name) + " (" + WideToUtf8(code) + ")" + head;
  if (which == AiPromptTemplate::kC)
    prompt += U8(L"장기간 하락후, 상승 구간에 들어서는지 Envelope로 판단해줘.\n");
  prompt += U8(kEnvelopeRule);
  if (which == AiPromptTemplate::kC) prompt += U8(kNewsAsk);
  if (which == AiPromptTemplate::kB)
    prompt += U8(L"외국인 누적 거래대금 1억 미만은 상승/하락 영향을 판단하지 말아줘.\n") + U8(kNewsAsk);
  prompt += U8(kCandleForm) + U8(kEnvelopeForm);
  if (which != AiPromptTemplate::kA) prompt += U8(kInvestorForm);
  if (which == AiPromptTemplate::kC) prompt += U8(kShortForm);
  prompt += U8(L"- 60일 일봉:\n") + dayCsv + "\n" + U8(L"- Envelope Mid/Low:\n") + envelopeCsv + "\n";
  if (which != AiPromptTemplate::kA)
    prompt += U8(L"- 최근 기관/외국인 추이:\n") + investorCsv + "\n";
  if (which == AiPromptTemplate::kC) prompt += U8(L"- 최근 공매도 추이: \n") + shortSellingCsv + "\n";
  return prompt;
}

std::string JsonEscapeUtf8(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size() + utf8.size() / 8);
  for (unsigned char c : utf8) {
    switch (c) {
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        if (c < 0x20) {
          char code[8];
          std::snprintf(code, sizeof code, "\\u%04x", c);
          out += code;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

std::string BuildAiChatRequest(uint8_t market, const std::wstring& code, const std::wstring& name,
                               const std::string& dayCsv, const std::string& envelopeCsv,
                               const std::string& investorCsv,
                               const std::string& shortSellingCsv) {
  const std::string prompt =
      BuildAiPrompt(market, code, name, dayCsv, envelopeCsv, investorCsv, shortSellingCsv);
  if (prompt.empty()) return {};
  return kRequestHead + JsonEscapeUtf8(prompt) + kRequestTail;
}

AiChatReply_s ReadAiChatReply(const char* reply, size_t length) {
  AiChatReply_s out;
  rapidjson::Document doc;
  if (!ParseReply(reply, length, &doc) || !doc.IsObject()) return out;
  auto error = doc.FindMember("error");
  if (error != doc.MemberEnd()) {
    if (error->value.IsString()) {
      out.error.assign(error->value.GetString(), error->value.GetStringLength());
    } else if (error->value.IsObject()) {
      auto message = error->value.FindMember("message");
      if (message != error->value.MemberEnd() && message->value.IsString())
        out.error.assign(message->value.GetString(), message->value.GetStringLength());
    }
  }
  auto usage = doc.FindMember("usage");
  if (usage != doc.MemberEnd() && usage->value.IsObject()) {
    auto total = usage->value.FindMember("total_tokens");
    if (total != usage->value.MemberEnd() && total->value.IsInt() && total->value.GetInt() >= 0)
      out.usedTokens = total->value.GetInt();
  }
  auto choices = doc.FindMember("choices");
  if (choices == doc.MemberEnd() || !choices->value.IsArray() || choices->value.Empty()) return out;
  const rapidjson::Value& first = choices->value[0];
  if (!first.IsObject()) return out;
  auto message = first.FindMember("message");
  if (message == first.MemberEnd() || !message->value.IsObject()) return out;
  auto content = message->value.FindMember("content");
  if (content == message->value.MemberEnd() || !content->value.IsString()) return out;
  out.content.assign(content->value.GetString(), content->value.GetStringLength());
  out.hasContent = !out.content.empty();
  return out;
}

size_t ExtractAiReplyContent(const char* reply, size_t length, char** outText) {
  if (outText) *outText = nullptr;
  const AiChatReply_s read = ReadAiChatReply(reply, length);
  if (!read.hasContent || !outText) return 0;
  char* copy = static_cast<char*>(std::malloc(read.content.size() + 1));
  if (!copy) return 0;
  std::memcpy(copy, read.content.data(), read.content.size());
  copy[read.content.size()] = 0;
  *outText = copy;
  return read.content.size();
}

std::string ExtractAiReplyContentString(const char* reply, size_t length) {
  return ReadAiChatReply(reply, length).content;
}

AiChatResult_s SendAiChatRequest(CURL* curl, const AiChatEndpoint_s& endpoint,
                                 const std::string& body, long timeoutMs,
                                 const std::atomic<int>* abort) {
  AiChatResult_s result;
  const std::string& url = endpoint.url;
  if (url.rfind("https://", 0) != 0 && url.rfind("http://", 0) != 0) {
    result.error = "no chat address is set";
    return result;
  }
  if (endpoint.key.empty() || endpoint.key.find_first_of("\r\n") != std::string::npos) {
    result.error = "no usable key is set";
    return result;
  }
  if (!curl) {
    result.error = "no HTTP handle";
    return result;
  }
  curl_easy_reset(curl);
  const std::string authorization = "Authorization: Bearer " + endpoint.key;
  curl_slist* headers = curl_slist_append(nullptr, authorization.c_str());
  headers = curl_slist_append(headers, "Content-Type: application/json");
  char errorBuffer[CURL_ERROR_SIZE] = {};
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(curl, CURLOPT_POST, 1L);
  curl_easy_setopt(curl, CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, timeoutMs > 0 ? timeoutMs : 0L);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, CollectReply);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &result.reply);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
  const std::string caFile = GfxGetHttpCaCertFile();
  if (!caFile.empty()) curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.c_str());
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errorBuffer);
  if (abort) {
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, AbortCheck);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, abort);
  }
  const CURLcode code = curl_easy_perform(curl);
  result.transfer = static_cast<int>(code);
  if (code == CURLE_OK) {
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    result.status = static_cast<int>(status);
    if (status != 200) result.error = "HTTP status " + std::to_string(status);
  } else {
    result.reply.clear();
    result.error = CurlTransferErrorText(code, errorBuffer);
  }
  // The handle stays with its worker: it keeps no pointer to this call's data.
  curl_easy_reset(curl);
  curl_slist_free_all(headers);
  return result;
}

std::string InvestorSeriesForPage(const std::string& series) {
  std::string out;
  size_t start = 0;
  while (start < series.size()) {
    size_t end = series.find('\n', start);
    if (end == std::string::npos) end = series.size();
    std::string line = series.substr(start, end - start);
    start = end + 1;
    while (!line.empty() && (line.back() == ',' || line.back() == '\r')) line.pop_back();
    const size_t first = line.find(',');
    const size_t second = first == std::string::npos ? first : line.find(',', first + 1);
    if (second == std::string::npos) continue;
    const size_t third = line.find(',', second + 1);
    const std::string date = line.substr(0, first);
    const std::string institution = line.substr(first + 1, second - first - 1);
    const std::string foreign =
        line.substr(second + 1, third == std::string::npos ? std::string::npos : third - second - 1);
    out += date + "," + foreign + "," + institution + "\n";
  }
  return out;
}

#include "plugin/community/ClientList.h"

#include <iconv.h>
#include <tinyxml.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>

#include "platform/support/DateUtil.h"
#include "platform/support/HttpForm.h"
#include "platform/support/LoginForm.h"
#include "platform/support/BusinessNumbers.h"
#include "platform/support/TextConv.h"
#include "platform/xl/XmlDepth.h"
#include "plugin/community/CafeService.h"
#include "plugin/community/WebLogin.h"
#include "plugin/community/WebText.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"

using orv::ui::CMyReportRecordBase;

namespace {

// Deeper XML than this is refused before TinyXML (which recurses per level) sees it.
constexpr int kMaxClientXmlDepth = 64;
constexpr size_t kMaxSearchChars = 500;

// ---- reply text

bool IsUtf8(const char* text, size_t length) {
  size_t i = 0;
  while (i < length) {
    const auto c = static_cast<unsigned char>(text[i]);
    size_t follow = 0;
    if (c < 0x80)
      follow = 0;
    else if (c >= 0xC2 && c <= 0xDF)
      follow = 1;
    else if (c >= 0xE0 && c <= 0xEF)
      follow = 2;
    else if (c >= 0xF0 && c <= 0xF4)
      follow = 3;
    else
      return false;
    if (i + follow >= length) return false;
    for (size_t k = 1; k <= follow; ++k)
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
    i += follow + 1;
  }
  return true;
}

// The reply as UTF-8: as it is when it is UTF-8, else converted from the Korean code page
// (what a Korean Windows server sends as its "ANSI" text). Bytes that neither reads are
// dropped.
std::string ReplyAsUtf8(const char* text, size_t length) {
  if (IsUtf8(text, length)) return std::string(text, length);
  std::string out;
  iconv_t cd = iconv_open("UTF-8", "CP949");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text, length);
  out.resize(length * 3 + 4);
  char* in = const_cast<char*>(text);
  size_t inLeft = length;
  char* outPtr = &out[0];
  size_t outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1)) break;
    if (errno == E2BIG || inLeft == 0) break;
    // An invalid or cut sequence: skip one byte.
    ++in;
    --inLeft;
  }
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

bool ParseReply(const char* text, size_t length, TiXmlDocument* doc) {
  if (!text || length == 0) return false;
  const std::string xml = ReplyAsUtf8(text, length);
  if (XmlDepth(xml) > kMaxClientXmlDepth) return false;
  doc->Parse(xml.c_str(), nullptr, TIXML_ENCODING_UTF8);
  const TiXmlElement* root = doc->RootElement();
  return !doc->Error() && root && std::strcmp(root->Value(), "data") == 0;
}

// A whole number attribute; 0 when absent, empty or not a whole number in int32.
int32_t IntAttr(const TiXmlElement* e, const char* name) {
  const char* value = e->Attribute(name);
  if (!value || !*value) return 0;
  char* end = nullptr;
  errno = 0;
  const long long n = std::strtoll(value, &end, 10);
  while (end && (*end == ' ' || *end == '\t')) ++end;
  if (errno != 0 || !end || *end != '\0' || n < INT32_MIN || n > INT32_MAX) return 0;
  return static_cast<int32_t>(n);
}

std::wstring TextAttr(const TiXmlElement* e, const char* name) {
  const char* value = e->Attribute(name);
  return value ? Utf8ToWide(value) : std::wstring();
}

// A date attribute ("2024-05-01", "2024-05-01 10:20:30", "20240501"); absent for anything
// else, an empty text or a zero date.
std::optional<SYSTEMTIME> DateAttr(const TiXmlElement* e, const char* name) {
  const char* value = e->Attribute(name);
  SYSTEMTIME date{};
  if (!value || !*value || !Str2UniDateTimeA(value, &date)) return std::nullopt;
  if (date.wYear < 1 || date.wMonth < 1 || date.wMonth > 12 || date.wDay < 1 || date.wDay > 31)
    return std::nullopt;
  return date;
}

ClientValues_s ReadClientItem(const TiXmlElement* item) {
  // Every item starts empty: an attribute the server leaves out never takes the value of the
  // client before it.
  ClientValues_s v;
  v.idx = IntAttr(item, "idx");
  v.companyIndex = IntAttr(item, "com_idx");
  v.agencyIndex = IntAttr(item, "agency_idx");
  const int32_t group = IntAttr(item, "group_idx");
  v.groupIndex = group > 0 ? static_cast<uint32_t>(group) : 0;
  v.customerKind = IntAttr(item, "vendor_type");
  v.memberCount = IntAttr(item, "member_cnt");
  v.carCheckCount = IntAttr(item, "car_check_cnt");
  v.insuranceCount = IntAttr(item, "insurance_cnt");
  v.groupBizNumber = TextAttr(item, "group_biz_num");
  v.ceoName = TextAttr(item, "ceo_name");
  v.ceoPhone = TextAttr(item, "ceo_tel");
  v.residentNumber = TextAttr(item, "jumin_num");
  v.bizRegNumber = TextAttr(item, "biz_reg_num");
  v.bizCategory = TextAttr(item, "biz_cate");
  v.bizItem = TextAttr(item, "biz_item");
  v.title = TextAttr(item, "title");
  v.companyName = TextAttr(item, "com_name");
  v.email = TextAttr(item, "email");
  v.phone = TextAttr(item, "tel");
  v.mobile = TextAttr(item, "mobile");
  v.website = TextAttr(item, "website");
  v.fax = TextAttr(item, "fax");
  v.notes = TextAttr(item, "notes");
  v.province = TextAttr(item, "province");
  v.address1 = TextAttr(item, "addr1");
  v.address2 = TextAttr(item, "addr2");
  v.postalCode = TextAttr(item, "postal_code");
  v.shipAddress = TextAttr(item, "shipping_address");
  v.shipAddress2 = TextAttr(item, "shipping_address2");
  v.shipPostalCode = TextAttr(item, "shipping_post");
  v.country = TextAttr(item, "country");
  v.manager = TextAttr(item, "manager");
  v.managerPosition = TextAttr(item, "manager_pos");
  v.managerJob = TextAttr(item, "manager_job");
  v.managerPhone = TextAttr(item, "manager_tel");
  v.bankName = TextAttr(item, "bank_name");
  v.bankAccount = TextAttr(item, "bank_acc_num");
  v.bankHolder = TextAttr(item, "bank_user");
  v.birthday = DateAttr(item, "birth_day");
  v.registered = DateAttr(item, "reg_date");
  return v;
}

// ---- form values

std::string DateText(const SYSTEMTIME& t) {
  return FormatA("%04d-%02d-%02d", t.wYear, t.wMonth, t.wDay);
}

std::string DateTimeText(const SYSTEMTIME& t) {
  if (t.wYear < 1) return std::string();
  return FormatA("%04d-%02d-%02d %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute,
                 t.wSecond);
}

std::wstring B2b(const app_run_setting_s& run) {
  return run.szB2b[0] ? std::wstring(run.szB2b) : std::wstring(L"stock");
}

void AddNumbered(curl_mime* form, const char* field, int n, const std::wstring& value) {
  CURL_MIMEADD_TEXTW(form, FormatA("%s_%d", field, n).c_str(), value.c_str());
}

void AddNumbered(curl_mime* form, const char* field, int n, int64_t value) {
  CURL_MIMEADD_INT(form, FormatA("%s_%d", field, n).c_str(), static_cast<int32_t>(value));
}

// The numbered fields of one saved row.
void AddRowFields(curl_mime* form, int n, const ClientValues_s& v) {
  AddNumbered(form, "idx", n, v.idx);
  AddNumbered(form, "vendor_type", n, v.customerKind);
  AddNumbered(form, "group_idx", n, static_cast<int64_t>(v.groupIndex));
  AddNumbered(form, "group_biz_num", n, v.groupBizNumber);
  AddNumbered(form, "title", n, v.title);
  AddNumbered(form, "com_name", n, ClientCompanyName(v.title));
  AddNumbered(form, "old_name", n, std::wstring());
  AddNumbered(form, "ceo_name", n, v.ceoName);
  AddNumbered(form, "ceo_tel", n, StrGetNumberOnly(v.ceoPhone));
  AddNumbered(form, "jumin_num", n, StrGetNumberOnly(v.residentNumber, L'#'));
  AddNumbered(form, "biz_reg_num", n, StrGetNumberOnly(v.bizRegNumber, L'#'));
  AddNumbered(form, "biz_cate", n, v.bizCategory);
  AddNumbered(form, "biz_item", n, v.bizItem);
  AddNumbered(form, "email", n, v.email);
  AddNumbered(form, "tel", n, StrGetNumberOnly(v.phone));
  AddNumbered(form, "mobile", n, StrGetNumberOnly(v.mobile));
  AddNumbered(form, "website", n, v.website);
  AddNumbered(form, "fax", n, StrGetNumberOnly(v.fax));
  AddNumbered(form, "province", n, v.province);
  AddNumbered(form, "addr1", n, v.address1);
  AddNumbered(form, "addr2", n, v.address2);
  AddNumbered(form, "postal_code", n, v.postalCode);
  AddNumbered(form, "country", n, v.country);
  AddNumbered(form, "shipping_addr", n, v.shipAddress);
  AddNumbered(form, "shipping_addr2", n, v.shipAddress2);
  AddNumbered(form, "shipping_post", n, v.shipPostalCode);
  AddNumbered(form, "manager", n, v.manager);
  AddNumbered(form, "manager_tel", n, v.managerPhone);
  AddNumbered(form, "manager_pos", n, v.managerPosition);
  AddNumbered(form, "manager_job", n, v.managerJob);
  AddNumbered(form, "bank_name", n, v.bankName);
  AddNumbered(form, "bank_acc_num", n, v.bankAccount);
  AddNumbered(form, "bank_user", n, v.bankHolder);
  AddNumbered(form, "notes", n, v.notes);
  CURL_MIMEADD_TEXTA(form, FormatA("reg_date_%d", n).c_str(),
                     v.registered ? DateTimeText(*v.registered).c_str() : "");
}

// A reply buffer of the senders, freed with the request.
using Reply = std::unique_ptr<char, decltype(&std::free)>;

// The caller's handle, or one made for the request and cleaned up with it.
struct Handle {
  explicit Handle(CURL* given) : curl(given) {
    if (!curl) curl = own = curl_easy_init();
  }
  ~Handle() {
    if (own) curl_easy_cleanup(own);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  CURL* curl = nullptr;
  CURL* own = nullptr;
};

bool IsClientRow(const CMyReportRecordBase* row) {
  return dynamic_cast<const CWX_CLIENTS_Record*>(row) != nullptr;
}

int32_t RowIdx(const CMyReportRecordBase* row) {
  return static_cast<int32_t>(row->GetNumberValue(CWX_CLIENTS_Record::kColIdx));
}

// The columns the keyword is looked for in, in this order.
constexpr int kKeywordColumns[] = {11, 4, 17, 21, 22, 13, 14, 20, 24, 38};

}  // namespace

// ---------------------------------------------------------------------------------------
// Replies

bool ReadClientListReply(const char* text, size_t length, ClientListReply_s* out) {
  if (!out) return false;
  TiXmlDocument doc;
  if (!ParseReply(text, length, &doc)) return false;
  const TiXmlElement* root = doc.RootElement();
  out->clients.clear();
  out->totalCount = -1;
  if (root->Attribute("total_cnt")) out->totalCount = IntAttr(root, "total_cnt");
  const TiXmlElement* items = root->FirstChildElement("items");
  if (!items) return true;
  if (items->Attribute("total_cnt")) out->totalCount = IntAttr(items, "total_cnt");
  for (const TiXmlElement* item = items->FirstChildElement("item"); item;
       item = item->NextSiblingElement())
    out->clients.push_back(ReadClientItem(item));
  return true;
}

bool ReadClientUploadReply(const char* text, size_t length, ClientUploadReply_s* out) {
  if (!out) return false;
  TiXmlDocument doc;
  if (!ParseReply(text, length, &doc)) return false;
  const TiXmlElement* root = doc.RootElement();
  *out = ClientUploadReply_s();
  out->delCount = IntAttr(root, "del_cnt");
  out->addCount = IntAttr(root, "add_cnt");
  out->upCount = IntAttr(root, "up_cnt");
  out->redundantCount = IntAttr(root, "redundant_cnt");
  out->modOkCount = IntAttr(root, "mod_ok_cnt");
  if (const char* ids = root->Attribute("redundant_ids")) out->redundantIds = ids;
  if (const char* ids = root->Attribute("mod_ok_ids")) {
    // "n:id;n:id;..."
    const std::string list = ids;
    size_t start = 0;
    while (start < list.size()) {
      size_t end = list.find(';', start);
      if (end == std::string::npos) end = list.size();
      const std::string entry = list.substr(start, end - start);
      start = end + 1;
      const size_t colon = entry.find(':');
      if (colon == std::string::npos) continue;
      char* endN = nullptr;
      char* endId = nullptr;
      const long long n = std::strtoll(entry.c_str(), &endN, 10);
      const long long id = std::strtoll(entry.c_str() + colon + 1, &endId, 10);
      if (endN != entry.c_str() + colon || *endId != '\0') continue;
      if (n < 1 || id < 1 || n > INT32_MAX || id > INT32_MAX) continue;
      out->modOkIds.emplace_back(static_cast<int32_t>(n), static_cast<int32_t>(id));
    }
  }
  if (const TiXmlElement* error = root->FirstChildElement("error")) {
    out->errorNum = IntAttr(error, "num");
    out->errorMessage = TextAttr(error, "msg");
  }
  return true;
}

// ---------------------------------------------------------------------------------------
// Form values

ClientSearch_s MakeClientSearch(const std::wstring& keyword) {
  ClientSearch_s search;
  if (keyword.empty()) return search;
  search.condition =
      " and (title like ? or com_name like ? or biz_reg_num like ? or tel like ? or "
      "mobile like ?)";
  std::wstring escaped;
  for (wchar_t c : keyword) {
    if (c == L'%' || c == L'_' || c == L'\\') escaped += L'\\';
    escaped += c;
  }
  if (escaped.size() > kMaxSearchChars) escaped.resize(kMaxSearchChars);
  if (!escaped.empty() && escaped.back() == L'\\' &&
      (escaped.size() < 2 || escaped[escaped.size() - 2] != L'\\'))
    escaped.pop_back();  // never end on half an escape
  search.value = L"%" + escaped + L"%";
  return search;
}

std::wstring FillCounts(std::wstring format, std::initializer_list<int> numbers) {
  size_t from = 0;
  for (int value : numbers) {
    const size_t at = format.find(L"%d", from);
    if (at == std::wstring::npos) break;
    const std::wstring digits = std::to_wstring(value);
    format.replace(at, 2, digits);
    from = at + digits.size();
  }
  return format;
}

std::wstring ClientCompanyName(const std::wstring& title) {
  std::wstring name = title;
  for (const wchar_t* mark : {L"(주)", L"(유)"}) {
    const size_t len = std::wcslen(mark);
    for (size_t at = name.find(mark); at != std::wstring::npos; at = name.find(mark, at))
      name.erase(at, len);
  }
  std::wstring out;
  for (wchar_t c : name)
    if (c != L'\u321C') out += c;
  return out;
}

// ---------------------------------------------------------------------------------------
// The list

CClientList::CClientList(orv::ui::CMyReportCtrl& grid) : m_grid(grid) {}

void CClientList::SetUser(const app_run_setting_s* run, const login_info_s* login) {
  m_run = run;
  m_login = login;
}

bool CClientList::LoggedIn() const { return m_login && m_login->nUserIdx >= 1; }

void CClientList::ClearRows() {
  m_grid.ResetContent(false);
  m_grid.Populate();
  m_records.clear();
  m_firstTier.clear();
  m_topRow = nullptr;
  m_newRow = nullptr;
}

void CClientList::AddNewRow(CMyReportRecordBase* parent) {
  auto* row = CWX_CLIENTS_Record::MakeNewRow();
  m_newRow = row;
  if (parent) {
    parent->AddChild(row);
    parent->SetExpanded(true);
  } else {
    m_grid.AddRecord(row);
  }
}

int CClientList::Fetch(CURL* curl, const wchar_t* keyword, int page, int count, bool refill) {
  if (!LoggedIn() || !m_run) return 0;
  const std::string url = MakeScriptUrl(*m_run, L"agc/clients_list");
  if (url.empty() || m_busy) return 0;
  m_busy = true;
  Handle handle(curl);

  ClearRows();
  if (refill) {
    if (auto* options = m_grid.GetColumnEditOptions(CWX_CLIENTS_Record::kColGroup))
      options->constraints.Clear();
    groups.assign(1, {L"*전체보기*", 0});
  }
  if (count < 1) count = pageSize;

  int parsed = 0;
  Reply reply(nullptr, &std::free);
  int status = 0;
  size_t length = 0;
  if (handle.curl) {
    curl_mime* form = curl_mime_init(handle.curl);
    GfxHttpFillLoginDataMimePtr(form, m_login);
    CURL_MIMEADD_TEXTA(form, "rsp", "xml");
    CURL_MIMEADD_TEXTW(form, "b2b", B2b(*m_run).c_str());
    CURL_MIMEADD_TEXTA(form, "all", "1");
    const ClientSearch_s search = MakeClientSearch(keyword ? keyword : L"");
    CURL_MIMEADD_TEXTA(form, "s_by", search.condition.c_str());
    if (!search.value.empty()) CURL_MIMEADD_TEXTW(form, "s_val", search.value.c_str());
    CURL_MIMEADD_TEXTA(form, "o_by", "vendor_type asc, com_name");
    CURL_MIMEADD_TEXTA(form, "sort", "asc");
    CURL_MIMEADD_INT(form, "vendor_type", customerKind);
    CURL_MIMEADD_INT(form, "grp", groupFilter);
    CURL_MIMEADD_INT(form, "ct", ct);
    CURL_MIMEADD_INT(form, "prj", prj);
    CURL_MIMEADD_INT(form, "page", page);
    CURL_MIMEADD_INT(form, "cnt", count);
    CURL_MIMEADD_TEXTA(form, "st", DateText(startDate).c_str());
    CURL_MIMEADD_TEXTA(form, "end", DateText(endDate).c_str());
    char* text = nullptr;
    GfxHttpPostMimeDataUsingCurl2(url.c_str(), handle.curl, form, 1, &text, &length, &status,
                                  nullptr, nullptr, 0, 0, kClientRequestTimeoutMs, 0, 0,
                                  kCafeBrowserUserAgent, 0, 0);
    reply.reset(text);
  }

  m_topRow = CWX_CLIENTS_Record::MakeTopRow(m_login->nCompanyIdx, m_login->nAgencyIdx);
  m_grid.AddRecord(m_topRow);
  ClientListReply_s list;
  if (reply && status == 200 && ReadClientListReply(reply.get(), length, &list)) {
    parsed = 1;
    totalCount = list.totalCount >= 0 ? list.totalCount : static_cast<int32_t>(list.clients.size());
    for (const ClientValues_s& values : list.clients) {
      auto* row = new CWX_CLIENTS_Record(values, false);
      const auto parent = m_firstTier.find(static_cast<int32_t>(values.groupIndex));
      CMyReportRecordBase* under = m_topRow;
      if (values.groupIndex >= 1 && parent != m_firstTier.end()) under = parent->second;
      under->AddChild(row);
      under->SetExpanded(true);
      m_records.push_back(row);
      if (values.customerKind == kClientFirstTier && values.idx >= 1 &&
          m_firstTier.emplace(values.idx, row).second && refill) {
        groups.emplace_back(values.title, values.idx);
        if (auto* options = m_grid.GetColumnEditOptions(CWX_CLIENTS_Record::kColGroup))
          options->constraints.Add(values.idx, values.title);
      }
    }
  } else {
    totalCount = 0;
  }
  AddNewRow(m_topRow);
  m_grid.Populate();
  m_busy = false;
  return parsed;
}

int CClientList::Reload(CURL* curl, const wchar_t* keyword, bool refill) {
  if (currentPage < 1) currentPage = 1;
  return Fetch(curl, keyword, currentPage, pageSize, refill);
}

std::vector<CWX_CLIENTS_Record*> CClientList::AllRows() const {
  std::vector<CWX_CLIENTS_Record*> rows;
  for (int i = 0; i < m_grid.GetRecordCount(); ++i) CollectRows(m_grid.GetRecord(i), &rows);
  return rows;
}

void CClientList::CollectRows(CMyReportRecordBase* row,
                              std::vector<CWX_CLIENTS_Record*>* out) const {
  if (auto* client = dynamic_cast<CWX_CLIENTS_Record*>(row)) out->push_back(client);
  for (int i = 0; i < row->GetChildCount(); ++i) CollectRows(row->GetChild(i), out);
}

void CClientList::RebuildRecordList() {
  const std::vector<CWX_CLIENTS_Record*> rows = AllRows();
  const std::set<CWX_CLIENTS_Record*> alive(rows.begin(), rows.end());
  std::vector<CWX_CLIENTS_Record*> kept;
  for (CWX_CLIENTS_Record* row : m_records)
    if (alive.count(row)) kept.push_back(row);
  m_records.swap(kept);
  for (auto it = m_firstTier.begin(); it != m_firstTier.end();)
    it = alive.count(it->second) ? std::next(it) : m_firstTier.erase(it);
  if (!alive.count(m_topRow)) m_topRow = nullptr;
  if (!alive.count(m_newRow)) m_newRow = nullptr;
}

int CClientList::ModifiedCount(int* added, int* updated) const {
  int count = 0, add = 0, update = 0;
  for (CWX_CLIENTS_Record* row : AllRows()) {
    if (!row->IsModified()) continue;
    ++count;
    (RowIdx(row) > 0 ? update : add) += 1;
  }
  if (added) *added = add;
  if (updated) *updated = update;
  return count;
}

int CClientList::DeletableSelectedCount() const {
  int count = 0;
  for (CMyReportRecordBase* row : m_grid.GetSelectedRecords())
    if (IsClientRow(row) && RowIdx(row) > 0) ++count;
  return count;
}

int CClientList::Upload(CURL* curl, int deleteMode) {
  if (!LoggedIn() || !m_run) return 0;
  const std::string url = MakeScriptUrl(*m_run, L"agc/clients_up");
  if (url.empty()) return 0;
  const bool deleting = deleteMode != 0;

  // The rows to send, numbered from 1 in the order they are taken.
  std::map<int, CWX_CLIENTS_Record*> sent;
  int modCount = 0;
  if (deleting) {
    const auto selected = m_grid.GetSelectedRecords();
    modCount = static_cast<int>(selected.size());
    for (CMyReportRecordBase* row : selected)
      if (IsClientRow(row) && RowIdx(row) > 0)
        sent.emplace(static_cast<int>(sent.size()) + 1, static_cast<CWX_CLIENTS_Record*>(row));
  } else {
    for (CWX_CLIENTS_Record* row : AllRows()) {
      if (!row->IsModified()) continue;
      ++modCount;
      sent.emplace(static_cast<int>(sent.size()) + 1, row);
    }
  }
  if (modCount == 0 || sent.empty()) return 0;
  Handle handle(curl);
  if (!handle.curl) return 0;

  curl_mime* form = curl_mime_init(handle.curl);
  GfxHttpFillLoginDataMimePtr(form, m_login);
  CURL_MIMEADD_TEXTA(form, "rsp", "xml");
  CURL_MIMEADD_TEXTW(form, "b2b", B2b(*m_run).c_str());
  CURL_MIMEADD_INT(form, "nth", -1);
  CURL_MIMEADD_INT(form, "op", deleting ? 4 : 1);
  CURL_MIMEADD_INT(form, "grp", groupFilter);
  CURL_MIMEADD_INT(form, "_del_mode", deleting ? 1 : 0);
  CURL_MIMEADD_INT(form, "_mod_cnt", modCount);
  CURL_MIMEADD_INT(form, "co", m_run->nCompanyNo);
  CURL_MIMEADD_INT(form, "agc", m_run->nAgencyIdx);
  CURL_MIMEADD_INT(form, "_del_mode", deleting ? 1 : 0);
  for (const auto& [n, row] : sent) {
    if (deleting)
      AddNumbered(form, "idx", n, RowIdx(row));
    else
      AddRowFields(form, n, ValuesOf(*row));
  }

  char* text = nullptr;
  size_t length = 0;
  int status = 0;
  GfxHttpPostMimeDataUsingCurl2(url.c_str(), handle.curl, form, 1, &text, &length, &status,
                                m_run->szWebApiKey, m_run->szWebApiUserId, m_run->nWebApiUserIdx,
                                m_run->nWebApiToken, kClientRequestTimeoutMs, 0, 0,
                                kWebAgentUserAgent, 0, 0);
  Reply reply(text, &std::free);
  ClientUploadReply_s answer;
  if (!reply || status != 200 || !ReadClientUploadReply(reply.get(), length, &answer)) return 0;

  int result = answer.upCount;
  std::set<int> applied;
  for (const auto& [n, id] : answer.modOkIds) {
    auto it = sent.find(n);
    if (it == sent.end() || !applied.insert(n).second) continue;
    ++result;
    CWX_CLIENTS_Record* row = it->second;
    if (deleting && deleteMode == kClientDeleteRows) {
      m_grid.RemoveRecord(row);
      // Children of a removed row go with it; nothing may point at them any more.
      RebuildRecordList();
    } else {
      row->SetModified(false);
      row->SetNumberValue(CWX_CLIENTS_Record::kColIdx, id);
    }
  }
  if (deleting && deleteMode == kClientDeleteRows)
    m_grid.Populate();
  else
    m_grid.RedrawControl();
  return result;
}

int CClientList::ApplyFilter() {
  int shown = 0;
  for (CWX_CLIENTS_Record* row : m_records) {
    bool match = true;
    if (customerKind >= 1)
      match = static_cast<int32_t>(row->GetNumberValue(CWX_CLIENTS_Record::kColCustomerKind)) ==
              customerKind;
    if (match && groupFilter >= 1)
      match = row->GetOptionsValue(CWX_CLIENTS_Record::kColGroup) == groupFilter;
    if (match && !keyword.empty()) {
      match = false;
      for (int column : kKeywordColumns) {
        if (row->GetTextValue(column).find(keyword) != std::wstring::npos) {
          match = true;
          break;
        }
      }
    }
    row->SetVisible(match);
    if (match) ++shown;
  }
  // A shown row keeps its parents shown.
  for (CWX_CLIENTS_Record* row : m_records) {
    if (!row->IsVisible()) continue;
    for (CMyReportRecordBase* p = row->GetParentRecord(); p; p = p->GetParentRecord())
      p->SetVisible(true);
  }
  m_grid.Populate();
  return shown;
}

int CClientList::PageCount() const {
  if (pageSize < 1 || totalCount < 1) return 0;
  return totalCount / pageSize + (totalCount % pageSize ? 1 : 0);
}

std::vector<std::wstring> CClientList::PageTexts(const std::wstring& format) const {
  std::vector<std::wstring> texts;
  const int pages = PageCount();
  for (int p = 1; p <= pages; ++p) {
    const int rows = std::min(totalCount - (p - 1) * pageSize, pageSize);
    texts.push_back(FillCounts(format, {p, rows}));
  }
  return texts;
}

int CClientList::OnCellChanged(CMyReportRecordBase* row, int column) {
  auto* client = dynamic_cast<CWX_CLIENTS_Record*>(row);
  if (!client) return 0;
  int result = 0;
  std::wstring formatted;
  switch (column) {
    case CWX_CLIENTS_Record::kColCeoPhone:
    case CWX_CLIENTS_Record::kColPhone:
    case CWX_CLIENTS_Record::kColMobile:
    case CWX_CLIENTS_Record::kColFax:
      if (GfxFormatTelNumber(client->GetTextValue(column), L';', &formatted))
        client->SetTextValue(column, formatted);
      result = 1;
      break;
    case CWX_CLIENTS_Record::kColBizRegNumber:
      if (GfxFormatBizRegNumber(client->GetTextValue(column), L'#', &formatted)) {
        client->SetTextValue(column, formatted);
        client->SetItemTextColor(column, formatted[0] == L'#' ? kRowRed : kRowBlue);
      }
      result = 1;
      break;
    default:
      break;
  }
  client->SetModified(true);
  if ((optionBits & kClientOptionNewRow) && (client == m_newRow || !m_newRow)) {
    // The new row became a client: another empty row waits for the next one.
    auto* next = CWX_CLIENTS_Record::MakeNewRow();
    m_newRow = next;
    m_grid.AddRecord(next);
    m_grid.Populate();
  } else {
    m_grid.RedrawControl();
  }
  return result;
}

ClientValues_s CClientList::ValuesOf(const CWX_CLIENTS_Record& row) {
  using R = CWX_CLIENTS_Record;
  ClientValues_s v;
  auto num = [&row](int column) { return static_cast<int32_t>(row.GetNumberValue(column)); };
  auto date = [&row](int column) -> std::optional<SYSTEMTIME> {
    const SYSTEMTIME t = row.GetTimeValue(column);
    if (t.wYear < 1) return std::nullopt;
    return t;
  };
  v.idx = num(R::kColIdx);
  v.companyIndex = num(R::kColCompany);
  v.agencyIndex = num(R::kColAgency);
  v.title = row.GetTextValue(R::kColTitle);
  v.customerKind = num(R::kColCustomerKind);
  v.memberCount = num(R::kColMembers);
  v.carCheckCount = num(R::kColCarChecks);
  v.insuranceCount = num(R::kColInsurances);
  const int64_t group = row.GetOptionsValue(R::kColGroup);
  v.groupIndex = group > 0 ? static_cast<uint32_t>(group) : 0;
  v.groupBizNumber = row.GetTextValue(R::kColGroupBizNumber);
  v.companyName = row.GetTextValue(11);
  v.cell12Text = row.GetTextValue(12);
  v.ceoName = row.GetTextValue(13);
  v.ceoPhone = row.GetTextValue(R::kColCeoPhone);
  v.residentNumber = row.GetTextValue(15);
  v.birthday = date(R::kColBirthday);
  v.bizRegNumber = row.GetTextValue(R::kColBizRegNumber);
  std::wstring* texts[] = {
      &v.bizCategory,  &v.bizItem,         &v.email,       &v.phone,          &v.mobile,
      &v.website,      &v.fax,             &v.province,    &v.address1,       &v.address2,
      &v.postalCode,   &v.country,         &v.shipAddress, &v.shipAddress2,   &v.shipPostalCode,
      &v.manager,      &v.managerPhone,    &v.managerPosition, &v.managerJob, &v.bankName,
      &v.bankAccount,  &v.bankHolder,      &v.notes,
  };
  int column = 18;
  for (std::wstring* text : texts) *text = row.GetTextValue(column++);
  v.registered = date(R::kColRegistered);
  return v;
}

void CClientList::WriteValues(CWX_CLIENTS_Record* row, const ClientValues_s& values) {
  if (!row) return;
  // A row is rebuilt whole from its values: the grid's row keeps its place, its cells change.
  ClientValues_s v = values;
  const ClientValues_s old = ValuesOf(*row);
  v.idx = old.idx;
  v.companyIndex = old.companyIndex;
  v.agencyIndex = old.agencyIndex;
  CWX_CLIENTS_Record fresh(v, true);
  for (int i = 0; i < fresh.GetItemCount() && i < row->GetItemCount(); ++i) {
    orv::ui::CMyReportRecordItem* item = fresh.GetItem(i);
    switch (item->Kind()) {
      case orv::ui::ReportItemKind::Text:
        row->SetTextValue(i, fresh.GetTextValue(i));
        break;
      case orv::ui::ReportItemKind::Number:
        row->SetNumberValue(i, fresh.GetNumberValue(i));
        break;
      case orv::ui::ReportItemKind::Options:
        row->SetOptionsValue(i, fresh.GetOptionsValue(i));
        break;
      case orv::ui::ReportItemKind::Date:
      case orv::ui::ReportItemKind::Time:
        row->SetTimeValue(i, fresh.GetTimeValue(i));
        break;
      default:
        break;
    }
    row->SetItemTextColor(i, item->textColor);
    row->SetItemBackColor(i, item->backColor);
  }
  OnCellChanged(row, -1);
}

CWX_CLIENTS_Record* CClientList::AddImportedRow(const ClientValues_s& values) {
  auto* row = new CWX_CLIENTS_Record(values, true);
  if (m_topRow) {
    m_topRow->AddChild(row);
    m_topRow->SetExpanded(true);
  } else {
    m_grid.AddRecord(row);
  }
  m_records.push_back(row);
  m_grid.Populate();
  return row;
}

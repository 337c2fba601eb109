#include "plugin/community/CafeService.h"

#include <cstdio>
#include <cstdlib>

#include "platform/support/HttpForm.h"
#include "platform/support/TextConv.h"
#include "platform/win/Clock.h"
#include "plugin/community/WebLogin.h"
#include "plugin/community/WebText.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"

namespace {
constexpr const char* kListScript = "stock/cafe_list";
constexpr const char* kMembersScript = "stock/cafe_member_list";
constexpr const char* kRecItemsScript = "stock/cafe_rec_items_list2";

}  // namespace

CafeRecordPtr CafeSnapshot_s::FindCafe(int32_t cafeIndex) const {
  const auto found = cafes->find(cafeIndex);
  return found == cafes->end() ? nullptr : found->second;
}

// ---------------------------------------------------------------------------------------
// The filler of a window still to come

CCafeUnavailableFiller::CCafeUnavailableFiller(std::wstring windowName, LogFn log)
    : m_windowName(std::move(windowName)), m_log(std::move(log)) {}

void CCafeUnavailableFiller::FillCafeGroups(const CafeSnapshotPtr&) { SayNotAvailable(); }

void CCafeUnavailableFiller::FillCafeRows(const CafeSnapshotPtr&) { SayNotAvailable(); }

void CCafeUnavailableFiller::SayNotAvailable() {
  if (m_said || !m_log) return;
  m_said = true;
  m_log((L"The " + m_windowName + L" is not available to show the cafe data.").c_str());
}

// ---------------------------------------------------------------------------------------
// Set-up and wake-up (user-interface thread)

CCafeService::CCafeService(CafeHostCalls_s host)
    : m_host(std::move(host)),
      m_missingDialog(std::make_unique<CCafeUnavailableFiller>(L"cafe dialog", m_host.log)),
      m_missingDataView(std::make_unique<CCafeUnavailableFiller>(L"cafe data view", m_host.log)),
      m_dialog(m_missingDialog.get()),
      m_dataView(m_missingDataView.get()),
      m_snapshot(std::make_shared<const CafeSnapshot_s>()) {}

CCafeService::~CCafeService() = default;

void CCafeService::SetWebLogin(CWebLogin* web) { m_web = web; }

void CCafeService::SetDialogFiller(ICafeFiller* filler) {
  m_dialog = filler ? filler : m_missingDialog.get();
}

void CCafeService::SetDataViewFiller(ICafeFiller* filler) {
  m_dataView = filler ? filler : m_missingDataView.get();
}

void CCafeService::RequestCafe(int32_t cafeIndex) {
  m_requestedCafe.store(cafeIndex < 0 ? 0 : cafeIndex);
  // The member list and the items of the picked cafe; the list bit stays while its download
  // has not succeeded yet, or the picker could never be filled again.
  const uint8_t keepList = m_mask.load() & kCafeMaskList;
  m_mask.store(static_cast<uint8_t>(kCafeMaskMembers | kCafeMaskRecItems | keepList));
  Wake();
}

void CCafeService::Wake() {
  CafeIdentity_s who;
  if (m_web) {
    const app_run_setting_s& run = m_web->RunSetting();
    const login_info_s& login = m_web->LoginInfo();
    who.viewCompany = m_web->m_companyIdx;
    who.loginCompany = login.nCompanyIdx;
    who.agency = m_web->m_agencyIdx;
    who.gdp = run.nGdp;
    who.deployer = run.nDeployer;
    who.userIndex = m_web->m_userIdx;
    who.memberIndex = login.nUserIdx;
    who.ownCafe = login.nOwnCafeIdx;
    who.token = StrUrlEncodeA(m_web->m_userToken);
    who.uid2 = WideToUtf8(m_web->m_identity.escapedId);
    who.listUrl = MakeScriptUrl(run, Utf8ToWide(kListScript).c_str());
    who.membersUrl = MakeScriptUrl(run, Utf8ToWide(kMembersScript).c_str());
    who.recItemsUrl = MakeScriptUrl(run, Utf8ToWide(kRecItemsScript).c_str());
    who.apiKey = run.szWebApiKey;
    who.apiUserId = run.szWebApiUserId;
    who.apiUserIdx = run.nWebApiUserIdx;
    who.apiToken = run.nWebApiToken;
  }
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_identity = std::move(who);
  }
  if (m_host.signalWorker) m_host.signalWorker();
}

CafeSnapshotPtr CCafeService::Snapshot() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_snapshot;
}

// ---------------------------------------------------------------------------------------
// The pass (cafe worker)

int CCafeService::RunPass(CURL* curl) {
  if (m_busy.exchange(true)) return 0;
  CafeIdentity_s who;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    who = m_identity;
  }
  // Another user signed in: the cafes, the standing and the items of the last one are not
  // theirs, so the pass starts over from nothing.
  if (who.userIndex >= 1 && m_listedUser != 0 && who.userIndex != m_listedUser) {
    m_work = CafeSnapshot_s();
    m_listedUser = 0;
    m_mask.fetch_or(kCafeMaskList | kCafeMaskMembers);
  }
  int sent = 0;
  auto count = [&sent](Download result) {
    if (result != Download::kNotSent) ++sent;
    return result;
  };
  // A cafe the user picked since the last pass becomes the current one; "none picked" yields
  // to the cafe a list downloaded in this pass picks.
  const int32_t requested = m_requestedCafe.exchange(kNoCafeRequest);
  auto applyPick = [this, requested](bool listDone) {
    if (requested > 0 || (requested == 0 && !listDone)) {
      m_work.currentCafeIndex = requested;
      SelectCurrentCafe(requested, &m_work);
    }
  };
  if (m_mask.load() & kCafeMaskList) {
    // The list stays in the mask until a download of it succeeds.
    const bool listDone = count(DownloadCafeList(curl, who, &m_work)) == Download::kDone;
    if (listDone) m_mask.fetch_and(static_cast<uint8_t>(~kCafeMaskList));
    applyPick(listDone);
    Publish(m_work);
    const CafeSnapshotPtr snapshot = Snapshot();
    Post([snapshot](ICafeFiller& filler) { filler.FillCafeGroups(snapshot); });
  } else {
    applyPick(false);
  }
  const int32_t cafe = m_work.currentCafeIndex;
  if (m_mask.load() & kCafeMaskMembers) {
    // The member list stays in the mask until one came back.
    if (count(DownloadCafeMembers(curl, who, cafe, &m_work)) == Download::kDone)
      m_mask.fetch_and(static_cast<uint8_t>(~kCafeMaskMembers));
    Publish(m_work);
  }
  if (m_mask.load() & kCafeMaskRecItems) {
    // The recommended items stay in the mask: every pass asks for them again.
    count(DownloadCafeRecItems(curl, who, cafe, &m_work));
    Publish(m_work);
    const CafeSnapshotPtr snapshot = Snapshot();
    Post([snapshot](ICafeFiller& filler) { filler.FillCafeRows(snapshot); });
  }
  m_busy.store(false);
  return sent;
}

void CCafeService::Publish(CafeSnapshot_s data) {
  auto snapshot = std::make_shared<const CafeSnapshot_s>(std::move(data));
  std::lock_guard<std::mutex> lock(m_mutex);
  m_snapshot = std::move(snapshot);
}

void CCafeService::Post(std::function<void(ICafeFiller&)> call) {
  if (!m_host.runOnUi) return;
  m_host.runOnUi([this, call = std::move(call)] {
    call(*m_dataView);
    call(*m_dialog);
  });
}

void CCafeService::ReportFailure(const char* script, const std::string& why, bool* failedBefore) {
  // One line when a download starts failing, not one every pass while the server is away.
  if (*failedBefore) return;
  *failedBefore = true;
  if (m_host.log)
    m_host.log(Utf8ToWide("Web server request failed (" + std::string(script) + "): " + why +
                          "; the last cafe data is kept")
                   .c_str());
}

bool CCafeService::Fetch(CURL* curl, const CafeIdentity_s& who, const char* script,
                         const std::string& url, int timeoutMs, const char* userAgent,
                         bool needStatusOk, bool* failedBefore, std::string* reply) {
  char* buffer = nullptr;
  size_t length = 0;
  int status = 0;
  reply->clear();
  const int result = GfxHttpGetDataUsingCurlObj(
      curl, url.c_str(), timeoutMs, &buffer, &length, &status, who.apiKey.c_str(),
      who.apiUserId.c_str(), who.apiUserIdx, who.apiToken, 0, 0, userAgent, 0, 0);
  const bool answered = result == 0 && buffer != nullptr;
  if (buffer) reply->assign(buffer, length);
  std::free(buffer);
  if (!answered) {
    ReportFailure(script, GfxHttpLastTransferError(), failedBefore);
    return false;
  }
  if (needStatusOk && status != 200) {
    ReportFailure(script, "HTTP status " + std::to_string(status), failedBefore);
    return false;
  }
  return true;
}

void CCafeService::SelectCurrentCafe(int32_t cafeIndex, CafeSnapshot_s* data) {
  if (!data->currentCafe || data->currentCafe->cafeIndex != cafeIndex)
    data->currentCafe = data->FindCafe(cafeIndex);
  if (data->currentCafe) {
    data->chiefManagerIndex = data->currentCafe->chiefManagerIndex;
    data->subManagerIndex = data->currentCafe->subManagerIndex;
  }
}

CCafeService::Download CCafeService::DownloadCafeList(CURL* curl, const CafeIdentity_s& who,
                                                      CafeSnapshot_s* data) {
  if (who.userIndex < 1) {
    // Nobody is signed in: no current cafe, the list as it was.
    data->currentCafe = nullptr;
    data->currentCafeIndex = data->chiefManagerIndex = data->subManagerIndex = 0;
    return Download::kNotSent;
  }
  const std::string url =
      FormatA("%s?b2b=stock&rsp=json&co=%d&agc=%d&gdp=%d&deployer=%d&uidx=%d&tk=%s&uid2=%s",
              who.listUrl.c_str(), who.viewCompany, who.agency, who.gdp, who.deployer,
              who.userIndex, who.token.c_str(), who.uid2.c_str());
  std::string reply;
  if (!Fetch(curl, who, kListScript, url, kCafeListTimeoutMs, kCafeBrowserUserAgent, true,
             &m_listFailed, &reply))
    return Download::kFailed;
  CafeListReply_s list;
  const CafeReplyRead read =
      ReadCafeListReply(reply.data(), reply.size(), who.agency, who.ownCafe, 0, &list);
  if (read != CafeReplyRead::kOk) {
    std::fputs(read == CafeReplyRead::kNotJson ? "JSON 파싱 실패\n" : "data 배열이 없습니다.\n",
               stdout);
    ReportFailure(kListScript, "the reply holds no cafe list", &m_listFailed);
    return Download::kFailed;
  }
  m_listFailed = false;
  m_listedUser = who.userIndex;
  data->cafes = std::make_shared<const CafeMap>(std::move(list.cafes));
  data->currentCafe = list.picked;
  data->currentCafeIndex = list.picked ? list.picked->cafeIndex : 0;
  data->chiefManagerIndex = list.picked ? list.picked->managerIndex : 0;
  data->subManagerIndex = list.picked ? list.picked->subManagerIndex : 0;
  return Download::kDone;
}

CCafeService::Download CCafeService::DownloadCafeMembers(CURL* curl, const CafeIdentity_s& who,
                                                         int32_t cafeIndex, CafeSnapshot_s* data) {
  SelectCurrentCafe(cafeIndex, data);
  const int32_t member = who.memberIndex;
  int32_t manager = 0;
  if (member != 0 && (member == data->chiefManagerIndex || member == data->subManagerIndex))
    manager = 1;
  else if (data->currentCafe && CafeIdListHasMember(data->currentCafe->subManagerIds, member))
    manager = 1;
  data->managerFlag = manager;
  data->chiefManager = member != 0 && member == data->chiefManagerIndex;
  const bool chief = data->chiefManager;
  Post([manager, chief](ICafeFiller& filler) { filler.SetCafeManagerFlags(manager, chief); });
  if (cafeIndex < 1) return Download::kNotSent;

  const std::string url = FormatA(
      "%s?all=%d&b2b=stock&rsp=json&cafe=%d&co=%d&agc=%d&gdp=%d&deployer=%d&uidx=%d&tk=%s&"
      "uid2=%s",
      who.membersUrl.c_str(), 0, cafeIndex, who.loginCompany, who.agency, who.gdp, who.deployer,
      who.userIndex, who.token.c_str(), who.uid2.c_str());
  // Any body that comes back is read, whatever its status.
  std::string reply;
  if (!Fetch(curl, who, kMembersScript, url, kCafeMembersTimeoutMs, kCafeBrowserUserAgent, false,
             &m_membersFailed, &reply))
    return Download::kFailed;
  SYSTEMTIME now;
  orv::win::GetLocalTime(&now);
  CafeMembersReply_s members;
  if (ReadCafeMembersReply(reply.data(), reply.size(), member, cafeIndex, now, &members) !=
      CafeReplyRead::kOk) {
    std::fputs("JSON 파싱 실패\n", stdout);
    return Download::kFailed;
  }
  m_membersFailed = false;
  if (members.approvedCafe >= 1) {
    // The login record is the host's and the user-interface thread's: it is written there.
    data->approvedCafe = members.approvedCafe;
    const int32_t approved = members.approvedCafe;
    if (m_host.runOnUi)
      m_host.runOnUi([this, approved] {
        if (m_web) m_web->LoginInfo().nApprovedCafeIdx = approved;
      });
  }
  if (!data->modTime.empty()) data->changesSince = MakeCafeChangesSince(data->modTime);
  return Download::kDone;
}

CCafeService::Download CCafeService::DownloadCafeRecItems(CURL* curl, const CafeIdentity_s& who,
                                                          int32_t cafeIndex, CafeSnapshot_s* data) {
  const size_t masterCount = m_host.masterStockCount ? m_host.masterStockCount() : 0;
  if (who.userIndex < 1 || cafeIndex < 1 || masterCount < 1) return Download::kNotSent;
  SelectCurrentCafe(cafeIndex, data);

  const std::string url = FormatA(
      "%s?b2b=stock&rsp=json&cafe=%d&mycafe=%d&co=%d&agc=%d&gdp=%d&deployer=%d&uidx=%d&tk=%s&"
      "adm=%d&uid2=%s",
      who.recItemsUrl.c_str(), cafeIndex, who.ownCafe, who.loginCompany, who.agency, who.gdp,
      who.deployer, who.userIndex, who.token.c_str(), data->managerFlag, who.uid2.c_str());
  std::string reply;
  if (!Fetch(curl, who, kRecItemsScript, url, kCafeRecItemsTimeoutMs, kWebAgentUserAgent, true,
             &m_recItemsFailed, &reply))
    return Download::kFailed;
  CafeRecItemsReply_s items;
  if (ReadCafeRecItemsReply(reply.data(), reply.size(), &items) != CafeReplyRead::kOk) {
    ReportFailure(kRecItemsScript, "the reply is not JSON", &m_recItemsFailed);
    return Download::kFailed;
  }
  m_recItemsFailed = false;
  if (!items.modTime.empty()) data->modTime = items.modTime;

  // The map is rebuilt from this reply: one entry per stock of the master list.
  std::map<std::wstring, CafeRecStock_s> stocks;
  const uint8_t approval = static_cast<uint8_t>(items.approval);
  for (const CafeRecItem_s& item : items.items) {
    CafeRecStock_s stock;
    if (!m_host.markRecommendedStock ||
        !m_host.markRecommendedStock(item.market, item.code.c_str(), approval, &stock))
      continue;
    stock.market = item.market;
    stock.approved = approval;
    stock.values = item.values;
    stocks.emplace(stock.code, std::move(stock));
  }
  data->recStocks.clear();
  for (auto& entry : stocks) data->recStocks.push_back(std::move(entry.second));
  data->recItemsCafe = cafeIndex;
  if (!data->modTime.empty()) data->changesSince = MakeCafeChangesSince(data->modTime);
  return Download::kDone;
}

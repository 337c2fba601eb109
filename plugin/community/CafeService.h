#pragma once
// The cafe worker's downloads and the cafe data they keep: the cafe list with the current cafe,
// the user's standing in it (manager and approved flags) and the cafe's recommended stocks.
//
// Threads. Wake() runs on the user-interface thread: it copies what the requests send about the
// signed-in user and signals the cafe worker. RunPass() runs on the cafe worker with its own
// HTTP handle and holds no lock while a request is out. What the windows show goes to them as
// an immutable snapshot (CafeSnapshot_s), handed to the fillers on the user-interface thread;
// a window may keep a snapshot, or any record of it, as long as it likes.
//
// A download that fails (no answer, an HTTP status other than 200, a reply that cannot be read)
// keeps the last good data: the cafe list and the current cafe stay, and the cafe list is asked
// for again on the next pass.

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "plugin/community/CafeReplies.h"

class CWebLogin;
struct Stock_s;

// The request mask: which downloads the next pass runs.
constexpr uint8_t kCafeMaskList = 1;
constexpr uint8_t kCafeMaskMembers = 2;
constexpr uint8_t kCafeMaskRecItems = 4;

constexpr int kCafeListTimeoutMs = 5000;
constexpr int kCafeMembersTimeoutMs = 10000;
constexpr int kCafeRecItemsTimeoutMs = 10000;
// The browser text the cafe-list and member-list requests send as their user agent.
constexpr const char* kCafeBrowserUserAgent =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/123.0.0.0 Safari/537.36";

// One recommended stock of the current cafe.
struct CafeRecStock_s {
  uint8_t market = 0;
  char marketLetter = 0;  // the master stock's market character
  int8_t nation = 0;      // the master stock's nation byte
  std::wstring code;
  std::wstring name;
  uint8_t approved = 0;  // the reply's approval, as the stock's cafe-approved flag took it
  CafeRecItemValues_s values;  // what the reply says of the recommendation
};

// What the windows are handed: the cafe data after a download, never changed afterwards.
struct CafeSnapshot_s {
  std::shared_ptr<const CafeMap> cafes = std::make_shared<const CafeMap>();
  CafeRecordPtr currentCafe;  // null when none
  int32_t currentCafeIndex = 0;
  int32_t chiefManagerIndex = 0;
  int32_t subManagerIndex = 0;
  int32_t managerFlag = 0;    // 1 when the user manages the current cafe (sent as "adm")
  bool chiefManager = false;  // the user is the current cafe's chief manager
  int32_t approvedCafe = 0;   // the cafe the user's membership is approved in (0: none known)
  int32_t recItemsCafe = 0;   // the cafe of the recommended stocks
  std::vector<CafeRecStock_s> recStocks;  // by code
  std::string modTime;
  std::wstring changesSince;

  // The cafe of an index, or null.
  CafeRecordPtr FindCafe(int32_t cafeIndex) const;
};
using CafeSnapshotPtr = std::shared_ptr<const CafeSnapshot_s>;

// A window that shows the cafe data (the cafe dialog, the cafe data view). Called on the
// user-interface thread.
class ICafeFiller {
 public:
  virtual ~ICafeFiller() = default;
  // The cafe list and the current cafe changed.
  virtual void FillCafeGroups(const CafeSnapshotPtr& snapshot) = 0;
  // The recommended stocks of snapshot->recItemsCafe were downloaded again.
  virtual void FillCafeRows(const CafeSnapshotPtr& snapshot) = 0;
  // The user's manager flag and whether the user is the chief manager of the current cafe.
  virtual void SetCafeManagerFlags(int managerFlag, bool chiefManager) = 0;
};

// The filler of a window that is not there yet: it takes the data and says once, in the
// application log, that the window is not available.
class CCafeUnavailableFiller : public ICafeFiller {
 public:
  using LogFn = std::function<void(const wchar_t*)>;
  CCafeUnavailableFiller(std::wstring windowName, LogFn log);
  void FillCafeGroups(const CafeSnapshotPtr& snapshot) override;
  void FillCafeRows(const CafeSnapshotPtr& snapshot) override;
  void SetCafeManagerFlags(int, bool) override {}

 private:
  void SayNotAvailable();
  std::wstring m_windowName;
  LogFn m_log;
  bool m_said = false;
};

// What the cafe data needs of the program around it.
struct CafeHostCalls_s {
  // Stocks in the master list (any thread).
  std::function<size_t()> masterStockCount;
  // The master stock of (market, narrow code) takes the approval as its cafe-approved flag;
  // answers its wide code, name, market character and nation in *stock, false when the master
  // list does not hold it (cafe worker).
  std::function<bool(uint8_t market, const char* code, uint8_t approval, CafeRecStock_s* stock)>
      markRecommendedStock;
  // Runs a task on the user-interface thread, later and in posting order.
  std::function<void(std::function<void()>)> runOnUi;
  // A line of the application log (any thread).
  std::function<void(const wchar_t*)> log;
  // Signals the cafe worker's event.
  std::function<void()> signalWorker;
};

// What the requests send about the signed-in user, copied on the user-interface thread.
struct CafeIdentity_s {
  int32_t viewCompany = 0;   // the view's own "co" (the cafe list)
  int32_t loginCompany = 0;  // the login record's first field ("co" of the other two)
  int32_t agency = 0;
  int32_t gdp = 0;
  int32_t deployer = 0;
  int32_t userIndex = 0;    // the view's user index ("uidx"); below 1 nothing is asked
  int32_t memberIndex = 0;  // the login record's user index (compared with the managers)
  int32_t ownCafe = 0;      // the user's own cafe ("mycafe")
  std::string token;        // "tk", escaped for the query
  std::string uid2;         // the escaped base64 user id
  std::string listUrl, membersUrl, recItemsUrl;  // the scripts' addresses
  std::wstring apiKey, apiUserId;
  int32_t apiUserIdx = 0;
  int32_t apiToken = 0;
};

class CCafeService {
 public:
  explicit CCafeService(CafeHostCalls_s host);
  ~CCafeService();
  CCafeService(const CCafeService&) = delete;
  CCafeService& operator=(const CCafeService&) = delete;

  // The web login the requests take the user from (user-interface thread, before the workers
  // start); null: nobody can be signed in.
  void SetWebLogin(CWebLogin* web);
  // The cafe dialog's filler (user-interface thread); null: the dialog is not there.
  void SetDialogFiller(ICafeFiller* filler);
  // The cafe data view's filler (user-interface thread); null: the view is not there.
  void SetDataViewFiller(ICafeFiller* filler);

  // User-interface thread: takes the user's request values and wakes the worker.
  void Wake();
  // User-interface thread: a window picked `cafeIndex` (0: none) or wants its data again. The
  // next pass downloads that cafe's member list and recommended items (a cafe list still
  // waiting for a good download stays asked for); the worker is woken. Nothing waits for it.
  void RequestCafe(int32_t cafeIndex);
  // Cafe worker: one pass over the downloads of the request mask. A pass that finds the busy
  // flag set does nothing. Answers the downloads sent.
  int RunPass(CURL* curl);

  // The latest data (any thread).
  CafeSnapshotPtr Snapshot() const;
  uint8_t RequestMask() const { return m_mask.load(); }
  bool Busy() const { return m_busy.load(); }

 private:
  // How a download ended: nothing asked, asked without a usable reply, or done.
  enum class Download { kNotSent, kFailed, kDone };
  Download DownloadCafeList(CURL* curl, const CafeIdentity_s& who, CafeSnapshot_s* data);
  Download DownloadCafeMembers(CURL* curl, const CafeIdentity_s& who, int32_t cafeIndex,
                               CafeSnapshot_s* data);
  Download DownloadCafeRecItems(CURL* curl, const CafeIdentity_s& who, int32_t cafeIndex,
                                CafeSnapshot_s* data);
  // Makes the current cafe the one of `cafeIndex` and takes its manager indexes.
  static void SelectCurrentCafe(int32_t cafeIndex, CafeSnapshot_s* data);
  // GET through the worker's handle: true with the reply when one came (with needStatusOk, with
  // status 200); otherwise the failure goes to the log, once while it lasts.
  bool Fetch(CURL* curl, const CafeIdentity_s& who, const char* script, const std::string& url,
             int timeoutMs, const char* userAgent, bool needStatusOk, bool* failedBefore,
             std::string* reply);
  void Publish(CafeSnapshot_s data);
  void Post(std::function<void(ICafeFiller&)> call);
  void ReportFailure(const char* script, const std::string& why, bool* failedBefore);

  CafeHostCalls_s m_host;
  CWebLogin* m_web = nullptr;
  std::unique_ptr<CCafeUnavailableFiller> m_missingDialog;
  std::unique_ptr<CCafeUnavailableFiller> m_missingDataView;
  ICafeFiller* m_dialog = nullptr;
  ICafeFiller* m_dataView = nullptr;

  std::atomic<uint8_t> m_mask{kCafeMaskList | kCafeMaskMembers | kCafeMaskRecItems};
  std::atomic<bool> m_busy{false};
  // The cafe a window asked for, taken by the next pass; kNoCafeRequest when none waits.
  static constexpr int32_t kNoCafeRequest = -1;
  std::atomic<int32_t> m_requestedCafe{kNoCafeRequest};
  // The cafe worker's working copy; the published snapshot is a copy of it.
  CafeSnapshot_s m_work;

  mutable std::mutex m_mutex;  // guards the two below; never held across a request
  CafeIdentity_s m_identity;
  CafeSnapshotPtr m_snapshot;

  int32_t m_listedUser = 0;  // the user the cafe list was last downloaded for
  bool m_listFailed = false;
  bool m_membersFailed = false;
  bool m_recItemsFailed = false;
};

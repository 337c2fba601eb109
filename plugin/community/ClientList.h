#pragma once
// The client list of the cafe data view: companies with their business data in two tiers
// (first-tier clients and the second-tier clients that belong to them), exchanged with the
// product's web server. The list is downloaded as XML ("agc/clients_list") into a grid as a tree
// under a top row "*전체*", filtered locally, edited in the grid or the record editor, and the
// modified or selected rows are sent back ("agc/clients_up"), the server's answer applied to them.
//
// No toolkit here: the list works on the grid's model (CMyReportCtrl), which the view shows.
// Everything runs on the user-interface thread with the handle the caller gives. Rows are the
// grid's (CWX_CLIENTS_Record); the list keeps pointers to the downloaded ones.
//
// Client-record API for the view and its tools (workbook import, printing):
//   Records()         every downloaded row, in reply order (the top row and the new row not
//                     included);
//   AddImportedRow()  adds a row built elsewhere (modified, so the next save sends it);
//   ValuesOf()        reads a row back into ClientValues_s;
//   WriteValues()     writes edited values into a row and marks it modified.

#include <curl/curl.h>

#include <cstdint>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/model/ReportCtrl.h"
#include "plugin/rows/ClientRecords.h"

struct app_run_setting_s;
struct login_info_s;

// ---------------------------------------------------------------------------------------
// Replies

// The list reply: the clients in reply order and the number of clients the server holds for
// the query (the "total_cnt" of "data" or "items"; -1 when the reply does not say).
struct ClientListReply_s {
  std::vector<ClientValues_s> clients;
  int32_t totalCount = -1;
};
// Reads the list reply (the whole text, `length` bytes, not terminated; UTF-8, or the Korean
// code page when the text is not UTF-8). False when it is not XML with a root "data"; the
// items are then untouched. An attribute that is absent is empty: 0 for a number, an empty text,
// no date.
bool ReadClientListReply(const char* text, size_t length, ClientListReply_s* out);

// The upload reply: the counts of "data", the rows the server stored as (number sent, idx on
// the server), and the error element.
struct ClientUploadReply_s {
  int32_t delCount = 0, addCount = 0, upCount = 0, redundantCount = 0, modOkCount = 0;
  std::vector<std::pair<int32_t, int32_t>> modOkIds;
  std::string redundantIds;
  int32_t errorNum = 0;
  std::wstring errorMessage;
};
bool ReadClientUploadReply(const char* text, size_t length, ClientUploadReply_s* out);

// ---------------------------------------------------------------------------------------
// Form values

// The search of a download: an SQL condition whose five comparisons each take the bound value
// (the server binds `value` to every "?"), never the keyword itself. Both empty without a
// keyword. The value is "%keyword%" with the LIKE wildcards of the keyword escaped.
struct ClientSearch_s {
  std::string condition;
  std::wstring value;
};
ClientSearch_s MakeClientSearch(const std::wstring& keyword);
// The company name sent for a title: every "(주)", "(유)" and "㈜" removed.
std::wstring ClientCompanyName(const std::wstring& title);

// A message of the language data with its "%d" filled in order by the numbers. The text is
// never handed to printf: any other "%" stays as it is.
std::wstring FillCounts(std::wstring format, std::initializer_list<int> numbers);

// ---------------------------------------------------------------------------------------
// The list

// Option bit 0: keep an empty new row at the end of the list.
constexpr int kClientOptionNewRow = 1;
constexpr int kClientPageSize = 1000;
constexpr int kClientRequestTimeoutMs = 10000;
// The delete mode that takes the deleted rows out of the grid.
constexpr int kClientDeleteRows = 1;

class CClientList {
 public:
  explicit CClientList(orv::ui::CMyReportCtrl& grid);
  CClientList(const CClientList&) = delete;
  CClientList& operator=(const CClientList&) = delete;

  // The signed-in user and the run settings the requests take (the view's shared block).
  void SetUser(const app_run_setting_s* run, const login_info_s* login);
  bool LoggedIn() const;

  // Downloads the list into the grid: the top row, the clients as a tree under it (a client
  // whose first-tier client was listed before it goes under that one) and the empty new row.
  // With `refill` the group options are rebuilt from the first-tier clients. `count` below 1
  // asks for the page size. Answers 1 when a reply was read as XML, else 0; without a reply the
  // grid keeps only the top row and the new row. Nothing happens while nobody is logged in or
  // another download runs (0).
  int Fetch(CURL* curl, const wchar_t* keyword, int page, int count, bool refill);
  // Fetch of the current page with the page size, then the page list.
  int Reload(CURL* curl, const wchar_t* keyword, bool refill);

  // Sends the modified rows (delete mode 0) or deletes the selected stored rows (other modes)
  // and applies the reply: every confirmed row loses its modified mark and takes its idx, or,
  // when deleting, leaves the grid. Answers "up_cnt" plus the confirmed rows; 0 when nothing
  // was sent or no reply came (rows keep their marks).
  int Upload(CURL* curl, int deleteMode);

  // Shows the rows of the customer kind, group and keyword filters (a parent of a shown row is
  // shown too); answers the rows that match.
  int ApplyFilter();

  // The page picker's texts ("Page %d : %d" in `format`) for the total count.
  std::vector<std::wstring> PageTexts(const std::wstring& format) const;
  int PageCount() const;

  // A cell of a client row changed: the number columns are written with dashes, the row is
  // marked modified and, when it was the new row, another new row is added. Answers 1 for
  // the formatted columns, else 0.
  int OnCellChanged(orv::ui::CMyReportRecordBase* row, int column);

  // Rows for the save and delete commands.
  int ModifiedCount(int* added, int* updated) const;
  // Selected rows that are stored on the server (idx above 0).
  int DeletableSelectedCount() const;

  // --- Client-record API ---
  const std::vector<CWX_CLIENTS_Record*>& Records() const { return m_records; }
  CWX_CLIENTS_Record* TopRow() const { return m_topRow; }
  CWX_CLIENTS_Record* NewRow() const { return m_newRow; }
  static ClientValues_s ValuesOf(const CWX_CLIENTS_Record& row);
  // Writes the values into the row's cells (idx, company and agency kept) and marks it
  // modified; the new row becomes an ordinary row and another new row follows it.
  void WriteValues(CWX_CLIENTS_Record* row, const ClientValues_s& values);
  // Adds a row made elsewhere (modified) under the top row, or at the top level when there
  // is none; answers the row.
  CWX_CLIENTS_Record* AddImportedRow(const ClientValues_s& values);

  // The filters and the query values.
  int32_t customerKind = 0;  // 0 all, 1 first-tier, 2 second-tier
  int32_t groupFilter = 0;   // "grp"
  std::wstring keyword;      // the local filter's keyword
  int32_t ct = 15, prj = 15;
  int32_t currentPage = 1;
  int32_t totalCount = 0;
  int32_t pageSize = kClientPageSize;
  int32_t optionBits = 3;
  SYSTEMTIME startDate{}, endDate{};
  // The group picker's entries after a refilled download: "*전체보기*" (0), then the
  // first-tier clients (title, idx).
  std::vector<std::pair<std::wstring, int32_t>> groups;
  bool Busy() const { return m_busy; }

 private:
  void ClearRows();
  void AddNewRow(orv::ui::CMyReportRecordBase* parent);
  void CollectRows(orv::ui::CMyReportRecordBase* row, std::vector<CWX_CLIENTS_Record*>* out) const;
  std::vector<CWX_CLIENTS_Record*> AllRows() const;
  void RebuildRecordList();

  orv::ui::CMyReportCtrl& m_grid;
  const app_run_setting_s* m_run = nullptr;
  const login_info_s* m_login = nullptr;
  std::vector<CWX_CLIENTS_Record*> m_records;
  std::map<int32_t, CWX_CLIENTS_Record*> m_firstTier;
  CWX_CLIENTS_Record* m_topRow = nullptr;
  CWX_CLIENTS_Record* m_newRow = nullptr;
  bool m_busy = false;
};

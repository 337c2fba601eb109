// The client list against the loopback web server: the XML reply read into a tree under
// "*전체*", the search sent as bound values, the local filter, the numbered upload fields and the
// server's "mod_ok_ids" applied to the rows; and the reply readers on their own.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/support/TextConv.h"
#include "plugin/community/ClientList.h"
#include "shared/AppRunSetting.h"
#include "shared/LoginInfo.h"
#include "tests/peers/ClientListPeer.h"
#include "tests/peers/WebServerPeer.h"

namespace orv::test {
namespace {

constexpr const char* kToken = "client-token";
using R = CWX_CLIENTS_Record;

bool ReadList(const std::string& xml, ClientListReply_s* out) {
  return ReadClientListReply(xml.data(), xml.size(), out);
}

TEST(ClientListReply, AMissingNumberOrTextIsEmptyNotThePreviousClients) {
  const std::string xml =
      "<data><items>"
      "<item idx=\"1\" vendor_type=\"1\" member_cnt=\"5\" group_idx=\"0\" title=\"A&amp;B &lt;x&gt;\""
      " ceo_name=\"kim\" birth_day=\"1980-02-03\" reg_date=\"2024-05-06 07:08:09\"/>"
      "<item idx=\"2\" title=\"second\"/>"
      "<item idx=\"x\" member_cnt=\"99999999999\" reg_date=\"0000-00-00\"/>"
      "</items></data>";
  ClientListReply_s reply;
  ASSERT_TRUE(ReadList(xml, &reply));
  ASSERT_EQ(reply.clients.size(), 3u);
  const ClientValues_s& first = reply.clients[0];
  EXPECT_EQ(first.title, L"A&B <x>");
  EXPECT_EQ(first.memberCount, 5);
  ASSERT_TRUE(first.birthday.has_value());
  EXPECT_EQ(first.birthday->wYear, 1980);
  EXPECT_EQ(first.registered->wHour, 7);
  const ClientValues_s& second = reply.clients[1];
  EXPECT_EQ(second.idx, 2);
  EXPECT_EQ(second.customerKind, 0);
  EXPECT_EQ(second.memberCount, 0);
  EXPECT_EQ(second.ceoName, L"");
  EXPECT_FALSE(second.birthday.has_value());
  // Numbers that are no int32 and a zero date are empty as well.
  EXPECT_EQ(reply.clients[2].idx, 0);
  EXPECT_EQ(reply.clients[2].memberCount, 0);
  EXPECT_FALSE(reply.clients[2].registered.has_value());
}

TEST(ClientListReply, ReadsTheKoreanCodePageAndRefusesWhatIsNoClientList) {
  // "회사" in the Korean code page.
  const std::string korean = "<data><items><item idx=\"3\" title=\"\xC8\xB8\xBB\xE7\"/></items></data>";
  ClientListReply_s reply;
  ASSERT_TRUE(ReadList(korean, &reply));
  ASSERT_EQ(reply.clients.size(), 1u);
  EXPECT_EQ(reply.clients[0].title, L"회사");
  // A lead byte cut at the end of the text is dropped, the rest read.
  ASSERT_TRUE(ReadList(korean + "\xC8", &reply));
  EXPECT_EQ(reply.clients[0].title, L"회사");

  std::string deep = "<data>";
  for (int i = 0; i < 5000; ++i) deep += "<a>";
  const std::string notLists[] = {"", "{\"err\":0}", "<other><items/></other>",
                                  "<data><items><item idx=\"1\"", deep};
  for (const std::string& text : notLists) {
    ClientListReply_s out;
    out.clients.resize(1);
    EXPECT_FALSE(ReadList(text, &out)) << text.substr(0, 40);
    EXPECT_EQ(out.clients.size(), 1u) << "untouched";
  }
  // No items at all is an empty list, read.
  EXPECT_TRUE(ReadList("<data/>", &reply));
  EXPECT_TRUE(reply.clients.empty());
}

TEST(ClientUploadReply, TakesOnlyWellFormedModOkEntries) {
  const struct {
    const char* ids;
    std::vector<std::pair<int32_t, int32_t>> expected;
  } cases[] = {
      {"1:101;2:102;", {{1, 101}, {2, 102}}},
      {"0:5;3:0;x:1;4:7;5:;:6;7:8x", {{4, 7}}},
      {"", {}},
  };
  for (const auto& c : cases) {
    const std::string xml = std::string("<data up_cnt=\"2\" mod_ok_ids=\"") + c.ids +
                            "\"><error num=\"3\" msg=\"oops\"/></data>";
    ClientUploadReply_s reply;
    ASSERT_TRUE(ReadClientUploadReply(xml.data(), xml.size(), &reply)) << c.ids;
    EXPECT_EQ(reply.modOkIds, c.expected) << c.ids;
    EXPECT_EQ(reply.upCount, 2);
    EXPECT_EQ(reply.errorNum, 3);
    EXPECT_EQ(reply.errorMessage, L"oops");
  }
}

TEST(ClientFormValues, SearchKeywordTravelsOnlyAsABoundValue) {
  EXPECT_TRUE(MakeClientSearch(L"").condition.empty());
  EXPECT_TRUE(MakeClientSearch(L"").value.empty());
  const struct {
    const wchar_t* keyword;
    const wchar_t* value;
  } cases[] = {
      {L"ab", L"%ab%"},
      {L"' or 1=1 --", L"%' or 1=1 --%"},
      {L"50%_off\\", L"%50\\%\\_off\\\\%"},
  };
  for (const auto& c : cases) {
    const ClientSearch_s search = MakeClientSearch(c.keyword);
    EXPECT_EQ(search.condition, ClientListPeer::kBoundSearch);
    EXPECT_EQ(search.value, c.value);
  }
  const struct {
    const wchar_t* title;
    const wchar_t* name;
  } names[] = {{L"(주)가나", L"가나"}, {L"가나(유)상사", L"가나상사"}, {L"㈜다라 (주)", L"다라 "},
               {L"마바", L"마바"}};
  for (const auto& n : names) EXPECT_EQ(ClientCompanyName(n.title), n.name) << WideToUtf8(n.title);
  EXPECT_EQ(FillCounts(L"Page %d : %d %s %d", {2, 1000}), L"Page 2 : 1000 %s %d");
}

// ---------------------------------------------------------------------------------------
// The list against the web server

class ClientListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(web_.Start());
    std::strncpy(run_.szWebApiBase, web_.BaseUrl().c_str(), sizeof run_.szWebApiBase - 1);
    std::wcscpy(run_.szWebApiKey, L"api-key");
    run_.nCompanyNo = 7;
    run_.nAgencyIdx = 3;
    login_.nCompanyIdx = 5;
    login_.nAgencyIdx = 6;
    login_.nUserIdx = 77;
    std::strcpy(login_.szToken, kToken);
    ASSERT_EQ(grid_.InitColumns(std::wstring_view(L":;IDX;co;agc;title:#;kind;m;c;i;grp:c")), 10);
    list_.SetUser(&run_, &login_);
    peer_.SetClients({
        {{"idx", "21"}, {"vendor_type", "2"}, {"group_idx", "11"}, {"title", "child of 11"},
         {"com_name", "b"}},
        {{"idx", "11"}, {"vendor_type", "1"}, {"title", "(주)first"}, {"com_name", "a"},
         {"tel", "02-123-4567"}},
        {{"idx", "12"}, {"vendor_type", "1"}, {"title", "other"}, {"com_name", "c"}},
        {{"idx", "22"}, {"vendor_type", "2"}, {"group_idx", "99"}, {"title", "orphan"},
         {"com_name", "d"}},
    });
  }

  std::vector<std::wstring> Titles(const orv::ui::CMyReportRecordBase* parent) const {
    std::vector<std::wstring> out;
    for (int i = 0; i < parent->GetChildCount(); ++i)
      out.push_back(parent->GetChild(i)->GetTextValue(R::kColTitle));
    return out;
  }
  std::string Part(const RecordedRequest& request, const std::string& name) {
    const FormPart* part = request.Part(name);
    return part ? part->content : "<absent>";
  }
  // Every value of a field, in sent order (the login fields and the upload both send "co").
  std::vector<std::string> Parts(const RecordedRequest& request, const std::string& name) {
    std::vector<std::string> out;
    for (const FormPart& part : request.parts)
      if (part.name == name) out.push_back(part.content);
    return out;
  }

  WebServerPeer web_;
  ClientListPeer peer_{web_, kToken};
  app_run_setting_s run_;
  login_info_s login_;
  orv::ui::CMyReportCtrl grid_;
  CClientList list_{grid_};
};

TEST_F(ClientListTest, DownloadBuildsTheTreeUnderTheTopRowAndSendsTheQuery) {
  ASSERT_EQ(list_.Fetch(nullptr, nullptr, 1, -1, true), 1);
  ASSERT_EQ(grid_.GetRecordCount(), 1);
  R* top = list_.TopRow();
  ASSERT_EQ(grid_.GetRecord(0), top);
  EXPECT_EQ(top->GetTextValue(R::kColTitle), L"*전체*");
  EXPECT_EQ(top->GetTextValue(R::kColGroupBizNumber), L"*전체*");
  EXPECT_EQ(top->GetNumberValue(R::kColCompany), 5);
  EXPECT_EQ(top->GetNumberValue(R::kColAgency), 6);
  // The server sorts first-tier clients first; a second-tier client goes under its first-tier
  // client, or under the top row when that one is not listed; the new row comes last.
  EXPECT_EQ(Titles(top), (std::vector<std::wstring>{L"(주)first", L"other", L"orphan", L""}));
  EXPECT_EQ(Titles(top->GetChild(0)), (std::vector<std::wstring>{L"child of 11"}));
  EXPECT_EQ(list_.NewRow(), top->GetChild(3));
  EXPECT_EQ(list_.NewRow()->GetNumberValue(R::kColCompany), 1);
  EXPECT_EQ(list_.Records().size(), 4u);
  EXPECT_FALSE(list_.Records()[0]->IsModified());
  EXPECT_EQ(grid_.GetRowCount(), 6);  // everything expanded
  // The group picker and the group column take the first-tier clients.
  ASSERT_EQ(list_.groups.size(), 3u);
  EXPECT_EQ(list_.groups[0], (std::pair<std::wstring, int32_t>{L"*전체보기*", 0}));
  EXPECT_EQ(list_.groups[1], (std::pair<std::wstring, int32_t>{L"(주)first", 11}));
  EXPECT_EQ(grid_.GetColumnEditOptions(R::kColGroup)->constraints.Size(), 2u);
  EXPECT_EQ(list_.totalCount, 4);

  const auto requests = web_.RequestsTo(ClientListPeer::kListPath);
  ASSERT_EQ(requests.size(), 1u);
  const RecordedRequest& sent = requests[0];
  EXPECT_EQ(Part(sent, "rsp"), "xml");
  EXPECT_EQ(Part(sent, "b2b"), "stock");
  EXPECT_EQ(Part(sent, "uidx"), "77");
  EXPECT_EQ(Part(sent, "s_by"), "");
  EXPECT_EQ(Part(sent, "s_val"), "<absent>");
  EXPECT_EQ(Part(sent, "o_by"), "vendor_type asc, com_name");
  EXPECT_EQ(Part(sent, "page"), "1");
  EXPECT_EQ(Part(sent, "cnt"), "1000");
  EXPECT_EQ(Part(sent, "ct"), "15");
  EXPECT_NE(sent.Header("User-Agent").find("Mozilla/5.0"), std::string::npos);
  EXPECT_FALSE(sent.HasHeader("X-Web-Api-Key"));
}

TEST_F(ClientListTest, AKeywordIsSearchedThroughTheBoundValueOnly) {
  ASSERT_EQ(list_.Fetch(nullptr, L"first", 1, 10, false), 1);
  EXPECT_EQ(list_.Records().size(), 1u);
  ASSERT_EQ(list_.Fetch(nullptr, L"' or ''='", 1, 10, false), 1);
  EXPECT_TRUE(list_.Records().empty());
  const auto requests = web_.RequestsTo(ClientListPeer::kListPath);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(Part(requests[1], "s_by"), ClientListPeer::kBoundSearch);
  EXPECT_EQ(Part(requests[1], "s_val"), "%' or ''='%");
  EXPECT_EQ(Part(requests[1], "cnt"), "10");
}

TEST_F(ClientListTest, AFailedDownloadLeavesTheTopRowAndTheNewRow) {
  const PeerReply faults[] = {
      PeerReply{500, "<data><items><item idx=\"1\"/></items></data>", "text/xml"},
      PeerReply{200, "<html>proxy</html>", "text/html"},
      [] {
        PeerReply cut{200, ClientListPeer::ListXml({{{"idx", "1"}, {"title", "t"}}}, 1), "text/xml"};
        cut.wire = PeerReply::Wire::kCut;
        return cut;
      }(),
  };
  for (const PeerReply& fault : faults) {
    web_.Http().On("POST", ClientListPeer::kListPath, fault);
    EXPECT_EQ(list_.Fetch(nullptr, nullptr, 1, -1, true), 0) << fault.body;
    ASSERT_EQ(grid_.GetRecordCount(), 1);
    EXPECT_EQ(Titles(list_.TopRow()), (std::vector<std::wstring>{L""}));
    EXPECT_TRUE(list_.Records().empty());
    EXPECT_FALSE(list_.Busy());
  }
  // Nobody signed in: nothing is asked.
  login_.nUserIdx = 0;
  const size_t before = web_.RequestsTo(ClientListPeer::kListPath).size();
  EXPECT_EQ(list_.Fetch(nullptr, nullptr, 1, -1, true), 0);
  EXPECT_EQ(web_.RequestsTo(ClientListPeer::kListPath).size(), before);
}

TEST_F(ClientListTest, TheLocalFilterShowsMatchingRowsWithTheirParents) {
  ASSERT_EQ(list_.Fetch(nullptr, nullptr, 1, -1, true), 1);
  const struct {
    int32_t kind, group;
    const wchar_t* keyword;
    int shown;
    int rows;  // shown grid rows, top row and new row included
  } cases[] = {
      {0, 0, L"", 4, 6},
      {2, 0, L"", 2, 5},       // the two second-tier clients, and first-tier 11 as a parent
      {0, 11, L"", 1, 4},      // the client of group 11 under its parent
      {0, 0, L"other", 1, 3},  // the title
      {0, 0, L"OTHER", 0, 2},  // case counts
      {1, 0, L"first", 1, 3},
  };
  for (const auto& c : cases) {
    list_.customerKind = c.kind;
    list_.groupFilter = c.group;
    list_.keyword = c.keyword;
    EXPECT_EQ(list_.ApplyFilter(), c.shown) << WideToUtf8(c.keyword) << " " << c.kind;
    EXPECT_EQ(grid_.GetRowCount(), c.rows) << WideToUtf8(c.keyword) << " " << c.kind;
  }
}

TEST_F(ClientListTest, PageListCountsTheRowsOfEveryPage) {
  list_.pageSize = 1000;
  list_.totalCount = 2500;
  EXPECT_EQ(list_.PageTexts(L"Page %d : %d"),
            (std::vector<std::wstring>{L"Page 1 : 1000", L"Page 2 : 1000", L"Page 3 : 500"}));
  list_.totalCount = 0;
  EXPECT_TRUE(list_.PageTexts(L"Page %d : %d").empty());
}

TEST_F(ClientListTest, SavingSendsTheNumberedFieldsAndAppliesModOkIds) {
  ASSERT_EQ(list_.Fetch(nullptr, nullptr, 1, -1, true), 1);
  // Nothing modified: nothing is sent.
  EXPECT_EQ(list_.Upload(nullptr, 0), 0);
  EXPECT_TRUE(web_.RequestsTo(ClientListPeer::kUploadPath).empty());

  // The user types a phone number into the first client and a new client into the new row.
  R* first = list_.Records()[0];
  R* newRow = list_.NewRow();
  ASSERT_TRUE(first->SetTextValue(R::kColPhone, L"0311234567"));
  EXPECT_EQ(list_.OnCellChanged(first, R::kColPhone), 1);
  EXPECT_EQ(first->GetTextValue(R::kColPhone), L"031-123-4567");
  EXPECT_EQ(list_.NewRow(), newRow) << "editing another row adds no new row";
  ASSERT_TRUE(newRow->SetTextValue(R::kColTitle, L"㈜새회사(유)"));
  EXPECT_EQ(list_.OnCellChanged(newRow, R::kColTitle), 0);
  ASSERT_NE(list_.NewRow(), newRow) << "editing the new row adds another";
  EXPECT_EQ(list_.NewRow()->GetParentRecord(), nullptr) << "at the top level";
  ASSERT_TRUE(newRow->SetTextValue(R::kColBizRegNumber, L"#123 45-67890"));
  EXPECT_EQ(list_.OnCellChanged(newRow, R::kColBizRegNumber), 1);
  EXPECT_EQ(newRow->GetTextValue(R::kColBizRegNumber), L"#123-45-67890");
  int added = 0, updated = 0;
  EXPECT_EQ(list_.ModifiedCount(&added, &updated), 2);
  EXPECT_EQ(added, 1);
  EXPECT_EQ(updated, 1);

  EXPECT_EQ(list_.Upload(nullptr, 0), 2);
  const auto uploads = web_.RequestsTo(ClientListPeer::kUploadPath);
  ASSERT_EQ(uploads.size(), 1u);
  const RecordedRequest& sent = uploads[0];
  EXPECT_EQ(Part(sent, "op"), "1");
  EXPECT_EQ(Part(sent, "_mod_cnt"), "2");
  // The login record's company and agency, then the run settings'.
  EXPECT_EQ(Parts(sent, "co"), (std::vector<std::string>{"5", "7"}));
  EXPECT_EQ(Parts(sent, "agc"), (std::vector<std::string>{"6", "3"}));
  EXPECT_EQ(Parts(sent, "_del_mode"), (std::vector<std::string>{"0", "0"}));
  EXPECT_EQ(Part(sent, "idx_1"), "11");
  EXPECT_EQ(Part(sent, "tel_1"), "0311234567");
  EXPECT_EQ(Part(sent, "com_name_1"), "first");
  EXPECT_EQ(Part(sent, "idx_2"), "0");
  EXPECT_EQ(Part(sent, "title_2"), "㈜새회사(유)");
  EXPECT_EQ(Part(sent, "com_name_2"), "새회사");
  EXPECT_EQ(Part(sent, "biz_reg_num_2"), "#1234567890");
  EXPECT_EQ(Part(sent, "old_name_2"), "");
  EXPECT_EQ(Part(sent, "idx_3"), "<absent>");
  EXPECT_EQ(sent.Header("X-Web-Api-Key"), "api-key");
  EXPECT_EQ(sent.Header("User-Agent"), "VARQO-PC-AGENT-TOOL-by HTTP");
  // The confirmed rows lose their marks; the new client takes the idx the server gave.
  EXPECT_FALSE(first->IsModified());
  EXPECT_FALSE(newRow->IsModified());
  EXPECT_EQ(newRow->GetNumberValue(R::kColIdx), 23);
  EXPECT_EQ(peer_.Clients().size(), 5u);
}

TEST_F(ClientListTest, RowsTheServerDoesNotConfirmKeepTheirMarks) {
  ASSERT_EQ(list_.Fetch(nullptr, nullptr, 1, -1, true), 1);
  R* a = list_.Records()[0];
  R* b = list_.Records()[2];
  a->SetModified(true);
  b->SetModified(true);
  // Only row 2 confirmed; an entry with a number that was not sent is skipped.
  web_.Http().On("POST", ClientListPeer::kUploadPath,
          PeerReply{200, "<data up_cnt=\"0\" mod_ok_ids=\"2:12;9:99;\"/>", "text/xml"});
  EXPECT_EQ(list_.Upload(nullptr, 0), 1);
  EXPECT_TRUE(a->IsModified());
  EXPECT_FALSE(b->IsModified());
  // No usable answer: nothing confirmed, every mark kept.
  b->SetModified(true);
  web_.Http().On("POST", ClientListPeer::kUploadPath, PeerReply{500, "<data mod_ok_ids=\"1:11\"/>"});
  EXPECT_EQ(list_.Upload(nullptr, 0), 0);
  EXPECT_TRUE(a->IsModified());
  EXPECT_TRUE(b->IsModified());
}

TEST_F(ClientListTest, DeletingSendsOnlyStoredSelectedRowsAndTakesThemOut) {
  ASSERT_EQ(list_.Fetch(nullptr, nullptr, 1, -1, true), 1);
  // The top row, the new row and client 11 (with its child) selected.
  grid_.SelectRow(grid_.GetRowIndex(list_.TopRow()));
  grid_.SelectRow(grid_.GetRowIndex(list_.NewRow()), true);
  grid_.SelectRow(grid_.GetRowIndex(list_.Records()[0]), true);
  EXPECT_EQ(list_.DeletableSelectedCount(), 1);
  EXPECT_EQ(list_.Upload(nullptr, kClientDeleteRows), 1);
  const auto uploads = web_.RequestsTo(ClientListPeer::kUploadPath);
  ASSERT_EQ(uploads.size(), 1u);
  EXPECT_EQ(Part(uploads[0], "op"), "4");
  EXPECT_EQ(Part(uploads[0], "_del_mode"), "1");
  EXPECT_EQ(Part(uploads[0], "idx_1"), "11");
  EXPECT_EQ(Part(uploads[0], "title_1"), "<absent>");
  EXPECT_EQ(Part(uploads[0], "idx_2"), "<absent>");
  // The row went with its child; the list keeps no pointer to either.
  EXPECT_EQ(Titles(list_.TopRow()), (std::vector<std::wstring>{L"other", L"orphan", L""}));
  EXPECT_EQ(list_.Records().size(), 2u);
  EXPECT_EQ(peer_.Clients().size(), 3u);
}

}  // namespace
}  // namespace orv::test

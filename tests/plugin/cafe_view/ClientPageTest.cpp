// The cafe data view's client page as the trading view makes it, against the loopback web
// server: the list downloaded at start-up, its toolbar controls, the save, delete and edit
// commands with their texts; and the record editor's three forms.

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/dnd.h>
#include <wx/dateevt.h>
#include <wx/frame.h>
#include <wx/notebook.h>
#include <wx/propgrid/propgrid.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/support/TextConv.h"
#include "platform/win/MessageBox.h"
#include "platform/xl/XlBook.h"
#include "plugin/community/dataview/CafeDataView.h"
#include "plugin/community/dataview/CafeDataViewMaker.h"
#include "plugin/community/dataview/DataInputDlg.h"
#include "plugin/view/ChildWindows.h"
#include "tests/e2e/road/FileDialogs.h"
#include "tests/peers/ClientListPeer.h"
#include "tests/peers/WebServerPeer.h"
#include "tests/plugin/cafe_view/CafeViewFixture.h"
#include "tests/plugin/view/ViewStage.h"

namespace orv::test {
namespace {

using R = CWX_CLIENTS_Record;

// The labels of a property grid's fields, with "date" after a date field.
std::vector<std::wstring> Fields(wxPropertyGrid* grid, std::vector<std::wstring>* categories) {
  std::vector<std::wstring> out;
  for (wxPropertyGridIterator it = grid->GetIterator(wxPG_ITERATE_ALL); !it.AtEnd(); ++it) {
    wxPGProperty* p = *it;
    if (p->IsCategory()) {
      categories->push_back(p->GetLabel().ToStdWstring() + (p->IsExpanded() ? L"" : L" (closed)"));
      continue;
    }
    out.push_back(p->GetLabel().ToStdWstring() +
                  (p->GetValue().GetType() == "datetime" ? L" date" : L""));
  }
  return out;
}

TEST(DataInputDlg, EachModeBuildsItsForm) {
  EnsureWxApp();
  const struct {
    int mode;
    size_t fields;
    std::vector<std::wstring> someFields;
    std::wstring category;
  } cases[] = {
      {kEditorCompany, 31, {L"회사명", L"생년월일 date", L"택배주소.상세", L"가입일 date"}, L"회사 정보"},
      {kEditorUser, 12, {L"사원번호", L"로그인 비밀번호", L"직책"}, L"사용자 정보 (closed)"},
      {kEditorInspection,
       41,
       {L"검사횟수", L"검사료", L"검사일 date", L"마지막 검사일 date", L"다음검사일(5년) date",
        L"남은기간", L"제조일자 date", L"고객 이메일", L"성적서 발행일 date"},
       L"차량 검사 리스트"},
      {7, 0, {}, L""},
  };
  for (const auto& c : cases) {
    CDataInputDlg dialog(HiddenFrame(), nullptr, c.mode, 1, nullptr, nullptr);
    ASSERT_TRUE(dialog.CreateDialog());
    EXPECT_EQ(dialog.GetTitle(), wxString(kDataInputCaption));
    std::vector<std::wstring> categories;
    const std::vector<std::wstring> fields = Fields(dialog.Grid(), &categories);
    EXPECT_EQ(fields.size(), c.fields) << c.mode;
    for (const std::wstring& field : c.someFields)
      EXPECT_NE(std::find(fields.begin(), fields.end(), field), fields.end())
          << c.mode << " " << WideToUtf8(field);
    if (!c.category.empty()) {
      ASSERT_FALSE(categories.empty());
      EXPECT_EQ(categories.front(), c.category);
    }
  }
  // The company form's dates start at the zero date; the inspection's at today.
  CDataInputDlg company(HiddenFrame(), nullptr, kEditorCompany, 1, nullptr, nullptr);
  ASSERT_TRUE(company.CreateDialog());
  wxPGProperty* birth = company.Grid()->GetPropertyByLabel(L"생년월일");
  ASSERT_NE(birth, nullptr);
  EXPECT_EQ(birth->GetValue().GetDateTime().GetYear(), 1899);
}

TEST(DataInputDlg, LabelKeysComeFromTheCaptions) {
  const struct {
    const wchar_t* caption;
    bool dots, brackets;
    const wchar_t* key;
  } cases[] = {
      {L"택배주소.상세", true, false, L"택배주소_상세"},
      {L"다음검사일(5년)", true, true, L"다음검사일_5년_"},
      {L"성적서 발행일", true, true, L"성적서_발행일"},
      {L"CEO.전화", false, false, L"CEO.전화"},
  };
  for (const auto& c : cases) EXPECT_EQ(EditorLabelKey(c.caption, c.dots, c.brackets), c.key);
  const EditorForm_s user = RecordEditorForm(kEditorUser);
  ASSERT_EQ(user.categories.size(), 1u);
  EXPECT_EQ(user.categories[0].fields[3].key, L"LoginPassword");
  EXPECT_EQ(user.categories[0].fields[3].caption, L"로그인 비밀번호");
}

TEST(DataInputDlg, TheCompanyFormShowsAndReturnsAClientsValues) {
  EnsureWxApp();
  ClientValues_s values;
  values.title = L"모래물산";
  values.groupIndex = 11;
  values.mobile = L"010-2222-3333";
  SYSTEMTIME birthday{};
  birthday.wYear = 1975;
  birthday.wMonth = 4;
  birthday.wDay = 9;
  values.birthday = birthday;
  CDataInputDlg dialog(HiddenFrame(), nullptr, kEditorCompany, 1, nullptr, nullptr);
  dialog.SetClientValues(values);
  ASSERT_TRUE(dialog.CreateDialog());
  wxPropertyGrid* grid = dialog.Grid();
  EXPECT_EQ(grid->GetPropertyByLabel(L"회사명")->GetValueAsString(), wxString(L"모래물산"));
  EXPECT_EQ(grid->GetPropertyByLabel(L"소속코드")->GetValueAsString(), wxString(L"11"));
  EXPECT_EQ(grid->GetPropertyByLabel(L"생년월일")->GetValue().GetDateTime().GetYear(), 1975);

  grid->GetPropertyByLabel(L"대표명")->SetValueFromString(L"최대표");
  grid->GetPropertyByLabel(L"소속코드")->SetValueFromString(L"12");
  grid->GetPropertyByLabel(L"가입일")->SetValue(wxVariant(wxDateTime(2, wxDateTime::Mar, 2024)));
  dialog.ReadCompanyForm();
  const ClientValues_s& typed = dialog.ClientValues();
  EXPECT_EQ(typed.ceoName, L"최대표");
  EXPECT_EQ(typed.title, L"모래물산");
  EXPECT_EQ(typed.groupIndex, 12u);
  ASSERT_TRUE(typed.registered.has_value());
  EXPECT_EQ(typed.registered->wYear, 2024);
  EXPECT_EQ(typed.birthday->wYear, 1975);
}

// ---------------------------------------------------------------------------------------
// The client page

class ClientPageTest : public CafeViewFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(web_.Start());
    peer_.SetClients({
        {{"idx", "11"}, {"vendor_type", "1"}, {"title", "first"}, {"com_name", "first"}},
        {{"idx", "21"}, {"vendor_type", "2"}, {"group_idx", "11"}, {"title", "second"},
         {"com_name", "second"}},
    });
    CafeViewFixture::SetUp();
    std::strncpy(stage_.run.szWebApiBase, web_.BaseUrl().c_str(),
                 sizeof stage_.run.szWebApiBase - 1);
    stage_.login.nUserIdx = 9;
    std::strcpy(stage_.login.szToken, "page-token");
  }
  void TearDown() override {
    orv::win::StopScriptingMessageBoxes();
    CafeViewFixture::TearDown();
  }
  // The texts of the boxes the commands showed.
  std::vector<std::string> Boxes() {
    std::vector<std::string> out;
    for (const auto& call : orv::win::ScriptedMessageBoxCalls())
      out.push_back(call.caption + ": " + call.text);
    return out;
  }

  WebServerPeer web_;
  ClientListPeer peer_{web_, "page-token"};
};

TEST_F(ClientPageTest, TheListComesWithTheViewAndItsToolsWithThePage) {
  CCafeDataView* cafe = Make();
  ASSERT_NE(cafe, nullptr);
  // The list came with the view's start-up: top row, the tree, the new row.
  CClientList& list = cafe->Clients();
  ASSERT_EQ(list.Records().size(), 2u);
  EXPECT_EQ(list.Records()[1]->GetParentRecord(), list.Records()[0]);
  EXPECT_EQ(cafe->ClientGrid().GetRowCount(), 4);
  auto* group = dynamic_cast<wxChoice*>(cafe->ToolbarControl(ID_CAFE_VIEW_GROUP));
  ASSERT_NE(group, nullptr);
  ASSERT_EQ(group->GetCount(), 2u);
  EXPECT_EQ(group->GetString(1), wxString(L"first"));
  auto* pages = dynamic_cast<wxChoice*>(cafe->ToolbarControl(ID_CAFE_VIEW_PAGE));
  ASSERT_NE(pages, nullptr);
  ASSERT_EQ(pages->GetCount(), 1u);
  EXPECT_EQ(pages->GetString(0), wxString(L"Page 1 : 2"));
  EXPECT_EQ(cafe->ToolbarControl(ID_CAFE_VIEW_COUNT)->GetLabel(), wxString(L"개수:2"));

  // The client tools show with the client page.
  EXPECT_FALSE(cafe->ToolbarControl(ID_CAFE_VIEW_KEYWORD)->IsShown());
  cafe->Tabs()->ChangeSelection(kCafeViewClientPage);
  wxBookCtrlEvent changed(wxEVT_NOTEBOOK_PAGE_CHANGED, IDC_CAFE_VIEW_TABS, kCafeViewClientPage, 0);
  changed.SetEventObject(cafe->Tabs());
  cafe->Tabs()->ProcessWindowEvent(changed);
  for (int id : {ID_CAFE_VIEW_KEYWORD, ID_CAFE_VIEW_SAVE, ID_CAFE_VIEW_ADD, ID_CAFE_VIEW_PAGE,
                 ID_CAFE_VIEW_CUSTOMER_KIND, ID_CAFE_VIEW_COUNT})
    EXPECT_TRUE(cafe->ToolbarControl(id)->IsShown()) << id;
  // A new start date asks for the list of the new period.
  wxWindow* start = cafe->ToolbarControl(ID_CAFE_VIEW_START_DATE);
  ASSERT_NE(start, nullptr);
  EXPECT_TRUE(start->IsShown());
  wxDateEvent date(start, wxDateTime(5, wxDateTime::Jan, 2024), wxEVT_DATE_CHANGED);
  start->ProcessWindowEvent(date);
  const auto lists = web_.RequestsTo(ClientListPeer::kListPath);
  ASSERT_GE(lists.size(), 2u);
  ASSERT_NE(lists.back().Part("st"), nullptr);
  EXPECT_EQ(lists.back().Part("st")->content, "2024-01-05");
  EXPECT_EQ(cafe->Clients().Records().size(), 2u);

  // The group picker filters the list.
  group->SetSelection(1);
  wxCommandEvent picked(wxEVT_CHOICE, ID_CAFE_VIEW_GROUP);
  picked.SetInt(1);
  picked.SetEventObject(group);
  group->ProcessWindowEvent(picked);
  EXPECT_EQ(cafe->ToolbarControl(ID_CAFE_VIEW_COUNT)->GetLabel(), wxString(L"개수:1"));
}

TEST_F(ClientPageTest, SaveDeleteAndEditSayWhatTheyDid) {
  CCafeDataView* cafe = Make();
  ASSERT_NE(cafe, nullptr);
  CClientList& list = cafe->Clients();
  orv::ui::CMyReportCtrl& grid = cafe->ClientGrid();
  ASSERT_EQ(list.Records().size(), 2u);

  orv::win::ScriptMessageBoxes({});
  cafe->OnCommand(ID_CAFE_VIEW_SAVE);  // nothing changed
  cafe->OnCommand(ID_CAFE_VIEW_DELETE);  // nothing selected
  cafe->OnCommand(ID_CAFE_VIEW_EDIT);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"INFORMATION: Nothing changed",
                                               "ERROR: Nothing Seleted", "ERROR: Nothing Seleted"}));
  EXPECT_TRUE(web_.RequestsTo(ClientListPeer::kUploadPath).empty());

  // Two rows selected: the editor refuses.
  grid.SelectRow(grid.GetRowIndex(list.Records()[0]));
  grid.SelectRow(grid.GetRowIndex(list.Records()[1]), true);
  orv::win::ScriptMessageBoxes({});
  cafe->OnCommand(ID_CAFE_VIEW_EDIT);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"ERROR: Can not select over 1 item"}));

  // The user types into a cell: the row is sent on Yes, and the success is shown.
  const int row = grid.GetRowIndex(list.Records()[1]);
  ASSERT_TRUE(grid.OnCommitEdit(row, R::kColMobile, L"01099998888"));
  EXPECT_EQ(list.Records()[1]->GetTextValue(R::kColMobile), L"010-9999-8888");
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  cafe->OnCommand(ID_CAFE_VIEW_SAVE);
  const std::vector<std::string> saved = Boxes();
  ASSERT_EQ(saved.size(), 2u);
  EXPECT_EQ(saved[0].rfind("QUESTION: Do you want to save changes ? \nLeft Modified : 1\n"
                           "Right Changed = 0(Add : 0, Update : 1)",
                           0),
            0u)
      << saved[0];
  EXPECT_EQ(saved[1], "INFORMATION: Successfully saved (success: 1, failed: 0)");
  EXPECT_EQ(peer_.Clients()[1].at("mobile"), "01099998888");

  // Delete on Yes: the server takes the row out, the list comes again.
  grid.ClearSelection();
  grid.SelectRow(grid.GetRowIndex(list.Records()[1]));
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  cafe->OnCommand(ID_CAFE_VIEW_DELETE);
  EXPECT_EQ(Boxes(), (std::vector<std::string>{
                         "QUESTION: Delete 1 selected items?",
                         "INFORMATION: Item Deleted : 1 (SKipped : 0, Failed : 0)"}));
  EXPECT_EQ(peer_.Clients().size(), 1u);
  EXPECT_EQ(list.Records().size(), 1u);

  // The server fails the save: the failure is shown and the row keeps its mark.
  ASSERT_TRUE(grid.OnCommitEdit(grid.GetRowIndex(list.Records()[0]), R::kColFax, L"x"));
  web_.Http().On("POST", ClientListPeer::kUploadPath, PeerReply{500, ""});
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  cafe->OnCommand(ID_CAFE_VIEW_SAVE);
  EXPECT_EQ(Boxes().back(), "ERROR: Failed to save (failed: 1, code: 0)");
  EXPECT_TRUE(list.Records()[0]->IsModified());
}

}  // namespace
TEST_F(ClientPageTest, AWorkbookOfClientsIsImportedAndSavedWithTheNextSave) {
  CCafeDataView* cafe = Make();
  ASSERT_NE(cafe, nullptr);
  CClientList& list = cafe->Clients();
  ASSERT_EQ(list.Records().size(), 2u);
  // A workbook with its inspection sheet and its client sheet: two clients from row 2, and a
  // row without a company name.
  const std::string path = stage_.dir.Path() + "/clients.xlsx";
  orv::xl::CXlBook book;
  book.AddSheet("검사-이력");
  orv::xl::CXlSheet* clients = book.AddSheet("거래처 정보");
  clients->SetString(0, 0, "거래처");
  clients->SetString(1, 4, "상호");
  clients->SetNumber(2, 1, 2);
  clients->SetString(2, 4, "한빛가스");
  clients->SetString(2, 21, "010-1234-5678");
  clients->SetNumber(2, 33, 45356);  // 2024-03-05
  clients->SetString(3, 5, "111-22-33333");
  clients->SetNumber(4, 1, 1);
  clients->SetString(4, 4, "두리상사");
  ASSERT_TRUE(book.SaveXlsx(path));

  // The toolbar's "열기" asks for the workbook.
  bool answered = false;
  const auto pick = orv::test::windows::AnswerFileDialog(path, &answered);
  ASSERT_TRUE(cafe->OnCommand(ID_CAFE_VIEW_OPEN));
  EXPECT_TRUE(answered);
  ASSERT_EQ(list.Records().size(), 4u);
  const CWX_CLIENTS_Record* first = list.Records()[2];
  EXPECT_EQ(first->GetTextValue(R::kColTitle), L"한빛가스");
  EXPECT_TRUE(first->IsModified());
  EXPECT_EQ(CClientList::ValuesOf(*first).customerKind, 2);
  ASSERT_TRUE(CClientList::ValuesOf(*first).registered.has_value());
  EXPECT_EQ(CClientList::ValuesOf(*first).registered->wDay, 5);
  EXPECT_EQ(list.Records()[3]->GetTextValue(R::kColTitle), L"두리상사");
  // Anything but a workbook adds nothing.
  std::filesystem::copy_file(path, stage_.dir.Path() + "/clients.csv");
  EXPECT_EQ(cafe->ImportClientsFromExcel(Utf8ToWide(stage_.dir.Path() + "/clients.csv")), 0);
  EXPECT_EQ(list.Records().size(), 4u);

  // The next save sends them to the server.
  orv::win::ScriptMessageBoxes({IDYES, IDOK});
  cafe->OnCommand(ID_CAFE_VIEW_SAVE);
  ASSERT_EQ(peer_.Clients().size(), 4u);
  EXPECT_EQ(peer_.Clients()[2].at("com_name"), "한빛가스");
  EXPECT_EQ(peer_.Clients()[3].at("com_name"), "두리상사");
  EXPECT_FALSE(list.Records()[2]->IsModified());

  // Workbooks dropped on the client list are imported one after another, in the order given.
  wxWindow* listWindow = cafe->Tabs()->GetPage(kCafeViewClientPage);
  ASSERT_NE(listWindow, nullptr);
  auto* drop = dynamic_cast<wxFileDropTarget*>(listWindow->GetDropTarget());
  ASSERT_NE(drop, nullptr) << "the client list takes no dropped files";
  wxArrayString dropped;
  dropped.Add(wxString::FromUTF8(path));
  dropped.Add(wxString::FromUTF8(stage_.dir.Path() + "/clients.csv"));
  dropped.Add(wxString::FromUTF8(path));
  EXPECT_TRUE(drop->OnDropFiles(0, 0, dropped));
  ASSERT_EQ(list.Records().size(), 8u);
  EXPECT_EQ(list.Records()[4]->GetTextValue(R::kColTitle), L"한빛가스");
  EXPECT_EQ(list.Records()[7]->GetTextValue(R::kColTitle), L"두리상사");
  EXPECT_TRUE(list.Records()[7]->IsModified());
}

}  // namespace orv::test

#include "plugin/community/RecordEditorForm.h"

#include <cwchar>

#include "platform/ui/model/OptionList.h"

namespace {

// Fields of a category whose keys are derived from their captions.
EditorCategory_s Category(const wchar_t* caption, std::initializer_list<const wchar_t*> fields,
                          bool dots, bool brackets, bool datesByDay = false) {
  EditorCategory_s category{caption, {}};
  for (const wchar_t* field : fields) {
    EditorField_s f{field, EditorLabelKey(field, dots, brackets), false};
    // In the inspection's dates every field named with 일 (day) is a date.
    f.date = datesByDay && std::wcschr(field, L'일') != nullptr;
    category.fields.push_back(f);
  }
  return category;
}

EditorField_s DateField(const wchar_t* caption, bool brackets) {
  return EditorField_s{caption, EditorLabelKey(caption, true, brackets), true};
}

EditorForm_s CompanyForm() {
  EditorForm_s form{L"회사 정보", true, {}};
  EditorCategory_s basic = Category(
      L"기본 정보", {L"회사명", L"소속", L"소속코드", L"대표명", L"CEO.전화", L"주민번호"}, true,
      false);
  basic.fields.push_back(DateField(L"생년월일", false));
  basic.fields.push_back({L"사업자번호", L"사업자번호", false});
  form.categories.push_back(basic);
  form.categories.push_back(Category(L"업종/업태 정보", {L"업태", L"업종"}, false, false));
  form.categories.push_back(Category(
      L"연락처 정보", {L"이메일", L"전화", L"핸드폰", L"홈페이지", L"FAX"}, false, false));
  form.categories.push_back(Category(
      L"사업장 주소", {L"지역", L"사업장주소", L"상세주소", L"우편번호", L"나라"}, false, false));
  form.categories.push_back(
      Category(L"택배 주소", {L"택배주소", L"택배주소.상세", L"택배.우편번호"}, true, false));
  form.categories.push_back(Category(
      L"담당자 정보", {L"담당자", L"담당자.전화", L"담당자.직급", L"담당자.부서"}, true, false));
  form.categories.push_back(
      Category(L"금융 정보", {L"은행명", L"계좌번호", L"예금주"}, false, false));
  form.categories.push_back({L"가입 정보", {DateField(L"가입일", false)}});
  return form;
}

EditorForm_s UserForm() {
  EditorForm_s form{L"", false, {}};
  EditorCategory_s user{L"사용자 정보", {}};
  const std::pair<const wchar_t*, const wchar_t*> fields[] = {
      {L"EmployeeNumber", L"사원번호"}, {L"EmployeeName", L"사원이름"},
      {L"LoginID", L"로그인 아이디"},   {L"LoginPassword", L"로그인 비밀번호"},
      {L"Phone", L"전화"},              {L"Mobile", L"모바일"},
      {L"Email", L"이메일"},            {L"Address", L"주소"},
      {L"DetailAddress", L"상세주소"},  {L"ZipCode", L"우편번호"},
      {L"Position", L"직급"},           {L"JobTitle", L"직책"},
  };
  for (const auto& [key, caption] : fields) user.fields.push_back({caption, key, false});
  form.categories.push_back(user);
  return form;
}

EditorForm_s InspectionForm() {
  EditorForm_s form{L"차량 검사 리스트", true, {}};
  form.categories.push_back(Category(
      L"거래처 정보",
      {L"거래처명", L"거래처명(사업자번호)", L"사업소명", L"대표", L"사업자번호", L"검사장소",
       L"클라이언트 전화", L"고객 모바일", L"고객 이메일", L"client.fax"},
      true, true));
  EditorCategory_s car = Category(L"차량 정보", {L"차량번호", L"car.maker", L"car.type"}, true, true);
  car.fields.push_back(DateField(L"제조일자", true));
  for (const EditorField_s& f :
       Category(L"", {L"제조번호", L"검사품목", L"tank.spec", L"탱크용량"}, true, true).fields)
    car.fields.push_back(f);
  form.categories.push_back(car);
  form.categories.push_back(Category(
      L"문서 정보", {L"doc.type", L"doc.cnt", L"문서번호", L"출장지 주소", L"검사유형"}, true, true));
  form.categories.push_back(Category(
      L"검사 정보",
      {L"검사횟수", L"검사료", L"검사일", L"마지막 검사일", L"다음검사일(5년)", L"남은기간"}, true,
      true, true));
  form.categories.push_back(Category(
      L"담당자 정보",
      {L"검사원.직위", L"검사원", L"책임자.직위", L"책임자", L"안전관리자.직위", L"안전관리자"},
      true, true));
  form.categories.push_back(Category(
      L"탱크 세부사항", {L"설계압력", L"사용압력", L"재질", L"허용응력", L"사용두께"}, true, true));
  form.categories.push_back({L"성적서", {DateField(L"성적서 발행일", true)}});
  return form;
}

// The company form's text fields and the client value each shows.
std::wstring* CompanyText(ClientValues_s* v, const std::wstring& caption) {
  const std::pair<const wchar_t*, std::wstring ClientValues_s::*> fields[] = {
      {L"회사명", &ClientValues_s::title},
      {L"소속", &ClientValues_s::groupBizNumber},
      {L"대표명", &ClientValues_s::ceoName},
      {L"CEO.전화", &ClientValues_s::ceoPhone},
      {L"주민번호", &ClientValues_s::residentNumber},
      {L"사업자번호", &ClientValues_s::bizRegNumber},
      {L"업태", &ClientValues_s::bizCategory},
      {L"업종", &ClientValues_s::bizItem},
      {L"이메일", &ClientValues_s::email},
      {L"전화", &ClientValues_s::phone},
      {L"핸드폰", &ClientValues_s::mobile},
      {L"홈페이지", &ClientValues_s::website},
      {L"FAX", &ClientValues_s::fax},
      {L"지역", &ClientValues_s::province},
      {L"사업장주소", &ClientValues_s::address1},
      {L"상세주소", &ClientValues_s::address2},
      {L"우편번호", &ClientValues_s::postalCode},
      {L"나라", &ClientValues_s::country},
      {L"택배주소", &ClientValues_s::shipAddress},
      {L"택배주소.상세", &ClientValues_s::shipAddress2},
      {L"택배.우편번호", &ClientValues_s::shipPostalCode},
      {L"담당자", &ClientValues_s::manager},
      {L"담당자.전화", &ClientValues_s::managerPhone},
      {L"담당자.직급", &ClientValues_s::managerPosition},
      {L"담당자.부서", &ClientValues_s::managerJob},
      {L"은행명", &ClientValues_s::bankName},
      {L"계좌번호", &ClientValues_s::bankAccount},
      {L"예금주", &ClientValues_s::bankHolder},
  };
  for (const auto& [name, member] : fields)
    if (caption == name) return &(v->*member);
  return nullptr;
}

constexpr const wchar_t* kGroupCode = L"소속코드";

}  // namespace

EditorForm_s RecordEditorForm(int mode) {
  switch (mode) {
    case kEditorCompany:
      return CompanyForm();
    case kEditorUser:
      return UserForm();
    case kEditorInspection:
      return InspectionForm();
    default:
      return EditorForm_s{L"", false, {}};
  }
}

std::wstring EditorLabelKey(const std::wstring& caption, bool dots, bool brackets) {
  std::wstring key = caption;
  for (wchar_t& c : key) {
    if (c == L' ' || (dots && c == L'.') || (brackets && (c == L'(' || c == L')'))) c = L'_';
  }
  return key;
}

std::wstring CompanyFieldText(const ClientValues_s& values, const std::wstring& caption) {
  if (caption == kGroupCode)
    return values.groupIndex ? std::to_wstring(values.groupIndex) : std::wstring();
  ClientValues_s copy = values;
  const std::wstring* text = CompanyText(&copy, caption);
  return text ? *text : std::wstring();
}

bool SetCompanyFieldText(ClientValues_s* values, const std::wstring& caption,
                         const std::wstring& text) {
  if (!values) return false;
  if (caption == kGroupCode) {
    int64_t group = 0;
    if (!text.empty() && (!orv::ui::ParseDecimalInt64(text, &group) || group < 0 ||
                          group > INT32_MAX))
      return false;
    values->groupIndex = static_cast<uint32_t>(group);
    return true;
  }
  std::wstring* field = CompanyText(values, caption);
  if (!field) return false;
  *field = text;
  return true;
}

std::optional<SYSTEMTIME>* CompanyFieldDate(ClientValues_s* values, const std::wstring& caption) {
  if (!values) return nullptr;
  if (caption == L"생년월일") return &values->birthday;
  if (caption == L"가입일") return &values->registered;
  return nullptr;
}

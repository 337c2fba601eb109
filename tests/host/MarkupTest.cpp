#include <gtest/gtest.h>

#include <stdexcept>

#include "host/frame/Markup.h"

namespace {

// A document and what reading it gives (its data, or its error text).
struct DocCase {
  const wchar_t* doc;
  const wchar_t* expected;
};

// The data of the element the cursor stands on.
std::wstring CurrentData(const CMarkup& xml) { return xml.GetChildData(xml.GetCurrentElem()); }

TEST(Markup, WalksElementsWithTheCursor) {
  CMarkup xml;
  ASSERT_TRUE(xml.SetDoc(L"<a><b>x</b><b>y</b></a>"));
  EXPECT_TRUE(xml.IsWellFormed());
  EXPECT_EQ(xml.GetError(), L"");
  ASSERT_TRUE(xml.FindElem(L"a"));
  ASSERT_TRUE(xml.IntoElem());
  EXPECT_EQ(xml.GetDepth(), 1);
  EXPECT_EQ(xml.GetTagName(xml.GetCurrentElem()), L"b");
  EXPECT_EQ(CurrentData(xml), L"x");
  EXPECT_TRUE(xml.FindElem(L"b"));
  EXPECT_FALSE(xml.FindElem(L"b"));
  EXPECT_EQ(CurrentData(xml), L"y");

  ASSERT_TRUE(xml.OutOfElem());
  EXPECT_EQ(xml.GetTagName(xml.GetCurrentElem()), L"a");
  EXPECT_EQ(xml.GetChildData(xml.GetCurrentChild()), L"y");
  EXPECT_FALSE(xml.OutOfElem());
  // An element with children has no data of its own.
  EXPECT_EQ(CurrentData(xml), L"");

  xml.ResetPos();
  ASSERT_TRUE(xml.FindChildElem(L"b"));
  EXPECT_EQ(xml.GetTagName(xml.GetCurrentElem()), L"a");
  EXPECT_EQ(xml.GetChildData(xml.GetCurrentChild()), L"x");
  ASSERT_TRUE(xml.FindChildElem());
  EXPECT_EQ(xml.GetChildData(xml.GetCurrentChild()), L"y");
  EXPECT_FALSE(xml.FindChildElem());
  EXPECT_FALSE(xml.FindElem(L"c"));
  EXPECT_EQ(xml.GetTagName(0), L"");
}

TEST(Markup, TagNamesCompareExactly) {
  CMarkup xml;
  ASSERT_TRUE(xml.SetDoc(L"<root>\n  <Item>1</Item>\n  <item>2</item>\n</root>"));
  ASSERT_TRUE(xml.FindChildElem(L"item"));
  EXPECT_EQ(xml.GetChildData(xml.GetCurrentChild()), L"2");
}

TEST(Markup, SelfClosingElementHasNoChildrenAndNoData) {
  CMarkup xml;
  ASSERT_TRUE(xml.SetDoc(L"<a><b/><c attr=\"1\" /></a>"));
  ASSERT_TRUE(xml.FindElem());
  ASSERT_TRUE(xml.IntoElem());
  EXPECT_EQ(xml.GetTagName(xml.GetCurrentElem()), L"b");
  EXPECT_EQ(CurrentData(xml), L"");
  EXPECT_FALSE(xml.FindChildElem());
  EXPECT_FALSE(xml.IntoElem());
  ASSERT_TRUE(xml.FindElem(L"c"));
  EXPECT_EQ(CurrentData(xml), L"");

  ASSERT_TRUE(xml.SetDoc(L"<only/>"));
  ASSERT_TRUE(xml.FindElem(L"only"));
  EXPECT_EQ(CurrentData(xml), L"");
}

TEST(Markup, ElementData) {
  const DocCase cases[] = {
      {L"<a>&lt;&amp;&gt;&apos;&quot;</a>", L"<&>'\""},
      {L"<a>fish &amp; chips &nbsp; AT&T &lt</a>", L"fish & chips &nbsp; AT&T &lt"},
      {L"<a><![CDATA[<b>&lt;</b> & ]]></a>", L"<b>&lt;</b> & "},
      {L"<a>\n  <![CDATA[x]]>\n</a>", L"x"},
      {L"<a></a>", L""},
      {L"<a>  spaced  </a>", L"  spaced  "},
      {L"<a>한글 데이터</a>", L"한글 데이터"},
  };
  for (const auto& c : cases) {
    CMarkup xml;
    ASSERT_TRUE(xml.SetDoc(c.doc)) << c.doc;
    ASSERT_TRUE(xml.FindElem()) << c.doc;
    EXPECT_EQ(CurrentData(xml), c.expected) << c.doc;
    EXPECT_FALSE(xml.FindChildElem()) << c.doc;
  }
}

TEST(Markup, SkipsDeclarationsCommentsAndInstructions) {
  CMarkup xml;
  ASSERT_TRUE(xml.SetDoc(
      L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- board <list> -->\n<!DOCTYPE board>\n"
      L"<board><?note?><!-- first --><Subject>hi</Subject><!-- last --></board>"))
      << xml.GetError();
  ASSERT_TRUE(xml.FindElem(L"board"));
  ASSERT_TRUE(xml.FindChildElem(L"Subject"));
  EXPECT_EQ(xml.GetChildData(xml.GetCurrentChild()), L"hi");
  EXPECT_FALSE(xml.FindChildElem());
}

TEST(Markup, ErrorTexts) {
  const DocCase cases[] = {
      {L"", L""},
      {nullptr, L""},
      {L"plain text", L"Element tag not found"},
      {L"<?xml version=\"1.0\"?>", L"Element tag not found"},
      {L"   <  ", L"Abrupt end within tag"},
      {L"<\"a\">", L"Tag starts with quote"},
      {L"<?xml version=\"1.0\"", L"End of tag not found"},
      {L"<!-- open comment", L"End of tag not found"},
      {L"<![CDATA[ open", L"End of tag not found"},
      {L"<!DOCTYPE a", L"End of tag not found"},
      {L"<a", L"End of tag not found"},
      {L"<a><b>x</b>", L"End tag of a element not found"},
      {L"<a>text", L"End tag of a element not found"},
      {L"<a><b>x</c></a>", L"End tag does not correspond to b"},
      {L"<a></A>", L"End tag does not correspond to a"},
      {L"<a></", L"End tag not completed for element a"},
      {L"<a></a", L"End tag not completed for element a"},
      {L"<a></a x=\"1\"", L"End tag not completed for element a"},
  };
  for (const auto& c : cases) {
    CMarkup xml;
    ASSERT_TRUE(xml.SetDoc(L"<ok/>"));
    EXPECT_FALSE(xml.SetDoc(c.doc)) << (c.doc ? c.doc : L"(null)");
    EXPECT_EQ(xml.GetError(), c.expected) << (c.doc ? c.doc : L"(null)");
    // Only the root is left.
    EXPECT_FALSE(xml.IsWellFormed());
    EXPECT_FALSE(xml.FindElem());
    EXPECT_FALSE(xml.FindChildElem());
    EXPECT_THROW(xml.GetTagName(1), std::invalid_argument);
  }
}

TEST(Markup, ASuccessfulParseClearsTheError) {
  CMarkup xml;
  EXPECT_FALSE(xml.SetDoc(L"<a>"));
  EXPECT_NE(xml.GetError(), L"");
  EXPECT_TRUE(xml.SetDoc(L"<a></a>"));
  EXPECT_EQ(xml.GetError(), L"");
}

TEST(Markup, ManyElementsGrowTheIndex) {
  std::wstring doc = L"<list>";
  for (int i = 0; i < 500; ++i) doc += L"<n>" + std::to_wstring(i) + L"</n>";
  doc += L"</list>";
  CMarkup xml;
  ASSERT_TRUE(xml.SetDoc(doc.c_str()));
  int count = 0;
  while (xml.FindChildElem(L"n")) {
    ASSERT_EQ(xml.GetChildData(xml.GetCurrentChild()), std::to_wstring(count));
    ++count;
  }
  EXPECT_EQ(count, 500);
  EXPECT_THROW(xml.GetChildData(502), std::invalid_argument);
  EXPECT_THROW(xml.GetChildData(-1), std::invalid_argument);
}

TEST(Markup, DeepNestingIsRefusedNotACrash) {
  std::wstring fine, deep;
  for (int i = 0; i < CMarkup::kMaxNesting; ++i) fine = L"<e>" + fine + L"</e>";
  for (int i = 0; i < 200000; ++i) deep += L"<e>";
  CMarkup xml;
  EXPECT_TRUE(xml.SetDoc(fine.c_str())) << xml.GetError();
  EXPECT_FALSE(xml.SetDoc(deep.c_str()));
  EXPECT_EQ(xml.GetError(), L"Elements nested too deeply");
}

}  // namespace

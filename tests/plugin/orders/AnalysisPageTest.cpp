// The AI analysis page: what comes from outside stays text in the page and data in its script.
#include "plugin/orders/AnalysisPage.h"

#include <gtest/gtest.h>

namespace {

TEST(AnalysisPage, OutsideTextsCannotBecomeMarkupOrScript) {
  const std::string page = BuildAnalysisPage(
      1, L"<b>X", L"A&B \"주식\" <script>alert(1)</script>",
      L"상승 <추세>\\n\"매수\" & 보유\r\n끝",
      "2024-01-02,100\n</script><script>alert(2)</script>,1", "2024-01-02,\"5\",-3", "");
  // The heading: name and code escaped; the kind text of a stock.
  EXPECT_NE(page.find("<h2>📈 A&amp;B &quot;주식&quot; &lt;script&gt;alert(1)&lt;/script&gt;(&lt;b&gt;X) "
                      "주식 추세 분석</h2>"),
            std::string::npos);
  // The analysis: carriage returns gone, backslash-n a line break, characters escaped.
  EXPECT_NE(page.find("<pre>상승 &lt;추세&gt;\n&quot;매수&quot; &amp; 보유\n끝</pre>"),
            std::string::npos);
  // The data is a string literal that no "</script>" or quote can end.
  EXPECT_NE(page.find("const priceCsv = \"Date,Price\\n2024-01-02,100\\n\\x3C/script>\\x3Cscript>"
                      "alert(2)\\x3C/script>,1\";"),
            std::string::npos);
  EXPECT_NE(page.find("const investorCsv = \"Date,Foreign,Institution\\n2024-01-02,\\\"5\\\",-3\";"),
            std::string::npos);
  EXPECT_EQ(page.find("<script>alert"), std::string::npos);
  EXPECT_NE(page.find("const shortCsv = \"Date,ShortVolume\\n\";"), std::string::npos);
  EXPECT_NE(BuildAnalysisPage(5, L"BTC", L"비트코인", L"", "", "", "").find("코인 추세 분석"),
            std::string::npos);
}

TEST(AnalysisPage, ScriptLiteralEscapes) {
  const std::pair<std::string, std::string> cases[] = {
      {"a\\b", "\"a\\\\b\""},
      {"line\r\nnext", "\"line\\r\\nnext\""},
      {std::string("tab\t\x01", 5), "\"tab\\x09\\x01\""},
      {"\xE2\x80\xA8", "\"\\u2028\""},
      {"한글", "\"한글\""},
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(JsStringLiteral(in), out);
}

}  // namespace

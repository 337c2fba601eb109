#pragma once
// The AI analysis tab's page: the analysis text and three charts (prices, foreign and
// institutional trading, short-selling volume) drawn by Chart.js from CSV data embedded in the
// page. Every text that comes from outside (the stock's name and code, the analysis, the CSV
// data) is escaped for where it stands, so that none of it can become markup or script.

#include <string>

// The analysis text for the page: carriage returns dropped, each backslash-n pair a line
// break, then HTML-escaped (&quot; &amp; &lt; &gt;).
std::wstring AnalysisTextForPage(const std::wstring& text);
// HTML escaping of the four characters above.
std::wstring EscapeHtml(const std::wstring& text);
// A JavaScript string literal (double-quoted) holding the text; quotes, backslashes, line
// breaks and "<" are written as escapes, so the literal cannot end the script element.
std::string JsStringLiteral(const std::string& utf8);

// The whole page (UTF-8). kind 5 is a coin ("코인"), any other kind a stock ("주식").
std::string BuildAnalysisPage(int kind, const std::wstring& code, const std::wstring& name,
                              const std::wstring& analysis, const std::string& priceCsv,
                              const std::string& investorCsv, const std::string& shortCsv);

#include "plugin/orders/AnalysisPage.h"

#include "platform/support/TextConv.h"

namespace {

constexpr const char* kChartScript = "https://cdn.jsdelivr.net/npm/chart.js@4.4.1/dist/chart.umd.min.js";

}  // namespace

std::wstring EscapeHtml(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    switch (c) {
      case L'"':
        out += L"&quot;";
        break;
      case L'&':
        out += L"&amp;";
        break;
      case L'<':
        out += L"&lt;";
        break;
      case L'>':
        out += L"&gt;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::wstring AnalysisTextForPage(const std::wstring& text) {
  std::wstring lines;
  lines.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r') continue;
    if (text[i] == L'\\' && i + 1 < text.size() && text[i + 1] == L'n') {
      lines += L'\n';
      ++i;
      continue;
    }
    lines += text[i];
  }
  return EscapeHtml(lines);
}

std::string JsStringLiteral(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '<':
        out += "\\x3C";
        break;
      default:
        if (c < 0x20) {
          static const char kHex[] = "0123456789ABCDEF";
          out += "\\x";
          out += kHex[c >> 4];
          out += kHex[c & 15];
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  // U+2028 and U+2029 end a line inside older script parsers.
  for (size_t at = 0; (at = out.find("\xE2\x80\xA8", at)) != std::string::npos;)
    out.replace(at, 3, "\\u2028");
  for (size_t at = 0; (at = out.find("\xE2\x80\xA9", at)) != std::string::npos;)
    out.replace(at, 3, "\\u2029");
  return out + "\"";
}

std::string BuildAnalysisPage(int kind, const std::wstring& code, const std::wstring& name,
                              const std::wstring& analysis, const std::string& priceCsv,
                              const std::string& investorCsv, const std::string& shortCsv) {
  const std::string safeName = WideToUtf8(EscapeHtml(name));
  const std::string safeCode = WideToUtf8(EscapeHtml(code));
  const std::string kindText = kind == 5 ? "코인" : "주식";
  std::string page;
  page += "<!DOCTYPE html>\n<html lang=\"ko\">\n<head>\n<meta charset=\"UTF-8\">\n";
  page += "<title>종합 시세 차트</title>\n";
  page += "<script src=\"";
  page += kChartScript;
  page += "\"></script>\n";
  page +=
      "<style>body{font-family:'Segoe UI',sans-serif;max-width:800px;margin:auto;padding:8px}"
      "pre{white-space:pre-wrap;word-wrap:break-word;background:#f6f6f6;padding:8px}"
      "canvas{max-width:800px}</style>\n</head>\n<body>\n";
  page += "<h2>📈 " + safeName + "(" + safeCode + ") " + kindText + " 추세 분석</h2>\n";
  page += "<pre>" + WideToUtf8(AnalysisTextForPage(analysis)) + "</pre>\n";
  page += "<h3>📈 시세 추이 (선 차트)</h3>\n<canvas id=\"priceChart\"></canvas>\n";
  page += "<h3>📊 외국인 / 기관 매매 추이 (막대 차트)</h3>\n<canvas id=\"investorChart\"></canvas>\n";
  page += "<h3>📉 공매도 거래량 (막대 차트)</h3>\n<canvas id=\"shortChart\"></canvas>\n";
  page += "<script>\n";
  page += "const priceCsv = " + JsStringLiteral("Date,Price\n" + priceCsv) + ";\n";
  page += "const investorCsv = " + JsStringLiteral("Date,Foreign,Institution\n" + investorCsv) +
          ";\n";
  page += "const shortCsv = " + JsStringLiteral("Date,ShortVolume\n" + shortCsv) + ";\n";
  page +=
      "function rows(csv){return csv.split(/\\r?\\n/).slice(1).filter(function(l){return "
      "l.length>0;}).map(function(l){return l.split(',');});}\n"
      "var opts={responsive:true,plugins:{legend:{position:'top'}}};\n"
      "var barOpts={responsive:true,plugins:{legend:{position:'top'}},scales:{y:{beginAtZero:true}}};\n"
      "if(window.Chart){\n"
      "var p=rows(priceCsv);\n"
      "new Chart(document.getElementById('priceChart'),{type:'line',data:{labels:p.map(function(r)"
      "{return r[0];}),datasets:[{label:'주가',data:p.map(function(r){return Number(r[1]);}),"
      "borderColor:'blue',fill:false,tension:0.2}]},options:opts});\n"
      "var v=rows(investorCsv);\n"
      "new Chart(document.getElementById('investorChart'),{type:'bar',data:{labels:v.map(function(r)"
      "{return r[0];}),datasets:[{label:'외국인',data:v.map(function(r){return Number(r[1]);}),"
      "backgroundColor:'rgba(54, 162, 235, 0.7)'},{label:'기관',data:v.map(function(r){return "
      "Number(r[2]);}),backgroundColor:'rgba(255, 99, 132, 0.7)'}]},options:barOpts});\n"
      "var s=rows(shortCsv);\n"
      "new Chart(document.getElementById('shortChart'),{type:'bar',data:{labels:s.map(function(r)"
      "{return r[0];}),datasets:[{label:'공매도 거래량',data:s.map(function(r){return "
      "Number(r[1]);}),backgroundColor:'rgba(153, 102, 255, 0.7)'}]},options:barOpts});\n"
      "}\n</script>\n</body>\n</html>\n";
  return page;
}

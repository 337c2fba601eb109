#include "platform/xl/XmlDepth.h"

int XmlDepth(const std::string& xml) {
  int depth = 0;
  int deepest = 0;
  const size_t n = xml.size();
  for (size_t i = 0; i < n; ++i) {
    if (xml[i] != '<') continue;
    if (xml.compare(i, 4, "<!--") == 0) {
      const size_t end = xml.find("-->", i + 4);
      if (end == std::string::npos) break;
      i = end + 2;
    } else if (xml.compare(i, 9, "<![CDATA[") == 0) {
      const size_t end = xml.find("]]>", i + 9);
      if (end == std::string::npos) break;
      i = end + 2;
    } else if (i + 1 < n && (xml[i + 1] == '?' || xml[i + 1] == '!')) {
      const size_t end = xml.find('>', i + 1);
      if (end == std::string::npos) break;
      i = end;
    } else if (i + 1 < n && xml[i + 1] == '/') {
      if (depth > 0) --depth;
      const size_t end = xml.find('>', i + 1);
      if (end == std::string::npos) break;
      i = end;
    } else {
      char quote = 0;
      size_t j = i + 1;
      for (; j < n; ++j) {
        if (quote) {
          if (xml[j] == quote) quote = 0;
        } else if (xml[j] == '"' || xml[j] == '\'') {
          quote = xml[j];
        } else if (xml[j] == '>') {
          break;
        }
      }
      if (j >= n) break;
      if (xml[j - 1] != '/' && ++depth > deepest) deepest = depth;
      i = j;
    }
  }
  return deepest;
}

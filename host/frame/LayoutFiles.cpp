#include "host/frame/LayoutFiles.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "host/frame/Markup.h"
#include "platform/support/TextConv.h"

namespace orv::host {

namespace {

std::string Escape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

bool WriteWhole(const std::string& path, const std::string& text) {
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out << text;
    out.flush();
    if (!out) {
      out.close();
      std::remove(temp.c_str());
      return false;
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

bool ReadDoc(const std::string& path, CMarkup* doc) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream text;
  text << in.rdbuf();
  return doc->SetDoc(Utf8ToWide(text.str()).c_str());
}

std::string ChildText(const CMarkup& doc) {
  return WideToUtf8(doc.GetChildData(doc.GetCurrentChild()));
}

// Starts the search for children of the current element from its first child again.
void RestartChildren(CMarkup& doc) {
  if (doc.OutOfElem()) doc.IntoElem();
}

// With the current element being the parent: finds the child and reads its text.
bool FindChildText(CMarkup& doc, const std::string& name, std::string* text) {
  RestartChildren(doc);
  if (!doc.FindChildElem(Utf8ToWide(name).c_str())) return false;
  *text = ChildText(doc);
  return true;
}

bool IntoSection(CMarkup& doc, const wchar_t* name) {
  RestartChildren(doc);
  return doc.FindChildElem(name) && doc.IntoElem();
}

}  // namespace

bool SaveDockingLayoutFile(const std::string& path, const std::string& name,
                           const std::string& perspective) {
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<DockingLayout>\n  <";
  text += name + ">" + Escape(perspective) + "</" + name + ">\n</DockingLayout>\n";
  return WriteWhole(path, text);
}

bool LoadDockingLayoutFile(const std::string& path, const std::string& name,
                           std::string* perspective) {
  CMarkup doc;
  if (!ReadDoc(path, &doc) || !doc.FindElem(L"DockingLayout")) return false;
  return FindChildText(doc, name, perspective);
}

bool SaveRibbonLayoutFile(const std::string& path, const RibbonLayoutState& state) {
  std::ostringstream text;
  text << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rede2_app>\n  <Layout>\n"
       << "    <CommandBars>\n"
       << "      <Minimized>" << (state.minimised ? 1 : 0) << "</Minimized>\n"
       << "      <ActivePage>" << state.activePage << "</ActivePage>\n"
       << "      <Theme>" << state.themeId << "</Theme>\n"
       << "    </CommandBars>\n"
       << "    <DockingPane>\n"
       << "      <" << kNormalLayoutName << ">" << Escape(state.dockingLayout) << "</"
       << kNormalLayoutName << ">\n"
       << "    </DockingPane>\n  </Layout>\n</rede2_app>\n";
  return WriteWhole(path, text.str());
}

bool LoadRibbonLayoutFile(const std::string& path, RibbonLayoutState* state) {
  CMarkup doc;
  if (!ReadDoc(path, &doc) || !doc.FindElem(L"rede2_app") || !IntoSection(doc, L"Layout")) {
    return false;
  }
  std::string value;
  if (IntoSection(doc, L"CommandBars")) {
    if (FindChildText(doc, "Minimized", &value)) state->minimised = value == "1";
    if (FindChildText(doc, "ActivePage", &value)) state->activePage = std::atoi(value.c_str());
    if (FindChildText(doc, "Theme", &value)) state->themeId = std::atoi(value.c_str());
    doc.OutOfElem();
  }
  if (IntoSection(doc, L"DockingPane")) {
    if (FindChildText(doc, kNormalLayoutName, &value)) state->dockingLayout = value;
    doc.OutOfElem();
  }
  return true;
}

bool LoadRibbonDockingLayout(const std::string& path, const std::string& name,
                             std::string* perspective) {
  CMarkup doc;
  if (!ReadDoc(path, &doc) || !doc.FindElem(L"rede2_app") || !IntoSection(doc, L"Layout") ||
      !IntoSection(doc, L"DockingPane")) {
    return false;
  }
  return FindChildText(doc, name, perspective);
}

}  // namespace orv::host

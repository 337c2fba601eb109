#include "host/frame/Markup.h"

#include <stdexcept>

namespace {

constexpr size_t npos = std::wstring::npos;

bool IsSpace(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r'; }

bool IsSpecial(wchar_t c) {
  return c == L'<' || c == L'>' || c == L'=' || c == L'\\' || c == L'/' || c == L'?' || c == L'!';
}

std::wstring ResolveEntities(const std::wstring& text) {
  static const struct {
    const wchar_t* name;
    wchar_t value;
  } kEntities[] = {
      {L"&lt;", L'<'}, {L"&amp;", L'&'}, {L"&gt;", L'>'}, {L"&apos;", L'\''}, {L"&quot;", L'"'}};
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    bool replaced = false;
    if (text[i] == L'&') {
      for (const auto& entity : kEntities) {
        const std::wstring name = entity.name;
        if (text.compare(i, name.size(), name) == 0) {
          out.push_back(entity.value);
          i += name.size() - 1;
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out.push_back(text[i]);
  }
  return out;
}

}  // namespace

CMarkup::CMarkup() : m_aPos(8) {}

CMarkup::~CMarkup() = default;

void CMarkup::ResetPos() {
  m_iPos = 0;
  m_iPosChild = 0;
  m_depth = 0;
}

bool CMarkup::IsWellFormed() const { return m_nUsed > 0 && m_aPos[0].iElemChild != 0; }

bool CMarkup::SetDoc(const wchar_t* doc) {
  m_doc = doc ? doc : L"";
  m_error.clear();
  ResetPos();
  m_nUsed = 1;
  const size_t wanted = m_doc.size() / 64 + 8;
  if (m_aPos.size() < wanted) m_aPos.resize(wanted);
  m_aPos[0] = ElemPos{};
  if (!m_doc.empty()) {
    const int top = ParseElem(0, 0);
    if (top > 0) {
      m_aPos[0].iElemChild = top;
      ResetPos();
      return true;
    }
  }
  m_aPos[0] = ElemPos{};
  m_nUsed = 1;
  ResetPos();
  return false;
}

bool CMarkup::FindToken(Token& token) const {
  size_t pos = token.next;
  while (pos < m_doc.size() && IsSpace(m_doc[pos])) ++pos;
  if (pos >= m_doc.size()) return false;
  token.quoted = false;
  if (m_doc[pos] == L'"') {
    token.quoted = true;
    token.start = pos + 1;
    const size_t close = m_doc.find(L'"', token.start);
    token.end = close == npos ? m_doc.size() : close;
    token.next = close == npos ? m_doc.size() : close + 1;
  } else if (IsSpecial(m_doc[pos])) {
    token.start = pos;
    token.end = pos + 1;
    token.next = pos + 1;
  } else {
    token.start = pos;
    while (pos < m_doc.size() && !IsSpace(m_doc[pos]) && !IsSpecial(m_doc[pos])) ++pos;
    token.end = pos;
    token.next = pos;
  }
  return true;
}

bool CMarkup::TokenIs(const Token& token, const std::wstring& text) const {
  return !token.quoted && m_doc.compare(token.start, token.end - token.start, text) == 0;
}

int CMarkup::NewPos() {
  if (static_cast<size_t>(m_nUsed) >= m_aPos.size()) {
    m_aPos.resize(m_aPos.size() + m_aPos.size() / 2 + 1);
  }
  m_aPos[m_nUsed] = ElemPos{};
  return m_nUsed++;
}

int CMarkup::ParseError(const std::wstring& message) {
  m_error = message;
  --m_nUsed;
  return -1;
}

int CMarkup::ParseElem(int parent, int nesting) {
  const int pos = NewPos();
  if (nesting > kMaxNesting) return ParseError(L"Elements nested too deeply");
  m_aPos[pos].iElemParent = parent;
  size_t search = static_cast<size_t>(m_aPos[parent].nEndL);
  std::wstring name;
  Token token;
  for (;;) {
    const size_t open = m_doc.find(L'<', search);
    if (open == npos) {
      // Inside an element, running out of tags just ends its children; its own end tag
      // check reports what is missing.
      if (parent != 0) {
        --m_nUsed;
        return 0;
      }
      return ParseError(L"Element tag not found");
    }
    m_aPos[pos].nStartL = static_cast<int32_t>(open);
    // The parent's end tag lies at this "<" or later.
    m_aPos[parent].nEndL = static_cast<int32_t>(open);
    token.next = open + 1;
    if (!FindToken(token)) return ParseError(L"Abrupt end within tag");
    if (token.quoted) return ParseError(L"Tag starts with quote");
    const wchar_t first = m_doc[token.start];
    if (first == L'?' || first == L'!') {
      std::wstring closer = L"?>";
      if (first == L'!') {
        const wchar_t after = token.next < m_doc.size() ? m_doc[token.next] : L'\0';
        closer = after == L'[' ? L"]]>" : after == L'-' ? L"-->" : L">";
      }
      const size_t end = m_doc.find(closer, token.next);
      if (end == npos) return ParseError(L"End of tag not found");
      search = end + closer.size();
      continue;
    }
    if (first == L'/') {
      --m_nUsed;
      return 0;
    }
    name = m_doc.substr(token.start, token.end - token.start);
    const size_t close = m_doc.find(L'>', token.next);
    if (close == npos) return ParseError(L"End of tag not found");
    m_aPos[pos].nStartR = static_cast<int32_t>(close);
    break;
  }

  const int32_t startR = m_aPos[pos].nStartR;
  if (m_doc[static_cast<size_t>(startR) - 1] == L'/') {
    m_aPos[pos].nEndL = startR - 1;
    m_aPos[pos].nEndR = startR;
  } else {
    m_aPos[pos].nEndL = startR + 1;
    int previous = 0;
    for (;;) {
      const int child = ParseElem(pos, nesting + 1);
      if (child < 0) return -1;
      if (child == 0) break;
      if (previous == 0) {
        m_aPos[pos].iElemChild = child;
      } else {
        m_aPos[previous].iElemNext = child;
      }
      previous = child;
      m_aPos[pos].nEndL = m_aPos[child].nEndR + 1;
    }
    if (ParseEndTag(pos, name) < 0) return -1;
  }
  const size_t next = m_doc.find(L'<', static_cast<size_t>(m_aPos[pos].nEndR) + 1);
  m_aPos[pos].nNext = static_cast<int32_t>(next == npos ? m_doc.size() : next);
  return pos;
}

int CMarkup::ParseEndTag(int pos, const std::wstring& name) {
  const size_t open = m_doc.find(L'<', static_cast<size_t>(m_aPos[pos].nEndL));
  if (open == npos) return ParseError(L"End tag of " + name + L" element not found");
  const std::wstring notCompleted = L"End tag not completed for element " + name;
  Token token;
  token.next = open + 1;
  if (!FindToken(token)) return ParseError(notCompleted);
  if (!TokenIs(token, L"/")) return ParseError(L"Expecting end tag of element " + name);
  if (!FindToken(token)) return ParseError(notCompleted);
  if (!TokenIs(token, name)) return ParseError(L"End tag does not correspond to " + name);
  for (;;) {
    if (!FindToken(token)) return ParseError(notCompleted);
    if (TokenIs(token, L">")) break;
  }
  m_aPos[pos].nEndL = static_cast<int32_t>(open);
  m_aPos[pos].nEndR = static_cast<int32_t>(token.start);
  return pos;
}

void CMarkup::CheckIndex(int index) const {
  if (index < 0 || index >= m_nUsed) throw std::invalid_argument("CMarkup: no element at index");
}

bool CMarkup::NameMatches(int index, const wchar_t* name) const {
  return name == nullptr || *name == L'\0' || GetTagName(index) == name;
}

bool CMarkup::FindElem(const wchar_t* name) {
  int i = m_iPos ? m_aPos[m_iPos].iElemNext : m_aPos[0].iElemChild;
  for (; i != 0; i = m_aPos[i].iElemNext) {
    if (NameMatches(i, name)) {
      m_iPos = i;
      m_iPosChild = 0;
      return true;
    }
  }
  return false;
}

bool CMarkup::FindChildElem(const wchar_t* name) {
  if (m_iPos == 0 && !FindElem()) return false;
  const ElemPos& current = m_aPos[m_iPos];
  if (current.nStartR == current.nEndR) return false;
  int i = m_iPosChild ? m_aPos[m_iPosChild].iElemNext : current.iElemChild;
  for (; i != 0; i = m_aPos[i].iElemNext) {
    if (NameMatches(i, name)) {
      m_iPosChild = i;
      return true;
    }
  }
  return false;
}

bool CMarkup::IntoElem() {
  if (m_iPosChild == 0 && !FindChildElem()) return false;
  m_iPos = m_iPosChild;
  m_iPosChild = 0;
  ++m_depth;
  return true;
}

bool CMarkup::OutOfElem() {
  if (m_iPos == 0 || m_depth < 1) return false;
  m_iPosChild = m_iPos;
  m_iPos = m_aPos[m_iPos].iElemParent;
  --m_depth;
  return true;
}

std::wstring CMarkup::GetTagName(int index) const {
  CheckIndex(index);
  if (index == 0) return L"";
  Token token;
  token.next = static_cast<size_t>(m_aPos[index].nStartL) + 1;
  if (!FindToken(token)) return L"";
  return m_doc.substr(token.start, token.end - token.start);
}

std::wstring CMarkup::GetChildData(int index) const {
  CheckIndex(index);
  const ElemPos& elem = m_aPos[index];
  if (index == 0 || elem.iElemChild != 0 || elem.nStartR == elem.nEndR) return L"";
  const size_t begin = static_cast<size_t>(elem.nStartR) + 1;
  const size_t end = static_cast<size_t>(elem.nEndL);
  if (end <= begin) return L"";
  size_t pos = begin;
  while (pos < end && IsSpace(m_doc[pos])) ++pos;
  static const std::wstring kCdataOpen = L"<![CDATA[";
  if (m_doc.compare(pos, kCdataOpen.size(), kCdataOpen) == 0) {
    const size_t inside = pos + kCdataOpen.size();
    const size_t close = m_doc.find(L"]]>", inside);
    if (close != npos && close + 3 <= end) return m_doc.substr(inside, close - inside);
  }
  return ResolveEntities(m_doc.substr(begin, end - begin));
}

#pragma once
// A small XML reader: the document stays one wide text and every element is indexed by
// character positions, walked with a current element and a current child like a cursor. It
// reads tag names and text content, skips processing instructions, comments, CDATA sections
// and declarations between elements, and reports the first structural error as a text.

#include <cstdint>
#include <string>
#include <vector>

class CMarkup {
 public:
  // Positions of one element in the document; entry 0 is the document root.
  struct ElemPos {
    int32_t nStartL = 0;      // "<" that opens the start tag
    int32_t nStartR = 0;      // ">" that closes the start tag
    int32_t nEndL = 0;        // "<" of the end tag (start-tag end - 1 for an empty element);
                              // while parsing, where the next child is searched from
    int32_t nEndR = 0;        // ">" that closes the end tag (nStartR for an empty element)
    int32_t nNext = 0;        // the next "<" after the element
    int32_t iElemParent = 0;  // parent entry, 0 for the top element
    int32_t iElemChild = 0;   // first child, 0 when none
    int32_t iElemNext = 0;    // next sibling, 0 when none
  };

  // Elements nested deeper than this are refused rather than exhausting the stack.
  static constexpr int kMaxNesting = 1000;

  CMarkup();
  virtual ~CMarkup();

  // Copies and parses the text (null for empty). True when it holds a well-formed top
  // element; else only the root remains and GetError says why (empty for an empty text).
  bool SetDoc(const wchar_t* doc);
  bool IsWellFormed() const;
  const std::wstring& GetError() const { return m_error; }

  // Moves the current element to the next element of the current level with that tag name
  // (null or empty for any).
  bool FindElem(const wchar_t* name = nullptr);
  // Moves the current child to the next child of the current element with that tag name.
  bool FindChildElem(const wchar_t* name = nullptr);
  // The current child becomes the current element.
  bool IntoElem();
  // The current element becomes the current child and its parent the current element.
  bool OutOfElem();
  void ResetPos();

  int GetCurrentElem() const { return m_iPos; }
  int GetCurrentChild() const { return m_iPosChild; }
  int GetDepth() const { return m_depth; }

  // The text content of an element without children, entities resolved (a CDATA section
  // unchanged); empty for an element with children or an empty-element tag. An index outside
  // the elements throws std::invalid_argument.
  std::wstring GetChildData(int index) const;
  // The element's tag name; empty for the root (index 0).
  std::wstring GetTagName(int index) const;

 private:
  struct Token {
    size_t start = 0;
    size_t end = 0;
    size_t next = 0;
    bool quoted = false;
  };

  bool FindToken(Token& token) const;
  bool TokenIs(const Token& token, const std::wstring& text) const;
  int NewPos();
  int ParseError(const std::wstring& message);
  int ParseElem(int parent, int nesting);
  int ParseEndTag(int pos, const std::wstring& name);
  bool NameMatches(int index, const wchar_t* name) const;
  void CheckIndex(int index) const;

  std::wstring m_doc;
  std::wstring m_error;
  std::vector<ElemPos> m_aPos;
  int m_nUsed = 1;
  int m_iPos = 0;
  int m_iPosChild = 0;
  int m_depth = 0;
};

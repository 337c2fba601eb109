#pragma once
// How deep the elements of an XML text nest, read from its tags without parsing it: TinyXML
// recurses once per level, so a reader refuses a text deeper than it can take before parsing.

#include <string>

// Nesting depth of a document, skipping comments, CDATA, declarations and quoted attributes.
int XmlDepth(const std::string& xml);

// Whether TinyXML can safely take the text as it is: no NUL, and every byte part of a whole,
// well-formed UTF-8 character. TinyXML steps over a character by the length its lead byte
// announces, so a sequence cut by the text's end would take it past the end.
bool IsCleanXmlUtf8(const std::string& xml);
// The text made clean: cut at its first NUL, every byte that does not begin a well-formed
// UTF-8 character replaced by U+FFFD.
std::string CleanXmlUtf8(const std::string& xml);

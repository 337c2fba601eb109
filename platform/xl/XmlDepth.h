#pragma once
// How deep the elements of an XML text nest, read from its tags without parsing it: TinyXML
// recurses once per level, so a reader refuses a text deeper than it can take before parsing.

#include <string>

// Nesting depth of a document, skipping comments, CDATA, declarations and quoted attributes.
int XmlDepth(const std::string& xml);

// The XML parts of a workbook package as pugixml documents: parsing with the
// options every part needs (whitespace-only text kept, the declaration kept),
// serialising without reformatting, and element lookup by local name so that
// parts whose elements carry a namespace prefix ("x:row") read the same.
// Not thread-safe per document. Parse failures throw WorkbookError.
#pragma once

#include <cstddef>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace korvan {

// The most markup ("<" and "=") a part may hold. A parsed document takes
// some 50 bytes per element and attribute, so this bounds the memory that a
// small but dense part could claim (legitimate sheets stay far below it:
// about 6 per cell).
inline constexpr std::size_t kXlsxMaxMarkup = std::size_t{16} << 20;

// One parsed part. The document is parsed in place and points into `bytes_`,
// so the two live and move together.
class XlsxXmlPart {
 public:
  // `where` names the part for the message ("book.xlsx, part xl/workbook.xml").
  XlsxXmlPart(std::string bytes, const std::string& where);
  XlsxXmlPart(const XlsxXmlPart&) = delete;
  XlsxXmlPart& operator=(const XlsxXmlPart&) = delete;

  pugi::xml_node Root() const { return doc_.document_element(); }
  pugi::xml_document& Doc() { return doc_; }
  // The document as UTF-8 XML, its declaration (if any) first, no added
  // indentation.
  std::string Serialize();

 private:
  std::string bytes_;
  pugi::xml_document doc_;
};

// The element's name without its namespace prefix.
std::string_view XlsxLocalName(pugi::xml_node node);
bool XlsxIs(pugi::xml_node node, std::string_view local_name);
// The first child element with that local name (empty node if none).
pugi::xml_node XlsxChild(pugi::xml_node node, std::string_view local_name);
// The first attribute with that local name, whatever its prefix ("r:id").
pugi::xml_attribute XlsxAttribute(pugi::xml_node node, std::string_view local_name);
// The element's prefix with its colon ("x:") or "", for new sibling elements.
std::string XlsxPrefix(pugi::xml_node node);

}  // namespace korvan

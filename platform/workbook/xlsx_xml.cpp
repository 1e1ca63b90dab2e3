#include "platform/workbook/xlsx_xml.h"

#include "platform/workbook/workbook_file.h"

namespace korvan {

namespace {

constexpr unsigned kParseOptions =
    pugi::parse_default | pugi::parse_ws_pcdata_single | pugi::parse_declaration;

struct StringWriter : pugi::xml_writer {
  std::string out;
  void write(const void* data, size_t size) override {
    out.append(static_cast<const char*>(data), size);
  }
};

}  // namespace

XlsxXmlPart::XlsxXmlPart(std::string bytes, const std::string& where) : bytes_(std::move(bytes)) {
  // A part no longer than the bound cannot exceed it; only longer ones are
  // counted.
  std::size_t markup = 0;
  if (bytes_.size() > kXlsxMaxMarkup) {
    for (char c : bytes_) markup += c == '<' || c == '=';
  }
  if (markup > kXlsxMaxMarkup) {
    throw WorkbookError(where + ": the part is too large to read (more than " +
                        std::to_string(kXlsxMaxMarkup) + " elements and attributes)");
  }
  pugi::xml_parse_result result =
      doc_.load_buffer_inplace(bytes_.data(), bytes_.size(), kParseOptions, pugi::encoding_auto);
  if (!result) {
    throw WorkbookError(where + ": damaged XML (" + result.description() + " at byte " +
                        std::to_string(result.offset) + ")");
  }
  if (!doc_.document_element()) throw WorkbookError(where + ": damaged XML (no root element)");
}

std::string XlsxXmlPart::Serialize() {
  // The output is UTF-8 whatever the input was, so the declaration says so.
  pugi::xml_node first = doc_.first_child();
  if (first.type() == pugi::node_declaration && first.attribute("encoding")) {
    first.attribute("encoding").set_value("UTF-8");
  }
  StringWriter writer;
  writer.out.reserve(bytes_.size() + bytes_.size() / 8);
  doc_.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
  // Parsing turned every line break written as such into LF, so a CR left
  // in the document came from a character reference; pugixml writes it
  // raw, and a reader would turn it into LF. Written as a reference again,
  // it survives.
  if (writer.out.find('\r') == std::string::npos) return std::move(writer.out);
  std::string escaped;
  escaped.reserve(writer.out.size() + 64);
  for (char c : writer.out) {
    if (c == '\r') {
      escaped += "&#13;";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string_view XlsxLocalName(pugi::xml_node node) {
  std::string_view name = node.name();
  std::size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

bool XlsxIs(pugi::xml_node node, std::string_view local_name) {
  return node.type() == pugi::node_element && XlsxLocalName(node) == local_name;
}

pugi::xml_node XlsxChild(pugi::xml_node node, std::string_view local_name) {
  for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
    if (XlsxIs(child, local_name)) return child;
  }
  return {};
}

pugi::xml_attribute XlsxAttribute(pugi::xml_node node, std::string_view local_name) {
  for (pugi::xml_attribute a = node.first_attribute(); a; a = a.next_attribute()) {
    std::string_view name = a.name();
    std::size_t colon = name.find(':');
    if ((colon == std::string_view::npos ? name : name.substr(colon + 1)) == local_name) return a;
  }
  return {};
}

std::string XlsxPrefix(pugi::xml_node node) {
  std::string_view name = node.name();
  std::size_t colon = name.find(':');
  return colon == std::string_view::npos ? std::string() : std::string(name.substr(0, colon + 1));
}

}  // namespace korvan

#include "platform/workbook/xlsx_parts.h"

#include "text/string_helpers.h"

namespace korvan {

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecoded(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

bool IsExternal(pugi::xml_node relationship) {
  std::string_view mode = relationship.attribute("TargetMode").value();
  return mode == "External";
}

}  // namespace

std::string XlsxRelsPartName(std::string_view part) {
  std::size_t slash = part.rfind('/');
  std::string_view folder = slash == std::string_view::npos ? "" : part.substr(0, slash + 1);
  std::string_view name = slash == std::string_view::npos ? part : part.substr(slash + 1);
  return std::string(folder) + "_rels/" + std::string(name) + ".rels";
}

std::optional<std::string> XlsxResolveTarget(std::string_view source_part,
                                             std::string_view target) {
  std::string path = PercentDecoded(target);
  if (path.empty()) return std::nullopt;
  std::size_t cut = path.find_first_of("#?");  // a fragment is no part of the name
  if (cut != std::string::npos) path.resize(cut);
  std::string joined;
  if (path.front() == '/') {
    joined = path.substr(1);
  } else {
    std::size_t slash = source_part.rfind('/');
    joined = (slash == std::string_view::npos ? std::string()
                                              : std::string(source_part.substr(0, slash + 1))) +
             path;
  }
  std::vector<std::string> segments;
  std::size_t start = 0;
  while (start <= joined.size()) {
    std::size_t end = joined.find('/', start);
    if (end == std::string::npos) end = joined.size();
    std::string segment = joined.substr(start, end - start);
    if (segment == "..") {
      if (segments.empty()) return std::nullopt;
      segments.pop_back();
    } else if (!segment.empty() && segment != ".") {
      segments.push_back(segment);
    }
    start = end + 1;
  }
  if (segments.empty()) return std::nullopt;
  std::string name;
  for (const std::string& segment : segments) name += (name.empty() ? "" : "/") + segment;
  return name;
}

std::vector<XlsxRelationship> ReadXlsxRelationships(const XlsxXmlPart& rels,
                                                    std::string_view source_part) {
  std::vector<XlsxRelationship> result;
  for (pugi::xml_node node = rels.Root().first_child(); node; node = node.next_sibling()) {
    if (!XlsxIs(node, "Relationship")) continue;
    XlsxRelationship relationship{node.attribute("Id").value(), node.attribute("Type").value(), ""};
    if (!IsExternal(node)) {
      relationship.target =
          XlsxResolveTarget(source_part, node.attribute("Target").value()).value_or("");
    }
    result.push_back(std::move(relationship));
  }
  return result;
}

bool XlsxRelTypeIs(std::string_view type, std::string_view kind) {
  std::size_t slash = type.rfind('/');
  return slash != std::string_view::npos && type.substr(slash + 1) == kind;
}

std::string XlsxPartKey(std::string_view part) { return LowerAscii(part); }

bool XlsxSamePart(std::string_view a, std::string_view b) {
  return XlsxPartKey(a) == XlsxPartKey(b);
}

bool RemoveXlsxRelationshipsTo(XlsxXmlPart& rels, std::string_view source_part,
                               std::string_view part) {
  bool removed = false;
  pugi::xml_node root = rels.Root();
  for (pugi::xml_node node = root.first_child(); node;) {
    pugi::xml_node next = node.next_sibling();
    if (XlsxIs(node, "Relationship") && !IsExternal(node)) {
      std::optional<std::string> target =
          XlsxResolveTarget(source_part, node.attribute("Target").value());
      if (target && XlsxSamePart(*target, part)) {
        root.remove_child(node);
        removed = true;
      }
    }
    node = next;
  }
  return removed;
}

bool RemoveXlsxContentOverride(XlsxXmlPart& content_types, std::string_view part) {
  bool removed = false;
  pugi::xml_node root = content_types.Root();
  for (pugi::xml_node node = root.first_child(); node;) {
    pugi::xml_node next = node.next_sibling();
    std::string_view name = node.attribute("PartName").value();
    if (XlsxIs(node, "Override") && !name.empty() && name.front() == '/' &&
        XlsxSamePart(name.substr(1), part)) {
      root.remove_child(node);
      removed = true;
    }
    node = next;
  }
  return removed;
}

}  // namespace korvan

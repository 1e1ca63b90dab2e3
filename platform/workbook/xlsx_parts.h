// How the parts of a workbook package find each other: relationship parts
// ("_rels/*.rels") with their targets resolved to part names, and the
// content-type list ([Content_Types].xml). Part names here carry no leading
// "/" and are compared without regard to ASCII case. Pure functions over
// parsed parts; not thread-safe per part; they never throw.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/workbook/xlsx_xml.h"

namespace korvan {

struct XlsxRelationship {
  std::string id;
  std::string type;    // the full type URI
  std::string target;  // the resolved part name; empty for an external target
};

// "xl/workbook.xml" -> "xl/_rels/workbook.xml.rels"; "" -> "_rels/.rels".
std::string XlsxRelsPartName(std::string_view part);

// A target relative to the folder of `source_part` (or absolute, from "/"),
// with "." and ".." segments and %XX escapes resolved. Nothing when it leaves
// the package.
std::optional<std::string> XlsxResolveTarget(std::string_view source_part, std::string_view target);

std::vector<XlsxRelationship> ReadXlsxRelationships(const XlsxXmlPart& rels,
                                                    std::string_view source_part);

// True when the type URI names that kind ("worksheet", "officeDocument"), in
// the transitional or the strict namespace.
bool XlsxRelTypeIs(std::string_view type, std::string_view kind);

// A part name in lower case, for comparing part names.
std::string XlsxPartKey(std::string_view part);
bool XlsxSamePart(std::string_view a, std::string_view b);

// Removes every relationship of the rels part that points at `part`; true
// when one was removed.
bool RemoveXlsxRelationshipsTo(XlsxXmlPart& rels, std::string_view source_part,
                               std::string_view part);
// Removes the Override of `part` from the content types; true when removed.
bool RemoveXlsxContentOverride(XlsxXmlPart& content_types, std::string_view part);

}  // namespace korvan

#include "platform/workbook/xlsx_workbook.h"

#include <set>
#include <string_view>

#include "platform/workbook/workbook_file.h"
#include "platform/workbook/xlsx_parts.h"
#include "platform/workbook/xlsx_xml.h"

namespace korvan {

namespace {

std::vector<XlsxRelationship> RelationshipsOf(const XlsxPackage& package, std::string_view part) {
  std::string rels_part = XlsxRelsPartName(part);
  std::optional<std::string> bytes = package.ReadIfPresent(rels_part);
  if (!bytes) return {};
  XlsxXmlPart rels(std::move(*bytes), package.Path() + ", part " + rels_part);
  return ReadXlsxRelationships(rels, part);
}

// The target of the first relationship of that kind that names a part of
// the package, or "".
std::string TargetOfKind(const XlsxPackage& package,
                         const std::vector<XlsxRelationship>& relationships,
                         std::string_view kind) {
  for (const XlsxRelationship& relationship : relationships) {
    if (XlsxRelTypeIs(relationship.type, kind) && !relationship.target.empty() &&
        package.Has(relationship.target)) {
      return relationship.target;
    }
  }
  return "";
}

bool IsTrue(std::string_view value) { return value == "1" || value == "true"; }

}  // namespace

XlsxWorkbookLayout ReadXlsxWorkbookLayout(const XlsxPackage& package) {
  XlsxWorkbookLayout layout;
  layout.workbook_part = TargetOfKind(package, RelationshipsOf(package, ""), "officeDocument");
  if (layout.workbook_part.empty()) {
    if (!package.Has("xl/workbook.xml")) {
      throw WorkbookError(package.Path() + ": not an Excel workbook (no workbook part)");
    }
    layout.workbook_part = "xl/workbook.xml";
  }
  const std::string where = package.Path() + ", part " + layout.workbook_part;
  XlsxXmlPart workbook(package.Read(layout.workbook_part), where);
  if (!XlsxIs(workbook.Root(), "workbook")) {
    throw WorkbookError(where + ": not an Excel workbook (the main part is no workbook)");
  }
  layout.date1904 = IsTrue(XlsxChild(workbook.Root(), "workbookPr").attribute("date1904").value());

  std::vector<XlsxRelationship> relationships = RelationshipsOf(package, layout.workbook_part);
  layout.shared_strings_part = TargetOfKind(package, relationships, "sharedStrings");
  layout.styles_part = TargetOfKind(package, relationships, "styles");
  layout.calc_chain_part = TargetOfKind(package, relationships, "calcChain");

  std::set<std::string> parts_seen;
  pugi::xml_node sheets = XlsxChild(workbook.Root(), "sheets");
  for (pugi::xml_node sheet = sheets.first_child(); sheet; sheet = sheet.next_sibling()) {
    if (!XlsxIs(sheet, "sheet")) continue;
    std::string name = sheet.attribute("name").value();
    std::string_view id = XlsxAttribute(sheet, "id").value();
    const XlsxRelationship* found = nullptr;
    for (const XlsxRelationship& relationship : relationships) {
      if (relationship.id == id) found = &relationship;
    }
    if (!found) throw WorkbookError(where + ": damaged workbook (sheet " + name + " has no part)");
    if (!XlsxRelTypeIs(found->type, "worksheet")) continue;
    if (found->target.empty() || !package.Has(found->target)) {
      throw WorkbookError(where + ": damaged workbook (the part of sheet " + name + " is missing)");
    }
    if (!parts_seen.insert(XlsxPartKey(found->target)).second) {
      throw WorkbookError(where + ": damaged workbook (two sheets share the part " + found->target +
                          ")");
    }
    layout.sheets.push_back({std::move(name), found->target});
  }
  return layout;
}

}  // namespace korvan

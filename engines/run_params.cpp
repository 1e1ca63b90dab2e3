#include "engines/run_params.h"

#include "engines/engine.h"
#include "engines/int_text.h"
#include "engines/param_page.h"
#include "engines/run_globals.h"
#include "platform/clock.h"
#include "text/string_list2.h"
#include "text/wildcard.h"

namespace korvan {

namespace {

constexpr std::int32_t kDefaultPerPage = 10;

void SetPreludeLine(int counter, const std::string& line) {
  switch (counter) {
    case 2:
      ExitUrl = line;
      break;
    case 3:
      LatestVersion = line;
      break;
    case 4:
      MenuText0 = line;
      break;
    case 5:
      MenuText1 = line;
      break;
    case 6:
      NoticeText = line;
      break;
    default:
      break;  // line 1 and lines 7 on are free text
  }
}

void SetBlockLine(int counter, const std::string& line, TTheardParam& engine) {
  switch (counter) {
    case 1:
      engine.UrlTemplate = line;
      break;
    case 2:
      engine.ExtractSpec = line;
      break;
    case 3:
      engine.PerPage = IntOfText(line, kDefaultPerPage);
      break;
    case 4:
      engine.UseXmlHttp = static_cast<std::uint8_t>(IntOfText(line, 0));
      break;
    default:
      break;
  }
}

}  // namespace

void ParseRunParams(std::string_view page) {
  if (page.empty()) return;
  TStringList2 lines;
  lines.SetDelimiterStr("\r\n");
  lines.SetDelimitedStr(page);
  int counter = 1;
  int blocks = 0;
  for (const auto& item : lines.Items()) {
    const std::string& line = item.Text;
    if (IsWildMatch(line, "[[*]]")) {
      if (++blocks > kMaxEngineBlocks) break;
      Engines.emplace_back().Name = line.substr(1, line.size() - 2);
      counter = 1;
    } else if (blocks > 0) {
      SetBlockLine(counter++, line, Engines.back());
    } else {
      SetPreludeLine(counter++, line);
    }
  }
}

void LoadRunParams() { LoadRunParamsFrom(kParamPageUrl); }

void LoadRunParamsFrom(const std::string& address) {
  Engines.clear();
  RunDate = LocalNow();
  std::string page;
  FetchParamPage(page, address);
  ParseRunParams(page);
}

}  // namespace korvan

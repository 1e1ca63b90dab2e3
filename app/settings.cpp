#include "app/settings.h"

#include <algorithm>
#include <filesystem>

#include "engines/default_engines.h"
#include "engines/engine.h"
#include "engines/run_globals.h"
#include "platform/codepage.h"
#include "platform/exe_dir.h"
#include "platform/private_profile.h"
#include "platform/wide_text.h"
#include "text/string_helpers.h"
#include "text/string_list2.h"

namespace korvan {

namespace {

// Section and key names, GBK bytes.
constexpr const char* kCommon = "\xB9\xAB\xB9\xB2";  // 公共
constexpr const char* kWorkbookPath =
    "\xB1\xED\xB8\xF1\xCE\xC4\xBC\xFE"  // 表格文件路径
    "\xC2\xB7\xBE\xB6";
constexpr const char* kTimeout = "\xB7\xC3\xCE\xCA\xCA\xB1\xCF\xDE";    // 访问时限
constexpr const char* kPauseTime = "\xD4\xDD\xCD\xA3\xCA\xB1\xBC\xE4";  // 暂停时间
constexpr const char* kMaxCount = "\xB2\xE9\xD1\xAF\xCC\xF5\xCA\xFD";   // 查询条数
constexpr const char* kEnabled = "\xC6\xF4\xD3\xC3";                    // 启用

// The rank report's keys in "公共".
constexpr const char* kRankReport = "\xC5\xC5\xC3\xFB\xB1\xA8\xB8\xE6";  // 排名报告
constexpr const char* kReportDays = "\xB1\xA8\xB8\xE6\xCC\xEC\xCA\xFD";  // 报告天数

constexpr std::int32_t kMinTimeout = 1000;
constexpr std::int32_t kFallbackPause = 500;
constexpr std::int32_t kMinCount = 10;

bool RegularFileExists(const std::string& cp936_path) {
  if (cp936_path.empty()) return false;
  std::error_code ec;
  return std::filesystem::is_regular_file(FsPath(Cp936ToUtf8(cp936_path)), ec);
}

void ApplySettings(const PrivateProfile& ini, TTheardParam& engine) {
  const std::string& name = engine.Name;
  engine.Done.store(true, std::memory_order_release);
  engine.RunDate = RunDate;

  const std::int32_t common_timeout = ini.ReadInt(kCommon, kTimeout).value_or(0);
  const std::int32_t own_timeout = ini.ReadInt(name, kTimeout).value_or(0);
  engine.Timeout = own_timeout >= kMinTimeout      ? own_timeout
                   : common_timeout >= kMinTimeout ? common_timeout
                                                   : kMinTimeout;

  const std::int32_t common_pause = ini.ReadInt(kCommon, kPauseTime).value_or(0);
  const std::int32_t own_pause = ini.ReadInt(name, kPauseTime).value_or(-1);
  engine.PauseTime = own_pause >= 0 ? own_pause : common_pause >= 0 ? common_pause : kFallbackPause;

  const std::int32_t common_count = ini.ReadInt(kCommon, kMaxCount).value_or(0);
  const std::int32_t own_count = ini.ReadInt(name, kMaxCount).value_or(0);
  engine.MaxCount = own_count >= kMinCount      ? own_count
                    : common_count >= kMinCount ? common_count
                                                : kMinCount;

  engine.Enabled = LowerAscii(ini.ReadString(name, kEnabled).value_or(std::string()));

  if (engine.Results) {
    engine.Results->Clear();
  } else {
    engine.Results = std::make_unique<TStringList>();
  }
  if (engine.Keywords) {
    engine.Keywords->Clear();
  } else {
    engine.Keywords = std::make_unique<TStringList>();
  }
}

TReportSettings ReadReportSettings(const PrivateProfile& ini) {
  TReportSettings report;
  report.Enabled = ini.ReadInt(kCommon, kRankReport).value_or(1) != 0;
  report.Days =
      std::clamp(ini.ReadInt(kCommon, kReportDays).value_or(TReportSettings::kDefaultDays),
                 TReportSettings::kMinDays, TReportSettings::kMaxDays);
  return report;
}

}  // namespace

TReportSettings ReportSettings;

std::string SettingsFilePath() { return ExecutableDir() + "配置.ini"; }

bool LoadSettings(std::string& workbook_path, std::int32_t& section_count) {
  return LoadSettingsFrom(SettingsFilePath(), workbook_path, section_count);
}

bool LoadSettingsFrom(const std::string& ini_path, std::string& workbook_path,
                      std::int32_t& section_count) {
  const PrivateProfile ini = PrivateProfile::Load(ini_path);
  section_count = static_cast<std::int32_t>(ini.SectionNames().size()) - 1;
  workbook_path = ini.ReadString(kCommon, kWorkbookPath).value_or(std::string());
  if (!RegularFileExists(workbook_path)) return false;
  if (Engines.empty()) AppendDefaultEngines(Engines);
  for (auto& engine : Engines) ApplySettings(ini, engine);
  ReportSettings = ReadReportSettings(ini);
  return true;
}

bool EngineEnabledFor(int engine_index) {
  if (engine_index < 0 || engine_index >= static_cast<int>(Engines.size())) return false;
  const TTheardParam& engine = Engines[engine_index];
  TStringList2 sites;
  sites.SetDelimiterStr(",");
  sites.SetDelimitedStr(engine.Enabled);
  for (const auto& site : sites.Items()) {
    if (site.Text == engine.Host) return true;
  }
  return false;
}

}  // namespace korvan

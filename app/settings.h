// The settings file 配置.ini beside the executable: where the keyword
// workbook is, and each engine's limits and enabled sites.
//
// Main thread only, before any worker starts (writes Engines). Never throws;
// a missing or unreadable settings file reads as a file without keys.
#pragma once

#include <cstdint>
#include <string>

namespace korvan {

// The rank report's settings, from section "公共": "排名报告" (the integer 0
// turns the report off; any other value, or none, keeps it on) and "报告天数"
// (how many days back its charts reach: 90 when absent or not an integer,
// else kept within 7..3660).
struct TReportSettings {
  static constexpr std::int32_t kDefaultDays = 90;
  static constexpr std::int32_t kMinDays = 7;
  static constexpr std::int32_t kMaxDays = 3660;
  bool Enabled = true;
  std::int32_t Days = kDefaultDays;
};
extern TReportSettings ReportSettings;  // set by LoadSettings; main thread only

// Reads the settings file of the executable's folder. `workbook_path` gets
// "表格文件路径" of section "公共" (code page 936, as written there) and
// `section_count` the number of sections minus one (-1 without a file).
// Returns false, and changes no engine, when no regular file exists at the
// workbook path (an empty path counts as missing; a relative one is taken
// from the current directory). Otherwise installs the built-in engines when
// Engines is empty, gives every engine its Timeout (>= 1000), PauseTime,
// MaxCount (>= 10), lower-cased Enabled, Done = true, the global RunDate and
// two empty string lists, sets ReportSettings, and returns true.
bool LoadSettings(std::string& workbook_path, std::int32_t& section_count);
// The same from another settings file (a file-system name).
bool LoadSettingsFrom(const std::string& ini_path, std::string& workbook_path,
                      std::int32_t& section_count);

// The file-system name of the settings file: the executable's folder + 配置.ini.
std::string SettingsFilePath();

// True when engine `engine_index`'s Enabled list names its current Host.
// REQUIRES: Host set for the current worksheet. False for an index outside
// Engines.
bool EngineEnabledFor(int engine_index);

}  // namespace korvan

// One search engine: its definition and its state on the current worksheet.
//
// `Engines` is the global array of all engines; its length is settled during
// start-up and never changes afterwards, so an index handed to a worker stays
// valid. Threads: the main thread writes Host, Keywords and Results only
// while no worker of the engine runs; a worker touches only its own element
// (reads the definition, Host and Keywords, writes Results, then Done).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/http_cookie_jar.h"
#include "text/string_list2.h"

namespace korvan {

struct TTheardParam {
  std::string Name;                       // display name, settings section, "搜索引擎" value
  std::string Host;                       // target host of the current worksheet, lower-cased
  std::string UrlTemplate;                // with "[keyword]" and one page term like "[0,0,10]"
  std::string ExtractSpec;                // five "|"-separated fields
  std::string Enabled;                    // "启用": comma-separated hosts, lower-cased
  double RunDate = 0;                     // days since 1899-12-30, fraction = time of day
  std::unique_ptr<TStringList> Keywords;  // owned; created by LoadSettings
  std::unique_ptr<TStringList> Results;   // owned; one entry per keyword line
  std::int32_t PerPage = 0;
  std::int32_t MaxCount = 0;
  std::int32_t Timeout = 0;     // milliseconds
  std::int32_t PauseTime = 0;   // milliseconds
  std::uint8_t UseXmlHttp = 0;  // 0: server variant with limits; else client
  // The cookies the engine's servers set, for the whole program execution;
  // used by the engine's worker only (the jar locks itself).
  std::unique_ptr<HttpCookieJar> Cookies = std::make_unique<HttpCookieJar>();
  // Shared between the main thread and the engine's worker: true while no
  // worker is busy with the engine. Release on write, acquire on read.
  std::atomic<bool> Done{false};

  TTheardParam() = default;
  // Moves are needed only while the array is built at start-up, before any
  // worker exists.
  TTheardParam(TTheardParam&& other) noexcept;
  TTheardParam& operator=(TTheardParam&& other) noexcept;
};

// The global engine array.
extern std::vector<TTheardParam> Engines;

}  // namespace korvan

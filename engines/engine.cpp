#include "engines/engine.h"

namespace korvan {

std::vector<TTheardParam> Engines;

TTheardParam::TTheardParam(TTheardParam&& other) noexcept { *this = std::move(other); }

TTheardParam& TTheardParam::operator=(TTheardParam&& other) noexcept {
  Name = std::move(other.Name);
  Host = std::move(other.Host);
  UrlTemplate = std::move(other.UrlTemplate);
  ExtractSpec = std::move(other.ExtractSpec);
  Enabled = std::move(other.Enabled);
  RunDate = other.RunDate;
  Keywords = std::move(other.Keywords);
  Results = std::move(other.Results);
  PerPage = other.PerPage;
  MaxCount = other.MaxCount;
  Timeout = other.Timeout;
  PauseTime = other.PauseTime;
  UseXmlHttp = other.UseXmlHttp;
  Cookies = std::move(other.Cookies);
  Done.store(other.Done.load(std::memory_order_acquire), std::memory_order_release);
  return *this;
}

}  // namespace korvan

#include "engines/param_page.h"

#include "engines/http_date.h"
#include "engines/run_globals.h"
#include "platform/http_client.h"
#include "platform/response_text.h"

namespace korvan {

namespace {
constexpr long kConnectMs = 5000;
}  // namespace

void FetchParamPage(std::string& text) { FetchParamPage(text, kParamPageUrl); }

void FetchParamPage(std::string& text, const std::string& address) {
  text.clear();
  const HttpResponse response = CurlHttpClient().Get(address, ServerHttpLimits(kConnectMs));
  if (!response.completed || response.status != 200) return;
  text = ResponseTextCp936(response.body, response.content_type);
  RunDate = ParseHttpDate(response.date);
}

}  // namespace korvan

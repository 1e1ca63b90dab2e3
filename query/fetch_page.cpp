#include "query/fetch_page.h"

#include "platform/http_client.h"
#include "platform/response_text.h"
#include "query/engine_browser.h"
#include "text/string_helpers.h"

namespace korvan {

std::string FetchPage(const TTheardParam& engine, const std::string& url) {
  HttpResponse response;
  if (engine.UseXmlHttp == 0 || !FetchInBrowser(engine, url, response)) {
    const HttpLimits limits =
        engine.UseXmlHttp == 0 ? ServerHttpLimits(engine.Timeout) : ClientHttpLimits();
    response = CurlHttpClient().Get(url, limits);
  }
  if (!response.completed || response.status != 200) return {};
  return LowerAscii(ResponseTextCp936(response.body, response.content_type));
}

}  // namespace korvan

#include "query/fetch_page.h"

#include <tuple>
#include <utility>

#include "platform/http_client.h"
#include "platform/response_text.h"
#include "query/engine_browser.h"
#include "query/verification_signs.h"
#include "text/string_helpers.h"

namespace korvan {

namespace {

// The reason of a transfer that did not complete, with its detail.
std::pair<TFailReason, std::string> TransferFailure(const HttpResponse& response,
                                                    const HttpLimits& limits,
                                                    const std::string& host) {
  switch (response.failure) {
    case HttpFailure::kResolve:
      return {frResolve, host};
    case HttpFailure::kConnect:
      return {frConnect, host};
    case HttpFailure::kConnectTime:
      return {frConnectTime, std::to_string(limits.ConnectMs)};
    case HttpFailure::kIdleTime:
      return {frIdleTime, std::to_string(limits.IdleMs)};
    case HttpFailure::kTotalTime:
      return {frTotalTime, std::to_string(limits.TotalMs)};
    case HttpFailure::kTooLarge:
      return {frTooLarge, std::to_string(kMaxBodyBytes >> 20)};
    case HttpFailure::kNone:
    case HttpFailure::kOther:
      break;
  }
  return {frTransfer, response.error};
}

}  // namespace

TFetchedPage FetchPage(const TTheardParam& engine, const std::string& url) {
  HttpResponse response;
  HttpLimits limits{0, 0, kBrowserPageLimitMs};
  if (engine.UseXmlHttp == 0 || !FetchInBrowser(engine, url, response)) {
    limits = engine.UseXmlHttp == 0 ? ServerHttpLimits(engine.Timeout) : ClientHttpLimits();
    response = CurlHttpClient().Get(url, limits, engine.Cookies.get());
  }
  TFetchedPage page;
  page.FinalHost = HostOfUrl(response.final_url.empty() ? url : response.final_url);
  page.Answered = response.status != 0;
  if (std::string host = VerificationHost(response); !host.empty()) {
    page.Failure = frVerification;
    page.Detail = std::move(host);
  } else if (!response.completed) {
    std::tie(page.Failure, page.Detail) = TransferFailure(response, limits, page.FinalHost);
  } else if (response.status != 200) {
    page.Failure = response.status == 403   ? frRefused
                   : response.status == 429 ? frRateLimited
                                            : frHttpStatus;
    page.Detail = std::to_string(response.status);
  } else {
    page.Text = LowerAscii(ResponseTextCp936(response.body, response.content_type));
    if (page.Text.empty()) page.Failure = frEmptyPage;
  }
  return page;
}

}  // namespace korvan

// The signs by which the search engines' verification pages (captchas,
// anti-spider checks) are known, kept in one table: an address the answer
// ends on or is redirected to, a response header, or a text in the page.
//
// Pure and thread-safe.
#pragma once

#include <string>
#include <string_view>

#include "platform/http_client.h"

namespace korvan {

// The host of the verification address a response ended on or was
// redirected to; for a verification header, the host of its final address.
// Empty when the response shows no such sign.
std::string VerificationHost(const HttpResponse& response);

// True when a fetched page (lower-cased, code page 936) holds the text of a
// known verification page.
bool IsVerificationPage(std::string_view page);

// The lower-cased host of an absolute address ("" when it has none).
std::string HostOfUrl(std::string_view url);

}  // namespace korvan

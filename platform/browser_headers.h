// The request headers of a current desktop Chrome on Windows opening a page
// typed into its address bar. Every page request sends them, so that the
// search engines see the client their ordinary visitors use; this is the one
// place to update when that browser moves on. Accept-Encoding is left to the
// HTTP library, which offers every compressed encoding it can decode.
#pragma once

#include <array>

namespace korvan {

inline constexpr const char* kBrowserUserAgent =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/143.0.0.0 Safari/537.36";

// Header lines "Name: value" besides User-Agent and Accept-Encoding.
inline constexpr std::array<const char*, 10> kBrowserRequestHeaders = {
    "Accept: text/html,application/xhtml+xml,application/xml;q=0.9,image/avif,image/webp,"
    "image/apng,*/*;q=0.8,application/signed-exchange;v=b3;q=0.7",
    "Accept-Language: zh-CN,zh;q=0.9,en;q=0.8",
    "Upgrade-Insecure-Requests: 1",
    "sec-ch-ua: \"Google Chrome\";v=\"143\", \"Chromium\";v=\"143\", \"Not A(Brand\";v=\"24\"",
    "sec-ch-ua-mobile: ?0",
    "sec-ch-ua-platform: \"Windows\"",
    "Sec-Fetch-Site: none",
    "Sec-Fetch-Mode: navigate",
    "Sec-Fetch-User: ?1",
    "Sec-Fetch-Dest: document",
};

}  // namespace korvan

#include "platform/proxy_environment.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace korvan {
namespace {

std::map<std::string, std::string> vars;

const char* Env(const char* name) {
  auto it = vars.find(name);
  return it == vars.end() ? nullptr : it->second.c_str();
}

TEST(ProxyEnvironmentTest, EachAddressGetsTheProxyOfItsSchemeUnlessNoProxyCoversIt) {
  vars = {{"HTTP_PROXY", "http://ignored:1"}};  // curl reads it in lower case only
  EXPECT_FALSE(ReadProxyVariables(Env).Set());

  vars = {{"http_proxy", "http://127.0.0.1:8080/"},
          {"no_proxy", " .Example.com, 10.0.0.0/8 ,intra,"}};
  ProxyVariables proxies = ReadProxyVariables(Env);
  EXPECT_TRUE(proxies.Set());
  EXPECT_EQ(ProxyFor(proxies, false, "www.baidu.com"), "127.0.0.1:8080");
  EXPECT_EQ(ProxyFor(proxies, false, "127.0.0.1"), "127.0.0.1:8080");  // loopback too, as curl
  EXPECT_EQ(ProxyFor(proxies, true, "www.baidu.com"), "");             // no https proxy
  EXPECT_EQ(ProxyFor(proxies, false, "example.com"), "");
  EXPECT_EQ(ProxyFor(proxies, false, "a.b.EXAMPLE.com"), "");
  EXPECT_EQ(ProxyFor(proxies, false, "badexample.com"), "127.0.0.1:8080");
  EXPECT_EQ(ProxyFor(proxies, false, "10.200.3.4"), "");
  EXPECT_EQ(ProxyFor(proxies, false, "11.0.0.1"), "127.0.0.1:8080");
  EXPECT_EQ(ProxyFor(proxies, false, "intra"), "");

  vars = {{"ALL_PROXY", "p:3128"}, {"HTTPS_PROXY", "https://s:443"}};
  proxies = ReadProxyVariables(Env);
  EXPECT_EQ(ProxyFor(proxies, false, "x.cn"), "p:3128");
  EXPECT_EQ(ProxyFor(proxies, true, "x.cn"), "s:443");

  vars = {{"https_proxy", "p:3128"}, {"NO_PROXY", "*"}};
  EXPECT_EQ(ProxyFor(ReadProxyVariables(Env), true, "x.cn"), "");
}

}  // namespace
}  // namespace korvan

#include "query/query_url.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace korvan {
namespace {

std::string Url(const std::string& url_template, const std::string& keyword, int page) {
  TTheardParam engine;
  engine.UrlTemplate = url_template;
  return BuildQueryUrl(engine, Utf8ToCp936(keyword), page);
}

TEST(BuildQueryUrlTest, BuiltInTemplatesCountTheirPages) {
  const std::string kw = "%E6%89%8B%E6%9C%BA";
  EXPECT_EQ(Url("http://h/s?wd=[keyword]&pn=[0,0,10]&rn=10", "手机", 1),
            "http://h/s?wd=" + kw + "&pn=0&rn=10");
  EXPECT_EQ(Url("http://h/s?wd=[keyword]&pn=[0,0,10]&rn=10", "手机", 3),
            "http://h/s?wd=" + kw + "&pn=20&rn=10");
  EXPECT_EQ(Url("http://h/s?q=[keyword]&pn=[0,1,1]", "手机", 2), "http://h/s?q=" + kw + "&pn=2");
  EXPECT_EQ(Url("http://h/search?q=[keyword]&s=[0,0,40]", "手机", 3),
            "http://h/search?q=" + kw + "&s=80");
}

TEST(BuildQueryUrlTest, GeometricAndNegativeSteps) {
  EXPECT_EQ(Url("h?p=[1,10,3]", "k", 1), "h?p=10");
  EXPECT_EQ(Url("h?p=[1,10,3]", "k", 3), "h?p=90");
  EXPECT_EQ(Url("h?p=[1,1,2]", "k", 3), "h?p=4");
  EXPECT_EQ(Url("h?p=[1,5,0]", "k", 1), "h?p=5");
  EXPECT_EQ(Url("h?p=[1,5,0]", "k", 2), "h?p=0");
  EXPECT_EQ(Url("h?p=[0,100,-10]", "k", 3), "h?p=80");
  EXPECT_EQ(Url("h?p=[0,-5,1]", "k", 1), "h?p=-5");
}

TEST(BuildQueryUrlTest, KeywordIsEncodedAndTemplateLowerCasedWithoutBlanks) {
  EXPECT_EQ(Url("http://h/s?q=[keyword]&pn=[0,1,1]", "1+1 等于", 1),
            "http://h/s?q=1%2B1%20%E7%AD%89%E4%BA%8E&pn=1");
  EXPECT_EQ(Url("h?q=[keyword]&p=[0,1,1]", "a~b*", 1), "h?q=a%7Eb%2A&p=1");
  EXPECT_EQ(Url("HTTP://WWW.H.COM/S?Q=[KEYWORD]&PN=[0, 1, 1]", "AbC", 2),
            "http://www.h.com/s?q=AbC&pn=2");
  EXPECT_EQ(Url(" h?q=[keyword] &p=[0,\t1,1]\r\n", "k", 1), "h?q=k&p=1");
  // The same page term twice is replaced at both places.
  EXPECT_EQ(Url("h?a=[0,0,10]&b=[0,0,10]&q=[keyword]", "k", 2), "h?a=10&b=10&q=k");
}

TEST(BuildQueryUrlTest, NoUrlWithoutAUsablePageTerm) {
  EXPECT_EQ(Url("", "k", 1), "");
  EXPECT_EQ(Url("h?q=[keyword]", "k", 1), "");
  EXPECT_EQ(Url("h?q=[keyword]&p=[0,,10]", "k", 1), "");
  EXPECT_EQ(Url("h?q=[keyword]&p=[0,0,10,5]", "k", 1), "");
  EXPECT_EQ(Url("h?q=[keyword]&p=[2,0,10]", "k", 1), "");
  EXPECT_EQ(Url("h?q=[keyword]&p=[0,x,10]", "k", 1), "");
  EXPECT_EQ(Url("h?q=[keyword]&p=[0,0,99999999999]", "k", 1), "");
  // Values beyond the range of their arithmetic make no URL either.
  EXPECT_EQ(Url("h?p=[0,2147483647,1]", "k", 2), "");
  EXPECT_EQ(Url("h?p=[1,1,10]", "k", 30), "");
}

TEST(BuildQueryUrlTest, EngineIndexOutOfRangeMakesNoUrl) {
  Engines.clear();
  EXPECT_EQ(BuildQueryUrl(0, "k", 1), "");
  Engines.emplace_back();
  Engines[0].UrlTemplate = "h?p=[0,1,1]";
  EXPECT_EQ(BuildQueryUrl(0, "k", 2), "h?p=2");
  EXPECT_EQ(BuildQueryUrl(-1, "k", 1), "");
  Engines.clear();
}

}  // namespace
}  // namespace korvan

#include "query/messages.h"

#include <gtest/gtest.h>

#include "platform/codepage.h"

namespace korvan {
namespace {

std::string Gbk(const char* utf8) { return Utf8ToCp936(utf8); }

TEST(BuildMessageTest, FillsWrappedArgumentsIntoTheGbkTemplate) {
  EXPECT_EQ(BuildMessage(msgGettingUrl, {Gbk("百度"), Gbk("手机"), "1"}),
            Gbk("正在获取 【百度】 搜索关键字 【手机】 的第 【1】 页的URL..."));
  EXPECT_EQ(
      BuildMessage(msgFoundAt, {"G", "k", "2", "3", "a.com", "13"}),
      Gbk("在 【G】 搜索关键词 【k】 结果的第 【2】 页中的第 【3】 位找到 【a.com】 ，总排位为 "
          "【13】 ..."));
  EXPECT_EQ(BuildMessage(msgPause, {"G", "500"}), Gbk("暂停 【G】 搜索 【500】 毫秒..."));
  EXPECT_EQ(BuildMessage(msgNotFound, {"G", "k", "20", "a.com"}),
            Gbk("在 【G】 搜索关键词 【k】 总计 【20】 条的结果中未能找到 【a.com】 ..."));
  EXPECT_EQ(
      BuildMessage(msgTimeLimit, {"G", "k", "1", "3000"}),
      Gbk("获取 【G】 搜索关键字 【k】 的第 【1】 页的内容时，超过预设时间 【3000】 毫秒..."));
  EXPECT_EQ(BuildMessage(msgInterrupted, {"G", "a.com"}),
            Gbk(" 【G】 搜索 【a.com】 上的关键字查询中断，"));
}

TEST(BuildMessageTest, RepeatedPlaceholdersAreAllReplaced) {
  EXPECT_EQ(BuildMessage(msgNoUrl, {"G", "k", "1"}),
            Gbk("未能得到 【G】 搜索关键字 【k】 的第 【1】 页的URL，关键字 【k】 的查询终止..."));
  EXPECT_EQ(BuildMessage(msgFetchFailed, {"G", "k", "2"}),
            Gbk("获取 【G】 搜索关键字 【k】 的第 【2】 页的内容失败，关键字 【k】 的查询终止..."));
  EXPECT_EQ(BuildMessage(msgFoundStop, {"G", "k", "2", "a.com"}),
            Gbk("在 【G】 搜索关键词 【k】 结果的第 【2】 页中已经找到 【a.com】 ，关键字 【k】 "
                "的查询终止..."));
}

TEST(BuildMessageTest, ArgumentsAreSubstitutedOneAfterTheOther) {
  // A host that looks like a later placeholder is replaced again; a rank
  // that looks like an earlier one is left alone.
  EXPECT_EQ(BuildMessage(msgFoundAt, {"G", "k", "1", "1", "[rank]", "[name]"}),
            Gbk("在 【G】 搜索关键词 【k】 结果的第 【1】 页中的第 【1】 位找到 【 【[name]】 】 "
                "，总排位为 【[name]】 ..."));
}

TEST(BuildMessageTest, UnknownIdsGiveNothing) {
  EXPECT_EQ(BuildMessage(0, {"G", "a.com"}), "");
  EXPECT_EQ(BuildMessage(13, {"G", "a.com"}), "");
}

TEST(BuildMessageTest, SummaryTails) {
  EXPECT_EQ(SummaryAllSucceeded(), Gbk("所有关键字均查询成功！"));
  EXPECT_EQ(SummaryFailed(3), Gbk("总计 【3】 个关键字查询失败！"));
}

}  // namespace
}  // namespace korvan

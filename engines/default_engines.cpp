#include "engines/default_engines.h"

#include "engines/int_text.h"

namespace korvan {

// Names and the Taobao marker are GBK bytes: 百度, 谷歌, 淘宝, 结果内容区.
const std::array<TDefaultEngineRow, 4> DefaultEngines = {{
    {"\xB0\xD9\xB6\xC8", "http://www.baidu.com/s?wd=[keyword]&pn=[0,0,10]&rn=10",
     "<table[*]>,<div[*]>|</table>,</div>|<div id=\"content_left\">|<[*]id=\"1\"[*]>|1", "10", "0"},
    {"\xB9\xC8\xB8\xE8", "http://www.google.com.hk/search?q=[keyword]&start=[0,0,10]",
     "<li class=\"g\"[*]>|</li>|<li class=\"g\"[*]>|..|0", "10", "1"},
    {"360So", "http://www.so.com/s?q=[keyword]&pn=[0,1,1]",
     "<li[*]>|</li>|[*]<div id=\"main\">[*]|<li id=\"first\"[*]>|0", "10", "0"},
    {"\xCC\xD4\xB1\xA6", "http://s.taobao.com/search?q=[keyword]&s=[0,0,40]",
     "<div[*]>|</div>|[*]<!--"
     "\xBD\xE1\xB9\xFB\xC4\xDA\xC8\xDD\xC7\xF8"
     "-->[*]|..|2",
     "40", "0"},
}};

void AppendDefaultEngines(std::vector<TTheardParam>& engines) {
  for (const auto& row : DefaultEngines) {
    TTheardParam& engine = engines.emplace_back();
    engine.Name = row[0];
    engine.UrlTemplate = row[1];
    engine.ExtractSpec = row[2];
    engine.PerPage = IntOfText(row[3], 0);
    engine.UseXmlHttp = static_cast<std::uint8_t>(IntOfText(row[4], 0));
  }
}

}  // namespace korvan

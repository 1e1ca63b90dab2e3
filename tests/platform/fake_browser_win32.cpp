// A stand-in for Chrome on Windows, for the tests of the browser client: it
// takes its protocol pipe as Chrome does (--remote-debugging-io-pipes, and
// the C runtime's descriptors 3 and 4, which must name the same handles),
// answers the commands the client sends, and serves pages by their path:
//   /hang          never finishes loading
//   /exit          the browser ends in the middle of the page
//   /unreachable   the navigation fails as for an unknown host
//   /status/404    the document comes with status 404
//   /spawn         starts a helper process, as Chrome starts renderers, and
//                  shows its pid
//   anything else  a page that shows its address and the User-Agent set
// It exits 3 when the pipe handles are not as Chrome expects them and 4
// when a switch it needs is missing. "--sleep" makes it a helper that
// sleeps until it is ended.
#include <io.h>
#include <windows.h>

#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace {

using nlohmann::json;

HANDLE g_read = INVALID_HANDLE_VALUE;
HANDLE g_write = INVALID_HANDLE_VALUE;

void Send(const json& message) {
  std::string data = message.dump();
  data.push_back('\0');
  DWORD n = 0;
  WriteFile(g_write, data.data(), static_cast<DWORD>(data.size()), &n, nullptr);
}

bool ReadMessage(std::string& pending, json& message) {
  for (;;) {
    const std::size_t end = pending.find('\0');
    if (end != std::string::npos) {
      message = json::parse(pending.substr(0, end));
      pending.erase(0, end + 1);
      return true;
    }
    char chunk[4096];
    DWORD n = 0;
    if (!ReadFile(g_read, chunk, sizeof chunk, &n, nullptr) || n == 0) return false;
    pending.append(chunk, n);
  }
}

DWORD StartHelper() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring line = L"\"" + std::wstring(self) + L"\" --sleep";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(self, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                      nullptr, &startup, &info)) {
    return 0;
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return info.dwProcessId;
}

std::string Argument(const std::vector<std::string>& args, const std::string& prefix) {
  for (const std::string& a : args) {
    if (a.rfind(prefix, 0) == 0) return a.substr(prefix.size());
  }
  return "-";  // absent
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (Argument(args, "--sleep") != "-") Sleep(INFINITE);

  const std::string pipes = Argument(args, "--remote-debugging-io-pipes=");
  const std::size_t comma = pipes.find(',');
  if (comma == std::string::npos) return 4;
  g_read = reinterpret_cast<HANDLE>(std::strtoull(pipes.c_str(), nullptr, 10));
  g_write = reinterpret_cast<HANDLE>(std::strtoull(pipes.c_str() + comma + 1, nullptr, 10));
  if (reinterpret_cast<HANDLE>(_get_osfhandle(3)) != g_read ||
      reinterpret_cast<HANDLE>(_get_osfhandle(4)) != g_write) {
    return 3;
  }
  const std::string profile = Argument(args, "--user-data-dir=");
  const DWORD attributes = GetFileAttributesA(profile.c_str());
  if (Argument(args, "--remote-debugging-pipe") == "-" || Argument(args, "--headless") == "-" ||
      attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return 4;
  }

  std::string pending, user_agent, html;
  int targets = 0;
  json message;
  while (ReadMessage(pending, message)) {
    const std::string method = message.value("method", "");
    const json params = message.value("params", json::object());
    const std::string session = message.value("sessionId", "");
    json reply = {{"id", message["id"]}, {"result", json::object()}};
    if (!session.empty()) reply["sessionId"] = session;
    const std::string target = "T" + std::to_string(targets);
    auto event = [&](const std::string& name, json event_params) {
      Send({{"method", name}, {"params", std::move(event_params)}, {"sessionId", session}});
    };

    if (method == "Browser.getVersion") {
      reply["result"] = {{"userAgent",
                          "Mozilla/5.0 (Windows NT 10.0; Win64; x64) "
                          "AppleWebKit/537.36 (KHTML, like Gecko) "
                          "HeadlessChrome/143.0.0.0 Safari/537.36"}};
    } else if (method == "Target.createTarget") {
      ++targets;
      reply["result"] = {{"targetId", "T" + std::to_string(targets)}};
    } else if (method == "Target.attachToTarget") {
      reply["result"] = {{"sessionId", "S" + params.value("targetId", "")}};
    } else if (method == "Network.setUserAgentOverride") {
      user_agent = params.value("userAgent", "");
    } else if (method == "Runtime.evaluate") {
      reply["result"] = {{"result", {{"type", "string"}, {"value", html}}}};
    } else if (method == "Page.navigate") {
      const std::string url = params.value("url", "");
      const std::string path = url.substr(std::min(url.size(), url.find('/', 8)));
      if (path == "/exit") return 0;
      if (path == "/unreachable") {
        reply["result"] = {{"frameId", target}, {"errorText", "net::ERR_NAME_NOT_RESOLVED"}};
        Send(reply);
        continue;
      }
      reply["result"] = {{"frameId", target}, {"loaderId", "L"}};
      Send(reply);
      if (path == "/hang") continue;
      event("Page.frameStartedLoading", {{"frameId", target}});
      const long status = path == "/status/404" ? 404 : 200;
      event("Network.responseReceived", {{"type", "Document"},
                                         {"frameId", target},
                                         {"response", {{"status", status}, {"url", url}}}});
      html = path == "/spawn" ? "<p>helper " + std::to_string(StartHelper()) + "</p>"
                              : "<p>" + url + "</p><p>" + user_agent + "</p>";
      event("Page.frameStoppedLoading", {{"frameId", target}});
      continue;
    }
    Send(reply);
  }
  return 0;
}

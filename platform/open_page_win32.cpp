#include <objbase.h>
#include <shellapi.h>
#include <windows.h>

#include "platform/codepage.h"
#include "platform/open_page.h"
#include "platform/wide_text.h"

namespace korvan {

void OpenPage(const std::string& address) {
  if (!IsOpenableAddress(address)) return;
  const std::wstring url = WideFromUtf8(Cp936ToUtf8(address));
  // The shell may hand the address to a COM handler; it wants COM on the
  // calling thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  ShellExecuteW(nullptr, L"open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  if (SUCCEEDED(com)) CoUninitialize();
}

}  // namespace korvan

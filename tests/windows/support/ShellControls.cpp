#include "tests/windows/support/ShellControls.h"

#include <shellapi.h>

#include "tests/windows/support/ShellProcess.h"

bool TrayIconExists(HWND mainWindow) {
  NOTIFYICONDATAW probe = {};
  probe.cbSize = sizeof probe;
  probe.hWnd = mainWindow;
  probe.uID = 100;
  probe.uFlags = 0;
  return Shell_NotifyIconW(NIM_MODIFY, &probe) != FALSE;
}

void NotifyFromTray(HWND mainWindow, UINT mouseMessage) {
  PostMessageW(mainWindow, WM_USER + 1, 100, mouseMessage);
}

HWND WaitForPopupMenu(DWORD timeoutMs) {
  HWND menu = nullptr;
  WaitUntil(
      [&] {
        menu = FindWindowW(L"#32768", nullptr);
        return menu != nullptr && IsWindowVisible(menu);
      },
      timeoutMs);
  return menu != nullptr && IsWindowVisible(menu) ? menu : nullptr;
}

namespace {
struct OwnedSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK MatchAboutBox(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<OwnedSearch*>(parameter);
  wchar_t className[64] = {};
  wchar_t title[64] = {};
  GetClassNameW(window, className, 64);
  GetWindowTextW(window, title, 64);
  if (GetWindow(window, GW_OWNER) == search->owner && std::wstring(className) == L"#32770" &&
      std::wstring(title) == L"Info" && IsWindowVisible(window)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM parameter) {
  auto* children = reinterpret_cast<std::vector<ChildControl>*>(parameter);
  wchar_t className[64] = {};
  wchar_t text[256] = {};
  GetClassNameW(window, className, 64);
  GetWindowTextW(window, text, 256);
  children->push_back({className, text, GetDlgCtrlID(window), GetWindowLongW(window, GWL_STYLE)});
  return TRUE;
}
}  // namespace

HWND WaitForAboutBox(HWND mainWindow, DWORD timeoutMs) {
  OwnedSearch search = {mainWindow, nullptr};
  WaitUntil(
      [&] {
        EnumWindows(MatchAboutBox, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeoutMs);
  return search.found;
}

std::vector<ChildControl> ChildControls(HWND dialog) {
  std::vector<ChildControl> children;
  EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&children));
  return children;
}

void TypeChord(const std::vector<WORD>& virtualKeys) {
  std::vector<INPUT> inputs;
  auto key = [&](WORD virtualKey, DWORD flags) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = flags;
    inputs.push_back(input);
  };
  for (WORD virtualKey : virtualKeys) key(virtualKey, 0);
  for (auto it = virtualKeys.rbegin(); it != virtualKeys.rend(); ++it) key(*it, KEYEVENTF_KEYUP);
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// Linked into a test build of the shell (vestrel-pelvar-traylog.exe) in place
// of shell32's Shell_NotifyIconW: passes every tray request on and appends one
// line to the file named by VESTREL_TRAY_LOG:
//   <result> ADD window=main size=976 id=100 flags=7 callback=1025 icon=48x48 grey tip=VESTREL\nStandby
// The icon is named by the mean colour of its opaque pixels. Requests of both
// threads pass one at a time, so the log holds them in the order they met the
// notification area.

#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <string>

namespace {

std::string DescribeIcon(HICON icon) {
  ICONINFO info = {};
  BITMAP bitmap = {};
  if (icon == nullptr || !GetIconInfo(icon, &info)) return "none";
  GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
  std::string pixels(bitmap.bmWidthBytes * bitmap.bmHeight, '\0');
  GetBitmapBits(info.hbmColor, pixels.size(), pixels.data());
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  long sum[4] = {};  // blue, green, red, count
  for (std::size_t i = 0; bitmap.bmBitsPixel == 32 && i + 3 < pixels.size(); i += 4) {
    const auto* pixel = reinterpret_cast<const unsigned char*>(&pixels[i]);
    if (pixel[3] < 200) continue;
    sum[0] += pixel[0], sum[1] += pixel[1], sum[2] += pixel[2], ++sum[3];
  }
  const long b = sum[0] / std::max(sum[3], 1L), g = sum[1] / std::max(sum[3], 1L), r = sum[2] / std::max(sum[3], 1L);
  return std::to_string(bitmap.bmWidth) + "x" + std::to_string(bitmap.bmHeight) +
         (std::max({r, g, b}) - std::min({r, g, b}) < 30 ? " grey"
          : r - b > 60 && g - b > 40                     ? " yellow"
          : g - r > 40 && g - b > 25                     ? " green"
                                                         : " other");
}

BOOL WINAPI RecordingShellNotifyIconW(DWORD message, PNOTIFYICONDATAW data) {
  static const auto real = reinterpret_cast<decltype(&Shell_NotifyIconW)>(
      reinterpret_cast<void (*)()>(GetProcAddress(LoadLibraryW(L"shell32.dll"), "Shell_NotifyIconW")));
  static std::recursive_mutex order;
  std::lock_guard<std::recursive_mutex> guard(order);
  static const HWND mainWindow = FindWindowW(L"TRAYICON2", nullptr);  // there by the first request
  const BOOL result = real(message, data);
  std::string tip;
  for (const wchar_t* c = data->szTip; *c != L'\0'; ++c) tip += *c == L'\n' ? "\\n" : std::string(1, char(*c));
  static const char* const names[] = {"ADD", "MODIFY", "DELETE", "OTHER"};
  const char* name = names[std::min<DWORD>(message, 3)];  // NIM_ADD, NIM_MODIFY, NIM_DELETE
  wchar_t path[MAX_PATH] = {};
  std::FILE* log = GetEnvironmentVariableW(L"VESTREL_TRAY_LOG", path, MAX_PATH) ? _wfopen(path, L"ab") : nullptr;
  if (log == nullptr) return result;
  // A balloon's title and text, as UTF-8.
  std::string info;
  if ((data->uFlags & NIF_INFO) != 0) {
    char title[256] = {}, text[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, data->szInfoTitle, -1, title, sizeof title, nullptr, nullptr);
    WideCharToMultiByte(CP_UTF8, 0, data->szInfo, -1, text, sizeof text, nullptr, nullptr);
    info = std::string(" info=") + title + ": " + text;
  }
  std::fprintf(log, "%d %s window=%s size=%lu id=%u flags=%u callback=%u icon=%s tip=%s%s\n", result ? 1 : 0, name,
               data->hWnd == mainWindow ? "main" : "other", static_cast<unsigned long>(data->cbSize), data->uID,
               data->uFlags, data->uCallbackMessage, DescribeIcon(data->hIcon).c_str(), tip.c_str(), info.c_str());
  std::fclose(log);
  return result;
}

}  // namespace

// The shell calls Shell_NotifyIconW through this import pointer; defining it
// here keeps shell32's own out of the link.
extern "C" {
decltype(&Shell_NotifyIconW) __imp_Shell_NotifyIconW = RecordingShellNotifyIconW;
}

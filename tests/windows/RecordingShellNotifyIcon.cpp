// Linked into a test build of the shell (vestrel-pelvar-traylog.exe) in place
// of shell32's import: records every tray request the shell makes, then
// passes it on to the real notification area and records its answer too.
//
// One line per request in the file named by VESTREL_TRAY_LOG:
//   <ADD|MODIFY|DELETE> begin=<n> end=<n> size=976 window=<hex> id=100
//   flags=7 callback=1025 icon=48x48 colour=<r>,<g>,<b> result=<0|1>
//   tip=VESTREL\nStandby
// begin and end order the requests of both threads: one counter, counted
// when a request goes to the notification area and when its answer is back.
// colour is the mean of the icon's opaque pixels; "\n" in the tip is written
// as the two characters backslash and n.

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::mutex& LogLock() {
  static std::mutex lock;
  return lock;
}

std::FILE* LogFile() {
  static std::FILE* file = [] {
    wchar_t path[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"VESTREL_TRAY_LOG", path, MAX_PATH) == 0) return static_cast<std::FILE*>(nullptr);
    return _wfopen(path, L"ab");
  }();
  return file;
}

decltype(&Shell_NotifyIconW) RealShellNotifyIcon() {
  static decltype(&Shell_NotifyIconW) real = [] {
    FARPROC address = GetProcAddress(LoadLibraryW(L"shell32.dll"), "Shell_NotifyIconW");
    return reinterpret_cast<decltype(&Shell_NotifyIconW)>(reinterpret_cast<void (*)()>(address));
  }();
  return real;
}

const char* MessageName(DWORD message) {
  switch (message) {
    case NIM_ADD: return "ADD";
    case NIM_MODIFY: return "MODIFY";
    case NIM_DELETE: return "DELETE";
    default: return "OTHER";
  }
}

std::string Utf8Tip(const wchar_t* tip) {
  std::string out;
  for (const wchar_t* c = tip; *c != L'\0'; ++c) {
    if (*c == L'\n') {
      out += "\\n";
    } else if (*c < 0x80) {
      out += static_cast<char>(*c);
    } else {
      out += '?';
    }
  }
  return out;
}

// Size and mean colour of the icon's opaque pixels.
std::string DescribeIcon(HICON icon) {
  if (icon == nullptr) return "icon=none colour=0,0,0";
  ICONINFO info = {};
  if (!GetIconInfo(icon, &info)) return "icon=invalid colour=0,0,0";
  BITMAP bitmap = {};
  GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
  const int width = bitmap.bmWidth;
  const int height = bitmap.bmHeight;

  BITMAPINFO format = {};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = width;
  format.bmiHeader.biHeight = -height;
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, info.hbmColor, 0, height, pixels.data(), &format, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);

  unsigned long long red = 0, green = 0, blue = 0, opaque = 0;
  for (std::size_t i = 0; i + 3 < pixels.size(); i += 4) {
    if (pixels[i + 3] < 200) continue;
    blue += pixels[i];
    green += pixels[i + 1];
    red += pixels[i + 2];
    ++opaque;
  }
  if (opaque == 0) opaque = 1;
  char text[96];
  std::snprintf(text, sizeof text, "icon=%dx%d colour=%llu,%llu,%llu", width, height, red / opaque,
                green / opaque, blue / opaque);
  return text;
}

std::atomic<unsigned> requestClock{0};

BOOL WINAPI RecordingShellNotifyIconW(DWORD message, PNOTIFYICONDATAW data) {
  const unsigned begin = ++requestClock;
  const BOOL result = RealShellNotifyIcon() != nullptr ? RealShellNotifyIcon()(message, data) : FALSE;
  const unsigned end = ++requestClock;
  std::lock_guard<std::mutex> guard(LogLock());
  std::FILE* log = LogFile();
  if (log == nullptr || data == nullptr) return result;
  std::fprintf(log, "%s begin=%u end=%u size=%lu window=%llx id=%u flags=%u callback=%u %s result=%d tip=%s\n",
               MessageName(message), begin, end, static_cast<unsigned long>(data->cbSize),
               static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(data->hWnd)), data->uID, data->uFlags,
               data->uCallbackMessage, DescribeIcon(data->hIcon).c_str(), result ? 1 : 0,
               Utf8Tip(data->szTip).c_str());
  std::fflush(log);
  return result;
}

}  // namespace

// The shell calls Shell_NotifyIconW through this import pointer; defining it
// here keeps shell32's own out of the link.
extern "C" {
decltype(&Shell_NotifyIconW) __imp_Shell_NotifyIconW = RecordingShellNotifyIconW;
}

#include "panel/PanelInterfacePath.h"

namespace {

// The panel's ids as Windows writes them into a path, in lower case; kept in
// step with kPanelVendorId and kPanelProductId (panel/PanelReport.h).
constexpr wchar_t kPanelIds[] = L"vid_04d8&pid_e6d6";

// ASCII only: no locale can change what a path's ids compare as.
wchar_t Lower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool IsHexDigit(wchar_t c) {
  c = Lower(c);
  return (c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f');
}

// Whether the panel's ids start at `at`.
bool IdsAt(const wchar_t* at) {
  int index = 0;
  for (; kPanelIds[index] != L'\0'; ++index) {
    if (Lower(at[index]) != kPanelIds[index]) return false;  // a NUL ends the path, and differs
  }
  return !IsHexDigit(at[index]);
}

}  // namespace

bool InterfacePathNamesPanel(const wchar_t* path) {
  for (const wchar_t* at = path; *at != L'\0'; ++at) {
    if (IdsAt(at)) return true;
  }
  return false;
}

bool InterfaceListNamesPanel(const wchar_t* list) {
  for (const wchar_t* path = list; *path != L'\0';) {
    if (InterfacePathNamesPanel(path)) return true;
    while (*path != L'\0') ++path;
    ++path;  // past its NUL, to the next path or the list's closing NUL
  }
  return false;
}

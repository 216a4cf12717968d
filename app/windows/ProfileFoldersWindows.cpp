#include "app/windows/ProfileFoldersWindows.h"

#include <windows.h>

#include <cwchar>

#include "sim/simconnect/Net/ConfigLookup.h"

std::string Utf8FromWide(const wchar_t* wide) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return "";
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, &text[0], size, nullptr, nullptr);
  text.resize(static_cast<std::size_t>(size - 1));
  return text;
}

std::vector<std::string> WindowsProfileFolders() {
  std::vector<std::string> folders;
  // The roaming profile's folder, wide so that a user name outside the ANSI
  // code page still reads right.
  const wchar_t* appData = _wgetenv(L"APPDATA");
  if (appData != nullptr && *appData != L'\0') folders.push_back(Utf8FromWide(appData) + "\\Vestrel Pelvar\\aircraft");
  const std::string program = ExecutableFolder();
  if (!program.empty()) folders.push_back(program + "\\aircraft");
  return folders;
}

// What the resource compiler and the linker made of the shell, read from the
// shipped executable: one language, UTF-8 texts, five icon sizes per state,
// the manifest, the version, and a program that needs only the system's own
// DLLs.

#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "VestrelVersion.h"
#include "tests/windows/support/ShellProcess.h"

namespace {

// Mapped with its sections at their addresses, never run.
const HMODULE kShell = LoadLibraryExW(BesideTestProgram(L"vestrel-pelvar.exe").c_str(), nullptr,
                                      LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);

std::string Resource(LPCWSTR type, WORD id) {
  HRSRC found = FindResourceExW(kShell, type, MAKEINTRESOURCEW(id), MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
  return found ? std::string(static_cast<const char*>(LoadResource(kShell, found)), SizeofResource(kShell, found)) : "";
}

// The icons are looked up the same way by their own test.
TEST(ShellResources, AreInGermanGermany) {
  const std::pair<LPCWSTR, WORD> resources[] = {
      {RT_STRING, 103 / 16 + 1}, {RT_MENU, 109}, {RT_ACCELERATOR, 109}, {RT_DIALOG, 103}, {RT_MANIFEST, 1}};
  for (const auto& [type, id] : resources) EXPECT_NE(Resource(type, id), "") << "resource " << id;
}

std::wstring Describe(HMENU menu) {
  std::wstring entries;
  for (int at = 0; at < GetMenuItemCount(menu); ++at) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, at, text, 64, MF_BYPOSITION);
    HMENU popup = GetSubMenu(menu, at);
    entries += text + (popup ? L"{" + Describe(popup) + L"}" : L"=" + std::to_wstring(GetMenuItemID(menu, at))) + L" ";
  }
  return entries;
}

TEST(ShellResources, MenuTextsAreReadAsUtf8) {
  EXPECT_EQ(Describe(LoadMenuW(kShell, MAKEINTRESOURCEW(109))),
            L"Kontextmen\u00fc{&Datei{Quit=105 &Info...=104 } &Hilfe=65535 } ");
}

TEST(ShellResources, EachStateHasItsOwnIconOfFourBitmapSizesAndA256PixelPng) {
  std::set<std::string> smallest;  // one image per state: no two states may share an icon
  for (WORD group : {129, 131, 132}) {
    const std::string directory = Resource(RT_GROUP_ICON, group);
    const auto* bytes = reinterpret_cast<const unsigned char*>(directory.data());
    if (directory.size() >= 20) smallest.insert(Resource(RT_ICON, static_cast<WORD>(bytes[18] | bytes[19] << 8)));
    std::string images;
    for (std::size_t at = 6; at + 14 <= directory.size(); at += 14) {
      const auto* entry = reinterpret_cast<const unsigned char*>(&directory[at]);
      const bool png = Resource(RT_ICON, static_cast<WORD>(entry[12] | entry[13] << 8)).rfind("\x89PNG", 0) == 0;
      images += std::to_string(entry[0] ? entry[0] : 256) + "/" + std::to_string(entry[6]) + (png ? "png " : " ");
    }
    EXPECT_EQ(images, "16/32 24/32 32/32 48/32 256/32png ") << "icon group " << group;
  }
  EXPECT_EQ(smallest.size(), 3u);
}

TEST(ShellResources, ManifestRunsAsTheInvokerWithoutUiAccess) {
  EXPECT_NE(Resource(RT_MANIFEST, 1).find("level=\"asInvoker\" uiAccess=\"false\""), std::string::npos);
}

TEST(ShellResources, VersionIsTheProjectVersion) {
  const std::string info = Resource(RT_VERSION, 1);
  const std::size_t fixed = info.find("\xBD\x04\xEF\xFE");  // VS_FIXEDFILEINFO's signature
  ASSERT_NE(fixed, std::string::npos);
  const WORD parts[] = {VP_VERSION_COMMAS};
  DWORD fileVersion[2];
  std::memcpy(fileVersion, &info[fixed + 8], sizeof fileVersion);
  EXPECT_EQ(fileVersion[0], MAKELONG(parts[1], parts[0]));
  EXPECT_EQ(fileVersion[1], MAKELONG(parts[3], parts[2]));
  const std::wstring texts(reinterpret_cast<const wchar_t*>(info.data()), info.size() / sizeof(wchar_t));
  EXPECT_NE(texts.find(L"" VP_VERSION), std::wstring::npos);
}

TEST(ShellExecutable, IsAGuiProgramNeedingOnlySystemDlls) {
  const char* image = reinterpret_cast<const char*>(reinterpret_cast<UINT_PTR>(kShell) & ~UINT_PTR{3});
  ASSERT_NE(image, nullptr);
  const auto* nt =
      reinterpret_cast<const IMAGE_NT_HEADERS64*>(image + reinterpret_cast<const IMAGE_DOS_HEADER*>(image)->e_lfanew);
  EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
  // hidapi, the C++ runtime and the thread library are linked in; the
  // simulator's library is loaded at run time, if present.
  const std::string system = " advapi32.dll gdi32.dll kernel32.dll msvcrt.dll shell32.dll user32.dll ws2_32.dll ";
  const auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
      image + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
  ASSERT_NE(import->Name, 0u);
  for (; import->Name != 0; ++import) {
    std::string dll = image + import->Name;
    EXPECT_NE(system.find(" " + std::string(CharLowerA(dll.data())) + " "), std::string::npos) << dll;
  }
}

}  // namespace

// What the resource compiler and the linker made of the shell, read from the
// shipped executable: one language, UTF-8 texts, five icon sizes per state,
// the manifest, and a program that needs only the system's own DLLs.

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/windows/support/ShellProcess.h"

namespace {

constexpr WORD kGermanGermany = 1031;

// Mapped as an image (sections at their addresses), never run.
const char* Executable() {
  static HMODULE module = LoadLibraryExW(BesideTestProgram(L"vestrel-pelvar.exe").c_str(), nullptr,
                                         LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  return reinterpret_cast<const char*>(reinterpret_cast<UINT_PTR>(module) & ~UINT_PTR{3});
}
HMODULE Module() { return reinterpret_cast<HMODULE>(const_cast<char*>(Executable())); }

std::string Resource(LPCWSTR type, WORD id) {
  HRSRC found = FindResourceExW(Module(), type, MAKEINTRESOURCEW(id), kGermanGermany);
  if (found == nullptr) return "";
  return std::string(static_cast<const char*>(LockResource(LoadResource(Module(), found))),
                     SizeofResource(Module(), found));
}

TEST(ShellResources, AreAllInGermanGermany) {
  ASSERT_NE(Executable(), nullptr);
  std::vector<WORD> languages;
  EnumResourceTypesW(
      Module(),
      [](HMODULE module, LPWSTR type, LONG_PTR found) {
        return EnumResourceNamesW(
            module, type,
            [](HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR found) {
              return EnumResourceLanguagesW(
                  module, type, name,
                  [](HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
                    reinterpret_cast<std::vector<WORD>*>(found)->push_back(language);
                    return TRUE;
                  },
                  found);
            },
            found);
      },
      reinterpret_cast<LONG_PTR>(&languages));
  EXPECT_GT(languages.size(), 10u);
  EXPECT_EQ(languages, std::vector<WORD>(languages.size(), kGermanGermany));
}

std::wstring Describe(HMENU menu) {
  std::wstring entries;
  for (int at = 0; at < GetMenuItemCount(menu); ++at) {
    wchar_t text[64] = {};
    GetMenuStringW(menu, at, text, 64, MF_BYPOSITION);
    HMENU popup = GetSubMenu(menu, at);
    entries += std::wstring(at ? L" " : L"") + text +
               (popup ? L"{" + Describe(popup) + L"}" : L"=" + std::to_wstring(GetMenuItemID(menu, at)));
  }
  return entries;
}

TEST(ShellResources, MenuTextsAreReadAsUtf8) {
  HMENU menu = LoadMenuW(Module(), MAKEINTRESOURCEW(109));
  EXPECT_EQ(Describe(menu), L"Kontextmen\u00fc{&Datei{Quit=105 &Info...=104} &Hilfe=65535}");
  DestroyMenu(menu);
}

TEST(ShellResources, EachStateIconHoldsFourBitmapSizesAndA256PixelPng) {
  for (WORD group : {129, 131, 132}) {
    const std::string directory = Resource(RT_GROUP_ICON, group);
    std::string images;
    for (std::size_t at = 6; at + 14 <= directory.size(); at += 14) {
      const auto* entry = reinterpret_cast<const unsigned char*>(directory.data() + at);
      const bool png = Resource(RT_ICON, static_cast<WORD>(entry[12] | entry[13] << 8)).rfind("\x89PNG", 0) == 0;
      images += std::to_string(entry[0] ? entry[0] : 256) + "/" + std::to_string(entry[6]) + (png ? "png " : " ");
    }
    EXPECT_EQ(images, "16/32 24/32 32/32 48/32 256/32png ") << "icon group " << group;
  }
}

TEST(ShellResources, ManifestRunsAsTheInvokerWithoutUiAccess) {
  EXPECT_NE(Resource(RT_MANIFEST, 1).find("level=\"asInvoker\" uiAccess=\"false\""), std::string::npos);
}

TEST(ShellExecutable, IsAGuiProgramNeedingOnlySystemDlls) {
  const char* image = Executable();
  ASSERT_NE(image, nullptr);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(
      image + reinterpret_cast<const IMAGE_DOS_HEADER*>(image)->e_lfanew);
  EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
  // hidapi, the C++ runtime and the thread library are linked in; the
  // simulator's library is loaded at run time, if present.
  const std::string system = " advapi32.dll gdi32.dll kernel32.dll msvcrt.dll shell32.dll user32.dll ";
  int count = 0;
  for (const auto* import = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
           image + nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
       import->Name != 0; ++import, ++count) {
    std::string dll = image + import->Name;
    EXPECT_NE(system.find(" " + std::string(CharLowerA(dll.data())) + " "), std::string::npos) << dll << " is not part of Windows";
  }
  EXPECT_GT(count, 0);
}

}  // namespace

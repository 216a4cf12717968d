// The resources and the shape of the shipped executable, read from the file
// itself: what the user sees (texts, menu, About box, icons) must survive
// the resource compiler unchanged, and the program must start on a Windows
// that has nothing but the system's own DLLs.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/windows/support/ShellProcess.h"
#include "tests/windows/support/TestFiles.h"

namespace {

constexpr WORD kGermanGermany = 1031;

class ShellResources : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    module_ = LoadLibraryExW(BesideTestProgram(L"vestrel-pelvar.exe").c_str(), nullptr,
                             LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  }
  static void TearDownTestSuite() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  void SetUp() override { ASSERT_NE(module_, nullptr) << "vestrel-pelvar.exe not found beside the test"; }

  // The bytes of one resource in German (Germany); empty when absent.
  static std::vector<std::uint8_t> Raw(LPCWSTR type, WORD id) {
    HRSRC found = FindResourceExW(module_, type, MAKEINTRESOURCEW(id), kGermanGermany);
    if (found == nullptr) return {};
    const auto* bytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(module_, found)));
    return std::vector<std::uint8_t>(bytes, bytes + SizeofResource(module_, found));
  }

  static HMODULE module_;
};
HMODULE ShellResources::module_ = nullptr;

// ---- every resource in one language

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
  reinterpret_cast<std::vector<WORD>*>(found)->push_back(language);
  return TRUE;
}
BOOL CALLBACK CollectName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR found) {
  EnumResourceLanguagesW(module, type, name, CollectLanguage, found);
  return TRUE;
}
BOOL CALLBACK CollectType(HMODULE module, LPWSTR type, LONG_PTR found) {
  EnumResourceNamesW(module, type, CollectName, found);
  return TRUE;
}

TEST_F(ShellResources, AreAllGermanGermany) {
  std::vector<WORD> languages;
  EnumResourceTypesW(module_, CollectType, reinterpret_cast<LONG_PTR>(&languages));
  ASSERT_GT(languages.size(), 10u);
  for (WORD language : languages) EXPECT_EQ(language, kGermanGermany);
}

// ---- strings

TEST_F(ShellResources, StringsNameTheWindowAndItsClass) {
  wchar_t text[100] = {};
  ASSERT_GT(LoadStringW(module_, 103, text, 100), 0);
  EXPECT_STREQ(text, L"Vestrel Pelvar Plug-In");
  ASSERT_GT(LoadStringW(module_, 109, text, 100), 0);
  EXPECT_STREQ(text, L"TRAYICON2");
}

// ---- menu

std::wstring ItemText(HMENU menu, int position) {
  wchar_t text[64] = {};
  GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
  return text;
}

TEST_F(ShellResources, MenuHoldsQuitAndInfoUnderDateiUnderKontextmenue) {
  HMENU menu = LoadMenuW(module_, MAKEINTRESOURCEW(109));
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 1);
  EXPECT_EQ(ItemText(menu, 0), L"Kontextmen\u00fc") << "UTF-8 read as UTF-8";

  HMENU context = GetSubMenu(menu, 0);
  ASSERT_NE(context, nullptr);
  ASSERT_EQ(GetMenuItemCount(context), 2);
  EXPECT_EQ(ItemText(context, 0), L"&Datei");
  EXPECT_EQ(ItemText(context, 1), L"&Hilfe");
  EXPECT_EQ(GetMenuItemID(context, 1), 0xFFFFu);

  HMENU file = GetSubMenu(context, 0);
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(GetMenuItemCount(file), 2);
  EXPECT_EQ(ItemText(file, 0), L"Quit");
  EXPECT_EQ(GetMenuItemID(file, 0), 105u);
  EXPECT_EQ(ItemText(file, 1), L"&Info...");
  EXPECT_EQ(GetMenuItemID(file, 1), 104u);
  DestroyMenu(menu);
}

// ---- accelerators

TEST_F(ShellResources, AltQuestionMarkAndAltSlashOpenTheAboutBox) {
  // Stored entries: flags, key, command, padding; the last one flagged 0x80.
  const std::vector<std::uint8_t> raw = Raw(RT_ACCELERATOR, 109);
  ASSERT_EQ(raw.size(), 16u);
  auto word = [&](std::size_t at) { return static_cast<unsigned>(raw[at] | raw[at + 1] << 8); };
  EXPECT_EQ(word(0), unsigned{FALT});
  EXPECT_EQ(word(2), 0x3Fu);
  EXPECT_EQ(word(4), 104u);
  EXPECT_EQ(word(8), unsigned{FALT} | 0x80u);
  EXPECT_EQ(word(10), 0x2Fu);
  EXPECT_EQ(word(12), 104u);
}

// ---- About box template

class TemplateReader {
 public:
  explicit TemplateReader(const std::vector<std::uint8_t>& bytes) : bytes_(bytes) {}
  bool Failed() const { return failed_; }
  std::uint32_t U16() { return Take(2); }
  std::uint32_t U32() { return Take(4); }
  std::int32_t S16() { return static_cast<std::int16_t>(Take(2)); }
  std::uint8_t U8() { return static_cast<std::uint8_t>(Take(1)); }
  // A string, or an ordinal written as "#<number>".
  std::wstring SzOrOrdinal() {
    if (Peek16() == 0xFFFF) {
      U16();
      return L"#" + std::to_wstring(U16());
    }
    std::wstring text;
    for (std::uint32_t c = U16(); c != 0 && !failed_; c = U16()) text += static_cast<wchar_t>(c);
    return text;
  }
  void AlignTo4() { position_ = (position_ + 3) & ~std::size_t{3}; }
  void Skip(std::size_t count) { position_ += count; }

 private:
  std::uint32_t Peek16() const {
    return position_ + 2 <= bytes_.size() ? static_cast<std::uint32_t>(bytes_[position_] | bytes_[position_ + 1] << 8)
                                          : 0;
  }
  std::uint32_t Take(std::size_t size) {
    if (position_ + size > bytes_.size()) {
      failed_ = true;
      return 0;
    }
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i) value |= static_cast<std::uint32_t>(bytes_[position_ + i]) << (8 * i);
    position_ += size;
    return value;
  }
  const std::vector<std::uint8_t>& bytes_;
  std::size_t position_ = 0;
  bool failed_ = false;
};

struct ControlTemplate {
  std::uint32_t style;
  int x, y, cx, cy;
  std::int32_t id;
  std::wstring className, text;
};

TEST_F(ShellResources, AboutBoxTemplateIsExactlyTheInfoDialog) {
  const std::vector<std::uint8_t> raw = Raw(RT_DIALOG, 103);
  ASSERT_FALSE(raw.empty());
  TemplateReader in(raw);
  ASSERT_EQ(in.U16(), 1u) << "extended template";
  ASSERT_EQ(in.U16(), 0xFFFFu);
  in.U32();  // help id
  EXPECT_EQ(in.U32(), 0u) << "extended style";
  EXPECT_EQ(in.U32(), 0x80C800C8u) << "pop-up, caption, system menu, modal frame, own fixed system font";
  const std::uint32_t count = in.U16();
  EXPECT_EQ(in.S16(), 0);
  EXPECT_EQ(in.S16(), 0);
  EXPECT_EQ(in.S16(), 170);
  EXPECT_EQ(in.S16(), 62);
  EXPECT_EQ(in.SzOrOrdinal(), L"") << "no menu";
  EXPECT_EQ(in.SzOrOrdinal(), L"") << "default dialog class";
  EXPECT_EQ(in.SzOrOrdinal(), L"Info");
  EXPECT_EQ(in.U16(), 8u) << "points";
  EXPECT_EQ(in.U16(), 0u) << "weight";
  EXPECT_EQ(in.U8(), 0u) << "italic";
  EXPECT_EQ(in.U8(), 1u) << "character set";
  EXPECT_EQ(in.SzOrOrdinal(), L"MS Shell Dlg");
  ASSERT_EQ(count, 4u);

  std::vector<ControlTemplate> controls;
  for (std::uint32_t i = 0; i < count; ++i) {
    in.AlignTo4();
    ControlTemplate control;
    in.U32();  // help id
    EXPECT_EQ(in.U32(), 0u) << "control " << i << " extended style";
    control.style = in.U32();
    control.x = in.S16();
    control.y = in.S16();
    control.cx = in.S16();
    control.cy = in.S16();
    control.id = static_cast<std::int32_t>(in.U32());
    control.className = in.SzOrOrdinal();
    control.text = in.SzOrOrdinal();
    in.Skip(in.U16());  // creation data
    controls.push_back(control);
  }
  ASSERT_FALSE(in.Failed()) << "template ends early";

  auto isStatic = [](const std::wstring& name) { return name == L"#130" || _wcsicmp(name.c_str(), L"Static") == 0; };
  const std::uint32_t child = WS_CHILD | WS_VISIBLE;

  EXPECT_TRUE(isStatic(controls[0].className));
  EXPECT_EQ(controls[0].style, child | SS_ICON);
  EXPECT_EQ(controls[0].text, L"#129");
  EXPECT_EQ(controls[0].id, -1);
  EXPECT_EQ((std::vector<int>{controls[0].x, controls[0].y, controls[0].cx, controls[0].cy}),
            (std::vector<int>{14, 14, 20, 20}));

  EXPECT_TRUE(isStatic(controls[1].className));
  EXPECT_EQ(controls[1].style, child | WS_GROUP | SS_LEFT | SS_NOPREFIX);
  EXPECT_EQ(controls[1].text, L"VESTREL MSFS Plug-In 0.5.0");
  EXPECT_EQ(controls[1].id, -1);
  EXPECT_EQ((std::vector<int>{controls[1].x, controls[1].y, controls[1].cx, controls[1].cy}),
            (std::vector<int>{42, 14, 114, 8}));

  EXPECT_TRUE(isStatic(controls[2].className));
  EXPECT_EQ(controls[2].style, child | WS_GROUP | SS_LEFT);
  EXPECT_NE(controls[2].text.find(L"2025"), std::wstring::npos);
  EXPECT_EQ(controls[2].id, -1);
  EXPECT_EQ((std::vector<int>{controls[2].x, controls[2].y, controls[2].cx, controls[2].cy}),
            (std::vector<int>{42, 26, 114, 8}));

  EXPECT_TRUE(controls[3].className == L"#128" || _wcsicmp(controls[3].className.c_str(), L"Button") == 0);
  EXPECT_EQ(controls[3].style, child | WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON);
  EXPECT_EQ(controls[3].text, L"OK");
  EXPECT_EQ(controls[3].id, IDOK);
  EXPECT_EQ((std::vector<int>{controls[3].x, controls[3].y, controls[3].cx, controls[3].cy}),
            (std::vector<int>{113, 41, 50, 14}));
}

// ---- icons

struct IconGroup {
  const char* name;
  WORD id;
};

class IconGroups : public ShellResources, public testing::WithParamInterface<IconGroup> {};

TEST_P(IconGroups, HoldFourBitmapSizesAndA256PixelPng) {
  const std::vector<std::uint8_t> group = Raw(RT_GROUP_ICON, GetParam().id);
  ASSERT_GE(group.size(), 6u);
  const unsigned count = group[4] | group[5] << 8;
  ASSERT_EQ(count, 5u);
  ASSERT_EQ(group.size(), 6u + 14u * count);

  std::vector<unsigned> sizes;
  for (unsigned i = 0; i < count; ++i) {
    const std::uint8_t* entry = group.data() + 6 + 14 * i;
    const unsigned size = entry[0] == 0 ? 256 : entry[0];
    const unsigned bits = entry[6] | entry[7] << 8;
    const WORD imageId = static_cast<WORD>(entry[12] | entry[13] << 8);
    sizes.push_back(size);
    EXPECT_EQ(bits, 32u) << size << " px";

    const std::vector<std::uint8_t> image = Raw(RT_ICON, imageId);
    ASSERT_GE(image.size(), 8u);
    const bool png = std::memcmp(image.data(), "\x89PNG", 4) == 0;
    EXPECT_EQ(png, size == 256) << size << " px";
  }
  std::sort(sizes.begin(), sizes.end());
  EXPECT_EQ(sizes, (std::vector<unsigned>{16, 24, 32, 48, 256}));
}

INSTANTIATE_TEST_SUITE_P(States, IconGroups,
                         testing::Values(IconGroup{"Standby129", 129}, IconGroup{"Waiting131", 131},
                                         IconGroup{"Connected132", 132}),
                         [](const testing::TestParamInfo<IconGroup>& info) { return info.param.name; });

// ---- manifest

TEST_F(ShellResources, ManifestAsksToRunAsTheInvokerWithoutUiAccess) {
  const std::vector<std::uint8_t> raw = Raw(RT_MANIFEST, 1);
  const std::string manifest(raw.begin(), raw.end());
  EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos) << manifest;
  EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos) << manifest;
}

// ---- the file: a GUI program that needs only system DLLs

std::vector<std::string> ImportedDlls(const std::string& file, WORD* subsystem) {
  auto at = [&](std::size_t offset, std::size_t size) { return offset + size <= file.size(); };
  std::vector<std::string> dlls;
  if (!at(0, sizeof(IMAGE_DOS_HEADER))) return dlls;
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(file.data());
  const std::size_t ntOffset = static_cast<std::size_t>(dos->e_lfanew);
  if (!at(ntOffset, sizeof(IMAGE_NT_HEADERS64))) return dlls;
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(file.data() + ntOffset);
  if (nt->Signature != IMAGE_NT_SIGNATURE || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) return dlls;
  *subsystem = nt->OptionalHeader.Subsystem;

  const auto* sections = IMAGE_FIRST_SECTION(nt);
  const std::size_t sectionsOffset = reinterpret_cast<const char*>(sections) - file.data();
  const unsigned sectionCount = nt->FileHeader.NumberOfSections;
  if (!at(sectionsOffset, sectionCount * sizeof(IMAGE_SECTION_HEADER))) return dlls;
  auto fileOffset = [&](DWORD rva) -> std::size_t {
    for (unsigned i = 0; i < sectionCount; ++i) {
      const IMAGE_SECTION_HEADER& section = sections[i];
      if (rva >= section.VirtualAddress && rva < section.VirtualAddress + section.SizeOfRawData) {
        return rva - section.VirtualAddress + section.PointerToRawData;
      }
    }
    return file.size();
  };

  const DWORD importRva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
  for (std::size_t offset = fileOffset(importRva); at(offset, sizeof(IMAGE_IMPORT_DESCRIPTOR));
       offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    const auto* descriptor = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(file.data() + offset);
    if (descriptor->Name == 0) break;
    const std::size_t nameOffset = fileOffset(descriptor->Name);
    std::string name;
    for (std::size_t i = nameOffset; i < file.size() && file[i] != '\0'; ++i) {
      name += static_cast<char>(tolower(static_cast<unsigned char>(file[i])));
    }
    dlls.push_back(name);
  }
  return dlls;
}

TEST(ShellExecutable, IsAGuiProgramNeedingOnlySystemDlls) {
  std::string file;
  ASSERT_TRUE(ReadWholeFile(BesideTestProgram(L"vestrel-pelvar.exe"), &file))
      << "vestrel-pelvar.exe not found beside the test";
  WORD subsystem = 0;
  std::vector<std::string> dlls = ImportedDlls(file, &subsystem);
  EXPECT_EQ(subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
  ASSERT_FALSE(dlls.empty());
  // hidapi, the C++ runtime and the thread library are linked in; the
  // simulator's library is loaded only at run time, if present.
  const std::vector<std::string> system = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll",
                                           "msvcrt.dll",   "advapi32.dll"};
  for (const std::string& dll : dlls) {
    EXPECT_NE(std::find(system.begin(), system.end(), dll), system.end()) << dll << " is not part of Windows";
  }
}

}  // namespace

// The Windows shell's look for the panel in the HID interface list: which
// device-interface paths name the panel, and whether a list holds one.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panel/PanelInterfacePath.h"

namespace {

const std::wstring kTail = L"#7&1a2b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

const struct PathRow {
  std::wstring path;
  bool panel;
} kPaths[] = {
    {L"\\\\?\\HID#VID_04D8&PID_E6D6&MI_00" + kTail, true},  // as Windows writes it
    {L"\\\\?\\hid#vid_04d8&pid_e6d6&mi_00" + kTail, true},
    {L"\\\\?\\HID#Vid_04d8&PiD_e6D6" + kTail, true},
    {L"\\\\?\\HID#VID_04D8&PID_E6D6", true},                       // ends right after the ids
    {L"\\\\?\\HID#VID_046D&PID_C52B&MI_01&Col01" + kTail, false},  // another vendor
    {L"\\\\?\\HID#VID_04D8&PID_000A" + kTail, false},              // the panel's vendor, another product
    {L"\\\\?\\HID#VID_04D8&PID_E6D7" + kTail, false},
    {L"\\\\?\\HID#PID_E6D6&VID_04D8" + kTail, false},  // product before vendor
    {L"\\\\?\\HID#VID_04D8&PID_E6D" + kTail, false},   // ids cut short
    {L"\\\\?\\HID#VID_04D&PID_E6D6" + kTail, false},
    {L"\\\\?\\HID#VID_04D8&PID_E6D", false},
    {L"\\\\?\\HID#VID_04D8&PID_E6D60" + kTail, false},  // a longer product id
    {L"\\\\?\\HID#VID_04D8&PID_E6D6a" + kTail, false},
    {L"\\\\?\\HID#VID_04D8&&PID_E6D6" + kTail, false},
    {L"", false},
};

// Paths as CM_Get_Device_Interface_ListW lists them: each ends with a NUL,
// and one more closes the list.
std::wstring List(const std::vector<std::wstring>& paths) {
  std::wstring list;
  for (const std::wstring& path : paths) list += path + L'\0';
  return list + L'\0';
}

const std::wstring kMouse = L"\\\\?\\HID#VID_046D&PID_C52B&MI_01&Col01" + kTail;
const std::wstring kYoke = L"\\\\?\\HID#VID_06A3&PID_0BAC" + kTail;
const std::wstring kPanel = L"\\\\?\\HID#VID_04D8&PID_E6D6" + kTail;

const struct ListRow {
  const char* what;
  std::wstring list;
  bool panel;
} kLists[] = {
    {"empty", List({}), false},
    {"other devices", List({kMouse, kYoke}), false},
    {"the panel alone", List({kPanel}), true},
    {"the panel in the middle", List({kMouse, kPanel, kYoke}), true},
    {"the panel last", List({kMouse, kYoke, L"\\\\?\\hid#vid_04d8&pid_e6d6" + kTail}), true},
    // The ids split across two paths are no panel.
    {"ids across a NUL", List({L"\\\\?\\HID#VID_04D8&", L"PID_E6D6" + kTail}), false},
    // What follows the closing NUL is not looked at.
    {"the panel after the end", List({kMouse}) + kPanel + L'\0', false},
};

TEST(PanelInterfacePath, NamesThePanelByItsIdsInAnyCase) {
  for (const PathRow& row : kPaths) {
    EXPECT_EQ(InterfacePathNamesPanel(row.path.c_str()), row.panel) << row.path;
  }
}

TEST(PanelInterfacePath, ListNamesThePanelWhenAnyOfItsPathsDoes) {
  for (const ListRow& row : kLists) {
    EXPECT_EQ(InterfaceListNamesPanel(row.list.c_str()), row.panel) << row.what;
  }
}

}  // namespace

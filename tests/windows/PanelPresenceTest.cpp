// The Windows shell's presence source: over a scripted cfgmgr32 (what it asks
// in which order, and what it answers), and over the real one of the system it
// runs on, which under Wine 8 lacks the notification and whose list function
// would end the process.

#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/windows/PanelPresenceWindows.h"

namespace {

constexpr GUID kHid = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};
const std::wstring kMouse =
    L"\\\\?\\HID#VID_046D&PID_C52B&MI_01&Col01#7&1a2b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const std::wstring kPanel = L"\\\\?\\hid#vid_04d8&pid_e6d6#7&5e6f7a8b&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";

// The scripted cfgmgr32: the interfaces present, each call recorded.
struct Cfgmgr {
  std::vector<std::wstring> interfaces = {kMouse};
  std::vector<std::wstring> arriving;  // added between the next size call and its list call
  CONFIGRET sizeResult = CR_SUCCESS;
  CONFIGRET listResult = CR_SUCCESS;
  std::vector<std::string> calls;
  CM_NOTIFY_FILTER filter = {};
  PCM_NOTIFY_CALLBACK callback = nullptr;
  PVOID context = nullptr;

  std::wstring List() const {
    std::wstring list;
    for (const std::wstring& path : interfaces) list += path + L'\0';
    return list + L'\0';
  }
} cfgmgr;

bool IsHid(const GUID* guid) { return guid != nullptr && IsEqualGUID(*guid, kHid); }

CONFIGRET WINAPI Register(PCM_NOTIFY_FILTER filter, PVOID context, PCM_NOTIFY_CALLBACK callback,
                          PHCMNOTIFICATION notification) {
  cfgmgr.calls.push_back("register");
  cfgmgr.filter = *filter;
  cfgmgr.callback = callback;
  cfgmgr.context = context;
  *notification = reinterpret_cast<HCMNOTIFICATION>(1);
  return CR_SUCCESS;
}

CONFIGRET WINAPI ListSize(PULONG length, LPGUID guid, DEVINSTID_W device, ULONG flags) {
  cfgmgr.calls.push_back("size");
  if (!IsHid(guid) || device != nullptr || flags != CM_GET_DEVICE_INTERFACE_LIST_PRESENT) return CR_INVALID_DATA;
  if (cfgmgr.sizeResult != CR_SUCCESS) return cfgmgr.sizeResult;
  *length = static_cast<ULONG>(cfgmgr.List().size());
  return CR_SUCCESS;
}

CONFIGRET WINAPI List(LPGUID guid, DEVINSTID_W device, PWCHAR buffer, ULONG length, ULONG flags) {
  cfgmgr.calls.push_back("list");
  if (!IsHid(guid) || device != nullptr || flags != CM_GET_DEVICE_INTERFACE_LIST_PRESENT) return CR_INVALID_DATA;
  if (cfgmgr.listResult != CR_SUCCESS) return cfgmgr.listResult;
  cfgmgr.interfaces.insert(cfgmgr.interfaces.end(), cfgmgr.arriving.begin(), cfgmgr.arriving.end());
  cfgmgr.arriving.clear();
  const std::wstring list = cfgmgr.List();
  if (list.size() > length) return CR_BUFFER_SMALL;
  list.copy(buffer, list.size());
  return CR_SUCCESS;
}

// Each test's watch; its list buffer is left to the process heap.
class PanelPresenceTest : public ::testing::Test {
 protected:
  HidInterfaceWatch watch{};
  void SetUp() override {
    cfgmgr = Cfgmgr{};
    watch.functions = {Register, ListSize, List};
  }
  PanelListing Look(ULONGLONG now) { return LookForPanelAmongHidInterfaces(watch, now); }
  std::vector<std::string> TakeCalls() {
    std::vector<std::string> calls;
    calls.swap(cfgmgr.calls);
    return calls;
  }
  void Notify(CM_NOTIFY_ACTION action) { cfgmgr.callback(nullptr, cfgmgr.context, action, nullptr, 0); }
};

using Calls = std::vector<std::string>;
constexpr auto kListed = PanelListing::kListed, kNotListed = PanelListing::kNotListed,
               kCannotTell = PanelListing::kCannotTell;

TEST_F(PanelPresenceTest, RegistersForHidArrivalsThenListsAtStartThenOnArrivalOrEverySecond) {
  EXPECT_EQ(Look(5000), kNotListed);
  EXPECT_EQ(TakeCalls(), (Calls{"register", "size", "list"}));
  EXPECT_EQ(cfgmgr.filter.cbSize, sizeof(CM_NOTIFY_FILTER));
  EXPECT_EQ(cfgmgr.filter.FilterType, CM_NOTIFY_FILTER_TYPE_DEVICEINTERFACE);
  EXPECT_TRUE(IsEqualGUID(cfgmgr.filter.u.DeviceInterface.ClassGuid, kHid));
  // Within the second, the passes answer from the latest listing.
  cfgmgr.interfaces.push_back(kPanel);
  for (ULONGLONG now = 5025; now < 6000; now += 25) EXPECT_EQ(Look(now), kNotListed) << now;
  EXPECT_EQ(TakeCalls(), Calls{});
  EXPECT_EQ(Look(6000), kListed) << "the sweep";
  EXPECT_EQ(TakeCalls(), (Calls{"size", "list"}));
  // An arrival or a removal is read in the pass after it, once.
  cfgmgr.interfaces = {kMouse};
  Notify(CM_NOTIFY_ACTION_DEVICEINTERFACEREMOVAL);
  EXPECT_EQ(Look(6025), kNotListed);
  cfgmgr.interfaces.push_back(kPanel);
  Notify(CM_NOTIFY_ACTION_DEVICEINTERFACEARRIVAL);
  EXPECT_EQ(Look(6050), kListed);
  EXPECT_EQ(Look(6075), kListed);
  EXPECT_EQ(TakeCalls(), (Calls{"size", "list", "size", "list"}));
}

TEST_F(PanelPresenceTest, WithoutTheNotificationTheSweepAloneFindsThePanel) {
  watch.functions.registerNotification = nullptr;
  EXPECT_EQ(Look(0), kNotListed);
  cfgmgr.interfaces.push_back(kPanel);
  EXPECT_EQ(Look(975), kNotListed);
  EXPECT_EQ(Look(1000), kListed);
  EXPECT_EQ(TakeCalls(), (Calls{"size", "list", "size", "list"}));
}

TEST_F(PanelPresenceTest, ListsAgainWhileTheListOutgrowsItsSize) {
  for (int i = 0; i < 30; ++i) cfgmgr.arriving.push_back(kMouse + std::to_wstring(i));
  cfgmgr.arriving.push_back(kPanel);
  EXPECT_EQ(Look(0), kListed);
  EXPECT_EQ(TakeCalls(), (Calls{"register", "size", "list", "size", "list"}));
}

// Wine 8: the size call fails, and its list function would end the process.
TEST_F(PanelPresenceTest, NoListCallAfterASizeCallThatFailedAndCannotTellForTheWholeRun) {
  watch.functions.registerNotification = nullptr;
  cfgmgr.sizeResult = CR_FAILURE;
  cfgmgr.interfaces.push_back(kPanel);
  EXPECT_EQ(Look(0), kCannotTell);
  EXPECT_EQ(TakeCalls(), Calls{"size"});
  cfgmgr.sizeResult = CR_SUCCESS;
  for (ULONGLONG now = 25; now <= 3000; now += 25) EXPECT_EQ(Look(now), kCannotTell) << now;
  EXPECT_EQ(TakeCalls(), Calls{});
}

TEST_F(PanelPresenceTest, AListCallThatFailsAtStartCannotTellForTheWholeRun) {
  cfgmgr.listResult = CR_FAILURE;
  cfgmgr.interfaces.push_back(kPanel);
  EXPECT_EQ(Look(0), kCannotTell);
  cfgmgr.listResult = CR_SUCCESS;
  Notify(CM_NOTIFY_ACTION_DEVICEINTERFACEARRIVAL);
  for (ULONGLONG now = 25; now <= 3000; now += 25) EXPECT_EQ(Look(now), kCannotTell) << now;
  EXPECT_EQ(TakeCalls(), (Calls{"register", "size", "list"}));
}

TEST(PanelPresence, CannotTellWithoutTheListFunctions) {
  for (const HidInterfaceFunctions& functions :
       {HidInterfaceFunctions{}, HidInterfaceFunctions{Register, nullptr, List},
        HidInterfaceFunctions{Register, ListSize, nullptr}}) {
    HidInterfaceWatch watch{};
    watch.functions = functions;
    EXPECT_EQ(LookForPanelAmongHidInterfaces(watch, 0), kCannotTell);
    EXPECT_EQ(LookForPanelAmongHidInterfaces(watch, 1000), kCannotTell);
  }
}

// A sweep that fails after a good start cannot tell until the next one reads.
TEST_F(PanelPresenceTest, ALaterListingThatFailsCannotTellUntilTheNextOne) {
  EXPECT_EQ(Look(0), kNotListed);
  cfgmgr.listResult = CR_FAILURE;
  EXPECT_EQ(Look(1000), kCannotTell);
  EXPECT_EQ(Look(1500), kCannotTell);
  cfgmgr.listResult = CR_SUCCESS;
  cfgmgr.interfaces.push_back(kPanel);
  EXPECT_EQ(Look(2000), kListed);
}

// A Wine stub raises this when called, and the process ends after a crash
// dialog that would wait in the virtual display until the test times out.
// Ended at once instead, with a word on why.
LONG CALLBACK EndAtAWineStub(EXCEPTION_POINTERS* exception) {
  constexpr DWORD kWineStubException = 0x80000100;
  if (exception->ExceptionRecord->ExceptionCode != kWineStubException) return EXCEPTION_CONTINUE_SEARCH;
  std::fputs("a Wine stub was called: the process ends\n", stderr);
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 3);
  return EXCEPTION_CONTINUE_SEARCH;
}

// The system's own cfgmgr32.dll. Under Wine 8 the look must start without
// ending the process, and cannot tell; on Windows it reads the list.
TEST(PanelPresenceOnThisSystem, StartsWithoutEndingTheProcess) {
  AddVectoredExceptionHandler(1, EndAtAWineStub);
  const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  for (int pass = 0; pass < 3; ++pass) {
    const PanelListing listing = LookForPanelInHidInterfaceList();
    if (wine) {
      EXPECT_EQ(listing, kCannotTell);
    } else {
      EXPECT_NE(listing, kCannotTell);
    }
    Sleep(25);
  }
}

}  // namespace

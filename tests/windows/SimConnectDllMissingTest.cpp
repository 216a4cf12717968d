// The Windows SimConnect backend where no usable SimConnect.dll exists: none
// at all, or one that lacks a function. Every call then fails the way an
// absent simulator does, so the bridge stays in standby instead of crashing.

#include <gtest/gtest.h>
#include <windows.h>

#include "sim/SimConnect.h"

namespace {

bool LibraryFileBesideProgram() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path);
  folder = folder.substr(0, folder.find_last_of(L"\\/") + 1);
  return GetFileAttributesW((folder + L"SimConnect.dll").c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(SimConnectDllMissing, TheTestSeesTheIntendedSituation) {
#ifdef VP_INCOMPLETE_LIBRARY_BESIDE
  EXPECT_TRUE(LibraryFileBesideProgram()) << "the incomplete library should be beside the test";
#else
  EXPECT_FALSE(LibraryFileBesideProgram());
#endif
}

TEST(SimConnectDllMissing, OpenFailsAndLeavesNoHandle) {
  SimConnectHandle handle = reinterpret_cast<SimConnectHandle>(std::uintptr_t{1});
  EXPECT_LT(SimConnect_Open(&handle, "Request Data", nullptr, 0, nullptr, 0), 0);
  EXPECT_EQ(handle, nullptr);
  // Asked again on every supervisor pass: still failing, still no crash.
  EXPECT_LT(SimConnect_Open(&handle, "Request Data", nullptr, 0, nullptr, 0), 0);
}

TEST(SimConnectDllMissing, EveryOtherCallFailsToo) {
  bool called = false;
  auto callback = [](SIMCONNECT_RECV*, SimConnectDword, void* context) { *static_cast<bool*>(context) = true; };
  EXPECT_LT(SimConnect_CallDispatch(nullptr, callback, &called), 0);
  EXPECT_FALSE(called);
  EXPECT_LT(SimConnect_Close(nullptr), 0);
  EXPECT_LT(SimConnect_MapClientEventToSimEvent(nullptr, 0, "AP_MASTER"), 0);
  EXPECT_LT(SimConnect_AddToDataDefinition(nullptr, 0, "AUTOPILOT MASTER", "Bool", SIMCONNECT_DATATYPE_INT32, 0.0f,
                                           SIMCONNECT_UNUSED),
            0);
  EXPECT_LT(SimConnect_RequestDataOnSimObject(nullptr, 0, 0, 0, 3, 0, 0, 0, 0), 0);
  EXPECT_LT(SimConnect_TransmitClientEvent(nullptr, 0, 0, 0, 1, 0x10), 0);
}

}  // namespace

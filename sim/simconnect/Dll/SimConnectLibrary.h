#pragma once

// The simulator's client library, SimConnect.dll, as a table of the entry
// points this program calls. The table is complete or empty: a library that
// lacks any of the twelve functions is not used at all, so a half-working
// connection can never be opened.

#include "sim/SimConnect.h"

struct SimConnectLibrary {
  decltype(&SimConnect_Open) open = nullptr;
  decltype(&SimConnect_Close) close = nullptr;
  decltype(&SimConnect_CallDispatch) callDispatch = nullptr;
  decltype(&SimConnect_MapClientEventToSimEvent) mapClientEventToSimEvent = nullptr;
  decltype(&SimConnect_AddToDataDefinition) addToDataDefinition = nullptr;
  decltype(&SimConnect_RequestDataOnSimObject) requestDataOnSimObject = nullptr;
  decltype(&SimConnect_TransmitClientEvent) transmitClientEvent = nullptr;
  decltype(&SimConnect_RequestSystemState) requestSystemState = nullptr;
  decltype(&SimConnect_SubscribeToSystemEvent) subscribeToSystemEvent = nullptr;
  decltype(&SimConnect_SetDataOnSimObject) setDataOnSimObject = nullptr;
  decltype(&SimConnect_ClearDataDefinition) clearDataDefinition = nullptr;
  decltype(&SimConnect_GetLastSentPacketID) getLastSentPacketId = nullptr;

  bool Loaded() const { return open != nullptr; }
};

// Loads the library from `path`, which must be absolute, and fills
// `library`. What the library needs in turn is looked for only in its own
// folder and in System32. Returns false, leaving `library` empty, when the
// file is absent or any entry point is missing.
bool LoadSimConnectLibrary(const wchar_t* path, SimConnectLibrary* library);

// The process's SimConnect.dll, looked for once, on the first call, and only
// beside the executable: never in the working folder or on PATH, where
// anybody may have left a file of that name.
const SimConnectLibrary& SimulatorLibrary();

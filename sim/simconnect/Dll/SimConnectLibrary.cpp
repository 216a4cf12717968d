#include "sim/simconnect/Dll/SimConnectLibrary.h"

#include <windows.h>

// Our declarations of the functions carry the default calling convention,
// which is the library's own only on 64-bit Windows.
static_assert(sizeof(void*) == 8, "SimConnect.dll is forwarded for 64-bit processes only");

namespace {

// GetProcAddress hands out a generic function pointer; going through the
// parameterless function type is the sanctioned way to give it its real type.
template <typename Function>
bool Resolve(HMODULE module, const char* name, Function* function) {
  FARPROC address = GetProcAddress(module, name);
  if (address == nullptr) return false;
  *function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
  return true;
}

}  // namespace

bool LoadSimConnectLibrary(const wchar_t* fileName, SimConnectLibrary* library) {
  *library = SimConnectLibrary{};
  HMODULE module = LoadLibraryW(fileName);
  if (module == nullptr) return false;

  SimConnectLibrary found;
  const bool complete = Resolve(module, "SimConnect_Open", &found.open) &&
                        Resolve(module, "SimConnect_Close", &found.close) &&
                        Resolve(module, "SimConnect_CallDispatch", &found.callDispatch) &&
                        Resolve(module, "SimConnect_MapClientEventToSimEvent", &found.mapClientEventToSimEvent) &&
                        Resolve(module, "SimConnect_AddToDataDefinition", &found.addToDataDefinition) &&
                        Resolve(module, "SimConnect_RequestDataOnSimObject", &found.requestDataOnSimObject) &&
                        Resolve(module, "SimConnect_TransmitClientEvent", &found.transmitClientEvent);
  if (!complete) {
    FreeLibrary(module);
    return false;
  }
  *library = found;
  return true;
}

const SimConnectLibrary& SimulatorLibrary() {
  // Looked for once: the library is part of the simulator's installation and
  // does not come and go while the bridge runs. A static local is initialised
  // exactly once even if two threads arrive together.
  static const SimConnectLibrary library = [] {
    SimConnectLibrary loaded;
    LoadSimConnectLibrary(L"SimConnect.dll", &loaded);
    return loaded;
  }();
  return library;
}

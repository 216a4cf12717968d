#include "sim/simconnect/Dll/SimConnectLibrary.h"

#include <windows.h>

#include <string>

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

// The path of SimConnect.dll beside the running executable, or "" when the
// system cannot say. Wide throughout: the ANSI name of a folder with
// characters outside the user's code page names a folder that does not exist.
std::wstring LibraryBesideExecutable() {
  // Room for the longest path Windows has, taken for this call only.
  std::wstring path(32768, L'\0');
  const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  if (length == 0 || length >= path.size()) return L"";
  path.resize(length);
  const std::size_t slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return L"";
  return path.substr(0, slash + 1) + L"SimConnect.dll";
}

}  // namespace

bool LoadSimConnectLibrary(const wchar_t* path, SimConnectLibrary* library) {
  *library = SimConnectLibrary{};
  // A full path with these flags searches nowhere: the plain LoadLibraryW
  // would also try the working folder and PATH for the library and for what
  // it loads in turn.
  HMODULE module = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr) return false;

  SimConnectLibrary found;
  const bool complete = Resolve(module, "SimConnect_Open", &found.open) &&
                        Resolve(module, "SimConnect_Close", &found.close) &&
                        Resolve(module, "SimConnect_CallDispatch", &found.callDispatch) &&
                        Resolve(module, "SimConnect_MapClientEventToSimEvent", &found.mapClientEventToSimEvent) &&
                        Resolve(module, "SimConnect_AddToDataDefinition", &found.addToDataDefinition) &&
                        Resolve(module, "SimConnect_RequestDataOnSimObject", &found.requestDataOnSimObject) &&
                        Resolve(module, "SimConnect_TransmitClientEvent", &found.transmitClientEvent) &&
                        Resolve(module, "SimConnect_RequestSystemState", &found.requestSystemState) &&
                        Resolve(module, "SimConnect_SubscribeToSystemEvent", &found.subscribeToSystemEvent) &&
                        Resolve(module, "SimConnect_SetDataOnSimObject", &found.setDataOnSimObject) &&
                        Resolve(module, "SimConnect_ClearDataDefinition", &found.clearDataDefinition) &&
                        Resolve(module, "SimConnect_GetLastSentPacketID", &found.getLastSentPacketId);
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
    const std::wstring path = LibraryBesideExecutable();
    if (!path.empty()) LoadSimConnectLibrary(path.c_str(), &loaded);
    return loaded;
  }();
  return library;
}

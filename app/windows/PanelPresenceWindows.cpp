#include "app/windows/PanelPresenceWindows.h"

#include <type_traits>

#include "panel/PanelInterfacePath.h"

static_assert(std::is_trivially_destructible<HidInterfaceWatch>::value, "the supervisor is never joined");

namespace {

// GUID_DEVINTERFACE_HID, declared here to spare the HID headers.
constexpr GUID kHidInterfaceClass = {0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

// Room for paths that arrive between the size call and the list call.
constexpr ULONG kListSlack = 1024;
// The list keeps outgrowing its size only while devices keep arriving; the
// next look reads it again.
constexpr int kListAttempts = 8;
// Far beyond any machine's HID interfaces (a path is about 100 characters).
constexpr ULONG kListLimit = 1u << 24;

// GetProcAddress hands out a generic function pointer; going through the
// parameterless function type is the sanctioned way to give it its real type.
template <typename Function>
void Resolve(HMODULE module, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// On a pool thread: a flag, and nothing else (no lock, no hidapi, and never
// an unregistration, which would wait for this very callback).
DWORD CALLBACK NoteInterfaceChange(HCMNOTIFICATION, PVOID changed, CM_NOTIFY_ACTION action, PCM_NOTIFY_EVENT_DATA,
                                   DWORD) {
  if (action == CM_NOTIFY_ACTION_DEVICEINTERFACEARRIVAL || action == CM_NOTIFY_ACTION_DEVICEINTERFACEREMOVAL) {
    static_cast<std::atomic<bool>*>(changed)->store(true);
  }
  return ERROR_SUCCESS;
}

// A list buffer of at least `length` characters, two closing NULs beyond it.
bool Reserve(HidInterfaceWatch& watch, ULONG length) {
  if (watch.list != nullptr && length <= watch.capacity) return true;
  if (length > kListLimit) return false;
  const ULONG capacity = length + kListSlack;
  void* list = HeapAlloc(GetProcessHeap(), 0, (SIZE_T{capacity} + 2) * sizeof(wchar_t));
  if (list == nullptr) return false;
  if (watch.list != nullptr) HeapFree(GetProcessHeap(), 0, watch.list);
  watch.list = static_cast<wchar_t*>(list);
  watch.capacity = capacity;
  return true;
}

PanelListing ReadList(HidInterfaceWatch& watch) {
  const HidInterfaceFunctions& functions = watch.functions;
  if (functions.listSize == nullptr || functions.list == nullptr) return PanelListing::kCannotTell;
  GUID hid = kHidInterfaceClass;
  for (int attempt = 0; attempt < kListAttempts; ++attempt) {
    // The list function only after a size call that worked: on Wine 8 the
    // size call fails, and the list function would end the process.
    ULONG length = 0;
    if (functions.listSize(&length, &hid, nullptr, CM_GET_DEVICE_INTERFACE_LIST_PRESENT) != CR_SUCCESS) {
      return PanelListing::kCannotTell;
    }
    if (!Reserve(watch, length)) return PanelListing::kCannotTell;
    const CONFIGRET result =
        functions.list(&hid, nullptr, watch.list, watch.capacity, CM_GET_DEVICE_INTERFACE_LIST_PRESENT);
    if (result == CR_SUCCESS) {
      // However the list was filled, the walk ends inside the buffer.
      watch.list[watch.capacity] = watch.list[watch.capacity + 1] = L'\0';
      return InterfaceListNamesPanel(watch.list) ? PanelListing::kListed : PanelListing::kNotListed;
    }
    if (result != CR_BUFFER_SMALL) return PanelListing::kCannotTell;
  }
  return PanelListing::kCannotTell;
}

void Start(HidInterfaceWatch& watch) {
  watch.started = true;
  if (watch.functions.registerNotification != nullptr) {
    CM_NOTIFY_FILTER filter = {};
    filter.cbSize = sizeof filter;
    filter.FilterType = CM_NOTIFY_FILTER_TYPE_DEVICEINTERFACE;
    filter.u.DeviceInterface.ClassGuid = kHidInterfaceClass;
    // Kept for the life of the process. Without it the sweep alone finds the
    // panel, within a second.
    HCMNOTIFICATION notification = nullptr;
    watch.functions.registerNotification(&filter, &watch.changed, NoteInterfaceChange, &notification);
  }
}

}  // namespace

HidInterfaceFunctions ResolveHidInterfaceFunctions() {
  HidInterfaceFunctions functions = {};
  HMODULE module = LoadLibraryExW(L"cfgmgr32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr) return functions;
  Resolve(module, "CM_Register_Notification", &functions.registerNotification);
  Resolve(module, "CM_Get_Device_Interface_List_SizeW", &functions.listSize);
  Resolve(module, "CM_Get_Device_Interface_ListW", &functions.list);
  return functions;
}

PanelListing LookForPanelAmongHidInterfaces(HidInterfaceWatch& watch, ULONGLONG now) {
  if (!watch.started) {
    // Registered before the first listing, so that no arrival falls between.
    Start(watch);
    watch.changed.store(false);
    watch.latest = ReadList(watch);
    watch.listedAt = now;
    watch.readable = watch.latest != PanelListing::kCannotTell;
    return watch.latest;
  }
  if (!watch.readable) return PanelListing::kCannotTell;
  // Taken just before listing: an arrival during the listing is read next time.
  const bool changed = watch.changed.exchange(false);
  if (!changed && now - watch.listedAt < kInterfaceSweepMs) return watch.latest;
  watch.latest = ReadList(watch);
  watch.listedAt = now;
  return watch.latest;
}

PanelListing LookForPanelInHidInterfaceList() {
  static HidInterfaceWatch watch{};  // zero-initialised before any code runs
  if (!watch.started) watch.functions = ResolveHidInterfaceFunctions();
  return LookForPanelAmongHidInterfaces(watch, GetTickCount64());
}

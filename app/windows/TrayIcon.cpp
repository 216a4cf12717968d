#include "app/windows/TrayIcon.h"

#include <cstdint>
#include <cstring>
#include <cwchar>

#include "app/windows/Resource.h"
#include "app/windows/ShellState.h"
#include "supervisor/TrayNotes.h"

#ifdef _WIN64
static_assert(sizeof(TrayIconRecord) == 976, "the shell is handed the full, current record layout");
#endif

namespace {

// Indexed by TrayState.
TrayIconRecord trayIconRecords[3];

bool IsTrayState(TrayState state) { return state == TrayWaiting || state == TrayStandby || state == TrayConnected; }

void FillTrayIconRecord(TrayState state, HWND mainWindow, int iconGroup, const wchar_t* tooltip) {
  TrayIconRecord& record = trayIconRecords[state];
  record = TrayIconRecord{};
  record.cbSize = sizeof record;
  record.hWnd = mainWindow;
  record.uID = TrayIconId;
  record.uCallbackMessage = TrayCallbackMessage;
  record.hIcon =
      static_cast<HICON>(LoadImageW(instanceHandle, MAKEINTRESOURCEW(iconGroup), IMAGE_ICON, 48, 48, LR_DEFAULTCOLOR));
  wcscpy_s(record.szTip, sizeof record.szTip / sizeof record.szTip[0], tooltip);
  record.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
}

// The tray notes last taken; like the records, touched on the supervisor's
// thread alone once it runs. Plain data: nothing to destroy at exit.
std::uint32_t notesTaken = 0;
std::uint32_t problemsShown = 0;

// UTF-8 into a fixed wide field, cut to fit without splitting a surrogate pair.
void CopyWide(wchar_t* field, std::size_t size, const char* text) {
  int length = MultiByteToWideChar(CP_UTF8, 0, text, -1, field, static_cast<int>(size));
  if (length == 0) {
    // Too long: convert what fits, character by character at the cut.
    wchar_t wide[512];
    length = MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, 512);
    std::size_t keep = size - 1;
    if (keep > 0 && wide[keep - 1] >= 0xD800 && wide[keep - 1] <= 0xDBFF) --keep;
    wmemcpy(field, wide, keep);
    field[keep] = L'\0';
  }
}

// The connected tooltip gains the profile's name as a third line; a profile
// refused since the last look becomes a balloon.
void TakeTrayNotes() {
  const std::uint32_t version = TrayNotesVersion();
  if (version == notesTaken) return;
  notesTaken = version;
  TrayNotesSnapshot notes;
  ReadTrayNotes(&notes);
  char tip[kProfileNameSize + 64] = "VESTREL\nConnected to MSFS";
  if (notes.profileName[0] != '\0') {
    std::strcat(tip, "\nProfile: ");
    std::strcat(tip, notes.profileName);
  }
  TrayIconRecord& connected = trayIconRecords[TrayConnected];
  CopyWide(connected.szTip, sizeof connected.szTip / sizeof connected.szTip[0], tip);
  if (notes.problemNumber == problemsShown) return;
  problemsShown = notes.problemNumber;
  TrayIconRecord balloon = connected;
  balloon.uFlags = NIF_INFO;
  CopyWide(balloon.szInfoTitle, sizeof balloon.szInfoTitle / sizeof balloon.szInfoTitle[0], "Aircraft profile refused");
  CopyWide(balloon.szInfo, sizeof balloon.szInfo / sizeof balloon.szInfo[0], notes.profileProblem);
  balloon.dwInfoFlags = NIIF_WARNING;
  Shell_NotifyIconW(NIM_MODIFY, &balloon);
}

}  // namespace

void CreateTrayIcon(HWND mainWindow) {
  FillTrayIconRecord(TrayStandby, mainWindow, IDI_STANDBY, L"VESTREL\nStandby");
  Shell_NotifyIconW(NIM_ADD, &trayIconRecords[TrayStandby]);
  FillTrayIconRecord(TrayWaiting, mainWindow, IDI_WAITING, L"VESTREL\nWaiting for Dorvik");
  FillTrayIconRecord(TrayConnected, mainWindow, IDI_CONNECTED, L"VESTREL\nConnected to MSFS");
}

void ShowTrayState(TrayState state) {
  // Sent again on every pass, unchanged or not: the shell keeps no state we
  // could compare against, and re-sending the same picture is invisible.
  if (!IsTrayState(state)) return;
  TakeTrayNotes();
  Shell_NotifyIconW(NIM_MODIFY, &trayIconRecords[state]);
}

void RemoveTrayIcon() {
  // Owner window and identifier select the icon; the standby record has both.
  Shell_NotifyIconW(NIM_DELETE, &trayIconRecords[TrayStandby]);
}

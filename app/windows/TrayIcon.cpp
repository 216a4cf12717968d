#include "app/windows/TrayIcon.h"

#include <cwchar>

#include "app/windows/Resource.h"
#include "app/windows/ShellState.h"

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
  Shell_NotifyIconW(NIM_MODIFY, &trayIconRecords[state]);
}

void RemoveTrayIcon() {
  // Owner window and identifier select the icon; the standby record has both.
  Shell_NotifyIconW(NIM_DELETE, &trayIconRecords[TrayStandby]);
}

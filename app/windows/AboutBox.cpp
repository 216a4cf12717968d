#include "app/windows/AboutBox.h"

#include "app/windows/Resource.h"
#include "app/windows/ShellState.h"

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      // TRUE lets the dialog manager focus the first tab stop, "OK".
      return TRUE;
    case WM_COMMAND: {
      const WORD command = LOWORD(wParam);
      if (command == IDOK || command == IDCANCEL) {
        EndDialog(dialog, command);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

void ShowAboutBox(HWND mainWindow) {
  DialogBoxParamW(instanceHandle, MAKEINTRESOURCEW(IDD_ABOUT), mainWindow, AboutDialogProc, 0);
}

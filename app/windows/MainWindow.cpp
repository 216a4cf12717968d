#include "app/windows/MainWindow.h"

#include "app/windows/MainWindowProc.h"
#include "app/windows/Resource.h"
#include "app/windows/ShellState.h"

void RegisterMainWindowClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = instance;
  windowClass.hIcon =
      static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_STANDBY), IMAGE_ICON, 48, 48, LR_DEFAULTCOLOR));
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = windowClassName;
  windowClass.hIconSm = LoadIconW(instance, MAKEINTRESOURCEW(IDI_STANDBY));
  RegisterClassExW(&windowClass);
}

HWND CreateMainWindow(HINSTANCE instance) {
  // No WS_VISIBLE, and nothing ever calls ShowWindow: the show command the
  // program was started with never reaches this window.
  return CreateWindowExW(0, windowClassName, titleText, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, CW_USEDEFAULT, 0,
                         nullptr, nullptr, instance, nullptr);
}

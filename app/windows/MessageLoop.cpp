#include "app/windows/MessageLoop.h"

#include "app/windows/Resource.h"

int RunMessageLoop(HINSTANCE instance) {
  HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
  MSG message = {};
  BOOL received;
  while ((received = GetMessageW(&message, nullptr, 0, 0)) != 0) {
    // -1 is an error, not a message: there is nothing to dispatch. With no
    // window filter it cannot repeat, so the loop goes on to the next one.
    if (received == -1) continue;
    if (TranslateAcceleratorW(message.hwnd, accelerators, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

#include "app/windows/SingleInstanceLock.h"

namespace {
// No "Global\" or "Local\" prefix: the name lives in the session's namespace.
constexpr wchar_t kLockName[] = L"com_vestrel_pelvar";
}  // namespace

bool TakeSingleInstanceLock(HANDLE* lock) {
  *lock = CreateMutexW(nullptr, TRUE, kLockName);
  return GetLastError() != ERROR_ALREADY_EXISTS;
}

void ReleaseSingleInstanceLock(HANDLE lock) {
  if (lock == nullptr) return;
  ReleaseMutex(lock);
  CloseHandle(lock);
}

#pragma once

// What the fake SimConnect.dll records of one call (see FakeSimConnectDll.cpp).

#include <cstdint>

struct FakeSimConnectCall {
  char function[48];
  void* handle;
  std::uint32_t numbers[8];  // the call's 32-bit arguments, in order
  char texts[2][64];         // its strings, in order
  void* pointers[2];         // window and event handle, or dispatch context
  float epsilon;
};

typedef int (*FakeSimConnectCallCount)();
typedef const FakeSimConnectCall* (*FakeSimConnectCallAt)(int index);
typedef void (*FakeSimConnectReset)(std::int32_t result);

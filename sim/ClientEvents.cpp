#include "sim/ClientEvents.h"

const char* ClientEventName(ClientEventId id) {
  switch (id) {
#define VP_CLIENT_EVENT_CASE(name, number, simulatorName) \
  case name:                                              \
    return simulatorName;
    VP_CLIENT_EVENT_CATALOGUE(VP_CLIENT_EVENT_CASE)
#undef VP_CLIENT_EVENT_CASE
  }
  return nullptr;
}

#include "sim/ClientEvents.h"

namespace {

struct NamedEvent {
  ClientEventId id;
  const char* name;
};

#define VP_CLIENT_EVENT_ROW(name, number, simulatorName) {number, simulatorName},
constexpr NamedEvent kCatalogue[] = {VP_CLIENT_EVENT_CATALOGUE(VP_CLIENT_EVENT_ROW)};
#undef VP_CLIENT_EVENT_ROW

}  // namespace

const char* ClientEventName(ClientEventId id) {
  for (const NamedEvent& event : kCatalogue) {
    if (event.id == id) return event.name;
  }
  return nullptr;
}

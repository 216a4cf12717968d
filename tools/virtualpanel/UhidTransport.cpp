#include <fcntl.h>
#include <linux/uhid.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "panel/PanelReport.h"
#include "tools/virtualpanel/PanelTransport.h"

namespace virtualpanel {

namespace {

constexpr const char* kUhidPath = "/dev/uhid";
constexpr unsigned kBusUsb = 0x03;

// A vendor-defined collection with the panel's two reports: the 8-byte input
// report without a report id (so hidraw hands the bridge exactly the eight
// bytes), and the 1-byte lamp output report under report id 11.
constexpr unsigned char kReportDescriptor[] = {
    0x06, 0x00,          0xFF,  // Usage Page (vendor defined)
    0x09, 0x01,                 // Usage (1)
    0xA1, 0x01,                 // Collection (application)
    0x15, 0x00,                 //   Logical Minimum (0)
    0x26, 0xFF,          0x00,  //   Logical Maximum (255)
    0x75, 0x08,                 //   Report Size (8 bits)
    0x09, 0x02,                 //   Usage (2)
    0x95, 0x08,                 //   Report Count (8)
    0x81, 0x02,                 //   Input (data, variable, absolute)
    0x85, kLampReportId,        // Report ID (11)
    0x09, 0x03,                 //   Usage (3)
    0x95, 0x01,                 //   Report Count (1)
    0x91, 0x02,                 //   Output (data, variable, absolute)
    0xC0,                       // End Collection
};

bool WriteEvent(int fd, const uhid_event& event) {
  for (;;) {
    const ssize_t wrote = write(fd, &event, sizeof event);
    if (wrote == static_cast<ssize_t>(sizeof event)) return true;
    if (wrote < 0 && errno == EINTR) continue;
    return false;
  }
}

class UhidTransport : public PanelTransport {
 public:
  explicit UhidTransport(int fd) : fd_(fd) {}

  ~UhidTransport() override {
    uhid_event event{};
    event.type = UHID_DESTROY;
    WriteEvent(fd_, event);
    close(fd_);
  }

  std::string Description() const override { return "uhid: a real HID device for the bridge's hidapi"; }

  void AddPollDescriptors(std::vector<pollfd>* descriptors) const override { descriptors->push_back({fd_, POLLIN, 0}); }

  void Service(std::vector<TransportEvent>* events) override {
    for (;;) {
      uhid_event event{};
      const ssize_t got = read(fd_, &event, sizeof event);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) return;
      Handle(event, events);
    }
  }

  bool BridgeConnected() const override { return opened_; }

  bool SendInputReport(const unsigned char* bytes, std::size_t length) override {
    if (length > UHID_DATA_MAX) return false;
    uhid_event event{};
    event.type = UHID_INPUT2;
    event.u.input2.size = static_cast<__u16>(length);
    std::memcpy(event.u.input2.data, bytes, length);
    // The kernel keeps reports for whoever has the device open; with no one
    // there they go nowhere, as with a plugged-in panel nobody listens to.
    return WriteEvent(fd_, event) && opened_;
  }

 private:
  void Handle(const uhid_event& event, std::vector<TransportEvent>* events) {
    switch (event.type) {
      case UHID_OPEN:
        opened_ = true;
        events->push_back({TransportEvent::kBridgeConnected, {}});
        break;
      case UHID_CLOSE:
        opened_ = false;
        events->push_back({TransportEvent::kBridgeDisconnected, {}});
        break;
      case UHID_OUTPUT: {
        const std::size_t size = event.u.output.size < UHID_DATA_MAX ? event.u.output.size : UHID_DATA_MAX;
        if (event.u.output.rtype == UHID_OUTPUT_REPORT) {
          events->push_back({TransportEvent::kOutputReport, {event.u.output.data, event.u.output.data + size}});
        }
        break;
      }
      case UHID_GET_REPORT: {
        uhid_event reply{};
        reply.type = UHID_GET_REPORT_REPLY;
        reply.u.get_report_reply.id = event.u.get_report.id;
        reply.u.get_report_reply.err = EIO;
        WriteEvent(fd_, reply);
        break;
      }
      case UHID_SET_REPORT: {
        const std::size_t size = event.u.set_report.size < UHID_DATA_MAX ? event.u.set_report.size : UHID_DATA_MAX;
        if (event.u.set_report.rtype == UHID_OUTPUT_REPORT) {
          events->push_back({TransportEvent::kOutputReport, {event.u.set_report.data, event.u.set_report.data + size}});
        }
        uhid_event reply{};
        reply.type = UHID_SET_REPORT_REPLY;
        reply.u.set_report_reply.id = event.u.set_report.id;
        reply.u.set_report_reply.err = 0;
        WriteEvent(fd_, reply);
        break;
      }
      default:
        break;
    }
  }

  int fd_;
  bool opened_ = false;
};

}  // namespace

bool UhidUsable() { return access(kUhidPath, R_OK | W_OK) == 0; }

std::unique_ptr<PanelTransport> OpenUhidTransport(std::string* error) {
  const int fd = open(kUhidPath, O_RDWR | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    *error = std::string("cannot open ") + kUhidPath + ": " + std::strerror(errno);
    return nullptr;
  }
  uhid_event create{};
  create.type = UHID_CREATE2;
  std::strncpy(reinterpret_cast<char*>(create.u.create2.name), "Dorvik (virtual)", sizeof create.u.create2.name - 1);
  std::strncpy(reinterpret_cast<char*>(create.u.create2.phys), "vestrel-virtualpanel",
               sizeof create.u.create2.phys - 1);
  create.u.create2.rd_size = sizeof kReportDescriptor;
  create.u.create2.bus = kBusUsb;
  create.u.create2.vendor = kPanelVendorId;
  create.u.create2.product = kPanelProductId;
  std::memcpy(create.u.create2.rd_data, kReportDescriptor, sizeof kReportDescriptor);
  if (!WriteEvent(fd, create)) {
    *error = std::string("cannot create the HID device: ") + std::strerror(errno);
    close(fd);
    return nullptr;
  }
  return std::make_unique<UhidTransport>(fd);
}

}  // namespace virtualpanel

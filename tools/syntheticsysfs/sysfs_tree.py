"""A desktop-shaped sysfs and udev database for the waiting benchmark.

Writes, under a root that stands for / in a private mount namespace, what the
kernel and udev show for a machine with USB HID devices: each device on its
USB port, its interface, its HID device and its hidraw node, the class,
bus and device links libudev follows, and the udev database entries under
run/udev/data. hidapi's enumeration reads all of it, as on a real desktop.
"""

import os

PANEL = (0x04D8, 0xE6D6, "Dorvik", "Dorvik panel")
# What a simmer's desk holds: yokes, throttles, pedals, button boxes, a mouse,
# a keyboard with its extra collections; cycled to fill the count.
OTHERS = [
    (0x046D, 0xC52B, "Logitech", "USB Receiver"),
    (0x06A3, 0x0BAC, "Saitek", "Pro Flight Yoke"),
    (0x06A3, 0x0763, "Saitek", "Pro Flight Rudder Pedals"),
    (0x044F, 0x0404, "Thrustmaster", "TCA Quadrant"),
    (0x1B1C, 0x1B3D, "Corsair", "Gaming Keyboard"),
    (0x231D, 0x0200, "VKB", "Gladiator NXT"),
    (0x0483, 0x5750, "Button Box", "Switch Panel"),
    (0x054C, 0x09CC, "Sony", "Wireless Controller"),
]

HIDRAW_MAJOR = 245
USB_MAJOR = 189
PCI = "devices/pci0000:00/0000:00:14.0"


def _write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as f:
        f.write(text)


def _link(target, path):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    os.symlink(target, path)


def _relative(root, target, link):
    return os.path.relpath(os.path.join(root, target), os.path.dirname(os.path.join(root, link)))


def add_hid_node(root, index, device=None):
    """One USB HID device with one hidraw node, hidraw<index>; returns the node's class path."""
    vendor, product, maker, name = device or OTHERS[index % len(OTHERS)]
    sys = os.path.join(root, "sys")
    bus_number, port = 1 + index // 12, 1 + index % 12
    usb_name = "%d-%d" % (bus_number, port)
    usb = "%s/usb%d/%s" % (PCI, bus_number, usb_name)
    interface = usb + "/%s:1.0" % usb_name
    hid_name = "0003:%04X:%04X.%04X" % (vendor, product, index + 1)
    hid = interface + "/" + hid_name
    node = hid + "/hidraw/hidraw%d" % index
    device_number = 2 + index
    usb_minor = (bus_number - 1) * 128 + device_number - 1

    def files(folder, entries):
        for key, value in entries.items():
            _write(os.path.join(sys, folder, key), value + "\n")

    def subsystem(folder, target):
        _link(_relative(sys, target, folder + "/subsystem"), os.path.join(sys, folder, "subsystem"))

    # The root hub of this bus, once.
    hub = "%s/usb%d" % (PCI, bus_number)
    if not os.path.exists(os.path.join(sys, hub, "uevent")):
        files(hub, {"uevent": "MAJOR=%d\nMINOR=%d\nDEVNAME=bus/usb/%03d/001\nDEVTYPE=usb_device\nDRIVER=usb\n"
                              "PRODUCT=1d6b/2/606\nTYPE=9/0/1\nBUSNUM=%03d\nDEVNUM=001"
                              % (USB_MAJOR, (bus_number - 1) * 128, bus_number, bus_number),
                    "idVendor": "1d6b", "idProduct": "0002", "busnum": str(bus_number), "devnum": "1"})
        subsystem(hub, "bus/usb")
        _write(os.path.join(root, "run/udev/data/c%d:%d" % (USB_MAJOR, (bus_number - 1) * 128)),
               "I:1000000\nE:ID_FOR_SEAT=usb-pci-0000_00_14_0\nG:seat\nQ:seat\nV:1\n")
    if not os.path.exists(os.path.join(sys, PCI, "uevent")):
        files(PCI, {"uevent": "DRIVER=xhci_hcd\nPCI_CLASS=C0330\nPCI_ID=8086:A36D\nPCI_SLOT_NAME=0000:00:14.0",
                    "vendor": "0x8086", "device": "0xa36d"})
        subsystem(PCI, "bus/pci")

    files(usb, {
        "uevent": "MAJOR=%d\nMINOR=%d\nDEVNAME=bus/usb/%03d/%03d\nDEVTYPE=usb_device\nDRIVER=usb\n"
                  "PRODUCT=%x/%x/100\nTYPE=0/0/0\nBUSNUM=%03d\nDEVNUM=%03d"
                  % (USB_MAJOR, usb_minor, bus_number, device_number, vendor, product, bus_number, device_number),
        "idVendor": "%04x" % vendor, "idProduct": "%04x" % product, "bcdDevice": "0100",
        "manufacturer": maker, "product": name, "serial": "VP%06d" % index,
        "busnum": str(bus_number), "devnum": str(device_number), "speed": "12", "bNumInterfaces": " 1",
    })
    subsystem(usb, "bus/usb")
    _write(os.path.join(root, "run/udev/data/c%d:%d" % (USB_MAJOR, usb_minor)),
           "I:1000000\nE:ID_VENDOR=%s\nE:ID_MODEL=%s\nE:ID_SERIAL=%s_%s_VP%06d\nE:ID_BUS=usb\n"
           "E:ID_USB_INTERFACES=:030000:\nG:seat\nG:uaccess\nQ:seat\nQ:uaccess\nV:1\n"
           % (maker, name.replace(" ", "_"), maker, name.replace(" ", "_"), index))

    files(interface, {
        "uevent": "DEVTYPE=usb_interface\nDRIVER=usbhid\nPRODUCT=%x/%x/100\nTYPE=0/0/0\nINTERFACE=3/0/0\n"
                  "MODALIAS=usb:v%04Xp%04Xd0100dc00dsc00dp00ic03isc00ip00in00" % (vendor, product, vendor, product),
        "bInterfaceNumber": "00", "bInterfaceClass": "03", "bInterfaceSubClass": "00", "bInterfaceProtocol": "00",
    })
    subsystem(interface, "bus/usb")
    _write(os.path.join(root, "run/udev/data/+usb:%s:1.0" % usb_name), "I:1000000\nE:ID_USB_DRIVER=usbhid\nV:1\n")

    files(hid, {
        "uevent": "DRIVER=hid-generic\nHID_ID=0003:%08X:%08X\nHID_NAME=%s %s\nHID_PHYS=usb-0000:00:14.0-%d/input0\n"
                  "HID_UNIQ=VP%06d\nMODALIAS=hid:b0003g0001v%08Xp%08X"
                  % (vendor, product, maker, name, port, index, vendor, product),
        "country": "00",
    })
    _write(os.path.join(sys, hid, "report_descriptor"), "\x06\x00\xff\x09\x01\xa1\x01\xc0")
    subsystem(hid, "bus/hid")
    _write(os.path.join(root, "run/udev/data/+hid:%s" % hid_name), "I:1000000\nV:1\n")

    files(node, {"uevent": "MAJOR=%d\nMINOR=%d\nDEVNAME=hidraw%d" % (HIDRAW_MAJOR, index, index),
                 "dev": "%d:%d" % (HIDRAW_MAJOR, index)})
    subsystem(node, "class/hidraw")
    _link(_relative(sys, hid, node + "/device"), os.path.join(sys, node, "device"))
    _write(os.path.join(root, "run/udev/data/c%d:%d" % (HIDRAW_MAJOR, index)),
           "I:1000000\nE:ID_VENDOR=%s\nE:ID_SERIAL=%s_VP%06d\nG:uaccess\nQ:uaccess\nV:1\n" % (maker, maker, index))

    class_link = "class/hidraw/hidraw%d" % index
    _link(_relative(sys, node, class_link), os.path.join(sys, class_link))
    _link(_relative(sys, node, "dev/char/%d:%d" % (HIDRAW_MAJOR, index)),
          os.path.join(sys, "dev/char/%d:%d" % (HIDRAW_MAJOR, index)))
    for bus, folder in (("usb", usb), ("usb", interface), ("hid", hid)):
        link = "bus/%s/devices/%s" % (bus, os.path.basename(folder))
        if not os.path.lexists(os.path.join(sys, link)):
            _link(_relative(sys, folder, link), os.path.join(sys, link))
    return os.path.join(sys, class_link)


def build(root, nodes, panel=False):
    """A machine with `nodes` HID devices, and with `panel` a Dorvik panel besides, on hidraw<nodes>."""
    sys = os.path.join(root, "sys")
    for folder in ("class/hidraw", "bus/usb/devices", "bus/hid/devices", "bus/pci/devices", "dev/char", "kernel"):
        os.makedirs(os.path.join(sys, folder), exist_ok=True)
    os.makedirs(os.path.join(root, "run/udev/data"), exist_ok=True)
    for index in range(nodes):
        add_hid_node(root, index)
    if panel:
        add_hid_node(root, nodes, PANEL)


if __name__ == "__main__":
    import argparse
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("root")
    parser.add_argument("nodes", type=int)
    parser.add_argument("--panel", action="store_true")
    args = parser.parse_args()
    build(args.root, args.nodes, args.panel)

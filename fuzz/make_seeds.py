#!/usr/bin/env python3
"""Writes the seed corpora in fuzz/corpus/. Each seed is a small, readable
scenario in the input format that its harness documents at its top; the
fuzzers grow their working corpora from these. Run after changing a format."""

import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(bytes(data))


# ---- panel_stream -------------------------------------------------------------

SWAP, PUSH = 1 << 8, 1 << 9
DIRECT_TO, AP_MASTER, VS = 1 << 4, 1 << 14, 1 << 19


def octal_squawk(code):  # 1200 -> the 12-bit number the harness packs
    return int(str(code), 8)


def plausible(nav1=50, nav2=109, heading=3550, course1=900, course2=50, altitude_ft=3000, squawk=1200, flags=0):
    return (bytes([nav1, nav2]) + struct.pack("<HHHHH", heading, course1, course2, int(altitude_ft * 2),
                                             octal_squawk(squawk)) + bytes([flags]))


def raw(block0, ints=(0x1200, 1, 0, 1, 0, 1, 0), floats=(3000.0, 0.0)):
    return struct.pack("<7d", *block0) + struct.pack("<2d", *floats) + struct.pack("<7i", *ints)


def header(mode=0, shift=False, standby=False, raw_aircraft=False, keys=0):
    return bytes([shift | standby << 1 | raw_aircraft << 2, mode]) + struct.pack("<I", keys)


def report(mode, keys=0, outer=0, inner=0, length=8):
    body = bytes([0]) + struct.pack("<I", keys) + struct.pack("<bb", outer, inner) + bytes([mode])
    body = (body + bytes(64))[:length]
    return bytes([0, length]) + body


PASS = bytes([4])
SIM_LOST, SIM_STOPS, SIM_STARTS = bytes([6, 0]), bytes([6, 1]), bytes([6, 2])
UNPLUG, PLUG, READ_ERROR = bytes([7, 0]), bytes([7, 1]), bytes([7, 2])


def aircraft_update(aircraft, is_raw=False):
    return bytes([5, int(is_raw)]) + aircraft


write("panel_stream", "nav1-outer-knob", header(mode=2) + plausible() + PASS + report(2, outer=1) + PASS)

every_mode = header() + plausible() + PASS
for mode in range(8):
    every_mode += report(mode, outer=1, inner=-1) + report(mode, PUSH) + report(mode, 0, outer=-2) + \
        report(mode, SWAP) + report(mode, SWAP | AP_MASTER | DIRECT_TO, inner=3) + report(mode) + PASS
write("panel_stream", "every-mode", every_mode)

write("panel_stream", "losses-and-replugs",
      header(mode=7) + plausible(squawk=7777) + PASS + report(7, inner=1) + SIM_LOST + PASS + report(7, outer=1) +
      PASS + PASS + UNPLUG + PASS + PLUG + PASS + report(7, VS) + READ_ERROR + report(7) + PASS + SIM_STOPS + PASS +
      SIM_STARTS + PASS + PASS)

write("panel_stream", "raw-aircraft",
      header(mode=3, raw_aircraft=True) + raw((math.nan, math.inf, -math.inf, 1e300, -0.0, 359.7, 2147483648.0),
                                              ints=(-1, 2, 0, -5, 0, 7, 0x7FFFFFFF)) + PASS +
      report(3, outer=1, inner=1) + report(3, PUSH) + report(3, outer=-1) + report(6, outer=1, inner=-1) +
      report(7, inner=-1) + PASS)

write("panel_stream", "odd-report-lengths",
      header(mode=0, standby=True) + plausible() + PASS + report(0, outer=1, length=7) + report(0, outer=1, length=0) +
      report(0, outer=1, length=64) + report(255, 0xFFFFFFFF, -128, 127) + PASS + SIM_STARTS + PASS + PASS)

write("panel_stream", "aircraft-updates-between-turns",
      header(mode=1, shift=True) + plausible() + PASS + report(1, outer=1) + PASS +
      aircraft_update(plausible(nav1=0, nav2=199, heading=3600, course1=0, course2=3600, altitude_ft=0, squawk=0,
                                flags=0x3F)) + PASS + report(2, outer=-1, inner=-1) + report(2, PUSH) +
      report(2, outer=1, inner=1) + report(0, PUSH) + report(0, outer=-1, inner=-1) + report(6, outer=-1) + PASS)

# ---- sim_message --------------------------------------------------------------


def data_message(request, block, size=None, kind=8):
    body = struct.pack("<10I", 0, 5, kind, request, 0, request, 0, 0, 1, 1) + block
    size = len(body) if size is None else size
    return struct.pack("<I", size) + body[4:]


def framed(*messages):
    return b"".join(struct.pack("<H", len(m)) + m for m in messages)


block0 = struct.pack("<7d", 118.0, 121.5, 110.5, 113.0, 270.0, 90.0, 180.0)
block1 = struct.pack("<2d", 4500.0, -500.0) + struct.pack("<7i", 0x1200, 1, 0, 1, 0, 1, 0)

write("sim_message", "both-requests", framed(data_message(0, block0), data_message(1, block1)))
write("sim_message", "truncated-block", framed(data_message(0, block0)[:60], data_message(1, block1)[:83]))
write("sim_message", "claims-more-than-sent", framed(data_message(0, block0, size=4096)[:96]))
write("sim_message", "claims-less-than-sent", framed(data_message(1, block1, size=44)))
write("sim_message", "event-notification", framed(data_message(0, block0, kind=4), data_message(1, block1, kind=4)))
write("sim_message", "bad-values",
      framed(data_message(0, struct.pack("<7d", math.nan, math.inf, -math.inf, 1e300, -1e300, 2147483648.0, -0.0)),
             data_message(1, struct.pack("<2d", math.nan, 1e308) + struct.pack("<7i", -1, 2, -3, 4, -5, 6, -7)),
             data_message(7, block0), b"", b"\x0c\x00\x00\x00"))

# ---- wire_decoder ---------------------------------------------------------------


def wire(mode, stream, chunk_seed=7, small_maximum=0):
    return bytes([mode]) + struct.pack("<HH", small_maximum, chunk_seed) + stream


quit_message = struct.pack("<3I", 12, 5, 3)
event_message = struct.pack("<6I", 24, 5, 4, 1, 95, 0)
write("wire_decoder", "server-messages",
      wire(0, data_message(0, block0) + event_message + quit_message + data_message(1, block1)[:50]))
transmit = struct.pack("<9I", 36, 5, 0xF0000005, 3, 0, 2, 0x11050, 1, 0x10)
write("wire_decoder", "client-requests", wire(1, transmit * 3 + transmit[:20], chunk_seed=1))
write("wire_decoder", "impossible-size", wire(0, quit_message + struct.pack("<3I", 11, 5, 3) + quit_message))
write("wire_decoder", "over-small-limit", wire(2, event_message + data_message(0, block0), small_maximum=64))

# ---- simconnect_config ----------------------------------------------------------

write("simconnect_config", "plain", b"[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=50123\n")
write("simconnect_config", "indexed-crlf-comments",
      b"\xef\xbb\xbf; written by hand\r\n[SimConnect.0]\r\nProtocol = ipv4 ; the only one\r\n"
      b"Address=localhost\r\nPort=500 # default\r\nMaxReceiveSize=41088\r\n")
write("simconnect_config", "two-sections", b"[SimConnect]\nPort=1\n[SimConnect.0]\nAddress=10.0.0.2\nPort=65535\n")
write("simconnect_config", "malformed", b"[SimConnect]\nProtocol=Pipe\nAddress=host.example\nPort=70000\njunk\n[x")

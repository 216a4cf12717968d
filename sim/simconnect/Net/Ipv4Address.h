#pragma once

// The one reading of a numeric IPv4 address, shared by the SimConnect.cfg
// parser and the socket layer: an address the file may name is exactly one
// the client can connect to, so a bad address is reported once as a bad file
// instead of failing every connection attempt.

#include <cstdint>
#include <string_view>

// Four dotted decimal parts of 0..255, without leading zeros (which other
// readers take for octal), as inet_pton reads them. Host names are not
// accepted: resolving one would block the caller. On success `address`
// holds the address in host byte order.
bool ParseIpv4Address(std::string_view text, std::uint32_t* address);

#include "Aircraft.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr std::int32_t kComLowest = 118000, kComHighest = 136975;
constexpr std::int32_t kNavLowest = 108000, kNavHighest = 117950;
constexpr std::int32_t kComFractionStep = 25;  // kHz
constexpr std::int32_t kBaroLowest = 2800, kBaroHighest = 3100;
constexpr std::int32_t kStandardBaro = 2992;
// The transponder keeps identing this long after the button, as in the real
// box.
constexpr std::chrono::seconds kIdentDuration{18};

std::string Upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return result;
}

// Events the simulator has that this aircraft does not act on.
constexpr const char* kKnownNotSimulated[] = {"TOGGLE_GPS_DRIVES_NAV1"};

// "#" and a decimal or 0x-hexadecimal number that fits 32 bits: an event
// id a third-party aircraft listens for.
bool IsNumberedEvent(std::string_view name) {
  if (name.size() < 2 || name[0] != '#') return false;
  const std::string digits(name.substr(1));
  const bool hex = digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X');
  const std::size_t first = hex ? 2 : 0;
  for (std::size_t i = first; i < digits.size(); ++i) {
    const auto c = static_cast<unsigned char>(digits[i]);
    if (!(hex ? std::isxdigit(c) : std::isdigit(c))) return false;
  }
  return digits.size() - first <= 16 && std::strtoull(digits.c_str() + first, nullptr, hex ? 16 : 10) <= 0xFFFFFFFFu;
}

bool IsCustomEvent(std::string_view name) { return name.find('.') != std::string_view::npos || IsNumberedEvent(name); }

// Digits of a binary-coded-decimal value, or -1 when a nibble is not a digit.
std::int64_t FromBcd(std::uint32_t bcd) {
  std::int64_t value = 0, weight = 1;
  for (; bcd != 0; bcd >>= 4, weight *= 10) {
    const std::uint32_t digit = bcd & 0xF;
    if (digit > 9) return -1;
    value += digit * weight;
  }
  return value;
}

// A radio frequency as the *_STBY_SET events carry it: BCD in 10 kHz units,
// either with the leading 1 (0x11150 = 111.50) or, in the older four-digit
// form, without it (0x1150 = 111.50). Result in kHz, or -1.
std::int32_t FrequencyFromBcd(std::uint32_t bcd) {
  const std::int64_t digits = FromBcd(bcd);
  if (digits < 0) return -1;
  const std::int64_t hundredths = bcd <= 0xFFFF ? 10000 + digits : digits;
  if (hundredths > 100000) return -1;
  return static_cast<std::int32_t>(hundredths * 10);
}

std::int32_t WrapDegrees(std::int64_t degrees) {
  std::int64_t wrapped = degrees % 360;
  if (wrapped < 0) wrapped += 360;
  return static_cast<std::int32_t>(wrapped);
}

std::string OnOff(bool on) { return on ? "on" : "off"; }

struct RadioRef {
  const char* label;
  std::int32_t AircraftState::*active;
  std::int32_t AircraftState::*standby;
  std::int32_t lowest, highest;
};

const RadioRef kCom1{"COM1", &AircraftState::com1Active, &AircraftState::com1Standby, kComLowest, kComHighest};
const RadioRef kCom2{"COM2", &AircraftState::com2Active, &AircraftState::com2Standby, kComLowest, kComHighest};
const RadioRef kNav1{"NAV1", &AircraftState::nav1Active, &AircraftState::nav1Standby, kNavLowest, kNavHighest};
const RadioRef kNav2{"NAV2", &AircraftState::nav2Active, &AircraftState::nav2Standby, kNavLowest, kNavHighest};

bool IsCom(const RadioRef& radio) { return radio.lowest == kComLowest; }

void SetStandby(AircraftState* state, const RadioRef& radio, std::int32_t kHz, EventOutcome* outcome) {
  std::int32_t& standby = state->*radio.standby;
  if (standby == kHz) return;
  const bool com = IsCom(radio);
  outcome->changes.push_back(std::string(radio.label) + " standby " + FormatMhz(standby, com) + " -> " +
                             FormatMhz(kHz, com));
  standby = kHz;
}

void SetFromBcd(AircraftState* state, const RadioRef& radio, std::uint32_t data, EventOutcome* outcome) {
  const std::int32_t kHz = FrequencyFromBcd(data);
  if (kHz < radio.lowest || kHz > radio.highest) {
    outcome->kind = EventOutcome::kRejected;
    char text[96];
    std::snprintf(text, sizeof text, "0x%X is not a %s frequency", static_cast<unsigned>(data),
                  IsCom(radio) ? "COM" : "NAV");
    outcome->reason = text;
    return;
  }
  SetStandby(state, radio, kHz, outcome);
}

void Swap(AircraftState* state, const RadioRef& radio, EventOutcome* outcome) {
  std::int32_t& active = state->*radio.active;
  std::int32_t& standby = state->*radio.standby;
  std::swap(active, standby);
  const bool com = IsCom(radio);
  outcome->changes.push_back(std::string(radio.label) + " swapped: active " + FormatMhz(active, com) + ", standby " +
                             FormatMhz(standby, com));
}

// The COM whole-megahertz knob: wraps within the band, keeps the fraction.
void StepComWhole(AircraftState* state, const RadioRef& radio, int direction, EventOutcome* outcome) {
  const std::int32_t standby = state->*radio.standby;
  const std::int32_t fraction = standby % 1000;
  std::int32_t whole = standby / 1000 + direction;
  const std::int32_t lowestWhole = kComLowest / 1000, highestWhole = kComHighest / 1000;
  if (whole > highestWhole) whole = lowestWhole;
  if (whole < lowestWhole) whole = highestWhole;
  SetStandby(state, radio, whole * 1000 + fraction, outcome);
}

// The COM fraction knob: 25 kHz steps that wrap within the megahertz without
// carrying into it.
void StepComFraction(AircraftState* state, const RadioRef& radio, int direction, EventOutcome* outcome) {
  const std::int32_t standby = state->*radio.standby;
  const std::int32_t whole = standby / 1000;
  std::int32_t fraction = (standby % 1000) / kComFractionStep * kComFractionStep + direction * kComFractionStep;
  if (fraction >= 1000) fraction = 0;
  if (fraction < 0) fraction = 1000 - kComFractionStep;
  SetStandby(state, radio, whole * 1000 + fraction, outcome);
}

void SetDegrees(std::int32_t* field, const char* label, std::uint32_t data, EventOutcome* outcome) {
  const std::int32_t degrees = WrapDegrees(static_cast<std::int32_t>(data));
  if (*field == degrees) return;
  outcome->changes.push_back(std::string(label) + " " + std::to_string(*field) + " -> " + std::to_string(degrees));
  *field = degrees;
}

void SetBaro(AircraftState* state, std::int32_t hundredths, EventOutcome* outcome) {
  if (hundredths < kBaroLowest) hundredths = kBaroLowest;
  if (hundredths > kBaroHighest) hundredths = kBaroHighest;
  if (state->baroHundredths == hundredths) return;
  outcome->changes.push_back("baro " + FormatInHg(state->baroHundredths) + " -> " + FormatInHg(hundredths));
  state->baroHundredths = hundredths;
}

void Toggle(bool* flag, const char* label, EventOutcome* outcome) {
  outcome->changes.push_back(std::string(label) + " " + OnOff(*flag) + " -> " + OnOff(!*flag));
  *flag = !*flag;
}

void SetNumber(std::int32_t* field, const char* label, const char* unit, std::int32_t value, EventOutcome* outcome) {
  if (*field == value) return;
  outcome->changes.push_back(std::string(label) + " " + std::to_string(*field) + " -> " + std::to_string(value) + " " +
                             unit);
  *field = value;
}

// Four octal digits, one per nibble, value 0000..7777.
bool IsBco16(std::uint32_t code) {
  if (code > 0xFFFF) return false;
  for (; code != 0; code >>= 4) {
    if ((code & 0xF) > 7) return false;
  }
  return true;
}

// ---- variables ----

enum class Quantity { kFrequency, kAngle, kLength, kVerticalSpeed, kPressure, kBool, kTransponder };

double ConvertFromBase(Quantity quantity, double value, const std::string& units) {
  switch (quantity) {
    case Quantity::kFrequency:  // base MHz
      if (units == "KHZ" || units == "KILOHERTZ") return value * 1e3;
      if (units == "HZ" || units == "HERTZ") return value * 1e6;
      if (units == "FREQUENCY BCD16" || units == "BCD16") {
        // 123.45 MHz as 0x2345
        const long hundredths = std::lround(value * 100.0) % 10000;
        long bcd = 0;
        for (long v = hundredths, shift = 0; shift < 16; v /= 10, shift += 4) bcd |= (v % 10) << shift;
        return static_cast<double>(bcd);
      }
      return value;
    case Quantity::kAngle:  // base degrees
      if (units == "RADIANS" || units == "RADIAN") return value * 3.14159265358979323846 / 180.0;
      return value;
    case Quantity::kLength:  // base feet
      if (units == "METERS" || units == "METER" || units == "M") return value * 0.3048;
      return value;
    case Quantity::kVerticalSpeed:  // base feet per minute
      if (units == "FEET/SECOND" || units == "FEET PER SECOND") return value / 60.0;
      if (units == "METERS/SECOND" || units == "METERS PER SECOND" || units == "M/S") return value * 0.00508;
      return value;
    case Quantity::kPressure:  // base inHg
      if (units == "MILLIBARS" || units == "MILLIBAR" || units == "MBAR" || units == "HPA" || units == "HECTOPASCALS" ||
          units == "HECTOPASCAL") {
        return value * 33.8639;
      }
      return value;
    case Quantity::kBool:
      return value != 0.0 ? 1.0 : 0.0;
    case Quantity::kTransponder:  // base BCO16
      if (units == "BCO16") return value;
      {
        // Any other unit: the four digits as a decimal number (1200).
        const auto code = static_cast<std::uint32_t>(value);
        return ((code >> 12) & 0xF) * 1000.0 + ((code >> 8) & 0xF) * 100.0 + ((code >> 4) & 0xF) * 10.0 + (code & 0xF);
      }
  }
  return value;
}

}  // namespace

std::string FormatMhz(std::int32_t kHz, bool allDigits) {
  char text[32];
  if (allDigits && kHz % 10 != 0) {
    std::snprintf(text, sizeof text, "%d.%03d", kHz / 1000, kHz % 1000);
  } else {
    // Two decimals show whole 10 kHz, as a radio's display does.
    std::snprintf(text, sizeof text, "%d.%02d", kHz / 1000, (kHz % 1000) / 10);
  }
  return text;
}

std::string FormatInHg(std::int32_t hundredths) {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%02d", hundredths / 100, hundredths % 100);
  return text;
}

std::string FormatSquawk(std::uint32_t bco16) {
  char text[16];
  std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(bco16 & 0xFFFF));
  return text;
}

std::string StateFields(const AircraftState& s) {
  std::string line;
  const auto add = [&line](const char* key, const std::string& value) {
    if (!line.empty()) line += ' ';
    line += key;
    line += '=';
    line += value;
  };
  const auto flag = [](bool on) { return std::string(on ? "1" : "0"); };
  add("com1_active", FormatMhz(s.com1Active));
  add("com1_standby", FormatMhz(s.com1Standby));
  add("com2_active", FormatMhz(s.com2Active));
  add("com2_standby", FormatMhz(s.com2Standby));
  add("nav1_active", FormatMhz(s.nav1Active));
  add("nav1_standby", FormatMhz(s.nav1Standby));
  add("nav2_active", FormatMhz(s.nav2Active));
  add("nav2_standby", FormatMhz(s.nav2Standby));
  add("heading_bug", std::to_string(s.headingBug));
  add("course1", std::to_string(s.course1));
  add("course2", std::to_string(s.course2));
  add("baro", FormatInHg(s.baroHundredths));
  add("ap_master", flag(s.apMaster));
  add("ap_heading", flag(s.apHeading));
  add("ap_nav1", flag(s.apNav1));
  add("ap_approach", flag(s.apApproach));
  add("ap_altitude", flag(s.apAltitude));
  add("ap_vs", flag(s.apVs));
  add("ap_alt", std::to_string(s.apAltitudeFeet));
  add("ap_vs_fpm", std::to_string(s.apVerticalSpeed));
  add("squawk", FormatSquawk(s.squawk));
  add("ident", flag(s.ident));
  return line;
}

EventOutcome Aircraft::Apply(std::string_view rawName, std::uint32_t data, Clock::time_point now) {
  EventOutcome outcome;
  outcome.kind = EventOutcome::kApplied;
  const std::string name = Upper(rawName);
  AircraftState* s = &state_;
  const auto signedData = static_cast<std::int32_t>(data);

  if (IsCustomEvent(name)) {
    outcome.kind = EventOutcome::kCustom;
  } else if (name == "COM_STBY_RADIO_SET") {
    SetFromBcd(s, kCom1, data, &outcome);
  } else if (name == "COM2_STBY_RADIO_SET") {
    SetFromBcd(s, kCom2, data, &outcome);
  } else if (name == "NAV1_STBY_SET") {
    SetFromBcd(s, kNav1, data, &outcome);
  } else if (name == "NAV2_STBY_SET") {
    SetFromBcd(s, kNav2, data, &outcome);
  } else if (name == "COM_STBY_RADIO_SWAP" || name == "COM1_RADIO_SWAP") {
    Swap(s, kCom1, &outcome);
  } else if (name == "COM2_RADIO_SWAP") {
    Swap(s, kCom2, &outcome);
  } else if (name == "NAV1_RADIO_SWAP") {
    Swap(s, kNav1, &outcome);
  } else if (name == "NAV2_RADIO_SWAP") {
    Swap(s, kNav2, &outcome);
  } else if (name == "COM_RADIO_WHOLE_INC") {
    StepComWhole(s, kCom1, +1, &outcome);
  } else if (name == "COM_RADIO_WHOLE_DEC") {
    StepComWhole(s, kCom1, -1, &outcome);
  } else if (name == "COM_RADIO_FRACT_INC") {
    StepComFraction(s, kCom1, +1, &outcome);
  } else if (name == "COM_RADIO_FRACT_DEC") {
    StepComFraction(s, kCom1, -1, &outcome);
  } else if (name == "COM2_RADIO_WHOLE_INC") {
    StepComWhole(s, kCom2, +1, &outcome);
  } else if (name == "COM2_RADIO_WHOLE_DEC") {
    StepComWhole(s, kCom2, -1, &outcome);
  } else if (name == "COM2_RADIO_FRACT_INC") {
    StepComFraction(s, kCom2, +1, &outcome);
  } else if (name == "COM2_RADIO_FRACT_DEC") {
    StepComFraction(s, kCom2, -1, &outcome);
  } else if (name == "HEADING_BUG_SET") {
    SetDegrees(&s->headingBug, "heading bug", data, &outcome);
  } else if (name == "VOR1_SET") {
    SetDegrees(&s->course1, "course1", data, &outcome);
  } else if (name == "VOR2_SET") {
    SetDegrees(&s->course2, "course2", data, &outcome);
  } else if (name == "KOHLSMAN_INC") {
    SetBaro(s, s->baroHundredths + 1, &outcome);
  } else if (name == "KOHLSMAN_DEC") {
    SetBaro(s, s->baroHundredths - 1, &outcome);
  } else if (name == "BAROMETRIC_STD_PRESSURE") {
    SetBaro(s, kStandardBaro, &outcome);
  } else if (name == "AP_MASTER") {
    Toggle(&s->apMaster, "AP master", &outcome);
  } else if (name == "AP_PANEL_HEADING_HOLD") {
    Toggle(&s->apHeading, "AP heading hold", &outcome);
  } else if (name == "AP_NAV1_HOLD") {
    Toggle(&s->apNav1, "AP NAV1 hold", &outcome);
  } else if (name == "AP_APR_HOLD") {
    Toggle(&s->apApproach, "AP approach hold", &outcome);
  } else if (name == "AP_PANEL_ALTITUDE_HOLD") {
    Toggle(&s->apAltitude, "AP altitude hold", &outcome);
  } else if (name == "AP_PANEL_VS_HOLD") {
    Toggle(&s->apVs, "AP vertical speed hold", &outcome);
  } else if (name == "AP_ALT_VAR_SET_ENGLISH") {
    SetNumber(&s->apAltitudeFeet, "AP altitude", "ft", signedData, &outcome);
  } else if (name == "AP_VS_VAR_SET_ENGLISH") {
    SetNumber(&s->apVerticalSpeed, "AP vertical speed", "fpm", signedData, &outcome);
  } else if (name == "XPNDR_SET") {
    if (!IsBco16(data)) {
      outcome.kind = EventOutcome::kRejected;
      char text[64];
      std::snprintf(text, sizeof text, "0x%X is not a transponder code", static_cast<unsigned>(data));
      outcome.reason = text;
    } else if (s->squawk != data) {
      outcome.changes.push_back("squawk " + FormatSquawk(s->squawk) + " -> " + FormatSquawk(data));
      s->squawk = data;
    }
  } else if (name == "XPNDR_IDENT_ON") {
    identEndsAt_ = now + kIdentDuration;
    if (!s->ident) outcome.changes.push_back("transponder ident on");
    s->ident = true;
  } else if (name == "XPNDR_IDENT_OFF") {
    if (s->ident) outcome.changes.push_back("transponder ident off");
    s->ident = false;
  } else {
    outcome.kind = EventOutcome::kUnknown;
  }
  return outcome;
}

bool Aircraft::Recognises(std::string_view rawName) {
  const std::string name = Upper(rawName);
  for (const char* known : kKnownNotSimulated) {
    if (name == known) return true;
  }
  Aircraft scratch;
  return scratch.Apply(name, 0, Clock::time_point{}).kind != EventOutcome::kUnknown;
}

std::vector<std::string> Aircraft::Advance(Clock::time_point now) {
  std::vector<std::string> changes;
  if (state_.ident && now >= identEndsAt_) {
    state_.ident = false;
    changes.push_back("transponder ident off");
  }
  return changes;
}

bool Aircraft::NextChange(Clock::time_point* when) const {
  if (!state_.ident) return false;
  *when = identEndsAt_;
  return true;
}

double Aircraft::Read(std::string_view rawName, std::string_view rawUnits) const {
  std::string name = Upper(rawName);
  int index = 1;
  const std::size_t colon = name.find(':');
  if (colon != std::string::npos) {
    index = std::atoi(name.c_str() + colon + 1);
    name.resize(colon);
  }
  while (!name.empty() && name.back() == ' ') name.pop_back();
  const std::string units = Upper(rawUnits);
  const AircraftState& s = state_;
  const auto radio = [index](std::int32_t one, std::int32_t two) { return (index == 2 ? two : one) / 1000.0; };

  Quantity quantity;
  double value;
  if (name == "COM ACTIVE FREQUENCY") {
    quantity = Quantity::kFrequency, value = radio(s.com1Active, s.com2Active);
  } else if (name == "COM STANDBY FREQUENCY") {
    quantity = Quantity::kFrequency, value = radio(s.com1Standby, s.com2Standby);
  } else if (name == "NAV ACTIVE FREQUENCY") {
    quantity = Quantity::kFrequency, value = radio(s.nav1Active, s.nav2Active);
  } else if (name == "NAV STANDBY FREQUENCY") {
    quantity = Quantity::kFrequency, value = radio(s.nav1Standby, s.nav2Standby);
  } else if (name == "AUTOPILOT HEADING LOCK DIR") {
    quantity = Quantity::kAngle, value = s.headingBug;
  } else if (name == "NAV OBS") {
    quantity = Quantity::kAngle, value = index == 2 ? s.course2 : s.course1;
  } else if (name == "KOHLSMAN SETTING HG") {
    quantity = Quantity::kPressure, value = s.baroHundredths / 100.0;
  } else if (name == "KOHLSMAN SETTING MB") {
    // Its own unit is millibars unless another is asked for.
    const double inHg = s.baroHundredths / 100.0;
    return units == "INHG" || units == "INCHES OF MERCURY" ? inHg : inHg * 33.8639;
  } else if (name == "AUTOPILOT ALTITUDE LOCK VAR") {
    quantity = Quantity::kLength, value = s.apAltitudeFeet;
  } else if (name == "AUTOPILOT VERTICAL HOLD VAR") {
    quantity = Quantity::kVerticalSpeed, value = s.apVerticalSpeed;
  } else if (name == "TRANSPONDER CODE") {
    quantity = Quantity::kTransponder, value = s.squawk;
  } else if (name == "TRANSPONDER IDENT") {
    quantity = Quantity::kBool, value = s.ident;
  } else if (name == "AUTOPILOT MASTER") {
    quantity = Quantity::kBool, value = s.apMaster;
  } else if (name == "AUTOPILOT HEADING LOCK") {
    quantity = Quantity::kBool, value = s.apHeading;
  } else if (name == "AUTOPILOT NAV1 LOCK") {
    quantity = Quantity::kBool, value = s.apNav1;
  } else if (name == "AUTOPILOT APPROACH HOLD") {
    quantity = Quantity::kBool, value = s.apApproach;
  } else if (name == "AUTOPILOT ALTITUDE LOCK") {
    quantity = Quantity::kBool, value = s.apAltitude;
  } else if (name == "AUTOPILOT VERTICAL HOLD") {
    quantity = Quantity::kBool, value = s.apVs;
  } else {
    return 0.0;
  }
  return ConvertFromBase(quantity, value, units);
}

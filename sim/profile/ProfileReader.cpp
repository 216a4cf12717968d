// The profile format, checked against the one list of functions and lamps.
// toml++ parses; everything it accepts is checked here before any of it is
// used, and each refusal points at the line and column of the offending key
// or value.

#include "sim/profile/ProfileReader.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <utility>
#include <vector>

#define TOML_EXCEPTIONS 0
#define TOML_ENABLE_FORMATTERS 0
#include <toml++/toml.h>

#include "sim/profile/NearestName.h"
#include "sim/profile/ProfileLibrary.h"

namespace profile {

namespace {

// Longest event or variable name: the simulator's name fields hold 255
// characters and a terminating zero.
constexpr std::size_t kLongestName = 255;

using Entry = std::pair<const toml::key*, const toml::node*>;

// A table's entries in the order they stand in the file (toml++ keeps them
// sorted by key), so the first mistake told is the first one a reader meets.
std::vector<Entry> InFileOrder(const toml::table& table) {
  std::vector<Entry> entries;
  entries.reserve(table.size());
  for (const auto& [key, node] : table) entries.emplace_back(&key, &node);
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    const toml::source_position& x = a.first->source().begin;
    const toml::source_position& y = b.first->source().begin;
    return x.line != y.line ? x.line < y.line : x.column < y.column;
  });
  return entries;
}

class Reader {
 public:
  Reader(const std::string& file, AircraftProfile* profile, std::string* problem)
      : file_(file), profile_(profile), problem_(problem) {}

  bool Read(const toml::table& root);

 private:
  bool Fail(const toml::source_region& where, const std::string& what) {
    char position[48];
    std::snprintf(position, sizeof position, ":%u:%u: ", static_cast<unsigned>(where.begin.line),
                  static_cast<unsigned>(where.begin.column));
    *problem_ = file_ + position + what;
    return false;
  }
  bool UnknownKey(const toml::key& key, const char* context, const char* nearest, const char* valid) {
    std::string what = "unknown " + std::string(context) + " \"" + std::string(key.str()) + "\"";
    if (nearest != nullptr) {
      what += "; did you mean \"" + std::string(nearest) + "\"?";
    } else if (valid != nullptr) {
      what += std::string("; ") + valid;
    }
    return Fail(key.source(), what);
  }

  bool ReadName(const toml::node& node);
  bool ReadMatch(const toml::node& node);
  bool ReadPatterns(const toml::node& node, const char* key, std::vector<std::string>* patterns);
  bool ReadControls(const toml::node& node);
  bool ReadBinding(std::size_t function, const toml::node& node);
  bool ReadAction(std::size_t function, const toml::node& node);
  bool ReadEventAction(std::size_t function, const toml::table& table, ProfileAction* action);
  bool ReadLvarAction(std::size_t function, const toml::table& table, ProfileAction* action);
  bool ReadLamps(const toml::node& node);
  bool ReadNumber(const toml::node& node, const char* what, double* value);
  bool CheckName(const toml::node& node, const std::string& name, const char* what);
  bool AddEvent(const toml::node& node, const std::string& name, NameOrigin origin, std::uint16_t* index);
  bool AddVariable(const toml::node& node, const std::string& name, const std::string& unit, NameOrigin origin,
                   std::uint16_t* index);

  const std::string& file_;
  AircraftProfile* profile_;
  std::string* problem_;
};

bool Reader::Read(const toml::table& root) {
  for (const auto& [keyPointer, nodePointer] : InFileOrder(root)) {
    const toml::key& key = *keyPointer;
    const toml::node& node = *nodePointer;
    const std::string_view name = key.str();
    bool ok;
    if (name == "name") {
      ok = ReadName(node);
    } else if (name == "match") {
      ok = ReadMatch(node);
    } else if (name == "controls") {
      ok = ReadControls(node);
    } else if (name == "lamps") {
      ok = ReadLamps(node);
    } else {
      static const char* const kSections[] = {"name", "match", "controls", "lamps", nullptr};
      ok = UnknownKey(key, "key", NearestName(name, kSections), "a profile has name, [match], [controls] and [lamps]");
    }
    if (!ok) return false;
  }
  if (profile_->titlePatterns.empty() && profile_->pathPatterns.empty()) {
    return Fail(root.source(),
                "the profile matches no aircraft: add [match] with title = [\"...\"] or path = [\"...\"]");
  }
  return true;
}

bool Reader::ReadName(const toml::node& node) {
  const auto* text = node.as_string();
  if (text == nullptr || text->get().empty()) return Fail(node.source(), "name must be a non-empty string");
  profile_->name = text->get();
  return true;
}

bool Reader::ReadMatch(const toml::node& node) {
  const toml::table* table = node.as_table();
  if (table == nullptr) return Fail(node.source(), "match must be a table: [match] with title and path patterns");
  for (const auto& [keyPointer, valuePointer] : InFileOrder(*table)) {
    const toml::key& key = *keyPointer;
    const toml::node& value = *valuePointer;
    if (key.str() == "title") {
      if (!ReadPatterns(value, "title", &profile_->titlePatterns)) return false;
    } else if (key.str() == "path") {
      if (!ReadPatterns(value, "path", &profile_->pathPatterns)) return false;
    } else {
      static const char* const kKeys[] = {"title", "path", nullptr};
      if (!UnknownKey(key, "match key", NearestName(key.str(), kKeys), "[match] takes title and path")) return false;
    }
  }
  return true;
}

bool Reader::ReadPatterns(const toml::node& node, const char* key, std::vector<std::string>* patterns) {
  const std::string wrong = std::string(key) + " must be a pattern or a list of patterns, e.g. [\"*A320*\"]";
  const auto take = [&](const toml::node& item) {
    const auto* text = item.as_string();
    if (text == nullptr) return Fail(item.source(), wrong);
    if (text->get().empty()) return Fail(item.source(), "an empty pattern matches nothing; use \"*\" for any");
    patterns->push_back(text->get());
    return true;
  };
  if (const toml::array* list = node.as_array()) {
    for (const toml::node& item : *list) {
      if (!take(item)) return false;
    }
    return true;
  }
  return take(node);
}

bool Reader::ReadControls(const toml::node& node) {
  const toml::table* table = node.as_table();
  if (table == nullptr) return Fail(node.source(), "controls must be a table: [controls]");
  for (const auto& [keyPointer, valuePointer] : InFileOrder(*table)) {
    const toml::key& key = *keyPointer;
    const toml::node& value = *valuePointer;
    const int function = FindFunction(key.str());
    if (function < 0) {
      if (FindLamp(key.str()) >= 0 && FindFunction(key.str()) < 0) {
        return Fail(key.source(), "\"" + std::string(key.str()) + "\" is a lamp; put it under [lamps]");
      }
      return UnknownKey(key, "function", NearestFunctionName(key.str()),
                        "functions are <knob>_<outer|inner>_<inc|dec> and the key names in the guide");
    }
    if (!ReadBinding(static_cast<std::size_t>(function), value)) return false;
  }
  return true;
}

bool Reader::ReadBinding(std::size_t function, const toml::node& node) {
  FunctionBinding& binding = profile_->functions[function];
  if (const auto* text = node.as_string()) {
    if (text->get() != "none") {
      return Fail(
          node.source(),
          "a function takes \"none\", { event = ... }, { lvar = ... } or a list of them, not \"" + text->get() + "\"");
    }
    binding.mode = FunctionBinding::kNothing;
    return true;
  }
  binding.mode = FunctionBinding::kActions;
  binding.first = static_cast<std::uint16_t>(profile_->actions.size());
  if (const toml::array* list = node.as_array()) {
    if (list->empty()) return Fail(node.source(), "an empty list does nothing; write \"none\" for that");
    if (list->size() > kMaxActionsPerFunction) {
      return Fail(node.source(), "at most " + std::to_string(kMaxActionsPerFunction) + " actions a function");
    }
    for (const toml::node& item : *list) {
      if (!ReadAction(function, item)) return false;
    }
  } else if (!ReadAction(function, node)) {
    return false;
  }
  binding.count = static_cast<std::uint16_t>(profile_->actions.size() - binding.first);
  return true;
}

bool Reader::ReadAction(std::size_t function, const toml::node& node) {
  const toml::table* table = node.as_table();
  if (table == nullptr) {
    return Fail(node.source(), "an action is a table: { event = \"NAME\" } or { lvar = \"L:NAME\", set = 1 }");
  }
  ProfileAction action;
  const bool hasEvent = table->contains("event");
  const bool hasLvar = table->contains("lvar");
  if (hasEvent == hasLvar) {
    return Fail(node.source(), hasEvent ? "an action has event or lvar, not both"
                                        : "an action needs event = \"NAME\" or lvar = \"L:NAME\"");
  }
  if (!(hasEvent ? ReadEventAction(function, *table, &action) : ReadLvarAction(function, *table, &action))) {
    return false;
  }
  profile_->actions.push_back(action);
  return true;
}

bool Reader::ReadEventAction(std::size_t function, const toml::table& table, ProfileAction* action) {
  action->kind = ProfileAction::kEvent;
  for (const auto& [keyPointer, valuePointer] : InFileOrder(table)) {
    const toml::key& key = *keyPointer;
    const toml::node& value = *valuePointer;
    const std::string_view k = key.str();
    if (k == "event") {
      const auto* text = value.as_string();
      if (text == nullptr) return Fail(value.source(), "event must be a string, e.g. \"AP_MASTER\"");
      if (!CheckName(value, text->get(), "event")) return false;
      if (!AddEvent(value, text->get(), NameOrigin{false, static_cast<std::uint16_t>(function)}, &action->name)) {
        return false;
      }
    } else if (k == "value") {
      const auto* number = value.as_integer();
      if (number == nullptr || number->get() < std::numeric_limits<std::int32_t>::min() ||
          number->get() > std::numeric_limits<std::uint32_t>::max()) {
        return Fail(value.source(), "value must be a whole number that fits 32 bits (-2147483648 to 4294967295)");
      }
      action->eventValue = static_cast<std::uint32_t>(number->get());
    } else if (k == "repeat") {
      const auto* number = value.as_integer();
      if (number == nullptr || number->get() < 1 || number->get() > kMaxRepeat) {
        return Fail(value.source(), "repeat must be a whole number from 1 to 100");
      }
      action->repeat = static_cast<std::uint32_t>(number->get());
    } else {
      static const char* const kKeys[] = {"event", "value", "repeat", nullptr};
      return UnknownKey(key, "event action key", NearestName(k, kKeys), "an event action takes event, value, repeat");
    }
  }
  return true;
}

bool Reader::ReadLvarAction(std::size_t function, const toml::table& table, ProfileAction* action) {
  const toml::node* setNode = table.get("set");
  const toml::node* addNode = table.get("add");
  if ((setNode != nullptr) == (addNode != nullptr)) {
    return Fail(table.source(), setNode != nullptr ? "an lvar action has set or add, not both"
                                                   : "an lvar action needs set = VALUE or add = STEP");
  }
  action->kind = setNode != nullptr ? ProfileAction::kLvarSet : ProfileAction::kLvarAdd;
  for (const auto& [keyPointer, valuePointer] : InFileOrder(table)) {
    const toml::key& key = *keyPointer;
    const toml::node& value = *valuePointer;
    const std::string_view k = key.str();
    if (k == "lvar") {
      const auto* text = value.as_string();
      if (text == nullptr || text->get().size() < 3 || text->get().compare(0, 2, "L:") != 0) {
        return Fail(value.source(), "lvar must name an L:var, e.g. \"L:A32NX_FCU_HDG\"");
      }
      if (!CheckName(value, text->get(), "lvar")) return false;
      if (!AddVariable(value, text->get(), "number", NameOrigin{false, static_cast<std::uint16_t>(function)},
                       &action->name)) {
        return false;
      }
    } else if (k == "set" || k == "add") {
      if (!ReadNumber(value, k == "set" ? "set" : "add", &action->amount)) return false;
    } else if (k == "min" || k == "max") {
      if (setNode != nullptr) return Fail(key.source(), std::string(k) + " goes with add, not set");
      const bool minimum = k == "min";
      if (!ReadNumber(value, minimum ? "min" : "max", minimum ? &action->minimum : &action->maximum)) return false;
      (minimum ? action->hasMinimum : action->hasMaximum) = true;
    } else if (k == "wrap") {
      if (setNode != nullptr) return Fail(key.source(), "wrap goes with add, not set");
      const auto* flag = value.as_boolean();
      if (flag == nullptr) return Fail(value.source(), "wrap must be true or false");
      action->wrap = flag->get();
    } else {
      static const char* const kKeys[] = {"lvar", "set", "add", "min", "max", "wrap", nullptr};
      return UnknownKey(key, "lvar action key", NearestName(k, kKeys),
                        "an lvar action takes lvar, set or add, min, max, wrap");
    }
  }
  if (action->wrap && !(action->hasMinimum && action->hasMaximum)) {
    return Fail(table.source(), "wrap needs both min and max");
  }
  if (action->hasMinimum && action->hasMaximum && action->minimum > action->maximum) {
    return Fail(table.source(), "min is above max");
  }
  return true;
}

bool Reader::ReadLamps(const toml::node& node) {
  const toml::table* table = node.as_table();
  if (table == nullptr) return Fail(node.source(), "lamps must be a table: [lamps]");
  for (const auto& [keyPointer, valuePointer] : InFileOrder(*table)) {
    const toml::key& key = *keyPointer;
    const toml::node& value = *valuePointer;
    const int lamp = FindLamp(key.str());
    if (lamp < 0) {
      return UnknownKey(key, "lamp", NearestLampName(key.str()),
                        "the lamps are autopilot_master, heading_hold, nav1_hold, approach_hold, altitude_hold, "
                        "vertical_speed_hold");
    }
    std::string variable;
    std::string unit = "number";
    const toml::node* nameNode = &value;
    if (const toml::table* form = value.as_table()) {
      nameNode = form->get("var");
      if (nameNode == nullptr) return Fail(value.source(), "a lamp table needs var = \"NAME\"");
      for (const auto& [formKeyPointer, formValuePointer] : InFileOrder(*form)) {
        const toml::key& formKey = *formKeyPointer;
        const toml::node& formValue = *formValuePointer;
        if (formKey.str() == "unit") {
          const auto* text = formValue.as_string();
          if (text == nullptr || text->get().empty() || text->get().size() > kLongestName) {
            return Fail(formValue.source(), "unit must be a unit name, e.g. \"Bool\"");
          }
          unit = text->get();
        } else if (formKey.str() != "var") {
          static const char* const kKeys[] = {"var", "unit", nullptr};
          return UnknownKey(formKey, "lamp key", NearestName(formKey.str(), kKeys), "a lamp takes var and unit");
        }
      }
    }
    const auto* text = nameNode->as_string();
    if (text == nullptr) {
      return Fail(nameNode->source(), "a lamp is a variable name, \"L:NAME\", or { var = \"NAME\", unit = \"UNIT\" }");
    }
    variable = text->get();
    if (!CheckName(*nameNode, variable, "lamp variable")) return false;
    std::uint16_t index;
    if (!AddVariable(*nameNode, variable, unit, NameOrigin{true, static_cast<std::uint16_t>(lamp)}, &index)) {
      return false;
    }
    profile_->lamps[static_cast<std::size_t>(lamp)] = index;
  }
  return true;
}

bool Reader::ReadNumber(const toml::node& node, const char* what, double* value) {
  if (const auto* integer = node.as_integer()) {
    *value = static_cast<double>(integer->get());
  } else if (const auto* floating = node.as_floating_point()) {
    *value = floating->get();
  } else {
    return Fail(node.source(), std::string(what) + " must be a number");
  }
  if (!std::isfinite(*value)) return Fail(node.source(), std::string(what) + " must be a finite number");
  return true;
}

bool Reader::CheckName(const toml::node& node, const std::string& name, const char* what) {
  if (name.empty()) return Fail(node.source(), std::string(what) + " names nothing");
  if (name.size() > kLongestName) {
    return Fail(node.source(), std::string(what) + " is longer than the simulator's 255 characters");
  }
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
      return Fail(node.source(), std::string(what) + " holds a control character");
    }
  }
  if (name[0] == '#') {
    // A third-party event by number: #decimal or #0xhex, nothing else.
    const bool hex = name.size() > 3 && name[1] == '0' && (name[2] == 'x' || name[2] == 'X');
    const std::size_t digitsFrom = hex ? 3 : 1;
    bool digits = name.size() > digitsFrom && name.size() - digitsFrom <= (hex ? 8 : 10);
    for (std::size_t i = digitsFrom; digits && i < name.size(); ++i) {
      const char c = name[i];
      digits = (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
    }
    std::uint64_t number = 0;
    for (std::size_t i = digitsFrom; digits && !hex && i < name.size(); ++i) number = number * 10 + (name[i] - '0');
    if (!digits || number > 0xFFFFFFFFull) {
      return Fail(node.source(), "\"" + name + "\" is not an event number: write #decimal or #0xhex, e.g. #70022");
    }
  }
  return true;
}

bool Reader::AddEvent(const toml::node& node, const std::string& name, NameOrigin origin, std::uint16_t* index) {
  std::vector<std::string>& events = profile_->events;
  for (std::size_t i = 0; i < events.size(); ++i) {
    if (events[i] == name) {
      *index = static_cast<std::uint16_t>(i);
      return true;
    }
  }
  if (events.size() >= kMaxEventNames) {
    return Fail(node.source(), "more than " + std::to_string(kMaxEventNames) + " different events in one profile");
  }
  *index = static_cast<std::uint16_t>(events.size());
  events.push_back(name);
  profile_->eventOrigins.push_back(origin);
  return true;
}

bool Reader::AddVariable(const toml::node& node, const std::string& name, const std::string& unit, NameOrigin origin,
                         std::uint16_t* index) {
  std::vector<ProfileVariable>& variables = profile_->variables;
  for (std::size_t i = 0; i < variables.size(); ++i) {
    if (variables[i].name == name && variables[i].unit == unit) {
      *index = static_cast<std::uint16_t>(i);
      return true;
    }
  }
  if (variables.size() >= kMaxVariables) {
    return Fail(node.source(), "more than " + std::to_string(kMaxVariables) + " different variables in one profile");
  }
  *index = static_cast<std::uint16_t>(variables.size());
  variables.push_back(ProfileVariable{name, unit});
  profile_->variableOrigins.push_back(origin);
  return true;
}

// toml++ 3.3 asks of every non-ASCII character where whitespace may stand
// whether it is whitespace, and for hundreds of code points (accented
// letters among them) that check runs into undefined behaviour. So the
// parser never sees one: each distinct non-ASCII character of the file is
// swapped for a private-use character of its own (all of which the check
// answers safely), and the text read back is swapped back. Malformed UTF-8
// is left as it is, for the parser to refuse.
class CharacterSwap {
 public:
  // False when the file holds more distinct characters than there are
  // private-use ones to stand in for them.
  bool Hide(std::string_view text, std::string* hidden) {
    hidden->clear();
    hidden->reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
      char32_t c;
      const std::size_t length = Decode(text, at, &c);
      if (length == 0) {
        hidden->push_back(text[at++]);
        continue;
      }
      at += length;
      if (c < 0x80) {
        hidden->push_back(static_cast<char>(c));
        continue;
      }
      std::size_t slot = 0;
      while (slot < originals_.size() && originals_[slot] != c) ++slot;
      if (slot == originals_.size()) {
        if (slot == kStandIns) return false;
        originals_.push_back(c);
      }
      Encode(kFirstStandIn + static_cast<char32_t>(slot), hidden);
    }
    return true;
  }

  std::string Restore(std::string_view text) const {
    std::string restored;
    for (std::size_t at = 0; at < text.size();) {
      char32_t c;
      const std::size_t length = Decode(text, at, &c);
      if (length == 0) {
        restored.push_back(text[at++]);
        continue;
      }
      at += length;
      const bool standIn = c >= kFirstStandIn && c - kFirstStandIn < originals_.size();
      Encode(standIn ? originals_[c - kFirstStandIn] : c, &restored);
    }
    return restored;
  }

 private:
  static constexpr char32_t kFirstStandIn = 0xE000;  // the Private Use Area
  static constexpr std::size_t kStandIns = 0xF900 - 0xE000;

  // Length of the well-formed UTF-8 sequence at `at`, or 0.
  static std::size_t Decode(std::string_view text, std::size_t at, char32_t* c) {
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80) {
      *c = lead;
      return 1;
    }
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || at + length > text.size()) return 0;
    char32_t value = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
      if ((byte(at + i) & 0xC0) != 0x80) return 0;
      value = value << 6 | (byte(at + i) & 0x3F);
    }
    const char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallest[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    *c = value;
    return length;
  }

  static void Encode(char32_t c, std::string* out) {
    if (c < 0x80) {
      out->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out->push_back(static_cast<char>(0xC0 | c >> 6));
      out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out->push_back(static_cast<char>(0xE0 | c >> 12));
      out->push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
      out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out->push_back(static_cast<char>(0xF0 | c >> 18));
      out->push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
      out->push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
      out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }

  std::vector<char32_t> originals_;
};

// The file's name without its folder and extension, for a profile that does
// not name itself.
std::string FileStem(const std::string& file) {
  const std::string base = FileNameOf(file);
  const std::size_t dot = base.rfind('.');
  return dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
}

}  // namespace

bool ReadProfile(std::string_view text, const std::string& file, AircraftProfile* profile, std::string* problem) {
  *profile = AircraftProfile{};
  profile->file = file;
  CharacterSwap swap;
  std::string hidden;
  if (!swap.Hide(text, &hidden)) {
    *problem = file + ":1:1: more different characters than a profile can hold";
    return false;
  }
  toml::parse_result parsed = toml::parse(hidden, std::string_view(file));
  if (!parsed) {
    const toml::parse_error& error = parsed.error();
    char position[48];
    std::snprintf(position, sizeof position, ":%u:%u: ", static_cast<unsigned>(error.source().begin.line),
                  static_cast<unsigned>(error.source().begin.column));
    *problem = file + position + swap.Restore(error.description());
    // One line per mistake: toml++ sometimes explains over several.
    std::replace_if(
        problem->begin(), problem->end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return false;
  }
  Reader reader(file, profile, problem);
  const bool read = reader.Read(parsed.table());
  if (!read) {
    *problem = swap.Restore(*problem);
    return false;
  }
  profile->name = swap.Restore(profile->name);
  for (std::string& pattern : profile->titlePatterns) pattern = swap.Restore(pattern);
  for (std::string& pattern : profile->pathPatterns) pattern = swap.Restore(pattern);
  for (std::string& event : profile->events) event = swap.Restore(event);
  for (ProfileVariable& variable : profile->variables) {
    variable.name = swap.Restore(variable.name);
    variable.unit = swap.Restore(variable.unit);
  }
  if (profile->name.empty()) profile->name = FileStem(file);
  return true;
}

}  // namespace profile

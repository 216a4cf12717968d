#include "tools/virtualpanel/InteractivePanel.h"

#include <curses.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/virtualpanel/PanelSession.h"
#include "tools/virtualpanel/QuitSignals.h"

namespace virtualpanel {

namespace {

using Clock = std::chrono::steady_clock;

// How long a tapped key or a turned knob stays highlighted: long enough to
// see, short enough not to blur the next turn.
constexpr auto kFlash = std::chrono::milliseconds(250);

enum ColorPair : short { kPairSelected = 1, kPairLamp, kPairFlash, kPairGood, kPairWarn, kPairHint };

struct KeyBinding {
  int character;
  PanelKey key;
};

// Lower case taps a key; upper case holds it until pressed again.
// clang-format off
constexpr KeyBinding kKeyBindings[] = {
    {' ', PanelKey::Push}, {'s', PanelKey::Swap}, {'a', PanelKey::Ap},       {'h', PanelKey::Hdg},
    {'n', PanelKey::Nav},  {'p', PanelKey::Apr},  {'l', PanelKey::Alt},      {'v', PanelKey::Vs},
    {'d', PanelKey::DirectTo}, {'m', PanelKey::Menu}, {'c', PanelKey::Clear}, {'e', PanelKey::Enter},
};
// clang-format on

// What the knobs, the push and the swap key do in each mode, for the hint line.
constexpr const char* kModeHints[kPanelModeCount] = {
    "knobs: COM1 standby. after a push: heading bug. swap: COM1 swap",
    "knobs: COM2 standby. after a push: altimeter. swap: COM2 swap",
    "knobs: NAV1 standby. after a push: course 1. swap: NAV1 swap",
    "knobs: NAV2 standby. after a push: course 2. swap: NAV2 swap",
    "knobs: navigator 1 (range while swap is held). push: its push",
    "knobs: navigator 2 (range while swap is held). push: its push",
    "outer: AP altitude, 100 ft a step. inner: pitch. swap: FLC",
    "knobs: squawk (outer 100s, inner 1s). swap: ident",
};

// In the navigator modes the autopilot keys work the navigator instead.
constexpr const char* kNavigatorLabels[kLampCount] = {"CDI", "OBS", "MSG", "FPL", "VNV", "PRC"};

class Screen {
 public:
  explicit Screen(PanelTransport* transport) : transport_(transport), session_(transport) {}

  int Run() {
    std::setlocale(LC_ALL, "");
    ESCDELAY = 25;
    initscr();
    cbreak();
    noecho();
    keypad(stdscr, TRUE);
    nodelay(stdscr, TRUE);
    curs_set(0);
    if (has_colors()) {
      start_color();
      use_default_colors();
      init_pair(kPairSelected, COLOR_BLACK, COLOR_CYAN);
      init_pair(kPairLamp, COLOR_BLACK, COLOR_GREEN);
      init_pair(kPairFlash, COLOR_BLACK, COLOR_YELLOW);
      init_pair(kPairGood, COLOR_GREEN, -1);
      init_pair(kPairWarn, COLOR_YELLOW, -1);
      init_pair(kPairHint, COLOR_CYAN, -1);
    }

    std::vector<TransportEvent> events;
    while (!quit_ && !QuitRequested()) {
      Draw();
      std::vector<pollfd> descriptors;
      transport_->AddPollDescriptors(&descriptors);
      descriptors.push_back({STDIN_FILENO, POLLIN, 0});
      poll(descriptors.data(), descriptors.size(), 100);
      transport_->Service(&events);
      Take(&events);
      int character;
      while ((character = getch()) != ERR) HandleKey(character);
    }
    endwin();
    return 0;
  }

 private:
  void Take(std::vector<TransportEvent>* events) {
    for (const TransportEvent& event : *events) {
      std::uint8_t lamps = 0;
      switch (event.kind) {
        case TransportEvent::kBridgeConnected:
          Say("the bridge opened the panel", false);
          break;
        case TransportEvent::kBridgeDisconnected:
          Say("the bridge closed the panel", true);
          break;
        case TransportEvent::kOutputReport:
          if (DecodeLampReport(event.report.data(), event.report.size(), &lamps)) lamps_ = lamps;
          break;
      }
    }
    events->clear();
  }

  void Say(const char* text, bool warning) {
    status_ = text;
    statusIsWarning_ = warning;
  }

  void Perform(const PanelAction& action) {
    const PanelSession::Outcome outcome = session_.Do(action);
    if (outcome == PanelSession::kNoBridge) {
      Say("no bridge has the panel open: report not delivered", true);
    } else {
      Say("", false);
    }
  }

  void Turn(bool outer, int steps) {
    Perform({outer ? PanelAction::kTurnOuter : PanelAction::kTurnInner, steps, PanelKey::Push});
    (outer ? outerCount_ : innerCount_) += steps;
    (outer ? outerFlash_ : innerFlash_) = Clock::now() + kFlash;
    (outer ? outerDirection_ : innerDirection_) = steps;
  }

  void SelectMode(int mode) { Perform({PanelAction::kSelectMode, mode, PanelKey::Push}); }

  bool Held(PanelKey key) const { return (session_.controls().keys & KeyMask(key)) != 0; }

  void Tap(PanelKey key) {
    if (Held(key)) {
      Perform({PanelAction::kRelease, 0, key});
      return;
    }
    Perform({PanelAction::kPress, 0, key});
    Perform({PanelAction::kRelease, 0, key});
    flash_[static_cast<int>(key)] = Clock::now() + kFlash;
  }

  void ToggleHold(PanelKey key) { Perform({Held(key) ? PanelAction::kRelease : PanelAction::kPress, 0, key}); }

  void HandleKey(int character) {
    const int mode = session_.controls().mode;
    switch (character) {
      case 'q':
      case 'Q':
        quit_ = true;
        return;
      case KEY_LEFT:
      case '[':
        Turn(true, -1);
        return;
      case KEY_RIGHT:
      case ']':
        Turn(true, +1);
        return;
      case ',':
      case '<':
        Turn(false, -1);
        return;
      case '.':
      case '>':
        Turn(false, +1);
        return;
      case KEY_UP:
        SelectMode(mode >= kPanelModeCount - 1 ? 0 : mode + 1);
        return;
      case KEY_DOWN:
        SelectMode(mode <= 0 || mode >= kPanelModeCount ? kPanelModeCount - 1 : mode - 1);
        return;
      case KEY_RESIZE:
        clear();
        return;
      default:
        break;
    }
    if (character >= '0' && character < '0' + kPanelModeCount) {
      SelectMode(character - '0');
      return;
    }
    for (const KeyBinding& binding : kKeyBindings) {
      if (character == binding.character) {
        Tap(binding.key);
        return;
      }
      if (binding.character != ' ' && character == binding.character - 'a' + 'A') {
        ToggleHold(binding.key);
        return;
      }
    }
  }

  bool Flashing(Clock::time_point until) const { return Clock::now() < until; }

  // Draws one key box; held and freshly tapped keys stand out.
  void DrawKey(int row, int column, const char* label, PanelKey key, bool lit) {
    attr_t attributes = A_NORMAL;
    short pair = 0;
    if (Held(key)) {
      attributes = A_BOLD | A_REVERSE;
    } else if (Flashing(flash_[static_cast<int>(key)])) {
      pair = kPairFlash;
    } else if (lit) {
      pair = kPairLamp;
    }
    attron(attributes | COLOR_PAIR(pair));
    mvprintw(row, column, "[%-4s]", label);
    attroff(attributes | COLOR_PAIR(pair));
  }

  void DrawKnob(int row, const char* name, int count, int direction, Clock::time_point flash, const char* keys) {
    mvprintw(row, 2, "%-10s", name);
    const bool turning = Flashing(flash);
    if (turning) attron(COLOR_PAIR(kPairFlash));
    printw("%s %+5d %s", turning && direction < 0 ? "<<" : " <", count, turning && direction > 0 ? ">>" : "> ");
    if (turning) attroff(COLOR_PAIR(kPairFlash));
    attron(COLOR_PAIR(kPairHint));
    mvprintw(row, 34, "%s", keys);
    attroff(COLOR_PAIR(kPairHint));
  }

  void Draw() {
    erase();
    const PanelControls& controls = session_.controls();
    const bool navigatorMode = controls.mode == 4 || controls.mode == 5;

    attron(A_BOLD);
    mvprintw(0, 1, "DORVIK  virtual panel");
    attroff(A_BOLD);
    mvprintw(1, 1, "link:   %s", transport_->Description().c_str());
    mvprintw(2, 1, "bridge: ");
    const bool connected = transport_->BridgeConnected();
    attron(COLOR_PAIR(connected ? kPairGood : kPairWarn) | A_BOLD);
    printw("%s", connected ? "connected (panel open)" : "waiting for the bridge to open the panel");
    attroff(COLOR_PAIR(connected ? kPairGood : kPairWarn) | A_BOLD);

    mvprintw(4, 2, "%-10s", "MODE");
    for (int mode = 0; mode < kPanelModeCount; ++mode) {
      const bool selected = mode == controls.mode;
      if (selected) attron(COLOR_PAIR(kPairSelected) | A_BOLD);
      printw("%d %s", mode, ModeName(mode));
      if (selected) attroff(COLOR_PAIR(kPairSelected) | A_BOLD);
      printw(" ");
    }
    attron(COLOR_PAIR(kPairHint));
    mvprintw(5, 12, "%s", controls.mode < kPanelModeCount ? kModeHints[controls.mode] : "");
    attroff(COLOR_PAIR(kPairHint));

    DrawKnob(7, "OUTER", outerCount_, outerDirection_, outerFlash_, "Left Right  or  [ ]");
    DrawKnob(8, "INNER", innerCount_, innerDirection_, innerFlash_, ", .");
    mvprintw(9, 2, "%-10s", "PUSH");
    DrawKey(9, 12, "PUSH", PanelKey::Push, false);
    attron(COLOR_PAIR(kPairHint));
    mvprintw(9, 34, "space");
    attroff(COLOR_PAIR(kPairHint));
    mvprintw(10, 2, "%-10s", "SWAP");
    DrawKey(10, 12, "SWAP", PanelKey::Swap, false);
    attron(COLOR_PAIR(kPairHint));
    mvprintw(10, 34, "s   (S holds it)");
    attroff(COLOR_PAIR(kPairHint));

    mvprintw(12, 2, "%-10s", navigatorMode ? "NAVIGATOR" : "AUTOPILOT");
    for (int bit = 0; bit < kLampCount; ++bit) {
      const bool lit = (lamps_ >> bit & 1) != 0;
      DrawKey(12, 12 + bit * 7, navigatorMode ? kNavigatorLabels[bit] : LampName(bit), LampKey(bit), lit);
    }
    attron(COLOR_PAIR(kPairHint));
    mvprintw(12, 55, "a h n p l v");
    attroff(COLOR_PAIR(kPairHint));
    mvprintw(13, 2, "%-10s", "lamps");
    for (int bit = 0; bit < kLampCount; ++bit) {
      const bool lit = (lamps_ >> bit & 1) != 0;
      if (lit) attron(COLOR_PAIR(kPairGood) | A_BOLD);
      mvprintw(13, 12 + bit * 7, lit ? "  ON  " : "  --  ");
      if (lit) attroff(COLOR_PAIR(kPairGood) | A_BOLD);
    }

    mvprintw(15, 2, "%-10s", "FMS KEYS");
    DrawKey(15, 12, "D->", PanelKey::DirectTo, false);
    DrawKey(15, 19, "MENU", PanelKey::Menu, false);
    DrawKey(15, 26, "CLR", PanelKey::Clear, false);
    DrawKey(15, 33, "ENT", PanelKey::Enter, false);
    attron(COLOR_PAIR(kPairHint));
    mvprintw(15, 55, "d m c e");
    attroff(COLOR_PAIR(kPairHint));

    mvprintw(17, 2, "%-10s", "report");
    if (session_.HasReported()) {
      for (unsigned char byte : session_.lastReport()) printw("%02x ", byte);
    } else {
      printw("(none sent yet)");
    }
    if (!status_.empty()) {
      const short pair = statusIsWarning_ ? kPairWarn : kPairGood;
      attron(COLOR_PAIR(pair));
      mvprintw(18, 12, "%s", status_.c_str());
      attroff(COLOR_PAIR(pair));
    }

    attron(A_DIM);
    mvprintw(20, 1, "keys: 0-7 or Up/Down mode   Left/Right or [ ] outer knob   , . inner knob");
    mvprintw(21, 1, "      space push   s swap   a h n p l v autopilot   d m c e navigator");
    mvprintw(22, 1, "      capital letter holds a key until pressed again   q or Ctrl-C quit");
    attroff(A_DIM);
    refresh();
  }

  PanelTransport* transport_;
  PanelSession session_;
  bool quit_ = false;
  std::uint8_t lamps_ = 0;
  int outerCount_ = 0;
  int innerCount_ = 0;
  int outerDirection_ = 0;
  int innerDirection_ = 0;
  Clock::time_point outerFlash_;
  Clock::time_point innerFlash_;
  Clock::time_point flash_[kPanelKeyCount] = {};
  std::string status_;
  bool statusIsWarning_ = false;
};

}  // namespace

int RunInteractive(PanelTransport* transport) {
  Screen screen(transport);
  return screen.Run();
}

}  // namespace virtualpanel

#include "app/linux/TrayStateLook.h"

// The resources live in a static library, where nothing would otherwise pull
// in their registration; this must sit outside any namespace.
static void RegisterEmblems() { Q_INIT_RESOURCE(emblems); }

namespace {

const char* EmblemName(TrayState state) {
  switch (state) {
    case TrayWaiting:
      return "waiting";
    case TrayConnected:
      return "connected";
    case TrayStandby:
      break;
  }
  return "standby";
}

}  // namespace

QString EmblemPath(TrayState state, int size) {
  static const bool registered = (RegisterEmblems(), true);
  (void)registered;
  return QStringLiteral(":/emblems/%1-%2.png").arg(QLatin1String(EmblemName(state))).arg(size);
}

QIcon TrayStateIcon(TrayState state) {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 256}) icon.addFile(EmblemPath(state, size), QSize(size, size));
  return icon;
}

QString TrayStateToolTip(TrayState state, const QString& profileName) {
  switch (state) {
    case TrayWaiting:
      return QStringLiteral("VESTREL\nWaiting for Dorvik");
    case TrayConnected: {
      QString tip = QStringLiteral("VESTREL\nConnected to MSFS");
      if (profileName.isEmpty()) return tip;
      tip += QStringLiteral("\nProfile: ") + profileName;
      constexpr int kLongest = 127;
      // Never half a surrogate pair at the cut.
      int length = tip.size() > kLongest ? kLongest : static_cast<int>(tip.size());
      if (length < tip.size() && tip.at(length - 1).isHighSurrogate()) --length;
      return tip.left(length);
    }
    case TrayStandby:
      break;
  }
  return QStringLiteral("VESTREL\nStandby");
}

#pragma once

#include <QImage>
#include <QString>
#include <QSystemTrayIcon>

#include "app/TrayState.h"

// The committed artwork, read from the source tree rather than from the
// resources, so a mix-up in the resource file shows.
inline QImage CommittedEmblem(const char* name, int size) {
  return QImage(QStringLiteral(VP_ICON_DIR "/%1-%2.png").arg(QLatin1String(name)).arg(size))
      .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The picture the icon would hand the tray at `size` pixels.
inline QImage Shown(const QSystemTrayIcon& icon, int size) {
  return icon.icon().pixmap(QSize(size, size)).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

struct Look {
  TrayState state;
  const char* emblem;
  const char* toolTip;
};

// Every state as the user sees it; the last one is the start-up state, so
// walking the table changes the state at every step.
inline constexpr Look kLooks[] = {
    {TrayWaiting, "waiting", "VESTREL\nWaiting for Dorvik"},
    {TrayConnected, "connected", "VESTREL\nConnected to MSFS"},
    {TrayStandby, "standby", "VESTREL\nStandby"},
};

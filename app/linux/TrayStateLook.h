#pragma once

#include <QIcon>
#include <QString>

#include "supervisor/TrayState.h"

// What the tray shows for each connection state: the emblem in grey
// (standby), yellow (waiting for the panel) or green (connected), in every
// size the desktop may ask for, and a two-line tooltip.
QIcon TrayStateIcon(TrayState state);
// With `profileName` not empty and the bridge connected, a third line names
// the aircraft profile in use, cut so the whole stays within 127 characters.
QString TrayStateToolTip(TrayState state, const QString& profileName = QString());

// Resource path of one emblem picture, e.g. ":/emblems/standby-32.png".
QString EmblemPath(TrayState state, int size);

#pragma once

#include <QIcon>
#include <QString>

#include "supervisor/TrayState.h"

// What the tray shows for each connection state: the emblem in grey
// (standby), yellow (waiting for the panel) or green (connected), in every
// size the desktop may ask for, and a two-line tooltip.
QIcon TrayStateIcon(TrayState state);
QString TrayStateToolTip(TrayState state);

// Resource path of one emblem picture, e.g. ":/emblems/standby-32.png".
QString EmblemPath(TrayState state, int size);

#!/usr/bin/env bash
# Takes the Windows screenshots of docs/windows.md: the bridge under Wine in
# a virtual X display, in a Wine desktop with its taskbar, where the tray icon
# shows its tooltip, its menu (opened by a real right click) and the About
# box. Needs `make windows` and the Wine prefix of the Windows test stage.
set -euo pipefail
cd "$(dirname "$0")/../.."

export WINEPREFIX="$PWD/build-win/wine-prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
[[ -x build-win/bin/vestrel-pelvar.exe ]] || { echo "run make windows first" >&2; exit 1; }
[[ -f "$WINEPREFIX/system.reg" ]] || { echo "run scripts/test-stages/windows.sh first (it creates the Wine prefix)" >&2; exit 1; }

shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
cat >"$shots/take.sh" <<SCRIPT
set -eu
trap '"$wineserver" -k 2>/dev/null || true' EXIT
exe=\$("$wine" winepath -w "$PWD/build-win/bin/vestrel-pelvar.exe" 2>/dev/null)
# The desktop named "shell" gets a taskbar with a notification area.
"$wine" explorer /desktop=shell,720x400 "\$exe" &
sleep 8
# Tray icon at the right end of the taskbar: hover for the tooltip.
xdotool mousemove 710 390; sleep 3
import -window root "$shots/tooltip.png"
xdotool click 3; sleep 2
import -window root "$shots/menu.png"
# "&Info..." is the lower of the two entries; then back to the icon.
xdotool mousemove 684 368 click 1; sleep 3
xdotool mousemove 710 390; sleep 3
import -window root "$shots/about.png"
SCRIPT
xvfb-run -a -s "-screen 0 720x400x24 -nolisten tcp" bash "$shots/take.sh"

cp "$shots/about.png" docs/windows-about.png
convert "$shots/menu.png" -crop 240x100+480+300 +repage docs/windows-menu.png
echo "docs/windows-about.png, docs/windows-menu.png updated"

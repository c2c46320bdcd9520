#!/usr/bin/env bash
# The Debian packages as a user meets them: built as a Debian builder builds them
# (scripts/package --clean: a bare Debian 12 with only build-essential and the declared
# Build-Depends, every build step run), checked by lintian, desktop-file-validate and
# appstreamcli, installed with dpkg -i, run resident on a private X server with a tray host,
# shown on the first start, started again with and without a switch (which must hand over to the
# first copy and end), asked for Help with no PDF viewer (which must say so), and removed
# with dpkg -r, after which nothing of them may remain under /usr. Installing touches the real
# /usr, so this runs only as root (a throw-away machine) and skips (status 77) otherwise.
# Where the clean build cannot run (no Debian mirror within reach, no debootstrap), the
# packages are built on this machine instead and checked all the same, and the test ends
# skipped, not passed, saying why: the build dependencies were not proven.
#
#   package-test.sh SOURCE_DIR OUTPUT_DIR
set -euo pipefail
source_dir="$1"
out="$2"

if [ "$(id -u)" -ne 0 ]; then
    echo "SKIPPED: the package test installs into /usr with dpkg; run it as root on a" \
        "throw-away machine" >&2
    exit 77
fi
for tool in Xvfb trayer xdotool xwininfo; do
    command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is missing (scripts/deps)" >&2; exit 77; }
done

failures=0
fail() { echo "FAIL $*" >&2; failures=$((failures + 1)); }
ok() { echo "ok   $*"; }
# Waits for a condition. The bound is for a program that hangs, not a measure of speed: a
# loaded machine may take many times an idle one's time and must still pass. With --while PID,
# the wait ends (failing) as soon as that process has ended, since nothing more will come.
wait_until() { # [--while PID] SECONDS COMMAND...
    local pid=""
    if [ "$1" = --while ]; then
        pid="$2"
        shift 2
    fi
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -ge "$deadline" ] && return 1
        [ -n "$pid" ] && ! kill -0 "$pid" 2>/dev/null && { "$@"; return; }
        sleep 0.05
    done
}

work="$(mktemp -d "${TMPDIR:-/tmp}/tactilo-package.XXXXXX")"
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill -TERM "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    dpkg -r tactilo tactilo-tools >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

# --- Build and static checks -----------------------------------------------------------
# The build's progress (a line every few seconds) goes to the test's output as it comes.
clean_skipped=""
build_status=0
TACTILO_PACKAGE_DIR="$out" "$source_dir/scripts/package" --clean 2>&1 |
    tee "$work/package.log" || build_status=$?
if [ "$build_status" = 77 ]; then
    clean_skipped="$(grep -m1 'cannot build in a clean environment' "$work/package.log")"
    build_status=0
    TACTILO_PACKAGE_DIR="$out" "$source_dir/scripts/package" 2>&1 | tee "$work/package.log" ||
        build_status=$?
fi
[ "$build_status" = 0 ] ||
    { echo "FAIL scripts/package${clean_skipped:+ (on this machine)}" >&2; exit 1; }
[ -n "$clean_skipped" ] ||
    ok "built in a clean Debian with the declared Build-Depends, test step included"
version="$(cd "$source_dir" && dpkg-parsechangelog -S Version)"
main_deb="$out/tactilo_${version}_amd64.deb"
tools_deb="$out/tactilo-tools_${version}_amd64.deb"
[ -f "$main_deb" ] && [ -f "$tools_deb" ] && ok "built $(basename "$main_deb") and $(basename "$tools_deb")" ||
    { fail "the packages are missing: $(ls "$out")"; exit 1; }

# Warnings that stay are explained in debian/*.lintian-overrides, which silence them.
if lintian --fail-on error "$main_deb" "$tools_deb" >"$work/lintian.log" 2>&1; then
    ok "lintian: no errors, $(grep -c '^W:' "$work/lintian.log" || true) warnings"
else
    fail "lintian:"
    cat "$work/lintian.log" >&2
fi
grep '^W:' "$work/lintian.log" >&2 || true

mkdir -p "$work/unpacked"
dpkg-deb -x "$main_deb" "$work/unpacked"
desktop-file-validate "$work/unpacked/usr/share/applications/Tactilo.desktop" >"$work/dfv.log" 2>&1 &&
    ! grep -q . "$work/dfv.log" && ok "desktop-file-validate" ||
    { fail "desktop-file-validate:"; cat "$work/dfv.log" >&2; }
appstreamcli validate --no-net "$work/unpacked"/usr/share/metainfo/*.metainfo.xml \
    >"$work/as.log" 2>&1 && ok "appstreamcli validate --no-net" ||
    { fail "appstreamcli validate:"; cat "$work/as.log" >&2; }

# --- Install ---------------------------------------------------------------------------
if ! dpkg -i "$main_deb" "$tools_deb" >"$work/dpkg.log" 2>&1; then
    # Dependencies dpkg cannot fetch itself (a fresh machine without the Qt plugins).
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -f >>"$work/dpkg.log" 2>&1 ||
        { cat "$work/dpkg.log" >&2; fail "dpkg -i"; exit 1; }
fi
ok "dpkg -i"
dpkg -L tactilo tactilo-tools | sort -u >"$work/files"

said="$(/usr/bin/Tactilo --version 2>&1)" || true
[ "$said" = "Tactilo $version" ] && ok "Tactilo --version: $said" || fail "Tactilo --version: '$said'"
for page in Tactilo tactilo-sim tactilo-packets tactilo-xwatch; do
    path="$(man -w "$page" 2>/dev/null)" && ok "man -w $page: $path" || fail "man -w $page"
done
for size in 16 22 24 32 48 64 128 256; do
    icon="/usr/share/icons/hicolor/${size}x${size}/apps/tactilo.png"
    got="$(identify -format '%wx%h' "$icon" 2>/dev/null)" || got="missing"
    [ "$got" = "${size}x${size}" ] || fail "icon $icon: $got"
done
[ -f /usr/share/icons/hicolor/scalable/apps/tactilo.svg ] || fail "the SVG icon is missing"
[ -f /usr/lib/udev/rules.d/70-tactilo-uinput.rules ] && ok "the uinput udev rule" ||
    fail "the uinput udev rule is not installed"
ok "icons at 16 to 256 pixels and as SVG"
grep -q '^Exec=Tactilo$' /usr/share/applications/Tactilo.desktop &&
    grep -q '^Icon=tactilo$' /usr/share/applications/Tactilo.desktop &&
    ok "desktop entry" || fail "desktop entry: $(cat /usr/share/applications/Tactilo.desktop)"
[ -f /usr/share/doc/tactilo/Help.pdf ] && ok "the manual in /usr/share/doc/tactilo" ||
    fail "Help.pdf is not installed"

# --- Resident copy and hand-over -------------------------------------------------------
export XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_until --while $! 120 test -s "$work/display" ||
    { cat "$work/xvfb.log" >&2; fail "Xvfb"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
trayer --SetDockType true --edge top --align left --widthtype pixel --width 200 \
    --heighttype pixel --height 32 >"$work/trayer.log" 2>&1 &
pids+=($!)
trayer_ready() { xwininfo -root -tree 2>/dev/null | grep -q '("panel" "trayer")'; }
wait_until --while $! 120 trayer_ready ||
    { fail "trayer did not start:"; cat "$work/trayer.log" >&2; exit 1; }

start_tactilo() { # LOG [SWITCH...]
    local log="$1"
    shift
    (cd / && exec env -u DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM=xcb \
        XDG_DATA_DIRS="$work/data" XDG_DATA_HOME="$work/data" Tactilo "$@") >"$log" 2>&1 &
}
start_tactilo "$work/first.log"
first=$!
pids+=("$first")
tray_icon_shown() {
    local id
    for id in $(xdotool search --pid "$first" 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)"
        if [ "${X:-999}" -lt 200 ] && [ "${Y:-999}" -lt 32 ] && [ "${WIDTH:-0}" -gt 1 ] &&
            [ "${WIDTH:-99}" -le 64 ]; then
            icon_x=$((X + WIDTH / 2)) icon_y=$((Y + HEIGHT / 2))
            return 0
        fi
    done
    return 1
}
wait_until --while "$first" 120 tray_icon_shown && ok "the installed Tactilo shows its tray icon" ||
    { fail "no tray icon:"; cat "$work/first.log" >&2; }
manager_window() { xdotool search --onlyvisible --name '^Tactilo - Device Manager$' 2>/dev/null; }
manager_shown() { [ -n "$(manager_window)" ]; }
manager_hidden() { ! manager_shown; }
# Escape is Cancel: the window goes back into the tray and the program keeps running.
hide_manager() {
    local id
    id="$(manager_window | head -n1)"
    [ -n "$id" ] && xdotool windowfocus --sync "$id" key Escape 2>/dev/null
    wait_until --while "$first" 120 manager_hidden
}
wait_until --while "$first" 120 manager_shown &&
    ok "the first start, with no device yet, shows the Device Manager" ||
    fail "the first start showed no Device Manager"
hide_manager && ok "Escape hides the Device Manager into the tray" ||
    fail "Escape did not hide the Device Manager"

# Every later start hands over to the running copy and ends: the desktop's "Device Manager"
# action (/s) and a plain start alike. A second copy would show a second icon and fight the
# first for the port.
for switches in "/s" ""; do
    start_tactilo "$work/second.log" $switches
    second=$!
    pids+=("$second")
    status=""
    if wait_until 120 sh -c "! kill -0 $second 2>/dev/null"; then
        status=0
        wait "$second" || status=$?
    fi
    [ "$status" = 0 ] && ok "a second start${switches:+ with $switches} ended (status 0)" ||
        { fail "a second start${switches:+ with $switches}: status '${status:-still running}'"; cat "$work/second.log" >&2; }
    wait_until --while "$first" 120 manager_shown &&
        ok "the first copy shows its Device Manager" ||
        fail "no Device Manager after a second start${switches:+ with $switches}"
    hide_manager || fail "Escape did not hide the Device Manager"
done

# Help where no program opens PDF files (none is installed here, and the desktop's list
# is emptied): the user is told, in a message box, instead of nothing happening.
tactilo_message_shown() { xdotool search --onlyvisible --pid "$first" --name '^Tactilo$' >/dev/null 2>&1; }
visible_windows() { xdotool search --onlyvisible --pid "$first" 2>/dev/null | wc -l; }
more_windows_than() { [ "$(visible_windows)" -gt "$1" ]; }
if [ -n "${icon_x:-}" ]; then
    # The menu opens on the right press; from its end, Exit, Options... and Help lie above.
    before="$(visible_windows)"
    xdotool mousemove --sync "$icon_x" "$icon_y" mousedown 3 mouseup 3
    wait_until --while "$first" 120 more_windows_than "$before" || fail "the tray menu did not open"
    xdotool key Up Up Up Return
    wait_until --while "$first" 120 tactilo_message_shown &&
        ok "Help without a PDF viewer says so in a message" ||
        fail "Help without a PDF viewer showed no message"
fi
kill -0 "$first" 2>/dev/null && ok "the first copy still runs" || fail "the first copy ended"
kill -TERM "$first"
wait "$first" 2>/dev/null || true

# --- Removal ---------------------------------------------------------------------------
dpkg -r tactilo tactilo-tools >"$work/remove.log" 2>&1 && ok "dpkg -r" ||
    { fail "dpkg -r:"; cat "$work/remove.log" >&2; }
left=""
while read -r path; do
    case "$path" in /usr/*) ;; *) continue ;; esac
    [ -e "$path" ] && [ ! -d "$path" ] && left="$left $path"
done <"$work/files"
left="$left $(find /usr \( -iname '*tactilo*' -o -name 'io.github.tactilo*' \) -print 2>/dev/null | tr '\n' ' ')"
left="$(echo "$left" | xargs)"
[ -z "$left" ] && ok "nothing of the packages remains under /usr" || fail "left under /usr: $left"

[ "$failures" = 0 ] || { echo "$failures checks failed" >&2; exit 1; }
if [ -n "$clean_skipped" ]; then
    echo "SKIPPED: the clean build (${clean_skipped#*here: }); every other check passed on" \
        "packages built on this machine" >&2
    exit 77
fi
echo "all package checks passed"

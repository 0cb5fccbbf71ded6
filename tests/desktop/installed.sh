#!/usr/bin/env bash
# Installs the build into a scratch prefix and runs the installed copy from
# there, with a scratch home so that nothing of the user's is read or written.
# The copy must run without the source tree, keep its files beside itself only
# while its folder is writable and in the user's folders otherwise, and the
# menu entry must find its program and its icons.
# Usage: installed.sh BUILD_DIR SOURCE_DIR APP_ID VERSION
set -euo pipefail
build=$1 source=$2 appid=$3 version=$4
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

scratch=$(cd "$(mktemp -d)" && pwd -P)
gui=
# The window runs until ended; under strace the program is the tracer's child.
stop_gui() {
    [ -n "$gui" ] || return 0
    kill $(pgrep -P "$gui") "$gui" 2>/dev/null || true
    wait "$gui" 2>/dev/null || true
    gui=
}
cleanup() {
    stop_gui
    chmod -R u+w "$scratch" 2>/dev/null
    rm -rf "$scratch"
}
trap cleanup EXIT
chmod 755 "$scratch"
prefix=$scratch/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
program=$prefix/bin/pinlex
[ -x "$program" ] || { echo "FAIL: nothing installed at $program" >&2; exit 1; }

home=$scratch/home
mkdir -p "$home"/config "$home"/data "$home"/cache "$home"/runtime
chmod 700 "$home"/runtime
as_user=()
environment=(env -i PATH=/usr/bin:/bin HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
    XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$home/runtime" QT_QPA_PLATFORM=offscreen)
run() { (cd "$home" && exec "${environment[@]}" "$@"); }

# ---- the menu entry's program and icons ----
entry=$prefix/share/applications/$appid.desktop
exec_line=$(sed -n 's/^Exec=//p' "$entry")
[ -x "$prefix/bin/${exec_line%% *}" ] || fail "the menu entry runs '$exec_line', which is not installed in bin"
icon=$(sed -n 's/^Icon=//p' "$entry")
icons=$prefix/share/icons/hicolor
[ -f "$icons/scalable/apps/$icon.svg" ] || fail "no scalable icon $icon.svg"
pngs=0
for png in "$icons"/*x*/apps/"$icon".png; do
    [ -f "$png" ] || continue
    pngs=$((pngs + 1))
    folder=$(basename "$(dirname "$(dirname "$png")")")
    read -r w0 w1 w2 w3 h0 h1 h2 h3 < <(od -An -tu1 -j16 -N8 "$png")
    size="$(((w0 << 24) | (w1 << 16) | (w2 << 8) | w3))x$(((h0 << 24) | (h1 << 16) | (h2 << 8) | h3))"
    [ "$size" = "$folder" ] || fail "icon in $folder is $size pixels"
done
[ "$pngs" -ge 8 ] || fail "only $pngs PNG icons installed for $icon"
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$entry" || fail "installed menu entry does not validate"
fi
if command -v appstreamcli >/dev/null 2>&1; then
    appstreamcli validate-tree --no-net "$prefix" >/dev/null || fail "installed tree does not validate (appstreamcli validate-tree)"
fi

# ---- the installed copy runs ----
touch "$scratch/installed"
[ "$(run "$program" --version)" = "Pinlex $version" ] || fail "--version does not print 'Pinlex $version'"
# An installed copy keeps its files in the user's folders, even in a prefix
# the user may write.
tally=$(run "$program" --tally | sed -n 1p)
[ "$tally" = "Tally file: $home/data/Pinlex/Pinlex1tally.tld" ] ||
    fail "writable prefix: expected the tally in XDG_DATA_HOME, got '$tally'"

# ---- in a folder the user may not write, it uses the user's folders ----
if [ "$(id -u)" -eq 0 ]; then
    # Root may write anywhere: play a user who may not.
    if ! command -v setpriv >/dev/null 2>&1 || ! id nobody >/dev/null 2>&1; then
        echo "SKIP: running as root without setpriv or the user nobody" >&2
        exit 77
    fi
    chown -R nobody "$home"
    as_user=(setpriv --reuid="$(id -u nobody)" --regid="$(id -g nobody)" --clear-groups --)
else
    chmod -R a-w "$prefix"
fi
tally=$(run "${as_user[@]}" "$program" --tally | sed -n 1p)
[ "$tally" = "Tally file: $home/data/Pinlex/Pinlex1tally.tld" ] ||
    fail "read-only prefix: expected the tally in XDG_DATA_HOME, got '$tally'"

# The window with one launch parameter opens no connection. Watch which
# files it opens while it starts, if we can; its run marker in the runtime
# folder says the window is up.
tracer=()
if command -v strace >/dev/null 2>&1 && strace -o /dev/null true 2>/dev/null; then
    tracer=(strace -f -qq -e trace=%file -o "$scratch/files.log")
fi
(cd "$home" && exec "${environment[@]}" "${tracer[@]}" "${as_user[@]}" "$program" Tester) 2>"$scratch/gui.err" &
gui=$!
started=
for _ in $(seq 100); do
    [ -e "$home/runtime/Pinlex.lock" ] && started=1
    [ -n "$started" ] || ! kill -0 "$gui" 2>/dev/null && break
    sleep 0.1
done
stop_gui
[ -n "$started" ] || fail "read-only prefix: the window did not start ($(head -c 400 "$scratch/gui.err"))"
written=$(find "$prefix" -newer "$scratch/installed")
[ -z "$written" ] || fail "the installed copy wrote into its prefix: $written"
if [ -f "$scratch/files.log" ] && grep -F "$source/" "$scratch/files.log" >"$scratch/source.log"; then
    fail "the installed copy opened files of the source tree: $(head -n 5 "$scratch/source.log")"
fi
exit $status

#!/usr/bin/env bash
# run-under-atspi.sh COMMAND [ARGS...]
#
# Runs COMMAND inside a private X server (Xvfb), a private D-Bus session bus and a
# private AT-SPI accessibility bus, with a fresh HOME and XDG_RUNTIME_DIR, so that
# COMMAND can start a Qt 6 Widgets program (it inherits DISPLAY,
# QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1, DBUS_SESSION_BUS_ADDRESS, HOME, ...) and read
# its accessible tree with pyatspi (see desk.py).
#
# Environment knobs:
#   ATSPI_DISPLAY  X display number to use (default: first free from 91 up)
#   ATSPI_SCREEN   Xvfb screen geometry (default 1280x1024x24)
#   ATSPI_KEEP     if set, keep the temporary HOME (its path is printed on stderr)
# Exit status: that of COMMAND (or 1 when the setup failed).
set -u

if [ $# -eq 0 ]; then
  echo "usage: $0 COMMAND [ARGS...]" >&2
  exit 2
fi

# 1. Private session bus: re-exec ourselves under dbus-run-session once.
if [ -z "${_ATSPI_INNER:-}" ]; then
  export _ATSPI_INNER=1
  exec dbus-run-session -- "$0" "$@"
fi
unset _ATSPI_INNER

pids=()
xpid=
tmp=$(mktemp -d /tmp/atspi-run.XXXXXX)
cleanup() {
  local p
  for p in "${pids[@]}" ${xpid:-}; do kill "$p" 2>/dev/null; done
  for p in "${pids[@]}" ${xpid:-}; do wait "$p" 2>/dev/null; done
  if [ -n "${ATSPI_KEEP:-}" ]; then echo "run-under-atspi: kept $tmp" >&2; else rm -rf "$tmp"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# 2. Fresh HOME / XDG dirs (Qt keeps settings and its single-instance socket there).
export HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/run" XDG_CONFIG_HOME="$tmp/home/.config" \
       XDG_CACHE_HOME="$tmp/home/.cache" XDG_DATA_HOME="$tmp/home/.local/share"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_DATA_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"

# 3. Xvfb on a free display. Two runs may pick the same number at once, so a
#    display counts as ours only when its lock file holds our Xvfb's pid.
n=${ATSPI_DISPLAY:-91}
xpid=
for _try in $(seq 50); do
  if [ ! -e "/tmp/.X$n-lock" ]; then
    Xvfb ":$n" -screen 0 "${ATSPI_SCREEN:-1280x1024x24}" -nolisten tcp -noreset >"$tmp/xvfb.log" 2>&1 &
    xpid=$!
    for _ in $(seq 200); do
      kill -0 "$xpid" 2>/dev/null || break
      if [ -S "/tmp/.X11-unix/X$n" ] && [ "$(tr -d ' \n' <"/tmp/.X$n-lock" 2>/dev/null)" = "$xpid" ]; then
        break 2
      fi
      sleep 0.025
    done
    kill "$xpid" 2>/dev/null; wait "$xpid" 2>/dev/null; xpid=
  fi
  [ -n "${ATSPI_DISPLAY:-}" ] && break
  n=$((n + 1))
done
[ -n "$xpid" ] || { echo "run-under-atspi: could not start Xvfb (last tried :$n)" >&2; cat "$tmp/xvfb.log" >&2; exit 1; }
export DISPLAY=":$n"

# 4. AT-SPI bus. The launcher owns org.a11y.Bus on the session bus, starts a
#    private dbus-daemon (the "a11y bus") and, through it, at-spi2-registryd.
#    (It would also be D-Bus-activated on first use, but starting it here makes
#    the first query fast and lets us set IsEnabled before the program starts.)
/usr/libexec/at-spi-bus-launcher --launch-immediately >"$tmp/a11y.log" 2>&1 &
pids+=($!)
ok=
for _ in $(seq 100); do
  # NameHasOwner does not activate a second launcher (GetAddress would race ours).
  if dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
       org.freedesktop.DBus.NameHasOwner string:org.a11y.Bus 2>/dev/null | grep -q 'boolean true'; then
    ok=1; break
  fi
  sleep 0.05
done
[ -n "$ok" ] || { echo "run-under-atspi: at-spi-bus-launcher did not come up" >&2; cat "$tmp/a11y.log" >&2; exit 1; }
# Tell toolkits accessibility is on. Either this or the variable below alone is
# enough for Qt 6.4 (with neither, the program never registers).
dbus-send --session --type=method_call --dest=org.a11y.Bus /org/a11y/bus \
  org.freedesktop.DBus.Properties.Set string:org.a11y.Status string:IsEnabled variant:boolean:true
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
export LC_ALL=${LC_ALL:-C.UTF-8}

# 5. The command. Run in the foreground, keep its status.
"$@"

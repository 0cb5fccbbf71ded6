#!/usr/bin/env bash
# A table on the internet behind a router made by tests/lab.sh: the game
# directory runs outside (LAB-out), `pinlex --serve` hosts at home, players
# outside join it by its code.
#   relay_test.sh direct|relayed NETLAB LAB PINLEX
#     direct   miniupnpd runs: the table is listed as direct at the router's
#              outside address, a robot outside joins there and plays a
#              frame, and the mapping is gone once the host stops
#     relayed  no miniupnpd: the table is listed as relayed; the hosting
#              player's own copy, a robot at home and a robot outside
#              (through the directory's relay) play a frame of one game
set -u
[ "$(id -u)" = 0 ] || { echo "skipped: needs root"; exit 77; }
mode=$1 nl=$2 lab=$3 pinlex=$4
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../labtest.sh"
# in NS LOG CMD...: CMD in the namespace, in the background, logged.
spawn() {
    local ns=$1 log=$2
    shift 2
    "$nl" run "$lab-$ns" "$@" >"$work/$log.log" 2>&1 &
    pids+=("$!")
}

outside=$("$nl" addr "$lab-router" | grep -v '^10\.')
out=$("$nl" addr "$lab-out")
directory=$out:7773
T=$'\t'

spawn out directory "$pinlex" --directory --port 7773
wait_line "$work/directory.log" 10000 '^directory listening' >/dev/null || fail "the directory did not start"

port=7840
[ "$mode" = relayed ] && port=7841
spawn home host "$pinlex" --serve --port "$port" --pause 5 --table-name "Lab $mode" --directory-address "$directory"
host_pid=${pids[-1]}
code=$(wait_line "$work/host.log" 15000 'Others can join with the code ' | awk '{print $NF}') ||
    fail "the host got no code"

case $mode in
direct)
    wait_line "$work/host.log" 20000 "reach direct" >/dev/null || fail "the directory did not reach the table"
    listed=$(timeout 20 "$nl" run "$lab-out" "$pinlex" --list-games --seconds 2 --directory-address "$directory")
    grep -qP "^Lab direct\t\Q$outside\E\t$port\t.*\tdirectory\t$code\tdirect$" <<<"$listed" ||
        fail "not listed as direct at $outside:$port: $listed"
    spawn home player /usr/bin/python3 "$here/labplayer.py" 127.0.0.1 "$port" Hostess --start 2
    wait_line "$work/host.log" 10000 '^connection slot 1 from 127\.0\.0\.1' >/dev/null || fail "the host's player did not sit"
    spawn out outsider "$pinlex" --robot --name Outsider "$code" --directory-address "$directory"
    wait_line "$work/outsider.log" 10000 "^joining the game at \Q$outside\E port $port as" >/dev/null ||
        fail "the robot outside did not join at the router's address"
    wait_line "$work/outsider.log" 90000 '^frame 1: ' >/dev/null || fail "the robot outside played no frame"
    kill -TERM "$host_pid"
    wait_line "$work/host.log" 10000 '^stopped$' >/dev/null || fail "the host did not stop"
    sleep 0.5
    mappings=$("$nl" run "$lab-home" upnpc -l 2>/dev/null | grep -E "TCP +$port->")
    [ -z "$mappings" ] || fail "the mapping outlived the host: $mappings"
    echo "direct: $code at $outside:$port, a frame played from outside, mapping gone at exit"
    ;;
relayed)
    wait_line "$work/host.log" 15000 '^The router did not open this game' >/dev/null ||
        fail "the host did not tell of the relay"
    wait_line "$work/host.log" 20000 "reach relayed" >/dev/null || fail "the table was not relayed"
    listed=$(timeout 20 "$nl" run "$lab-out" "$pinlex" --list-games --seconds 2 --directory-address "$directory")
    grep -qP "^Lab relayed\t\Q$outside\E\t$port\t.*\tdirectory\t$code\trelayed$" <<<"$listed" ||
        fail "not listed as relayed: $listed"
    spawn home player /usr/bin/python3 "$here/labplayer.py" 127.0.0.1 "$port" Hostess --start 3
    wait_line "$work/host.log" 10000 '^connection slot 1 from 127\.0\.0\.1' >/dev/null || fail "the host's player did not sit"
    spawn home robot "$pinlex" --robot --name Homebot 127.0.0.1 --port "$port"
    spawn out outsider "$pinlex" --robot --name Outsider "$code" --directory-address "$directory"
    wait_line "$work/outsider.log" 10000 "^joining the game at \Q$out\E port 7773 as .* through the directory's relay" \
        >/dev/null || fail "the robot outside did not join through the relay"
    # To the host it is a player from the address the directory saw.
    wait_line "$work/host.log" 10000 "^connection slot \d from \Q$out\E$" >/dev/null ||
        fail "the relayed player was not seated as $out"
    wait_line "$work/directory.log" 10000 "^relay $code: \Q$out\E joined through the relay" >/dev/null ||
        fail "the directory did not log the relay"
    wait_line "$work/player.log" 10000 '^started with 3 players' >/dev/null || fail "the game did not start"
    wait_line "$work/player.log" 90000 '^played 1 frames' >/dev/null || fail "the hosting player played no frame"
    for robot in robot outsider; do
        wait_line "$work/$robot.log" 10000 '^frame 1: ' >/dev/null || fail "$robot played no frame"
    done
    kill -TERM "$host_pid"
    wait_line "$work/directory.log" 10000 "^relay $code: \Q$out\E ended after \d+ bytes" >/dev/null ||
        fail "the relay did not end with the host"
    echo "relayed: $code through $directory, a frame played by the host's player, a robot and a relayed robot"
    ;;
*)
    echo "usage: $0 direct|relayed NETLAB LAB PINLEX" >&2
    exit 2
    ;;
esac
echo "ok"

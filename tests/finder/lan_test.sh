#!/usr/bin/env bash
# Finding tables across two network namespaces made by tests/lab.sh, with the real
# program: `pinlex --serve` hosts, `pinlex --robot` fills a seat and
# `pinlex --list-games` lists. finderlab only does what the program cannot:
# a hostile answerer, and a watcher that reports how responsive and how big
# a finder stays under it.
#   lan_test.sh mdns|udp|hostile|join NETLAB LAB PINLEX FINDERLAB
# "join" runs the Join dialog of a real window in the second namespace,
# under a private display, read through the accessibility bus.
set -u
[ "$(id -u)" = 0 ] || { echo "skipped: needs root"; exit 77; }
mode=$1 nl=$2 lab=$3 pinlex=$4 finderlab=$5
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../labtest.sh"

# start_host NS NAME PORT [OPTIONS...]: `pinlex --serve` in NS, its pid in
# host_pid[PORT] (netlab run ends in exec: the pid is the program's).
declare -A host_pid
start_host() {
    local ns=$1 name=$2 port=$3
    shift 3
    "$nl" run "$ns" "$pinlex" --serve --port "$port" --table-name "$name" "$@" >"$work/host-$port.log" 2>&1 &
    host_pid[$port]=$!
    pids+=("$!")
}

# stop_host PORT: SIGTERM, as a service manager ends it, and waits for it.
stop_host() {
    kill -TERM "${host_pid[$1]}"
    local _
    for _ in $(seq 50); do kill -0 "${host_pid[$1]}" 2>/dev/null || return 0; sleep 0.1; done
    fail "host on port $1 did not quit"
}

# wait_log FILE REGEX: until a line of FILE matches, for up to 10 s.
wait_log() {
    local _
    for _ in $(seq 100); do grep -q -- "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done
    return 1
}

# robot NS PORT NAME: a computer player joins the host on PORT in NS.
robot() {
    "$nl" run "$1" "$pinlex" --robot --name "$3" 127.0.0.1 --port "$2" >"$work/robot-$3.log" 2>&1 &
    pids+=("$!")
}

list_in() {
    timeout 20 "$nl" run "$1" "$pinlex" --list-games --seconds "$2"
}

# until_listed NS MS REGEX [absent]: lists in NS, one second at a time,
# until a line matches REGEX (or, with "absent", none does); prints how long
# that took in ms. Fails after MS.
until_listed() {
    local ns=$1 limit=$2 re=$3 absent=${4:-} start out
    start=$(now_ms)
    while :; do
        out=$(list_in "$ns" 1) || fail "the list exited with $?"
        # The whole list is one record, so a pattern can ask for two lines.
        if grep -qzP -- "(?m)$re" <<<"$out"; then
            [ -z "$absent" ] && { echo $(( $(now_ms) - start )); return 0; }
        elif [ -n "$absent" ]; then
            echo $(( $(now_ms) - start )); return 0
        fi
        [ $(( $(now_ms) - start )) -le "$limit" ] || { echo "last list: $out" >&2; return 1; }
    done
}

a=$("$nl" addr "$lab-a") b=$("$nl" addr "$lab-b")
T=$'\t'

case $mode in
mdns)
    # From the moment the host listens (a loaded machine may take its time to
    # start the program).
    start_host "$lab-a" "Lab table" 7790
    wait_log "$work/host-7790.log" "^listening on port 7790" || fail "the host did not listen"
    listed=$(until_listed "$lab-b" 5000 "^Lab table\t$a\t7790\t0\t0\twaiting\tlan$") ||
        fail "the host was not listed within 5 s with its fields"

    # From the moment the robot holds its seat.
    robot "$lab-a" 7790 Robbie
    wait_log "$work/host-7790.log" "^connection slot 1 " || fail "the robot did not sit down"
    seated=$(until_listed "$lab-b" 5000 "^Lab table\t$a\t7790\t1\t0\twaiting\tlan$") ||
        fail "a seat filling did not show within 5 s"

    # The same name on the other side: one of the two takes another. Which
    # one is mDNS's conflict resolution, and it depends on timing.
    start_host "$lab-b" "Lab table" 7791
    two_names="(?s)\\A(?:(?=.*^Lab table\t$a\t7790\t)(?=.*^Lab table #2\t$b\t7791\t)"
    two_names+="|(?=.*^Lab table #2\t$a\t7790\t)(?=.*^Lab table\t$b\t7791\t))"
    until_listed "$lab-b" 8000 "$two_names" >/dev/null ||
        fail "a second table of the same name was not listed under another name"

    stop_host 7790
    gone=$(until_listed "$lab-b" 10000 "^Lab table( #2)?\t$a\t" absent) ||
        fail "the host's quitting did not remove it within 10 s"
    echo "listed after $listed ms, seat shown after $seated ms, gone after $gone ms (lists of 1 s)"
    ;;
udp)
    # No daemon on either side: both hosts answer over UDP, sharing its port.
    start_host "$lab-a" "Udp one" 7772
    start_host "$lab-a" "Udp two" 7790
    robot "$lab-a" 7790 Robbie
    want=("Udp one${T}$a${T}7772${T}0${T}0${T}waiting${T}udp" "Udp two${T}$a${T}7790${T}1${T}0${T}waiting${T}udp")
    for line in "${want[@]}"; do
        until_listed "$lab-b" 8000 "^\Q$line\E$" >/dev/null || fail "the list lacks '$line'"
    done
    # Unless told not to.
    start_host "$lab-a" "Udp hidden" 7791 --no-announce
    sleep 1
    out=$(list_in "$lab-b" 3) || fail "the list exited with $?"
    ! grep -q "Udp hidden" <<<"$out" || fail "a host told --no-announce was listed: $out"
    ;;
hostile)
    start_host "$lab-a" "Real table" 7790
    "$nl" run "$lab-b" "$finderlab" --flood --seconds 14 >"$work/flood.log" 2>&1 &
    flood=$!
    pids+=("$flood")
    sleep 0.5
    timeout 30 "$nl" run "$lab-b" "$finderlab" --watch --seconds 6 >"$work/watch.log" 2>&1 || fail "the watcher failed"
    grep -qP "^\d+ \+ Real table\t$a\t7790\t" "$work/watch.log" || fail "the real table was not listed"
    rows=$(awk '$1 == "rows" {print $2}' "$work/watch.log")
    gap=$(awk '$1 == "max-gap-ms" {print $2}' "$work/watch.log")
    rss=$(awk '$1 == "peak-rss-kb" {print $2}' "$work/watch.log")
    [ -n "$rows" ] && [ "$rows" -le 64 ] || fail "unbounded list: $rows rows"
    [ -n "$gap" ] && [ "$gap" -lt 1000 ] || fail "the event loop was away for $gap ms"
    [ -n "$rss" ] && [ "$rss" -lt 200000 ] || fail "peak memory $rss kB"
    # What was listed is within range.
    awk -F'\t' '/^[0-9]+ [+~]/ { split($1, w, " "); name = substr($1, length(w[1]) + 4);
        if ($3 < 1 || $3 > 65535 || length(name) > 24 || $4 > 4 || $5 > 5) { print; bad = 1 } }
        END { exit bad }' "$work/watch.log" || fail "a hostile row got through"
    start=$(now_ms)
    out=$(list_in "$lab-b" 3) || fail "the list exited with $?"
    took=$(( $(now_ms) - start ))
    [ "$took" -lt 8000 ] || fail "the list took $took ms under the flood"
    grep -qP "^Real table\t$a\t7790\t" <<<"$out" || fail "the list lacks the real table: $out"
    wait "$flood"
    sent=$(awk '$1 == "sent" {print $2}' "$work/flood.log")
    [ -n "$sent" ] && [ "$sent" -ge 50000 ] || fail "the flood sent only $sent replies"
    echo "flood: $sent replies; finder: $rows rows, longest pause $gap ms, peak $rss kB; a 3 s list took $took ms"
    ;;
join)
    start_host "$lab-a" "Join table" 7790
    e2e=$here/../e2e
    "$nl" run "$lab-b" "$e2e/run-under-atspi.sh" /usr/bin/python3 "$e2e/test_lanjoin.py" --program "$pinlex" \
        --netlab "$nl" --lab "$lab" --table "Join table" --address "$a" --port 7790 \
        --host-log "$work/host-7790.log" --out "${FINDER_OUT:-$work/join}" || fail "the Join dialog did not join"
    ;;
*)
    echo "usage: $0 mdns|udp|hostile|join NETLAB LAB PINLEX FINDERLAB" >&2
    exit 2
    ;;
esac
echo "ok"

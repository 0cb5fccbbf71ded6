#!/usr/bin/env bash
# Finding tables across two network namespaces made by lab.sh.
#   lan_test.sh mdns|udp|hostile NETLAB LAB
# The programs come from the environment, so that the real program can take
# the test programs' place:
#   FINDER_HOST   announces a table: takes --port P --table-name T and, on
#                 stdin, "seats N", "state playing" and "quit"
#   FINDER_LIST   takes --seconds N; prints one tab-separated line a table:
#                 name, address, port, seats, spectators, state, source
#   FINDER_WATCH  takes --seconds N; prints "<epoch ms> +|~|- <line>" as rows
#                 come, change and go, then "max-gap-ms", "rows", "peak-rss-kb"
#   FINDER_FLOOD  a hostile answerer: takes --seconds N, prints "sent N"
set -u
[ "$(id -u)" = 0 ] || { echo "skipped: needs root"; exit 77; }
mode=$1 nl=$2 lab=$3
work=$(mktemp -d)
pids=()
fds=()

cleanup() {
    local fd pid
    for fd in "${fds[@]}"; do exec {fd}>&-; done
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*"
    for f in "$work"/*.log; do [ -f "$f" ] && { echo "--- ${f##*/}"; tail -40 "$f"; }; done
    exit 1
}

now_ms() { date +%s%3N; }

# wait_line FILE MS REGEX: the first line of FILE matching REGEX (Perl), once
# it is there, within MS milliseconds.
wait_line() {
    local file=$1 end=$(( $(now_ms) + $2 )) re=$3 line
    while :; do
        line=$(grep -P -m1 -- "$re" "$file" 2>/dev/null) && { echo "$line"; return 0; }
        [ "$(now_ms)" -le "$end" ] || return 1
        sleep 0.1
    done
}

# start_host NS NAME PORT: a host whose stdin is the fifo kept open in
# host_fd[PORT].
declare -A host_fd host_pid
start_host() {
    local ns=$1 name=$2 port=$3 fd
    mkfifo "$work/$port.in"
    # shellcheck disable=SC2086
    "$nl" run "$ns" $FINDER_HOST --port "$port" --table-name "$name" <"$work/$port.in" >"$work/host-$port.log" 2>&1 &
    host_pid[$port]=$!
    pids+=("$!")
    exec {fd}>"$work/$port.in"
    fds+=("$fd")
    host_fd[$port]=$fd
}

tell_host() { echo "$2" >&"${host_fd[$1]}"; }

# stop_host PORT: asks the host to quit and waits for it.
stop_host() {
    tell_host "$1" quit
    local i
    for i in $(seq 50); do kill -0 "${host_pid[$1]}" 2>/dev/null || return 0; sleep 0.1; done
    fail "host on port $1 did not quit"
}

list_in() {
    # shellcheck disable=SC2086
    timeout 20 "$nl" run "$1" $FINDER_LIST --seconds "$2"
}

a=$("$nl" addr "$lab-a") b=$("$nl" addr "$lab-b")
T=$'\t'

case $mode in
mdns)
    # shellcheck disable=SC2086
    "$nl" run "$lab-b" $FINDER_WATCH --seconds 40 >"$work/watch.log" 2>&1 &
    pids+=("$!")
    sleep 1
    start_host "$lab-a" "Lab table" 7790
    wait_line "$work/watch.log" 5000 "^\d+ \+ Lab table\t$a\t7790\t1\t0\twaiting\tlan$" >/dev/null ||
        fail "the host was not listed within 5 s with its fields"

    tell_host 7790 "seats 2"
    wait_line "$work/watch.log" 5000 "^\d+ ~ Lab table\t$a\t7790\t2\t0\twaiting\tlan$" >/dev/null ||
        fail "a seat filling did not show within 5 s"
    tell_host 7790 "state playing"
    wait_line "$work/watch.log" 5000 "^\d+ ~ Lab table\t$a\t7790\t2\t0\tplaying\tlan$" >/dev/null ||
        fail "the game's start did not show within 5 s"

    # The same name on the other side: the newcomer takes another.
    start_host "$lab-b" "Lab table" 7791
    wait_line "$work/watch.log" 8000 "^\d+ \+ Lab table #2\t$b\t7791\t" >/dev/null ||
        fail "a second table of the same name was not listed under another name"

    out=$(list_in "$lab-b" 3) || fail "the list exited with $?"
    grep -qxF "Lab table${T}$a${T}7790${T}2${T}0${T}playing${T}lan" <<<"$out" ||
        fail "the list lacks the table: $out"

    stop_host 7790
    wait_line "$work/watch.log" 10000 "^\d+ - Lab table\t$a\t" >/dev/null ||
        fail "the host's quitting did not remove it within 10 s"
    ;;
udp)
    # No daemon on either side: both hosts answer over UDP, sharing its port.
    start_host "$lab-a" "Udp one" 7772
    start_host "$lab-a" "Udp two" 7790
    sleep 1
    out=$(list_in "$lab-b" 3) || fail "the list exited with $?"
    for line in "Udp one${T}$a${T}7772${T}1${T}0${T}waiting${T}udp" "Udp two${T}$a${T}7790${T}1${T}0${T}waiting${T}udp"; do
        grep -qxF "$line" <<<"$out" || fail "the list lacks '$line': $out"
    done
    ;;
hostile)
    start_host "$lab-a" "Real table" 7790
    # shellcheck disable=SC2086
    "$nl" run "$lab-b" $FINDER_FLOOD --seconds 14 >"$work/flood.log" 2>&1 &
    flood=$!
    pids+=("$flood")
    sleep 0.5
    # shellcheck disable=SC2086
    timeout 30 "$nl" run "$lab-b" $FINDER_WATCH --seconds 6 >"$work/watch.log" 2>&1 || fail "the watcher failed"
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
    [ $(( $(now_ms) - start )) -lt 8000 ] || fail "the list took $(( $(now_ms) - start )) ms under the flood"
    grep -qP "^Real table\t$a\t7790\t" <<<"$out" || fail "the list lacks the real table: $out"
    wait "$flood"
    sent=$(awk '$1 == "sent" {print $2}' "$work/flood.log")
    [ -n "$sent" ] && [ "$sent" -ge 50000 ] || fail "the flood sent only $sent replies"
    echo "flood: $sent replies; finder: $rows rows, longest pause $gap ms, peak $rss kB"
    ;;
*)
    echo "usage: $0 mdns|udp|hostile NETLAB LAB" >&2
    exit 2
    ;;
esac
echo "ok"

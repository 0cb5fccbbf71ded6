#!/usr/bin/env bash
# The port mapper behind a router made by tests/lab.sh: a player's machine
# (LAB-home) behind LAB-router, and the internet (LAB-out).
#   router_test.sh upnp|natpmp|none NETLAB LAB PORTMAPLAB
#   router_test.sh serve|serve-relay NETLAB LAB PINLEX
#     upnp    miniupnpd runs: the mapping is made at the router's outside
#             address, reachable from outside, and gone after a clean exit,
#             after SIGTERM, and after an exit during discovery
#     natpmp  the same with SSDP blocked at the router: NAT-PMP makes it
#     none    no miniupnpd: failure is reported within a bounded time, also
#             when the router does not answer at all
#     serve   the real program, `pinlex --serve`, behind miniupnpd: its log
#             tells the outside address, the table is reached there, and the
#             mapping is gone once it stops; --no-port-mapping maps nothing
#     serve-relay  the same without miniupnpd: the log says players will
#             come through the relay (only local players, with no game
#             directory set), and the host still stops at once
# Prints the times measured.
set -u
[ "$(id -u)" = 0 ] || { echo "skipped: needs root"; exit 77; }
mode=$1 nl=$2 lab=$3 tool=$4
source "$(cd "$(dirname "$0")" && pwd)/../labtest.sh"
fds=()
at_cleanup() {
    local fd
    for fd in "${fds[@]}"; do exec {fd}>&-; done
    "$nl" run "$lab-router" nft delete table inet pmblock 2>/dev/null
}

# start_mapper PORT: the mapper in LAB-home; its stdin is a fifo kept open.
declare -A mapper_fd mapper_pid
start_mapper() {
    local port=$1 fd
    mkfifo "$work/$port.in"
    "$nl" run "$lab-home" "$tool" --port "$port" <"$work/$port.in" >"$work/mapper-$port.log" 2>&1 &
    mapper_pid[$port]=$!
    pids+=("$!")
    exec {fd}>"$work/$port.in"
    fds+=("$fd")
    mapper_fd[$port]=$fd
}

# end_mapper PORT quit|term: ends it by its input or by SIGTERM and waits.
end_mapper() {
    local port=$1 i
    if [ "$2" = quit ]; then echo quit >&"${mapper_fd[$port]}"; else kill -TERM "${mapper_pid[$port]}"; fi
    for i in $(seq 100); do
        kill -0 "${mapper_pid[$port]}" 2>/dev/null || break
        sleep 0.1
    done
    kill -0 "${mapper_pid[$port]}" 2>/dev/null && fail "the mapper on port $port did not end"
    wait_line "$work/mapper-$port.log" 0 '^stopped \d+$' | awk '{print $2}'
}

# What a client on the internet gets at the router's outside address.
reach() { timeout 5 "$nl" run "$lab-out" bash -c "exec 3<>/dev/tcp/$outside/$1 && head -n1 <&3" 2>/dev/null; }

# The router's mappings of PORT, as a machine at home lists them.
listed() { "$nl" run "$lab-home" upnpc -l 2>/dev/null | grep -E "TCP +$1->"; }

outside=$("$nl" addr "$lab-router" | grep -v '^10\.')
home=$("$nl" addr "$lab-home")

# mapped_through PORT METHOD: mapped by METHOD and reachable; prints the ms.
mapped_through() {
    local port=$1 method=$2 line
    line=$(wait_line "$work/mapper-$port.log" 15000 '^(mapped|failed) ') ||
        fail "no outcome within 15 s for port $port"
    [[ $line =~ ^mapped\ $outside\ $port\ $method\ ([0-9]+)$ ]] ||
        fail "expected a mapping at $outside:$port by $method, got: $line"
    echo "${BASH_REMATCH[1]}"
    [ "$(reach "$port")" = "portmaplab $port" ] || fail "$outside:$port does not reach the mapper at home"
}

gap_ok() {
    local gap
    gap=$(wait_line "$work/mapper-$1.log" 0 '^max-gap-ms ' | awk '{print $2}')
    [ -n "$gap" ] && [ "$gap" -lt 1000 ] || fail "the mapper's event loop was kept waiting $gap ms"
}

# serve PORT [OPTIONS...]: `pinlex --serve` at home; its pid in serve_pid
# and its start in serve_start (ms).
declare -A serve_pid serve_start
serve() {
    local port=$1
    shift
    serve_start[$port]=$(now_ms)
    "$nl" run "$lab-home" "$tool" --serve --port "$port" "$@" >"$work/serve-$port.log" 2>&1 &
    serve_pid[$port]=$!
    pids+=("$!")
}

# told PORT: the log's line about the router within 15 s, in told_line,
# and the ms since the start in told_ms.
told() {
    told_line=$(wait_line "$work/serve-$1.log" 15000 '^The router ') ||
        fail "the host on port $1 told nothing of the router"
    told_ms=$(( $(now_ms) - serve_start[$1] ))
}

# stop_serve PORT: SIGTERM, as a service manager ends it; prints the ms it
# took to exit.
stop_serve() {
    local start i
    start=$(now_ms)
    kill -TERM "${serve_pid[$1]}"
    for i in $(seq 100); do
        kill -0 "${serve_pid[$1]}" 2>/dev/null || break
        sleep 0.05
    done
    kill -0 "${serve_pid[$1]}" 2>/dev/null && fail "the host on port $1 did not stop"
    wait_line "$work/serve-$1.log" 0 '^stopped$' >/dev/null || fail "the host on port $1 did not stop cleanly"
    echo "$(( $(now_ms) - start ))"
}

case $mode in
serve)
    serve 7830
    told 7830
    [[ $told_line == *" $outside port 7830"*UPnP* ]] ||
        fail "expected the outside address $outside:7830, got: $told_line"
    listed 7830 | grep -qF "$home:7830" || fail "upnpc -l does not list the host's mapping to $home:7830"
    timeout 5 "$nl" run "$lab-out" bash -c "exec 3<>/dev/tcp/$outside/7830" ||
        fail "$outside:7830 does not reach the host from outside"
    stop=$(stop_serve 7830) || exit 1
    [ -z "$(listed 7830)" ] || fail "the mapping outlived the host's clean stop: $(listed 7830)"

    # Told not to: nothing is mapped in twice the time a mapping took.
    serve 7831 --no-port-mapping
    wait_line "$work/serve-7831.log" 10000 '^listening on port 7831' >/dev/null || fail "the host did not start"
    sleep "$(( 2 * told_ms / 1000 + 1 ))"
    [ -z "$(listed 7831)" ] || fail "--no-port-mapping mapped the port: $(listed 7831)"
    grep -q '^The router ' "$work/serve-7831.log" && fail "--no-port-mapping still asked the router"
    stop_serve 7831 >/dev/null || exit 1
    echo "pinlex --serve: told the outside address $told_ms ms after starting; stopped, mapping deleted, in $stop ms"
    ;;
serve-relay)
    # With a game directory (none needs to answer) players outside come
    # through its relay; without one they cannot come at all.
    serve 7832 --directory-address 127.0.0.1:7773
    told 7832
    [[ $told_line == *"through the directory's relay"* ]] ||
        fail "expected the relay, got: $told_line"
    relay_ms=$told_ms
    stop=$(stop_serve 7832) || exit 1
    serve 7833
    told 7833
    [[ $told_line == *"only players on this network can join"* ]] ||
        fail "expected no relay without a directory, got: $told_line"
    stop_serve 7833 >/dev/null || exit 1
    echo "pinlex --serve without a mapping router: told the relay $relay_ms ms after starting; stopped in $stop ms"
    ;;
upnp)
    start_mapper 7800
    took=$(mapped_through 7800 upnp) || exit 1
    listed 7800 | grep -qF "$home:7800" || fail "upnpc -l does not list the mapping to $home:7800"
    stop=$(end_mapper 7800 quit) || exit 1
    gap_ok 7800
    [ -z "$(listed 7800)" ] || fail "the mapping outlived a clean exit: $(listed 7800)"
    [ -z "$(reach 7800)" ] || fail "$outside:7800 still reaches home after the exit"

    start_mapper 7801
    mapped_through 7801 upnp >/dev/null || exit 1
    end_mapper 7801 term >/dev/null || exit 1
    [ -z "$(listed 7801)" ] || fail "the mapping outlived SIGTERM: $(listed 7801)"

    # Ended while the router is still being searched for: the exit waits
    # for the search and leaves nothing behind.
    start_mapper 7802
    wait_line "$work/mapper-7802.log" 10000 '^mapping ' >/dev/null || fail "the mapper did not start"
    sleep 0.5
    early=$(end_mapper 7802 quit) || exit 1
    sleep 1
    [ -z "$(listed 7802)" ] || fail "an exit during discovery left a mapping: $(listed 7802)"
    grep -q '^mapped' "$work/mapper-7802.log" && fail "a mapping was reported after the exit began"
    echo "UPnP: mapped in $took ms; deleted at exit in $stop ms; exit during discovery took $early ms"
    ;;
natpmp)
    # The router's UPnP is not found (SSDP dropped), its NAT-PMP answers.
    "$nl" run "$lab-router" nft -f - <<'NFT' || fail "cannot block SSDP"
table inet pmblock {
    chain input {
        type filter hook input priority -10; policy accept;
        udp dport 1900 drop
    }
}
NFT
    start_mapper 7810
    took=$(mapped_through 7810 natpmp) || exit 1
    stop=$(end_mapper 7810 quit) || exit 1
    gap_ok 7810
    "$nl" run "$lab-router" nft delete table inet pmblock
    [ -z "$(listed 7810)" ] || fail "the NAT-PMP mapping outlived a clean exit: $(listed 7810)"
    [ -z "$(reach 7810)" ] || fail "$outside:7810 still reaches home after the exit"
    echo "NAT-PMP (after UPnP found nothing): mapped in $took ms; deleted at exit in $stop ms"
    ;;
none)
    # failed_within PORT: failure reported, in bounded time; prints the ms.
    failed_within() {
        local line
        line=$(wait_line "$work/mapper-$1.log" 15000 '^(mapped|failed) ') || fail "no outcome within 15 s"
        [[ $line =~ ^failed\ ([0-9]+)\  ]] || fail "expected a failure, got: $line"
        [ "${BASH_REMATCH[1]}" -lt 8000 ] || fail "the failure took ${BASH_REMATCH[1]} ms to report"
        echo "${BASH_REMATCH[1]}"
    }
    # The router refuses NAT-PMP at once (port unreachable) ...
    start_mapper 7820
    refused=$(failed_within 7820) || exit 1
    stop=$(end_mapper 7820 quit) || exit 1
    gap_ok 7820
    # ... or says nothing at all, as many routers do.
    "$nl" run "$lab-router" nft -f - <<'NFT' || fail "cannot silence the router"
table inet pmblock {
    chain input {
        type filter hook input priority -10; policy accept;
        udp dport 5351 drop
    }
}
NFT
    start_mapper 7821
    silent=$(failed_within 7821) || exit 1
    end_mapper 7821 quit >/dev/null || exit 1
    gap_ok 7821
    echo "no router: failure reported in $refused ms (NAT-PMP refused), $silent ms (unanswered); exit took $stop ms"
    ;;
*)
    echo "usage: $0 upnp|natpmp|none NETLAB LAB PORTMAPLAB, or serve|serve-relay NETLAB LAB PINLEX" >&2
    exit 2
    ;;
esac
echo "ok"

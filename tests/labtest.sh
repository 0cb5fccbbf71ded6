# Sourced by the namespace tests' scripts: a work folder of their own that
# is also the programs' home (dictionary cache, settings, tally, history),
# background processes (in pids) ended at exit, and waiting for a log line.
# A script that has more to undo at exit defines at_cleanup after sourcing.
work=$(mktemp -d)
pids=()
export HOME=$work XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data
export PINLEX_TALLY_FILE=$work/tally.tld
# No game directory but those a test starts.
unset PINLEX_DIRECTORY

at_cleanup() { :; }
cleanup() {
    local pid
    at_cleanup
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# fail TEXT: says why, shows the end of every log, and ends the test.
fail() {
    echo "FAIL: $*"
    for f in "$work"/*.log; do [ -f "$f" ] && { echo "--- ${f##*/}"; tail -40 "$f"; }; done
    exit 1
}

now_ms() { date +%s%3N; }

# wait_line FILE MS REGEX: the first line of FILE matching REGEX (Perl)
# within MS milliseconds.
wait_line() {
    local file=$1 end=$(( $(now_ms) + $2 )) re=$3 line
    while :; do
        line=$(grep -P -m1 -- "$re" "$file" 2>/dev/null) && { echo "$line"; return 0; }
        [ "$(now_ms)" -le "$end" ] || return 1
        sleep 0.05
    done
}

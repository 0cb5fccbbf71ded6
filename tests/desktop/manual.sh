#!/usr/bin/env bash
# The manual page documents every option the program takes, formats without
# warnings, and the manual and the software-centre entry name the version
# that is being built.
# Usage: manual.sh PROGRAM DESKTOP_DIR APP_ID VERSION
set -euo pipefail
program=$1 desktop=$2 appid=$3 version=$4
page=$desktop/pinlex.6
metainfo=$desktop/$appid.metainfo.xml
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

# Every long option of --help, as roff writes it (\-\-name).
options=$("$program" --help | grep -oE '^ +(-[a-z], )?--[a-z][a-z-]*' | grep -oE -- '--[a-z][a-z-]*')
[ -n "$options" ] || fail "no options found in the output of --help"
for option in $options; do
    grep -qF -- "${option//-/\\-}" "$page" || fail "the manual page does not document $option"
done

if command -v man >/dev/null 2>&1; then
    warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "the manual page formats with warnings: $warnings"
fi

grep -q "^\.TH PINLEX 6 .*\"Pinlex $version\"" "$page" || fail "the manual page's header does not name version $version"
newest=$(grep -oE '<release version="[^"]*"' "$metainfo" | head -n 1 | cut -d'"' -f2)
[ "$newest" = "$version" ] || fail "the newest release in $appid.metainfo.xml is '$newest', not $version"
exit $status

#!/usr/bin/env bash
# Makes or removes the throw-away network of the finder's namespace tests.
#   lab.sh up NETLAB NAME [avahi]   a namespace pair; with "avahi" a daemon in each
#   lab.sh down NETLAB NAME
# Exits 77 (skipped) where namespaces cannot be made.
set -u
[ "$(id -u)" = 0 ] || { echo "skipped: needs root"; exit 77; }
what=$1 nl=$2 name=$3
case $what in
up)
    "$nl" down "$name" >/dev/null 2>&1
    "$nl" pair "$name" || exit 1
    if [ "${4:-}" = avahi ]; then
        "$nl" avahi "$name-a" && "$nl" avahi "$name-b" || exit 1
    fi
    ;;
down)
    "$nl" down "$name"
    ;;
esac

#!/usr/bin/env bash
# Makes or removes the throw-away home network of the port mapper's tests.
#   lab.sh up NETLAB NAME [miniupnpd]   a player behind a router; with
#                                       "miniupnpd" the router maps ports
#   lab.sh down NETLAB NAME
# Exits 77 (skipped) where namespaces cannot be made.
set -u
[ "$(id -u)" = 0 ] || { echo "skipped: needs root"; exit 77; }
what=$1 nl=$2 name=$3
case $what in
up)
    "$nl" down "$name" >/dev/null 2>&1
    "$nl" router "$name" || exit 1
    if [ "${4:-}" = miniupnpd ]; then
        "$nl" upnp-start "$name" || exit 1
    fi
    ;;
down)
    "$nl" down "$name"
    ;;
esac

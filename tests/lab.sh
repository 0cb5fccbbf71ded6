#!/usr/bin/env bash
# Makes or removes a throw-away network of the namespace tests.
#   lab.sh up NETLAB NAME pair [avahi]        two machines on one link; with
#                                             "avahi" a daemon on each
#   lab.sh up NETLAB NAME router [miniupnpd]  a player's machine behind a
#                                             router; with "miniupnpd" the
#                                             router maps ports
#   lab.sh down NETLAB NAME
# Exits 77 (skipped) where namespaces cannot be made.
set -u
[ "$(id -u)" = 0 ] || { echo "skipped: needs root"; exit 77; }
what=$1 nl=$2 name=$3
case $what in
up)
    "$nl" down "$name" >/dev/null 2>&1
    "$nl" "$4" "$name" || exit 1
    case ${5:-} in
    avahi) "$nl" avahi "$name-a" && "$nl" avahi "$name-b" || exit 1 ;;
    miniupnpd) "$nl" upnp-start "$name" || exit 1 ;;
    esac
    ;;
down)
    "$nl" down "$name"
    ;;
esac

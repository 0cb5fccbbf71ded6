#!/usr/bin/env python3
"""A player for the namespace tests, without a window: joins a table (at its
address, or through a game directory's relay by its code), logs in, starts
the game once enough players are there when told to, plays every frame's
whole rack as its word, and leaves after the frames asked for. Prints one
line per event."""
import argparse
import socket
import sys

END = b"\xff"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("host")
    parser.add_argument("port", type=int)
    parser.add_argument("name")
    parser.add_argument("--relay", metavar="CODE", help="join through the directory at host:port")
    parser.add_argument("--start", type=int, default=0, metavar="N", help="start the game once N players are in")
    parser.add_argument("--frames", type=int, default=1)
    parser.add_argument("--seconds", type=float, default=150)
    args = parser.parse_args()

    sock = socket.create_connection((args.host, args.port), timeout=10)
    sock.settimeout(args.seconds)
    if args.relay:
        sock.sendall(b"CMD_dirjoin+" + args.relay.encode() + END)
    name = args.name.encode()
    slot = 0
    others = set()
    started = False
    frames = 0
    pending = b""
    while True:
        data = sock.recv(65536)
        if not data:
            print("closed", flush=True)
            return 1
        pending += data
        *lines, pending = pending.split(END)
        for line in lines:
            fields = line.split(b"+")
            command = fields[0]
            if command == b"CMD_dirrefused":
                print("refused " + line.decode(errors="replace"), flush=True)
                return 1
            if command == b"CMD_sendlogininfo":
                slot = int(fields[1])
                sock.sendall(b"CMD_logininfo+%d+1.0.9+%s" % (slot, name) + END)
                print("slot %d" % slot, flush=True)
            elif command in (b"CMD_newplayerinfo", b"CMD_existingplayers") and int(fields[1]) != slot:
                others.add(int(fields[1]))
            elif command == b"CMD_playerdisconnected":
                others.discard(int(fields[1]))
            elif command == b"CMD_theletters" and fields[1] == b"0":
                # Every rack is a word of the dictionary: a strike.
                word = b"+".join(fields[i] for i in range(2, len(fields) - 1, 2))
                sock.sendall(b"CMD_sendword+%d+%s" % (slot, word) + END)
            elif command == b"CMD_postscores":
                frames += 1
                print("scores " + line.decode(errors="replace"), flush=True)
                if frames >= args.frames:
                    print("played %d frames" % frames, flush=True)
                    return 0
            if args.start and not started and slot and 1 + len(others) >= args.start:
                started = True
                sock.sendall(b"CMD_startgame+%s+45+f+" % name + END)
                print("started with %d players" % (1 + len(others)), flush=True)


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/python3
"""Joining a table found on the local network, end to end: a real window in
this network namespace opens File > Join a Game..., lists the table that a
host in the other namespace announces, shows a seat filling there while the
dialog is open, and joins the table with "Join"; the copy that starts in its
place sits at that host.

usage: netlab run LAB-b run-under-atspi.sh /usr/bin/python3 test_lanjoin.py --program PINLEX
           --netlab NETLAB --lab LAB --table NAME --address A --port P --host-log FILE --out FOLDER
(lan_test.sh runs it so, the host already started in LAB-a.)"""
import argparse
import os
import pathlib
import signal
import subprocess
import sys
import tempfile
import time
import traceback

import pyatspi

import desk
from desk import Failure, check, click, showing, wait_until
from pinlexcopy import TIMEOUT, Copy

desk.PARKING = (1279, 1023)  # the corner of the default screen, where no window is
LISTED_WITHIN = 5  # seconds, for the table and for a change of it


def dialog_of(app):
    for node in desk.children(app):
        if node is not None and node.getRoleName() == "dialog" and showing(node):
            return node
    return None


def first(root, role, name=None):
    for node in desk.walk(root):
        if node.getRoleName() == role and (name is None or node.name == name) and showing(node):
            return node
    return None


def row_of(table, name):
    """The cells of the row of the table called name, by column."""
    cells = [c for c in desk.children(table) if c is not None and c.getRoleName() == "table cell"]
    for i, cell in enumerate(cells):
        if desk.name(cell) == f"Table {name}":
            return cells[i:i + 5]
    return None


def listed(table):
    return [desk.name(c) for c in desk.children(table) if c is not None and c.getRoleName() == "table cell"]


def window_of_new_copy(program, old_pid):
    """The application of another copy of this program on the bus."""
    found = pyatspi.Registry.getDesktop(0)
    for i in range(found.childCount):
        app = found.getChildAtIndex(i)
        if app is None:
            continue
        pid = app.get_process_id()
        try:
            exe = os.readlink(f"/proc/{pid}/exe")
        except OSError:
            continue
        if pid != old_pid and exe == str(program):
            return app, pid
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    for option in ("--program", "--netlab", "--lab", "--table", "--address", "--port", "--host-log", "--out"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    out = pathlib.Path(args.out)
    out.mkdir(parents=True, exist_ok=True)
    run = pathlib.Path(tempfile.mkdtemp(prefix="run-", dir=out))
    host_log = pathlib.Path(args.host_log)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))

    # A copy that hosts a table of its own, unannounced, and looks for others.
    copy = Copy(run, "Bee", pathlib.Path(args.program).resolve(),
                ["Bee", "127.0.0.1", "true", "--port", "7801", "--no-announce"], (0, 0))
    robot = None
    joined_pid = None
    try:
        copy.start()
        copy.attach()
        opened = time.monotonic()
        copy.menu("File", "Join a Game\u2026")
        dialog = wait_until(lambda: dialog_of(copy.app), TIMEOUT, "the Join dialog")
        table = wait_until(lambda: first(dialog, "table", "Tables on the local network"), TIMEOUT,
                           "the dialog's list of tables")
        row = wait_until(lambda: row_of(table, args.table), LISTED_WITHIN, f"{args.table!r} in the list",
                         seen=lambda: listed(table))
        found_after = time.monotonic() - opened
        want = [f"Table {args.table}", f"Address {args.address} port {args.port}", "0 of 4 seats taken",
                "0 of 5 spectators", "waiting"]
        check([desk.name(c) for c in row] == want, f"the row reads {[desk.name(c) for c in row]}, not {want}")

        # A computer player sits down at that host: the open list follows.
        robot = subprocess.Popen([args.netlab, "run", f"{args.lab}-a", args.program, "--robot", "--name", "Robbie",
                                  "127.0.0.1", "--port", args.port], stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
        wait_until(lambda: "connection slot 1 " in host_log.read_text(), TIMEOUT, "the robot at the host")
        sat = time.monotonic()
        wait_until(lambda: (r := row_of(table, args.table)) and desk.name(r[2]) == "1 of 4 seats taken",
                   LISTED_WITHIN, "the seat filling in the open list", seen=lambda: listed(table))
        seat_after = time.monotonic() - sat

        # The name to play under, then the table, then "Join".
        name = first(dialog, "text")
        check(name is not None, "the dialog has no name field")
        name.queryEditableText().setTextContents("Bee")
        click(row_of(table, args.table)[0])
        join = wait_until(lambda: (b := first(dialog, "push button", "Join")) and
                          desk.states(b).contains(pyatspi.STATE_ENABLED) and b, TIMEOUT, "\"Join\" enabled")
        click(join)

        # This copy makes way for one that joins the chosen table.
        try:
            copy.process.wait(TIMEOUT)
        except subprocess.TimeoutExpired:
            raise Failure("the dialog's copy did not make way for the joining one")
        app, joined_pid = wait_until(lambda: window_of_new_copy(copy.program, copy.process.pid), TIMEOUT,
                                     "the joining copy's window")
        chat = wait_until(lambda: first(app, "list", "Chat"), TIMEOUT, "the joining copy's chat")
        wait_until(lambda: "You are Connected." in [" ".join(desk.name(n).split()) for n in desk.children(chat)],
                   TIMEOUT, "the joining copy connected")
        wait_until(lambda: 'login slot 2 "Bee"' in host_log.read_text(), TIMEOUT, "Bee at the host",
                   seen=lambda: host_log.read_text()[-300:])
    except (Failure, Exception):
        traceback.print_exc()
        try:
            desk.screenshot(out / "failure.png")
        except Exception:
            pass
        print(f"the copy's folder is kept in {run}", file=sys.stderr)
        return 1
    finally:
        copy.stop()
        for pid in [joined_pid] if joined_pid else []:
            try:
                os.kill(pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
        if robot:
            robot.terminate()
            robot.wait()
    print(f"the Join dialog listed the table after {found_after:.1f} s and showed the seat filling after "
          f"{seat_after:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())

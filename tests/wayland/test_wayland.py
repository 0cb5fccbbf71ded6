"""The program runs natively on Wayland: under a headless Weston it shows its
main window and a dialog, leaves the window's position to the compositor and
keeps the stored one rather than the meaningless one it reads back.

Run inside a private D-Bus session with the accessibility bus on
(tests/e2e/run-under-atspi.sh); exits 77 (skipped) when Weston, Qt's Wayland
plugin or the compositor itself cannot run here.
    test_wayland.py --program PINLEX --out FOLDER
"""
import argparse
import glob
import os
import pathlib
import shutil
import socket
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "e2e"))
import pyatspi  # noqa: E402

import desk  # noqa: E402
from desk import check, wait_until  # noqa: E402

SKIP = 77
TIMEOUT = 20
SOCKET = "pinlex-wayland-test"
STORED = {"Left": "40", "Top": "50", "Width": "640", "Height": "600"}


def skip(why):
    print(f"SKIP: {why}")
    sys.exit(SKIP)


def wayland_plugin_present():
    return any(glob.glob(f"{d}/qt6/plugins/platforms/libqwayland-*.so")
               for d in ("/usr/lib/x86_64-linux-gnu", "/usr/lib/aarch64-linux-gnu", "/usr/lib64", "/usr/lib"))


def start_compositor(run, out):
    log = open(out / "weston.log", "wb")
    weston = subprocess.Popen(
        ["weston", "--backend=headless-backend.so", "--use-pixman", f"--socket={SOCKET}", "--width=1280",
         "--height=1024", "--idle-time=0", "--debug"],
        env=dict(os.environ, XDG_RUNTIME_DIR=str(run)), stdout=log, stderr=subprocess.STDOUT,
        stdin=subprocess.DEVNULL)
    deadline = time.monotonic() + TIMEOUT
    while not (run / SOCKET).exists():
        if weston.poll() is not None or time.monotonic() > deadline:
            weston.kill()
            weston.wait()
            skip("the headless compositor did not start: "
                 + (out / "weston.log").read_text(errors="replace")[-400:])
        time.sleep(0.05)
    return weston


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def read_bounds(ini):
    bounds = {}
    for line in ini.read_text().splitlines():
        key, _, value = line.partition("=")
        if key in STORED:
            bounds[key] = value.strip()
    return bounds


def application(process):
    def find():
        check(process.poll() is None, f"the program ended with {process.returncode}")
        found = pyatspi.Registry.getDesktop(0)
        for i in range(found.childCount):
            app = found.getChildAtIndex(i)
            if app is not None and app.get_process_id() == process.pid:
                return app
        return None
    return wait_until(find, TIMEOUT, "the program on the accessibility bus")


def menu_item(app, name):
    """A menu's item by its caption: a plain, check or radio item."""
    return wait_until(lambda: next((n for n in desk.walk(app) if n.getRoleName().endswith("menu item")
                                    and n.name == name), None), TIMEOUT, f"the menu item {name!r}")


def act(item):
    action = item.queryAction()
    action.doAction(0)


def screenshot(run, out, name):
    """weston-screenshooter writes into its working folder; keep its picture."""
    before = set(out.glob("wayland-screenshot-*.png"))
    subprocess.run(["weston-screenshooter"], cwd=out, env=dict(os.environ, XDG_RUNTIME_DIR=str(run),
                                                                WAYLAND_DISPLAY=SOCKET),
                   check=True, timeout=TIMEOUT, capture_output=True)
    made = sorted(set(out.glob("wayland-screenshot-*.png")) - before)
    check(made, "weston-screenshooter wrote no picture")
    shot = out / name
    made[-1].replace(shot)
    return shot


def changed_share(before, after):
    """The share of the screen's pixels that differ between two screenshots."""
    found = subprocess.run(["compare", "-metric", "AE", str(before), str(after), "null:"],
                           capture_output=True, text=True, timeout=60)
    width, height = (int(v) for v in subprocess.run(
        ["identify", "-format", "%w %h", str(after)], capture_output=True, text=True, timeout=60,
        check=True).stdout.split())
    return float(found.stderr.split()[0]) / (width * height)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    out = pathlib.Path(args.out)
    shutil.rmtree(out, ignore_errors=True)
    out.mkdir(parents=True)

    if not shutil.which("weston") or not shutil.which("weston-screenshooter"):
        skip("weston is not installed")
    if not wayland_plugin_present():
        skip("Qt's Wayland platform plugin (qt6-wayland) is not installed")
    run = out / "run"
    run.mkdir(mode=0o700)
    weston = start_compositor(run, out)
    program = None
    try:
        time.sleep(1)  # the shell's background and panel
        empty = screenshot(run, out, "empty.png")
        ini = out / "settings.ini"
        ini.write_text("[Pinlex]\n" + "".join(f"{k}={v}\n" for k, v in STORED.items()))
        env = dict(os.environ, XDG_RUNTIME_DIR=str(run), WAYLAND_DISPLAY=SOCKET, QT_QPA_PLATFORM="wayland",
                   PINLEX_SETTINGS_FILE=str(ini), PINLEX_TALLY_FILE=str(out / "tally.tld"))
        # Nothing may fall back to X11.
        env.pop("DISPLAY", None)
        with open(out / "output.txt", "wb") as log:
            # Hosting on a free loopback port and seated there, so that the
            # settings are read; not shown on the local network.
            program = subprocess.Popen([args.program, "--no-announce", "Tester", "127.0.0.1", "true", "--port",
                                        str(free_port())], env=env, stdout=log, stderr=subprocess.STDOUT,
                                       stdin=subprocess.DEVNULL)
        app = application(program)
        frame = wait_until(lambda: next((n for n in desk.children(app) if n.getRoleName() == "frame"), None),
                           TIMEOUT, "the main window")
        wait_until(lambda: desk.showing(frame), TIMEOUT, "the main window showing")
        time.sleep(1)  # a frame or two for the compositor to draw them
        alone = screenshot(run, out, "main.png")
        act(menu_item(app, "About"))
        wait_until(lambda: next((n for n in desk.children(app) if n.name == "Pinlex - About"
                                 and desk.showing(n)), None), TIMEOUT, "the About dialog showing")
        time.sleep(1)
        both = screenshot(run, out, "wayland.png")
        # Both windows are drawn: the main window covers a good part of the
        # screen, the dialog a part of what was there before it.
        check(changed_share(empty, alone) > 0.1, f"no main window in {alone}")
        check(changed_share(alone, both) > 0.02, f"no dialog in {both}")
        print(f"screenshot: {both}")

        # A changed option saves the settings with the window's bounds: the
        # stored size was restored, and the stored position stays.
        sounds = menu_item(app, "Play Sounds")
        act(sounds)
        wait_until(lambda: "Playsounds" in ini.read_text(), TIMEOUT, "the settings saved")
        check(read_bounds(ini) == STORED, f"saved {read_bounds(ini)} instead of {STORED}")
        # A window asked to move where it cannot reads back the place it was
        # asked for, where it is not: that must not be saved either.
        first = ini.read_text()
        act(menu_item(app, "Reset Screen Location"))
        act(sounds)
        wait_until(lambda: ini.read_text() != first, TIMEOUT, "the settings saved again")
        position = {key: STORED[key] for key in ("Left", "Top")}
        saved = read_bounds(ini)
        check({key: saved[key] for key in position} == position,
              f"saved a position the compositor never gave: {saved}")
        act(menu_item(app, "Exit"))
        program.wait(TIMEOUT)
        check(program.returncode == 0, f"the program ended with {program.returncode}")
        saved = read_bounds(ini)
        check({key: saved[key] for key in position} == position, f"closing saved another position: {saved}")
        print("PASS")
        return 0
    finally:
        if program and program.poll() is None:
            program.kill()
            program.wait()
        weston.terminate()
        try:
            weston.wait(5)
        except subprocess.TimeoutExpired:
            weston.kill()
            weston.wait()


if __name__ == "__main__":
    try:
        sys.exit(main())
    except desk.Failure as failure:
        print(f"FAIL: {failure}")
        sys.exit(1)

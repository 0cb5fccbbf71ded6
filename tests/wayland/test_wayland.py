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


def node(app, role, name):
    return wait_until(lambda: next((n for n in desk.walk(app) if n.getRoleName() == role and n.name == name), None),
                      TIMEOUT, f"the {role} {name!r}")


def act(item):
    action = item.queryAction()
    action.doAction(0)


def screenshot(run, out):
    """weston-screenshooter writes into its working folder; keep its picture."""
    before = set(out.glob("wayland-screenshot-*.png"))
    subprocess.run(["weston-screenshooter"], cwd=out, env=dict(os.environ, XDG_RUNTIME_DIR=str(run),
                                                                WAYLAND_DISPLAY=SOCKET),
                   check=True, timeout=TIMEOUT, capture_output=True)
    made = sorted(set(out.glob("wayland-screenshot-*.png")) - before)
    check(made, "weston-screenshooter wrote no picture")
    shot = out / "wayland.png"
    made[-1].replace(shot)
    return shot


def share_of_colour(shot, colour):
    """The share of the picture's pixels of exactly this colour, by ImageMagick."""
    found = subprocess.run(["convert", str(shot), "-alpha", "off", "-fill", "black", "+opaque", colour, "-fill",
                            "white", "-opaque", colour, "-format", "%[fx:mean]", "info:"],
                           capture_output=True, text=True, timeout=60, check=True)
    return float(found.stdout)


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
        ini = out / "settings.ini"
        ini.write_text("[Pinlex]\n" + "".join(f"{k}={v}\n" for k, v in STORED.items()))
        env = dict(os.environ, XDG_RUNTIME_DIR=str(run), WAYLAND_DISPLAY=SOCKET, QT_QPA_PLATFORM="wayland",
                   PINLEX_SETTINGS_FILE=str(ini), PINLEX_TALLY_FILE=str(out / "tally.tld"))
        # Nothing may fall back to X11.
        env.pop("DISPLAY", None)
        with open(out / "output.txt", "wb") as log:
            # One launch parameter: the window without a connection.
            program = subprocess.Popen([args.program, "Tester"], env=env, stdout=log, stderr=subprocess.STDOUT,
                                       stdin=subprocess.DEVNULL)
        app = application(program)
        frame = node(app, "frame", "Pinlex ")
        wait_until(lambda: desk.showing(frame), TIMEOUT, "the main window showing")
        act(node(app, "menu item", "About"))
        wait_until(lambda: next((n for n in desk.children(app) if n.name == "Pinlex - About"
                                         and desk.showing(n)), None), TIMEOUT, "the About dialog showing")
        time.sleep(1)  # a frame or two for the compositor to draw both
        shot = screenshot(run, out)
        # The main window's ground and the dialog's wood both show.
        check(share_of_colour(shot, "#9BB7BE") > 0.02, f"the main window is not in {shot}")
        print(f"screenshot: {shot}")

        # A changed option saves the settings with the window's bounds: the
        # stored position stays, whatever the window reads back here.
        act(node(app, "check menu item", "Play Sounds"))
        wait_until(lambda: "Sounds" in ini.read_text() and read_bounds(ini), TIMEOUT, "the settings saved")
        saved = read_bounds(ini)
        check(saved["Left"] == STORED["Left"] and saved["Top"] == STORED["Top"],
              f"the window saved the position it read back on Wayland: {saved}")
        check(saved["Width"] == STORED["Width"] and saved["Height"] == STORED["Height"],
              f"the stored size did not survive: {saved}")
        act(node(app, "menu item", "Exit"))
        program.wait(TIMEOUT)
        check(program.returncode == 0, f"the program ended with {program.returncode}")
        check(read_bounds(ini) == STORED, f"closing saved other bounds: {read_bounds(ini)}")
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

"""One running copy of the program, as a player at the table sees it: started
like the lobby starts it, in a folder of its own, driven with the mouse and
the keyboard and read through its accessible tree."""
import os
import shutil
import subprocess
import time

import pyatspi

import desk
from desk import check, click, extents, showing, wait_until

TIMEOUT = 15          # seconds for anything a window does at once
FRAME_TIMEOUT = 70    # a whole frame: the turn time, its grace and the pause


class Copy:
    def __init__(self, run, name, program, args, place):
        self.name = name
        self.folder = run / name
        (self.folder / "run").mkdir(parents=True, mode=0o700)
        (self.folder / "home").mkdir()
        # The copy keeps its settings, tally and history beside its executable, so
        # every player gets an executable of their own.
        self.program = self.folder / "pinlex"
        try:
            os.link(program, self.program)
        except OSError:
            shutil.copy2(program, self.program)
        (self.folder / "orviklobby.ini").write_text(f"[Pinlex]\nTop={place[1]}\nLeft={place[0]}\n")
        self.place = place
        self.env = dict(os.environ, HOME=str(self.folder / "home"), XDG_RUNTIME_DIR=str(self.folder / "run"),
                        XDG_CONFIG_HOME=str(self.folder / "home/.config"),
                        XDG_CACHE_HOME=str(self.folder / "home/.cache"),
                        XDG_DATA_HOME=str(self.folder / "home/.local/share"),
                        PATH=f"{run / 'bin'}{os.pathsep}{os.environ.get('PATH', '')}",
                        PINLEX_E2E_OPENED=str(self.folder / "opened.txt"), QT_QPA_PLATFORM="xcb")
        self.env.pop("PINLEX_TALLY_FILE", None)
        self.env.pop("PINLEX_HISTORY_FILE", None)
        self.args = args
        self.process = None

    # ---- Life ----

    def start(self):
        with open(self.folder / "output.txt", "wb") as log:
            self.process = subprocess.Popen([str(self.program), *self.args], cwd=self.folder, env=self.env,
                                            stdout=log, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)

    def attach(self):
        """Finds the window once it shows the copy's own arrival."""
        pid = self.process.pid

        def application():
            check(self.process.poll() is None, f"{self.name}'s program ended with {self.process.returncode}")
            found = pyatspi.Registry.getDesktop(0)
            for i in range(found.childCount):
                app = found.getChildAtIndex(i)
                if app is not None and app.get_process_id() == pid:
                    return app
            return None

        self.app = wait_until(application, TIMEOUT, f"{self.name}'s window on the accessibility bus")
        self.frame = wait_until(lambda: next((n for n in desk.children(self.app) if n.getRoleName() == "frame"), None),
                                TIMEOUT, f"{self.name}'s main window")
        self._map()
        wait_until(lambda: "You are Connected." in self.chat_lines(), TIMEOUT, f"{self.name} connected",
                   seen=self.chat_lines)
        wait_until(lambda: extents(self.frame)[:2] == self.place, TIMEOUT, f"{self.name}'s window at {self.place}",
                   seen=lambda: extents(self.frame))
        self.window = desk.windows_of(pid)[0]

    def _map(self):
        self.by_desc, self.by_name, cells, self.scores = {}, {}, [], {}
        for node in desk.walk(self.app):
            role, name, desc = node.getRoleName(), node.name, node.description
            if desc:
                self.by_desc.setdefault(desc, node)
            self.by_name.setdefault((role, name), node)
            if role == "table cell":
                cells.append(node)
            if role == "label" and name.startswith("Seat ") and ", total " in name:
                self.scores[int(name.split()[1].rstrip(","))] = node
        self.status = self.by_desc["status"]
        # The word row and the rack are two lists, each read left to right.
        self.slots = desk.children(self.node("list", "Word"))
        self.tiles = desk.children(self.node("list", "Rack"))
        check(len(cells) == 40 and len(self.tiles) == 10 and len(self.scores) == 4,
              f"{self.name}: the card or the rack is not in the tree")
        self.cells = {(s, f): cells[(s - 1) * 10 + f - 1] for s in range(1, 5) for f in range(1, 11)}
        self.chat = self.node("list", "Chat")

    def node(self, role, name):
        found = self.by_name.get((role, name))
        check(found is not None, f"{self.name}: no {role} {name!r}")
        return found

    def exit(self):
        """File > Exit, and the program ends by itself."""
        self.menu("File", "Exit")
        try:
            self.process.wait(TIMEOUT)
        except subprocess.TimeoutExpired:
            raise desk.Failure(f"{self.name} did not end after File > Exit")
        check(self.process.returncode == 0, f"{self.name} ended with status {self.process.returncode}")

    def stop(self):
        if self.process and self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    # ---- Reading ----

    def text(self, desc):
        return desk.name(self.by_desc[desc])

    def score(self, seat):
        """The seat's total, from "Seat 2, total 87"."""
        return desk.name(self.scores[seat]).rpartition(" ")[2]

    def chat_lines(self):
        return [" ".join(desk.name(line).split()) for line in desk.children(self.chat)]

    def rack(self):
        """The letters on the rack, left to right, with their tiles."""
        named = ((letter_of(desk.name(t)), t) for t in self.tiles)
        placed = sorted((extents(t)[0], n, t) for n, t in named if n)
        return [(letter, tile) for _, letter, tile in placed]

    def word_row(self):
        return "".join(letter_of(desk.name(s)) for s in self.slots)

    def expect_status(self, text, timeout=TIMEOUT):
        wait_until(lambda: self.text("status") == text, timeout, f"{self.name}'s status {text!r}",
                   seen=lambda: self.text("status"))

    def expect_line(self, text, timeout=TIMEOUT):
        wait_until(lambda: text in self.chat_lines(), timeout, f"{self.name}'s chat line {text!r}",
                   seen=lambda: self.chat_lines()[-5:])

    # ---- Doing ----

    def menu(self, *path):
        """Clicks through the menu bar: ("Options", "Just Watch")."""
        click(self.node("menu item", path[0]))
        for name in path[1:]:
            item = wait_until(lambda: self._showing_item(name), TIMEOUT, f"{self.name}'s menu item {name!r}")
            click(item)

    def pick(self, opener, button, position):
        """Item position (from 1) of the pop-up menu a click on opener opens.
        Such menus are not in the accessible tree: the keyboard picks."""
        before = len(desk.windows_of(self.process.pid))
        click(opener, button)
        wait_until(lambda: len(desk.windows_of(self.process.pid)) > before, TIMEOUT, f"{self.name}'s pop-up menu")
        desk.press_grabbed(*["Down"] * position, "Return")
        wait_until(lambda: len(desk.windows_of(self.process.pid)) == before, TIMEOUT, f"{self.name}'s menu closed")

    def _showing_item(self, name):
        for node in desk.walk(self.app):
            if node.getRoleName() == "menu item" and node.name == name and showing(node):
                return node
        return None

    def menu_checked(self, name):
        return desk.checked(self.node("menu item", name))

    def click_word(self, word):
        """Builds word by clicking its letters on the rack."""
        tiles = self.rack()
        for letter in word:
            at = next(i for i, (l, _) in enumerate(tiles) if l == letter)
            click(tiles.pop(at)[1])
        wait_until(lambda: self.word_row() == word, TIMEOUT, f"{self.name}'s word row {word!r}",
                   seen=self.word_row)

    def type_word(self, word):
        desk.type_text(self.window, word)
        wait_until(lambda: self.word_row() == word, TIMEOUT, f"{self.name}'s typed word {word!r}",
                   seen=self.word_row)

    def keys(self, *keys):
        desk.press(self.window, *keys)

    def say(self, line):
        click(self.node("text", "Chat line"))
        desk.type_text(self.window, line)
        self.keys("Return")

    def tally(self):
        """The tally as the program prints it."""
        out = subprocess.run([str(self.program), "--tally"], cwd=self.folder, env=self.env, capture_output=True,
                             text=True, timeout=TIMEOUT)
        check(out.returncode == 0, f"{self.name}'s --tally failed: {out.stderr}")
        return out.stdout

    def shot(self, path):
        desk.screenshot(path, extents(self.frame))


def letter_of(name):
    """The letter of "Rack, tile 3 of 10: E" or "Word, letter 2: E"; "" for
    an empty place or a pin."""
    shown = name.rpartition(": ")[2]
    return shown.lower() if len(shown) == 1 else ""


def wait_all(copies, condition, what, timeout=TIMEOUT):
    """condition(copy) in every copy."""
    start = time.monotonic()
    for copy in copies:
        left = max(1.0, timeout - (time.monotonic() - start))
        wait_until(lambda: condition(copy), left, f"{what} in {copy.name}'s window")

#!/usr/bin/python3
"""A whole game, end to end: four seated copies of the program and a late
spectator on one private display, driven only with mouse and keyboard events
and read only through the accessibility bus.

usage: ATSPI_SCREEN=1780x1200x24 run-under-atspi.sh /usr/bin/python3 test_game.py
           --program PINLEX --source SOURCE_DIR --out FOLDER
(ctest runs it so.) Screenshots and, after a failure, each copy's folder stay
in FOLDER."""
import argparse
import faulthandler
import pathlib
import shutil
import signal
import socket
import sys
import tempfile
import time
import traceback

import desk
from desk import Failure, check, click, showing, wait_until
from pinlexcopy import FRAME_TIMEOUT, TIMEOUT, Copy, wait_all
from words import Dictionary

SEATS = ["Ann", "Bob", "Cid", "Dee"]
PLACES = {"Ann": (0, 0), "Bob": (590, 0), "Cid": (1180, 0), "Dee": (0, 610), "Eve": (590, 610)}
desk.PARKING = (1779, 1199)  # the screen's corner below Cid, where no window is
LINK = "www.example.org/pinlex-lanes"
FOLLOWS = {"Ann": ["Cid"], "Bob": ["Ann", "Dee"]}  # opponents each player tallies
STRIKE, SPARE = "You got a Strike!", "You got a Spare!"
DEADLINE = 230  # seconds


def pins(letters):
    return f"You knocked down {letters} pins."


class Card:
    """The scores the host must post, worked out from the words played."""

    def __init__(self):
        self.balls = {seat: {} for seat in range(1, 5)}
        self.words = {seat: {} for seat in range(1, 5)}
        self.strikes = dict.fromkeys(range(1, 5), 0)

    def frame(self, seat, frame):
        return self.balls[seat].setdefault(frame, [None, None, None])

    def verdict(self, seat, frame, letters):
        """The status the seat's own window gives an accepted word."""
        played = [b for b in self.frame(seat, frame) if b is not None]
        ball = len(played) + 1
        if frame == 10 and ball == 3 and played[0] != 10:
            return STRIKE if letters == 10 else pins(letters)  # a fresh rack after a spare
        if ball == 1 and letters == 10:
            return STRIKE
        if ball == 2 and played[0] + letters == 10:
            return SPARE
        if ball == 3 and played[1] + letters == 10:
            return SPARE
        return STRIKE if letters == 10 else pins(letters)

    def play(self, seat, frame, word):
        balls = self.frame(seat, frame)
        balls[balls.index(None)] = len(word)
        self.words[seat].setdefault(frame, []).append(word)
        self.strikes[seat] += len(word) == 10

    def close(self, frame, timed_out):
        """Words not played count as none; a strike's second word stays unplayed."""
        for seat in range(1, 5):
            b = self.frame(seat, frame)
            if timed_out:
                for k in range(3 if frame == 10 else 2):
                    if b[k] is None and not (k == 1 and b[0] == 10 and frame < 10):
                        b[k] = 0
            elif b[0] is None:
                b[0] = b[1] = 0
                if frame == 10:
                    b[2] = 0

    def running(self, seat, upto):
        """Bowling running totals after frames 1..upto, None while a bonus is unknown."""
        f, out = self.balls[seat], []
        for i in range(1, upto + 1):
            a, b, c = f[i]
            if out and out[-1] is None:
                out.append(None)
                continue
            score = (out[-1] if out else 0) + (a or 0) + (b or 0)
            nxt = f[i + 1] if i < upto else None
            if i == 10:
                score += c or 0
            elif a == 10:
                if nxt and nxt[0] is not None and nxt[1] is not None:
                    score += nxt[0] + nxt[1]
                elif nxt and nxt[0] == 10 and i + 2 <= upto:
                    score += 10 + f[i + 2][0]
                else:
                    score = None
            elif (a or 0) + (b or 0) == 10:
                score = score + nxt[0] if nxt else None
            out.append(score)
        return out

    def total(self, seat, upto):
        """The score label: the last positive running total, then the letters
        of the later frames (the game's rule, which leaves frame 1's letters
        out while no running total is known)."""
        run = self.running(seat, upto)
        k = next((i for i in range(upto, 0, -1) if (run[i - 1] or 0) > 0), 1)
        start = run[k - 1] if (run[k - 1] or 0) > 0 else 0
        return start + sum(b or 0 for i in range(k + 1, upto + 1) for b in self.balls[seat][i])

    def cell(self, seat, frame, upto):
        a, b, c = (-1 if x is None else x for x in self.balls[seat].get(frame, [None] * 3))

        def n(x):
            return None if x < 0 else "-" if x == 0 else str(x)
        if frame < 10:
            marks = [None if a == 10 else n(a), "X" if a == 10 else "/" if a + b == 10 else n(b)]
        else:
            marks = ["X" if a == 10 else n(a), "X" if b == 10 else "/" if a != 10 and a + b == 10 else n(b),
                     "X" if c == 10 else "/" if b != 10 and b + c == 10 else n(c)]
        shown = " ".join(m for m in marks if m)
        if not shown:
            return f"seat {seat} frame {frame}: not played"
        run = self.running(seat, upto)[frame - 1]
        return f"seat {seat} frame {frame}: {shown}, " + ("total not known yet" if run is None else f"total {run}")


class Game:
    def __init__(self, program, source, run, shots):
        self.program, self.run, self.shots = program, run, shots
        self.words = Dictionary(source / "resources/words/english.dic")
        self.card = Card()
        self.copies = {}
        self.started = time.monotonic()
        self.watching = set()   # seats set to just watch: left out of the deals
        self.eve_from = 2  # the frame whose scores the spectator is the first to see
        with socket.socket() as probe:  # a port no other game on this machine uses
            probe.bind(("127.0.0.1", 0))
            self.port = str(probe.getsockname()[1])

    # ---- The table ----

    def open(self, name):
        hosting = "true" if name == "Ann" else "other"
        # The host never asks the machine's own router to open its port.
        arguments = [name, "127.0.0.1", hosting, "--port", self.port, "--no-port-mapping"]
        copy = Copy(self.run, name, self.program, arguments, PLACES[name])
        self.copies[name] = copy
        copy.start()
        copy.attach()
        return copy

    def seat(self, name):
        return SEATS.index(name) + 1

    def everybody(self):
        return list(self.copies.values())

    def seated(self):
        return [self.copies[n] for n in SEATS]

    def shoot(self, moment):
        desk.screenshot(self.shots / f"{moment}.png")
        for copy in self.everybody():
            copy.shot(self.shots / f"{moment}-{copy.name}.png")

    # ---- Playing ----

    def word(self, name, frame, word, by_keys, last=False):
        """Plays word; the word that ends the frame may see its verdict
        replaced by the posting of the scores at once."""
        copy, seat = self.copies[name], self.seat(name)
        expected = self.card.verdict(seat, frame, len(word))
        if by_keys:
            copy.type_word(word)
            copy.expect_status("Create a word.")
            copy.keys("Return")
        else:
            copy.click_word(word)
            copy.expect_status("Create a word.")
            click(copy.node("push button", "Send word"))
        posting = "Posting Scores.. Please Wait."
        wait_until(lambda: copy.text("status") in (expected, posting if last else expected), TIMEOUT,
                   f"{name}'s status {expected!r}", seen=lambda: copy.text("status"))
        self.card.play(seat, frame, word)

    def rack(self, name, letters=10):
        copy = self.copies[name]
        wait_until(lambda: len(copy.rack()) == letters, TIMEOUT, f"{name}'s rack of {letters}")
        return "".join(letter for letter, _ in copy.rack())

    def strike(self, name, frame, by_keys, last=False):
        self.word(name, frame, self.words.strike(self.rack(name)), by_keys, last)

    def spare_or_open(self, name, frame, by_keys, last=False):
        rack = self.rack(name)
        first, second = self.words.spare(rack) or self.words.open_frame(rack)
        self.word(name, frame, first, by_keys)
        self.word(name, frame, second, by_keys, last)

    def open_frame(self, name, frame, by_keys, last=False):
        first, second = self.words.open_frame(self.rack(name))
        self.word(name, frame, first, by_keys)
        self.word(name, frame, second, by_keys, last)

    def deal(self, frame):
        """Every seat in play is asked for a word, a seat that only watches
        is told it does not play, the spectator whose turn it is, and all
        racks hold the same letters."""
        for copy in self.everybody():
            if copy.name in self.watching:
                wait_until(lambda: showing(copy.node("image", "Not playing this frame")), FRAME_TIMEOUT,
                           f"{copy.name} told it does not play frame {frame}")
                continue
            text = "Create a word." if copy.name in SEATS else "Ann's turn."
            copy.expect_status(text, FRAME_TIMEOUT)
        racks = {name: sorted(self.rack(name)) for name in SEATS}
        check(len({"".join(r) for r in racks.values()}) == 1, f"frame {frame}: the seats got different racks {racks}")
        self.dealt = "".join(racks["Ann"])

    def end(self, frame, timed_out=False):
        """The frame's scores in every window: labels, card cells, words and
        the frame's word."""
        self.card.close(frame, timed_out)
        for copy in self.everybody():
            copy.expect_status("Posting Scores.. Please Wait.", FRAME_TIMEOUT)
        totals = [str(self.card.total(seat, frame)) for seat in range(1, 5)]
        wait_all(self.everybody(), lambda c: [c.score(s) for s in range(1, 5)] == totals,
                 f"frame {frame} totals {totals}")
        for copy in self.everybody():
            first = self.eve_from if copy.name == "Eve" else 1
            for seat in range(1, 5):
                for f in range(first, frame + 1):
                    expected = self.card.cell(seat, f, frame)
                    shown = desk.name(copy.cells[seat, f])
                    check(shown == expected, f"{copy.name}'s card shows {shown!r}, not {expected!r}")
                played = self.card.words[seat].get(frame, [])
                shown = [copy.text(f"seat {seat} word {k}") for k in (1, 2, 3)]
                check(shown == played + [""] * (3 - len(played)), f"{copy.name} shows {shown} for seat {seat}")
            line = copy.text("word line")
            if frame < 10:
                check(line.startswith("Original Word: ") and sorted(line[15:].lower()) == sorted(self.dealt),
                      f"{copy.name}'s word line {line!r} is not the rack {self.dealt}")
            else:
                check(line.startswith("Original Words: ") and line.count(" / ") == 2, f"{copy.name}: {line!r}")

    # ---- The game ----

    def play(self):
        for name in SEATS:
            self.open(name)
        names = [f"seat {s} player" for s in range(1, 5)]
        wait_all(self.seated(), lambda c: [c.text(n) for n in names] == SEATS, "the four names in their seats")
        for copy in self.seated():
            for other in SEATS:
                if other != copy.name:
                    copy.expect_line(f"{other} is Connected.")

        ann, bob, cid, dee = self.seated()
        for copy, item in ((ann, "Play Chatter Sounds"), (dee, "Play Chatter Sounds"), (bob, "Type Words"),
                           (dee, "Type Words")):
            before = copy.menu_checked(item)
            copy.menu("Options", item)
            wait_until(lambda: copy.menu_checked(item) != before, TIMEOUT, f"{copy.name}'s {item} switched")
        ann.menu("Options", "Time Between Rounds", "Short")
        wait_until(lambda: desk.checked(ann.node("menu item", "Short")), TIMEOUT, "Short pause chosen")

        self.start_game(ann)
        for frame in range(1, 11):
            self.deal(frame)
            print(f"frame {frame} dealt at {time.monotonic() - self.started:.1f} s", flush=True)
            getattr(self, f"frame{frame}", self.plain_frame)(frame)
        self.finish()

    def start_game(self, ann):
        ann.menu("File", "Start Game")
        dialog = wait_until(lambda: next((n for n in desk.children(ann.app)
                                          if n.name == "Pinlex - Game Start" and showing(n)), None),
                            TIMEOUT, "the game start dialog")
        nodes = {(n.getRoleName(), n.name): n for n in desk.walk(dialog)}
        spin = nodes["spin button", "Time per turn in seconds"]
        value = lambda: spin.queryValue().currentValue  # noqa: E731
        x, y, w, h = desk.extents(spin)
        start = value()
        desk.click_at(x + w // 2, y + h // 4)          # the up arrow
        wait_until(lambda: value() == start + 5, TIMEOUT, "a longer turn", seen=value)
        desk.click_at(x + w // 2, y + 3 * h // 4)      # and down again
        wait_until(lambda: value() == 45, TIMEOUT, "45 seconds a turn", seen=value)
        check(nodes["check box", "Team Game"].description == "off", "a team game was offered")
        check(nodes["spin button", "Computer players"].queryValue().currentValue == 0, "computer players")
        click(nodes["push button", "Start Game"])
        for copy in self.everybody():
            copy.expect_line("Ann has started a game.")
        wait_all(self.everybody(), lambda c: c.text("time per turn") == "Time Per Turn: 45 s.", "the turn time")
        check(not showing(dialog), "the game start dialog stayed open")

    def plain_frame(self, frame):
        self.spare_or_open("Ann", frame, False)
        self.open_frame("Bob", frame, True)
        if frame == 9:
            self.shoot("frame9")
        self.strike("Cid", frame, False)
        (self.strike if frame % 2 else self.spare_or_open)("Dee", frame, True, last=True)
        self.end(frame)

    def frame1(self, frame):
        ann = self.copies["Ann"]
        # Swap the first two tiles with the right button.
        (_, tile_a), (_, tile_b) = ann.rack()[:2]
        click(tile_a, 3)
        wait_until(lambda: desk.description(tile_a) == "raised for a swap", TIMEOUT, "a raised tile")
        click(tile_b, 3)
        wait_until(lambda: [t.path for _, t in ann.rack()[:2]] == [tile_b.path, tile_a.path], TIMEOUT,
                   "the two tiles swapped")
        # Shuffle: the same letters in another order.
        order = [t.path for _, t in ann.rack()]
        click(ann.node("push button", "Sort Letters"))
        wait_until(lambda: [t.path for _, t in ann.rack()] != order, TIMEOUT, "the rack shuffled")
        check(sorted(self.rack("Ann")) == list(self.dealt), "shuffling changed the letters")
        # Three letters in the word row, and Clear puts them back.
        ann.click_word(self.rack("Ann")[:3])
        click(ann.node("push button", "Clear"))
        wait_until(lambda: ann.word_row() == "" and len(ann.rack()) == 10, TIMEOUT, "the word row cleared")
        self.shoot("frame1")
        self.plain_frame(frame)

    def frame2(self, frame):
        bob = self.copies["Bob"]
        # With Type Words: Backspace takes the last letter back, 1 clears, 6 shuffles.
        rack = self.rack("Bob")
        bob.type_word(rack[:3])
        bob.keys("BackSpace")
        wait_until(lambda: bob.word_row() == rack[:2], TIMEOUT, "Backspace", seen=bob.word_row)
        bob.keys("1")
        wait_until(lambda: bob.word_row() == "" and len(bob.rack()) == 10, TIMEOUT, "1 clears")
        order = [t.path for _, t in bob.rack()]
        bob.keys("6")
        wait_until(lambda: [t.path for _, t in bob.rack()] != order, TIMEOUT, "6 shuffles")
        # A spectator arrives while the frame runs.
        eve = self.open("Eve")
        for copy in self.everybody():
            copy.expect_line("You are spying." if copy is eve else "Eve is spying.")
        check([eve.text(f"seat {s} player") for s in range(1, 5)] == SEATS, "Eve sees other names")
        totals = [str(self.card.total(s, 1)) for s in range(1, 5)]
        check([eve.score(s) for s in range(1, 5)] == totals, "Eve sees other scores")
        check(eve.text("time per turn") == "Time Per Turn: 45 s.", "Eve was not told the turn time")
        wait_until(lambda: eve.text("turn clock") != "Time: 0:00", TIMEOUT, "Eve's clock running")
        eve.menu("Options", "Play Chatter Sounds")
        wait_until(lambda: not eve.menu_checked("Play Chatter Sounds"), TIMEOUT, "Eve's chatter sounds off")
        self.plain_frame(frame)

    def frame3(self, frame):
        """Everything that needs time, while Dee lets the clock run out."""
        ann, bob, cid, dee, eve = (self.copies[n] for n in SEATS + ["Eve"])
        self.spare_or_open("Ann", frame, False)
        self.open_frame("Bob", frame, True)
        self.strike("Cid", frame, False)

        # A chatter sound: a line where chatter sounds are off, a sound elsewhere.
        bob.pick(bob.node("push button", "Chatter Sounds"), 1, 6)  # below <Cancel>, the fifth sound
        heard = "Bob: <Chatter Sound> "
        said = wait_until(lambda: [l for l in ann.chat_lines() if l.startswith(heard)], TIMEOUT, "the sound in chat")
        check(len(said) == 1 and len(said[0]) > len(heard), f"Ann's chat shows {said}")
        for copy in (dee, eve):
            copy.expect_line(said[0])

        # A link in a chat line: every window shows it, and a click opens it.
        ann.say(f"Lanes open at {LINK}")
        said = f"Ann chats: Lanes open at {LINK}"
        wait_all(self.everybody(), lambda c: said in c.chat_lines(), "Ann's line")
        for copy in (bob, cid):  # the sound came before the line
            check(not any("<Chatter Sound>" in line for line in copy.chat_lines()), f"{copy.name} showed the sound")
        line = next(n for n in desk.children(eve.chat) if " ".join(desk.name(n).split()) == said)
        link = wait_until(lambda: desk.children(line), TIMEOUT, "the link in the line")[0]
        check(link.name == LINK, f"the link reads {link.name!r}")
        click(link)
        opened = eve.folder / "opened.txt"
        wait_until(lambda: opened.exists() and f"http://{LINK}" in opened.read_text(), TIMEOUT, "the link opened")

        for name, opponents in FOLLOWS.items():
            self.follow(self.copies[name], opponents)

        # An invalid word with the panel, then with the options that clear it.
        nonsense = self.words.nonsense(self.rack("Dee"))
        dee.type_word(nonsense)
        dee.keys("Return")
        dee.expect_status("Invalid Word")
        panel = dee.node("image", "Invalid word")
        check(showing(panel) and dee.word_row() == nonsense, "the invalid-word panel or the word went")
        self.shoot("invalid")
        click(dee.node("image", "OK"))
        wait_until(lambda: not showing(panel), TIMEOUT, "the panel closed")
        dee.expect_status("Create a word.")
        dee.keys("1")
        for item in ("Automatically Clear Invalid Words", "Show Invalid Word Panel"):
            before = dee.menu_checked(item)
            dee.menu("Options", item)
            wait_until(lambda: dee.menu_checked(item) != before, TIMEOUT, f"Dee's {item} switched")
        dee.type_word(nonsense)
        dee.expect_status("Create a word.")
        dee.keys("Return")
        dee.expect_status("Invalid Word")
        wait_until(lambda: dee.word_row() == "" and len(dee.rack()) == 10, TIMEOUT, "the invalid word cleared")
        check(not showing(panel), "the panel showed although switched off")

        # One short word, then the clock runs out on Dee, and on every window's clock.
        self.word("Dee", frame, self.words.open_frame(self.dealt)[0], True)
        self.shoot("frame3")
        dee.expect_status("Time is Up", FRAME_TIMEOUT)
        for copy in self.everybody():
            copy.expect_status("Time is Up")
        self.end(frame, timed_out=True)

    def follow(self, copy, opponents):
        """View Tally: tick opponents among the players in the game."""
        copy.menu("View", "View Tally")
        window = wait_until(lambda: next((n for n in desk.children(copy.app)
                                          if n.path != copy.frame.path and showing(n)), None), TIMEOUT, "the tally")
        tallied, playing = [n for n in desk.walk(window) if n.getRoleName() == "list"]
        names = [n.name for n in desk.children(playing)]
        check(sorted(names) == sorted(set(SEATS) - {copy.name}), f"{copy.name} may tally {names}")
        for item in desk.children(playing):
            if item.name in opponents:
                x, y, w, h = desk.extents(item)
                desk.click_at(x + 10, y + h // 2)  # its tick box
        wait_until(lambda: [n.name for n in desk.children(tallied)] == opponents, TIMEOUT,
                   f"{copy.name} tallying {opponents}", seen=lambda: [n.name for n in desk.children(tallied)])
        click(next(n for n in desk.walk(window) if n.getRoleName() == "push button" and n.name == "Done"))
        wait_until(lambda: not showing(window), TIMEOUT, "the tally closed")

    def frame4(self, frame):
        ann, bob = self.copies["Ann"], self.copies["Bob"]
        ann.pick(ann.by_desc["seat 2 player"], 3, 2)  # Remove From Game, Set to Just Watch, ...
        for copy in self.everybody():
            copy.expect_line("Bob is just watching")
        wait_all(self.everybody(), lambda c: showing(c.node("image", "seat 2 is just watching")), "Bob's eyes")
        wait_until(lambda: bob.menu_checked("Just Watch"), TIMEOUT, "Bob's Just Watch checked")
        self.watching.add("Bob")
        self.plain_frame(frame)  # the frame in play is not affected

    def frame5(self, frame):
        bob = self.copies["Bob"]
        self.spare_or_open("Ann", frame, False)
        self.strike("Cid", frame, False)
        bob.menu("Options", "Just Watch")
        for copy in self.everybody():
            copy.expect_line("Bob is now playing again")
        wait_all(self.everybody(), lambda c: not showing(c.node("image", "seat 2 is just watching")), "no eyes")
        check(not bob.menu_checked("Just Watch"), "Bob's Just Watch still checked")
        self.watching.discard("Bob")
        self.strike("Dee", frame, True, last=True)
        self.end(frame)

    def frame10(self, frame):
        """The bonus racks: Cid strikes three times, Dee strikes and then
        plays two words from the second rack, Ann gets a third rack after a spare."""
        for _ in range(3):
            self.strike("Cid", frame, False)
        self.strike("Dee", frame, True)
        for word in self.words.open_frame(self.rack("Dee")):
            self.word("Dee", frame, word, True)
        self.open_frame("Bob", frame, True)
        rack = self.rack("Ann")
        spare = self.words.spare(rack)
        first, second = spare or self.words.open_frame(rack)
        self.word("Ann", frame, first, False)
        self.word("Ann", frame, second, False, last=not spare)
        if spare:
            self.word("Ann", frame, self.words.open_frame(self.rack("Ann"))[0], False, last=True)
        self.end(frame)

    def finish(self):
        check(self.card.total(3, 10) == 300, "Cid's game was not perfect")
        check(any(" /," in self.card.cell(s, f, 10) for s in range(1, 5) for f in range(1, 11)), "no spare")
        for copy in self.everybody():
            won = "You have Won the Game!" if copy.name == "Cid" else "Cid has Won the Game!"
            copy.expect_status(won, FRAME_TIMEOUT)
            copy.expect_line(won)
        wait_all(self.everybody(), lambda c: [showing(c.node("image", f"seat {s} won")) for s in range(1, 5)]
                 == [False, False, True, False], "Cid's winner banner alone")
        self.shoot("winner")

        ann = self.copies["Ann"]
        for name in ["Eve", "Dee", "Cid", "Bob"]:
            self.copies[name].exit()
            ann.expect_line("Eve has left." if name == "Eve" else f"{name} disconnected.")
        ann.exit()
        check(not (self.copies["Eve"].folder / "Pinlex1tally.tld").exists(), "the spectator kept a tally")
        for name in SEATS:
            self.check_tally(name)

    def check_tally(self, name):
        seat, winner = self.seat(name), name == "Cid"
        lines = self.copies[name].tally().splitlines()
        own = {k: line.split()[-1] for line in lines for k in ("Total Games:", "Your Wins:", "300 Games:",
                                                              "Strikes:", "Average:") if k in line}
        expected = {"Total Games:": "1", "Your Wins:": str(int(winner)), "300 Games:": str(int(winner)),
                    "Strikes:": str(self.card.strikes[seat]), "Average:": str(self.card.total(seat, 10))}
        check(own == expected, f"{name}'s tally {own}, not {expected}")
        rows = {line.split()[0]: [c for c in line.split()[1:] if c != "|"] for line in lines
                if line.split()[:1] and line.split()[0] in SEATS}
        expected = {other: ["1", str(int(other == "Cid")), str(int(winner)), str(int(not winner and other != "Cid"))]
                    * 2 for other in FOLLOWS.get(name, [])}
        check(rows == expected, f"{name}'s tally of opponents {rows}, not {expected}")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--program", type=pathlib.Path, required=True)
    parser.add_argument("--source", type=pathlib.Path, required=True)
    parser.add_argument("--out", type=pathlib.Path, required=True)
    args = parser.parse_args()
    args.out.mkdir(parents=True, exist_ok=True)
    for old in args.out.glob("run-*"):
        shutil.rmtree(old, ignore_errors=True)
    run = pathlib.Path(tempfile.mkdtemp(prefix="run-", dir=args.out))
    (run / "bin").mkdir()
    opener = run / "bin/xdg-open"  # records what the program asks the desktop to open
    opener.write_text('#!/bin/sh\nprintf \'%s\\n\' "$@" >> "$PINLEX_E2E_OPENED"\n')
    opener.chmod(0o755)

    started = time.monotonic()
    # A game takes under three minutes: fail, and say where, well before ctest's limit.
    faulthandler.dump_traceback_later(DEADLINE)
    def give_up(signum, _):
        raise Failure(f"stopped by signal {signum}")
    signal.signal(signal.SIGALRM, give_up)
    signal.signal(signal.SIGTERM, give_up)
    signal.alarm(DEADLINE + 5)
    game = Game(args.program.resolve(), args.source, run, args.out)
    try:
        game.play()
    except (Failure, Exception):
        traceback.print_exc()
        try:
            desk.screenshot(args.out / "failure.png")
        except Exception:
            pass
        for copy in game.copies.values():
            print(f"{copy.name}: {copy.process.returncode if copy.process else 'not started'}", file=sys.stderr)
        print(f"the copies' folders are kept in {run}", file=sys.stderr)
        return 1
    finally:
        for copy in game.copies.values():
            copy.stop()
    shutil.rmtree(run, ignore_errors=True)
    print(f"a whole game in {time.monotonic() - started:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())

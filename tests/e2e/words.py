"""Words to play, found in the program's own dictionary (resources/words)."""
from collections import Counter


class Dictionary:
    def __init__(self, path):
        data = open(path, "rb").read()
        # 15-byte records: 0x1E, then the upper-case word padded with blanks.
        if len(data) % 15 or data[:1] != b"\x1e":
            raise ValueError(f"{path} is not a dictionary file")
        self.by_letters = {}
        for at in range(0, len(data), 15):
            word = data[at + 1:at + 15].decode("latin-1").rstrip(" ").lower()
            if len(word) <= 10:
                self.by_letters.setdefault("".join(sorted(word)), []).append(word)
        self.words = {w for group in self.by_letters.values() for w in group}
        self.by_length = {}
        for word in sorted(self.words):
            self.by_length.setdefault(len(word), []).append(word)

    def anagram(self, letters):
        found = self.by_letters.get("".join(sorted(letters)))
        return found[0] if found else None

    def within(self, letters, lengths):
        """Words of the given lengths that the letters can make, short first."""
        pool, kinds = Counter(letters), set(letters)
        return [w for n in lengths for w in self.by_length.get(n, ())
                if set(w) <= kinds and not Counter(w) - pool]

    def strike(self, rack):
        return self.anagram(rack)

    def spare(self, rack):
        """Two words that use every letter between them, or None."""
        for first in self.within(rack, range(2, 9)):
            rest = Counter(rack) - Counter(first)
            second = self.anagram("".join(rest.elements()))
            if second:
                return first, second
        return None

    def open_frame(self, rack, longest=4):
        """Two short words that leave letters standing."""
        for first in self.within(rack, range(2, longest + 1)):
            rest = "".join((Counter(rack) - Counter(first)).elements())
            seconds = self.within(rest, range(2, longest + 1))
            if seconds:
                return first, seconds[0]
        raise AssertionError(f"no two short words in {rack}")

    def nonsense(self, rack, length=4):
        """Letters of the rack that spell no word."""
        letters = sorted(rack)
        for start in range(len(letters) - length + 1):
            guess = "".join(letters[start:start + length])
            if guess not in self.words:
                return guess
        raise AssertionError(f"every run of {rack} is a word")

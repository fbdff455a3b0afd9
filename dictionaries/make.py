#!/usr/bin/env python3
"""The ready dictionaries: Russian, English and both together, made from free
text in Debian packages.

  make.py build ZARVO_DICT OUT_DIR WORK_DIR   the three .slo files
  make.py corpus LANG OUT [--part K/N] [--rest] [--only fortunes|man]
                                              a language's text as UTF-8, or a
                                              share of it (every Nth fortune file)
  make.py evaluate DICT TEXT...               keystrokes saved by Ctrl completion

The words are counted by zarvo-dict; this script only gathers the text, keeps
words of one script's letters that a spelling dictionary knows or that the
text uses at least three times (so one-off typos and roff leftovers go, terms
stay), and fills up with known words the text never used, after all counted
ones.

How the sources were chosen: each candidate was scored by `evaluate` on the
Russian and English messages of the programs installed on a Debian desktop,
text none of them was built from. Fortunes and manual pages together scored
8.8% (Russian) and 11.9% (English) of keystrokes saved; fortunes alone 5.2%
and 8.7%, manual pages alone 8.7% and 12.6% but far less on the fortunes.
"""

import gzip
import os
import re
import subprocess
import sys

DELIMITERS = "+-*/;.\" ',!?()[]{}^p^t"
MIN_LENGTH = 3
FREQUENT = 3  # a word used this often stays even when the spelling dictionary lacks it
WORDS_PER_LANGUAGE = 100000
NAMES = {"ru": "Русский.slo", "en": "English.slo", "both": "Русский и English.slo"}

RU_LETTERS = re.compile("^[а-яё]+$")
EN_LETTERS = re.compile("^[a-z]+$")


def package_files(package):
    out = subprocess.run(["dpkg-query", "-L", package], check=True, capture_output=True, text=True).stdout
    return sorted(p for p in out.splitlines() if os.path.isfile(p) and not os.path.islink(p))


def fortune_files(lang):
    """The fortune files themselves (UTF-8), not their indexes."""
    files = package_files("fortunes-ru") if lang == "ru" else package_files("fortunes") + package_files("fortunes-min")
    return sorted(p for p in files if "/fortunes/" in p and not p.endswith(".dat") and ("/ru/" in p) == (lang == "ru"))


def man_files(lang):
    package = "manpages-ru" if lang == "ru" else "manpages"
    return [p for p in package_files(package) if re.search(r"/man/(ru/)?man\d/", p)]


ROFF_ESCAPE = re.compile(r"\\(f\[[^\]]*\]|f.|\(..|\[[^\]]*\]|\*\(..|\*.|s[-+]?\d+|[-e]|.)")


def roff_text(data):
    """The words of a manual page's source: requests and escapes dropped."""
    lines = []
    for line in data.splitlines():
        if line.startswith((".", "'")):
            if line.startswith(('.\\"', "'\\\"")):
                continue
            parts = line.split(None, 1)
            line = parts[1] if len(parts) > 1 else ""
        lines.append(ROFF_ESCAPE.sub(" ", line))
    return "\n".join(lines)


def read_text(path):
    raw = gzip.open(path).read() if path.endswith(".gz") else open(path, "rb").read()
    text = raw.decode("utf-8", errors="replace")
    return roff_text(text) if "/man/" in path else text


def corpus(lang, part=None, rest=False, only=None):
    files = []
    if only in (None, "fortunes"):
        files += fortune_files(lang)
    if only in (None, "man"):
        files += man_files(lang)
    if part:
        k, n = part
        files = [f for i, f in enumerate(files) if (i % n == k) != rest]
    return "\n".join(read_text(f) for f in files)


def known_words(lang):
    """Every word form the spelling dictionary knows, lower case, and its
    base forms in the dictionary's own order (the filling)."""
    if lang == "ru":
        forms = subprocess.run(["unmunch", "/usr/share/hunspell/ru_RU.dic", "/usr/share/hunspell/ru_RU.aff"],
                               check=True, capture_output=True).stdout.decode("utf-8", errors="replace")
        known = {w.lower() for w in forms.split()}
        with open("/usr/share/hunspell/ru_RU.dic", encoding="utf-8") as f:
            next(f)
            base = [line.split("/")[0].strip().lower() for line in f]
        letters = RU_LETTERS
    else:
        with open("/usr/share/dict/american-english-huge", encoding="utf-8") as f:
            base = [w.strip().lower() for w in f]
        known = set(base)
        letters = EN_LETTERS
    known = {w for w in known if letters.match(w)}
    filling, seen = [], set()
    for w in base:
        if letters.match(w) and len(w) >= MIN_LENGTH and w not in seen:
            seen.add(w)
            filling.append(w)
    filling.sort(key=len)  # stable: shorter words first, each length in dictionary order
    return known, filling


def read_slo(path):
    with open(path, "rb") as f:
        lines = f.read().decode("cp1251").split("\r\n")
    words = []
    for line in lines[1:]:
        if line:
            count, word = line.split(" ", 1)
            words.append((int(count), word))
    return words


def write_slo(path, entries):
    body = "".join(f"{count} {word}\r\n" for count, word in entries)
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write((DELIMITERS + "\r\n" + body).encode("cp1251"))
    os.replace(tmp, path)


def language_entries(lang, zarvo_dict, work):
    source = os.path.join(work, f"{lang}.txt")
    counted = os.path.join(work, f"{lang}-counted.slo")
    with open(source, "w", encoding="utf-8") as f:
        f.write(corpus(lang))
    subprocess.run([zarvo_dict, "--min", str(MIN_LENGTH), "--encoding", "utf-8", "--", source, counted],
                   check=True, stderr=subprocess.DEVNULL)
    known, filling = known_words(lang)
    letters = RU_LETTERS if lang == "ru" else EN_LETTERS
    entries = [(c, w) for c, w in read_slo(counted) if letters.match(w) and (w in known or c >= FREQUENT)]
    entries = entries[:WORDS_PER_LANGUAGE]
    have = {w for _, w in entries}
    for w in filling:
        if len(entries) >= WORDS_PER_LANGUAGE:
            break
        if w not in have:
            have.add(w)
            entries.append((0, w))
    return entries


def build(zarvo_dict, out, work):
    os.makedirs(out, exist_ok=True)
    os.makedirs(work, exist_ok=True)
    ru = language_entries("ru", zarvo_dict, work)
    en = language_entries("en", zarvo_dict, work)
    write_slo(os.path.join(out, NAMES["ru"]), ru)
    write_slo(os.path.join(out, NAMES["en"]), en)
    # The scripts never share a prefix, so each language keeps its own order.
    write_slo(os.path.join(out, NAMES["both"]), ru + en)
    print(f"dictionaries: {len(ru)} Russian, {len(en)} English words")


def evaluate(dictionary, texts):
    """Keystrokes saved when every word is typed letter by letter and Ctrl
    takes the top suggestion as soon as it is the word being typed."""
    top = {}
    for _, w in read_slo(dictionary):
        for k in range(1, len(w) + 1):
            top.setdefault(w[:k], w)
    typed = saved = 0
    for path in texts:
        with open(path, encoding="utf-8", errors="replace") as f:
            text = f.read()
        typed += len(text)
        for word in re.findall(r"[^\s+\-*/;.\"',!?()\[\]{}]+", text):
            w = word.lower()
            for k in range(1, len(w) - 1):
                if top.get(w[:k]) == w:
                    saved += len(w) - k - 1
                    break
    return saved / typed if typed else 0.0


def main(argv):
    if len(argv) >= 4 and argv[0] == "build":
        build(*argv[1:4])
    elif len(argv) >= 3 and argv[0] == "corpus":
        part, rest, only = None, False, None
        for i, a in enumerate(argv):
            if a == "--part":
                part = tuple(int(x) for x in argv[i + 1].split("/"))
            rest = rest or a == "--rest"
            if a == "--only":
                only = argv[i + 1]
        with open(argv[2], "w", encoding="utf-8") as f:
            f.write(corpus(argv[1], part, rest, only))
    elif len(argv) >= 3 and argv[0] == "evaluate":
        print(f"{evaluate(argv[1], argv[2:]) * 100:.1f}% of keystrokes saved")
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])

#!/usr/bin/env python3
"""Writes assets/commentary/phrases.txt: every clip of the sample's
VOICE\\VOICE.WAD with the words it speaks, for scripts/make-voice-clips.sh.

The clips are of two kinds:
- the pieces of the commentary lines of COMMENT.TXT. Each piece speaks the
  words that follow its code up to the next code, so that a line played
  with its names dropped in reads as one sentence. Which stretches of words
  become pieces, and what they are called, follows the way the program
  reads COMMENT.TOK (src/commentary/comment_tok.cpp); the sample test
  checks that the two agree, clip for clip.
- the name clips of names.txt, in both voices: J/B + team key + "FU" says
  the team's two name parts, J/B + player key the player's second part.

Run it, then `scripts/make-voice-clips.sh assets/commentary`.
"""
import os
import re

FOLDER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "assets", "commentary")
NAME_CODES = "Tt12"


def spoken(words):
    return " ".join(words.replace("\r", " ").replace("\n", " ").split()).lstrip(", ")


def line_pieces(text):
    """(clip name, speaker, words) of every piece of every entry."""
    start = text.index("<035>")
    markers = [m.start() for m in re.finditer(r"<[^\x00]{3}>", text) if m.start() >= start]
    pieces = []
    for number, at in enumerate(markers):
        end = markers[number + 1] if number + 1 < len(markers) else len(text)
        entry_id = text[at + 1 : at + 4]
        letters = {"J": "A", "B": "A"}
        speaker = None

        def add(words):
            pieces.append((f"{speaker}{entry_id}{letters[speaker]}", speaker, spoken(words)))
            letters[speaker] = chr(ord(letters[speaker]) + 1)

        code = text.find("%", at + 6)
        while 0 <= code < end:
            char = text[code + 1]
            following = text.find("%", code + 1)
            words = text[code + 2 : following if 0 <= following < end else end]
            if char in "JB":
                speaker = char
                if text[code + 3 : code + 4] != "%":
                    add(words)
            elif char in NAME_CODES and following - (code + 1) > 4:
                add(words)
            code = following
    return pieces


def name_clips(lines):
    clips = []
    for line in lines:
        if not line.strip() or line.startswith("#") or line == "AGENTS":
            continue
        if line.startswith("TEAM "):
            _, key, _, part1, part2 = line.split()
            clips += [(f"{speaker}{key}FU", speaker, f"{part1} {part2}") for speaker in "JB"]
        else:
            key, names = line.split(" ", 1)
            clips += [(f"{speaker}{key}", speaker, names.split("|")[1]) for speaker in "JB"]
    return clips


def main():
    with open(os.path.join(FOLDER, "COMMENT.TXT"), newline="") as file:
        # make-sample writes the text with CR LF line ends: the distances
        # between codes are those of that text.
        text = file.read().replace("\r\n", "\n").replace("\n", "\r\n")
    with open(os.path.join(FOLDER, "names.txt")) as file:
        names = file.read().splitlines()
    clips = line_pieces(text) + name_clips(names)
    with open(os.path.join(FOLDER, "phrases.txt"), "w") as out:
        out.write(
            "# Written by scripts/commentary-phrases.py from COMMENT.TXT and names.txt:\n"
            "# NAME SPEAKER TEXT for every clip of VOICE\\VOICE.WAD.\n"
        )
        for name, speaker, words in clips:
            out.write(f"{name:<9} {speaker} {words}\n")
    print(f"{len(clips)} clips")


main()

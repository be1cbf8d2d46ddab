#!/usr/bin/env python3
"""Fails when a source file includes a header of a layer it may not use.

Every folder of the program is a room; a room may include its own headers and those of the rooms
its line below names, and nothing above it. The table is the one the README's "Code layers,
bottom up" describes: keep the two together. A quoted include is resolved as the compiler resolves
it, against the include folders (shared/, blocking/shared/, src/, the build's generated headers).
"""

import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

# Bottom up: each room may include the rooms it lists (and itself).
ALLOWED = {
    "core": [],
    "crypto": ["core"],
    "win": ["core", "generated"],
    "manifest": ["core", "crypto", "win", "generated"],
    "download": ["core", "win", "manifest"],
    "storage": ["core", "win", "manifest"],
    "blocking": ["core", "win", "manifest"],
    "protocol": ["core", "manifest"],
    "registration": ["core", "win", "manifest"],
    "theme": ["core", "win"],
    "webview2": ["core", "win", "manifest", "blocking", "generated"],
    "ui": ["core", "win", "manifest", "protocol", "theme"],
    "apply": ["core", "crypto", "win", "manifest", "download", "storage", "blocking", "protocol",
              "registration", "webview2", "generated"],
    "controller": ["core", "crypto", "win", "manifest", "download", "storage", "blocking",
                   "protocol", "registration", "webview2", "ui", "apply", "generated"],
    "entry": ["core", "crypto", "win", "manifest", "download", "storage", "blocking", "protocol",
              "registration", "theme", "webview2", "ui", "apply", "controller", "generated"],
    # The publisher's tool classifies failures with the wizard's own table (ui/failure_explanation).
    "publisher": ["core", "crypto", "win", "manifest", "download", "storage", "ui", "generated"],
}
# The folders inside a room, bottom up: a file may include its own folder's headers and those of
# the folders before it, never one after it, and the progress window and the wizard never include
# each other. In ui/: the texts, then what screen readers get, then what both windows share.
INNER_ORDER = {"ui": ["ui", "ui/access", "ui/window", "ui/progress|ui/wizard"]}

INCLUDE_DIRS = ["shared", "blocking/shared", "src"]
GENERATED = {"build_config.h", "embedded_bootstrapper_digest.h"}
SOURCES = ["shared", "blocking/shared", "src", "publisher"]


def room_of(relative: str) -> str | None:
    """The room of a file given by its path from the repository's root."""
    parts = relative.split("/")
    if parts[0] == "shared":
        return parts[1]
    if parts[:2] == ["blocking", "shared"]:
        return "blocking"
    if parts[0] == "publisher":
        return "publisher"
    if parts[0] == "src":
        return "entry" if len(parts) == 2 else parts[1]
    return None


def folder_of(relative: str) -> str:
    """A file's folder below src/ ("ui", "ui/access", ...)."""
    return relative.rsplit("/", 1)[0].removeprefix("src/")


def inner_level(order: list[str], relative: str) -> int:
    folder = folder_of(relative)
    return next(i for i, level in enumerate(order) if folder in level.split("|"))


def resolve(include: str, including: pathlib.Path) -> str | None:
    if include in GENERATED:
        return "generated"
    beside = including.parent / include
    if beside.exists():
        return str(beside.relative_to(ROOT))
    for folder in INCLUDE_DIRS:
        candidate = ROOT / folder / include
        if candidate.exists():
            return str(candidate.relative_to(ROOT))
    return None


def check_table() -> list[str]:
    """The table itself must name known rooms and hold no cycle."""
    problems = []
    for room, uses in ALLOWED.items():
        problems += [f"the table: {room} uses unknown room {u}" for u in uses
                     if u not in ALLOWED and u != "generated"]
    done, active = set(), []

    def visit(room):
        if room in active:
            problems.append("the table has a cycle: " + " -> ".join(active + [room]))
            return
        if room in done or room == "generated":
            return
        active.append(room)
        for used in ALLOWED.get(room, []):
            visit(used)
        active.pop()
        done.add(room)

    for room in ALLOWED:
        visit(room)
    return problems


def main() -> int:
    problems = check_table()
    pattern = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
    for top in SOURCES:
        for path in sorted((ROOT / top).rglob("*")):
            if path.suffix not in (".h", ".cpp", ".in") or not path.is_file():
                continue
            relative = str(path.relative_to(ROOT))
            room = room_of(relative)
            if room not in ALLOWED:
                problems.append(f"{relative}: in no room of the table")
                continue
            for include in pattern.findall(path.read_text(encoding="utf-8")):
                target = resolve(include, path)
                if target is None:
                    problems.append(f'{relative}: "{include}" names no file of the program')
                    continue
                used = "generated" if target == "generated" else room_of(target)
                if used != room and used not in ALLOWED[room]:
                    problems.append(f'{relative}: "{include}" is in {used}, which {room} may not use')
                    continue
                order = INNER_ORDER.get(room)
                if order and used == room:
                    mine, theirs = inner_level(order, relative), inner_level(order, target)
                    if theirs > mine or (theirs == mine and folder_of(relative) != folder_of(
                            target)):
                        problems.append(f'{relative}: "{include}" is in {folder_of(target)}, '
                                        f'above {folder_of(relative)} or beside it')
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Checks that the production folders include one another only along the allowed arrows.

Reads every #include of the folders below, finds the repository file it names, and fails on an
arrow from one folder to another that ALLOWED does not list. A file counts to the longest folder
of ALLOWED that holds it, so the rules for the engine's stages (vbmp3/src/core) sit beside the rule
for their parent. Includes within one such folder are always allowed; system headers are not looked at.

    tools/check_layers.py           # check; exit 1 on an arrow not allowed
    tools/check_layers.py --graph   # print the arrows and circles between top-level folders
"""
import pathlib
import re
import sys

# Who may include whom, top down: app -> player, visual, folder, mpris -> ui, engine -> platform
# -> legacy_text, and engine -> vbmp3 (from engine/ only its C header) -> legacy_text. Tests,
# benches, tools and fuzzers may include anything and are not checked.
ALLOWED = {
    "app": {"player", "mpris"},
    "mpris": {"player", "platform"},
    "player": {"visual", "folder", "ui", "platform", "engine"},
    "visual": {"ui", "platform", "engine"},
    "folder": {"ui", "platform"},
    "ui": {"platform"},
    "platform": {"legacy_text"},
    "engine": {"vbmp3/include", "platform"},
    "vbmp3": {"vbmp3/include", "legacy_text"},
    "vbmp3/include": set(),
    "vbmp3/src": {"vbmp3/include", "legacy_text"},
    # The engine's stages: api -> core -> decoders -> tags; core -> outputs; all -> shared;
    # api -> sandbox -> the decoders' and tags' interfaces, whose parsing runs in the decoder
    # process (decoder_helper -> sandbox's wire, decoders, tags).
    "vbmp3/src/api": {"vbmp3/include", "vbmp3/src/core", "vbmp3/src/sandbox", "vbmp3/src/decoders",
                      "vbmp3/src/tags", "vbmp3/src/outputs", "vbmp3/src/shared", "legacy_text"},
    "vbmp3/src/sandbox": {"vbmp3/src/decoders", "vbmp3/src/tags", "vbmp3/src/shared"},
    "vbmp3/src/decoder_helper": {"vbmp3/src/sandbox", "vbmp3/src/decoders", "vbmp3/src/tags",
                                 "vbmp3/src/shared"},
    "vbmp3/src/core": {"vbmp3/src/decoders", "vbmp3/src/outputs", "vbmp3/src/shared"},
    "vbmp3/src/decoders": {"vbmp3/src/tags", "vbmp3/src/shared", "legacy_text"},
    "vbmp3/src/tags": {"vbmp3/src/shared", "legacy_text"},
    "vbmp3/src/outputs": {"vbmp3/src/shared"},
    "vbmp3/src/shared": set(),
    "legacy_text": set(),
}

# Where a quoted include is looked for after the including file's own folder.
SEARCH = ["", "vbmp3/include", "vbmp3/src"]
INCLUDE = re.compile(r'^\s*#\s*include\s*["<]([^">]+)[">]', re.M)
SOURCES = {".h", ".hpp", ".c", ".cpp", ".cc"}


def owner(path):
    """The longest folder of ALLOWED that holds path (a path relative to the root)."""
    parts = path.split("/")
    for n in range(len(parts) - 1, 0, -1):
        folder = "/".join(parts[:n])
        if folder in ALLOWED:
            return folder
    return None


def arrows(root):
    """(from file, to file) for every include of a production file that names a repository file."""
    tops = {folder.split("/")[0] for folder in ALLOWED}
    for top in sorted(tops):
        for source in sorted((root / top).rglob("*")):
            if source.suffix not in SOURCES:
                continue
            text = source.read_text(encoding="utf-8", errors="replace")
            for name in INCLUDE.findall(text):
                for base in [source.parent] + [root / s for s in SEARCH]:
                    target = (base / name).resolve()
                    if target.is_file() and root in target.parents:
                        yield source.relative_to(root).as_posix(), \
                            target.relative_to(root).as_posix()
                        break


def check(root):
    wrong = []
    for source, target in arrows(root):
        a, b = owner(source), owner(target)
        if b is not None and a != b and b not in ALLOWED[a]:
            wrong.append(f"{source}: includes {target} ({a} -> {b} is not an allowed arrow)")
    for line in wrong:
        print(line)
    print(f"check_layers: {len(wrong)} include(s) against the layers" if wrong
          else "check_layers: every include follows the layers")
    return 1 if wrong else 0


def graph(root):
    edges = {}
    for source, target in arrows(root):
        a, b = source.split("/")[0], target.split("/")[0]
        if a != b:
            edges.setdefault(a, set()).add(b)
    for a in sorted(edges):
        print(f"{a} -> {', '.join(sorted(edges[a]))}")
    circles = sorted({tuple(sorted((a, b))) for a in edges for b in edges[a]
                      if a in edges.get(b, ())})
    print("circles: " + (", ".join(f"{a} <-> {b}" for a, b in circles) or "none"))
    return 0


def main():
    root = pathlib.Path(__file__).resolve().parent.parent
    args = [a for a in sys.argv[1:] if a != "--graph"]
    if args:
        root = pathlib.Path(args[0]).resolve()
    return graph(root) if "--graph" in sys.argv else check(root)


if __name__ == "__main__":
    sys.exit(main())

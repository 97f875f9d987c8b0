#!/usr/bin/env python3
"""Which folder of src/ includes which. With --check, fails when a folder includes one that does not
stand below it in LAYERS: the arrows between the subsystems go one way, from the program down to
the basics."""
import pathlib
import re
import sys

# Lowest first; a folder may include only the folders before it.
LAYERS = ["base", "controls", "vault", "records", "hotkeys", "shell", "autofill", "updater", "app"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z_]+)/', re.MULTILINE)


def graph(src):
    uses = {}
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp"):
            continue
        folder = path.relative_to(src).parts[0]
        found = set(INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace")))
        uses.setdefault(folder, set()).update(found - {folder})
    return uses


def main():
    src = pathlib.Path(__file__).resolve().parent.parent / "src"
    uses = graph(src)
    wrong = []
    for folder in sorted(uses, key=lambda f: LAYERS.index(f) if f in LAYERS else len(LAYERS)):
        print(f"{folder} -> {' '.join(sorted(uses[folder])) or '(nothing)'}")
        if folder not in LAYERS:
            wrong.append(f"{folder}: not in the list of layers")
            continue
        below = set(LAYERS[: LAYERS.index(folder)])
        wrong += [f"{folder} includes {used}, which does not stand below it" for used in sorted(uses[folder] - below)]
    if "--check" in sys.argv and wrong:
        print("\n".join(wrong), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Fails when an #include crosses a layer the wrong way.

    scripts/check-layers.py [root]     checks the tree (default: the repository)
    scripts/check-layers.py --self-check
                                       shows that each rule catches a wrong include

The layers, lowest first: dsp/ and simd/; the engine (Source/Voices/); the
core (the rest of Source/) and patches/; toolkit/ with its X11 layer
toolkit/x11/; editor/. The core, the engine and patches/ reach the editor only
through Source/editorport/; only the entry (Source/entry/), which builds an
instance with its editor, includes the editor itself.
"""

import os
import re
import sys
import tempfile

SOURCE_SUFFIXES = (".h", ".hpp", ".cpp", ".cc", ".c")
SKIPPED_FOLDERS = {".git", "Source/ticpp"}
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')

# Xlib's headers: only the X11 layer and the tools and tests that drive it.
XLIB_PLACES = ("toolkit/x11/", "tests/toolkit/x11/")
XLIB_FILES = re.compile(r"^tools/EditorHost[^/]*\.cpp$")

# What the engine may include beyond itself and the DSP.
ENGINE_ALLOWED = (
    "Source/Voices/",
    "dsp/",
    "simd/",
    "Source/queues/",
    "Source/shared/",
    "Source/editorport/",
    "Source/parameters/ParameterIndices.h",
    "Source/parameters/EngineValue.h",
)


def is_xlib(header):
    return header.startswith("X11/") or header.endswith("cairo-xlib.h")


def violations(path, angle, header):
    """The rules broken by one include of file path (relative, with /)."""
    broken = []
    if is_xlib(header) and angle:
        if not (path.startswith(XLIB_PLACES) or XLIB_FILES.match(path)):
            broken.append("Xlib outside toolkit/x11/")
    if angle:
        return broken
    if path.startswith(("dsp/", "simd/")) and not header.startswith(("dsp/", "simd/")):
        broken.append("dsp/ and simd/ include only themselves")
    if path.startswith("Source/Voices/") and not header.startswith(ENGINE_ALLOWED):
        broken.append("the engine includes only itself, the DSP, the queues, the shared helpers, "
                      "the editor port and the parameter indices")
    in_core = path.startswith(("Source/", "patches/")) and not path.startswith("Source/entry/")
    if in_core and header.startswith(("editor/", "toolkit/")):
        broken.append("the core, the engine and patches/ reach the editor only through Source/editorport/")
    if path.startswith("toolkit/") and header.startswith("editor/"):
        broken.append("the toolkit lies below the editor")
    return broken


def check(root, checked=None):
    """Prints each wrong include under root; returns how many there are.
    checked, when given, is a list that gets each file looked at."""
    count = 0
    for folder, subfolders, files in os.walk(root):
        relative_folder = os.path.relpath(folder, root).replace(os.sep, "/")
        subfolders[:] = sorted(
            name for name in subfolders
            if not name.startswith("build") and
            ("/".join(filter(None, [relative_folder.lstrip("."), name]))) not in SKIPPED_FOLDERS and
            name not in SKIPPED_FOLDERS)
        for name in sorted(files):
            if not name.endswith(SOURCE_SUFFIXES):
                continue
            path = "/".join(filter(None, [relative_folder.lstrip("."), name]))
            if checked is not None:
                checked.append(path)
            with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as source:
                for number, line in enumerate(source, 1):
                    match = INCLUDE.match(line)
                    if not match:
                        continue
                    header = match.group(2)
                    for rule in violations(path, match.group(1) == "<", header):
                        print(f"{path}:{number}: includes {header}: {rule}")
                        count += 1
    return count


# Each wrong include must be caught; each right one must pass.
SELF_CHECK = [
    ("toolkit/x11/Window.cpp", "#include <X11/Xlib.h>", 0),
    ("tools/EditorHostMain.cpp", "#include <X11/Xlib.h>", 0),
    ("tests/toolkit/x11/WindowTest.cpp", "#include <X11/Xutil.h>", 0),
    ("editor/Knob.cpp", "#include <X11/Xlib.h>", 1),
    ("toolkit/Canvas.cpp", "#include <X11/Xlib.h>", 1),
    ("toolkit/Canvas.cpp", "#include <cairo/cairo-xlib.h>", 1),
    ("toolkit/x11/Surface.cpp", "#include <cairo-xlib.h>", 0),
    ("dsp/Filter.cpp", '#include "simd/Kernels.h"', 0),
    ("dsp/Filter.cpp", '#include "Source/shared/SpinLock.h"', 1),
    ("simd/Kernels.cpp", '#include "Source/Zentrova.h"', 1),
    ("Source/Voices/Voice.cpp", '#include "Source/parameters/ParameterIndices.h"', 0),
    ("Source/Voices/Voice.cpp", '#include "Source/parameters/ParameterTable.h"', 1),
    ("Source/Voices/KeyboardHandler.cpp", '#include "Source/Zentrova.h"', 1),
    ("Source/Voices/KeyboardHandler.cpp", '#include "Source/editorport/EditorPort.h"', 0),
    ("Source/Zentrova.cpp", '#include "editor/ZentrovaEditor.h"', 1),
    ("patches/Configuration.cpp", '#include "editor/ZentrovaEditor.h"', 1),
    ("Source/state/ZentrovaState.cpp", '#include "toolkit/Canvas.h"', 1),
    ("Source/entry/ZentrovaEdit.cpp", '#include "editor/ZentrovaEditor.h"', 0),
    ("toolkit/Canvas.cpp", '#include "editor/ZentrovaEditor.h"', 1),
    ("editor/ZentrovaEditor.cpp", '#include "toolkit/Canvas.h"', 0),
]


def self_check():
    failures = 0
    for path, line, expected in SELF_CHECK:
        with tempfile.TemporaryDirectory() as root:
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), "w", encoding="utf-8") as source:
                source.write(line + "\n")
            with open(os.devnull, "w") as quiet:
                stdout, sys.stdout = sys.stdout, quiet
                try:
                    found = check(root)
                finally:
                    sys.stdout = stdout
        if (found > 0) != (expected > 0):
            print(f"self-check: {path}: '{line}' gave {found} wrong include(s), expected {expected}")
            failures += 1
    print("layer self-check: " + ("passed" if failures == 0 else f"{failures} failed"))
    return failures


def main(arguments):
    if arguments[1:] == ["--self-check"]:
        return 1 if self_check() else 0
    unknown = [a for a in arguments[1:] if a.startswith("-") and a != "--self-check"]
    if unknown:
        print(f"layer check: {unknown[0]}: no such option", file=sys.stderr)
        return 2
    if "--self-check" in arguments[1:]:
        print("layer check: --self-check takes nothing else", file=sys.stderr)
        return 2
    if len(arguments) > 2:
        print(f"layer check: {arguments[2]}: one folder at most", file=sys.stderr)
        return 2
    root = arguments[1] if len(arguments) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    if not os.path.isdir(root):
        print(f"layer check: {root} is not a folder", file=sys.stderr)
        return 2
    checked = []
    count = check(root, checked)
    # A tree without sources is the wrong tree, not a clean one.
    if not checked:
        print(f"layer check: no source file under {root}", file=sys.stderr)
        return 2
    print(f"layer check: {count} wrong include(s) in {len(checked)} files" if count
          else f"layer check: passed ({len(checked)} files)")
    return 1 if count else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

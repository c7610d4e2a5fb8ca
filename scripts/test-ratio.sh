#!/usr/bin/env bash
# Counts the non-blank, non-comment lines of the tests against those of the code and prints the
# ratio. C and C++ files lose their // and /* */ comments; Python, shell and CMake files lose their
# # comments (a script's #! line included). Benchmarks, fuzz targets and scripts are counted apart
# and take no part in the ratio. Files of other kinds (data, corpora, resources) are not counted.
# Usage: scripts/test-ratio.sh [--files]   (--files lists every counted file with its lines)
set -euo pipefail
cd "$(dirname "$0")/.."

exec python3 - "$@" <<'PY'
import os
import sys

C_SUFFIXES = (".c", ".cc", ".cpp", ".cxx", ".h", ".hh", ".hpp", ".h.in", ".cpp.in")
HASH_SUFFIXES = (".py", ".sh", ".cmake")


def kind(name):
    if name == "CMakeLists.txt" or name.endswith(HASH_SUFFIXES):
        return "hash"
    if name.endswith(C_SUFFIXES):
        return "c"
    return None


def c_lines(text):
    """Lines that keep some code once // and /* */ comments are gone (strings respected)."""
    count = 0
    in_block = False
    for line in text.splitlines():
        code = []
        i = 0
        quote = None
        while i < len(line):
            ch = line[i]
            if in_block:
                if line.startswith("*/", i):
                    in_block = False
                    i += 2
                else:
                    i += 1
                continue
            if quote:
                code.append(ch)
                if ch == "\\":
                    code.append(line[i + 1:i + 2])
                    i += 2
                    continue
                if ch == quote:
                    quote = None
                i += 1
                continue
            if line.startswith("//", i):
                break
            if line.startswith("/*", i):
                in_block = True
                i += 2
                continue
            if ch in "\"'":
                # A digit separator (1'000) is no character literal.
                if ch == "'" and i > 0 and line[i - 1].isalnum():
                    code.append(ch)
                    i += 1
                    continue
                quote = ch
            code.append(ch)
            i += 1
        if "".join(code).strip():
            count += 1
    return count


def hash_lines(text):
    count = 0
    for line in text.splitlines():
        stripped = line.strip()
        if stripped and not stripped.startswith("#"):
            count += 1
    return count


def count_tree(root, skip_dirs=()):
    total = 0
    files = []
    for folder, dirs, names in os.walk(root):
        dirs[:] = sorted(d for d in dirs if d not in skip_dirs and d != "__pycache__")
        for name in sorted(names):
            k = kind(name)
            if k is None:
                continue
            path = os.path.join(folder, name)
            with open(path, encoding="utf-8", errors="replace") as f:
                text = f.read()
            n = c_lines(text) if k == "c" else hash_lines(text)
            files.append((path, n))
            total += n
    return total, files


show_files = "--files" in sys.argv[1:]
counts = {}
for root, skip in (("src", ()), ("tests", ()), ("bench", ()), ("fuzz", ("corpus",)), ("scripts", ())):
    total, files = count_tree(root, skip) if os.path.isdir(root) else (0, [])
    counts[root] = total
    if show_files:
        for path, n in files:
            print(f"{n:6d}  {path}")

ratio = counts["tests"] / counts["src"] if counts["src"] else 0.0
print(f"test-ratio: src/ {counts['src']} lines, tests/ {counts['tests']} lines, "
      f"ratio {ratio:.2f} (at most 0.40, aim 0.33)")
print(f"test-ratio: counted apart: bench/ {counts['bench']}, fuzz/ {counts['fuzz']}, "
      f"scripts/ {counts['scripts']}")

# Each front end against the model it renders: what is left in a front end is its platform's own.
panel = count_tree("src/panel")[0] if os.path.isdir("src/panel") else 0
if panel:
    sizes = ", ".join(f"src/{name}/ {count_tree('src/' + name)[0]} ({count_tree('src/' + name)[0] / panel:.2f}x)"
                      for name in ("qt", "win32") if os.path.isdir("src/" + name))
    print(f"test-ratio: front ends against src/panel/ {panel}: {sizes} (aim at most 1.20x)")
PY

#!/usr/bin/env python3
"""Checks the layer order of the sources (see ARCHITECTURE.md).

Fails when a file under src/ or tools/ includes a header of a higher layer
(other than the upward calls listed below), includes another folder's
*_internal.h, or reaches the operating system's files outside src/port.

Usage: check_layers.py <repository root>
"""
import os
import re
import sys

# Bottom up.  A folder may include itself and every folder before it.
LAYERS = ["port", "core", "app", "containers", "geometry", "fields", "fs", "config",
          "dbf", "table", "msglist", "tools"]

# The public C headers, by the layer that implements them.
PUBLIC = {
    "types.h": "port", "porting.h": "port",
    "memory.h": "core", "array.h": "core", "diag.h": "core", "msg.h": "core",
    "lnklist.h": "containers", "str.h": "containers", "strlist.h": "containers",
    "containers.h": "containers", "tree.h": "containers", "timer.h": "containers",
    "point.h": "geometry", "matrix.h": "geometry", "rotation.h": "geometry",
    "quaternion.h": "geometry", "geolist.h": "geometry",
    "fldlist.h": "fields",
    "fname.h": "fs", "file.h": "fs",
    "ini.h": "config", "env.h": "config", "sys.h": "config", "global.h": "config",
    "dbf.h": "dbf",
    "db.h": "table", "dbfldlist.h": "table", "convert.h": "table",
    "msglist.h": "msglist",
    "qx.h": "tools",
}

# The calls that run upward by design, each through the public C header of
# the layer that answers it: (including file, included header).
# An entry that no longer matches an include is reported too, so that this
# list and the one in ARCHITECTURE.md stay true.
UPWARD = {
    ("src/core/msg.cpp", "qx/env.h"),  # language settings from qx.ini (qx_Env_getIni)
}

# Headers and calls that reach the system's files, processes or libraries.
SYSTEM_HEADERS = re.compile(
    r"#\s*include\s*<(filesystem|fstream|unistd\.h|fcntl\.h|dirent\.h|ftw\.h|dlfcn\.h|spawn\.h|"
    r"sys/[\w/]+\.h)>")
SYSTEM_CALLS = re.compile(
    r"std::filesystem|std::[io]?fstream|\bfopen\s*\(|\bfreopen\s*\(|\btmpfile\s*\(|\bpopen\s*\(|"
    r"std::(remove|rename|system)\s*\(|(?<![\w.>:])open\s*\(|(?<![\w>.])::\w+\s*\(")
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)


def layer_of_include(include, own):
    folder, _, name = include.rpartition("/")
    if not folder:
        return own  # a header beside the file
    if folder == "qx":
        return PUBLIC.get(name)
    return folder if folder in LAYERS else None


def code_only(text):
    text = re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group(0).count("\n"), text, flags=re.S)
    text = re.sub(r"//[^\n]*", " ", text)
    return re.sub(r'"(\\.|[^"\\\n])*"', '""', text)


def check_file(root, path, own, problems, used_upward):
    text = open(os.path.join(root, path), encoding="utf-8").read()
    rank = LAYERS.index(own)
    for include in INCLUDE.findall(text):
        target = layer_of_include(include, own)
        if target is None:
            problems.append(f"{path}: includes \"{include}\", which belongs to no known layer")
            continue
        upward = LAYERS.index(target) > rank
        if upward and (path, include) in UPWARD:
            used_upward.add((path, include))
        elif upward:
            problems.append(f"{path}: {own} includes \"{include}\" of the higher layer {target}")
        folder = include.rpartition("/")[0]
        if include.endswith("_internal.h") and folder and folder != path.split("/")[-2]:
            problems.append(f"{path}: includes another folder's internal header \"{include}\"")
    if own == "port":
        return
    code = code_only(text)
    # Comments and string literals are blanked in `code`, so a quoted
    # include is looked for in the text itself; both keep the line breaks.
    for pattern, source in ((SYSTEM_HEADERS, text), (SYSTEM_CALLS, code)):
        for match in pattern.finditer(source):
            line = source.count("\n", 0, match.start()) + 1
            problems.append(f"{path}:{line}: reaches the system outside src/port: {match.group(0)}")


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else "."
    problems = []
    used_upward = set()
    for name in sorted(os.listdir(os.path.join(root, "include/qx"))):
        if name not in PUBLIC:
            problems.append(f"include/qx/{name}: give the public header a layer in check_layers.py")
    files = 0
    for top in ("src", "tools"):
        for folder, _, names in sorted(os.walk(os.path.join(root, top))):
            for name in sorted(names):
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.relpath(os.path.join(folder, name), root)
                own = path.split("/")[1] if top == "src" else "tools"
                if own not in LAYERS:
                    problems.append(f"{path}: the folder {own} has no place in the layer order")
                    continue
                check_file(root, path, own, problems, used_upward)
                files += 1
    for path, include in sorted(UPWARD - used_upward):
        problems.append(f"{path}: listed as calling up through \"{include}\", but does not include it")
    for problem in problems:
        print(problem)
    print(f"{files} files checked, {len(problems)} problems")
    return 1 if problems or files == 0 else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Fails when a library source includes a header of a higher layer, or when
the library's includes form a circle.

Layers, lowest first: the vector types (kernels/simd/) and the leaf helpers
that include nothing of the library's; the kernels; the back-end registry;
the dispatch layer; the engine and its exports.  A file may include its own
layer and the ones below it.

Usage: include_layers.py ONDAVEL_DIR
"""
import os
import re
import sys

LEAF_HELPERS = {"constants.h", "phase_wrap.h", "cosine.h", "cpu_features.h"}
REGISTRY = {"backends.h", "backends.cpp", "backend_list.inc"}
DISPATCH = {"dispatch.h", "dispatch.cpp", "backend_test_hooks.h",
            "backend_test_hooks.cpp"}
LAYER_NAMES = ["vector types and leaf helpers", "kernels", "back-end registry",
               "dispatch", "engine and exports"]


def layer_of(rel):
    """rel: a path below Ondavel/ (src/..., include/...)."""
    if rel.startswith("include/") or rel.startswith("src/kernels/simd/"):
        return 0
    if rel.startswith("src/kernels/"):
        return 1
    name = rel[len("src/"):]
    if name in LEAF_HELPERS:
        return 0
    if name in REGISTRY or name.startswith("cpu_features_"):
        return 2
    if name in DISPATCH:
        return 3
    return 4


def main():
    root = os.path.abspath(sys.argv[1])
    files = []
    for base in ("src", "include"):
        for folder, _, names in os.walk(os.path.join(root, base)):
            files += [os.path.relpath(os.path.join(folder, n), root)
                      for n in names if n.endswith((".h", ".cpp"))]
    graph = {}
    failures = []
    for rel in sorted(files):
        text = open(os.path.join(root, rel), encoding="utf-8").read()
        graph[rel] = []
        for target in re.findall(r'^\s*#\s*include\s+"([^"]+)"', text, re.M):
            if target == "backend_list.inc":  # generated into the build
                resolved = "src/backend_list.inc"
            else:
                candidates = [os.path.normpath(os.path.join(d, target))
                              for d in (os.path.dirname(rel), "src",
                                        "include")]
                found = [c for c in candidates if c in files]
                if not found:
                    failures.append(f"{rel}: includes {target}, not found")
                    continue
                resolved = found[0]
                graph[rel].append(resolved)
            if layer_of(resolved) > layer_of(rel):
                failures.append(
                    f"{rel} ({LAYER_NAMES[layer_of(rel)]}) includes "
                    f"{resolved} ({LAYER_NAMES[layer_of(resolved)]})")
    # Circles: a depth-first walk that meets a file still on its path.
    state = {}

    def walk(node, path):
        state[node] = "open"
        for nxt in graph.get(node, []):
            if state.get(nxt) == "open":
                circle = path[path.index(nxt):] + [nxt]
                failures.append("circle: " + " -> ".join(circle))
            elif nxt not in state:
                walk(nxt, path + [nxt])
        state[node] = "done"

    for node in graph:
        if node not in state:
            walk(node, [node])
    for f in failures:
        print(f)
    print(f"{len(files)} files, {sum(map(len, graph.values()))} includes, "
          f"{len(failures)} problems")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Every path of the project that the README and the contributors' docs name
exists: a file moved or renamed fails this until the docs follow.

A path is a word in backticks or a link target that starts with one of the
project's folders (app/, web/, tests/, ...) or names a file at the root;
folders of a build (build/, build-web/, ...) and globs are not paths of the
project, and neither is what an install puts in the tree (node_modules).
Usage: paths_test.py SOURCE-DIR"""
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1])
folders = ("app", "desktop", "water", "optics", "frame", "web", "tests", "bench", "tools", "scripts", "data",
           "debian", "cmake", "docs", ".ci")
documents = ["README.md", "CONTRIBUTING.md", "ARCHITECTURE.md"] + sorted(
    str(p.relative_to(root)) for p in (root / "docs").glob("*.md"))
root_files = {p.name for p in root.iterdir() if p.is_file()}


def candidates(text):
    for word in re.findall(r"`([^`\n]+)`", text) + re.findall(r"\]\(([^)\s]+)\)", text):
        for token in word.split():
            token = token.strip(".,;:()'\"")
            yield token


def is_project_path(token, document):
    if "*" in token or "{" in token or "://" in token or token.startswith(("/", "-", "~")) or "node_modules" in token:
        return False
    head = token.split("/")[0]
    return head in folders or (token in root_files and "/" not in token) or (
        document.startswith("docs/") and token.endswith(".png") and "/" not in token)


def exists(token, document):
    base = root / pathlib.Path(document).parent if document.startswith("docs/") and "/" not in token else root
    path = base / token.rstrip("/")
    return path.exists() or path.with_suffix(".cpp").exists() or (root / token.split("#")[0]).exists()


missing, checked = [], 0
for document in documents:
    if not (root / document).exists():
        missing.append(f"{document} itself")
        continue
    for token in candidates((root / document).read_text(encoding="utf-8")):
        if is_project_path(token, document):
            checked += 1
            if not exists(token, document):
                missing.append(f"{document}: {token}")
for line in missing:
    print(f"FAIL: no such path: {line}")
print(f"docs: {checked} paths named in {len(documents)} documents, {len(missing)} missing")
sys.exit(1 if missing else 0)

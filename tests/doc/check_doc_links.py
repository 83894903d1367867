#!/usr/bin/env python3
"""Fails when a Markdown document links to a file that is not there, or to a
heading (#anchor) that its target does not have, or shows a picture that is
not there. Links are taken relative to the document's folder, as a reader's
viewer takes them; anchors are headings as GitHub spells them (lower case,
punctuation dropped, spaces as dashes).

  check_doc_links.py DOC.md...
"""
import os
import re
import sys

LINK = re.compile(r"!?\[[^\]\n]*\]\(([^)\s]+)\)")
FENCE = re.compile(r"^\s*```")


def without_code(text):
    """The text without fenced blocks and inline code, where brackets are not links."""
    lines, inside = [], False
    for line in text.split("\n"):
        if FENCE.match(line):
            inside = not inside
            lines.append("")
            continue
        lines.append("" if inside else re.sub(r"`[^`]*`", "``", line))
    return "\n".join(lines)


def anchors(path):
    found = set()
    inside = False
    for line in open(path, encoding="utf-8"):
        if FENCE.match(line):
            inside = not inside
        m = re.match(r"^#{1,6}\s+(.*?)\s*$", line)
        if m and not inside:
            slug = re.sub(r"[^\w\- ]", "", m.group(1).lower()).replace(" ", "-")
            base, n = slug, 1
            while slug in found:
                slug = f"{base}-{n}"
                n += 1
            found.add(slug)
    return found


def main():
    documents = sys.argv[1:]
    if not documents:
        sys.exit(__doc__)
    problems = 0
    links = 0
    for doc in documents:
        text = without_code(open(doc, encoding="utf-8").read())
        for target in LINK.findall(text):
            if re.match(r"^[a-z]+:", target):
                continue  # a web or mail address
            links += 1
            path, _, anchor = target.partition("#")
            file = os.path.normpath(os.path.join(os.path.dirname(doc), path)) if path else doc
            if not os.path.exists(file):
                print(f"{doc}: links to {target}: no {file}")
                problems += 1
            elif anchor and file.endswith(".md") and anchor not in anchors(file):
                print(f"{doc}: links to {target}: {file} has no heading #{anchor}")
                problems += 1
    if problems:
        sys.exit(f"{problems} broken link(s)")
    print(f"{links} links in {len(documents)} document(s): every one leads somewhere")


if __name__ == "__main__":
    main()

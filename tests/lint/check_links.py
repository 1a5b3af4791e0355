"""Every relative link and #anchor in README.md and docs/*.md leads somewhere:
to a file of the repository, and where it names an anchor, to a heading of
that Markdown file as GitHub names it. Pages that move between files break
exactly these; links to other sites are left to their sites.

Usage: check_links.py SOURCE_DIR
"""

import pathlib
import re
import sys

FENCE = re.compile(r"^\s*(```|~~~)")
HEADING = re.compile(r"^#{1,6}\s+(.*?)\s*#*\s*$")
CODE_SPAN = re.compile(r"`[^`]*`")
# [text](target) and ![alt](target), with an optional "title" after the target.
LINK = re.compile(r"!?\[[^\]]*\]\(\s*<?([^)\s>]+)>?(?:\s+\"[^\"]*\")?\s*\)")
SCHEME = re.compile(r"^[a-z][a-z0-9+.-]*:", re.IGNORECASE)


def prose_lines(path):
    """(line number, text) of each line outside fenced code blocks."""
    fenced = False
    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        if FENCE.match(line):
            fenced = not fenced
        elif not fenced:
            yield number, line


def anchor(heading):
    """GitHub's anchor for a heading: link targets and code marks dropped,
    lower case, punctuation other than '-' and '_' dropped, spaces to '-'."""
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", heading).lower()
    text = re.sub(r"[^\w\- ]", "", text)
    return text.replace(" ", "-")


def anchors(path):
    """Every anchor of a Markdown file; a repeated heading gets -1, -2, ..."""
    found = set()
    for _, line in prose_lines(path):
        match = HEADING.match(line)
        if match:
            name = anchor(match.group(1))
            unique, count = name, 0
            while unique in found:
                count += 1
                unique = f"{name}-{count}"
            found.add(unique)
    return found


def relative_links(path):
    """(line number, target) of each link that stays in the repository."""
    for number, line in prose_lines(path):
        for target in LINK.findall(CODE_SPAN.sub("", line)):
            if not SCHEME.match(target):
                yield number, target


def problem(path, target):
    """What is wrong with a link from a page, or None."""
    file_part, _, fragment = target.partition("#")
    linked = (path.parent / file_part).resolve() if file_part else path
    if not linked.exists():
        return f"no file {file_part}"
    if fragment and linked.suffix != ".md":
        return "an anchor in a file that is not Markdown"
    if fragment and fragment not in anchors(linked):
        return f"no heading with the anchor #{fragment} in {linked.name}"
    return None


def main():
    root = pathlib.Path(sys.argv[1]).resolve()
    pages = [root / "README.md", *sorted((root / "docs").glob("*.md"))]
    links = broken = 0
    for page in pages:
        for number, target in relative_links(page):
            links += 1
            wrong = problem(page, target)
            if wrong:
                broken += 1
                print(f"{page.relative_to(root)}:{number}: {target}: {wrong}")
    print(f"{links} links in {len(pages)} pages, {broken} broken")
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main())

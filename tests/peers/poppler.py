#!/usr/bin/python3
"""The PDF catalogue read back by poppler (pdftotext, pdffonts), as a reader
or a search would: volumnia-csv writes the demo's catalogue, in which every
title stands as text, every font is embedded, each page bears its number and
the index of authors names pages that hold their books; then a full
catalogue (1499 books with details and covers) with thumbnails, which must
be written within 30 s and 30 MB.

Fails, never skips, when poppler's programs cannot start.

usage: poppler.py VOLUMNIA_CSV DEMO_FOLDER"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import catalogue_books  # noqa: E402

TIME_LIMIT_S = 30
SIZE_LIMIT = 30 * 1024 * 1024


def poppler(*arguments):
    try:
        run = subprocess.run(list(arguments), capture_output=True, timeout=120)
    except FileNotFoundError:
        raise SystemExit("FAIL: %s is not installed (poppler-utils)" % arguments[0])
    if run.returncode != 0:
        raise SystemExit("FAIL: %s: %s" % (" ".join(arguments), run.stderr.decode(errors="replace")))
    return run.stdout.decode("utf-8")


def words(text):
    return " ".join(text.split())


def pages_of(pdf):
    """The text of each page (pdftotext parts pages with form feeds)."""
    return poppler("pdftotext", "-enc", "UTF-8", "-layout", pdf, "-").split("\f")[:-1]


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    program, demo = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    failures = []

    def check(condition, what):
        print(("ok    " if condition else "FAIL  ") + what)
        if not condition:
            failures.append(what)

    work = tempfile.mkdtemp(prefix="volumnia-poppler-")
    try:
        folder = os.path.join(work, "demo")
        shutil.copytree(demo, folder)
        catalogue_books.export(program, folder, "--format", "pdf", "demo.pdf")
        pdf = os.path.join(folder, "demo.pdf")
        books = catalogue_books.read_database(os.path.join(demo, "books.orbl"))
        text = words(poppler("pdftotext", "-enc", "UTF-8", pdf, "-"))
        missing = [b[1] for b in books if words(b[1]) not in text]
        check(not missing, "every title of the demo's %d books is text in the PDF; missing: %s" % (len(books), missing))

        fonts = poppler("pdffonts", pdf).splitlines()[2:]
        not_embedded = [line for line in fonts if line.split()[-5] != "yes"]
        check(fonts and not not_embedded, "every font is embedded (%d fonts): %s" % (len(fonts), not_embedded))

        pages = pages_of(pdf)
        numbered = [i + 1 for i, page in enumerate(pages)
                    if page.strip().splitlines() and page.strip().splitlines()[-1].strip() == str(i + 1)]
        check(numbered == list(range(1, len(pages) + 1)), "each of the %d pages ends in its number" % len(pages))
        check("42 books" in words(pages[0]) and "Book catalogue" in pages[0], "the title page gives the counts")

        check(text.count("Index of authors") == 1, "a page holds no text of the next one, out of sight")
        index = pages[-1].strip().splitlines()[:-1]  # its page number last
        start = next((i for i, line in enumerate(index) if line.strip() == "Index of authors"), None)
        check(start is not None, "the last page is the index of authors")
        authors = sorted({words(b[2]) for b in books if b[2].strip()})
        listed = {}
        for line in index[start + 1:] if start is not None else []:
            found = re.match(r"^\s*(.+?)\s+(\d+(?:, \d+)*)\s*$", line)
            if found:
                listed[found.group(1)] = [int(p) for p in found.group(2).split(", ")]
        check(sorted(listed) == authors, "the index names every author: %s" % sorted(set(authors) ^ set(listed)))
        wrong = [(author, page) for author, numbers in listed.items() for page in numbers
                 if author not in words(pages[page - 1])]
        check(listed and not wrong, "every page the index gives holds the author's books: wrong %s" % wrong)

        # Every book with a cover, each its thumbnail.
        full = os.path.join(work, "full")
        catalogue_books.full_catalogue(demo, full, catalogue_books.cover_jpeg(program, demo, work))
        start_time = time.monotonic()
        catalogue_books.export(program, full, "--format", "pdf", "--thumbnails", "full.pdf")
        took = time.monotonic() - start_time
        size = os.path.getsize(os.path.join(full, "full.pdf"))
        check(took <= TIME_LIMIT_S and size <= SIZE_LIMIT,
              "the PDF of %d books with thumbnails: %.1f s, %.1f MB (at most %d s, %d MB)"
              % (catalogue_books.FULL, took, size / 1048576, TIME_LIMIT_S, SIZE_LIMIT // 1048576))
        images = poppler("pdfimages", "-list", os.path.join(full, "full.pdf")).splitlines()[2:]
        check(len(images) == catalogue_books.FULL, "%d thumbnails in it, one a book" % len(images))
        full_text = words(poppler("pdftotext", "-enc", "UTF-8", os.path.join(full, "full.pdf"), "-"))
        check("Жизнь" in full_text, "a detail in Cyrillic letters reads back")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

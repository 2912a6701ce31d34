#!/usr/bin/python3
"""volumnia-csv through LibreOffice Calc: a catalogue with every detail, a
lent book with its due date and a book at home that keeps its last loaner
is exported in each CSV layout; LibreOffice (headless, a private profile)
opens each file with every column as text and saves it as CSV again; each
saved file is imported into an empty catalogue, whose export in Volumnia's
own layout must equal the first catalogue's, byte for byte.

usage: libreoffice.py VOLUMNIA_CSV
Exit status 0 when every check holds, 1 otherwise (a LibreOffice that cannot
be started is a failure too, never a skip).
"""
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from catalogue import Catalogue, BOOKS_CSV  # noqa: E402

LAYOUTS = ("volumnia", "tellico-csv", "goodreads")
failures = []


def check(condition, what):
    print(("ok   " if condition else "FAIL ") + what, flush=True)
    if not condition:
        failures.append(what)


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    program = os.path.abspath(sys.argv[1])
    soffice = shutil.which("soffice")
    if not soffice:
        print("FAIL LibreOffice cannot start: soffice is not installed (package libreoffice-calc-nogui)")
        return 1
    work = tempfile.mkdtemp(prefix="volumnia-libreoffice-")
    try:
        first = Catalogue(program, os.path.join(work, "first"))
        first.run("import", os.path.join(first.folder, "books.csv"), text=BOOKS_CSV)
        reference = first.run("export", "--format", "volumnia")
        check(reference.count("\r\n") == BOOKS_CSV.count("\n"), "the catalogue holds every book")
        exported = []
        for layout in LAYOUTS:
            path = os.path.join(work, layout + ".csv")
            first.run("export", "--format", layout, path)
            exported.append(path)
        # Every column as text (format 2), so no ISBN turns into a number,
        # no date into a day of the spreadsheet's and no text into a formula.
        columns = "/".join("%d/2" % c for c in range(1, 121))
        out = os.path.join(work, "saved")
        result = subprocess.run(
            [soffice, "-env:UserInstallation=file://" + os.path.join(work, "profile"), "--headless",
             "--infilter=CSV:44,34,76,1," + columns,
             "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false",
             "--outdir", out] + exported,
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, timeout=240)
        if result.returncode != 0 or not os.path.isdir(out):
            print("FAIL LibreOffice cannot start or convert: " + result.stdout)
            return 1
        for layout in LAYOUTS:
            saved = os.path.join(out, layout + ".csv")
            if not os.path.exists(saved):
                check(False, layout + ": LibreOffice saved the file")
                continue
            again = Catalogue(program, os.path.join(work, "again-" + layout))
            summary = again.run("import", saved)
            back = again.run("export", "--format", "volumnia")
            check(back == reference, layout + ": the books come back from LibreOffice's save exactly")
            if back != reference:
                print(summary)
                for a, b in zip(reference.splitlines(), back.splitlines()):
                    if a != b:
                        print("  was: " + a + "\n  now: " + b)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("%d failed" % len(failures) if failures else "all passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

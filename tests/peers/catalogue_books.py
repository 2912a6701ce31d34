"""A full catalogue for the real-program tiers of the catalogue to hand out:
the demo's books, then generated ones up to the 1499 a catalogue holds, with
every detail filled in for many of them, written as Volumnia writes its
files (Windows-1252 database, UTF-8 details file, CR LF) into a new working
folder. Generated texts carry HTML's special characters and accented letters,
and never the word "tolstoy", so that a find for it leaves the demo's books of
Leo Tolstoy alone."""

import os
import random
import shutil
import subprocess
import zlib

FULL = 1499


def read_database(path):
    """The books of a database file as lists of ten texts, ID first."""
    with open(path, "rb") as f:
        lines = f.read().decode("cp1252").split("\r\n")
    books = []
    for i in range(0, len(lines) - 10, 11):
        books.append([int(lines[i])] + lines[i + 1:i + 11])
    return books


def _details_line(book_id, title, author, details):
    fingerprint = "%08x" % zlib.crc32(title.encode("cp1252") + b"\x1f" + author.encode("cp1252"))
    parts = [str(book_id), fingerprint]
    for key in sorted(details):
        parts += [key, details[key]]
    return "\t".join(parts) + "\r\n"


def generated(count, first_id, seed=1499):
    """count books from first_id: (ID, ten texts, details)."""
    rng = random.Random(seed)
    words = ["garden", "night", "winter", "Söderström", "Müller", "river", "collected", "poems", "house",
             "journey", "Dark", "letters", "Åsa", "second", "Élise", "& sons", "<b>bold</b>", "\"quoted\"",
             "l'été", "history", "of", "the"]
    first = ["Anna", "Pekka", "Marie", "John", "Lucía", "Ole", "Chiara", "Tomás", "Greta", "Ivan"]
    last = ["Virtanen", "Smith", "Dubois", "Rossi", "Nielsen", "García", "Kowalski", "Berg", "O'Brien", "Lind"]
    books = []
    for n in range(count):
        book_id = first_id + n
        title = " ".join(rng.choice(words) for _ in range(rng.randint(1, 6))).capitalize()
        author = rng.choice(first) + " " + rng.choice(last)
        fields = [title, author, rng.choice(["Otava", "Penguin", "Gallimard", "Dark & Light Press"]),
                  str(rng.randint(1850, 2024)), " ".join(rng.choice(words) for _ in range(rng.randint(0, 8))),
                  "", "", "", "", ""]
        if n % 10 == 0:
            fields[6] = rng.choice(first)
            fields[7] = "12.03.2024"
        details = {}
        if n % 3 == 0:
            details = {"series": rng.choice(["Moomins", "Rougon-Macquart", "Earthsea"]),
                       "series_number": str(n % 20 + 1), "tags": "fiction, shelf %d" % (n % 12),
                       "status": rng.choice(["to-read", "reading", "read"]), "rating": str(n % 6),
                       "language": rng.choice(["en", "fi", "fr"]), "title_own": title + " Жизнь",
                       "location": "Shelf %d" % (n % 30)}
        books.append((book_id, fields, details))
    return books


def cover_jpeg(program, demo, work):
    """A JPEG of about a cover's size: the title page of the demo's PDF
    catalogue, drawn by poppler's pdftoppm."""
    folder = os.path.join(work, "cover")
    shutil.copytree(demo, folder)
    export(program, folder, "--format", "pdf", "demo.pdf")
    try:
        subprocess.run(["pdftoppm", "-jpeg", "-scale-to", "600", "-f", "1", "-l", "1", "-singlefile",
                        os.path.join(folder, "demo.pdf"), os.path.join(folder, "cover")], check=True, timeout=60)
    except (OSError, subprocess.CalledProcessError) as error:
        raise SystemExit("FAIL: pdftoppm (poppler-utils) could not draw a cover: %s" % error)
    with open(os.path.join(folder, "cover.jpg"), "rb") as f:
        return f.read()


def full_catalogue(demo, folder, cover=None, covered=lambda book_id, fields: True):
    """Writes the demo's settings and 1499 books into folder; returns the
    books as (ID, ten texts, details). Given the bytes of a cover, each book
    that covered(ID, texts) accepts gets it, stored as Volumnia stores
    covers: "<database>.covers/<ID>-<CRC-32>.jpg", named by its detail
    "cover"."""
    os.makedirs(folder, exist_ok=True)
    shutil.copy(os.path.join(demo, "volumnia.kelt"), os.path.join(folder, "volumnia.kelt"))
    books = [(b[0], b[1:], {}) for b in read_database(os.path.join(demo, "books.orbl"))]
    books += generated(FULL - len(books), max(b[0] for b in books) + 1)
    if cover:
        os.makedirs(os.path.join(folder, "books.orbl.covers"), exist_ok=True)
        for book_id, fields, details in books:
            if covered(book_id, fields):
                details["cover"] = "%d-%08x.jpg" % (book_id, zlib.crc32(cover))
                with open(os.path.join(folder, "books.orbl.covers", details["cover"]), "wb") as f:
                    f.write(cover)
    with open(os.path.join(folder, "books.orbl"), "wb") as f:
        for book_id, fields, _ in books:
            f.write(("\r\n".join([str(book_id)] + fields) + "\r\n").encode("cp1252"))
    with open(os.path.join(folder, "books.orbl.details"), "wb") as f:
        f.write(b"Volumnia details\r\n")
        for book_id, fields, details in books:
            if details:
                f.write(_details_line(book_id, fields[0], fields[1], details).encode("utf-8"))
    return books


def export(program, folder, *arguments):
    """Runs volumnia-csv export in folder; fails the tier when it fails."""
    run = subprocess.run([program, "export"] + list(arguments), cwd=folder, capture_output=True, text=True,
                         timeout=120)
    if run.returncode != 0:
        raise SystemExit("volumnia-csv export %s failed (%d): %s" % (" ".join(arguments), run.returncode,
                                                                     run.stderr))
    return run

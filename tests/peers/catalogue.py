"""A working folder of volumnia-csv for the real-program tests: its
settings, an empty database, and the program run in it."""
import os
import subprocess

ALIASES = ["Book title", "Book author", "Publisher", "Year published", "Other information (1)",
           "Other information (2)", "Loaner", "Date loaned", "", ""]

# Books in Volumnia's own layout: every detail, letters the database file
# cannot hold (kept in their own letters), a lent book with its due date,
# a book at home that keeps its last loaner, texts a spreadsheet would take
# for a formula or a number, commas, quotes and blanks at either end.
BOOKS_CSV = (
    "ID,Book title,Book author,Publisher,Year published,Other information (1),Other information (2),"
    "Loaner,Date loaned,Due Date,ISBN,Title (own letters),Author (own letters),Series,Series Number,Tags,"
    "Reading Status,Date Started,Date Finished,Rating,Language,Copies,Location,Pages,First Published,Genres,"
    "Collections,Added,Loan Note,Last Loaner\n"
    "1,The Left Hand of Darkness,Ursula K. Le Guin,Ace,1987,\"A winter journey, twice\",\" kept blanks \","
    "Ann,2026-11-02,2026-11-30,9780441478125,,,Hainish Cycle,4,\"classics, science-fiction\",reading,"
    "2026-10-01,,4.5,English,2,Shelf 3,304,1969,\"science fiction, literary\",Favourites,2023-12-01,"
    "\"asked for it back, twice\",\n"
    "2,Solaris,Stanislaw Lem,Harvest,2002,'=SUM(1+1),\"\"\"Quoted\"\" notes\",,,,9780156027649,,"
    "Stanis\u0142aw Lem,,,to-read,abandoned,,,1,Polish,,,224,1961,,,2022-07-03,,Bob\n"
    "3,Odysseia,Homer,Penguin,0012,-5 degrees,@home,,,,9791045678903,\u039f\u03b4\u03cd\u03c3\u03c3\u03b5\u03b9\u03b1,,"
    ",,\"epic, greek\",read,2025-01-02,2025-02-03,5,,1,,,,,,,,\n"
)


class Catalogue:
    def __init__(self, program, folder):
        self.program = program
        self.folder = folder
        os.makedirs(folder)
        lines = ["CurrentIndex", "0", "vInteger", "orbl_databasefile", "books.orbl", "vString"]
        for i, alias in enumerate(ALIASES):
            lines += ["orbl_alias%d" % i, alias, "vString"]
        with open(os.path.join(folder, "volumnia.kelt"), "wb") as out:
            out.write(("\r\n".join(lines) + "\r\n").encode("cp1252"))
        open(os.path.join(folder, "books.orbl"), "wb").close()

    def run(self, *arguments, text=None):
        if text is not None:
            with open(arguments[-1], "w", encoding="utf-8", newline="") as out:
                out.write(text)
        result = subprocess.run([self.program] + list(arguments), cwd=self.folder, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, timeout=60)
        if result.returncode != 0:
            raise RuntimeError("volumnia-csv %s: %s" % (" ".join(arguments), result.stderr.decode()))
        return result.stdout.decode("utf-8")

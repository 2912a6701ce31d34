// TTellicoFile: Tellico's own data file (File > Open in Tellico): a ZIP
// archive holding "tellico.xml", a document of Tellico's public format
// (DOCTYPE "-//Robby Stephenson/DTD Tellico V11.0//EN", namespace
// http://periapsis.org/tellico/).
//
// Written: one book collection with Tellico's default book fields
// (<field name="_default"/>) and an entry a book, numbered from 1 in the
// catalogue's order: title, author, publisher, pub_year, the two notes as
// comments (a <br/> between them when the second is not empty, as Tellico
// writes a line break in a paragraph field) and loaned. Each loaner is a
// <borrower> with a <loan> an entry, its loanDate the loan date read as the
// locale's short date, ISO 8601 or d.M.yyyy; a date none of them reads is the
// loan's note, so Tellico shows it and the import gets it back. A loan with a
// due date has it as dueDate, which Tellico shows and puts in its calendar.
//
// Read: the entries of the first collection (title; author or authors,
// several joined by "; "; publisher; pub_year or, for a bibliography, year;
// comments) and each entry's first loan, as rows under the header
// title, author, publisher, pub_year, comments, Loaned To, Loan Date, Due Date
// that the import's column matching knows. A loan date is written as the locale's
// short date, as the Loan dialog writes it; a loan without a readable date
// takes its note. The archive is read by TZipArchive (bounded) and the XML by
// QXmlStreamReader, which fetches no external entity; a plain XML file of the
// same format (Tellico's older files) is read as well.
#pragma once

#include "csv/CsvRecord.h"
#include "engine/Item.h"

#include <QByteArray>
#include <QDate>

#include <vector>

class TTellicoFile {
public:
    // due: each item's loan's due date (null for none), or empty for none at
    // all; today: the date two-digit loan years are read against.
    static QByteArray Write(const std::vector<TItem>& items, const std::vector<QDate>& due = {},
                            const QDate& today = QDate::currentDate());

    // Whether bytes are a Tellico data file: a ZIP archive, or XML whose
    // root element is <tellico> (or its old name <bookcase>).
    static bool Is(const QByteArray& bytes);
    // The header row and a row an entry. Raises ECsvRefusal when the file is
    // malformed.
    static std::vector<TCsvRecord> Rows(const QByteArray& bytes);

    // The loan date as Tellico stores it (ISO 8601), read as every window
    // reads it; empty when unreadable.
    static QString IsoDate(const QString& loanDate, const QDate& today = QDate::currentDate());

    static constexpr const char* ArchiveMember = "tellico.xml";
};

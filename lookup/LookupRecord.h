// TLookupRecord: one book as a source describes it (Open Library, Finna, a
// national library's MARC record), in the source's own letters, and what the
// program makes of it: the candidate book whose fields go into the boxes.
// The parsers of the sources' answers fill records; Ranked puts the likeliest
// first when an answer holds several.
#pragma once

#include "engine/Item.h"

#include <QString>
#include <QStringList>

#include <string>
#include <vector>

struct TLookupRecord {
    QString Title;
    QString Subtitle;
    QStringList Authors;
    QStringList Publishers;
    QString Year; // four digits, empty when no year was found
    QString Pages;
    QStringList Isbns; // ISBN-13 digits, each verified
    QStringList Subjects;
    QString CoverId; // Open Library's cover ID, digits only

    // The title with its subtitle after a colon.
    QString FullTitle() const;
    // The authors, and the publishers, as one text each ("A; B").
    QString AuthorText() const;
    QString PublisherText() const;
    bool IsEmpty() const { return Title.isEmpty() && Authors.isEmpty(); }
};

// What one source answered: its records, or why none could be read.
struct TLookupAnswer {
    std::vector<TLookupRecord> Records;
    // Empty when the answer was read (with or without records); otherwise a
    // sentence for the user: "The answer was cut short.", the SRU diagnostic.
    QString Problem;
};

namespace LookupRecord {

// The book the record describes, for isbn13: title, author, publisher and
// year in the database file's letters (text it cannot hold in its closest
// form, the letters themselves kept in the details title_own and
// author_own), and the ISBN in the details.
TItem BookOf(const TLookupRecord& record, const std::string& isbn13);

// The records with the likeliest first: a record naming the ISBN asked for
// before one that does not, then the one with more of title, author,
// publisher and year; otherwise in the source's order. Empty records go.
std::vector<TLookupRecord> Ranked(std::vector<TLookupRecord> records, const std::string& isbn13);

// The first year (1000 to 2999) written in a date as sources give it:
// "October 1, 1988", "c1999.", "[2003]". Empty when none.
QString YearIn(const QString& date);
// The first number of up to six digits in a page count ("412 S.", "xii, 310
// p."), empty when none.
QString PagesIn(const QString& extent);
// A text with the punctuation a catalogue record ends it with taken off
// ("The hobbit /" -> "The hobbit", "Allen & Unwin," -> "Allen & Unwin"), an
// initial's full stop kept ("Tolkien, J. R. R.").
QString Trimmed(const QString& text);

} // namespace LookupRecord

// What the harnesses of the lookup sources' answers check of every answer,
// whatever its bytes: each record's ISBNs verified ISBN-13 digits, its year
// four digits or none, its cover ID digits or none, its texts on one line;
// the book made of it holds no line break in its fields (the database file
// would take one for the end of the book) and Windows-1252 text only in the
// first four. An answer with a problem may still hold the records read
// before it.
#pragma once

#include "engine/FieldTable.h"
#include "fuzzing/FuzzSupport.h"
#include "lookup/LookupRecord.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

namespace LookupFuzz {

inline bool OneLine(const QString& text)
{
    return !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'));
}

inline bool Digits(const QString& text, int minimum, int maximum)
{
    if (text.size() < minimum || text.size() > maximum)
        return false;
    for (const QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

inline void CheckAnswer(const TLookupAnswer& answer)
{
    using FuzzSupport::Check;
    for (const TLookupRecord& record : answer.Records) {
        for (const QString& isbn : record.Isbns)
            Check(FieldTable::Isbn13(isbn.toStdString()) == isbn.toStdString(), "an ISBN kept that is none");
        Check(record.Year.isEmpty() || Digits(record.Year, 4, 4), "a year that is not four digits");
        Check(record.CoverId.isEmpty() || Digits(record.CoverId, 1, 12), "a cover ID that is not digits");
        Check(record.Pages.isEmpty() || Digits(record.Pages, 1, 12), "a page count that is not digits");
        for (const QString& text : {record.Title, record.Subtitle, record.AuthorText(), record.PublisherText()})
            Check(OneLine(text), "a line break kept in a text");
        const TItem book = LookupRecord::BookOf(record, "9780261102217");
        for (const std::string& field : book.Fields)
            Check(field.find_first_of("\r\n") == std::string::npos, "a line break in a field of the book");
    }
}

} // namespace LookupFuzz

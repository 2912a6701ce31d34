// TCsvInput: the rows of a file to import, whatever wrote it. It reads the
// file whole (bounded), tells what it is and decodes it:
// - a Tellico data file (zipped or plain XML) becomes rows under Tellico's
//   own field names (TTellicoFile);
// - text with a UTF-16 byte order mark is UTF-16;
// - otherwise text is UTF-8 (a byte order mark is allowed) unless another
//   encoding is asked for. Text that is not UTF-8 and whose header row names
//   a title column is read as the program that wrote it does: its UTF-8
//   letters as UTF-8 (LibraryThing's export is UTF-8 with stray bytes of its
//   older records), and every other byte as ISO-8859-1 when it is
//   LibraryThing's export (its "Primary Author" or "Sort Character" column)
//   or as Windows-1252, as spreadsheets on Windows save, when it is any
//   other; a file of another header is refused.
// The separator (comma, semicolon or tab) comes from the header row. What was
// chosen is told in Described, for the summary.
#pragma once

#include "csv/CsvRecord.h"
#include "engine/Item.h"

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

enum class TCsvEncoding { Automatic, Utf8, Windows1252, Latin1 };

struct TCsvInputRows {
    std::vector<TCsvRecord> Records; // the header row first
    std::string Described;           // "UTF-8, columns separated by commas"
};

class TCsvInput {
public:
    // Raises ECsvRefusal, naming the file, when it cannot be read or decoded.
    static TCsvInputRows Read(const QString& file, TCsvEncoding encoding, const TAlias& aliases);
    static TCsvInputRows FromBytes(const QString& file, QByteArray bytes, TCsvEncoding encoding, const TAlias& aliases);

    // How messages name the file: "standard input" for "-".
    static std::string Name(const QString& file);

    // Larger input is refused unread: a file of 1499 books with long texts
    // stays far below it.
    static constexpr qint64 MaxInputBytes = 64 * 1024 * 1024;
};

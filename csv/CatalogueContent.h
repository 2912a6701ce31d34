// TCatalogueContent: what a catalogue to hand out shows, whatever it is
// written as (a web page, a PDF): every book with each field of the field
// table it holds, as its caption and the value a window shows, in the order
// asked for, and the counts of its title page. Texts are QStrings here: the
// database's Windows-1252 and the details' UTF-8 meet in one form.
//
// Only values that read as text are shown; a field of another kind (a
// picture) is left to the writer that can show it.
#pragma once

#include "engine/Database.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

enum class TCatalogueOrder { Author, Title, Series };

struct TCatalogueField {
    QString Caption; // the field table's caption, "Publisher"
    QString Value;   // as a window shows it
};

struct TCatalogueBook {
    int32_t ID = 0;
    QString Title;
    QString Author;
    // Every other field the book holds, in the field table's order.
    std::vector<TCatalogueField> Fields;
    bool Lent = false;
    // The file of the book's cover (engine/Covers.h), empty when it has none
    // or its file is missing.
    QString CoverFile;
};

struct TCatalogueContent {
    std::vector<TCatalogueBook> Books;
    TCatalogueOrder Order = TCatalogueOrder::Author;
    int Authors = 0; // distinct authors, blanks and case aside
    int Lent = 0;
    // Whether the user asked for the covers' thumbnails.
    bool Thumbnails = false;

    // The books of the database in the order asked for, collated by the
    // default locale: by author then title, by title then author, or by
    // series then number in it then title; a book lacking the text that
    // orders it comes after those that have it.
    static TCatalogueContent Of(const TDatabase& database, TCatalogueOrder order);
    // "author", "title", "series"; nullopt for anything else.
    static std::optional<TCatalogueOrder> OrderNamed(const QString& name);
    static QString NameOf(TCatalogueOrder order);
};

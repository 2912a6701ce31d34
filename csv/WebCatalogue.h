// TWebCatalogue: the catalogue as a web page to hand out: one folder with
// index.html, its stylesheet and a small script, read from the disk with no
// server and nothing fetched from elsewhere. The page lists every book in a
// table (the title as the row's header, the author, then each other field
// as caption and value), finds as the user types (every word typed, case
// and accents aside), reads at a phone's width and prints without its find
// box. Every text is escaped for HTML.
#pragma once

#include "csv/CatalogueContent.h"

#include <QByteArray>
#include <QString>

#include <vector>

class TWebCatalogue {
public:
    static constexpr const char* PageName = "index.html";
    static constexpr const char* StyleName = "catalogue.css";
    static constexpr const char* ScriptName = "catalogue.js";

    struct TFile {
        const char* Name;
        QByteArray Bytes; // UTF-8
    };
    // The folder's files, the page first.
    static std::vector<TFile> Files(const TCatalogueContent& content);
    // Writes them into folder, made when missing, each replaced whole through
    // the platform's writer. Raises ECsvRefusal when the folder cannot be
    // made or is no folder, and the writer's error when a file cannot be
    // written.
    static void Write(const TCatalogueContent& content, const QString& folder);

    // text with & < > " ' as references and control characters as blanks,
    // safe inside an element and inside a quoted attribute.
    static QString Escaped(const QString& text);
};

// TWebCatalogue: the catalogue as a web page to hand out: one folder with
// index.html, its stylesheet and a small script, read from the disk with no
// server and nothing fetched from elsewhere. The page lists every book in a
// table (the title as the row's header, the author, then each other field
// as caption and value), finds as the user types (every word typed, case
// and accents aside), reads at a phone's width and prints without its find
// box. Every text is escaped for HTML. Asked for, the books' covers come
// as thumbnails in the folder's "covers", each shown beside its title.
#pragma once

#include "csv/CatalogueContent.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

class TWebCatalogue {
public:
    static constexpr const char* PageName = "index.html";
    static constexpr const char* StyleName = "catalogue.css";
    static constexpr const char* ScriptName = "catalogue.js";

    static constexpr const char* CoversFolder = "covers";
    static constexpr int ThumbnailSide = 160; // pixels: sharp at twice the 80 shown

    struct TFile {
        const char* Name;
        QByteArray Bytes; // UTF-8
    };
    // The folder's files, the page first. thumbnails: for each book, the
    // name of its thumbnail in the covers folder, empty for none; no
    // thumbnails at all when empty.
    static std::vector<TFile> Files(const TCatalogueContent& content, const std::vector<QString>& thumbnails = {});

    // A cover file made small: JPEG bytes at most that many pixels on the
    // longer side, empty when the file is no picture. The drawing is Qt
    // Gui's, which the program gives (catalogue/Thumbnail).
    using TThumbnailMaker = std::function<QByteArray(const QString& file, int longerSide)>;
    // Writes them into folder, made when missing, each replaced whole through
    // the platform's writer, and, when content asks for thumbnails, each
    // book's in the covers folder (the cover's own bytes where no maker is
    // given). Raises ECsvRefusal when the folder cannot be made or is no
    // folder, and the writer's error when a file cannot be written.
    static void Write(const TCatalogueContent& content, const QString& folder, const TThumbnailMaker& maker = {});

    // text with & < > " ' as references and control characters as blanks,
    // safe inside an element and inside a quoted attribute.
    static QString Escaped(const QString& text);
};

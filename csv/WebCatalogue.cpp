#include "csv/WebCatalogue.h"

#include "csv/ECsvRefusal.h"
#include "engine/FieldTable.h"
#include "platform/Cp1252.h"
#include "platform/TextFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Small on purpose: the page must read well without it, and it must never
// reach out for a font or a picture.
constexpr const char* Style = R"css(/* The book catalogue: one table, readable on a phone and on paper. */
:root { color-scheme: light; }
body { font-family: system-ui, sans-serif; line-height: 1.4; margin: 0 auto; max-width: 72em; padding: 1em;
       color: #1a1a1a; background: #fff; }
h1 { font-size: 1.6em; margin: 0 0 .2em; }
h2 { font-size: 1.2em; margin: 1em 0 .4em; }
.counts { margin: 0 0 1em; color: #444; }
.find { display: flex; flex-wrap: wrap; gap: .5em; align-items: center; }
.find input { font: inherit; padding: .3em .5em; min-width: 0; flex: 1 1 12em; max-width: 30em; }
/* A fixed layout: the find hides and shows rows without measuring every cell. */
table { border-collapse: collapse; width: 100%; table-layout: fixed; }
thead th:nth-child(1) { width: 32%; }
thead th:nth-child(2) { width: 20%; }
th, td { text-align: left; vertical-align: top; padding: .4em .5em; border-bottom: 1px solid #ccc;
         overflow-wrap: anywhere; }
thead th { border-bottom: 2px solid #444; }
tbody th { font-weight: 600; }
dl { margin: 0; display: grid; grid-template-columns: 11em 1fr; gap: 0 .8em; }
dt { color: #555; }
dd { margin: 0; white-space: pre-line; }
tr[hidden], [hidden] { display: none !important; }
/* Cells out of sight are laid out when scrolled to: a find that shows a
   thousand rows again lays out a screenful. */
tbody th, tbody td { content-visibility: auto; contain-intrinsic-size: auto 1.5em; }
tbody th img { display: block; width: 80px; height: auto; margin: 0 0 .3em; }
.lent th::after { content: " (lent)"; font-weight: normal; color: #8a4b00; }
@media (max-width: 40em) {
  body { padding: .6em; }
  table, thead, tbody, tr, th, td { display: block; width: auto; }
  thead { position: absolute; width: 1px; height: 1px; overflow: hidden; clip: rect(0 0 0 0); }
  tr { border-bottom: 1px solid #ccc; padding: .5em 0; }
  th, td { border: 0; padding: .1em 0; }
  dl { grid-template-columns: 1fr; }
  dt { font-size: .85em; }
}
@media print {
  body { max-width: none; padding: 0; font-size: 10pt; color: #000; }
  .find, #none { display: none !important; }
  thead { display: table-header-group; }
  tr { break-inside: avoid; }
  tbody th, tbody td { content-visibility: visible; }
}
)css";

constexpr const char* Script = R"js(// Find as you type: a book stays listed when every word typed appears in
// its title, author or another value, case and accents aside.
(function () {
  "use strict";
  var input = document.getElementById("find");
  var found = document.getElementById("found");
  var none = document.getElementById("none");
  var rows = Array.prototype.slice.call(document.querySelectorAll("#books tbody tr"));
  function fold(text) {
    return text.normalize("NFD").replace(/[\u0300-\u036f]/g, "").toLowerCase();
  }
  var texts = rows.map(function (row) {
    return fold(Array.prototype.map.call(row.querySelectorAll("th, td.author, dd"), function (cell) {
      return cell.textContent;
    }).join("\n"));
  });
  function apply() {
    var words = fold(input.value).split(/\s+/).filter(Boolean);
    var shown = 0;
    for (var i = 0; i < rows.length; ++i) {
      var text = texts[i];
      var match = words.every(function (word) { return text.indexOf(word) >= 0; });
      if (rows[i].hidden === match)
        rows[i].hidden = !match;
      if (match)
        ++shown;
    }
    found.textContent = words.length ? shown + " of " + rows.length + (rows.length === 1 ? " book" : " books") : "";
    none.hidden = shown > 0;
  }
  input.addEventListener("input", apply);
  // A browser may keep what was typed when the page is opened again.
  apply();
})();
)js";

QString Caption(const char* key)
{
    const TField* field = FieldTable::Find(key);
    return QString::fromUtf8(field ? field->Caption : key);
}

QString Counted(int count, const char* one, const char* many)
{
    return QString::number(count) + u' ' + QString::fromUtf8(count == 1 ? one : many);
}

QString Page(const TCatalogueContent& content, const std::vector<QString>& thumbnails)
{
    const int books = static_cast<int>(content.Books.size());
    QString counts =
        Counted(books, "book", "books") + QStringLiteral(" by ") + Counted(content.Authors, "author", "authors");
    if (content.Lent > 0)
        counts += QStringLiteral(", ") + QString::number(content.Lent) + QStringLiteral(" of them lent");
    counts += QStringLiteral("; sorted by ") + TCatalogueContent::NameOf(content.Order) + u'.';

    QString page;
    page.reserve(books * 600 + 2000);
    page += QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                           "<meta name=\"generator\" content=\"Volumnia\">\n<title>Book catalogue</title>\n"
                           "<link rel=\"stylesheet\" href=\"") +
            QString::fromLatin1(TWebCatalogue::StyleName) +
            QStringLiteral("\">\n</head>\n<body>\n<header>\n<h1>Book catalogue</h1>\n<p class=\"counts\">") +
            TWebCatalogue::Escaped(counts) +
            QStringLiteral("</p>\n<div class=\"find\" role=\"search\"><label for=\"find\">Find</label>"
                           "<input type=\"search\" id=\"find\" autocomplete=\"off\" spellcheck=\"false\">"
                           "<span id=\"found\" role=\"status\" aria-live=\"polite\"></span></div>\n</header>\n"
                           "<main>\n<h2 id=\"books-heading\">Books</h2>\n"
                           "<table id=\"books\" aria-labelledby=\"books-heading\">\n<thead><tr><th scope=\"col\">") +
            TWebCatalogue::Escaped(Caption("title")) + QStringLiteral("</th><th scope=\"col\">") +
            TWebCatalogue::Escaped(Caption("author")) +
            QStringLiteral("</th><th scope=\"col\">Details</th></tr></thead>\n<tbody>\n");
    for (size_t i = 0; i < content.Books.size(); ++i) {
        const TCatalogueBook& book = content.Books[i];
        page += book.Lent ? QStringLiteral("<tr class=\"lent\">") : QStringLiteral("<tr>");
        page += QStringLiteral("<th scope=\"row\">");
        // The title beside it names the book: the picture needs no words.
        if (i < thumbnails.size() && !thumbnails[i].isEmpty())
            page += QStringLiteral("<img src=\"") + QString::fromLatin1(TWebCatalogue::CoversFolder) + u'/' +
                    TWebCatalogue::Escaped(thumbnails[i]) + QStringLiteral("\" alt=\"\" loading=\"lazy\">");
        page += TWebCatalogue::Escaped(book.Title) + QStringLiteral("</th><td class=\"author\">") +
                TWebCatalogue::Escaped(book.Author) + QStringLiteral("</td><td>");
        if (!book.Fields.empty()) {
            page += QStringLiteral("<dl>");
            for (const TCatalogueField& field : book.Fields)
                page += QStringLiteral("<dt>") + TWebCatalogue::Escaped(field.Caption) + QStringLiteral("</dt><dd>") +
                        TWebCatalogue::Escaped(field.Value) + QStringLiteral("</dd>");
            page += QStringLiteral("</dl>");
        }
        page += QStringLiteral("</td></tr>\n");
    }
    page += QStringLiteral("</tbody>\n</table>\n<p id=\"none\" hidden>No book matches.</p>\n</main>\n<script src=\"") +
            QString::fromLatin1(TWebCatalogue::ScriptName) + QStringLiteral("\"></script>\n</body>\n</html>\n");
    return page;
}

} // namespace

QString TWebCatalogue::Escaped(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size() + text.size() / 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            escaped += QStringLiteral("&amp;");
            break;
        case u'<':
            escaped += QStringLiteral("&lt;");
            break;
        case u'>':
            escaped += QStringLiteral("&gt;");
            break;
        case u'"':
            escaped += QStringLiteral("&quot;");
            break;
        case u'\'':
            escaped += QStringLiteral("&#39;");
            break;
        default:
            // C0 and C1 controls are no text in HTML; a line break stays one.
            if (c != u'\n' && (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0)))
                escaped += u' ';
            else
                escaped += c;
        }
    }
    return escaped;
}

std::vector<TWebCatalogue::TFile> TWebCatalogue::Files(const TCatalogueContent& content,
                                                       const std::vector<QString>& thumbnails)
{
    return {{PageName, Page(content, thumbnails).toUtf8()},
            {StyleName, QByteArray(Style)},
            {ScriptName, QByteArray(Script)}};
}

void TWebCatalogue::Write(const TCatalogueContent& content, const QString& folder, const TThumbnailMaker& maker)
{
    if (!Cp1252::CanHold(folder))
        throw ECsvRefusal(folder.toStdString() + ": a folder name with letters outside Windows-1252; choose another");
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        throw ECsvRefusal(folder.toStdString() + ": not a folder; the web catalogue is a folder of files");
    if (!info.exists() && !QDir().mkpath(folder))
        throw ECsvRefusal(folder.toStdString() + ": cannot make the folder");
    const std::string path = Cp1252::FromQString(QDir(folder).absolutePath()) + '/';
    std::vector<QString> thumbnails;
    if (content.Thumbnails) {
        const QString covers = QDir(folder).filePath(QString::fromLatin1(CoversFolder));
        if (!QDir().mkpath(covers))
            throw ECsvRefusal(covers.toStdString() + ": cannot make the folder");
        thumbnails.resize(content.Books.size());
        for (size_t i = 0; i < content.Books.size(); ++i) {
            const QString& cover = content.Books[i].CoverFile;
            if (cover.isEmpty())
                continue;
            const QByteArray bytes = maker ? maker(cover, ThumbnailSide)
                                           : QByteArray::fromStdString(TTextFile::ReadAll(Cp1252::FromQString(cover)));
            if (bytes.isEmpty())
                continue; // no picture: the book is listed without one
            // The cover's own name: its book's ID and its bytes' CRC, one name a picture.
            thumbnails[i] = QFileInfo(cover).fileName();
            // A name holds one picture for good: written again, it is passed over.
            TTextFile::WriteIfChanged(path + CoversFolder + '/' + Cp1252::FromQString(thumbnails[i]),
                                      bytes.toStdString());
        }
    }
    for (const TFile& file : Files(content, thumbnails))
        TTextFile::WriteAtomically(path + file.Name, file.Bytes.toStdString());
}

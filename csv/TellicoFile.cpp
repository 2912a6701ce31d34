#include "csv/TellicoFile.h"

#include "csv/CsvColumns.h"
#include "csv/CsvInput.h"
#include "csv/CsvLayouts.h"
#include "csv/ECsvRefusal.h"
#include "csv/ZipArchive.h"
#include "engine/FieldTable.h"
#include "platform/Cp1252.h"
#include "platform/LoanDate.h"

#include <QDate>
#include <QHash>
#include <QLocale>
#include <QXmlStreamReader>
#include <QRegularExpression>
#include <QXmlStreamWriter>

#include <algorithm>
#include <map>

namespace {

const QString Namespace = QStringLiteral("http://periapsis.org/tellico/");

// The fields of the collection, as Tellico defines its book fields: type 1
// a line, 2 a paragraph, 4 a check box, 6 a number, 14 a rating; flags 8 no
// delete, 7 several values, grouped and completed, 6 grouped and completed;
// format 1 a title, 2 a name, 0 plain, 4 none. The year is a line, not
// Tellico's number, so any text the catalogue holds there is kept.
struct TFieldDefinition {
    const char* Name;
    const char* Title;
    const char* Category;
    int Type, Flags, Format;
};
constexpr TFieldDefinition Fields[] = {
    {"title", "Title", "General", 1, 8, 1},
    {"author", "Author", "General", 1, 7, 2},
    {"publisher", "Publisher", "Publishing", 1, 6, 0},
    {"pub_year", "Publication Year", "Publishing", 1, 2, 4},
    {"loaned", "Loaned", "Personal", 4, 0, 4},
    {"comments", "Comments", "Comments", 2, 0, 4},
};
// Tellico's own fields for the details the field table gives a Tellico name.
constexpr TFieldDefinition DetailFields[] = {
    {"isbn", "ISBN#", "Publishing", 1, 0, 4},
    {"series", "Series", "Publishing", 1, 6, 1},
    {"series_num", "Series Number", "Publishing", 6, 0, 4},
    {"keyword", "Keywords", "Personal", 1, 7, 0},
    {"genre", "Genre", "Classification", 1, 7, 0},
    {"rating", "Rating", "Personal", 14, 2, 4},
    {"language", "Language", "Publishing", 1, 7, 0},
    {"pages", "Pages", "Publishing", 6, 0, 4},
    {"read", "Read", "Personal", 4, 0, 4},
};
// A detail Tellico has no field for goes in a field of its own under the
// detail's key, as do the loaner of a book at home and a loan's note.
constexpr const char* OwnCategory = "Volumnia";
constexpr const char* AtHomeField = "last_loaner";

QString Field(const TItem& item, int field)
{
    return Cp1252::ToQString(item.Fields[static_cast<size_t>(field)]);
}

QString Utf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Tellico shows a paragraph as HTML: the notes' own < > & are escaped, and
// blanks at either end, which Tellico's save would trim, are non-breaking.
QString Html(const QString& text)
{
    QString html = text.toHtmlEscaped();
    qsizetype lead = 0;
    while (lead < html.size() && html.at(lead) == u' ')
        ++lead;
    if (lead == html.size())
        return QStringLiteral("&nbsp;").repeated(lead);
    qsizetype trail = 0;
    while (html.at(html.size() - 1 - trail) == u' ')
        ++trail;
    return QStringLiteral("&nbsp;").repeated(lead) + html.mid(lead, html.size() - lead - trail) +
           QStringLiteral("&nbsp;").repeated(trail);
}

// A paragraph's HTML as the text it shows: a line break for <br>, other
// tags dropped, the entities Tellico writes read.
QString PlainText(QString html)
{
    if (!html.contains(u'<') && !html.contains(u'&'))
        return html;
    static const QRegularExpression lineBreak(QStringLiteral("<br\\s*/?>|</p>\\s*<p>"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    html.replace(lineBreak, QStringLiteral("\n"));
    html.remove(tag);
    html.replace(QStringLiteral("&nbsp;"), QStringLiteral(" "));
    html.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    html.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    html.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    html.replace(QStringLiteral("&#39;"), QStringLiteral("'"));
    html.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return html;
}

// One entry as the import reads it: each field by its name, a field of
// several values ("authors", "keywords") under its one name, joined by "; ".
struct TEntry {
    int Line = 0;
    std::vector<QString> Values; // by the field's place in TNames

    QString Loaner, LoanDate, Due, LoanNote;
    bool Lent = false;
};

// The names of the entries' fields, in the order first met, and the place
// of each.
struct TNames {
    std::vector<QString> Names;
    QHash<QString, qsizetype> Places;
};

// The columns the rows carry besides the entries' fields.
const char* const LoanColumns[] = {"Loaned To", "Loan Date", TCsvLayouts::DueHeader, "Loan Note"};

void ReadLoan(QXmlStreamReader& xml, std::map<qint64, size_t>& byId, std::vector<TEntry>& entries,
              const QString& borrower)
{
    const QXmlStreamAttributes attributes = xml.attributes();
    bool numbered = false;
    const qint64 id = attributes.value(QLatin1String("entryRef")).toLongLong(&numbered);
    const QString date = attributes.value(QLatin1String("loanDate")).toString();
    const QDate due = QDate::fromString(attributes.value(QLatin1String("dueDate")).toString(), Qt::ISODate);
    const QString note = xml.readElementText(QXmlStreamReader::SkipChildElements);
    const auto entry = byId.find(id);
    if (!numbered || entry == byId.end())
        return; // a loan of an entry the file does not hold, as Tellico passes over
    TEntry& lent = entries[entry->second];
    if (lent.Lent)
        return; // a book is lent to one borrower at a time: the first loan holds
    lent.Lent = true;
    lent.Loaner = borrower;
    if (due.isValid())
        lent.Due = due.toString(Qt::ISODate);
    // A note that is this very date is how the export kept its text; any
    // other note of a dated loan is the loan's note.
    const QDate loanDate = QDate::fromString(date, Qt::ISODate);
    if (!loanDate.isValid() || TTellicoFile::IsoDate(note) == date) {
        lent.LoanDate = note.trimmed();
    } else {
        lent.LoanDate = LoanDate::Write(loanDate);
        lent.LoanNote = note.trimmed();
    }
}

void ReadEntry(QXmlStreamReader& xml, TEntry& entry, TNames& names)
{
    const auto keep = [&](const QString& name, const QString& value) {
        auto place = names.Places.constFind(name);
        if (place == names.Places.cend()) {
            place = names.Places.insert(name, static_cast<qsizetype>(names.Names.size()));
            names.Names.push_back(name);
        }
        if (entry.Values.size() <= static_cast<size_t>(*place))
            entry.Values.resize(names.Names.size());
        QString& held = entry.Values[static_cast<size_t>(*place)];
        held = held.isEmpty() ? value : held + QStringLiteral("; ") + value;
    };
    while (xml.readNextStartElement()) {
        const QString name = xml.name().toString();
        QString text;
        std::map<QString, QString> parts; // a date's year, month and day
        bool several = false;
        // A field of one value holds its text; a field of several
        // ("authors") an element a value; a date its year, month and day.
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isCharacters()) {
                text += xml.text();
            } else if (xml.isStartElement()) {
                const QString part = xml.name().toString();
                const QString value = xml.readElementText(QXmlStreamReader::IncludeChildElements);
                if (part == u"year" || part == u"month" || part == u"day") {
                    parts[part] = value.trimmed();
                } else {
                    several = true;
                    keep(name == part + u's' || name == part + QStringLiteral("es") ? part : name, value);
                }
            } else if (xml.isEndElement()) {
                break;
            }
        }
        if (!parts.empty())
            keep(name, parts[QStringLiteral("year")] + u'-' + parts[QStringLiteral("month")].rightJustified(2, u'0') +
                           u'-' + parts[QStringLiteral("day")].rightJustified(2, u'0'));
        else if (!several)
            keep(name, name == u"comments" ? PlainText(text) : text);
    }
}

std::vector<TEntry> ReadDocument(const QByteArray& document, TNames& names)
{
    QXmlStreamReader xml(document);
    std::vector<TEntry> entries;
    std::map<qint64, size_t> byId;
    bool rootSeen = false, inCollection = false, collectionRead = false;
    QString borrower;
    while (!xml.atEnd()) {
        xml.readNext();
        // An entity of the document's own grows its text past any bound of
        // the file (one of 4 000 letters used 40 000 times is 160 million):
        // Tellico declares none, so a document that does is refused before
        // any is read.
        if (xml.tokenType() == QXmlStreamReader::DTD && !xml.entityDeclarations().isEmpty())
            throw ECsvRefusal("tellico.xml line " + std::to_string(xml.lineNumber()) +
                              ": declares entities of its own (" +
                              xml.entityDeclarations().front().name().toString().toStdString() +
                              "), which a Tellico file never does");
        if (xml.isEndElement() && xml.name() == u"collection") {
            inCollection = false;
            collectionRead = true;
        }
        if (!xml.isStartElement())
            continue;
        const QStringView name = xml.name();
        if (!rootSeen) {
            rootSeen = true;
            if (name != u"tellico" && name != u"bookcase")
                throw ECsvRefusal("not a Tellico document: its root is <" + name.toString().toStdString() +
                                  ">, not <tellico>");
            continue;
        }
        if (name == u"collection" && !collectionRead) {
            inCollection = true;
        } else if (name == u"entry" && inCollection) {
            TEntry entry;
            entry.Line = static_cast<int>(xml.lineNumber());
            bool numbered = false;
            const qint64 id = xml.attributes().value(QLatin1String("id")).toLongLong(&numbered);
            ReadEntry(xml, entry, names);
            if (numbered)
                byId.emplace(id, entries.size());
            entries.push_back(std::move(entry));
        } else if (name == u"borrower") {
            borrower = xml.attributes().value(QLatin1String("name")).toString();
        } else if (name == u"loan") {
            ReadLoan(xml, byId, entries, borrower);
        } else if (inCollection && name != u"fields" && name != u"field" && name != u"prop" && name != u"borrowers") {
            xml.skipCurrentElement();
        }
    }
    if (xml.hasError())
        throw ECsvRefusal("tellico.xml line " + std::to_string(xml.lineNumber()) + ": " +
                          xml.errorString().toStdString());
    return entries;
}

void WriteText(QXmlStreamWriter& xml, const QString& element, const QString& text)
{
    if (!text.isEmpty())
        xml.writeTextElement(element, text);
}

void WriteDefinition(QXmlStreamWriter& xml, const TFieldDefinition& field)
{
    xml.writeStartElement(QStringLiteral("field"));
    xml.writeAttribute(QStringLiteral("name"), QString::fromUtf8(field.Name));
    xml.writeAttribute(QStringLiteral("title"), QString::fromUtf8(field.Title));
    xml.writeAttribute(QStringLiteral("category"), QString::fromUtf8(field.Category));
    xml.writeAttribute(QStringLiteral("type"), QString::number(field.Type));
    xml.writeAttribute(QStringLiteral("flags"), QString::number(field.Flags));
    xml.writeAttribute(QStringLiteral("format"), QString::number(field.Format));
    if (field.Type == 14) { // Tellico's rating: from one star to five
        for (const auto& [property, value] : {std::pair{"minimum", "1"}, std::pair{"maximum", "5"}}) {
            xml.writeStartElement(QStringLiteral("prop"));
            xml.writeAttribute(QStringLiteral("name"), QLatin1String(property));
            xml.writeCharacters(QLatin1String(value));
            xml.writeEndElement();
        }
    }
    xml.writeEndElement();
}

// Where each detail goes in Tellico's file: its own field, the read flag
// beside the reading status, a field of ours for the others.
struct TDetailPlace {
    const TField* Field;
    TFieldDefinition Definition;
};

std::vector<TDetailPlace> DetailPlaces()
{
    std::vector<TDetailPlace> places;
    for (const TField* field : TCsvColumns::CarriedDetails()) {
        if (field->Key == std::string_view(FieldTable::DueKey))
            continue; // the loan's dueDate
        TDetailPlace place{field, {field->Key, field->Caption, OwnCategory, 1, 0, 4}};
        for (const TFieldDefinition& definition : DetailFields)
            if (*field->TellicoField && std::string_view(definition.Name) == field->TellicoField)
                place.Definition = definition;
        places.push_back(place);
    }
    return places;
}

} // namespace

QString TTellicoFile::IsoDate(const QString& loanDate, const QDate& today)
{
    QDate date;
    return LoanDate::Read(loanDate, today, date) ? date.toString(Qt::ISODate) : QString();
}

QByteArray TTellicoFile::Write(const std::vector<TItem>& items, const std::vector<QDate>& due, const QDate& today)
{
    const std::vector<TDetailPlace> places = DetailPlaces();
    QByteArray document;
    QXmlStreamWriter xml(&document);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeDTD(QStringLiteral("<!DOCTYPE tellico PUBLIC '-//Robby Stephenson/DTD Tellico V11.0//EN' "
                                "'http://periapsis.org/tellico/dtd/v11/tellico.dtd'>"));
    xml.writeDefaultNamespace(Namespace);
    xml.writeStartElement(Namespace, QStringLiteral("tellico"));
    xml.writeAttribute(QStringLiteral("syntaxVersion"), QStringLiteral("11"));
    xml.writeStartElement(QStringLiteral("collection"));
    xml.writeAttribute(QStringLiteral("title"), QStringLiteral("Volumnia"));
    xml.writeAttribute(QStringLiteral("type"), QStringLiteral("2")); // books
    xml.writeStartElement(QStringLiteral("fields"));
    for (const TFieldDefinition& field : Fields)
        WriteDefinition(xml, field);
    for (const TDetailPlace& place : places) {
        WriteDefinition(xml, place.Definition);
        if (place.Field->Key == std::string_view("status"))
            WriteDefinition(xml, DetailFields[std::size(DetailFields) - 1]); // read
    }
    WriteDefinition(xml, {AtHomeField, TCsvLayouts::AtHomeHeader, "Personal", 1, 0, 2});
    xml.writeEndElement();
    // Loans by borrower, in the order the borrowers first appear.
    std::vector<std::pair<QString, std::vector<size_t>>> borrowers;
    for (size_t i = 0; i < items.size(); ++i) {
        const TItem& item = items[i];
        const QString id = QString::number(i + 1);
        const bool lent = !Field(item, 7).trimmed().isEmpty();
        const QString loaner = Field(item, 6).trimmed();
        xml.writeStartElement(QStringLiteral("entry"));
        xml.writeAttribute(QStringLiteral("id"), id);
        WriteText(xml, QStringLiteral("title"), Field(item, 0));
        if (!Field(item, 1).isEmpty()) {
            xml.writeStartElement(QStringLiteral("authors"));
            xml.writeTextElement(QStringLiteral("author"), Field(item, 1));
            xml.writeEndElement();
        }
        WriteText(xml, QStringLiteral("publisher"), Field(item, 2));
        WriteText(xml, QStringLiteral("pub_year"), Field(item, 3));
        if (lent) {
            xml.writeTextElement(QStringLiteral("loaned"), QStringLiteral("true"));
            auto holder = std::find_if(borrowers.begin(), borrowers.end(),
                                       [&loaner](const auto& borrower) { return borrower.first == loaner; });
            if (holder == borrowers.end())
                holder = borrowers.insert(borrowers.end(), {loaner, {}});
            holder->second.push_back(i);
        }
        const QString notes = Field(item, 5).isEmpty()
                                  ? Html(Field(item, 4))
                                  : Html(Field(item, 4)) + QStringLiteral("<br/>") + Html(Field(item, 5));
        WriteText(xml, QStringLiteral("comments"), notes);
        for (const TDetailPlace& place : places) {
            const std::string& value = item.Details.Value(place.Field->Key);
            if (value.empty())
                continue;
            const QString name = QString::fromUtf8(place.Definition.Name);
            if (place.Definition.Flags & 1) { // several values, each an element
                xml.writeStartElement(name + u's');
                for (const std::string& one : FieldTable::TagsOf(value))
                    xml.writeTextElement(name, Utf8(one));
                xml.writeEndElement();
            } else {
                xml.writeTextElement(name, Utf8(value));
            }
            if (place.Field->Key == std::string_view("status") && value == "read")
                xml.writeTextElement(QStringLiteral("read"), QStringLiteral("true"));
        }
        if (!lent)
            WriteText(xml, QString::fromLatin1(AtHomeField), loaner);
        xml.writeEndElement();
    }
    xml.writeEndElement(); // collection
    if (!borrowers.empty()) {
        xml.writeStartElement(QStringLiteral("borrowers"));
        for (size_t b = 0; b < borrowers.size(); ++b) {
            xml.writeStartElement(QStringLiteral("borrower"));
            xml.writeAttribute(QStringLiteral("name"), borrowers[b].first);
            xml.writeAttribute(QStringLiteral("uid"), QStringLiteral("volumnia-borrower-%1").arg(b + 1));
            for (const size_t i : borrowers[b].second) {
                const QString date = Field(items[i], 7);
                const QString iso = IsoDate(date, today);
                xml.writeStartElement(QStringLiteral("loan"));
                xml.writeAttribute(QStringLiteral("uid"), QStringLiteral("volumnia-loan-%1").arg(i + 1));
                xml.writeAttribute(QStringLiteral("entryRef"), QString::number(i + 1));
                xml.writeAttribute(QStringLiteral("loanDate"), iso);
                if (i < due.size() && due[i].isValid())
                    xml.writeAttribute(QStringLiteral("dueDate"), due[i].toString(Qt::ISODate));
                // The text goes along where the date alone would not give it
                // back; otherwise the loan's own note, which Tellico shows.
                if (iso.isEmpty() || LoanDate::Write(QDate::fromString(iso, Qt::ISODate)) != date)
                    xml.writeCharacters(date);
                else
                    xml.writeCharacters(Utf8(items[i].Details.Value("loan_note")));
                xml.writeEndElement();
            }
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    xml.writeEndElement(); // tellico
    xml.writeEndDocument();
    return TZipArchive::Write({{QString::fromLatin1(ArchiveMember), document}});
}

bool TTellicoFile::Is(const QByteArray& bytes)
{
    if (TZipArchive::LooksLikeZip(bytes))
        return true;
    // XML begins with "<" (after a byte order mark and blanks, in UTF-8 or
    // UTF-16); its root element, however long the DTD before it, says
    // whose it is.
    qsizetype at = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (at < bytes.size() && (bytes[at] == ' ' || bytes[at] == '\t' || bytes[at] == '\r' || bytes[at] == '\n' ||
                                 bytes[at] == '\0' || bytes[at] == '\xFF' || bytes[at] == '\xFE'))
        ++at;
    if (at >= bytes.size() || bytes[at] != '<')
        return false;
    QXmlStreamReader xml(bytes);
    while (!xml.atEnd() && !xml.hasError()) {
        xml.readNext();
        if (xml.isStartElement())
            return xml.name() == u"tellico" || xml.name() == u"bookcase";
    }
    return false;
}

std::vector<TCsvRecord> TTellicoFile::Rows(const QByteArray& bytes)
{
    const QByteArray document =
        TZipArchive::LooksLikeZip(bytes)
            ? TZipArchive::Read(bytes, QString::fromLatin1(ArchiveMember), TCsvInput::MaxInputBytes)
            : bytes;
    TNames read;
    std::vector<TEntry> entries = ReadDocument(document, read);
    // The loan is told by the loans; comments become the two notes, split at
    // their first line break, so a "<br/>" written in a note stays text. The
    // year of publication is tried before a bibliography's year.
    std::vector<qsizetype> order;
    qsizetype comments = -1;
    for (qsizetype i = 0; i < static_cast<qsizetype>(read.Names.size()); ++i) {
        const QString& name = read.Names[static_cast<size_t>(i)];
        if (name == u"comments")
            comments = i;
        if (name != u"loaned")
            order.push_back(i);
    }
    const auto place = [&read](const char* name) { return read.Places.value(QLatin1String(name), -1); };
    const auto year = std::find(order.begin(), order.end(), place("year"));
    const auto published = std::find(order.begin(), order.end(), place("pub_year"));
    if (year < published && published != order.end())
        std::iter_swap(year, published);
    std::vector<TCsvRecord> rows;
    TCsvRecord header;
    for (const qsizetype i : order)
        header.Fields.push_back(i == comments ? QStringLiteral("Notes") : read.Names[static_cast<size_t>(i)]);
    header.Fields.push_back(QStringLiteral("Personal Notes"));
    for (const char* name : LoanColumns)
        header.Fields.push_back(QString::fromLatin1(name));
    header.Lines.assign(header.Fields.size(), 1);
    rows.push_back(std::move(header));
    for (TEntry& entry : entries) {
        entry.Values.resize(read.Names.size());
        TCsvRecord row;
        row.Fields.reserve(order.size() + 5);
        QString second;
        for (const qsizetype i : order) {
            QString& value = entry.Values[static_cast<size_t>(i)];
            if (i != comments) {
                row.Fields.push_back(std::move(value));
                continue;
            }
            const qsizetype at = value.indexOf(u'\n');
            row.Fields.push_back(at < 0 ? value : value.left(at));
            second = at < 0 ? QString() : value.mid(at + 1);
        }
        row.Fields.push_back(second);
        for (const QString& value : {entry.Loaner, entry.LoanDate, entry.Due, entry.LoanNote})
            row.Fields.push_back(value);
        row.Lines.assign(row.Fields.size(), entry.Line);
        rows.push_back(std::move(row));
    }
    return rows;
}

#include "csv/TellicoFile.h"

#include "csv/CsvInput.h"
#include "csv/CsvLayouts.h"
#include "csv/ECsvRefusal.h"
#include "csv/ZipArchive.h"
#include "platform/Cp1252.h"
#include "platform/LoanDate.h"

#include <QDate>
#include <QLocale>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <map>

namespace {

const QString Namespace = QStringLiteral("http://periapsis.org/tellico/");

// The fields of the collection, as Tellico defines its book fields: type 1
// a line, 2 a paragraph, 4 a check box; flags 8 no delete, 7 several values,
// grouped and completed, 6 grouped and completed; format 1 a title, 2 a
// name, 0 plain, 4 none. The year is a line, not Tellico's number, so any
// text the catalogue holds there is kept.
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

QString Field(const TItem& item, int field)
{
    return Cp1252::ToQString(item.Fields[static_cast<size_t>(field)]);
}

// One entry as the import reads it.
struct TEntry {
    int Line = 0;
    QString Title, Author, Publisher, Year, Comments, Loaner, LoanDate, Due;
    bool Lent = false;
};

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
    // A note that is this very date is how the export kept its text.
    const QDate loanDate = QDate::fromString(date, Qt::ISODate);
    if (!loanDate.isValid() || TTellicoFile::IsoDate(note) == date)
        lent.LoanDate = note.trimmed();
    else
        lent.LoanDate = LoanDate::Write(loanDate);
}

void ReadEntry(QXmlStreamReader& xml, TEntry& entry)
{
    while (xml.readNextStartElement()) {
        const QStringView name = xml.name();
        if (name == u"title")
            entry.Title = xml.readElementText(QXmlStreamReader::SkipChildElements);
        else if (name == u"publisher")
            entry.Publisher = xml.readElementText(QXmlStreamReader::SkipChildElements);
        else if (name == u"pub_year" || (name == u"year" && entry.Year.isEmpty()))
            entry.Year = xml.readElementText(QXmlStreamReader::SkipChildElements);
        else if (name == u"comments")
            entry.Comments = xml.readElementText(QXmlStreamReader::SkipChildElements);
        else if (name == u"author")
            entry.Author = xml.readElementText(QXmlStreamReader::SkipChildElements);
        else if (name == u"authors") {
            QStringList authors;
            while (xml.readNextStartElement())
                authors.append(xml.readElementText(QXmlStreamReader::SkipChildElements));
            entry.Author = authors.join(QStringLiteral("; "));
        } else
            xml.skipCurrentElement();
    }
}

std::vector<TEntry> ReadDocument(const QByteArray& document)
{
    QXmlStreamReader xml(document);
    std::vector<TEntry> entries;
    std::map<qint64, size_t> byId;
    bool rootSeen = false, inCollection = false, collectionRead = false;
    QString borrower;
    while (!xml.atEnd()) {
        xml.readNext();
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
            ReadEntry(xml, entry);
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

} // namespace

QString TTellicoFile::IsoDate(const QString& loanDate, const QDate& today)
{
    QDate date;
    return LoanDate::Read(loanDate, today, date) ? date.toString(Qt::ISODate) : QString();
}

QByteArray TTellicoFile::Write(const std::vector<TItem>& items, const std::vector<QDate>& due, const QDate& today)
{
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
    for (const TFieldDefinition& field : Fields) {
        xml.writeEmptyElement(QStringLiteral("field"));
        xml.writeAttribute(QStringLiteral("name"), QLatin1String(field.Name));
        xml.writeAttribute(QStringLiteral("title"), QLatin1String(field.Title));
        xml.writeAttribute(QStringLiteral("category"), QLatin1String(field.Category));
        xml.writeAttribute(QStringLiteral("type"), QString::number(field.Type));
        xml.writeAttribute(QStringLiteral("flags"), QString::number(field.Flags));
        xml.writeAttribute(QStringLiteral("format"), QString::number(field.Format));
    }
    xml.writeEndElement();
    // Loans by borrower, in the order the borrowers first appear.
    std::vector<std::pair<QString, std::vector<size_t>>> borrowers;
    for (size_t i = 0; i < items.size(); ++i) {
        const TItem& item = items[i];
        const QString id = QString::number(i + 1);
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
        if (!loaner.isEmpty()) {
            xml.writeTextElement(QStringLiteral("loaned"), QStringLiteral("true"));
            auto holder = std::find_if(borrowers.begin(), borrowers.end(),
                                       [&loaner](const auto& borrower) { return borrower.first == loaner; });
            if (holder == borrowers.end())
                holder = borrowers.insert(borrowers.end(), {loaner, {}});
            holder->second.push_back(i);
        }
        const QString notes =
            Field(item, 5).isEmpty() ? Field(item, 4) : Field(item, 4) + QStringLiteral("<br/>") + Field(item, 5);
        WriteText(xml, QStringLiteral("comments"), notes);
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
                // The text goes along where the date alone would not give it back.
                if (iso.isEmpty() || LoanDate::Write(QDate::fromString(iso, Qt::ISODate)) != date)
                    xml.writeCharacters(date);
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
    const QByteArray start = bytes.left(1024);
    return start.trimmed().startsWith("<?xml") && (start.contains("<tellico") || start.contains("<bookcase"));
}

std::vector<TCsvRecord> TTellicoFile::Rows(const QByteArray& bytes)
{
    const QByteArray document =
        TZipArchive::LooksLikeZip(bytes)
            ? TZipArchive::Read(bytes, QString::fromLatin1(ArchiveMember), TCsvInput::MaxInputBytes)
            : bytes;
    std::vector<TCsvRecord> rows;
    TCsvRecord header;
    for (const char* name :
         {"title", "author", "publisher", "pub_year", "comments", "Loaned To", "Loan Date", TCsvLayouts::DueHeader})
        header.Fields.push_back(QString::fromLatin1(name));
    header.Lines.assign(header.Fields.size(), 1);
    rows.push_back(std::move(header));
    for (TEntry& entry : ReadDocument(document)) {
        TCsvRecord row;
        row.Fields = {entry.Title,    entry.Author, entry.Publisher, entry.Year,
                      entry.Comments, entry.Loaner, entry.LoanDate,  entry.Due};
        row.Lines.assign(row.Fields.size(), entry.Line);
        rows.push_back(std::move(row));
    }
    return rows;
}

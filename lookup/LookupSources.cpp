#include "lookup/LookupSources.h"

#include "lookup/FinnaAnswer.h"
#include "lookup/OpenLibraryAnswer.h"
#include "lookup/SruAnswer.h"
#include "platform/Cp1252.h"
#include "settings/RFileSystem.h"

#include <QUrlQuery>

namespace {

struct TSourceRow {
    const char* Key;
    const char* Base;
    const char* Name;
};

const TSourceRow& Row(TLookupSource source)
{
    static const std::array<TSourceRow, LookupSources::Count> rows = {{
        {"LOOKUP_OPENLIBRARY", "https://openlibrary.org", "Open Library"},
        {"LOOKUP_COVERS", "https://covers.openlibrary.org", "Open Library Covers"},
        {"LOOKUP_FINNA", "https://api.finna.fi/v1", "Finna"},
        {"LOOKUP_DNB", "https://services.dnb.de/sru/dnb", "the German National Library"},
        {"LOOKUP_LOC", "http://lx2.loc.gov:210/LCDB", "the Library of Congress"},
    }};
    return rows[static_cast<size_t>(source)];
}

// The base with the path after it, one slash between.
QUrl Joined(const QString& base, const QString& path)
{
    QString text = base;
    while (text.endsWith(QLatin1Char('/')))
        text.chop(1);
    return QUrl(text + path);
}

QUrl SruRequest(const QString& base, const QString& query, const QString& schema)
{
    QUrl url = Joined(base, QString());
    QUrlQuery items;
    items.addQueryItem(QStringLiteral("version"), QStringLiteral("1.1"));
    items.addQueryItem(QStringLiteral("operation"), QStringLiteral("searchRetrieve"));
    items.addQueryItem(QStringLiteral("query"), query);
    items.addQueryItem(QStringLiteral("recordSchema"), schema);
    items.addQueryItem(QStringLiteral("maximumRecords"), QStringLiteral("10"));
    url.setQuery(items);
    return url;
}

} // namespace

namespace LookupSources {

const char* SettingKey(TLookupSource source)
{
    return Row(source).Key;
}

QString BuiltInBase(TLookupSource source)
{
    return QString::fromLatin1(Row(source).Base);
}

QString Name(TLookupSource source)
{
    return QString::fromLatin1(Row(source).Name);
}

std::array<QString, Count> BuiltInBases()
{
    std::array<QString, Count> bases;
    for (int i = 0; i < Count; ++i)
        bases[static_cast<size_t>(i)] = BuiltInBase(static_cast<TLookupSource>(i));
    return bases;
}

std::array<QString, Count> BasesFrom(const TRFileSystem& settings)
{
    std::array<QString, Count> bases = BuiltInBases();
    for (int i = 0; i < Count; ++i) {
        const char* key = SettingKey(static_cast<TLookupSource>(i));
        if (!settings.ValueExists(key))
            continue;
        const QString written = Cp1252::ToQString(settings.ReadString(key)).trimmed();
        if (!written.isEmpty())
            bases[static_cast<size_t>(i)] = written;
    }
    return bases;
}

TLookupSource NationalFor(const std::string& isbn13)
{
    if (isbn13.rfind("978951", 0) == 0 || isbn13.rfind("978952", 0) == 0)
        return TLookupSource::Finna;
    if (isbn13.rfind("9783", 0) == 0)
        return TLookupSource::Dnb;
    return TLookupSource::LibraryOfCongress;
}

QUrl RequestFor(TLookupSource source, const QString& base, const std::string& isbn13)
{
    const QString isbn = QString::fromStdString(isbn13);
    switch (source) {
    case TLookupSource::OpenLibrary: {
        QUrl url = Joined(base, QStringLiteral("/api/books"));
        QUrlQuery items;
        items.addQueryItem(QStringLiteral("bibkeys"), QStringLiteral("ISBN:") + isbn);
        items.addQueryItem(QStringLiteral("format"), QStringLiteral("json"));
        items.addQueryItem(QStringLiteral("jscmd"), QStringLiteral("data"));
        url.setQuery(items);
        return url;
    }
    case TLookupSource::Finna: {
        QUrl url = Joined(base, QStringLiteral("/search"));
        QUrlQuery items;
        items.addQueryItem(QStringLiteral("lookfor"), isbn);
        items.addQueryItem(QStringLiteral("type"), QStringLiteral("AllFields"));
        for (const char* field : {"title", "subTitle", "shortTitle", "nonPresenterAuthors", "primaryAuthors",
                                  "publishers", "year", "isbns", "physicalDescriptions", "subjects"})
            items.addQueryItem(QStringLiteral("field[]"), QLatin1String(field));
        items.addQueryItem(QStringLiteral("limit"), QStringLiteral("10"));
        url.setQuery(items);
        return url;
    }
    case TLookupSource::Dnb:
        return SruRequest(base, QStringLiteral("num=") + isbn, QStringLiteral("MARC21-xml"));
    case TLookupSource::LibraryOfCongress:
        return SruRequest(base, QStringLiteral("bath.isbn=") + isbn, QStringLiteral("marcxml"));
    case TLookupSource::Covers:
        break;
    }
    return {};
}

QUrl CoverRequest(const QString& base, const QString& coverId)
{
    return Joined(base, QStringLiteral("/b/id/") + coverId + QStringLiteral("-M.jpg"));
}

TLookupAnswer Parse(TLookupSource source, const QByteArray& bytes)
{
    switch (source) {
    case TLookupSource::OpenLibrary:
        return OpenLibraryAnswer::Parse(bytes);
    case TLookupSource::Finna:
        return FinnaAnswer::Parse(bytes);
    case TLookupSource::Dnb:
    case TLookupSource::LibraryOfCongress:
        return SruAnswer::Parse(bytes);
    case TLookupSource::Covers:
        break;
    }
    return {};
}

QByteArray UserAgent()
{
    return QByteArrayLiteral("Volumnia/" VOLUMNIA_VERSION " (+https://www.quenfir.example/volumnia/manual/)");
}

} // namespace LookupSources

#include "lookup/OpenLibraryAnswer.h"

#include "engine/FieldTable.h"
#include "lookup/JsonValues.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

// The cover's ID out of its address: ".../b/id/8739161-M.jpg".
QString CoverIdOf(const QJsonObject& cover)
{
    static const QRegularExpression id(QStringLiteral("/b/id/([0-9]{1,12})-[SML]\\.jpg$"));
    for (const char* size : {"large", "medium", "small"}) {
        const QRegularExpressionMatch match = id.match(cover.value(QLatin1String(size)).toString());
        if (match.hasMatch())
            return match.captured(1);
    }
    return {};
}

TLookupRecord RecordOf(const QJsonObject& book)
{
    TLookupRecord record;
    record.Title = LookupRecord::Trimmed(book.value(QLatin1String("title")).toString());
    record.Subtitle = LookupRecord::Trimmed(book.value(QLatin1String("subtitle")).toString());
    record.Authors = JsonValues::Names(book.value(QLatin1String("authors")));
    record.Publishers = JsonValues::Names(book.value(QLatin1String("publishers")));
    record.Year = LookupRecord::YearIn(book.value(QLatin1String("publish_date")).toString());
    const QJsonValue pages = book.value(QLatin1String("number_of_pages"));
    if (pages.isDouble() && pages.toDouble() >= 1 && pages.toDouble() < 1e6)
        record.Pages = QString::number(pages.toInt());
    const QJsonObject identifiers = book.value(QLatin1String("identifiers")).toObject();
    for (const char* kind : {"isbn_13", "isbn_10"})
        JsonValues::AddIsbns(identifiers.value(QLatin1String(kind)), record.Isbns);
    record.Subjects = JsonValues::Names(book.value(QLatin1String("subjects")));
    record.CoverId = CoverIdOf(book.value(QLatin1String("cover")).toObject());
    return record;
}

} // namespace

namespace OpenLibraryAnswer {

TLookupAnswer Parse(const QByteArray& bytes)
{
    TLookupAnswer answer;
    QJsonObject books;
    if (!JsonValues::TopObject(bytes, books, answer.Problem))
        return answer;
    for (auto it = books.begin(); it != books.end(); ++it)
        if (it.value().isObject())
            answer.Records.push_back(RecordOf(it.value().toObject()));
    return answer;
}

} // namespace OpenLibraryAnswer

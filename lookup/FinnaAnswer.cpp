#include "lookup/FinnaAnswer.h"

#include "lookup/JsonValues.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

TLookupRecord RecordOf(const QJsonObject& book)
{
    TLookupRecord record;
    // The title holds the subtitle after " : " where the record has one.
    const QString shortTitle = LookupRecord::Trimmed(book.value(QLatin1String("shortTitle")).toString());
    const QString subtitle = LookupRecord::Trimmed(book.value(QLatin1String("subTitle")).toString());
    if (!shortTitle.isEmpty()) {
        record.Title = shortTitle;
        record.Subtitle = subtitle;
    } else {
        record.Title = LookupRecord::Trimmed(book.value(QLatin1String("title")).toString());
    }
    record.Authors = JsonValues::Names(book.value(QLatin1String("nonPresenterAuthors")));
    if (record.Authors.isEmpty())
        record.Authors = JsonValues::Names(book.value(QLatin1String("primaryAuthors")));
    record.Publishers = JsonValues::Names(book.value(QLatin1String("publishers")));
    record.Year = LookupRecord::YearIn(book.value(QLatin1String("year")).toString());
    const QStringList extents = JsonValues::Names(book.value(QLatin1String("physicalDescriptions")));
    if (!extents.isEmpty())
        record.Pages = LookupRecord::PagesIn(extents.front());
    JsonValues::AddIsbns(book.value(QLatin1String("isbns")), record.Isbns);
    // Subjects come as lists of terms, a heading with its subdivisions.
    for (const QJsonValue& heading : book.value(QLatin1String("subjects")).toArray()) {
        const QString subject = JsonValues::Names(heading).join(QStringLiteral(" -- "));
        if (!subject.isEmpty() && !record.Subjects.contains(subject))
            record.Subjects << subject;
    }
    return record;
}

} // namespace

namespace FinnaAnswer {

TLookupAnswer Parse(const QByteArray& bytes)
{
    TLookupAnswer answer;
    QJsonObject top;
    if (!JsonValues::TopObject(bytes, top, answer.Problem))
        return answer;
    const QString status = top.value(QLatin1String("status")).toString();
    if (status != QLatin1String("OK")) {
        const QString message = top.value(QLatin1String("statusMessage")).toString().left(200);
        answer.Problem = message.isEmpty() ? QStringLiteral("Finna did not answer the search.")
                                           : QStringLiteral("Finna: ") + message;
        return answer;
    }
    for (const QJsonValue& book : top.value(QLatin1String("records")).toArray())
        if (book.isObject())
            answer.Records.push_back(RecordOf(book.toObject()));
    return answer;
}

} // namespace FinnaAnswer

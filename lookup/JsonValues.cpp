#include "lookup/JsonValues.h"

#include "engine/FieldTable.h"
#include "lookup/LookupRecord.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace JsonValues {

QStringList Names(const QJsonValue& list)
{
    QStringList names;
    const QJsonArray items = list.isArray() ? list.toArray() : QJsonArray{list};
    for (const QJsonValue& item : items) {
        const QString name = LookupRecord::Trimmed(
            item.isObject() ? item.toObject().value(QLatin1String("name")).toString() : item.toString());
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    }
    return names;
}

void AddIsbns(const QJsonValue& list, QStringList& isbns)
{
    const QJsonArray items = list.isArray() ? list.toArray() : QJsonArray{list};
    for (const QJsonValue& item : items) {
        // The number comes first; a note may follow it ("(nid.)", "kart.").
        const QString text = item.toString().trimmed();
        const QString number = text.section(QLatin1Char(' '), 0, 0);
        const QString isbn = QString::fromStdString(FieldTable::Isbn13(number.toStdString()));
        if (!isbn.isEmpty() && !isbns.contains(isbn))
            isbns << isbn;
    }
}

QString Unreadable(const QByteArray& bytes, const QJsonParseError& error)
{
    if (error.error == QJsonParseError::NoError)
        return QStringLiteral("The answer was not of the form expected.");
    // The parser stopped at the end of what came: the rest never arrived.
    if (error.offset >= bytes.trimmed().size() - 1 && !bytes.trimmed().isEmpty())
        return QStringLiteral("The answer was cut short.");
    return QStringLiteral("The answer was not readable.");
}

bool TopObject(const QByteArray& bytes, QJsonObject& top, QString& problem)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        problem = Unreadable(bytes, error);
        return false;
    }
    top = document.object();
    return true;
}

} // namespace JsonValues

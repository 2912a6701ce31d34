// What the JSON sources' parsers share: names out of lists that hold either
// texts or objects with a "name", ISBNs out of lists of texts, and the
// sentence for an answer that is no JSON document.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QStringList>

namespace JsonValues {

// The texts of a list of texts or of objects with a text "name", each
// trimmed, empty and repeated ones passed over; a lone text is a list of one.
QStringList Names(const QJsonValue& list);
// The verified ISBN-13 of each text of a list ("951-0-12345-6 (nid.)" gives
// its ISBN-13), added to isbns once.
void AddIsbns(const QJsonValue& list, QStringList& isbns);
// Why bytes are no JSON document: cut short (the parser met the end) or not
// of the documented form.
QString Unreadable(const QByteArray& bytes, const QJsonParseError& error);
// The answer's top object, or false with problem set (Unreadable's sentence)
// where the bytes are no JSON document holding an object.
bool TopObject(const QByteArray& bytes, QJsonObject& top, QString& problem);

} // namespace JsonValues

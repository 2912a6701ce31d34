#include "csv/CsvWriter.h"

#include "csv/CsvFormulas.h"

#include <algorithm>

namespace {

bool NeedsQuotes(const QString& field)
{
    if (field.isEmpty())
        return false;
    if (field.front() == u' ' || field.back() == u' ')
        return true;
    for (const QChar c : field)
        if (c == u',' || c == u'"' || c == u'\r' || c == u'\n')
            return true;
    return false;
}

} // namespace

void TCsvWriter::AppendRow(QByteArray& out, const std::vector<QString>& fields, const std::vector<size_t>& verbatim)
{
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        const QString field = std::find(verbatim.begin(), verbatim.end(), i) != verbatim.end()
                                  ? fields[i]
                                  : TCsvFormulas::Defused(fields[i]);
        if (NeedsQuotes(field)) {
            QString quoted = field;
            quoted.replace(u'"', QStringLiteral("\"\""));
            out += '"';
            out += quoted.toUtf8();
            out += '"';
        } else {
            out += field.toUtf8();
        }
    }
    out += "\r\n";
}

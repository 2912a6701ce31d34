#include "csv/CsvReader.h"

#include "csv/ECsvRefusal.h"

namespace {

[[noreturn]] void Malformed(int line, const char* what)
{
    throw ECsvRefusal("line " + std::to_string(line) + ": " + what);
}

} // namespace

std::vector<TCsvRecord> TCsvReader::Parse(const QString& text, QChar separator)
{
    std::vector<TCsvRecord> records;
    const qsizetype size = text.size();
    const QChar* const data = text.constData();
    qsizetype i = 0;
    int line = 1;
    // A line end at i (CR LF counts once); moves past it.
    const auto skipLineEnd = [&] {
        if (data[i] == u'\r' && i + 1 < size && data[i + 1] == u'\n')
            ++i;
        ++i;
        ++line;
    };
    while (i < size) {
        TCsvRecord record;
        for (;;) {
            record.Lines.push_back(line);
            QString field;
            if (data[i] == u'"') {
                const int opened = line;
                ++i;
                for (;;) {
                    if (i == size)
                        Malformed(opened, "a quoted field is not closed");
                    const QChar c = data[i];
                    if (c == u'"') {
                        if (i + 1 < size && data[i + 1] == u'"') {
                            field += u'"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (c == u'\n' || (c == u'\r' && !(i + 1 < size && data[i + 1] == u'\n')))
                        ++line;
                    field += c;
                    ++i;
                }
                if (i < size && data[i] != separator && data[i] != u'\r' && data[i] != u'\n')
                    Malformed(line, "text after the closing quote of a field");
            } else {
                const qsizetype start = i;
                while (i < size && data[i] != separator && data[i] != u'\r' && data[i] != u'\n')
                    ++i;
                field = text.mid(start, i - start);
            }
            record.Fields.push_back(std::move(field));
            if (i < size && data[i] == separator) {
                ++i;
                if (i == size) { // a separator at the very end: one more empty field
                    record.Lines.push_back(line);
                    record.Fields.emplace_back();
                    break;
                }
                continue;
            }
            if (i < size)
                skipLineEnd();
            break;
        }
        records.push_back(std::move(record));
    }
    return records;
}

QChar TCsvReader::Separator(const QString& text)
{
    int commas = 0, semicolons = 0, tabs = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u'"')
            quoted = !quoted;
        else if (quoted)
            continue;
        else if (c == u'\r' || c == u'\n')
            break;
        else if (c == u',')
            ++commas;
        else if (c == u';')
            ++semicolons;
        else if (c == u'\t')
            ++tabs;
    }
    if (tabs > 0 && tabs >= semicolons && tabs >= commas)
        return u'\t';
    if (semicolons > 0 && semicolons >= commas)
        return u';';
    return u',';
}

const char* TCsvReader::SeparatorName(QChar separator)
{
    if (separator == u'\t')
        return "tabs";
    if (separator == u';')
        return "semicolons";
    return "commas";
}

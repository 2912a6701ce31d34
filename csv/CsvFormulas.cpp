#include "csv/CsvFormulas.h"

namespace {

bool StartsFormula(QChar c)
{
    return c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == u'\t' || c == u'\r';
}

// Whether the text from at on is apostrophes followed by a formula's first character.
bool FormulaAfterApostrophes(const QString& text, qsizetype at)
{
    while (at < text.size() && text.at(at) == u'\'')
        ++at;
    return at < text.size() && StartsFormula(text.at(at));
}

} // namespace

QString TCsvFormulas::Defused(const QString& value)
{
    return FormulaAfterApostrophes(value, 0) ? u'\'' + value : value;
}

QString TCsvFormulas::Restored(const QString& field)
{
    return field.startsWith(u'\'') && FormulaAfterApostrophes(field, 1) ? field.mid(1) : field;
}

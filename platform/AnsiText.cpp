#include "platform/AnsiText.h"

#include "platform/Cp1252.h"

#include <QCollator>
#include <QLocale>

namespace AnsiText {

namespace {

QCollator MakeCollator()
{
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

TLowerTable BuildLowerTable(const QLocale& locale)
{
    TLowerTable table{};
    for (int b = 0; b < 256; ++b) {
        table[b] = static_cast<unsigned char>(b);
        const QChar ch(Cp1252::ToUnicode(static_cast<unsigned char>(b)));
        const QString lowered = locale.toLower(QString(ch));
        int mapped = lowered.size() == 1 ? Cp1252::FromUnicode(lowered.at(0).unicode()) : -1;
        // A lower case the code page cannot hold in one byte (Turkish dotless i,
        // Lithuanian i with a combining dot and accent): the locale-free mapping
        // still gives the letter's own lower case.
        if (mapped < 0)
            mapped = Cp1252::FromUnicode(ch.toLower().unicode());
        if (mapped >= 0)
            table[b] = static_cast<unsigned char>(mapped);
    }
    return table;
}

} // namespace

const TLowerTable& LowerTable()
{
    static QString cachedFor;
    static TLowerTable table{};
    const QLocale locale;
    const QString name = locale.bcp47Name();
    if (cachedFor.isNull() || name != cachedFor) {
        table = BuildLowerTable(locale);
        cachedFor = name;
    }
    return table;
}

void LowerCaseInPlace(std::string& text, const TLowerTable& table)
{
    for (char& c : text)
        c = static_cast<char>(table[static_cast<unsigned char>(c)]);
}

std::string LowerCase(std::string_view text)
{
    std::string result(text);
    LowerCaseInPlace(result, LowerTable());
    return result;
}

int CompareText(const std::string& a, const std::string& b)
{
    return MakeCollator().compare(Cp1252::ToQString(a), Cp1252::ToQString(b));
}

std::vector<QCollatorSortKey> CollationKeys(const std::vector<std::string>& texts)
{
    const QCollator collator = MakeCollator();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(texts.size());
    for (const std::string& text : texts)
        keys.push_back(collator.sortKey(Cp1252::ToQString(text)));
    return keys;
}

} // namespace AnsiText

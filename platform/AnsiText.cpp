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

// In the C locale (LANG=C, C.UTF-8) the collator compares code points and
// ignores the case setting, at least in its sort keys: there the texts are
// case-folded first, so the order ignores case in every locale.
bool FoldsCase(const QCollator& collator)
{
    return collator.sortKey(QStringLiteral("a")).compare(collator.sortKey(QStringLiteral("A"))) == 0 &&
           collator.compare(QStringLiteral("a"), QStringLiteral("A")) == 0;
}

// Each byte's character, case-folded. Every character of the code page folds
// to one character, so a text folds byte by byte, as QString::toCaseFolded
// would fold it, at a fraction of the cost.
const std::array<char16_t, 256>& FoldedCharacters()
{
    static const std::array<char16_t, 256> table = [] {
        std::array<char16_t, 256> folded{};
        for (int b = 0; b < 256; ++b)
            folded[size_t(b)] = QChar(Cp1252::ToUnicode(static_cast<unsigned char>(b))).toCaseFolded().unicode();
        return folded;
    }();
    return table;
}

QString Collated(std::string_view text, bool foldFirst)
{
    if (!foldFirst)
        return Cp1252::ToQString(text);
    const std::array<char16_t, 256>& folded = FoldedCharacters();
    QString unicode(static_cast<qsizetype>(text.size()), Qt::Uninitialized);
    QChar* out = unicode.data();
    for (size_t i = 0; i < text.size(); ++i)
        out[i] = QChar(folded[static_cast<unsigned char>(text[i])]);
    return unicode;
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
    const QCollator collator = MakeCollator();
    const bool fold = !FoldsCase(collator);
    return collator.compare(Collated(a, fold), Collated(b, fold));
}

std::vector<QCollatorSortKey> CollationKeys(const std::vector<std::string_view>& texts)
{
    const QCollator collator = MakeCollator();
    const bool fold = !FoldsCase(collator);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(texts.size());
    for (const std::string_view text : texts)
        keys.push_back(collator.sortKey(Collated(text, fold)));
    return keys;
}

std::vector<QCollatorSortKey> CollationKeys(const std::vector<std::string>& texts)
{
    return CollationKeys(std::vector<std::string_view>(texts.begin(), texts.end()));
}

std::vector<QCollatorSortKey> CollationKeysOfUtf8(const std::vector<std::string_view>& texts)
{
    const QCollator collator = MakeCollator();
    const bool fold = !FoldsCase(collator);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(texts.size());
    for (const std::string_view text : texts) {
        const QString unicode = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
        keys.push_back(collator.sortKey(fold ? unicode.toCaseFolded() : unicode));
    }
    return keys;
}

QString CollationLocale()
{
    // The name tells C from English, the BCP 47 name tells the scripts apart.
    const QLocale locale;
    return locale.name() + QLatin1Char('/') + locale.bcp47Name();
}

} // namespace AnsiText

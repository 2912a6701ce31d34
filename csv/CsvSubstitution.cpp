#include "csv/CsvSubstitution.h"

#include "platform/Cp1252.h"

#include <QList>

#include <algorithm>
#include <iterator>

namespace {

struct TEntry {
    char32_t Letter; // a lower case letter, or a sign without case
    // Read through the iterator std::lower_bound returns, which cppcheck does not follow.
    // cppcheck-suppress unusedStructMember
    const char* Latin;
};

// Sorted by letter. The texts are UTF-8 of characters Windows-1252 holds.
constexpr TEntry Table[] = {
    {0x0111, "d"},      // đ
    {0x0127, "h"},      // ħ
    {0x0131, "i"},      // ı
    {0x0138, "q"},      // ĸ
    {0x0142, "l"},      // ł
    {0x014B, "ng"},     // ŋ
    {0x0167, "t"},      // ŧ
    {0x0180, "b"},      // ƀ
    {0x01A5, "p"},      // ƥ
    {0x0253, "b"},      // ɓ
    {0x0259, "e"},      // ə
    {0x03B1, "a"},      // α
    {0x03B2, "v"},      // β
    {0x03B3, "g"},      // γ
    {0x03B4, "d"},      // δ
    {0x03B5, "e"},      // ε
    {0x03B6, "z"},      // ζ
    {0x03B7, "i"},      // η
    {0x03B8, "th"},     // θ
    {0x03B9, "i"},      // ι
    {0x03BA, "k"},      // κ
    {0x03BB, "l"},      // λ
    {0x03BC, "m"},      // μ
    {0x03BD, "n"},      // ν
    {0x03BE, "x"},      // ξ
    {0x03BF, "o"},      // ο
    {0x03C0, "p"},      // π
    {0x03C1, "r"},      // ρ
    {0x03C2, "s"},      // ς
    {0x03C3, "s"},      // σ
    {0x03C4, "t"},      // τ
    {0x03C5, "y"},      // υ
    {0x03C6, "f"},      // φ
    {0x03C7, "ch"},     // χ
    {0x03C8, "ps"},     // ψ
    {0x03C9, "o"},      // ω
    {0x0430, "a"},      // а
    {0x0431, "b"},      // б
    {0x0432, "v"},      // в
    {0x0433, "g"},      // г
    {0x0434, "d"},      // д
    {0x0435, "e"},      // е
    {0x0436, "zh"},     // ж
    {0x0437, "z"},      // з
    {0x0438, "i"},      // и
    {0x0439, "y"},      // й
    {0x043A, "k"},      // к
    {0x043B, "l"},      // л
    {0x043C, "m"},      // м
    {0x043D, "n"},      // н
    {0x043E, "o"},      // о
    {0x043F, "p"},      // п
    {0x0440, "r"},      // р
    {0x0441, "s"},      // с
    {0x0442, "t"},      // т
    {0x0443, "u"},      // у
    {0x0444, "f"},      // ф
    {0x0445, "kh"},     // х
    {0x0446, "ts"},     // ц
    {0x0447, "ch"},     // ч
    {0x0448, "sh"},     // ш
    {0x0449, "shch"},   // щ
    {0x044A, "\u201D"}, // ъ
    {0x044B, "y"},      // ы
    {0x044C, "\u2019"}, // ь
    {0x044D, "e"},      // э
    {0x044E, "yu"},     // ю
    {0x044F, "ya"},     // я
    {0x0450, "e"},      // ѐ
    {0x0451, "\u00EB"}, // ё
    {0x0452, "dj"},     // ђ
    {0x0453, "gj"},     // ѓ
    {0x0454, "ye"},     // є
    {0x0455, "dz"},     // ѕ
    {0x0456, "i"},      // і
    {0x0457, "yi"},     // ї
    {0x0458, "j"},      // ј
    {0x0459, "lj"},     // љ
    {0x045A, "nj"},     // њ
    {0x045B, "c"},      // ћ
    {0x045C, "kj"},     // ќ
    {0x045D, "i"},      // ѝ
    {0x045E, "u"},      // ў
    {0x045F, "dz"},     // џ
    {0x0491, "g"},      // ґ
    {0x2010, "-"},      // hyphen
    {0x2011, "-"},      // non-breaking hyphen
    {0x2044, "/"},      // fraction slash
    {0x2212, "-"},      // minus sign
};

bool Holds(const QString& text)
{
    return Cp1252::CanHold(text);
}

// The table's text for c, in c's case; empty when the table has none.
QString FromTable(char32_t c)
{
    const char32_t lower = QChar::toLower(c);
    const auto* entry = std::lower_bound(std::begin(Table), std::end(Table), lower,
                                         [](const TEntry& e, char32_t letter) { return e.Letter < letter; });
    if (entry == std::end(Table) || entry->Letter != lower)
        return {};
    QString latin = QString::fromUtf8(entry->Latin);
    if (lower != c)
        latin[0] = latin[0].toUpper();
    return latin;
}

} // namespace

QString TCsvSubstitution::For(char32_t c)
{
    QString latin = FromTable(c);
    if (!latin.isEmpty())
        return latin;
    const QString whole = QString::fromUcs4(&c, 1);
    // A ligature or a compatibility form may be letters the set holds (ﬁ, ǆ).
    if (const QString composed = whole.normalized(QString::NormalizationForm_KC); Holds(composed))
        return composed;
    const QString decomposed = whole.normalized(QString::NormalizationForm_KD);
    if (decomposed != whole) {
        for (const uint code : decomposed.toUcs4()) {
            const char32_t part = code;
            if (QChar::isMark(part))
                continue;
            const QString one = QString::fromUcs4(&part, 1);
            if (Holds(one))
                latin += one;
            else if (const QString fromTable = FromTable(part); !fromTable.isEmpty())
                latin += fromTable;
            else
                latin += u'?';
        }
        if (!latin.isEmpty())
            return latin;
    }
    return QStringLiteral("?");
}

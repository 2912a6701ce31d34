#include "csv/CsvSubstitution.h"

#include "platform/Cp1252.h"

#include <QList>

#include <algorithm>
#include <iterator>
#include <string_view>
#include <vector>

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

namespace {

bool IsGreek(char32_t c)
{
    return c >= 0x0370 && c <= 0x03FF;
}

bool IsCyrillic(char32_t c)
{
    return c >= 0x0400 && c <= 0x04FF;
}

// The lower case letter without its accent; a diaeresis is kept apart.
char32_t Base(char32_t c, bool* diaeresis = nullptr)
{
    const QString decomposed = QString::fromUcs4(&c, 1).normalized(QString::NormalizationForm_D);
    const QList<uint> parts = decomposed.toUcs4();
    if (diaeresis)
        *diaeresis = parts.contains(0x0308);
    return QChar::toLower(static_cast<char32_t>(parts.isEmpty() ? c : parts.front()));
}

bool In(char32_t c, std::u32string_view set)
{
    return set.find(c) != std::u32string_view::npos;
}

// Greek: the Latin text of the letters from at, and how many it took.
QString Greek(const std::vector<char32_t>& text, size_t at, size_t& taken)
{
    const auto letter = [&text](size_t i) -> char32_t {
        return i < text.size() && IsGreek(text[i]) && QChar::isLetter(text[i]) ? Base(text[i]) : 0;
    };
    const char32_t c = letter(at);
    bool diaeresis = false;
    const char32_t next = at + 1 < text.size() && IsGreek(text[at + 1]) ? Base(text[at + 1], &diaeresis) : 0;
    const bool startOfWord = at == 0 || !QChar::isLetter(text[at - 1]);
    taken = 2;
    if (next == U'υ' && !diaeresis) {
        if (c == U'ο')
            return QStringLiteral("ou");
        if (In(c, U"αεη")) {
            const char32_t after = letter(at + 2);
            const bool voiceless = after == 0 || In(after, U"θκξπσςτφχψ");
            const QString vowel = c == U'α'   ? QStringLiteral("a")
                                  : c == U'ε' ? QStringLiteral("e")
                                              : QStringLiteral("i");
            return vowel + (voiceless ? u'f' : u'v');
        }
    }
    if (c == U'μ' && next == U'π')
        return startOfWord ? QStringLiteral("b") : QStringLiteral("mb");
    if (c == U'ν' && next == U'τ')
        return startOfWord ? QStringLiteral("d") : QStringLiteral("nt");
    if (c == U'γ') {
        if (next == U'γ')
            return QStringLiteral("ng");
        if (next == U'κ')
            return QStringLiteral("gk");
        if (next == U'ξ')
            return QStringLiteral("nx");
        if (next == U'χ')
            return QStringLiteral("nch");
    }
    taken = 1;
    return TCsvSubstitution::For(c);
}

// Cyrillic: е and ё take a y where a vowel, a sign or nothing stands before.
QString Cyrillic(const std::vector<char32_t>& text, size_t at)
{
    const char32_t c = QChar::toLower(text[at]);
    if (c != U'е' && c != U'ё')
        return TCsvSubstitution::For(c);
    const char32_t before = at > 0 && QChar::isLetter(text[at - 1]) ? QChar::toLower(text[at - 1]) : 0;
    const bool y = before == 0 || In(before, U"аеёиоуыэюяйъь");
    return (y ? QStringLiteral("y") : QString()) + (c == U'е' ? QStringLiteral("e") : QStringLiteral("\u00EB"));
}

// Whether the word around at has two or more letters, all capitals.
bool CapitalWord(const std::vector<char32_t>& text, size_t at)
{
    size_t start = at, end = at;
    while (start > 0 && QChar::isLetter(text[start - 1]))
        --start;
    while (end < text.size() && QChar::isLetter(text[end]))
        ++end;
    int capitals = 0;
    for (size_t i = start; i < end; ++i) {
        if (QChar::isLower(text[i]))
            return false;
        capitals += QChar::isUpper(text[i]) ? 1 : 0;
    }
    return capitals >= 2;
}

} // namespace

QString TCsvSubstitution::Text(const QString& text)
{
    std::vector<char32_t> points;
    for (const uint code : text.toUcs4())
        points.push_back(code);
    QString result;
    for (size_t i = 0; i < points.size();) {
        const char32_t c = points[i];
        const QString one = QString::fromUcs4(&c, 1);
        if (Holds(one)) {
            result += one;
            ++i;
            continue;
        }
        size_t taken = 1;
        QString latin = IsGreek(c) && QChar::isLetter(c) ? Greek(points, i, taken)
                        : IsCyrillic(c)                  ? Cyrillic(points, i)
                                                         : For(c);
        if (QChar::isUpper(c)) {
            if (CapitalWord(points, i))
                latin = latin.toUpper();
            else if (!latin.isEmpty())
                latin[0] = latin[0].toUpper();
        }
        result += latin;
        i += taken;
    }
    return result;
}

#include "engine/BookFilter.h"

#include "engine/FieldTable.h"
#include "platform/Cp1252.h"

#include <QRegularExpression>
#include <QString>

#include <algorithm>
#include <array>
#include <unordered_map>

namespace {

// What each byte of the code page folds to: its character decomposed, the
// marks dropped and the rest case-folded, where that leaves plain ASCII; the
// letters that do not decompose are spelt out by hand; anything else is
// lower-cased alone.
const std::array<std::string, 256>& FoldTable()
{
    static const std::array<std::string, 256> table = [] {
        std::array<std::string, 256> folded;
        for (int b = 0; b < 256; ++b) {
            const QString base = QString(QChar(Cp1252::ToUnicode(static_cast<unsigned char>(b))))
                                     .normalized(QString::NormalizationForm_KD);
            QString plain;
            for (const QChar ch : base)
                if (ch.category() != QChar::Mark_NonSpacing)
                    plain += ch;
            plain = plain.toCaseFolded();
            bool ascii = !plain.isEmpty();
            for (const QChar ch : plain)
                ascii = ascii && ch.unicode() < 0x80;
            const QString lower = QString(QChar(Cp1252::ToUnicode(static_cast<unsigned char>(b)))).toLower();
            folded[size_t(b)] = ascii ? plain.toStdString() : Cp1252::FromQString(lower.size() == 1 ? lower : base);
        }
        const std::array<std::pair<unsigned char, const char*>, 14> spelt{{{0xC6, "ae"},
                                                                           {0xE6, "ae"},
                                                                           {0x8C, "oe"},
                                                                           {0x9C, "oe"},
                                                                           {0xDF, "ss"},
                                                                           {0xD8, "o"},
                                                                           {0xF8, "o"},
                                                                           {0xD0, "d"},
                                                                           {0xF0, "d"},
                                                                           {0xDE, "th"},
                                                                           {0xFE, "th"},
                                                                           {0xA0, " "},
                                                                           {0x96, "-"},
                                                                           {0x97, "-"}}};
        for (const auto& [byte, text] : spelt)
            folded[byte] = text;
        return folded;
    }();
    return table;
}

bool IsBlank(char c)
{
    return c != TBookFilter::Unheld && static_cast<unsigned char>(c) <= ' ';
}

// Appends text folded to folded; most bytes fold to one byte.
void AppendFolded(std::string_view text, std::string& folded)
{
    const std::array<std::string, 256>& table = FoldTable();
    for (const char c : text) {
        const std::string& to = table[static_cast<unsigned char>(c)];
        if (to.size() == 1)
            folded.push_back(to.front());
        else
            folded += to;
    }
}

} // namespace

std::string TBookFilter::Fold(std::string_view text)
{
    std::string folded;
    folded.reserve(text.size());
    AppendFolded(text, folded);
    return folded;
}

std::string TBookFilter::FromTyped(const QString& typed)
{
    std::string query;
    query.reserve(size_t(typed.size()));
    for (const QChar ch : typed) {
        const int byte = Cp1252::FromUnicode(ch.unicode());
        if (byte >= 0) {
            query.push_back(static_cast<char>(byte));
            continue;
        }
        if (ch.isSpace()) {
            query.push_back(' ');
            continue;
        }
        // A Latin letter with a mark the code page lacks is sought without it.
        QString plain;
        for (const QChar part : QString(ch).normalized(QString::NormalizationForm_KD))
            if (part.category() != QChar::Mark_NonSpacing)
                plain += part;
        if (!plain.isEmpty() && Cp1252::CanHold(plain))
            query += Cp1252::FromQString(plain);
        else
            query.push_back(Unheld);
    }
    return query;
}

namespace {

// The words of a folded query: runs of bytes between blanks.
std::vector<std::string> SplitWords(const std::string& folded)
{
    std::vector<std::string> words;
    size_t at = 0;
    while (at < folded.size()) {
        while (at < folded.size() && IsBlank(folded[at]))
            ++at;
        size_t end = at;
        while (end < folded.size() && !IsBlank(folded[end]))
            ++end;
        if (end > at)
            words.push_back(folded.substr(at, end - at));
        at = end;
    }
    return words;
}

} // namespace

TBookFilter::TBookFilter(std::string_view query) : Words(SplitWords(Fold(query)))
{
    for (const std::string& word : Words)
        MatchesNone = MatchesNone || word.find(Unheld) != std::string::npos;
    TakeDetailWords({});
}

TBookFilter::TBookFilter(std::string_view query, std::string_view typed) : TBookFilter(query)
{
    TakeDetailWords(typed);
}

bool TBookFilter::Matches(const TItem& item) const
{
    if (MatchesNone && !OwnLetters)
        return false;
    if (Words.empty())
        return true;
    // The fields the windows show, each folded apart so that no word matches
    // across the end of one field and the start of the next. A returned book
    // keeps its last loaner's name, which no window shows: it is not matched.
    const bool onLoan = !item.Fields[7].empty();
    // One buffer for every book a fill asks about.
    thread_local std::string text;
    text.clear();
    for (size_t f = 0; f < (onLoan ? 7u : 6u); ++f) {
        AppendFolded(item.Fields[f], text);
        text += '\n';
    }
    std::string details;
    bool made = false;
    for (size_t w = 0; w < Words.size(); ++w)
        if ((Words[w].find(Unheld) != std::string::npos || text.find(Words[w]) == std::string::npos) &&
            !InDetails(item, w, details, made))
            return false;
    return true;
}

// The details: a separate part of the rule, over the field table's details.

namespace {

// A word's digits, with an ISBN-10's final X, where it is made of digits and
// hyphens only; empty otherwise.
std::string IsbnDigits(const std::string& word)
{
    std::string digits;
    for (size_t i = 0; i < word.size(); ++i) {
        const char c = word[i];
        if (c >= '0' && c <= '9')
            digits += c;
        else if (c == 'x' && i + 1 == word.size() && !digits.empty())
            digits += 'X';
        else if (c != '-')
            return {};
    }
    return digits;
}

// Details folded and kept between finds: a full catalogue's worth of texts.
constexpr size_t FoldsKept = 1500 * 16;

struct TTextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>()(text); }
};

// A details text folded through Unicode: decomposed, the marks dropped,
// case-folded, and the letters Fold spells out spelt the same way, so that a
// word typed in the database's letters finds them in the details too.
std::string FoldedUnicode(std::string_view utf8)
{
    const QString decomposed =
        QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())).normalized(QString::NormalizationForm_KD);
    QString plain;
    plain.reserve(decomposed.size());
    for (const QChar ch : decomposed)
        if (ch.category() != QChar::Mark_NonSpacing)
            plain += ch;
    plain = plain.toCaseFolded();
    static const std::array<std::pair<char16_t, const char*>, 11> spelt{{{u'\u00E6', "ae"},
                                                                         {u'\u0153', "oe"},
                                                                         {u'\u00DF', "ss"},
                                                                         {u'\u00F8', "o"},
                                                                         {u'\u00F0', "d"},
                                                                         {u'\u0111', "d"},
                                                                         {u'\u00FE', "th"},
                                                                         {u'\u00A0', " "},
                                                                         {u'\u2013', "-"},
                                                                         {u'\u2014', "-"},
                                                                         {u'\u0131', "i"}}};
    QString out;
    out.reserve(plain.size());
    for (const QChar ch : plain) {
        const auto found =
            std::find_if(spelt.begin(), spelt.end(), [ch](const auto& letter) { return letter.first == ch.unicode(); });
        if (found != spelt.end())
            out += QLatin1String(found->second);
        else
            out += ch;
    }
    return out.toStdString();
}

// Appends a details text (UTF-8) folded. ASCII folds byte by byte; other
// letters go through Unicode's decomposition, which costs microseconds a
// text: every keystroke folds the same few thousand details, so each such
// text is folded once and kept.
void AppendFoldedDetail(std::string_view utf8, std::string& out)
{
    const size_t from = out.size();
    out.resize(from + utf8.size());
    char* to = out.data() + from;
    unsigned char high = 0;
    for (const char c : utf8) {
        high |= static_cast<unsigned char>(c);
        *to++ = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    if (high < 0x80)
        return;
    out.resize(from);
    thread_local std::unordered_map<std::string, std::string, TTextHash, std::equal_to<>> folds;
    auto known = folds.find(utf8);
    if (known == folds.end()) {
        if (folds.size() >= FoldsKept)
            folds.clear();
        known = folds.emplace(std::string(utf8), FoldedUnicode(utf8)).first;
    }
    out += known->second;
}

// The details the rule reads, the field table's, sorted by key as a book's
// values are, so that one walk pairs each value with its field.
const std::vector<std::pair<std::string_view, const TField*>>& DetailFields()
{
    static const std::vector<std::pair<std::string_view, const TField*>> fields = [] {
        std::vector<std::pair<std::string_view, const TField*>> sorted;
        for (const TField* field : FieldTable::Details())
            sorted.emplace_back(field->Key, field);
        std::sort(sorted.begin(), sorted.end());
        return sorted;
    }();
    return fields;
}

} // namespace

std::string TBookFilter::FoldDetail(std::string_view utf8)
{
    std::string folded;
    AppendFoldedDetail(utf8, folded);
    return folded;
}

void TBookFilter::TakeDetailWords(std::string_view typed)
{
    // The words typed, each as the database's words and in its own letters:
    // where they split alike, a word of letters the database lacks is sought
    // in the details as typed.
    std::vector<std::string> typedWords;
    std::vector<std::string> ownWords;
    if (!typed.empty()) {
        const QString text = QString::fromUtf8(typed.data(), static_cast<qsizetype>(typed.size()));
        for (const QString& word :
             text.split(QRegularExpression(QStringLiteral("[\\s\\x{0001}-\\x{0020}]+")), Qt::SkipEmptyParts)) {
            const std::vector<std::string> parts = SplitWords(Fold(FromTyped(word)));
            for (const std::string& part : parts) {
                typedWords.push_back(part);
                ownWords.push_back(parts.size() == 1 ? FoldDetail(word.toStdString()) : std::string());
            }
        }
    }
    const bool aligned = typedWords == Words;
    DetailWords.clear();
    IsbnWords.clear();
    OwnLetters = !Words.empty();
    for (size_t w = 0; w < Words.size(); ++w) {
        const bool unheld = Words[w].find(Unheld) != std::string::npos;
        if (unheld)
            DetailWords.push_back(aligned ? ownWords[w] : std::string());
        else
            DetailWords.push_back(FoldDetail(Cp1252::ToQString(Words[w]).toStdString()));
        OwnLetters = OwnLetters && !DetailWords.back().empty();
        IsbnWords.push_back(unheld ? std::string() : IsbnDigits(Words[w]));
    }
}

bool TBookFilter::InDetails(const TItem& item, size_t w, std::string& details, bool& made) const
{
    if (item.Details.Empty())
        return false;
    if (!IsbnWords[w].empty()) {
        for (const auto& [key, field] : DetailFields()) {
            if (field->Kind != TFieldKind::Isbn)
                continue;
            const std::string& isbn = item.Details.Value(key);
            if (!isbn.empty() && (isbn.find(IsbnWords[w]) != std::string::npos ||
                                  FieldTable::Isbn10(isbn).find(IsbnWords[w]) != std::string::npos))
                return true;
        }
    }
    if (DetailWords[w].empty())
        return false;
    if (!made) {
        made = true;
        details.clear();
        const auto& fields = DetailFields();
        auto field = fields.begin();
        for (const auto& [key, value] : item.Details.Values()) {
            while (field != fields.end() && field->first < key)
                ++field;
            if (field == fields.end())
                break;
            if (field->first != key)
                continue; // a key the table does not hold: shown nowhere
            if (field->second->Kind == TFieldKind::Image)
                continue; // a picture's file name is no word of the book's
            if (field->second->Kind == TFieldKind::Choice)
                AppendFoldedDetail(FieldTable::Shown(*field->second, value), details);
            else
                AppendFoldedDetail(value, details);
            details += '\n';
        }
    }
    return details.find(DetailWords[w]) != std::string::npos;
}

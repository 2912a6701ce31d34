#include "engine/BookFilter.h"

#include "platform/Cp1252.h"

#include <QString>

#include <array>

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

TBookFilter::TBookFilter(std::string_view query)
{
    const std::string folded = Fold(query);
    size_t at = 0;
    while (at < folded.size()) {
        while (at < folded.size() && IsBlank(folded[at]))
            ++at;
        size_t end = at;
        while (end < folded.size() && !IsBlank(folded[end]))
            ++end;
        if (end > at) {
            Words.push_back(folded.substr(at, end - at));
            MatchesNone = MatchesNone || Words.back().find(Unheld) != std::string::npos;
        }
        at = end;
    }
}

bool TBookFilter::Matches(const TItem& item) const
{
    if (MatchesNone)
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
    for (const std::string& word : Words)
        if (text.find(word) == std::string::npos)
            return false;
    return true;
}

#include "engine/FieldTable.h"

#include "engine/Covers.h"

#include <QDate>
#include <QString>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace {

const std::vector<TField>& Rows()
{
    // clang-format off
    static const std::vector<TField> rows = {
        {"title", TFieldKind::Text, "Title", 0, {}, "Title", "title", "Title", "Title"},
        {"author", TFieldKind::Text, "Author", 1, {}, "Author", "author", "Author", "Primary Author", "", TFieldCount::ByValue},
        {"publisher", TFieldKind::Text, "Publisher", 2, {}, "Publisher", "publisher", "Publisher", "Publication", "", TFieldCount::ByValue},
        {"year", TFieldKind::Text, "Year published", 3, {}, "Year", "pub_year", "Year Published", "Date", "", TFieldCount::ByDecade},
        {"info1", TFieldKind::Text, "Other information (1)", 4, {}, "Other information (1)", "comments", "", ""},
        {"info2", TFieldKind::Text, "Other information (2)", 5, {}, "Other information (2)", "", "", ""},
        {"loaner", TFieldKind::Text, "Loaner", 6, {}, "Loaner", "", "", ""},
        {"loan_date", TFieldKind::Text, "Date loaned", 7, {}, "Date loaned", "", "", ""},
        {"isbn", TFieldKind::Isbn, "ISBN", -1, {}, "ISBN", "isbn", "ISBN13", "ISBN"},
        {"title_own", TFieldKind::Text, "Title in its own letters", -1, {}, "Title (own letters)", "", "", ""},
        {"author_own", TFieldKind::Text, "Author in own letters", -1, {}, "Author (own letters)", "", "", ""},
        {"series", TFieldKind::Text, "Series", -1, {}, "Series", "series", "", "Series", "series_number"},
        {"series_number", TFieldKind::Number, "Number in series", -1, {}, "Series Number", "series_num", "", ""},
        {"tags", TFieldKind::Tags, "Shelves and tags", -1, {}, "Tags", "keyword", "Bookshelves", "Tags", "", TFieldCount::ByValue},
        {"status", TFieldKind::Choice, "Reading status", -1,
         {{"to-read", "To read"}, {"reading", "Reading"}, {"read", "Read"}, {"abandoned", "Abandoned"}},
         "Reading Status", "", "Exclusive Shelf", "", "", TFieldCount::ByValue},
        {"started", TFieldKind::Date, "Started", -1, {}, "Date Started", "", "", "Date Started"},
        {"finished", TFieldKind::Date, "Finished", -1, {}, "Date Finished", "", "Date Read", "Date Read"},
        {"rating", TFieldKind::Rating, "Rating", -1, {}, "Rating", "rating", "My Rating", "Rating", "", TFieldCount::ByValue},
        {"language", TFieldKind::Text, "Language", -1, {}, "Language", "language", "", "Languages", "", TFieldCount::ByValue},
        {"copies", TFieldKind::Number, "Copies", -1, {}, "Copies", "", "Owned Copies", "Copies"},
        {"location", TFieldKind::Text, "Location", -1, {}, "Location", "", "", ""},
        {"pages", TFieldKind::Number, "Pages", -1, {}, "Pages", "pages", "Number of Pages", "Page Count"},
        {"original_year", TFieldKind::Number, "First published", -1, {}, "First Published", "", "Original Publication Year", ""},
        {"genre", TFieldKind::Tags, "Genres", -1, {}, "Genres", "genre", "", ""},
        {"collections", TFieldKind::Tags, "Collections", -1, {}, "Collections", "", "", "Collections"},
        {"added", TFieldKind::Date, "Date added", -1, {}, "Added", "", "Date Added", "Entry Date"},
        {"loan_note", TFieldKind::Text, "Loan note", -1, {}, "Loan Note", "", "", ""},
        {"due", TFieldKind::Date, "Due date", -1, {}, "Due Date", "dueDate", "", ""},
        // No exchange column yet: a layout's picture is a file of its own.
        {"cover", TFieldKind::Image, "Cover", -1, {}, "", "", "", ""},
    };
    // clang-format on
    return rows;
}

std::string_view Trimmed(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool Fail(std::string* why, const std::string& text)
{
    if (why)
        *why = text;
    return false;
}

// A number as its digits with at most one decimal point, leading zeros and a
// ".0" dropped; false for anything else.
bool PlainNumber(std::string_view text, std::string& value)
{
    const size_t point = text.find('.');
    std::string_view whole = text.substr(0, point);
    std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    if (whole.empty() || whole.size() > 9 || fraction.size() > 3 ||
        (point != std::string_view::npos && fraction.empty()))
        return false;
    for (const std::string_view part : {whole, fraction})
        for (const char c : part)
            if (c < '0' || c > '9')
                return false;
    while (whole.size() > 1 && whole.front() == '0')
        whole.remove_prefix(1);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.remove_suffix(1);
    value = std::string(whole);
    if (!fraction.empty()) {
        value += '.';
        value.append(fraction);
    }
    return true;
}

double NumberOf(const std::string& value)
{
    double number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    return error == std::errc() && end == value.data() + value.size() ? number : NAN;
}

} // namespace

namespace FieldTable {

const std::vector<TField>& Fields()
{
    return Rows();
}

std::vector<const TField*> Details()
{
    std::vector<const TField*> details;
    for (const TField& field : Rows())
        if (field.IsDetail())
            details.push_back(&field);
    return details;
}

const TField* Find(std::string_view key)
{
    for (const TField& field : Rows())
        if (key == field.Key)
            return &field;
    return nullptr;
}

std::string Isbn13(std::string_view text)
{
    std::string digits;
    for (const char c : text) {
        if (c == '-' || c == ' ')
            continue;
        if ((c < '0' || c > '9') && !((c == 'X' || c == 'x') && digits.size() == 9))
            return {};
        digits += c == 'x' ? 'X' : c;
        if (digits.size() > 13)
            return {};
    }
    if (digits.size() == 10) {
        int sum = 0;
        for (size_t i = 0; i < 10; ++i)
            sum += (digits[i] == 'X' ? 10 : digits[i] - '0') * static_cast<int>(10 - i);
        if (sum % 11 != 0)
            return {};
        digits = "978" + digits.substr(0, 9);
    } else if (digits.size() == 13) {
        if (digits.find('X') != std::string::npos)
            return {};
        int sum = 0;
        for (size_t i = 0; i < 12; ++i)
            sum += (digits[i] - '0') * (i % 2 == 0 ? 1 : 3);
        if ((10 - sum % 10) % 10 != digits[12] - '0')
            return {};
        return digits;
    } else {
        return {};
    }
    int sum = 0;
    for (size_t i = 0; i < 12; ++i)
        sum += (digits[i] - '0') * (i % 2 == 0 ? 1 : 3);
    digits += static_cast<char>('0' + (10 - sum % 10) % 10);
    return digits;
}

std::string Isbn10(const std::string& isbn13)
{
    if (isbn13.size() != 13 || isbn13.compare(0, 3, "978") != 0)
        return {};
    std::string digits = isbn13.substr(3, 9);
    int sum = 0;
    for (size_t i = 0; i < 9; ++i)
        sum += (digits[i] - '0') * static_cast<int>(10 - i);
    const int check = (11 - sum % 11) % 11;
    digits += check == 10 ? 'X' : static_cast<char>('0' + check);
    return digits;
}

std::vector<std::string> TagsOf(std::string_view value)
{
    std::vector<std::string> tags;
    size_t from = 0;
    while (from <= value.size()) {
        size_t end = value.find_first_of(",;", from);
        if (end == std::string_view::npos)
            end = value.size();
        const std::string tag(Trimmed(value.substr(from, end - from)));
        if (!tag.empty() && std::find(tags.begin(), tags.end(), tag) == tags.end())
            tags.push_back(tag);
        from = end + 1;
    }
    return tags;
}

bool Normalized(const TField& field, std::string_view text, std::string& value, std::string* why)
{
    text = Trimmed(text);
    value.clear();
    if (text.empty())
        return true;
    const std::string caption = field.Caption;
    switch (field.Kind) {
    case TFieldKind::Text:
        value = std::string(text);
        return true;
    case TFieldKind::Number:
        if (!PlainNumber(text, value))
            return Fail(why, caption + ": \"" + std::string(text) + "\" is not a number.");
        return true;
    case TFieldKind::Rating: {
        std::string number;
        if (!PlainNumber(text, number) || NumberOf(number) > 5)
            return Fail(why, caption + ": \"" + std::string(text) + "\" is not a rating from 0 to 5.");
        value = number;
        return true;
    }
    case TFieldKind::Date: {
        const QDate date = QDate::fromString(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                                             QStringLiteral("yyyy-MM-dd"));
        if (!date.isValid())
            return Fail(why, caption + ": \"" + std::string(text) + "\" is not a date written yyyy-MM-dd.");
        value = date.toString(QStringLiteral("yyyy-MM-dd")).toStdString();
        return true;
    }
    case TFieldKind::Tags: {
        const std::vector<std::string> tags = TagsOf(text);
        for (const std::string& tag : tags)
            value += (value.empty() ? "" : ", ") + tag;
        return true;
    }
    case TFieldKind::Choice:
        for (const TFieldChoice& choice : field.Choices) {
            if (text == choice.Stored || QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
                                                 .compare(QString::fromUtf8(choice.Shown), Qt::CaseInsensitive) == 0) {
                value = choice.Stored;
                return true;
            }
        }
        return Fail(why, caption + ": \"" + std::string(text) + "\" is none of the choices.");
    case TFieldKind::Isbn:
        value = Isbn13(text);
        if (value.empty())
            return Fail(why, caption + ": \"" + std::string(text) +
                                 "\" is no ISBN (10 or 13 digits with a right check digit).");
        return true;
    case TFieldKind::Image:
        // Only a name the covers folder gave out: never a path that would
        // lead a window or a copy out of that folder.
        if (!Covers::IsCoverName(text))
            return Fail(why, caption + ": \"" + std::string(text) + "\" is no picture of the covers folder.");
        value = std::string(text);
        return true;
    }
    return true;
}

std::string Shown(const TField& field, const std::string& value)
{
    if (field.Kind == TFieldKind::Choice)
        for (const TFieldChoice& choice : field.Choices)
            if (value == choice.Stored)
                return choice.Shown;
    return value;
}

int CompareValues(const TField& field, const std::string& a, const std::string& b)
{
    if (a.empty() || b.empty())
        return a.empty() == b.empty() ? 0 : (a.empty() ? 1 : -1);
    if (field.Kind == TFieldKind::Image)
        return 0; // a file name says nothing of the picture: books with one first, no more
    if (field.Kind == TFieldKind::Number || field.Kind == TFieldKind::Rating) {
        const double x = NumberOf(a);
        const double y = NumberOf(b);
        if (!std::isnan(x) && !std::isnan(y) && x != y)
            return x < y ? -1 : 1;
    }
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

} // namespace FieldTable

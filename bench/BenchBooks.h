// What the engine and CSV benchmarks share: a full catalogue's worth of books
// whose fields have realistic lengths (random runs of words, accented ones
// among them, the same seed every run), the text of CR LF lines, and the
// median time of an operation.
#pragma once

#include "engine/DetailsFile.h"
#include "engine/Item.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace BenchBooks {

inline std::mt19937& Random()
{
    static std::mt19937 random(1499);
    return random;
}

// A text of words between minLength and maxLength bytes long; extraWords
// join the common ones (the CSV benchmark adds words with commas and quotes).
inline std::string Words(int minLength, int maxLength, const std::vector<std::string>& extraWords = {})
{
    static const std::vector<std::string> common = {"the",
                                                    "of",
                                                    "and",
                                                    "history",
                                                    "garden",
                                                    "night",
                                                    "winter",
                                                    "S\xF6"
                                                    "derstr\xF6m",
                                                    "M\xFCller",
                                                    "Otava",
                                                    "Penguin",
                                                    "\xC9lise",
                                                    "river",
                                                    "collected",
                                                    "poems",
                                                    "house",
                                                    "Virtanen",
                                                    "a",
                                                    "journey",
                                                    "Dark",
                                                    "letters",
                                                    "\xC5sa",
                                                    "Press",
                                                    "Books",
                                                    "second",
                                                    "edition",
                                                    "Smith"};
    std::vector<std::string> words = common;
    words.insert(words.end(), extraWords.begin(), extraWords.end());
    std::uniform_int_distribution<int> length(minLength, maxLength);
    std::uniform_int_distribution<size_t> pick(0, words.size() - 1);
    const size_t wanted = static_cast<size_t>(length(Random()));
    std::string text;
    while (text.size() < wanted) {
        if (!text.empty())
            text += ' ';
        text += words[pick(Random())];
    }
    return text;
}

// Books 1 to count with a title, author, publisher, year and notes; one in
// ten on loan. Fields 8 and 9 stay empty, as the main window writes them.
inline std::vector<TItem> Books(int count, const std::vector<std::string>& extraWords = {})
{
    std::vector<TItem> books;
    std::uniform_int_distribution<int> year(1850, 2024), loaned(0, 9);
    for (int i = 1; i <= count; ++i) {
        TItem book;
        book.ID = i;
        book.Fields[0] = Words(8, 60, extraWords);
        book.Fields[1] = Words(8, 28, extraWords);
        book.Fields[2] = Words(4, 20, extraWords);
        book.Fields[3] = std::to_string(year(Random()));
        book.Fields[4] = Words(0, 60, extraWords);
        book.Fields[5] = Words(0, 30, extraWords);
        if (loaned(Random()) == 0) {
            book.Fields[6] = Words(6, 20, extraWords);
            book.Fields[7] = "12.03.2024";
        }
        books.push_back(book);
    }
    return books;
}

// Every detail of the field table filled in, as a reader who records all.
inline TDetails FullDetails(const TItem& book)
{
    TDetails details;
    const int n = book.ID;
    details.Set("isbn", "978" + std::to_string(1000000000 + n));
    details.Set("title_own", book.Fields[0] + " \xC5\x8D");
    details.Set("author_own", book.Fields[1] + " \xD0\x96");
    details.Set("series", Words(6, 24));
    details.Set("series_number", std::to_string(n % 40 + 1));
    details.Set("tags", "fantasy, humour, signed, shelf " + std::to_string(n % 12));
    details.Set("status", n % 3 == 0 ? "read" : "to-read");
    details.Set("started", "2025-01-02");
    details.Set("finished", "2025-02-03");
    details.Set("rating", std::to_string(n % 6));
    details.Set("language", "en");
    details.Set("copies", "1");
    details.Set("location", "Shelf " + std::to_string(n % 30));
    return details;
}

// The details file of books whose details are filled in.
inline std::string FullDetailsFile(const std::vector<TItem>& books)
{
    std::vector<TDetailsRow> rows;
    for (const TItem& book : books)
        rows.push_back({book.ID, DetailsFile::Fingerprint(book), FullDetails(book)});
    std::sort(rows.begin(), rows.end(), [](const TDetailsRow& a, const TDetailsRow& b) { return a.ID < b.ID; });
    return DetailsFile::Format(rows);
}

inline std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

// The settings lines of a catalogue on "books.orbl" with the usual field names.
inline std::vector<std::string> CatalogueSettings()
{
    std::vector<std::string> settings = {"orbl_databasefile", "books.orbl", "vString"};
    const char* aliases[] = {
        "Book title", "Book author", "Publisher", "Year published", "Other information (1)", "Other information (2)",
        "Loaner",     "Date loaned", "Spare one", "Spare two"};
    for (int i = 0; i < 10; ++i)
        settings.insert(settings.end(), {"orbl_alias" + std::to_string(i), aliases[i], "vString"});
    return settings;
}

// The database file's bytes for the books, in their order.
inline std::string DatabaseFile(const std::vector<TItem>& books)
{
    std::string bytes;
    for (const TItem& book : books) {
        std::vector<std::string> lines{std::to_string(book.ID)};
        lines.insert(lines.end(), book.Fields.begin(), book.Fields.end());
        bytes += Lines(lines);
    }
    return bytes;
}

inline double MedianMs(int runs, const std::function<void()>& prepare, const std::function<void()>& operation)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const auto start = std::chrono::steady_clock::now();
        operation();
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace BenchBooks

#include "csv/CatalogueContent.h"

#include "engine/Covers.h"
#include "engine/FieldTable.h"
#include "platform/Cp1252.h"
#include "platform/TextFile.h"

#include <QCollator>
#include <QCollatorSortKey>
#include <QLocale>

#include <algorithm>
#include <numeric>
#include <set>

namespace {

// The kinds a catalogue can give as text. A kind not listed here (a
// picture's file name) is no text for a reader and stays out.
bool ReadsAsText(TFieldKind kind)
{
    static constexpr TFieldKind text[] = {TFieldKind::Text, TFieldKind::Number, TFieldKind::Date, TFieldKind::Rating,
                                          TFieldKind::Tags, TFieldKind::Choice, TFieldKind::Isbn};
    return std::find(std::begin(text), std::end(text), kind) != std::end(text);
}

QString ValueOf(const TItem& item, const TField& field)
{
    if (!field.IsDetail())
        return Cp1252::ToQString(item.Fields[static_cast<size_t>(field.FileField)]).trimmed();
    const std::string& value = item.Details.Value(field.Key);
    return value.empty() ? QString() : QString::fromStdString(FieldTable::Shown(field, value)).trimmed();
}

TCatalogueBook BookOf(const TItem& item, const std::string& database)
{
    TCatalogueBook book;
    book.ID = item.ID;
    for (const TField& field : FieldTable::Fields()) {
        if (!ReadsAsText(field.Kind))
            continue;
        const QString value = ValueOf(item, field);
        if (field.FileField == 0)
            book.Title = value;
        else if (field.FileField == 1)
            book.Author = value;
        else if (!value.isEmpty())
            book.Fields.push_back({QString::fromUtf8(field.Caption), value});
    }
    // The loaner's field says whether the book is out, as in every list.
    book.Lent = !Cp1252::ToQString(item.Fields[6]).trimmed().isEmpty();
    if (const std::string& cover = item.Details.Value(FieldTable::CoverKey); !cover.empty()) {
        const std::string file = Covers::PathOf(database, cover);
        if (!file.empty() && TTextFile::SizeOf(file) > 0)
            book.CoverFile = Cp1252::ToQString(file);
    }
    return book;
}

// Collation keys of the default locale, case set aside. The C locale's
// collator compares code points whatever its case setting, so the texts are
// case-folded first.
class TKeys {
public:
    TKeys() : FCollator(QLocale()) { FCollator.setCaseSensitivity(Qt::CaseInsensitive); }
    QCollatorSortKey Of(const QString& text) const { return FCollator.sortKey(text.toCaseFolded()); }

private:
    QCollator FCollator;
};

struct TSortKeys {
    QCollatorSortKey First, Second;
    bool FirstEmpty, SecondEmpty;
    std::string SeriesNumber;
};

} // namespace

TCatalogueContent TCatalogueContent::Of(const TDatabase& database, TCatalogueOrder order)
{
    TCatalogueContent content;
    content.Order = order;
    std::vector<TItem> items;
    for (int32_t slot = 0; slot < database.Count(); ++slot)
        if (!database.ItemAt(slot).Deleted)
            items.push_back(database.ItemAt(slot));

    const TKeys keys;
    const TField* seriesNumber = FieldTable::Find("series_number");
    std::vector<TCatalogueBook> books;
    std::vector<TSortKeys> sortKeys;
    std::set<QString> authors;
    for (const TItem& item : items) {
        books.push_back(BookOf(item, database.FileName()));
        const TCatalogueBook& book = books.back();
        if (!book.Author.isEmpty())
            authors.insert(book.Author.simplified().toCaseFolded());
        content.Lent += book.Lent ? 1 : 0;
        switch (order) {
        case TCatalogueOrder::Author:
            sortKeys.push_back(
                {keys.Of(book.Author), keys.Of(book.Title), book.Author.isEmpty(), book.Title.isEmpty(), {}});
            break;
        case TCatalogueOrder::Title:
            sortKeys.push_back(
                {keys.Of(book.Title), keys.Of(book.Author), book.Title.isEmpty(), book.Author.isEmpty(), {}});
            break;
        case TCatalogueOrder::Series: {
            const QString series = QString::fromStdString(item.Details.Value("series"));
            sortKeys.push_back({keys.Of(series), keys.Of(book.Title), series.isEmpty(), book.Title.isEmpty(),
                                item.Details.Value("series_number")});
            break;
        }
        }
    }
    content.Authors = static_cast<int>(authors.size());

    std::vector<size_t> order_(books.size());
    std::iota(order_.begin(), order_.end(), size_t(0));
    std::stable_sort(order_.begin(), order_.end(), [&](size_t a, size_t b) {
        const TSortKeys& x = sortKeys[a];
        const TSortKeys& y = sortKeys[b];
        if (x.FirstEmpty != y.FirstEmpty)
            return y.FirstEmpty;
        if (const int first = x.First.compare(y.First); first != 0)
            return first < 0;
        if (seriesNumber)
            if (const int number = FieldTable::CompareValues(*seriesNumber, x.SeriesNumber, y.SeriesNumber);
                number != 0)
                return number < 0;
        if (x.SecondEmpty != y.SecondEmpty)
            return y.SecondEmpty;
        return x.Second.compare(y.Second) < 0;
    });
    content.Books.reserve(books.size());
    for (const size_t i : order_)
        content.Books.push_back(std::move(books[i]));
    return content;
}

std::optional<TCatalogueOrder> TCatalogueContent::OrderNamed(const QString& name)
{
    for (const TCatalogueOrder order : {TCatalogueOrder::Author, TCatalogueOrder::Title, TCatalogueOrder::Series})
        if (name == NameOf(order))
            return order;
    return std::nullopt;
}

QString TCatalogueContent::NameOf(TCatalogueOrder order)
{
    switch (order) {
    case TCatalogueOrder::Title:
        return QStringLiteral("title");
    case TCatalogueOrder::Series:
        return QStringLiteral("series");
    case TCatalogueOrder::Author:
        break;
    }
    return QStringLiteral("author");
}

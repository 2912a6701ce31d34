// TDetails: what a book holds beyond the ten texts of the database file (its
// ISBN, series, shelves, reading status, rating, due date ...), each value
// under the key of its row in the field table (engine/FieldTable.h). Values
// are UTF-8, in the normal form of their field's kind; an empty value is no
// value. The values stay sorted by key, so two books with the same details
// compare equal and write the same bytes.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TDetails {
public:
    using TValue = std::pair<std::string, std::string>;

    bool Empty() const { return FValues.empty(); }
    size_t Size() const { return FValues.size(); }
    const std::vector<TValue>& Values() const { return FValues; }

    // The value of that key, empty when the book has none.
    const std::string& Value(std::string_view key) const;
    bool Has(std::string_view key) const;
    // Sets a value; an empty one removes the key.
    void Set(std::string_view key, std::string value);
    void Remove(std::string_view key) { Set(key, std::string()); }
    void Clear() { FValues.clear(); }

    bool operator==(const TDetails& other) const = default;

private:
    std::vector<TValue> FValues; // sorted by key, no empty value
};

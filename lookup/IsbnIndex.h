// TIsbnIndex: the catalogue's books by the ISBN in their details, for the
// scan line's "do I have it?". Built once from the database, then kept in
// step with each change the catalogue tells (BooksChanged), so a scan never
// walks the books. Several books may share an ISBN (two copies); Find gives
// them in ID order.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

class TDatabase;
struct TBookChange;

class TIsbnIndex {
public:
    void Rebuild(const TDatabase& database);
    void Apply(const TBookChange& change);
    // The books with that ISBN-13, lowest ID first.
    std::vector<int32_t> Find(const std::string& isbn13) const;
    size_t Size() const { return FCount; }

private:
    void Add(const std::string& isbn, int32_t id);
    void Remove(const std::string& isbn, int32_t id);

    std::unordered_map<std::string, std::vector<int32_t>> FBooks;
    size_t FCount = 0;
};

// Loans read from synthetic histories of changes: lent, returned and lent
// again; a loaner typed over a loan; a removed book; a loan from before the
// history; a loan ended outside it.
#include "engine/LoanHistory.h"

#include <gtest/gtest.h>

namespace {

TItem Book(int32_t id, const std::string& title, const std::string& loaner = {}, const std::string& date = {})
{
    TItem book;
    book.ID = id;
    book.Fields[0] = title;
    book.Fields[6] = loaner;
    book.Fields[7] = date;
    return book;
}

THistoryEntry Entry(int64_t time, TBookChangeKind kind, std::optional<TItem> before, std::optional<TItem> after)
{
    const int32_t id = before ? before->ID : after->ID;
    return {time, "Volumnia", TBookChange{kind, {{id, std::move(before), std::move(after)}}}};
}

// "who from-to" per loan, "..." while out, "?" for an end not known.
std::vector<std::string> Lines(const std::vector<TLoanRecord>& loans)
{
    std::vector<std::string> lines;
    for (const TLoanRecord& loan : loans)
        lines.push_back(std::to_string(loan.ID) + " " + loan.Loaner + " " + loan.Date + " " +
                        std::to_string(loan.Started) + "-" +
                        (loan.Open    ? "..."
                         : loan.Ended ? std::to_string(loan.Ended)
                                      : "?"));
    return lines;
}

} // namespace

TEST(LoanHistory, LoansOfABookAndOfABorrowerFromTheHistoryAndTheBooksNow)
{
    using K = TBookChangeKind;
    const std::vector<THistoryEntry> entries = {
        Entry(10, K::Added, std::nullopt, Book(1, "Dune")),
        Entry(20, K::Lent, Book(1, "Dune"), Book(1, "Dune", "Liisa", "1.3.2004")),
        Entry(25, K::Updated, Book(1, "Dune", "Liisa", "1.3.2004"), Book(1, "Dune II", "Liisa", "1.3.2004")),
        Entry(30, K::Returned, Book(1, "Dune II", "Liisa", "1.3.2004"), Book(1, "Dune II", "Liisa", "")),
        Entry(40, K::Lent, Book(1, "Dune II", "Liisa", ""), Book(1, "Dune II", "Liisa", "9.3.2004")),
        Entry(50, K::Lent, Book(2, "Emma"), Book(2, "Emma", "Liisa", "2.3.2004")),
        Entry(60, K::Updated, Book(2, "Emma", "Liisa", "2.3.2004"), Book(2, "Emma", "Bob", "2.3.2004")), // typed over
        Entry(70, K::Lent, Book(3, "Ivanhoe"), Book(3, "Ivanhoe", "Liisa", "3.3.2004")),
        Entry(80, K::Removed, Book(3, "Ivanhoe", "Liisa", "3.3.2004"), std::nullopt),
        Entry(90, K::Lent, Book(4, "Walden"), Book(4, "Walden", "Carl", "4.3.2004")),
    };
    // Now: Dune out to Liisa, Emma to Bob, Walden returned by another program,
    // Zadig lent before the history began.
    const std::vector<TItem> now = {Book(1, "Dune II", "Liisa", "9.3.2004"), Book(2, "Emma", "Bob", "2.3.2004"),
                                    Book(4, "Walden", "Carl", ""), Book(5, "Zadig", "Liisa", "1.1.2004")};
    const std::vector<TLoanRecord> all = LoanHistory::All(entries, now);
    EXPECT_EQ(Lines(LoanHistory::OfBook(all, 1)),
              (std::vector<std::string>{"1 Liisa 1.3.2004 20-30", "1 Liisa 9.3.2004 40-..."}));
    EXPECT_EQ(LoanHistory::OfBook(all, 1)[0].Title, "Dune II");
    EXPECT_EQ(Lines(LoanHistory::OfBook(all, 2)),
              (std::vector<std::string>{"2 Liisa 2.3.2004 50-60", "2 Bob 2.3.2004 60-..."}));
    EXPECT_EQ(Lines(LoanHistory::OfBook(all, 4)), (std::vector<std::string>{"4 Carl 4.3.2004 90-?"}));
    EXPECT_EQ(Lines(LoanHistory::OfLoaner(all, "Liisa")),
              (std::vector<std::string>{"1 Liisa 9.3.2004 40-...", "5 Liisa 1.1.2004 0-...", "1 Liisa 1.3.2004 20-30",
                                        "2 Liisa 2.3.2004 50-60", "3 Liisa 3.3.2004 70-80"}));
    EXPECT_EQ(LoanHistory::Loaners(all), (std::vector<std::string>{"Liisa", "Bob", "Carl"}));
    // Without a history only the loans now are known.
    EXPECT_EQ(Lines(LoanHistory::All({}, now)),
              (std::vector<std::string>{"1 Liisa 9.3.2004 0-...", "2 Bob 2.3.2004 0-...", "5 Liisa 1.1.2004 0-..."}));
}

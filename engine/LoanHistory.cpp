#include "engine/LoanHistory.h"

#include "engine/FieldTable.h"

#include <algorithm>
#include <iterator>
#include <map>

namespace {

bool OnLoan(const std::optional<TItem>& book)
{
    return book && !book->Fields[7].empty();
}

bool SameLoan(const TItem& book, const TLoanRecord& loan)
{
    return book.Fields[6] == loan.Loaner && book.Fields[7] == loan.Date;
}

} // namespace

namespace LoanHistory {

std::vector<TLoanRecord> All(const std::vector<THistoryEntry>& entries, const std::vector<TItem>& current)
{
    std::vector<TLoanRecord> loans;
    std::map<int32_t, size_t> open; // book ID to its open loan in loans
    const auto end = [&](const TBookChange::TBook& book, int64_t time) {
        const auto found = open.find(book.ID);
        if (found == open.end())
            return;
        loans[found->second].Open = false;
        loans[found->second].Ended = time;
        if (book.Before)
            loans[found->second].Due = book.Before->Details.Value(FieldTable::DueKey);
        open.erase(found);
    };
    // Loans the history first meets as they end: they began before it reaches.
    std::vector<TLoanRecord> earlier;
    const auto endLoanBefore = [&](const TBookChange::TBook& book, int64_t time) {
        if (open.count(book.ID) == 0 && OnLoan(book.Before)) {
            const TItem& before = *book.Before;
            earlier.push_back({book.ID, before.Fields[0], before.Fields[6], before.Fields[7], 0, time, false,
                               before.Details.Value(FieldTable::DueKey)});
            return;
        }
        end(book, time);
    };
    for (const THistoryEntry& entry : entries) {
        for (const TBookChange::TBook& book : entry.Change.Books) {
            if (!OnLoan(book.After)) {
                endLoanBefore(book, entry.Time);
                continue;
            }
            const auto found = open.find(book.ID);
            if (found != open.end() && SameLoan(*book.After, loans[found->second])) {
                loans[found->second].Title = book.After->Fields[0];
                continue;
            }
            // A loan the change leaves as it was began before the history reaches.
            const bool goesOn = found == open.end() && OnLoan(book.Before) &&
                                book.Before->Fields[6] == book.After->Fields[6] &&
                                book.Before->Fields[7] == book.After->Fields[7];
            if (!goesOn)
                endLoanBefore(book, entry.Time);
            open[book.ID] = loans.size();
            loans.push_back({book.ID,
                             book.After->Fields[0],
                             book.After->Fields[6],
                             book.After->Fields[7],
                             goesOn ? 0 : entry.Time,
                             0,
                             true,
                             {}});
        }
    }
    loans.insert(loans.begin(), earlier.begin(), earlier.end());
    for (auto& [id, index] : open)
        index += earlier.size();
    // The books as they are now: an open loan they do not show ended outside
    // the history; a loan they show that the history lacks began before it.
    std::map<int32_t, const TItem*> now;
    for (const TItem& item : current)
        now[item.ID] = &item;
    for (auto it = open.begin(); it != open.end();) {
        const auto found = now.find(it->first);
        if (found == now.end() || found->second->Fields[7].empty() || !SameLoan(*found->second, loans[it->second])) {
            loans[it->second].Open = false;
            it = open.erase(it);
        } else {
            ++it;
        }
    }
    for (const TItem& item : current) {
        if (!item.Fields[7].empty() && open.find(item.ID) == open.end())
            loans.push_back({item.ID, item.Fields[0], item.Fields[6], item.Fields[7], 0, 0, true, {}});
    }
    return loans;
}

std::vector<TLoanRecord> OfBook(const std::vector<TLoanRecord>& loans, int32_t id)
{
    std::vector<TLoanRecord> found;
    std::copy_if(loans.begin(), loans.end(), std::back_inserter(found),
                 [id](const TLoanRecord& loan) { return loan.ID == id; });
    return found;
}

std::vector<TLoanRecord> OfLoaner(const std::vector<TLoanRecord>& loans, const std::string& loaner)
{
    std::vector<TLoanRecord> found;
    std::copy_if(loans.begin(), loans.end(), std::back_inserter(found),
                 [&loaner](const TLoanRecord& loan) { return loan.Loaner == loaner; });
    std::stable_partition(found.begin(), found.end(), [](const TLoanRecord& loan) { return loan.Open; });
    return found;
}

std::vector<std::string> Loaners(const std::vector<TLoanRecord>& loans)
{
    std::vector<std::string> names;
    for (const TLoanRecord& loan : loans) {
        if (!loan.Loaner.empty() && std::find(names.begin(), names.end(), loan.Loaner) == names.end())
            names.push_back(loan.Loaner);
    }
    return names;
}

} // namespace LoanHistory

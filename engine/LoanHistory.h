// The loans a book had and the books a borrower had, read from the history of
// changes (oldest first) and the books as they are now. A loan starts where a
// change leaves a book with a loan date (field 7) it did not have before, or
// with another loaner or date; it ends where a later change leaves the date
// empty or removes the book. A loan from before the history reaches is known
// from the change that ended it, or else from the books as they are now; a
// loan the history leaves open but the books no longer show ended outside the
// history, at a time not known.
#pragma once

#include "engine/HistoryEntry.h"
#include "engine/Item.h"

#include <cstdint>
#include <string>
#include <vector>

struct TLoanRecord {
    int32_t ID = 0;
    std::string Title; // as the book was titled when the loan was last seen
    std::string Loaner;
    std::string Date;    // the loan date as stored
    int64_t Started = 0; // ms UTC of the change that made the loan; 0 when before the history
    int64_t Ended = 0;   // ms UTC of the change that ended it; 0 when open or not known
    bool Open = true;    // the book is still out on this loan
    std::string Due;     // a returned loan's due date (yyyy-MM-dd) as the change that ended it found it
};

namespace LoanHistory {

// Every loan, in the order they started (loans known only from the books last).
std::vector<TLoanRecord> All(const std::vector<THistoryEntry>& entries, const std::vector<TItem>& current);
// The loans of one book.
std::vector<TLoanRecord> OfBook(const std::vector<TLoanRecord>& loans, int32_t id);
// A borrower's loans, those still out first; the name compared exactly.
std::vector<TLoanRecord> OfLoaner(const std::vector<TLoanRecord>& loans, const std::string& loaner);
// The names of everyone who borrowed a book, each once, in the order first met.
std::vector<std::string> Loaners(const std::vector<TLoanRecord>& loans);

} // namespace LoanHistory

// The rows of the Loans window: one per book on loan (its date loaned not
// empty) with title, author, loaner, the date as stored, and the days on loan
// counted from today to that date as LoanDate reads it (the locale's short
// date format, as the loan dialog's "Today" writes it). A date that does not
// read has no day count; such rows sort after every dated one. A loan
// may have a due date; in the list's own order overdue loans come first, the
// most overdue at the top.
#pragma once

#include "engine/Item.h"

#include <QDate>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

class TLoanRows {
public:
    // The orders of the list: overdue first, then the longest out, or one text column
    // ascending in the locale's collation (ties keep the longest out first).
    enum class TOrder { LongestOut, Title, Author, Loaner };

    struct TRow {
        int32_t ID = 0;
        QString Title;
        QString Author;
        QString Loaner;
        QString Date;       // as stored
        bool Dated = false; // the date read in the short format
        int64_t Days = 0;   // today minus the date, when Dated
        QDate Lent;         // the date read, when Dated
        std::optional<QDate> Due;
        int64_t DueIn = 0; // the due date minus today, when Due
        bool Overdue() const { return Due && DueIn < 0; }
    };

    // A new, empty list counted from today in the default locale's short
    // date format.
    explicit TLoanRows(const QDate& today);

    // Takes a book into the list when it is on loan.
    void Add(const TItem& item, std::optional<QDate> due = std::nullopt);
    void Sort(TOrder order);

    int Count() const { return static_cast<int>(Rows.size()); }
    const TRow& Row(int row) const { return Rows[static_cast<size_t>(row)]; }
    // The row of the book with this ID, or -1.
    int RowOf(int32_t id) const;
    // How many books have been out for more than this many days.
    int OutLongerThan(int64_t days) const;
    int OverdueCount() const;
    bool AnyDue() const;
    // The due column's words: "5 days overdue", "due today", "due in 3 days",
    // or nothing for a loan without a due date.
    QString DueText(int row) const;
    static QString DueWords(int64_t dueIn);
    // The days column's text: the count, or nothing for a date that does not read.
    QString DaysText(int row) const;

private:
    QDate Today;
    std::vector<TRow> Rows;
};

// TDueDates: the due dates of the loans. A loan's due date is the detail
// "due" (FieldTable::DueKey, yyyy-MM-dd) of its book, so setting, changing or
// clearing one is a change of the catalogue like any other (kind DueSet):
// saved with the details file, undone, and listed in the history.
//
// It is the catalogue's details rule for loans (TCatalogue::TDetailsRule),
// asked before each change is saved, so what it does is part of the same
// change: a new loan (a loan where the book had none, or a loan on another
// day) gets the loan date plus the loan period (the setting LN_PERIOD, in
// days; absent or 0 means none, as installations made before it lack the
// key), unless the change gives it a due date of its own (an import); the
// same loan (the same day, read by platform/LoanDate, whoever the loaner now
// is: a name put right) keeps its due date; a loan that ends loses it, while
// the change's "before" keeps it, so the history and the loan history know
// when a returned loan was due. A book not on loan shows no due date (Due).
//
// Earlier runs kept due dates in "<database>.due", which is read, never
// written or removed: while the details file does not say the due dates
// moved (DetailsFile: the "due dates moved" line), the rows of loans still
// out as they were given (the same loaner and loan date) and without a due
// date of their own are given to the catalogue (TCatalogue::MoveDueDates),
// and reach the details file with the next save; from then on the file's
// loans are not read again, so a due date cleared since stays cleared. Its
// returned loans still tell the loan history when loans before the details
// were due (ReturnedDue).
//
// File: a first line "Volumnia due dates", then one line per loan: ID, loaner,
// loan date and due date (yyyy-MM-dd) separated by tabs, a tab or backslash
// within a text written \t or \\; Windows-1252, CR LF (read also with a UTF-8
// byte order mark, and with LF or CR alone). A returned loan's line
// has a fifth field "returned".
#pragma once

#include "engine/BookChange.h"
#include "engine/Catalogue.h"
#include "engine/Item.h"

#include <QDate>
#include <QObject>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TDueDates : public QObject, private TCatalogue::TDetailsRule {
    Q_OBJECT

public:
    struct TRow {
        std::string Loaner;
        std::string Date;
        QDate Due;
        bool operator==(const TRow& other) const = default;
    };
    using TRows = std::map<int32_t, TRow>;
    struct TReturned {
        int32_t ID = 0;
        TRow Row;
        bool operator==(const TReturned& other) const = default;
    };
    using TReturnedRows = std::vector<TReturned>; // oldest first

    static constexpr const char* PeriodKey = "LN_PERIOD";
    static constexpr int MaxPeriod = 3650;
    // Beside the file a link at databaseFileName leads to (TTextFile::SideFileName).
    static std::string FileNameFor(const std::string& databaseFileName);

    // today gives the date new loans' due dates and two-digit years are
    // reckoned from.
    TDueDates(TCatalogue& catalogue, std::function<QDate()> today);
    ~TDueDates() override;

    // The loan period in days, 0 for none; a missing or unreadable key is none.
    int Period() const;
    void SetPeriod(int days);

    // The due date of the book's loan, if it is on loan and has one.
    std::optional<QDate> Due(const TItem& book) const;
    // Sets (or, with nullopt, clears) the due date of the book's current
    // loan: a change of its details, kind DueSet. A book not on loan is
    // passed over.
    void SetDue(const TItem& book, std::optional<QDate> due);
    // The due date a returned loan had, from the old due dates file: the
    // book, its loaner and loan date. Loans returned since the due dates are
    // details have theirs in the history (TLoanRecord::Due).
    std::optional<QDate> ReturnedDue(int32_t id, const std::string& loaner, const std::string& date) const;
    // How many loans of the catalogue are past their due date on today.
    int OverdueCount(const QDate& today) const;
    // What went wrong reading the old file since last asked, once.
    std::string TakeNote();

    // The parts without files, for tests.
    static TRows Parse(const std::string& bytes, std::string& note, const std::string& fileName,
                       TReturnedRows* returned = nullptr);
    static std::string Format(const TRows& rows, const TReturnedRows& returned = {});
    // The loan date read (the locale's short date, ISO or d.M.yyyy) plus the
    // period; nullopt when there is no period or the date does not read.
    static std::optional<QDate> DueFor(const std::string& loanDate, int period, const QDate& today);
    // The rule: shapes the details of after (the book as a change leaves it)
    // against before (as it was; nullptr for a new book), see above.
    static void Shape(const TItem* before, TItem& after, int period, const QDate& today);
    // A due date as the details hold it; null when there is none or it does not read.
    static QDate DueOf(const TDetails& details);

signals:
    // The due dates may have changed (any change of books).
    void Changed();

private:
    void Prepare() override;
    void Shape(const TItem* before, TItem& after) override;
    // Reads the old file once for the database open (once its due dates
    // moved, only forReturned); hands its loans to the catalogue while its
    // details do not hold them yet.
    void Loaded(bool forReturned = false) const;

    TCatalogue& Catalogue;
    std::function<QDate()> Today;
    mutable TRows Rows;
    mutable TReturnedRows Returned;
    mutable std::string LoadedFor; // the database file the rows were read for
    mutable bool IsLoaded = false;
    mutable bool Read = false; // an old file was read
    mutable std::string Note;
    int ChangePeriod = 0; // the period and the day of the change being shaped
    QDate ChangeToday;
};

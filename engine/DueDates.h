// TDueDates: the due dates of the loans, kept beside the database file in
// "<database>.due", which only this program reads. The database file's loan
// fields stay as they are; a due date belongs to one loan, so each row holds
// the book's ID, the loaner and the loan date it was given for, and a loan
// whose loaner or date no longer match (changed by another program or by
// hand) has no due date. A missing file means no due dates; a damaged one
// loses only what it cannot give, with one note, and is first kept as
// "<database>.due.damaged" (or .damaged-2, ...); one that cannot be read, or
// not kept so, is left as it is and not saved over in this run.
//
// It follows the catalogue: a new loan gets the loan date plus the loan
// period (the setting LN_PERIOD, in days; absent or 0 means none, as
// installations made before it lack the key), a return or a removal moves the
// loan's row among the returned loans, so the loan history can say when a
// past loan was due, and a loan given back by an undo gets its due date back. The file is saved whole as a side
// file of the database (TTextFile::WriteSideFile): it keeps its own mode, owner, group and attributes, a new one
// takes the database's, and a symbolic link at its name is refused, never written through.
//
// File: a first line "Volumnia due dates", then one line per loan: ID, loaner,
// loan date and due date (yyyy-MM-dd) separated by tabs, a tab or backslash
// within a text written \t or \\; Windows-1252, CR LF (read also with a UTF-8
// byte order mark, and with LF or CR alone). A returned loan's line
// has a fifth field "returned"; the newest MaxReturned of them are kept.
#pragma once

#include "engine/BookChange.h"
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

class TCatalogue;

class TDueDates : public QObject {
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
    static constexpr size_t MaxReturned = 5000;

    static constexpr const char* PeriodKey = "LN_PERIOD";
    static constexpr int MaxPeriod = 3650;
    // Beside the file a link at databaseFileName leads to (TTextFile::SideFileName).
    static std::string FileNameFor(const std::string& databaseFileName);

    // today gives the date two-digit years are read against.
    TDueDates(TCatalogue& catalogue, std::function<QDate()> today);
    ~TDueDates() override;

    // The loan period in days, 0 for none; a missing or unreadable key is none.
    int Period() const;
    void SetPeriod(int days);

    // The due date of the book's loan, if it is on loan and the row kept for
    // it names the same loaner and loan date.
    std::optional<QDate> Due(const TItem& book) const;
    // Sets (or, with nullopt, clears) the due date of the book's current
    // loan and saves; raises EInOutError when the file cannot be written.
    void SetDue(const TItem& book, std::optional<QDate> due);
    // Sets or (with a null date) clears the due dates of several loans in
    // one save, as an import gives them; a book not on loan is passed over.
    void SetDues(const std::vector<std::pair<TItem, QDate>>& dues);
    // The due date a returned loan had: the book, its loaner and loan date.
    std::optional<QDate> ReturnedDue(int32_t id, const std::string& loaner, const std::string& date) const;
    // How many loans of the catalogue are past their due date on today.
    int OverdueCount(const QDate& today) const;
    // What went wrong reading or saving the file since last asked, once.
    std::string TakeNote();

    // The parts without files, for tests.
    static TRows Parse(const std::string& bytes, std::string& note, const std::string& fileName,
                       TReturnedRows* returned = nullptr);
    static std::string Format(const TRows& rows, const TReturnedRows& returned = {});
    // The loan date read (the locale's short date, ISO or d.M.yyyy) plus the
    // period; nullopt when there is no period or the date does not read.
    static std::optional<QDate> DueFor(const std::string& loanDate, int period, const QDate& today);
    // Applies a change of books to the rows: a new loan gets its due date
    // (the one it had when it was returned, or from the period, or none), an
    // ended loan's row goes among the returned. Whether the rows changed.
    static bool Follow(TRows& rows, const TBookChange& change, int period, const QDate& today,
                       TReturnedRows* returned = nullptr);

signals:
    // The due dates changed (a loan, a return, a due date set).
    void Changed();

private:
    void BooksChanged(const TBookChange& change);
    const TRows& Loaded() const;
    std::string KeepAside(const std::string& fileName, const std::string& bytes) const;
    void Save();

    TCatalogue& Catalogue;
    std::function<QDate()> Today;
    mutable TRows Rows;
    mutable TReturnedRows Returned;
    mutable std::string LoadedFor; // the database file the rows were read for
    mutable bool IsLoaded = false;
    mutable bool Held = false; // the file on disk is not to be saved over
    mutable std::string Note;
};

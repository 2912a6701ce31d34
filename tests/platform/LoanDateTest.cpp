// The one writer and reader of loan and due dates: in every locale the date
// written is text the database holds (Windows-1252, no direction marks) in
// the locale's order, and reads back as the same day; two-digit years land in
// the century the kind of date wants.
#include "platform/Cp1252.h"
#include "platform/LoanDate.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

class LoanDateTest : public ::testing::Test {
protected:
    void TearDown() override { QLocale::setDefault(QLocale::c()); }
    const QDate Today{2026, 12, 8};
};

TEST_F(LoanDateTest, EachLocaleWritesTextTheDatabaseHoldsAndReadsItBackAsTheSameDay)
{
    const struct {
        const char* Locale;
        const char* Written;    // 8 December 2026
        const char* FourDigits; // the due box's form
        const char* LocaleOwn;  // as the locale itself writes it, read too
    } cases[] = {
        {"C", "8 Dec 2026", "8 Dec 2026", "8 Dec 2026"},
        {"en_US", "12/8/26", "12/8/2026", "12/8/26"},
        {"fi_FI", "8.12.2026", "8.12.2026", "8.12.2026"},
        {"de_DE", "08.12.26", "08.12.2026", "08.12.26"},
        {"ar_EG", "8/12/2026", "8/12/2026", "\u0668\u200f/\u0661\u0662\u200f/\u0662\u0660\u0662\u0666"},
        {"fa_IR", "2026/12/8", "2026/12/8", "\u06f2\u06f0\u06f2\u06f6/\u06f1\u06f2/\u06f8"},
        {"hi_IN", "8/12/26", "8/12/2026", "8/12/26"},
        {"mr_IN", "8/12/26", "8/12/2026", "\u096e/\u0967\u0968/\u0968\u096c"},
        {"bg_BG", "8.12.26.", "8.12.2026.", "8.12.26 \u0433."}, // the Cyrillic year letter goes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Locale);
        QLocale::setDefault(QLocale(QString::fromLatin1(c.Locale)));
        const QDate day(2026, 12, 8);
        EXPECT_EQ(LoanDate::Write(day), QString::fromUtf8(c.Written));
        EXPECT_EQ(LoanDate::Write(day, LoanDate::TYears::Four), QString::fromUtf8(c.FourDigits));
        EXPECT_TRUE(Cp1252::CanHold(LoanDate::Write(day)));
        for (const char* text : {c.Written, c.FourDigits, c.LocaleOwn}) {
            QDate read;
            EXPECT_TRUE(LoanDate::Read(QString::fromUtf8(text), Today, read)) << text;
            EXPECT_EQ(read, day) << text;
        }
        // Another day of each part, so day and month cannot be swapped unseen.
        for (const QDate other : {QDate(1999, 1, 31), QDate(2026, 2, 3), QDate(1900, 11, 5)}) {
            QDate read;
            EXPECT_TRUE(LoanDate::Read(LoanDate::Write(other, LoanDate::TYears::Four), Today, read));
            EXPECT_EQ(read, other);
        }
    }
}

TEST_F(LoanDateTest, TwoDigitYearsFallInTheCenturyTheKindOfDateWantsAndYearsPast9999DoNotRead)
{
    using LoanDate::TCentury;
    const struct {
        const char* Locale;
        const char* Text;
        TCentury Century;
        QDate Read; // null: does not read
    } cases[] = {
        {"en_US", "12/25/99", TCentury::UpToToday, QDate(1999, 12, 25)},
        {"en_US", "12/8/26", TCentury::UpToToday, QDate(2026, 12, 8)}, // today
        {"en_US", "12/25/27", TCentury::UpToToday, QDate(1927, 12, 25)},
        {"en_US", "1/1/60", TCentury::AroundToday, QDate(2060, 1, 1)},
        {"en_US", "1/1/80", TCentury::AroundToday, QDate(1980, 1, 1)},
        {"en_US", "08/12/2026", TCentury::UpToToday, QDate(2026, 8, 12)}, // the year in full
        {"en_US", "1/1/1900", TCentury::AroundToday, QDate(1900, 1, 1)},
        {"en_US", "2026-08-12", TCentury::UpToToday, QDate(2026, 8, 12)},
        {"en_US", "31/1/26", TCentury::UpToToday, QDate()},
        {"de_DE", "01.01.10000", TCentury::AroundToday, QDate()},
        {"fi_FI", "1.1.10000", TCentury::AroundToday, QDate()},
        {"fi_FI", "31.12.9999", TCentury::AroundToday, QDate(9999, 12, 31)},
        {"fi_FI", "10000-01-01", TCentury::AroundToday, QDate()},
        {"C", "01/03/2004", TCentury::UpToToday, QDate()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.Locale) + " " + c.Text);
        QLocale::setDefault(QLocale(QString::fromLatin1(c.Locale)));
        QDate read;
        EXPECT_EQ(LoanDate::Read(QString::fromLatin1(c.Text), Today, read, c.Century), c.Read.isValid());
        EXPECT_EQ(read, c.Read);
    }
}

TEST_F(LoanDateTest, PlainTurnsEveryScriptsDigitsToAsciiAndDropsDirectionMarks)
{
    EXPECT_EQ(LoanDate::Plain(QStringLiteral("\u0668\u200f/\u0661\u0662\u200f/\u0662\u0660\u0662\u0666")),
              QStringLiteral("8/12/2026"));
    EXPECT_EQ(LoanDate::Plain(QStringLiteral("\u06f2\u06f0\u06f2\u06f6/\u06f1\u06f2/\u06f8 soon")),
              QStringLiteral("2026/12/8 soon"));
    EXPECT_EQ(LoanDate::Plain(QStringLiteral("last week")), QStringLiteral("last week"));
}

} // namespace

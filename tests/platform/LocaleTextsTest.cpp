// The status bar's and the loan date's texts in a few locales whose formats
// differ in the ways that matter: the zone field at the end, in brackets, and
// a twelve-hour clock.
#include "platform/LocaleTexts.h"

#include <QDate>
#include <QLocale>
#include <QTime>

#include <gtest/gtest.h>

namespace {

TEST(LocaleTexts, DateAndTimeFollowTheDefaultLocaleWithoutTheZone)
{
    const struct {
        QLocale Locale;
        QString Date;
        QString Time;
    } cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedKingdom), "31/12/2026", "23:04:05"},
        {QLocale(QLocale::Catalan, QLocale::Spain), "31/12/26", "23:04:05"},
        {QLocale(QLocale::German, QLocale::Germany), "31.12.26", "23:04:05"},
        {QLocale(QLocale::English, QLocale::UnitedStates), "12/31/26", "11:04:05 PM"},
    };
    const QLocale kept;
    for (const auto& c : cases) {
        QLocale::setDefault(c.Locale);
        SCOPED_TRACE(c.Locale.name().toStdString() + " " + c.Locale.timeFormat(QLocale::LongFormat).toStdString());
        EXPECT_EQ(LocaleTexts::ShortDate(QDate(2026, 12, 31)), c.Date);
        EXPECT_EQ(LocaleTexts::LongTime(QTime(23, 4, 5)), c.Time);
    }
    QLocale::setDefault(kept);
}

} // namespace

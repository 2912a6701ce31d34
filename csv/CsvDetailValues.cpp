#include "csv/CsvDetailValues.h"

#include <QRegularExpression>

bool TCsvDetailValues::Read(const TField& field, TCsvColumns::TDetailForm form, const QString& cell, std::string& value,
                            std::string& why)
{
    using TForm = TCsvColumns::TDetailForm;
    QString text = cell.trimmed();
    if (text.size() >= 3 && text.startsWith(u"=\"") && text.endsWith(u'"'))
        text = text.mid(2, text.size() - 3).trimmed();
    if (text.size() >= 2 && text.front() == u'[' && text.back() == u']')
        text = text.mid(1, text.size() - 2).trimmed();
    static const QRegularExpression slashedDate(QStringLiteral("^(\\d{4})/(\\d{1,2})/(\\d{1,2})$"));
    if (field.Kind == TFieldKind::Date)
        if (const QRegularExpressionMatch date = slashedDate.match(text); date.hasMatch())
            text = date.captured(1) + u'-' + date.captured(2).rightJustified(2, u'0') + u'-' +
                   date.captured(3).rightJustified(2, u'0');
    switch (form) {
    case TForm::Plain:
        break;
    case TForm::GoodreadsZeroIsNone:
        if (text == u"0")
            text.clear();
        break;
    case TForm::Shelf:
        if (text.compare(u"currently-reading", Qt::CaseInsensitive) == 0)
            text = QStringLiteral("reading");
        break;
    case TForm::ReadFlag:
        text = text.compare(u"true", Qt::CaseInsensitive) == 0 || text == u"1" ? QStringLiteral("read") : QString();
        break;
    }
    return FieldTable::Normalized(field, text.toStdString(), value, &why);
}

#include "lookup/SruAnswer.h"

#include "engine/FieldTable.h"

#include <QXmlStreamReader>

#include <map>
#include <vector>

namespace {

// One MARC data field as read: its tag and its subfields in order.
struct TDataField {
    QString Tag;
    std::vector<std::pair<QChar, QString>> Subfields;

    QString First(char code) const
    {
        for (const auto& [c, text] : Subfields)
            if (c == QLatin1Char(code))
                return text;
        return {};
    }
};

struct TMarcRecord {
    std::vector<TDataField> Fields;
    QString Fixed008;

    std::vector<const TDataField*> All(const char* tag) const
    {
        std::vector<const TDataField*> all;
        for (const TDataField& field : Fields)
            if (field.Tag == QLatin1String(tag))
                all.push_back(&field);
        return all;
    }
};

void AddOnce(QStringList& list, const QString& text)
{
    if (!text.isEmpty() && !list.contains(text))
        list << text;
}

TLookupRecord RecordOf(const TMarcRecord& marc)
{
    TLookupRecord record;
    for (const TDataField* field : marc.All("245")) {
        record.Title = LookupRecord::Trimmed(field->First('a'));
        record.Subtitle = LookupRecord::Trimmed(field->First('b'));
        break;
    }
    for (const char* tag : {"100", "700"})
        for (const TDataField* field : marc.All(tag))
            AddOnce(record.Authors, LookupRecord::Trimmed(field->First('a')));
    // 264 with the second indicator 1 (publication) in newer records, 260 in older.
    for (const char* tag : {"264", "260"}) {
        for (const TDataField* field : marc.All(tag)) {
            AddOnce(record.Publishers, LookupRecord::Trimmed(field->First('b')));
            if (record.Year.isEmpty())
                record.Year = LookupRecord::YearIn(field->First('c'));
        }
        if (!record.Publishers.isEmpty())
            break;
    }
    if (record.Year.isEmpty() && marc.Fixed008.size() >= 11)
        record.Year = LookupRecord::YearIn(marc.Fixed008.mid(7, 4));
    for (const TDataField* field : marc.All("300")) {
        record.Pages = LookupRecord::PagesIn(field->First('a'));
        break;
    }
    for (const TDataField* field : marc.All("020")) {
        const QString number = field->First('a').trimmed().section(QLatin1Char(' '), 0, 0);
        AddOnce(record.Isbns, QString::fromStdString(FieldTable::Isbn13(number.toStdString())));
    }
    for (const TDataField* field : marc.All("650"))
        AddOnce(record.Subjects, LookupRecord::Trimmed(field->First('a')));
    return record;
}

} // namespace

namespace SruAnswer {

TLookupAnswer Parse(const QByteArray& bytes)
{
    TLookupAnswer answer;
    QXmlStreamReader xml(bytes);
    // Record data holds the MARC record; a record elsewhere is SRU's own wrapper.
    int inRecordData = 0;
    bool inMarc = false;
    bool sawResponse = false;
    TMarcRecord marc;
    TDataField* field = nullptr;
    QString diagnostic; // null: the answer holds none
    bool inDiagnostic = false;
    QString message;
    QString details;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const QStringView name = xml.name();
            if (name == QLatin1String("searchRetrieveResponse")) {
                sawResponse = true;
            } else if (name == QLatin1String("recordData")) {
                ++inRecordData;
            } else if (name == QLatin1String("record") && inRecordData > 0 && !inMarc) {
                inMarc = true;
                marc = TMarcRecord();
                field = nullptr;
            } else if (inMarc && name == QLatin1String("controlfield")) {
                if (xml.attributes().value(QLatin1String("tag")) == QLatin1String("008"))
                    marc.Fixed008 = xml.readElementText(QXmlStreamReader::SkipChildElements);
            } else if (inMarc && name == QLatin1String("datafield")) {
                marc.Fields.push_back({xml.attributes().value(QLatin1String("tag")).toString(), {}});
                field = &marc.Fields.back();
            } else if (inMarc && field && name == QLatin1String("subfield")) {
                const QString code = xml.attributes().value(QLatin1String("code")).toString();
                const QString text = xml.readElementText(QXmlStreamReader::SkipChildElements);
                if (code.size() == 1)
                    field->Subfields.emplace_back(code.front(), text);
            } else if (!inMarc && name == QLatin1String("diagnostic")) {
                // SRU's diagnostic: <diagnostic><uri/><details/><message/></diagnostic>.
                inDiagnostic = true;
                if (diagnostic.isNull())
                    diagnostic = QStringLiteral("");
            } else if (inDiagnostic && name == QLatin1String("message") && message.isEmpty()) {
                message = xml.readElementText(QXmlStreamReader::SkipChildElements).simplified().left(200);
            } else if (inDiagnostic && name == QLatin1String("details") && details.isEmpty()) {
                details = xml.readElementText(QXmlStreamReader::SkipChildElements).simplified().left(200);
            }
        } else if (xml.isEndElement()) {
            const QStringView name = xml.name();
            if (name == QLatin1String("recordData")) {
                if (inRecordData > 0)
                    --inRecordData;
            } else if (inMarc && name == QLatin1String("record")) {
                inMarc = false;
                answer.Records.push_back(RecordOf(marc));
            } else if (name == QLatin1String("datafield")) {
                field = nullptr;
            } else if (name == QLatin1String("diagnostic")) {
                inDiagnostic = false;
            }
        }
    }
    if (!diagnostic.isNull()) {
        QString said = message.isEmpty() ? QStringLiteral("a diagnostic without a message") : message;
        if (!details.isEmpty())
            said += QStringLiteral(" (") + details + QLatin1Char(')');
        answer.Problem = QStringLiteral("The library answered: ") + said + QLatin1Char('.');
    } else if (xml.error() == QXmlStreamReader::PrematureEndOfDocumentError)
        answer.Problem = QStringLiteral("The answer was cut short.");
    else if (xml.hasError() || !sawResponse)
        answer.Problem = QStringLiteral("The answer was not readable.");
    return answer;
}

} // namespace SruAnswer

// Fuzz harness of volumnia-csv's import reader: the bytes of a file to import
// (CSV in any encoding and separator, or a Tellico data file, zipped or not)
// read as the import reads them. The read must end in rows or in the
// program's refusal (ECsvRefusal); every row must name a line for each of its
// fields; a Tellico file's rows must have the columns of their header.
// Anything else aborts: another exception, a sanitizer report (a read past
// the archive, a decompression without bound). Each cell under a detail's
// column reads as a value in its field's normal form or is refused.
#include "csv/CsvColumns.h"
#include "csv/CsvDetailValues.h"
#include "csv/CsvInput.h"
#include "csv/ECsvRefusal.h"
#include "csv/TellicoFile.h"
#include "fuzzing/FuzzSupport.h"

#include <cstddef>
#include <cstdint>

namespace ImportFuzz {

namespace {

const TAlias Aliases = {"Book title",
                        "Book author",
                        "Publisher",
                        "Year published",
                        "Other information (1)",
                        "Other information (2)",
                        "Loaner",
                        "Date loaned",
                        "",
                        ""};

} // namespace

} // namespace ImportFuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using FuzzSupport::Check;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TCsvInputRows rows;
    try {
        rows = TCsvInput::FromBytes(QStringLiteral("fuzz"), bytes, TCsvEncoding::Automatic, ImportFuzz::Aliases);
    } catch (const ECsvRefusal& refusal) {
        Check(!refusal.Message.empty(), "a refusal without a reason");
        return 0;
    }
    Check(!rows.Records.empty(), "rows without a header");
    for (const TCsvRecord& record : rows.Records)
        Check(!record.Fields.empty() && record.Fields.size() == record.Lines.size(),
              "a row whose fields and lines differ");
    if (TTellicoFile::Is(bytes))
        for (const TCsvRecord& record : rows.Records)
            Check(record.Fields.size() == rows.Records.front().Fields.size(),
                  "a Tellico row without the columns of its header");
    // Every cell under a detail's column reads as a value of its field in
    // normal form, or is refused with a reason.
    const TCsvColumns columns(rows.Records.front().Fields, ImportFuzz::Aliases);
    for (size_t r = 1; r < rows.Records.size(); ++r)
        for (const TCsvColumns::TDetailColumns& detail : columns.Details())
            for (const TCsvColumns::TDetailSource& source : detail.Sources) {
                if (static_cast<size_t>(source.Column) >= rows.Records[r].Fields.size())
                    continue;
                std::string value, why, again;
                if (TCsvDetailValues::Read(*detail.Field, source.Form,
                                           rows.Records[r].Fields[static_cast<size_t>(source.Column)], value, why))
                    Check(FieldTable::Normalized(*detail.Field, value, again) && again == value,
                          "a detail's value not in its normal form");
                else
                    Check(!why.empty(), "a detail's value refused without a reason");
            }
    return 0;
}

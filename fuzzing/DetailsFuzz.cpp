// Fuzz harness of the details file reader. Each input is read as a details
// file: every row read has a book number, a fingerprint and at least one
// value; what was read, written again, reads back to the very same rows (the
// journal's rows too) with nothing passed over. Anything else aborts.
#include "engine/DetailsFile.h"
#include "fuzzing/FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace DetailsFuzz {

namespace {

using FuzzSupport::Check;

void CheckRows(const std::vector<TDetailsRow>& rows)
{
    for (const TDetailsRow& row : rows) {
        Check(row.ID > 0, "a row with a number no book can have");
        Check(row.Fingerprint.size() == 8, "a fingerprint that is not eight digits");
        Check(!row.Details.Empty(), "a row without values");
        for (const auto& [key, value] : row.Details.Values())
            Check(!key.empty() && !value.empty(), "an empty key or value kept");
    }
}

} // namespace

} // namespace DetailsFuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace DetailsFuzz;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const DetailsFile::TContent content = DetailsFile::Parse(bytes);
    if (content.NotOurs) {
        Check(content.Rows.empty() && !content.HasJournal, "rows read from a file that is not a details file");
        return 0;
    }
    CheckRows(content.Rows);
    CheckRows(content.RowsBefore);
    const std::string again = content.HasJournal ? DetailsFile::FormatJournaled(content.Rows, content.HashAfter,
                                                                                content.HashBefore, content.RowsBefore)
                                                 : DetailsFile::Format(content.Rows);
    const DetailsFile::TContent reread = DetailsFile::Parse(again);
    Check(reread.Damaged == 0 && !reread.NotOurs, "what was written does not read whole");
    Check(reread.Rows == content.Rows, "the rows written read back otherwise");
    Check(reread.HasJournal == content.HasJournal && reread.RowsBefore == content.RowsBefore &&
              reread.HashAfter == content.HashAfter && reread.HashBefore == content.HashBefore,
          "the journal written reads back otherwise");
    return 0;
}

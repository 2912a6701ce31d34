/*
 * The CSV reader: quoting as RFC 4180 writes it and the lenient cases that
 * spreadsheets produce, and malformed text refused with the right line.
 */
#include "csv/CsvReader.h"
#include "csv/ECsvRefusal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows FieldsOf(const std::vector<TCsvRecord>& records)
{
    Rows rows;
    for (const TCsvRecord& record : records) {
        rows.emplace_back();
        for (const QString& field : record.Fields)
            rows.back().push_back(field.toStdString());
    }
    return rows;
}

TEST(CsvReader, ReadsQuotingAsWritten)
{
    const struct {
        const char* Text;
        Rows Expected;
        std::vector<int> RecordLines;
    } cases[] = {
        {"a,b\r\n1,2\r\n", {{"a", "b"}, {"1", "2"}}, {1, 2}},
        {"\"Smith, John\",x", {{"Smith, John", "x"}}, {1}},
        {"\"say \"\"hi\"\"\",\"\"\"\"", {{"say \"hi\"", "\""}}, {1}},
        {"\"two\r\nlines\",z\nnext", {{"two\r\nlines", "z"}, {"next"}}, {1, 3}},
        {"\"a\nb\nc\",d\ne", {{"a\nb\nc", "d"}, {"e"}}, {1, 4}},
        {",,\n\"\",x", {{"", "", ""}, {"", "x"}}, {1, 2}},
        {"a\n\nb", {{"a"}, {""}, {"b"}}, {1, 2, 3}},
        {"a\rb\r\nc", {{"a"}, {"b"}, {"c"}}, {1, 2, 3}},
        {"no end", {{"no end"}}, {1}},
        {"a,", {{"a", ""}}, {1}},
        {"12\" single,x", {{"12\" single", "x"}}, {1}},
        {" spaced , kept ", {{" spaced ", " kept "}}, {1}},
        {"", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        const std::vector<TCsvRecord> records = TCsvReader::Parse(QString::fromUtf8(c.Text));
        EXPECT_EQ(FieldsOf(records), c.Expected);
        std::vector<int> lines;
        for (const TCsvRecord& record : records)
            lines.push_back(record.Line());
        EXPECT_EQ(lines, c.RecordLines);
    }
}

TEST(CsvReader, RefusesMalformedTextNamingItsLine)
{
    const struct {
        const char* Text;
        const char* Message;
    } cases[] = {
        {"a,b\n\"never closed,c\nd\n", "line 2: a quoted field is not closed"},
        {"\"ab\"c,d", "line 1: text after the closing quote of a field"},
        {"x\n\"a\nb\"c", "line 3: text after the closing quote of a field"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text);
        try {
            TCsvReader::Parse(QString::fromUtf8(c.Text));
            ADD_FAILURE() << "accepted";
        } catch (const ECsvRefusal& refusal) {
            EXPECT_EQ(refusal.Message, c.Message);
        }
    }
}

} // namespace

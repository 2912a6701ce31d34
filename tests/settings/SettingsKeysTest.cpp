// The sort order a stored SortMethod value stands for, as the browser and the
// start-up reader both ask it: exact names only, everything else by publisher.
#include "settings/SettingsKeys.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SettingsKeys, SortMethodNamesTheFieldAliasToSortBy)
{
    const struct {
        const char* Stored;
        std::string Alias;
    } cases[] = {
        {"ByName", "Book title"}, {"ByAuthor", "Book author"}, {"ByPublisher", "Publisher"}, {"", "Publisher"},
        {"byname", "Publisher"},  {"ByName ", "Publisher"},    {"ByAuthorX", "Publisher"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TSettingsKeys::SortAliasFor(c.Stored), c.Alias) << "SortMethod \"" << c.Stored << "\"";
}

} // namespace

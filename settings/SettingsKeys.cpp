#include "settings/SettingsKeys.h"

const char* TSettingsKeys::SortAliasFor(const std::string& sortMethod)
{
    if (sortMethod == "ByName")
        return "Book title";
    if (sortMethod == "ByAuthor")
        return "Book author";
    return "Publisher";
}

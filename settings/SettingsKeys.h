// What Volumnia, update and volumnia-csv agree on about the settings: the
// file that holds them and what the stored sort order stands for. Kept with
// the store so that neither the start-up reader nor the companion programs
// reach into a window for it.
#pragma once

#include <string>

class TSettingsKeys {
public:
    // Opened by its bare name, so the settings of the current working folder.
    static constexpr const char* FileName = "volumnia.kelt";

    // The field alias the database sorts by for a SortMethod value: "ByName"
    // the title, "ByAuthor" the author, anything else the publisher.
    static const char* SortAliasFor(const std::string& sortMethod);
};

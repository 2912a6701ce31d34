// The nine default settings the update program writes after installation:
// the names of the first three database fields, the three print columns, the
// versions of the database engine and of the settings store, and the
// always-on-top option switched off.
#pragma once

#include <array>

class TRFileSystem;

struct TDefaultSetting {
    const char* Name;
    const char* Text;
};

class TDefaultSettings {
public:
    // In the order they are written; a file that lacks them gets them appended
    // in this order.
    static constexpr std::array<TDefaultSetting, 9> Table{{
        {"AlwaysOnTop", "false"},
        {"req_orblversion", "1.4"},
        {"req_keltversion", "1.1"},
        {"orbl_alias0", "Book title"},
        {"orbl_alias1", "Book author"},
        {"orbl_alias2", "Publisher"},
        {"pcol1", "Book title"},
        {"pcol2", "Book author"},
        {"pcol3", "Publisher"},
    }};

    // Writes the nine settings into store in one save, then saves the store
    // once more (which writes nothing when the file holds them). On an error
    // the file keeps its old settings, all nine of them.
    static void Write(TRFileSystem& store);
};

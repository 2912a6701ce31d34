#include "tests/support/AppFixture.h"

#include "app/ApplicationWindows.h"
#include "engine/Catalogue.h"
#include "engine/ShownRows.h"
#include "app/Globals.h"
#include "app/MainForm.h"
#include "platform/LineReader.h"

#include <QLocale>

#include <algorithm>

std::vector<std::pair<std::string, std::string>> InstalledSettings()
{
    return {
        {"AlwaysOnTop", "false"},
        {"CurrentIndex", "0"},
        {"MF_X", "300"},
        {"MF_Y", "300"},
        {"LV_X", "100"},
        {"LV_Y", "100"},
        {"SortMethod", "ByName"},
        {"orbl_databasefile", "books.orbl"},
        {"orbl_alias0", "Book title"},
        {"orbl_alias1", "Book author"},
        {"orbl_alias2", "Publisher"},
        {"orbl_alias3", "Year published"},
        {"orbl_alias4", "Other information (1)"},
        {"orbl_alias5", "Other information (2)"},
        {"orbl_alias6", "Loaner"},
        {"orbl_alias7", "Date loaned"},
        {"orbl_alias8", "Reserved (8)"},
        {"orbl_alias9", "Reserved (9)"},
        {"pcol1", "Book title"},
        {"pcol2", "Book author"},
        {"pcol3", "Publisher"},
        {"pcol1_dst", "20"},
        {"pcol2_dst", "950"},
        {"pcol3_dst", "1800"},
        {"req_orblversion", "1.4"},
        {"req_keltversion", "1.1"},
        {"LOOKUP_OPENLIBRARY", "https://openlibrary.org"},
        {"LOOKUP_COVERS", "https://covers.openlibrary.org"},
        {"LOOKUP_FINNA", "https://api.finna.fi/v1"},
        {"LOOKUP_DNB", "https://services.dnb.de/sru/dnb"},
        {"LOOKUP_LOC", "http://lx2.loc.gov:210/LCDB"},
    };
}

std::string SettingsFile(const std::vector<std::pair<std::string, std::string>>& settings)
{
    static const std::vector<std::string> integers = {"CurrentIndex", "MF_X",      "MF_Y",      "LV_X",
                                                      "LV_Y",         "pcol1_dst", "pcol2_dst", "pcol3_dst"};
    std::string text;
    for (const auto& [name, value] : settings) {
        const bool integer = std::find(integers.begin(), integers.end(), name) != integers.end();
        text += name + "\r\n" + value + "\r\n" + (integer ? "vInteger" : "vString") + "\r\n";
    }
    return text;
}

TItem Book(int32_t id, const std::string& title, const std::string& author, const std::string& publisher,
           const std::string& year, const std::string& loaner, const std::string& date)
{
    TItem item;
    item.ID = id;
    item.Fields[0] = title;
    item.Fields[1] = author;
    item.Fields[2] = publisher;
    item.Fields[3] = year;
    item.Fields[6] = loaner;
    item.Fields[7] = date;
    return item;
}

TAppFixture::TAppFixture()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
}

TAppFixture::~TAppFixture()
{
    Stop();
    QLocale::setDefault(QLocale::c());
}

void TAppFixture::WriteFiles(const std::vector<TItem>& books)
{
    std::vector<std::pair<std::string, std::string>> settings;
    for (auto [name, value] : InstalledSettings()) {
        if (std::find(Removed.begin(), Removed.end(), name) != Removed.end())
            continue;
        if (auto it = Overrides.find(name); it != Overrides.end())
            value = it->second;
        settings.emplace_back(name, value);
    }
    Folder.WriteFile("volumnia.kelt", SettingsFile(settings));
    Folder.WriteFile("books.orbl", DatabaseFile(books));
}

bool TAppFixture::Start()
{
    Windows = std::make_unique<TApplicationWindows>();
    if (!Windows->Started())
        return false;
    frmMain->show(); // as the event loop does when the program starts
    return true;
}

void TAppFixture::Stop()
{
    Windows.reset();
}

bool TAppFixture::SettingOnDisk(const std::string& name, std::string& value) const
{
    if (!Folder.Exists("volumnia.kelt"))
        return false;
    const std::string text = Folder.ReadFile("volumnia.kelt");
    TLineReader reader(text);
    while (!reader.AtEnd()) {
        const std::string key = reader.ReadLine();
        const std::string text2 = reader.ReadLine();
        reader.ReadLine();
        if (key == name) {
            value = text2;
            return true;
        }
    }
    return false;
}

TCatalogue& TAppFixture::Catalogue()
{
    return Windows->Catalogue();
}

TShownRows& TAppFixture::Rows()
{
    return Windows->Rows();
}

TRunState& TAppFixture::Run()
{
    return Windows->Run();
}

void TAppFixture::ShowFound(const std::vector<TItem>& books)
{
    auto found = std::make_unique<Searchresult>();
    for (const TItem& book : books)
        found->Items[static_cast<size_t>(found->ItemCount++)] = book;
    Rows().FillWith(*found);
}

#include "update/DefaultSettings.h"

#include "settings/KELT.h"

#include <vector>

void TDefaultSettings::Write(TRFileSystem& store)
{
    // One save for all nine: a program killed while writing them leaves the
    // old settings or the new, never some of each (the print windows cannot
    // read a mix of old aliases and new print columns).
    std::vector<TValue> values;
    for (const TDefaultSetting& setting : Table)
        values.push_back(TRFileSystem::StringValue(setting.Name, setting.Text));
    store.WriteValues(values);
    store.SaveToFile();
}

#include "update/DefaultSettings.h"

#include "settings/KELT.h"

void TDefaultSettings::Write(TRFileSystem& store)
{
    for (const TDefaultSetting& setting : Table)
        store.WriteString(setting.Name, setting.Text);
    store.SaveToFile();
}

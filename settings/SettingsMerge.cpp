#include "settings/SettingsMerge.h"

#include "settings/RFileSystem.h"

#include <algorithm>
#include <exception>

namespace SettingsMerge {

namespace {

constexpr const char* Counter = "CurrentIndex";

bool IsUpper(char c)
{
    return c >= 'A' && c <= 'Z';
}

} // namespace

bool IsWindowPlace(const std::string& name)
{
    return name.size() == 4 && IsUpper(name[0]) && IsUpper(name[1]) && name[2] == '_' &&
           (name[3] == 'X' || name[3] == 'Y');
}

std::vector<std::string> Merge(TRFileSystem& ours, const std::string& theirs)
{
    const TRFileSystem copy(theirs);
    std::vector<TValue> values;
    std::vector<std::string> names, seen;
    for (int32_t at = 0; at < copy.ValueCount(); ++at) {
        const TValue& value = copy.ValueAt(at);
        if (value.Kind == TValueKind::vUnsaved || IsWindowPlace(value.Name))
            continue;
        // The first of a name is the one read; later ones are not settings.
        if (std::find(seen.begin(), seen.end(), value.Name) != seen.end())
            continue;
        seen.push_back(value.Name);
        if (!ours.ValueExists(value.Name)) {
            values.push_back(value);
            names.push_back(value.Name);
            continue;
        }
        if (value.Name != Counter)
            continue;
        try {
            if (copy.ReadInteger(Counter) > ours.ReadInteger(Counter)) {
                values.push_back(TRFileSystem::IntegerValue(Counter, copy.ReadInteger(Counter)));
                names.push_back(value.Name);
            }
        } catch (const std::exception&) {
            // A counter either side cannot read as a number: ours stands.
        }
    }
    if (!values.empty())
        ours.WriteValues(values);
    return names;
}

} // namespace SettingsMerge

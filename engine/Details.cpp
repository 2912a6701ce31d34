#include "engine/Details.h"

#include <algorithm>

namespace {

const std::string NoValue;

} // namespace

const std::string& TDetails::Value(std::string_view key) const
{
    const auto found = std::lower_bound(FValues.begin(), FValues.end(), key,
                                        [](const TValue& value, std::string_view k) { return value.first < k; });
    return found != FValues.end() && found->first == key ? found->second : NoValue;
}

bool TDetails::Has(std::string_view key) const
{
    return !Value(key).empty();
}

void TDetails::Set(std::string_view key, std::string value)
{
    const auto found = std::lower_bound(FValues.begin(), FValues.end(), key,
                                        [](const TValue& v, std::string_view k) { return v.first < k; });
    const bool there = found != FValues.end() && found->first == key;
    if (value.empty()) {
        if (there)
            FValues.erase(found);
    } else if (there) {
        found->second = std::move(value);
    } else {
        FValues.insert(found, {std::string(key), std::move(value)});
    }
}

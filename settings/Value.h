// One named setting and the label of its kind.
#pragma once

#include <cstdint>
#include <string>

enum class TValueKind : uint8_t { vString, vInteger, vFloat, vBoolean, vUnsaved };

struct TValue {
    std::string Name, Value;
    TValueKind Kind = TValueKind::vString;
};

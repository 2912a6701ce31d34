#include "tests/support/DatabaseFile.h"

std::string DatabaseFile(const std::vector<TItem>& items)
{
    std::string text;
    for (const TItem& item : items) {
        text += std::to_string(item.ID) + "\r\n";
        for (const std::string& field : item.Fields)
            text += field + "\r\n";
    }
    return text;
}

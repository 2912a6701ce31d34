#include "platform/TabText.h"

namespace TabText {

// The runs between escapes go in whole.
void Append(std::string& line, std::string_view text)
{
    line += '\t';
    size_t from = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char* escape = nullptr;
        switch (text[i]) {
        case '\t':
            escape = "\\t";
            break;
        case '\\':
            escape = "\\\\";
            break;
        case '\r':
            escape = "\\r";
            break;
        case '\n':
            escape = "\\n";
            break;
        default:
            continue;
        }
        line.append(text, from, i - from);
        line += escape;
        from = i + 1;
    }
    line.append(text, from, std::string_view::npos);
}

// The text unescaped into out, or only checked where out is nullptr.
bool Unescaped(std::string_view text, std::string* out)
{
    if (out)
        out->clear();
    size_t from = 0;
    while (true) {
        const size_t slash = text.find('\\', from);
        if (out)
            out->append(text.substr(from, slash == std::string_view::npos ? std::string_view::npos : slash - from));
        if (slash == std::string_view::npos)
            return true;
        if (slash + 1 == text.size())
            return false;
        char c = 0;
        switch (text[slash + 1]) {
        case 't':
            c = '\t';
            break;
        case '\\':
            c = '\\';
            break;
        case 'r':
            c = '\r';
            break;
        case 'n':
            c = '\n';
            break;
        default:
            return false;
        }
        if (out)
            *out += c;
        from = slash + 2;
    }
}

} // namespace TabText

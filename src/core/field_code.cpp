#include "core/field_code.h"

#include <array>

namespace twinsift {
namespace {

struct Code {
    char character;
    char high;
    char low; // upper case
};
constexpr std::array<Code, 6> kCodes{{
    {'%', '2', '5'},
    {',', '2', 'C'},
    {'?', '3', 'F'},
    {'\r', '0', 'D'},
    {'\n', '0', 'A'},
    {';', '3', 'B'},
}};

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The code that starts at `at` (just after a "%"), if any.
const Code* codeAt(std::string_view text, std::size_t at) {
    if (at + 2 > text.size())
        return nullptr;
    for (const Code& code : kCodes)
        if (text[at] == code.high && upper(text[at + 1]) == code.low)
            return &code;
    return nullptr;
}

void appendCode(std::string& out, char c) {
    for (const Code& code : kCodes)
        if (code.character == c) {
            out += '%';
            out += code.high;
            out += code.low;
        }
}

} // namespace

std::string encodeField(std::string_view text, char separator) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool breaksLine = c == separator || c == '\r' || c == '\n';
        const bool readsAsCode = c == '%' && codeAt(text, i + 1);
        if (breaksLine || readsAsCode)
            appendCode(out, c);
        else
            out += c;
    }
    return out;
}

std::string decodeField(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const Code* code = text[i] == '%' ? codeAt(text, i + 1) : nullptr;
        if (code) {
            out += code->character;
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace twinsift

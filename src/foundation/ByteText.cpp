#include "foundation/ByteText.h"

namespace velmora {
namespace {

constexpr char32_t kCarriedBase = 0x10FF00;

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The length of the valid UTF-8 sequence at `i` (no overlong forms, no
// surrogates, nothing past U+10FFFF); 0 when there is none.
size_t validSequence(std::string_view s, size_t i)
{
    const auto byte = [&](size_t k) { return k < s.size() ? static_cast<unsigned char>(s[k]) : 0u; };
    const unsigned b0 = byte(i);
    if (b0 < 0x80)
        return 1;
    auto continuation = [&](size_t k, unsigned low = 0x80, unsigned high = 0xBF) {
        return byte(k) >= low && byte(k) <= high;
    };
    if (b0 >= 0xC2 && b0 <= 0xDF)
        return continuation(i + 1) ? 2 : 0;
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        const unsigned low = b0 == 0xE0 ? 0xA0 : 0x80, high = b0 == 0xED ? 0x9F : 0xBF;
        return continuation(i + 1, low, high) && continuation(i + 2) ? 3 : 0;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        const unsigned low = b0 == 0xF0 ? 0x90 : 0x80, high = b0 == 0xF4 ? 0x8F : 0xBF;
        return continuation(i + 1, low, high) && continuation(i + 2) && continuation(i + 3) ? 4 : 0;
    }
    return 0;
}

}  // namespace

std::string carryInvalidBytes(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        if (const size_t n = validSequence(bytes, i)) {
            out.append(bytes.substr(i, n));
            i += n;
        } else {
            appendUtf8(out, kCarriedBase + static_cast<unsigned char>(bytes[i]));
            ++i;
        }
    }
    return out;
}

std::string restoreCarriedBytes(std::string_view text)
{
    // U+10FF80 to U+10FFFF: F4 8F BE or BF, then one continuation byte.
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const auto at = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
        if (at(i) == 0xF4 && i + 3 < text.size() && at(i + 1) == 0x8F && (at(i + 2) == 0xBE || at(i + 2) == 0xBF) &&
            (at(i + 3) & 0xC0) == 0x80) {
            out += static_cast<char>(((at(i + 2) & 0x03) << 6) | (at(i + 3) & 0x3F));
            i += 3;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace velmora

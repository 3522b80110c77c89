#include "textencoding.h"

#include <array>
#include <cstddef>

namespace ctheme {
namespace {

// Lead bytes 0x81 to 0xFE times trail bytes 0x40 to 0xFE; 0 where the code page has no character.
constexpr std::uint16_t kGbk[] = {
#include "gbktable.inc"
};
constexpr std::size_t kGbkTrails = 0xFF - 0x40;
static_assert(sizeof kGbk / sizeof kGbk[0] == (0xFF - 0x81) * kGbkTrails);

// Windows-1252 from 0x80 to 0x9F; the rest is Latin-1. Its five unassigned codes pass through.
constexpr std::array<std::uint16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char32_t kReplacement = 0xFFFD;

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

// The length of the valid UTF-8 sequence at `i`, or 0.
std::size_t utf8SequenceAt(std::span<const std::uint8_t> b, std::size_t i)
{
    const std::uint8_t c = b[i];
    if (c < 0x80)
        return 1;
    std::size_t length = 0;
    char32_t min = 0;
    if (c >= 0xC2 && c <= 0xDF)
        length = 2, min = 0x80;
    else if (c >= 0xE0 && c <= 0xEF)
        length = 3, min = 0x800;
    else if (c >= 0xF0 && c <= 0xF4)
        length = 4, min = 0x10000;
    else
        return 0;
    if (i + length > b.size())
        return 0;
    char32_t value = c & (0x3F >> (length - 1));
    for (std::size_t k = 1; k < length; ++k) {
        if ((b[i + k] & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (b[i + k] & 0x3F);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return length;
}

bool validUtf8(std::span<const std::uint8_t> b)
{
    for (std::size_t i = 0; i < b.size();) {
        const std::size_t n = utf8SequenceAt(b, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

bool gbkLead(std::uint8_t c)
{
    return c >= 0x81 && c <= 0xFE;
}

bool gbkTrail(std::uint8_t c)
{
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

char32_t gbkCharacter(std::uint8_t lead, std::uint8_t trail)
{
    const std::uint16_t c = kGbk[(lead - 0x81) * kGbkTrails + (trail - 0x40)];
    return c ? c : kReplacement;
}

bool looksLikeGbk(std::span<const std::uint8_t> b)
{
    std::size_t pairs = 0, chinese = 0;
    for (std::size_t i = 0; i < b.size(); ++i) {
        if (b[i] < 0x80 || b[i] == 0x80)
            continue; // 0x80 alone is the euro sign in code page 936
        if (!gbkLead(b[i]) || i + 1 >= b.size() || !gbkTrail(b[i + 1]) ||
            gbkCharacter(b[i], b[i + 1]) == kReplacement)
            return false;
        ++pairs;
        // The GB2312 characters, the ones in everyday use, have both bytes from 0xA1 on.
        if (b[i] >= 0xA1 && b[i + 1] >= 0xA1)
            ++chinese;
        ++i;
    }
    return pairs > 0 && chinese * 2 >= pairs;
}

std::string fromUtf16(std::span<const std::uint8_t> b, bool bigEndian)
{
    std::string out;
    auto unitAt = [&](std::size_t i) -> char32_t {
        return bigEndian ? (b[i] << 8) | b[i + 1] : b[i] | (b[i + 1] << 8);
    };
    for (std::size_t i = 0; i + 1 < b.size(); i += 2) {
        char32_t c = unitAt(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < b.size()) {
            const char32_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else {
                c = kReplacement;
            }
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        appendUtf8(out, c);
    }
    return out;
}

char32_t lowerLetter(char32_t c)
{
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) ||
        (c >= 0x391 && c <= 0x3A9 && c != 0x3A2) || (c >= 0x410 && c <= 0x42F))
        return c + 32;
    if (c >= 0x400 && c <= 0x40F)
        return c + 80;
    if (c == 0x178)
        return 0xFF;
    const bool evenPairs = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177);
    const bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if ((evenPairs && c % 2 == 0) || (oddPairs && c % 2 == 1))
        return c + 1;
    return c;
}

} // namespace

std::string foldCase(std::string_view utf8)
{
    const std::span<const std::uint8_t> b(reinterpret_cast<const std::uint8_t*>(utf8.data()),
                                          utf8.size());
    std::string out;
    for (std::size_t i = 0; i < b.size();) {
        const std::size_t n = utf8SequenceAt(b, i);
        if (n == 0) {
            out += static_cast<char>(b[i++]); // not UTF-8: compared byte for byte
            continue;
        }
        char32_t c = n == 1 ? b[i] : b[i] & (0x3F >> (n - 1));
        for (std::size_t k = 1; k < n; ++k)
            c = (c << 6) | (b[i + k] & 0x3F);
        appendUtf8(out, lowerLetter(c));
        i += n;
    }
    return out;
}

std::string_view encodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return "UTF-8";
    case TextEncoding::Utf8Bom:
        return "UTF-8 with BOM";
    case TextEncoding::Utf16Le:
        return "UTF-16LE";
    case TextEncoding::Utf16Be:
        return "UTF-16BE";
    case TextEncoding::Cp1252:
        return "Windows-1252";
    case TextEncoding::Gbk:
        break;
    }
    return "GBK";
}

TextEncoding detectEncoding(std::span<const std::uint8_t> b)
{
    if (b.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
        return TextEncoding::Utf8Bom;
    if (b.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE)
        return TextEncoding::Utf16Le;
    if (b.size() >= 2 && b[0] == 0xFE && b[1] == 0xFF)
        return TextEncoding::Utf16Be;
    // Without a mark, UTF-16 shows as a zero byte beside nearly every ASCII character.
    std::size_t zeroEven = 0, zeroOdd = 0;
    for (std::size_t i = 0; i < b.size(); ++i)
        (i % 2 ? zeroOdd : zeroEven) += b[i] == 0;
    const std::size_t half = b.size() / 2;
    if (half > 0 && zeroOdd * 4 > half * 3 && zeroEven * 4 < half)
        return TextEncoding::Utf16Le;
    if (half > 0 && zeroEven * 4 > half * 3 && zeroOdd * 4 < half)
        return TextEncoding::Utf16Be;
    if (validUtf8(b))
        return TextEncoding::Utf8;
    return looksLikeGbk(b) ? TextEncoding::Gbk : TextEncoding::Cp1252;
}

std::string decodeText(std::span<const std::uint8_t> b, TextEncoding encoding)
{
    std::string out;
    switch (encoding) {
    case TextEncoding::Utf16Le:
    case TextEncoding::Utf16Be: {
        const bool big = encoding == TextEncoding::Utf16Be;
        const bool marked = b.size() >= 2 && b[big ? 0 : 1] == 0xFE && b[big ? 1 : 0] == 0xFF;
        return fromUtf16(b.subspan(marked ? 2 : 0), big);
    }
    case TextEncoding::Utf8Bom:
    case TextEncoding::Utf8:
        if (b.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
            b = b.subspan(3);
        for (std::size_t i = 0; i < b.size();) {
            const std::size_t n = utf8SequenceAt(b, i);
            if (n == 0) {
                appendUtf8(out, kReplacement);
                ++i;
            } else {
                out.append(reinterpret_cast<const char*>(b.data() + i), n);
                i += n;
            }
        }
        return out;
    case TextEncoding::Gbk:
        for (std::size_t i = 0; i < b.size(); ++i) {
            if (b[i] < 0x80)
                out += static_cast<char>(b[i]);
            else if (b[i] == 0x80)
                appendUtf8(out, 0x20AC);
            else if (gbkLead(b[i]) && i + 1 < b.size() && gbkTrail(b[i + 1]))
                appendUtf8(out, gbkCharacter(b[i], b[i + 1])), ++i;
            else
                appendUtf8(out, kReplacement);
        }
        return out;
    case TextEncoding::Cp1252:
        break;
    }
    for (std::uint8_t c : b)
        appendUtf8(out, c >= 0x80 && c <= 0x9F ? kCp1252High[c - 0x80] : c);
    return out;
}

std::string decodeText(std::span<const std::uint8_t> bytes)
{
    return decodeText(bytes, detectEncoding(bytes));
}

} // namespace ctheme

#include "matte.h"

namespace nconv {
namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool sameLetters(std::string_view text, std::string_view lower)
{
    if (text.size() != lower.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? char(text[i] - 'A' + 'a') : text[i];
        if (c != lower[i])
            return false;
    }
    return true;
}

} // namespace

std::optional<Rgb> parseColour(std::string_view text)
{
    if (sameLetters(text, "white"))
        return kWhite;
    if (sameLetters(text, "black"))
        return Rgb{0, 0, 0};
    if (!text.empty() && text.front() == '#')
        text.remove_prefix(1);
    if (text.size() != 6)
        return std::nullopt;
    Rgb colour;
    for (std::size_t i = 0; i < 3; ++i) {
        const int high = hexDigit(text[i * 2]), low = hexDigit(text[i * 2 + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        colour[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return colour;
}

} // namespace nconv

#pragma once
// The text of files Windows programs wrote: .inf files come in whatever their author's system
// used. Everything is turned into UTF-8.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace ctheme {

enum class TextEncoding {
    Utf8,    // ASCII included
    Utf8Bom, // with a byte order mark
    Utf16Le, // with or without a byte order mark
    Utf16Be,
    Cp1252, // 8-bit text of a Western Windows system
    Gbk,    // 8-bit text of a Chinese Windows system (code page 936)
};

std::string_view encodingName(TextEncoding encoding);

// Finds the encoding: a byte order mark; UTF-16 by its zero bytes; valid UTF-8; else GBK when
// every byte above 0x7F pairs up as GBK does and most pairs are Chinese characters (Western
// accented letters stand alone between ASCII letters); else Windows-1252.
TextEncoding detectEncoding(std::span<const std::uint8_t> bytes);

// The text as UTF-8, without a byte order mark. What cannot be decoded becomes U+FFFD.
std::string decodeText(std::span<const std::uint8_t> bytes, TextEncoding encoding);
std::string decodeText(std::span<const std::uint8_t> bytes);

// UTF-8 text folded for comparing names without regard to case, as Windows compares file
// names: ASCII, Latin-1, Latin Extended-A, Greek and Cyrillic capitals become small letters.
std::string foldCase(std::string_view utf8);

} // namespace ctheme

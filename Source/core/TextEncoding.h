#pragma once

#include <kavro/Utf8.h>

#include <cstdint>
#include <string>

namespace Orvane
{

constexpr uint32_t CodePageUtf8 = 65001;
constexpr uint32_t CodePageShiftJis = 932;

// The code page of every conversion that goes by the engine's setting: 932 until the settings
// have been read, 65001 after.
uint32_t getEngineCodePage();
void setEngineCodePage(uint32_t codePage);

// Multibyte text of a code page to UTF-16: 0 on success, -1 on failure. The output is replaced.
// 65001 goes through utf8ToUtf16; other pages through iconv, reading the input up to its first NUL.
// Bytes the page does not define become U+FFFD.
int toWide(uint32_t codePage, const std::string& input, std::u16string& output);
// UTF-16 to multibyte text of a code page: 0 on success, -1 on failure. The output is replaced.
// Units the page cannot hold become "?".
int toMultiByte(uint32_t codePage, const std::u16string& input, std::string& output);

using Kavro::utf8SequenceLength;

// 1 on success; 0 at a continuation byte or 0xFE/0xFF in lead position (the output then holds what
// was decoded before it). Sequences of 4 to 6 bytes become U+FF1F; a leading byte-order mark is
// skipped; a sequence cut off by the end is decoded with the missing bytes as 0.
int utf8ToUtf16(const std::string& input, std::u16string& output);
// Always 1. Every unit, surrogates included, is encoded by itself in 1 to 3 bytes.
int utf16ToUtf8(const std::u16string& input, std::string& output);

} // namespace Orvane

#pragma once
// Conversion between the core's Windows-1251 bytes and UTF-8, at the edges of the system
// (terminal, source literals, editor). Done by iconv; bytes that have no character in the
// code page survive a round trip (see the .cpp).

#include <string>
#include <string_view>

std::string Utf8ToCp1251(std::string_view utf8);
std::string Cp1251ToUtf8(std::string_view cp1251);

// A fixed UTF-8 text of the source converted once to Windows-1251 and kept for the whole
// process: Cp(u8"...") or Cp("...").
const std::string& Cp(const char* utf8);
const std::string& Cp(const char8_t* utf8);
inline const std::string& Cp(const char8_t* utf8) {
    return Cp(reinterpret_cast<const char*>(utf8));
}

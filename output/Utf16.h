#pragma once
// UTF-8 and UTF-16, for the language server's columns (UTF-16 code units). Converted by
// iconv, as the code page is (Encoding.cpp): bytes that are not UTF-8 become U+FFFD one
// byte each, and a UTF-16 surrogate without its pair becomes U+FFFD.

#include <string>
#include <string_view>

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

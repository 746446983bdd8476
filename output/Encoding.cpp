#include "output/Encoding.h"
#include "output/Utf16.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <iconv.h>
#include <mutex>
#include <unordered_map>

namespace {

// Bytes of the code page that have no character (only 0x98) travel through UTF-8 as
// private-use code points U+F800 + byte, so that a file survives the editor unchanged.
constexpr char32_t kPrivateBase = 0xF800;

// One iconv descriptor per thread and direction: a descriptor keeps shift state and must
// not be shared between threads.
class CConverter {
public:
    CConverter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~CConverter() {
        if (m_cd != kInvalid)
            iconv_close(m_cd);
    }
    CConverter(const CConverter&) = delete;
    CConverter& operator=(const CConverter&) = delete;

    // Converts as much as iconv can; stops at the first byte it rejects (or at the end).
    // Returns false when stopped at a rejected byte.
    bool Convert(std::string_view& in, std::string& out) {
        if (m_cd == kInvalid)
            return false;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char chunk[1024];
        while (!in.empty()) {
            char* src = const_cast<char*>(in.data());
            std::size_t srcLeft = in.size();
            char* dst = chunk;
            std::size_t dstLeft = sizeof chunk;
            const std::size_t rc = iconv(m_cd, &src, &srcLeft, &dst, &dstLeft);
            const int error = errno;
            out.append(chunk, static_cast<std::size_t>(dst - chunk));
            in.remove_prefix(in.size() - srcLeft);
            if (rc == static_cast<std::size_t>(-1) && error != E2BIG)
                return false;
        }
        return true;
    }

    // Converts into a buffer that has room for all of in: no chunks, no copy. Returns false
    // when stopped at a rejected byte; dst and room follow what was written.
    bool ConvertInto(std::string_view& in, char*& dst, std::size_t& room) {
        if (m_cd == kInvalid)
            return false;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        const std::size_t rc = iconv(m_cd, &src, &srcLeft, &dst, &room);
        in.remove_prefix(in.size() - srcLeft);
        return rc != static_cast<std::size_t>(-1);
    }

private:
    static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);
    iconv_t m_cd;
};

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one well-formed UTF-8 sequence at the start of in; returns its length, 0 if the
// bytes are not well-formed.
std::size_t DecodeUtf8(std::string_view in, char32_t& cp) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(in[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = lead < 0x80    ? 1
                         : lead >= 0xF0 ? 4
                         : lead >= 0xE0 ? 3
                         : lead >= 0xC0 ? 2
                                        : 0;
    if (length == 0 || length > in.size() || lead > 0xF4)
        return 0;
    cp = length == 1 ? lead : lead & (0x3F >> (length - 1));
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::string Utf8ToCp1251(std::string_view utf8) {
    thread_local CConverter converter("CP1251", "UTF-8");
    std::string out;
    out.reserve(utf8.size());
    while (!converter.Convert(utf8, out)) {
        // A character without a byte in the code page, or bytes that are not UTF-8.
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8(utf8, cp);
        const bool privateByte =
            length != 0 && cp >= kPrivateBase + 0x80 && cp <= kPrivateBase + 0xFF;
        out += privateByte ? static_cast<char>(cp - kPrivateBase) : '?';
        utf8.remove_prefix(length == 0 ? 1 : length);
    }
    return out;
}

std::string Cp1251ToUtf8(std::string_view cp1251) {
    thread_local CConverter converter("UTF-8", "CP1251");
    std::string out;
    out.reserve(cp1251.size() * 2);
    while (!converter.Convert(cp1251, out)) {
        AppendUtf8(out, kPrivateBase + static_cast<unsigned char>(cp1251.front()));
        cp1251.remove_prefix(1);
    }
    return out;
}

namespace {

const char* const kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

} // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
    thread_local CConverter converter(kUtf16, "UTF-8");
    std::u16string out(utf8.size(), u'\0'); // never more code units than bytes
    char* const begin = reinterpret_cast<char*>(out.data());
    char* dst = begin;
    std::size_t room = out.size() * sizeof(char16_t);
    while (!converter.ConvertInto(utf8, dst, room)) {
        const char16_t replacement = 0xFFFD;
        std::memcpy(dst, &replacement, sizeof replacement);
        dst += sizeof replacement;
        room -= sizeof replacement;
        utf8.remove_prefix(1);
    }
    out.resize(static_cast<std::size_t>(dst - begin) / sizeof(char16_t));
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    thread_local CConverter converter("UTF-8", kUtf16);
    std::string_view units(reinterpret_cast<const char*>(utf16.data()),
                           utf16.size() * sizeof(char16_t));
    std::string out;
    out.reserve(utf16.size());
    while (!converter.Convert(units, out)) {
        out += "\xEF\xBF\xBD";
        units.remove_prefix(sizeof(char16_t));
    }
    return out;
}

const std::string& Cp(const char* utf8) {
    static std::mutex mutex;
    // Node-based: references to the stored texts stay valid while the map grows.
    static std::unordered_map<std::string, std::string> cache;
    static const std::string empty;
    if (utf8 == nullptr)
        return empty;
    std::lock_guard lock(mutex);
    auto [it, inserted] = cache.try_emplace(utf8);
    if (inserted)
        it->second = Utf8ToCp1251(utf8);
    return it->second;
}

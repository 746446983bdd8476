#include "lsp/MessageReader.h"

#include <cctype>
#include <charconv>

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

// The value of Content-Length, or nothing when the header has none or a bad one.
std::optional<std::size_t> ContentLength(std::string_view header) {
    std::optional<std::size_t> length;
    while (!header.empty()) {
        const std::size_t end = std::min(header.find("\r\n"), header.size());
        const std::string_view field = header.substr(0, end);
        header.remove_prefix(std::min(end + 2, header.size()));
        const std::size_t colon = field.find(':');
        if (colon == std::string_view::npos)
            return std::nullopt;
        if (Lower(field.substr(0, colon)) != "content-length")
            continue;
        std::string_view value = field.substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
            value.remove_prefix(1);
        while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
            value.remove_suffix(1);
        std::size_t parsed = 0;
        const auto [rest, error] =
            std::from_chars(value.data(), value.data() + value.size(), parsed);
        if (error != std::errc() || rest != value.data() + value.size() || value.empty())
            return std::nullopt;
        length = parsed;
    }
    return length;
}

} // namespace

std::optional<IncomingMessage> CMessageReader::Next() {
    const std::size_t headerEnd = m_buffer.find("\r\n\r\n");
    if (headerEnd == std::string::npos) {
        if (m_buffer.size() <= kMaxHeader)
            return std::nullopt;
        m_buffer.clear();
        return IncomingMessage{IncomingMessage::Kind::BadHeader, {}, "header too long"};
    }
    const std::optional<std::size_t> length =
        ContentLength(std::string_view(m_buffer).substr(0, headerEnd));
    if (!length || *length > kMaxBody) {
        m_buffer.erase(0, headerEnd + 4);
        return IncomingMessage{IncomingMessage::Kind::BadHeader,
                               {},
                               length ? "content too long" : "no valid Content-Length"};
    }
    if (m_buffer.size() - headerEnd - 4 < *length)
        return std::nullopt;
    const std::string body = m_buffer.substr(headerEnd + 4, *length);
    m_buffer.erase(0, headerEnd + 4 + *length);
    nlohmann::json parsed = nlohmann::json::parse(body, nullptr, false);
    if (parsed.is_discarded())
        return IncomingMessage{IncomingMessage::Kind::BadJson, {}, "the content is not JSON"};
    return IncomingMessage{IncomingMessage::Kind::Json, std::move(parsed), {}};
}

std::string FrameMessage(const nlohmann::json& message) {
    const std::string body = message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

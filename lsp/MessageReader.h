#pragma once
// JSON-RPC messages as the Language Server Protocol frames them on a byte stream:
// "Content-Length: N\r\n" (other header fields are ignored), an empty line, N bytes of JSON.
// A malformed header or body is reported as such and skipped, so that the stream goes on.

#include <nlohmann/json.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

struct IncomingMessage {
    enum class Kind { Json, BadHeader, BadJson };
    Kind kind;
    nlohmann::json body; // for Json
    std::string error;   // for the others: what was wrong
};

class CMessageReader {
public:
    // A header longer than this, or a body announced longer than this, is not waited for.
    static constexpr std::size_t kMaxHeader = 8192;
    static constexpr std::size_t kMaxBody = std::size_t(64) << 20;

    void Feed(std::string_view bytes) { m_buffer.append(bytes); }
    // The next complete message, or nothing until more bytes arrive.
    std::optional<IncomingMessage> Next();

private:
    std::string m_buffer;
};

// One message framed for the stream.
std::string FrameMessage(const nlohmann::json& message);

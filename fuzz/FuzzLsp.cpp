// Fuzz target: arbitrary bytes as the language server's input stream. The reader must
// frame or reject every byte without a crash, in whatever pieces the bytes arrive, and
// the server must answer every request it reads, once, and never crash on what it gets.

#include "FuzzSupport.h"

#include "lsp/LanguageServer.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

[[noreturn]] void Broken(const char* what) {
    std::fprintf(stderr, "language server invariant broken: %s\n", what);
    std::abort();
}

std::vector<IncomingMessage> Read(std::string_view bytes, std::size_t piece) {
    CMessageReader reader;
    std::vector<IncomingMessage> messages;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        reader.Feed(bytes.substr(at, piece));
        while (auto message = reader.Next())
            messages.push_back(std::move(*message));
    }
    return messages;
}

} // namespace

// The scanner's notes on malformed tokens go to standard output, as in the server's
// process they go to standard error: out of the fuzzer's way.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::PrepareProcess();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<IncomingMessage> whole = Read(bytes, bytes.size() + 1);
    const std::vector<IncomingMessage> pieces = Read(bytes, 3);
    if (whole.size() != pieces.size())
        Broken("the framing depends on how the bytes arrive");
    CLanguageServer server;
    server.Handle({IncomingMessage::Kind::Json,
                   {{"jsonrpc", "2.0"}, {"id", 0}, {"method", "initialize"}},
                   {}});
    for (const IncomingMessage& message : whole) {
        if (message.kind != pieces[&message - whole.data()].kind)
            Broken("a message read differently in pieces");
        const std::vector<nlohmann::json> replies = server.Handle(message);
        const bool request = message.kind == IncomingMessage::Kind::Json &&
                             message.body.is_object() && message.body.contains("id") &&
                             message.body.contains("method");
        std::size_t answers = 0;
        for (const nlohmann::json& reply : replies) {
            answers += reply.contains("id") ? 1 : 0;
            FrameMessage(reply);
        }
        if (request && answers != 1)
            Broken("a request without exactly one reply");
        if (server.Exited())
            break;
    }
    return 0;
}

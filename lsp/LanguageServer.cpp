#include "lsp/LanguageServer.h"

#include "lsp/Builtins.h"
#include "syntax/SyntaxScanner.h"
#include "translator/Scanner.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <set>
#include <sstream>

using nlohmann::json;

namespace {

// JSON-RPC error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kServerNotInitialized = -32002;

struct RpcError {
    int code;
    std::string message;
};

json ErrorReply(const json& id, int code, const std::string& message) {
    return {{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}};
}

// Protocol enumerations.
enum SymbolKindCode { kSymClass = 5, kSymVariable = 13, kSymConstant = 14, kSymFunction = 12 };
enum CompletionKindCode {
    kItemFunction = 3,
    kItemVariable = 6,
    kItemClass = 7,
    kItemKeyword = 14,
    kItemConstant = 21
};

// The editors' lexical classes as semantic tokens: each class a type, or a type with a
// modifier where the protocol has no type of its own for it.
const char* const kTokenTypes[] = {"keyword", "number",   "string",
                                   "comment", "operator", "variable"};
const char* const kTokenModifiers[] = {"declaration", "character", "naming", "bracket"};
struct TokenClass {
    int type;
    int modifiers;
};
TokenClass ClassOf(SyntaxKind kind) {
    switch (kind) {
    case SyntaxKind::Keyword:
        return {0, 0};
    case SyntaxKind::Number:
        return {1, 0};
    case SyntaxKind::Character:
        return {2, 1 << 1};
    case SyntaxKind::String:
        return {2, 0};
    case SyntaxKind::Comment:
        return {3, 0};
    case SyntaxKind::NamingArrow:
        return {4, 1 << 2};
    case SyntaxKind::NamedName:
        return {5, 1 << 0};
    case SyntaxKind::Sign:
        return {4, 0};
    case SyntaxKind::Bracket:
        return {4, 1 << 3};
    }
    return {4, 0};
}

json PositionJson(TextPosition position) {
    return {{"line", position.line}, {"character", position.character}};
}

TextPosition PositionFrom(const json& position) {
    return {position.at("line").get<int>(), position.at("character").get<int>()};
}

json RangeJson(const CTextDocument& text, int offset, int length) {
    return {{"start", PositionJson(text.PositionOf(offset))},
            {"end", PositionJson(text.PositionOf(offset + length))}};
}

std::string OverloadLabel(const NameDefinition& definition) {
    if (!definition.overloaded)
        return definition.name;
    std::ostringstream label;
    label << definition.name << '[' << definition.overloadIndex << ']';
    return label.str();
}

// The definition a use stands for first: a definition rather than a declaration.
int PrimaryDefinition(const CProgramIndex& index, const NameUse& use) {
    for (int id : use.definitions) {
        if (index.Definitions()[static_cast<std::size_t>(id)].kind != NameKind::Declaration)
            return id;
    }
    return use.definitions.empty() ? -1 : use.definitions.front();
}

std::string TrimmedUtf8(const CTextDocument& text, int line) {
    std::string utf8 = text.LineUtf8(line);
    const std::size_t begin = utf8.find_first_not_of(" \t");
    const std::size_t end = utf8.find_last_not_of(" \t");
    return begin == std::string::npos ? std::string() : utf8.substr(begin, end - begin + 1);
}

// The "//" lines right above a line, without their slashes, top first.
std::string CommentAbove(const CTextDocument& text, int line) {
    std::vector<std::string> lines;
    for (int above = line - 1; above >= 0; --above) {
        const std::string trimmed = TrimmedUtf8(text, above);
        if (!trimmed.starts_with("//"))
            break;
        lines.push_back(trimmed.substr(trimmed.starts_with("// ") ? 3 : 2));
    }
    std::reverse(lines.begin(), lines.end());
    std::string comment;
    for (const std::string& each : lines)
        comment += (comment.empty() ? "" : "\n") + each;
    return comment;
}

json MarkdownHover(const std::string& markdown) {
    return {{"contents", {{"kind", "markdown"}, {"value", markdown}}}};
}

// The sign or keyword span of a line that covers a column.
std::string LexemeAt(const CTextDocument& text, TextPosition position) {
    LineState state = LineState::Code;
    std::vector<SyntaxSpan> spans;
    for (int line = 0; line <= position.line && line < text.LineCount(); ++line) {
        spans.clear();
        state = ScanSyntaxLine(text.Line(line), state, &spans);
    }
    for (const SyntaxSpan& span : spans) {
        const bool covers =
            span.start <= position.character && position.character <= span.start + span.length;
        const bool builtin = span.kind == SyntaxKind::Keyword || span.kind == SyntaxKind::Sign ||
                             span.kind == SyntaxKind::Bracket;
        if (covers && builtin)
            return Utf16ToUtf8(text.Line(position.line).substr(span.start, span.length));
    }
    return {};
}

} // namespace

std::vector<json> CLanguageServer::Handle(const IncomingMessage& message) {
    if (message.kind != IncomingMessage::Kind::Json)
        return {ErrorReply(nullptr, kParseError, message.error)};
    const json& body = message.body;
    if (!body.is_object() || !body.contains("method") || !body["method"].is_string()) {
        if (body.is_object() && body.contains("id") && !body.contains("method"))
            return {}; // a reply to a request of ours: there are none
        return {ErrorReply(body.is_object() && body.contains("id") ? body["id"] : json(nullptr),
                           kInvalidRequest, "not a request or notification")};
    }
    const std::string method = body["method"].get<std::string>();
    const json params = body.value("params", json::object());
    std::vector<json> out;
    if (!body.contains("id")) {
        try {
            Notification(method, params, out);
        } catch (const json::exception&) {
            // A notification has no reply, not even an error.
        } catch (const RpcError&) {
        }
        return out;
    }
    const json& id = body["id"];
    if (!id.is_number_integer() && !id.is_string())
        return {ErrorReply(nullptr, kInvalidRequest, "bad id")};
    if (!m_bInitialized && method != "initialize")
        return {ErrorReply(id, kServerNotInitialized, "not initialized")};
    if (m_bShutdown)
        return {ErrorReply(id, kInvalidRequest, "the server is shutting down")};
    try {
        out.push_back({{"jsonrpc", "2.0"}, {"id", id}, {"result", Request(method, params)}});
    } catch (const RpcError& error) {
        out.push_back(ErrorReply(id, error.code, error.message));
    } catch (const json::exception& error) {
        out.push_back(ErrorReply(id, kInvalidParams, error.what()));
    }
    return out;
}

json CLanguageServer::Request(const std::string& method, const json& params) {
    if (method == "initialize") {
        m_bInitialized = true;
        return Initialize();
    }
    if (method == "shutdown") {
        m_bShutdown = true;
        return nullptr;
    }
    if (method == "textDocument/documentSymbol")
        return DocumentSymbols(DocumentOf(params));
    if (method == "textDocument/semanticTokens/full")
        return SemanticTokens(DocumentOf(params));
    const bool positional = method == "textDocument/definition" ||
                            method == "textDocument/references" || method == "textDocument/hover" ||
                            method == "textDocument/completion";
    if (!positional)
        throw RpcError{kMethodNotFound, "unknown method " + method};
    const Document& document = DocumentOf(params);
    const TextPosition position = PositionFrom(params.at("position"));
    const int offset = document.text.OffsetOf(position);
    if (method == "textDocument/definition")
        return Definition(document, offset);
    if (method == "textDocument/references") {
        const bool declarations =
            params.contains("context") && params["context"].value("includeDeclaration", false);
        return References(document, offset, declarations);
    }
    if (method == "textDocument/hover")
        return Hover(document, position);
    return Completion(document, offset);
}

void CLanguageServer::Notification(const std::string& method, const json& params,
                                   std::vector<json>& out) {
    if (method == "exit") {
        m_bExited = true;
        return;
    }
    if (!m_bInitialized)
        return;
    std::string uri;
    if (method == "textDocument/didOpen") {
        uri = params.at("textDocument").at("uri").get<std::string>();
        m_documents[uri].uri = uri;
        m_documents[uri].text = CTextDocument(params["textDocument"].at("text").get<std::string>());
    } else if (method == "textDocument/didChange") {
        uri = params.at("textDocument").at("uri").get<std::string>();
        auto found = m_documents.find(uri);
        if (found == m_documents.end())
            return;
        const json& changes = params.at("contentChanges");
        const bool whole = changes.size() == 1 && !changes[0].contains("range");
        if (whole)
            found->second.text = CTextDocument(changes[0].at("text").get<std::string>());
        std::u16string text = whole ? std::u16string() : Utf8ToUtf16(found->second.text.Utf8());
        for (const json& change : whole ? json::array() : changes) {
            if (!change.contains("range")) {
                text = Utf8ToUtf16(change.at("text").get<std::string>());
                continue;
            }
            // A client that sends ranges anyway: apply them to the whole text.
            const CTextDocument current(Utf16ToUtf8(text));
            const auto at = [&](const json& position) {
                const TextPosition p = PositionFrom(position);
                std::size_t index = 0;
                for (int line = 0; line < p.line && line < current.LineCount(); ++line)
                    index = text.find(u'\n', index) + 1;
                return std::min(
                    text.size(),
                    index + static_cast<std::size_t>(std::clamp(
                                p.character, 0, static_cast<int>(current.Line(p.line).size()))));
            };
            const std::size_t start = at(change["range"].at("start"));
            const std::size_t end = std::max(start, at(change["range"].at("end")));
            text.replace(start, end - start, Utf8ToUtf16(change.at("text").get<std::string>()));
        }
        if (!whole)
            found->second.text = CTextDocument(Utf16ToUtf8(text));
    } else if (method == "textDocument/didClose") {
        uri = params.at("textDocument").at("uri").get<std::string>();
        m_documents.erase(uri);
        out.push_back({{"jsonrpc", "2.0"},
                       {"method", "textDocument/publishDiagnostics"},
                       {"params", {{"uri", uri}, {"diagnostics", json::array()}}}});
        return;
    } else {
        return;
    }
    Document& document = m_documents[uri];
    document.outcome = TranslateText(document.text.Cp1251());
    document.index.reset();
    out.push_back({{"jsonrpc", "2.0"},
                   {"method", "textDocument/publishDiagnostics"},
                   {"params", {{"uri", uri}, {"diagnostics", Diagnostics(uri)}}}});
}

json CLanguageServer::Diagnostics(const std::string& uri) const {
    const Document& document = m_documents.at(uri);
    json diagnostics = json::array();
    if (document.outcome.translated)
        return diagnostics;
    const int line = std::clamp(document.outcome.line - 1, 0, document.text.LineCount() - 1);
    const int length = static_cast<int>(document.text.Line(line).size());
    diagnostics.push_back(
        {{"range", {{"start", PositionJson({line, 0})}, {"end", PositionJson({line, length})}}},
         {"severity", 1},
         {"source", "tirvane"},
         {"message", document.outcome.message}});
    return diagnostics;
}

const CLanguageServer::Document& CLanguageServer::DocumentOf(const json& params) const {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    auto found = m_documents.find(uri);
    if (found == m_documents.end())
        throw RpcError{kInvalidParams, "the document is not open: " + uri};
    return found->second;
}

json CLanguageServer::Initialize() const {
    json types = json::array();
    for (const char* type : kTokenTypes)
        types.push_back(type);
    json modifiers = json::array();
    for (const char* modifier : kTokenModifiers)
        modifiers.push_back(modifier);
    return {
        {"capabilities",
         {{"positionEncoding", "utf-16"},
          {"textDocumentSync", {{"openClose", true}, {"change", 1}}},
          {"documentSymbolProvider", true},
          {"definitionProvider", true},
          {"referencesProvider", true},
          {"hoverProvider", true},
          {"completionProvider", json::object()},
          {"semanticTokensProvider",
           {{"legend", {{"tokenTypes", types}, {"tokenModifiers", modifiers}}}, {"full", true}}}}},
        {"serverInfo", {{"name", "tirvane"}}}};
}

json CLanguageServer::DocumentSymbols(const Document& document) const {
    json symbols = json::array();
    for (const NameDefinition& definition : document.Index().Definitions()) {
        if (definition.scope >= 0 || definition.kind == NameKind::Declaration)
            continue;
        const int kind = definition.kind == NameKind::Type       ? kSymClass
                         : definition.kind == NameKind::Constant ? kSymConstant
                                                                 : kSymFunction;
        json symbol = {
            {"name", OverloadLabel(definition)},
            {"kind", kind},
            {"range", RangeJson(document.text, definition.itemStart,
                                definition.itemEnd - definition.itemStart)},
            {"selectionRange", RangeJson(document.text, definition.offset, definition.length)}};
        if (!definition.argument.empty())
            symbol["detail"] = definition.argument;
        symbols.push_back(std::move(symbol));
    }
    return symbols;
}

json CLanguageServer::Definition(const Document& document, int offset) const {
    const NameUse* use = document.Index().UseAt(offset);
    if (use == nullptr || use->definitions.empty())
        return nullptr;
    const auto& definitions = document.Index().Definitions();
    // A declared name goes to its definition; an overloaded one to all its variants.
    json locations = json::array();
    const int primary = PrimaryDefinition(document.Index(), *use);
    for (int id : use->definitions) {
        const NameDefinition& definition = definitions[static_cast<std::size_t>(id)];
        const bool variant = definition.overloaded;
        if (id != primary && !variant)
            continue;
        locations.push_back(
            {{"uri", document.uri},
             {"range", RangeJson(document.text, definition.offset, definition.length)}});
    }
    return locations;
}

json CLanguageServer::References(const Document& document, int offset, bool declarations) const {
    const NameUse* use = document.Index().UseAt(offset);
    json locations = json::array();
    if (use == nullptr || use->definitions.empty())
        return locations;
    for (const NameUse* other : document.Index().SameName(*use)) {
        if (other->isDefinition && !declarations)
            continue;
        locations.push_back({{"uri", document.uri},
                             {"range", RangeJson(document.text, other->offset, other->length)}});
    }
    return locations;
}

json CLanguageServer::Hover(const Document& document, TextPosition position) const {
    const NameUse* use = document.Index().UseAt(document.text.OffsetOf(position));
    if (use != nullptr && !use->definitions.empty()) {
        const NameDefinition& definition = document.index->Definitions()[static_cast<std::size_t>(
            PrimaryDefinition(document.Index(), *use))];
        const int headerOffset =
            definition.keywordOffset >= 0 ? definition.keywordOffset : definition.offset;
        const int headerLine = document.text.PositionOf(headerOffset).line;
        std::string markdown = "```tirvane\n" + TrimmedUtf8(document.text, headerLine) + "\n```";
        if (definition.scope < 0) {
            const std::string comment =
                CommentAbove(document.text, document.text.PositionOf(definition.itemStart).line);
            if (!comment.empty())
                markdown += "\n" + comment;
        }
        return MarkdownHover(markdown);
    }
    const std::string lexeme = LexemeAt(document.text, position);
    const BuiltinRow* row = lexeme.empty() ? nullptr : FindBuiltin(lexeme);
    if (row == nullptr)
        return nullptr;
    const BuiltinTable& table = GuideBuiltins();
    return MarkdownHover("`" + lexeme + "`\n\n" + table.argumentHeading + ": " + row->argument +
                         "\n\n" + table.resultHeading + ": " + row->result);
}

json CLanguageServer::Completion(const Document& document, int offset) const {
    json items = json::array();
    std::set<std::string> seen;
    for (int id : document.Index().VisibleAt(offset)) {
        const NameDefinition& definition =
            document.Index().Definitions()[static_cast<std::size_t>(id)];
        if (!seen.insert(definition.name).second)
            continue;
        const int kind =
            definition.kind == NameKind::Function || definition.kind == NameKind::Declaration
                ? kItemFunction
            : definition.kind == NameKind::Type     ? kItemClass
            : definition.kind == NameKind::Constant ? kItemConstant
                                                    : kItemVariable;
        items.push_back({{"label", definition.name}, {"kind", kind}});
    }
    for (const KeywordEntry& keyword : g_aKeywords) {
        json item = {{"label", keyword.name}, {"kind", kItemKeyword}};
        if (const BuiltinRow* row = FindBuiltin(keyword.name))
            item["detail"] = row->result;
        items.push_back(std::move(item));
    }
    return items;
}

json CLanguageServer::SemanticTokens(const Document& document) const {
    json data = json::array();
    LineState state = LineState::Code;
    std::vector<SyntaxSpan> spans;
    int previousLine = 0;
    int previousStart = 0;
    for (int line = 0; line < document.text.LineCount(); ++line) {
        spans.clear();
        state = ScanSyntaxLine(document.text.Line(line), state, &spans);
        for (const SyntaxSpan& span : spans) {
            const TokenClass token = ClassOf(span.kind);
            const int deltaLine = line - previousLine;
            data.push_back(deltaLine);
            data.push_back(deltaLine == 0 ? span.start - previousStart : span.start);
            data.push_back(span.length);
            data.push_back(token.type);
            data.push_back(token.modifiers);
            previousLine = line;
            previousStart = span.start;
        }
    }
    return {{"data", data}};
}

int RunLanguageServer(int inFd, int outFd) {
    CLanguageServer server;
    CMessageReader reader;
    char chunk[65536];
    const auto send = [outFd](const std::string& bytes) {
        for (std::size_t sent = 0; sent < bytes.size();) {
            const ssize_t n = ::write(outFd, bytes.data() + sent, bytes.size() - sent);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            sent += static_cast<std::size_t>(n);
        }
        return true;
    };
    for (;;) {
        const ssize_t n = ::read(inFd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return server.ExitCode() == 0 ? 0 : 1;
        reader.Feed(std::string_view(chunk, static_cast<std::size_t>(n)));
        while (std::optional<IncomingMessage> message = reader.Next()) {
            for (const json& reply : server.Handle(*message)) {
                if (!send(FrameMessage(reply)))
                    return 1;
            }
            if (server.Exited())
                return server.ExitCode();
        }
    }
}

// The language server's handlers, driven through CLanguageServer::Handle as a client
// would, and its message reader on streams cut at awkward places.

#include "lsp/LanguageServer.h"
#include "lsp/Builtins.h"

#include <gtest/gtest.h>

using nlohmann::json;

namespace {

const char* const kUri = "file:///program.tvn";

// "n" after a Cyrillic string and a character outside the Basic Multilingual Plane in a
// comment: columns are UTF-16 units. The error is on line 7; everything before and after
// it is still indexed.
const char* const kProgram = R"(// Квадрат числа.
funcdef x { (x, x) : * >> return } >> square
size[2] << funcdef x { (x, 100) : >= >> big ; "большое" : big >> return }
size[1] << funcdef x { (x, 10) : < >> small ; "малое" : small >> return }
/* 😀 */ funcdef s { "строка" : | >> n ; (n, n) : * >> return } >> count
const (low << 1, high << 10) >> bounds
funcdef { 2 : missing >> return } >> broken
funcdef y { y : square : size >> return } >> after
)";

class ServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        Send(Request("initialize", json::object()));
        Open(kProgram);
    }

    static json Request(const std::string& method, json params) {
        return {{"jsonrpc", "2.0"}, {"id", ++s_id}, {"method", method}, {"params", params}};
    }
    static json Notification(const std::string& method, json params) {
        return {{"jsonrpc", "2.0"}, {"method", method}, {"params", params}};
    }
    std::vector<json> Send(const json& message) {
        return server.Handle({IncomingMessage::Kind::Json, message, {}});
    }
    // The result of a request about the document at a position.
    json At(const std::string& method, int line, int character) {
        json params = {{"textDocument", {{"uri", kUri}}},
                       {"position", {{"line", line}, {"character", character}}},
                       {"context", {{"includeDeclaration", true}}}};
        return Send(Request(method, params)).at(0).at("result");
    }
    json Open(const std::string& text) {
        return Send(Notification("textDocument/didOpen", {{"textDocument",
                                                           {{"uri", kUri},
                                                            {"languageId", "tirvane"},
                                                            {"version", 1},
                                                            {"text", text}}}}))
            .at(0)["params"]["diagnostics"];
    }

    static inline int s_id = 0;
    CLanguageServer server;
};

// Clients may send ranges even when the server asks for whole texts: the error on line 7
// is mended, and renaming "n" after the surrogate pair on line 5 makes its uses unknown. A
// whole text that translates clears the diagnostics.
TEST_F(ServerTest, DiagnosticsNameTheReportLineAndFollowWholeAndRangedChanges) {
    const json diagnostics = Open(kProgram);
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(diagnostics[0]["range"]["start"]["line"], 6);
    EXPECT_EQ(diagnostics[0]["message"],
              "Ошибка в строке 7 : Неизвестный идентификатор : \"missing\"");
    const auto change = [this](int version, const json& changes) {
        return Send(Notification("textDocument/didChange",
                                 {{"textDocument", {{"uri", kUri}, {"version", version}}},
                                  {"contentChanges", changes}}))
            .at(0)["params"]["diagnostics"];
    };
    const auto range = [](int line, int from, int to) {
        return json{{"start", {{"line", line}, {"character", from}}},
                    {"end", {{"line", line}, {"character", to}}}};
    };
    const json ranged = change(2, json::array({{{"range", range(6, 14, 21)}, {"text", "square"}},
                                               {{"range", range(4, 37, 38)}, {"text", "m"}}}));
    ASSERT_EQ(ranged.size(), 1u) << ranged;
    EXPECT_EQ(ranged[0]["message"], "Ошибка в строке 5 : Неизвестный идентификатор : \"n\"");
    std::string fixed = kProgram;
    fixed.replace(fixed.find("missing"), 7, "square");
    const json whole = change(3, json::array({{{"text", fixed}}}));
    EXPECT_TRUE(whole.empty()) << whole;
}

TEST_F(ServerTest, SemanticTokensCarryTheEditorsLexicalClasses) {
    Open("f << funcdef x { \"ab\" : | >> n ; 'c' >> return } // note");
    const json legend = Send(Request("initialize", json::object()))
                            .at(0)["result"]["capabilities"]["semanticTokensProvider"]["legend"];
    const json data =
        Send(Request("textDocument/semanticTokens/full", {{"textDocument", {{"uri", kUri}}}}))
            .at(0)["result"]["data"];
    std::vector<std::string> tokens;
    int character = 0;
    for (std::size_t i = 0; i + 4 < data.size(); i += 5) {
        character = (data[i] == 0 ? character : 0) + data[i + 1].get<int>();
        std::string token = std::to_string(character) + " " +
                            legend["tokenTypes"][data[i + 3].get<int>()].get<std::string>();
        for (std::size_t bit = 0; bit < legend["tokenModifiers"].size(); ++bit) {
            if ((data[i + 4].get<int>() >> bit) & 1)
                token += "." + legend["tokenModifiers"][bit].get<std::string>();
        }
        tokens.push_back(token);
    }
    EXPECT_EQ(tokens, (std::vector<std::string>{"0 variable.declaration", "2 operator.naming",
                                                "5 keyword", "15 operator.bracket", "17 string",
                                                "22 operator", "24 operator", "26 operator.naming",
                                                "29 variable.declaration", "33 string.character",
                                                "37 operator.naming", "40 variable.declaration",
                                                "47 operator.bracket", "49 comment"}));
}

TEST_F(ServerTest, NamesLeadToTheirDefinitionsAndReferences) {
    struct Case {
        int line, character; // a use
        std::vector<std::pair<int, int>> definitions;
    } cases[] = {
        {4, 42, {{4, 37}}},        // "n" after a Cyrillic string and a surrogate pair
        {2, 24, {{2, 19}}},        // the argument
        {7, 17, {{1, 38}}},        // a function used after the error
        {7, 26, {{2, 0}, {3, 0}}}, // an overloaded name: every variant
        {2, 58, {{2, 40}}},        // a local name given by ">>"
        {5, 7, {{5, 7}}},          // a constant named inside a constant list
        {7, 44, {}},               // no name there
    };
    for (const Case& c : cases) {
        const json result = At("textDocument/definition", c.line, c.character);
        std::vector<std::pair<int, int>> found;
        for (const json& location : result.is_array() ? result : json::array())
            found.emplace_back(location["range"]["start"]["line"],
                               location["range"]["start"]["character"]);
        EXPECT_EQ(found, c.definitions) << c.line << ":" << c.character << " " << result;
    }
    // The references of "square": its definition and its use.
    std::vector<int> lines;
    for (const json& location : At("textDocument/references", 1, 40))
        lines.push_back(location["range"]["start"]["line"]);
    EXPECT_EQ(lines, (std::vector<int>{1, 7}));
}

TEST_F(ServerTest, HoverShowsAFunctionsHeaderAndCommentOrABuiltinsRowOfTheGuide) {
    const std::string function = At("textDocument/hover", 7, 19)["contents"]["value"];
    EXPECT_NE(function.find("funcdef x { (x, x) : * >> return } >> square"), std::string::npos);
    EXPECT_NE(function.find("Квадрат числа."), std::string::npos) << function;

    struct Case {
        int line, character;
        const char* builtin; // the guide's row it must show, or null for no hover
    } cases[] = {{2, 35, ">="}, {4, 32, "|"}, {3, 33, "<"}, {1, 21, "*"}, {7, 0, "funcdef"}};
    for (const Case& c : cases) {
        const json hover = At("textDocument/hover", c.line, c.character);
        const BuiltinRow* row = FindBuiltin(c.builtin);
        if (row == nullptr) {
            EXPECT_TRUE(hover.is_null()) << c.builtin << hover;
            continue;
        }
        const std::string text = hover["contents"]["value"];
        EXPECT_NE(text.find(row->result), std::string::npos) << c.builtin << ": " << text;
    }
}

TEST(BuiltinTableTest, TheGuidesTableCoversEverySignAndKeywordFunction) {
    for (const char* name : {"+",        "-",    "*",       "/",     "%",      "<",     ">",
                             "=<",       "<=",   ">=",      "=>",    "=",      "!=",    "()",
                             "datalist", "[]",   "parlist", ".",     "..",     "|",     "#",
                             "?",        "dup",  "true",    "false", "int",    "float", "bool",
                             "char",     "type", "value",   "in",    "signal", "out",   "{}"})
        EXPECT_NE(FindBuiltin(name), nullptr) << name;
    EXPECT_EQ(FindBuiltin("<="), FindBuiltin("=<"));
    EXPECT_EQ(FindBuiltin("funcdef"), nullptr);
    const BuiltinTable table =
        ParseBuiltinTable("text\n\n| f | a | r |\n|---|---|---|\n"
                          "| `x y`, <code>&#124;</code> | one &#124; two | r |\n"
                          "| plain | - | - |\n\n| `later` | a | r |\n");
    ASSERT_EQ(table.rows.size(), 1u);
    EXPECT_EQ(table.rows[0].names, (std::vector<std::string>{"x", "y", "|"}));
    EXPECT_EQ(table.rows[0].argument, "one | two");
}

// The scanner cannot get past an apostrophe at the very end; the index must still end.
TEST_F(ServerTest, OutlineAndCompletionKeepWorkingPastTheError) {
    const auto symbols = [this] {
        std::vector<std::string> names;
        // The reply is kept: a range over a member of a temporary would dangle.
        const json reply =
            Send(Request("textDocument/documentSymbol", {{"textDocument", {{"uri", kUri}}}})).at(0);
        for (const json& symbol : reply.at("result"))
            names.push_back(symbol["name"]);
        return names;
    };
    EXPECT_EQ(symbols(), (std::vector<std::string>{"square", "size[2]", "size[1]", "count", "low",
                                                   "high", "bounds", "broken", "after"}));
    std::vector<std::string> labels;
    for (const json& item : At("textDocument/completion", 4, 49))
        labels.push_back(item["label"]);
    for (const char* visible : {"n", "s", "square", "size"})
        EXPECT_NE(std::find(labels.begin(), labels.end(), visible), labels.end()) << visible;
    for (const char* hidden : {"big", "bounds", "after"})
        EXPECT_EQ(std::find(labels.begin(), labels.end(), hidden), labels.end()) << hidden;
    Open("funcdef x { x >> return } >> f\n'");
    EXPECT_EQ(symbols(), std::vector<std::string>{"f"});
}

TEST_F(ServerTest, ProtocolErrorsGetRepliesAndShutdownDecidesTheExitCode) {
    CLanguageServer fresh;
    EXPECT_EQ(fresh.Handle({IncomingMessage::Kind::Json, Request("textDocument/hover", {}), {}})
                  .at(0)["error"]["code"],
              -32002);
    EXPECT_EQ(Send(Request("no/such", json::object())).at(0)["error"]["code"], -32601);
    EXPECT_EQ(Send(Request("textDocument/hover", {{"textDocument", {{"uri", kUri}}}}))
                  .at(0)["error"]["code"],
              -32602);
    EXPECT_EQ(Send({{"jsonrpc", "2.0"}, {"id", 1}}).size(), 0u);
    EXPECT_EQ(server.Handle({IncomingMessage::Kind::BadJson, {}, "x"}).at(0)["error"]["code"],
              -32700);
    Send(Request("shutdown", nullptr));
    EXPECT_EQ(Send(Request("initialize", json::object())).at(0)["error"]["code"], -32600);
    Send(Notification("exit", nullptr));
    EXPECT_TRUE(server.Exited());
    EXPECT_EQ(server.ExitCode(), 0);
    fresh.Handle({IncomingMessage::Kind::Json, Notification("exit", nullptr), {}});
    EXPECT_EQ(fresh.ExitCode(), 1);
}

TEST(MessageReaderTest, FramesSplitAnywhereAndBadOnesAreSkipped) {
    const std::string good = FrameMessage({{"id", 1}});
    using Kind = IncomingMessage::Kind;
    struct Case {
        std::string stream;
        std::vector<Kind> kinds;
    } cases[] = {
        {good + good, {Kind::Json, Kind::Json}},
        {"content-length:  8 \r\nContent-Type: x\r\n\r\n{\"id\":1}", {Kind::Json}},
        {"Content-Length: 3\r\n\r\n{{{" + good, {Kind::BadJson, Kind::Json}},
        {"Content-Length: x1\r\n\r\n" + good, {Kind::BadHeader, Kind::Json}},
        {"no colon\r\n\r\n" + good, {Kind::BadHeader, Kind::Json}},
        {"Content-Length: 99999999999\r\n\r\n" + good, {Kind::BadHeader, Kind::Json}},
        {std::string(CMessageReader::kMaxHeader + 1, 'x'), {Kind::BadHeader}},
        {"Content-Length: 100\r\n\r\n{}", {}}, // waits for the rest
    };
    for (const Case& c : cases) {
        for (std::size_t piece : {c.stream.size(), std::size_t(1), std::size_t(7)}) {
            CMessageReader reader;
            std::vector<Kind> kinds;
            for (std::size_t at = 0; at < c.stream.size(); at += piece) {
                reader.Feed(std::string_view(c.stream).substr(at, piece));
                while (auto message = reader.Next())
                    kinds.push_back(message->kind);
            }
            EXPECT_EQ(kinds, c.kinds) << c.stream.substr(0, 40) << " in pieces of " << piece;
        }
    }
}

} // namespace

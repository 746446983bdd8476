#include "lsp/ProgramIndex.h"

#include "lsp/TextScanner.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace {

// A token's text is read from the program text when needed: names are contiguous there.
struct IndexToken {
    int code;
    int offset;
    int end;
};

// The translator's scanner over a text in memory, noting where each token begins.
class CPositionScanner : public CTextScanner {
public:
    explicit CPositionScanner(std::string_view text) : CTextScanner(text) {}

    std::vector<IndexToken> Tokens() {
        std::vector<IndexToken> tokens;
        tokens.reserve(m_text.size() / 4);
        Open(nullptr);
        Token tok{};
        do {
            const std::size_t before = TextPosition();
            NextToken(tok);
            // A malformed token the scanner cannot get past (an apostrophe at the very end)
            // ends the text, as it ends a translation.
            if (tok.code == kTokNothing && TextPosition() == before)
                tok.code = kTokEnd;
            const int end = current == kEndOfText ? static_cast<int>(m_text.size())
                                                  : static_cast<int>(CurrentOffset());
            const int start = std::min(static_cast<int>(TokenStart()), end);
            const int length = static_cast<int>(std::strlen(tok.text));
            // A name's end is its text's; other tokens may take a blank after them.
            tokens.push_back({tok.code, start, tok.code == kTokIdentifier ? start + length : end});
        } while (tok.code != kTokEnd);
        return tokens;
    }
};

// A name and an adjacent naming arrow make one token, as the translator reads them.
std::vector<IndexToken> MergeNamings(const std::vector<IndexToken>& raw) {
    std::vector<IndexToken> merged;
    merged.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const bool hasNext = i + 1 < raw.size();
        if (hasNext && raw[i].code == kTokIdentifier && raw[i + 1].code == kTokLeftArrow) {
            merged.push_back(raw[i]);
            merged.back().code = kTokLeftNaming;
            ++i;
        } else if (hasNext && raw[i].code == kTokRightArrow && raw[i + 1].code == kTokIdentifier) {
            merged.push_back(raw[i + 1]);
            merged.back().code = kTokRightNaming;
            ++i;
        } else {
            merged.push_back(raw[i]);
        }
    }
    return merged;
}

bool StartsItem(int code) {
    return code == kKwFuncdef || code == kKwTypedef || code == kKwConst || code == kKwPrefunc;
}

int Closer(int opener) {
    switch (opener) {
    case kTokLParen:
        return kTokRParen;
    case kTokLBracket:
        return kTokRBracket;
    default:
        return kTokRBrace;
    }
}

} // namespace

// Walks the tokens once, item by item, keeping the tables the translator keeps while it
// reads: so a name is looked up among what is defined before it, in the translator's order.
class CIndexBuilder {
public:
    CIndexBuilder(CProgramIndex& index, std::string_view text, std::vector<IndexToken> tokens)
        : m_index(index), m_text(text), m_tokens(std::move(tokens)) {}

    void Build() {
        m_index.m_definitions.reserve(m_tokens.size() / 4);
        m_index.m_uses.reserve(m_tokens.size() / 2);
        while (Tok().code != kTokEnd)
            Item();
        for (const auto& [use, table, name] : m_deferred) {
            std::vector<int> found = LookUpModule(name, table);
            m_index.m_uses[use].definitions = found;
        }
        std::stable_sort(m_index.m_uses.begin(), m_index.m_uses.end(),
                         [](const NameUse& a, const NameUse& b) { return a.offset < b.offset; });
    }

private:
    enum Table { kFunctions, kOverloads, kTypes, kConstants, kAnyModule };
    using NameTable = std::map<std::string, std::vector<int>>;

    struct Head {
        IndexToken token;
        bool overloaded;
        float index;
    };
    struct Frame {
        int closer;
        int scope; // the scope this frame opens, or -1 for a list
        std::vector<IndexToken> pending;
    };

    const IndexToken& Tok() const { return m_tokens[std::min(m_at, m_tokens.size() - 1)]; }
    const IndexToken& Peek(std::size_t ahead) const {
        return m_tokens[std::min(m_at + ahead, m_tokens.size() - 1)];
    }
    void Next() {
        if (m_at < m_tokens.size() - 1) {
            m_lastEnd = Tok().end;
            ++m_at;
        }
    }

    int Define(const IndexToken& token, NameKind kind, int scope) {
        NameDefinition definition{};
        definition.name = Text(token);
        definition.kind = kind;
        definition.offset = definition.itemStart = token.offset;
        definition.length = token.end - token.offset;
        definition.itemEnd = token.end;
        definition.scope = scope;
        m_index.m_definitions.push_back(definition);
        const int id = static_cast<int>(m_index.m_definitions.size()) - 1;
        m_index.m_uses.push_back({token.offset, token.end - token.offset, {id}, true});
        return id;
    }

    void Use(const IndexToken& token, std::vector<int> definitions) {
        m_index.m_uses.push_back(
            {token.offset, token.end - token.offset, std::move(definitions), false});
    }
    void UseOfModule(const IndexToken& token, Table table) {
        Use(token, {});
        m_deferred.push_back({m_index.m_uses.size() - 1, table, Text(token)});
    }

    std::vector<int> LookUpModule(const std::string& name, Table table) const {
        const Table order[] = {kFunctions, kOverloads, kTypes, kConstants};
        for (Table each : order) {
            if (table != kAnyModule && table != each)
                continue;
            const NameTable& names = m_tables[each];
            if (auto it = names.find(name); it != names.end())
                return it->second;
        }
        return {};
    }

    // ":" name  ->  the enclosing parameter, a function, a name of the item being defined,
    // an overloaded function, a type, a local name of an enclosing scope, a constant.
    void Resolve(const IndexToken& token, int scope) {
        const std::string name = Text(token);
        if (m_argument >= 0 && m_index.m_definitions[m_argument].name == name)
            return Use(token, {m_argument});
        if (m_tables[kFunctions].count(name) != 0)
            return UseOfModule(token, kFunctions);
        for (int id : m_pending) {
            if (m_index.m_definitions[id].name == name)
                return Use(token, {id});
        }
        if (m_tables[kOverloads].count(name) != 0)
            return UseOfModule(token, kOverloads);
        if (m_tables[kTypes].count(name) != 0)
            return UseOfModule(token, kTypes);
        for (int s = scope; s >= 0; s = m_index.m_scopes[s].parent) {
            const NameTable& locals = m_locals[s];
            if (auto it = locals.find(name); it != locals.end())
                return Use(token, it->second);
        }
        if (m_tables[kConstants].count(name) != 0)
            return UseOfModule(token, kConstants);
        Use(token, {});
    }

    // Left names with their overload indexes: name "<<" or name "[" index "]" "<<".
    std::vector<Head> Heads() {
        std::vector<Head> heads;
        for (;;) {
            if (Tok().code == kTokLeftNaming) {
                heads.push_back({Tok(), false, 0});
                Next();
                continue;
            }
            if (Tok().code != kTokIdentifier)
                return heads;
            if (Peek(1).code == kTokEmptyPar && Peek(2).code == kTokLeftArrow) {
                heads.push_back({Tok(), true, 0});
                Next(), Next(), Next();
            } else if (Peek(1).code == kTokLBracket &&
                       (Peek(2).code == kTokInteger || Peek(2).code == kTokReal) &&
                       Peek(3).code == kTokRBracket && Peek(4).code == kTokLeftArrow) {
                heads.push_back(
                    {Tok(), true, static_cast<float>(std::atof(Text(Peek(2)).c_str()))});
                for (int i = 0; i < 5; ++i)
                    Next();
            } else {
                return heads;
            }
        }
    }

    void Item() {
        const int start = Tok().offset;
        std::vector<Head> heads = Heads();
        const int keyword = Tok().code;
        const int keywordOffset = Tok().offset;
        if (!StartsItem(keyword)) {
            if (heads.empty())
                Next(); // a token no item begins with
            for (const Head& head : heads)
                Define(head.token, NameKind::Function, -1);
            return;
        }
        const NameKind kind = keyword == kKwTypedef   ? NameKind::Type
                              : keyword == kKwConst   ? NameKind::Constant
                              : keyword == kKwPrefunc ? NameKind::Declaration
                                                      : NameKind::Function;
        std::vector<int> names;
        for (const Head& head : heads) {
            names.push_back(Define(head.token, kind, -1));
            m_index.m_definitions[names.back()].overloaded = head.overloaded;
            m_index.m_definitions[names.back()].overloadIndex = head.index;
        }
        Next();
        std::string argument;
        if (keyword == kKwFuncdef || keyword == kKwTypedef) {
            m_pending = names;
            if (Tok().code == kTokIdentifier) {
                argument = Text(Tok());
                m_argumentToken = Tok();
                Next();
            }
            if (Tok().code == kTokLBrace)
                Body(argument.empty() ? nullptr : &m_argumentToken);
            m_pending.clear();
            m_argument = -1;
        } else if (keyword == kKwConst) {
            ConstantExpression();
        }
        while (Tok().code == kTokRightNaming) {
            names.push_back(Define(Tok(), kind, -1));
            Next();
        }
        for (int id : names) {
            NameDefinition& definition = m_index.m_definitions[id];
            definition.itemStart = start;
            definition.itemEnd = std::max(m_lastEnd, start);
            definition.argument = argument;
            if (keyword == kKwFuncdef || keyword == kKwTypedef)
                definition.keywordOffset = keywordOffset;
            const Table table = kind == NameKind::Type       ? kTypes
                                : kind == NameKind::Constant ? kConstants
                                : definition.overloaded      ? kOverloads
                                                             : kFunctions;
            m_tables[table][definition.name].push_back(id);
        }
    }

    int NewScope(int start, int parent) {
        m_index.m_scopes.push_back({start, start, parent, m_argument});
        m_locals.emplace_back();
        return static_cast<int>(m_index.m_scopes.size()) - 1;
    }

    int Innermost(const std::vector<Frame>& frames) const {
        for (auto it = frames.rbegin(); it != frames.rend(); ++it) {
            if (it->scope >= 0)
                return it->scope;
        }
        return -1;
    }

    void DefineLocal(const IndexToken& token, int scope) {
        const int id = Define(token, NameKind::Local, scope);
        m_locals[scope][Text(token)].push_back(id);
    }

    // A left name is defined when its expression ends.
    void FlushPending(std::vector<Frame>& frames) {
        const int scope = Innermost(frames);
        for (const IndexToken& token : frames.back().pending)
            DefineLocal(token, scope);
        frames.back().pending.clear();
    }

    // From the opening brace of a function or type to its closing one. A keyword that
    // begins an item ends a body left open.
    void Body(const IndexToken* argument) {
        const int scope = NewScope(Tok().offset, -1);
        if (argument != nullptr) {
            m_argument = Define(*argument, NameKind::Argument, scope);
            m_index.m_scopes[scope].argument = m_argument;
        }
        Next();
        std::vector<Frame> frames{{kTokRBrace, scope, {}}};
        while (!frames.empty()) {
            const IndexToken& token = Tok();
            if (token.code == kTokEnd || StartsItem(token.code)) {
                while (!frames.empty())
                    Close(frames, token.offset);
                return;
            }
            switch (token.code) {
            case kTokIdentifier:
                Resolve(token, Innermost(frames));
                break;
            case kTokLeftNaming:
                frames.back().pending.push_back(token);
                break;
            case kTokRightNaming:
                FlushPending(frames);
                DefineLocal(token, Innermost(frames));
                break;
            case kTokSemicolon:
            case kTokComma:
                FlushPending(frames);
                break;
            case kTokLParen:
            case kTokLBracket:
            case kTokLBrace:
                frames.push_back({Closer(token.code), -1, {}});
                break;
            case kKwBlock:
                if (Peek(1).code == kTokLBrace) {
                    Next();
                    frames.push_back({kTokRBrace, NewScope(Tok().offset, Innermost(frames)), {}});
                }
                break;
            case kTokRParen:
            case kTokRBracket:
            case kTokRBrace: {
                const auto match =
                    std::find_if(frames.rbegin(), frames.rend(),
                                 [&](const Frame& frame) { return frame.closer == token.code; });
                if (match == frames.rend())
                    break; // a stray closing bracket
                const std::size_t keep = frames.size() - 1 - (match - frames.rbegin());
                while (frames.size() > keep)
                    Close(frames, token.offset);
                break;
            }
            default:
                break;
            }
            Next();
        }
    }

    void Close(std::vector<Frame>& frames, int at) {
        FlushPending(frames);
        if (frames.back().scope >= 0)
            m_index.m_scopes[frames.back().scope].end = at;
        frames.pop_back();
    }

    // Names in a constant are looked up when it is computed, among all top-level names;
    // names given inside its lists are constants too.
    void ConstantExpression() {
        int depth = 0;
        for (;;) {
            const IndexToken& token = Tok();
            const bool opens = token.code == kTokLParen || token.code == kTokLBracket;
            const bool closes = token.code == kTokRParen || token.code == kTokRBracket;
            if (token.code == kTokEnd || StartsItem(token.code) || token.code == kTokLBrace ||
                token.code == kTokRBrace)
                return;
            if (depth == 0 && (token.code == kTokRightNaming || token.code == kTokSemicolon ||
                               token.code == kTokLeftNaming || closes))
                return;
            if (token.code == kTokIdentifier) {
                UseOfModule(token, kAnyModule);
            } else if (token.code == kTokLeftNaming || token.code == kTokRightNaming) {
                const int id = Define(token, NameKind::Constant, -1);
                m_tables[kConstants][Text(token)].push_back(id);
            }
            depth += opens ? 1 : closes ? -1 : 0;
            Next();
        }
    }

    std::string Text(const IndexToken& token) const {
        return std::string(m_text.substr(static_cast<std::size_t>(token.offset),
                                         static_cast<std::size_t>(token.end - token.offset)));
    }

    CProgramIndex& m_index;
    std::string_view m_text;
    std::vector<IndexToken> m_tokens;
    std::size_t m_at = 0;
    int m_lastEnd = 0;
    NameTable m_tables[4];
    std::vector<NameTable> m_locals; // per scope
    std::vector<int> m_pending;      // left names of the item being read
    int m_argument = -1;
    IndexToken m_argumentToken{};
    struct Deferred {
        std::size_t use;
        Table table;
        std::string name;
    };
    std::vector<Deferred> m_deferred;
};

CProgramIndex::CProgramIndex(std::string_view cp1251) {
    CPositionScanner scanner(cp1251);
    CIndexBuilder(*this, cp1251, MergeNamings(scanner.Tokens())).Build();
}

const NameUse* CProgramIndex::UseAt(int offset) const {
    auto it = std::upper_bound(m_uses.begin(), m_uses.end(), offset,
                               [](int at, const NameUse& use) { return at < use.offset; });
    if (it == m_uses.begin())
        return nullptr;
    --it;
    return offset <= it->offset + it->length ? &*it : nullptr;
}

std::vector<const NameUse*> CProgramIndex::SameName(const NameUse& use) const {
    std::vector<const NameUse*> same;
    for (const NameUse& other : m_uses) {
        const bool shared =
            std::any_of(other.definitions.begin(), other.definitions.end(), [&](int id) {
                return std::find(use.definitions.begin(), use.definitions.end(), id) !=
                       use.definitions.end();
            });
        if (shared)
            same.push_back(&other);
    }
    return same;
}

std::vector<int> CProgramIndex::VisibleAt(int offset) const {
    int scope = -1;
    for (int s = 0; s < static_cast<int>(m_scopes.size()); ++s) {
        const NameScope& candidate = m_scopes[static_cast<std::size_t>(s)];
        if (candidate.start < offset && offset <= candidate.end)
            scope = s; // scopes are numbered outside in, so the last one is the innermost
    }
    std::vector<int> visible;
    for (int s = scope; s >= 0; s = m_scopes[static_cast<std::size_t>(s)].parent) {
        for (int id = 0; id < static_cast<int>(m_definitions.size()); ++id) {
            const NameDefinition& definition = m_definitions[static_cast<std::size_t>(id)];
            if (definition.scope == s && definition.offset < offset)
                visible.push_back(id);
        }
    }
    for (int id = 0; id < static_cast<int>(m_definitions.size()); ++id) {
        const NameDefinition& definition = m_definitions[static_cast<std::size_t>(id)];
        if (definition.scope < 0 && definition.offset < offset)
            visible.push_back(id);
    }
    return visible;
}

#pragma once
// What the names of a program are: each definition (function, type, constant, declaration,
// argument, local name) and each use, with the definitions it refers to. Built from the
// translator's scanner and the translator's rules of visibility, but tolerant: it goes on
// past a syntax error, so that an editor keeps its outline while the text is being typed.
// Offsets are those of the Windows-1251 text.

#include <string>
#include <string_view>
#include <vector>

enum class NameKind { Function, Declaration, Type, Constant, Argument, Local };

struct NameDefinition {
    std::string name;
    NameKind kind;
    int offset; // the name where it is defined
    int length;
    int itemStart; // the whole definition: for top-level names the item, else the name
    int itemEnd;
    int keywordOffset = -1; // "funcdef" or "typedef" of a function or type, else -1
    int scope = -1;         // index into scopes, -1 for the module
    bool overloaded = false;
    float overloadIndex = 0;
    std::string argument; // the parameter of a function or type
};

struct NameUse {
    int offset;
    int length;
    std::vector<int> definitions; // empty: unknown name
    bool isDefinition;            // the occurrence is itself a definition
};

struct NameScope {
    int start; // offsets of the braces
    int end;
    int parent;   // -1: a top-level function or type body
    int argument; // the definition of the enclosing top-level parameter, or -1
};

class CProgramIndex {
public:
    explicit CProgramIndex(std::string_view cp1251);

    const std::vector<NameDefinition>& Definitions() const { return m_definitions; }
    const std::vector<NameUse>& Uses() const { return m_uses; }
    const std::vector<NameScope>& Scopes() const { return m_scopes; }

    // The occurrence of a name that covers offset (its end included), or null.
    const NameUse* UseAt(int offset) const;
    // All occurrences that refer to one of the definitions of use.
    std::vector<const NameUse*> SameName(const NameUse& use) const;
    // The definitions a use at offset could refer to: visible there, in the order of
    // lookup (so shadowed ones too).
    std::vector<int> VisibleAt(int offset) const;

    friend class CIndexBuilder;

private:
    std::vector<NameDefinition> m_definitions;
    std::vector<NameUse> m_uses; // in text order
    std::vector<NameScope> m_scopes;
};

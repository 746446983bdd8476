#pragma once
// The Language Server Protocol over the core: diagnostics from the translator, names from
// the program index, colours from the editors' line scanner, hover texts from the guide.
// One thread; documents are kept whole (full-text synchronisation).

#include "lsp/Diagnosis.h"
#include "lsp/MessageReader.h"
#include "lsp/ProgramIndex.h"
#include "lsp/TextDocument.h"

#include <nlohmann/json.hpp>

#include <map>
#include <memory>
#include <string>
#include <vector>

class CLanguageServer {
public:
    // Handles one message from the client; returns what to send back, in order.
    std::vector<nlohmann::json> Handle(const IncomingMessage& message);

    bool Exited() const { return m_bExited; }
    // The process's exit code once exited: 0 after a shutdown request, else 1.
    int ExitCode() const { return m_bShutdown ? 0 : 1; }

private:
    // The index is made when a request first needs it, so that the diagnostics of a change
    // wait for the translation only.
    struct Document {
        std::string uri;
        CTextDocument text;
        TranslationOutcome outcome;
        const CProgramIndex& Index() const {
            if (!index)
                index = std::make_unique<CProgramIndex>(text.Cp1251());
            return *index;
        }
        mutable std::unique_ptr<CProgramIndex> index;
    };

    nlohmann::json Request(const std::string& method, const nlohmann::json& params);
    void Notification(const std::string& method, const nlohmann::json& params,
                      std::vector<nlohmann::json>& out);
    nlohmann::json Diagnostics(const std::string& uri) const;
    const Document& DocumentOf(const nlohmann::json& params) const;

    nlohmann::json Initialize() const;
    nlohmann::json DocumentSymbols(const Document& document) const;
    nlohmann::json Definition(const Document& document, int offset) const;
    nlohmann::json References(const Document& document, int offset, bool declarations) const;
    nlohmann::json Hover(const Document& document, TextPosition position) const;
    nlohmann::json Completion(const Document& document, int offset) const;
    nlohmann::json SemanticTokens(const Document& document) const;

    std::map<std::string, Document> m_documents;
    bool m_bInitialized = false;
    bool m_bShutdown = false;
    bool m_bExited = false;
};

// Reads messages from inFd and writes replies to outFd until "exit" or the end of input;
// returns the exit code.
int RunLanguageServer(int inFd, int outFd);

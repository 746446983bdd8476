// Evaluation above single operations: expressions apply their terms left to right,
// identifiers resolve, functions yield "return" and blocks "break".

#include "interpreter/DebugControl.h"
#include "interpreter/Interpreter.h"
#include "interpreter/StackGuard.h"
#include "interpreter/Value.h"
#include "model/Scope.h"
#include "model/Terms.h"
#include "output/Encoding.h"
#include "output/OutputSink.h"
#include "translator/Exeption.h"

#include <cstdio>

namespace {

// The debug trace of one application: "v:w " before it, " -> r" after it.
void TraceStep(const CValue* arg, const CValue* func) {
    arg->Print();
    g_pOutput->Write(":");
    func->Print();
    g_pOutput->Write(" ");
}

void TraceResult(const CValue* result) {
    g_pOutput->Write(" -> ");
    if (result)
        result->Print();
    g_pOutput->Write(g_szNewLine);
}

void TraceElse() {
    g_pOutput->Write(" else ");
    g_pOutput->Write(g_szNewLine);
}

CNode* AlternativeOf(CNode* term) {
    auto* asTerm = dynamic_cast<CTermNode*>(term);
    return asTerm ? asTerm->alternative : nullptr;
}

// Evaluates the named, then the unnamed expressions of a function or block body in a frame
// of its own and takes the value computed under resultName.
bool EvalBody(CBlockNode& scope, const char* resultName, CValue* input, CValue** out, bool* debug,
              CInterpreter* interp, CValue** result) {
    CFrameGuard frame(scope.frames);
    bool ok = true;
    for (const auto& [name, node] : scope.named) {
        const bool done = node->Eval(input, out, debug, interp);
        ok = done && ok;
        // A failing first expression may leave nothing behind: nothing is stored then.
        if (*out)
            scope.StoreValue(name, *out);
    }
    for (CNode* node : scope.unnamed) {
        const bool done = node->Eval(input, out, debug, interp);
        ok = done && ok;
    }
    const ValueFrame& top = scope.frames.back();
    auto it = top.find(resultName);
    *result = it != top.end() ? it->second : nullptr;
    return ok;
}

CModuleNode* ModuleOf(CNode* node) {
    while (node->owner)
        node = node->owner;
    return dynamic_cast<CModuleNode*>(node);
}

// The definition that contains node: the node on its owner chain that the module owns.
CNode* TopLevelOf(CNode* node, CNode* module) {
    while (node->owner && node->owner != module)
        node = node->owner;
    return node;
}

} // namespace

bool CExpressionNode::Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) {
    CheckStack();
    CValue* v = nullptr;
    if (!terms[0]->Eval(input, &v, debug, interp))
        return false;
    for (std::size_t i = 1; i < terms.size(); ++i) {
        CheckStopRequest();
        CNode* term = terms[i];
        CValue* w = nullptr;
        if (!term->Eval(input, &w, debug, interp))
            return false;
        if (*debug) {
            TraceStep(v, w);
            NotifyStepListener(line);
            WaitForStep();
        }
        CValue* r = nullptr;
        if (!interp->Interpret(input, v, w, &r, debug)) {
            if (*debug)
                TraceResult(r);
            if (CNode* alternative = AlternativeOf(term)) {
                if (*debug)
                    TraceElse();
                CValue* a = nullptr;
                if (!alternative->Eval(input, &a, debug, interp))
                    return false;
                r = a;
            }
        }
        if (*debug)
            TraceResult(r);
        v = r;
    }
    *out = v;
    return true;
}

bool CIdentifierNode::Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) {
    CModuleNode* module = ModuleOf(this);
    CNode* definition = TopLevelOf(this, module);
    if (owner != module && definition->IsFunction()) {
        auto* function = static_cast<CFunctionNode*>(definition);
        if (!function->argName.empty() && text == function->argName) {
            if (!input)
                throw CExeption(function, Cp(u8"Аргумент функции не инициализирован в функции: "),
                                0);
            *out = CloneValue(input);
            return true;
        }
    }
    if (module) {
        if (auto it = module->named.find(text); it != module->named.end()) {
            *out = new CRefValue(kKindFuncRef, it->second);
            return true;
        }
        if (auto it = module->types.find(text); it != module->types.end()) {
            *out = new CRefValue(kKindTypeRef, it->second);
            return true;
        }
        if (auto it = module->overloads.find(text); it != module->overloads.end()) {
            const OverloadList& variants = it->second;
            auto* list = new CListValue(kKindParList, static_cast<std::int32_t>(variants.size()));
            for (std::size_t k = 0; k < variants.size(); ++k)
                list->elements[k] = new CRefValue(kKindFuncRef, variants[k].second);
            *out = list;
            return true;
        }
    }
    // Identifiers are created inside scopes only: blocks, functions or the module.
    auto* scope = static_cast<CBlockNode*>(owner);
    if (scope->LookupValue(text, out))
        return true;
    if (CNode* node = scope->FindNamed(text)) {
        if (node->Eval(input, out, debug, interp)) {
            scope->StoreValue(text, *out);
            return true;
        }
    }
    std::printf("Error in function \"%s\":\nIdentifier \"%s\" NOT found !!!\n",
                definition->name.c_str(), text.c_str());
    std::fflush(stdout);
    return false;
}

bool CFunctionNode::Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) {
    CheckStack();
    if (unnamed.empty() && named.empty())
        throw CExeption(this, Cp(u8"Отсутствует интерпретируемое выражение в функции "), 0);
    CValue* result = nullptr;
    const bool ok = EvalBody(*this, "return", input, out, debug, interp, &result);
    *out = result;
    if (!result)
        throw CExeption(this, Cp(u8"Отсутсвует return выражение в функции "), 0);
    return ok;
}

bool CBlockNode::Eval(CValue* input, CValue** out, bool* debug, CInterpreter* interp) {
    CheckStack();
    CFunctionNode* function = EnclosingFunction(this);
    if (unnamed.empty() && named.empty())
        throw CExeption(
            function, Cp(u8"Отсутсвует интерпретируемое выражение\nв одном из блоков функции "), 0);
    CValue* result = nullptr;
    const bool ok = EvalBody(*this, "break", input, out, debug, interp, &result);
    *out = result;
    if (!result)
        throw CExeption(function, Cp(u8"Отсутсвует break выражение\nв одном из блоков функции "),
                        0);
    return ok;
}

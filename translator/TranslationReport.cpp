#include "translator/TranslationReport.h"

#include "model/Scope.h"
#include "output/Encoding.h"
#include "output/OutputSink.h"
#include "translator/Parser.h"
#include "values/Exeption.h"

namespace {

int ParserLine(CParser& parser) {
    int line = 0;
    int row = 0;
    parser.GetPosition(line, row);
    return line;
}

// Paths come from the system as UTF-8; the channel holds Windows-1251.
void ReportUnopenedFile(const std::string& path) {
    g_pOutput->Write(Cp(u8"Ошибка: не удалось открыть файл \""))
        .Write(Utf8ToCp1251(path))
        .Write("\"")
        .Write(g_szNewLine);
}

void ReportSuccess(CParser& parser) {
    g_pOutput->Write(Cp(u8"Проверено строк : ")).Write(ParserLine(parser)).Write(g_szNewLine);
    g_pOutput->Write(Cp(u8"Синтаксических ощибок не найдено")).Write(g_szNewLine);
}

// Code 0 carries its whole message in the text (a nesting too deep for the stack): the
// text stands in place of the empty "No Error!", without quotes and the trailing blank.
void WriteCodeZero(const CExeption& error) {
    std::string text = error.m_strText;
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    g_pOutput->Write(text).Write(g_szNewLine);
}

void ReportError(CParser& parser, const CExeption& error) {
    g_pOutput->Write(Cp(u8"Ошибка в строке ")).Write(ParserLine(parser)).Write(" : ");
    const char* message = error.ErrorMessage();
    if (message == nullptr)
        message = "";
    if (error.m_nCode == kErrNone && !error.m_strText.empty())
        WriteCodeZero(error);
    else if (error.m_strText.empty())
        g_pOutput->Write(message).Write(g_szNewLine);
    else
        g_pOutput->Write(message)
            .Write(" : \"")
            .Write(error.m_strText)
            .Write("\"")
            .Write(g_szNewLine);
}

} // namespace

bool TranslateWithReport(CParser& parser, const std::string& path, CModuleNode** module) {
    *module = nullptr;
    parser.Clear();
    g_pOutput->Write(Cp(u8"Трансляция...")).Write(g_szNewLine);
    try {
        if (!parser.Translate(path.c_str(), module)) {
            ReportUnopenedFile(path);
            return false;
        }
    } catch (const CExeption& error) {
        *module = nullptr;
        ReportError(parser, error);
        return false;
    }
    ReportSuccess(parser);
    return true;
}

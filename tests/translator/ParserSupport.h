#pragma once
// Translating program texts in the parser's tests: the text goes to a temporary file in
// Windows-1251 and through TranslateWithReport, whose channel-0 report is captured.

#include "TestSupport.h"

#include "model/Scope.h"
#include "model/Terms.h"
#include "translator/Parser.h"
#include "translator/Scanner.h"
#include "translator/TranslationReport.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace test {

// A file in the temporary folder, unique to this process, removed with the object.
class TempSource {
public:
    explicit TempSource(const std::string& bytes) {
        static int counter = 0;
        m_path = std::filesystem::temp_directory_path() /
                 ("tirvane-parser-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) +
                  ".tvn");
        std::ofstream(m_path, std::ios::binary) << bytes;
    }
    ~TempSource() { std::filesystem::remove(m_path); }
    TempSource(const TempSource&) = delete;
    TempSource& operator=(const TempSource&) = delete;

    std::string Path() const { return m_path.string(); }

private:
    std::filesystem::path m_path;
};

struct Translation {
    bool ok = false;
    CModuleNode* module = nullptr;
    std::string report; // channel 0, converted to UTF-8 so that failures read well
};

// Translates a UTF-8 program text with the given parser. Reports are compared in UTF-8.
inline Translation TranslateText(CParser& parser, const std::string& utf8) {
    TempSource source(W(utf8.c_str()));
    SinkCapture capture(kChannelTranslation);
    Translation result;
    result.ok = TranslateWithReport(parser, source.Path(), &result.module);
    result.report = Cp1251ToUtf8(capture.Text(kChannelTranslation));
    return result;
}

inline std::string SuccessReport(int lines) {
    return "Трансляция...\r\nПроверено строк : " + std::to_string(lines) +
           "\r\nСинтаксических ощибок не найдено\r\n";
}

template <class T> T* As(CNode* node) {
    return dynamic_cast<T*>(node);
}

} // namespace test

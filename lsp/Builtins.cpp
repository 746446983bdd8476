#include "lsp/Builtins.h"

#include <algorithm>

namespace {

constexpr std::string_view kGuideSection =
#include "GuideBuiltins.inc"
    ;

std::string Trim(std::string_view text) {
    const std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string_view::npos)
        return {};
    const std::size_t end = text.find_last_not_of(' ');
    return std::string(text.substr(begin, end - begin + 1));
}

// Markdown escapes a "|" inside a table cell; the hover shows the sign itself.
std::string Unescape(std::string text) {
    for (const std::string_view code : {"<code>&#124;</code>", "&#124;"}) {
        for (std::size_t at = text.find(code); at != std::string::npos; at = text.find(code))
            text.replace(at, code.size(), code.size() > 6 ? "`|`" : "|");
    }
    return text;
}

std::vector<std::string> Cells(std::string_view line) {
    std::vector<std::string> cells;
    line.remove_prefix(1);
    for (std::size_t bar = line.find('|'); bar != std::string_view::npos; bar = line.find('|')) {
        cells.push_back(Unescape(Trim(line.substr(0, bar))));
        line.remove_prefix(bar + 1);
    }
    return cells;
}

// Every word inside `...` of a cell.
std::vector<std::string> CodeWords(const std::string& cell) {
    std::vector<std::string> words;
    for (std::size_t open = cell.find('`'); open != std::string::npos;) {
        const std::size_t close = cell.find('`', open + 1);
        if (close == std::string::npos)
            break;
        const std::string code = cell.substr(open + 1, close - open - 1);
        for (std::size_t at = 0; at < code.size();) {
            const std::size_t space = std::min(code.find(' ', at), code.size());
            if (space > at)
                words.push_back(code.substr(at, space - at));
            at = space + 1;
        }
        open = cell.find('`', close + 1);
    }
    return words;
}

} // namespace

BuiltinTable ParseBuiltinTable(std::string_view markdown) {
    BuiltinTable table;
    bool inTable = false;
    while (!markdown.empty()) {
        const std::size_t end = std::min(markdown.find('\n'), markdown.size());
        std::string_view line = markdown.substr(0, end);
        markdown.remove_prefix(std::min(end + 1, markdown.size()));
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.starts_with('|')) {
            if (inTable)
                break;
            continue;
        }
        const std::vector<std::string> cells = Cells(line);
        if (cells.size() < 3)
            continue;
        if (!inTable) {
            inTable = true;
            table.argumentHeading = cells[1];
            table.resultHeading = cells[2];
            continue;
        }
        if (cells[0].starts_with("---"))
            continue;
        BuiltinRow row{CodeWords(cells[0]), cells[1], cells[2]};
        if (!row.names.empty())
            table.rows.push_back(std::move(row));
    }
    return table;
}

const BuiltinTable& GuideBuiltins() {
    static const BuiltinTable table = ParseBuiltinTable(kGuideSection);
    return table;
}

const BuiltinRow* FindBuiltin(std::string_view name) {
    if (name == "<=")
        name = "=<";
    else if (name == "=>")
        name = ">=";
    for (const BuiltinRow& row : GuideBuiltins().rows) {
        if (std::find(row.names.begin(), row.names.end(), name) != row.names.end())
            return &row;
    }
    return nullptr;
}

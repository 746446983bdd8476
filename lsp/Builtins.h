#pragma once
// The built-in functions as the guide's table describes them: one row per function or
// group of functions, with what each takes and gives.

#include <string>
#include <string_view>
#include <vector>

struct BuiltinRow {
    std::vector<std::string> names; // the signs and keywords the row is about
    std::string argument;           // the row's cells, as written (Markdown)
    std::string result;
};

struct BuiltinTable {
    std::string argumentHeading; // the column headings
    std::string resultHeading;
    std::vector<BuiltinRow> rows;
};

// The first pipe table of a Markdown text whose first column holds the names in `code`.
BuiltinTable ParseBuiltinTable(std::string_view markdown);

// The guide's table, read once; its rows for a name (the spellings "<=" and "=>" are the
// rows of "=<" and ">="), null if the name is no built-in.
const BuiltinTable& GuideBuiltins();
const BuiltinRow* FindBuiltin(std::string_view name);

#pragma once

// The inspector's answers: named tables, written as aligned text for people
// or as JSON for programs. Cells are UTF-8 text.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct Column {
    std::string title;
    bool number = false;  // right-aligned; a JSON number (null when empty)
};

struct Table {
    std::string name;
    std::vector<Column> columns;
    std::vector<std::vector<std::string>> rows;

    void AddRow(std::vector<std::string> cells) { rows.push_back(std::move(cells)); }
};

using Report = std::vector<Table>;

// Each table as a header line and its rows, columns padded to their widest
// cell; a title line "name:" before each table when there are several.
std::string RenderText(const Report& report);

// Text members written before the tables, such as the file read.
using JsonFields = std::vector<std::pair<std::string, std::string>>;

// {"field": "text", ..., "name": [{"title": value, ...}, ...], ...}
std::string RenderJson(const Report& report, const JsonFields& fields = {});

std::string JsonQuote(std::string_view utf8);

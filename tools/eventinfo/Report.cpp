#include "tools/eventinfo/Report.h"

#include <algorithm>
#include <cstdio>

namespace {

// Display width: UTF-8 continuation bytes take no column.
size_t Width(std::string_view text) {
    return static_cast<size_t>(
        std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

void AppendPadded(std::string& out, std::string_view cell, size_t width, bool right) {
    const size_t padding = width - std::min(width, Width(cell));
    if (right) out.append(padding, ' ');
    out += cell;
    if (!right) out.append(padding, ' ');
}

std::string_view CellAt(const std::vector<std::string>& row, size_t column) {
    return column < row.size() ? std::string_view(row[column]) : std::string_view();
}

}  // namespace

std::string RenderText(const Report& report) {
    std::string out;
    for (size_t t = 0; t < report.size(); ++t) {
        const Table& table = report[t];
        if (t > 0) out += "\n";
        if (report.size() > 1) out += table.name + ":\n";
        if (table.rows.empty()) {
            out += "  (none)\n";
            continue;
        }
        std::vector<size_t> widths;
        for (const Column& column : table.columns) widths.push_back(Width(column.title));
        for (const auto& row : table.rows)
            for (size_t c = 0; c < widths.size(); ++c) widths[c] = std::max(widths[c], Width(CellAt(row, c)));
        auto appendLine = [&](auto cellOf) {
            out += " ";
            for (size_t c = 0; c < widths.size(); ++c) {
                out += " ";
                // The last left-aligned column is not padded, so lines carry no trailing blanks.
                const bool last = c + 1 == widths.size();
                AppendPadded(out, cellOf(c), last && !table.columns[c].number ? 0 : widths[c], table.columns[c].number);
                if (!last) out += " ";
            }
            out += "\n";
        };
        appendLine([&](size_t c) { return std::string_view(table.columns[c].title); });
        for (const auto& row : table.rows) appendLine([&](size_t c) { return CellAt(row, c); });
    }
    return out;
}

std::string JsonQuote(std::string_view utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string RenderJson(const Report& report, const JsonFields& fields) {
    std::string out = "{";
    for (size_t f = 0; f < fields.size(); ++f)
        out += (f ? ",\n " : "\n ") + JsonQuote(fields[f].first) + ": " + JsonQuote(fields[f].second);
    for (size_t t = 0; t < report.size(); ++t) {
        const Table& table = report[t];
        out += (t || !fields.empty() ? ",\n " : "\n ") + JsonQuote(table.name) + ": [";
        for (size_t r = 0; r < table.rows.size(); ++r) {
            out += r ? ",\n  {" : "\n  {";
            for (size_t c = 0; c < table.columns.size(); ++c) {
                const std::string_view cell = CellAt(table.rows[r], c);
                out += (c ? ", " : "") + JsonQuote(table.columns[c].title) + ": ";
                if (!table.columns[c].number)
                    out += JsonQuote(cell);
                else
                    out += cell.empty() ? std::string_view("null") : cell;
            }
            out += "}";
        }
        out += table.rows.empty() ? "]" : "\n ]";
    }
    return out + "\n}\n";
}

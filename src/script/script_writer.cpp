#include <algorithm>
#include <array>

#include "script/script_check.h"
#include "script/script_fields.h"
#include "script/script_numbers.h"
#include "script/script_text.h"

namespace {

const char* const HEADING =
    "# voxelshow scene script: one track a line, in registration order (a later track wins where\n"
    "# two write one field at the same moment). See docs/script.md.\n"
    "# start  end  type  object.field  from  to    (or: start end type object.field clock)\n";

constexpr size_t COLUMNS = 6;
using RowCells = std::array<std::string, COLUMNS>;

RowCells CellsOf(const ScriptRow& row) {
    RowCells cells{
        FormatNumber(row.start), FormatNumber(row.end), ElementName(row.type), TargetName(row), "clock", ""};
    if (!IsClockRow(row)) {
        cells[4] = FormatKey(row.from);
        cells[5] = FormatKey(row.to);
    }
    return cells;
}

}  // namespace

std::string WriteScript(std::span<const ScriptRow> rows) {
    std::vector<RowCells> table;
    std::array<size_t, COLUMNS> widths{};
    for (const ScriptRow& row : rows) {
        table.push_back(CellsOf(row));
        for (size_t column = 0; column < COLUMNS; ++column) {
            widths[column] = std::max(widths[column], table.back()[column].size());
        }
    }
    std::string text = HEADING;
    for (const RowCells& cells : table) {
        std::string line;
        for (size_t column = 0; column < COLUMNS; ++column) {
            line += cells[column];
            if (column + 1 < COLUMNS) {
                line.append(widths[column] + 2 - cells[column].size(), ' ');
            }
        }
        line.erase(line.find_last_not_of(' ') + 1);
        text += line + "\n";
    }
    return text;
}

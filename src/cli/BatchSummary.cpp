#include "cli/BatchSummary.h"

#include <array>
#include <algorithm>

#include <QString>

namespace velmora::cli {

std::string summaryTable(const std::vector<BookSummary>& books)
{
    using Row = std::array<std::string, 5>;
    std::vector<Row> rows{{"Output", "Duration", "Chapters", "Status", "Reason"}};
    for (const BookSummary& b : books) {
        Row row{b.output, b.duration, b.chapters, b.status, b.reason};
        for (std::string& cell : row) {
            if (cell.empty())
                cell = "-";
        }
        rows.push_back(row);
    }
    const auto width = [](const std::string& text) { return static_cast<size_t>(QString::fromStdString(text).size()); };
    std::array<size_t, 5> widths{};
    for (const Row& row : rows) {
        for (size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], width(row[c]));
    }
    std::string table;
    for (const Row& row : rows) {
        std::string line;
        for (size_t c = 0; c < row.size(); ++c) {
            line += row[c];
            if (c + 1 < row.size())
                line += std::string(widths[c] - width(row[c]) + 2, ' ');
        }
        table += line + "\n";
    }
    return table;
}

}  // namespace velmora::cli

#pragma once
// File > Join Each Folder…: the books found below the chosen folder, each
// with its name, parts and duration, the format and folder their joins go
// to; confirming queues one job per book.

#include <string>
#include <vector>

#include <QDialog>

#include "join/intake/BookDiscovery.h"
#include "join/intake/FileRow.h"

class QComboBox;
class QLineEdit;
class QTableWidget;

namespace velmora::app {

struct FoundBook {
    Book book;
    std::vector<FileRow> rows;  // the usable parts, in order
    std::string name;           // the output's name without its extension
    std::string problem;        // why it cannot be joined; empty when it can
};

class BooksDialog : public QDialog {
    Q_OBJECT
public:
    BooksDialog(std::vector<FoundBook> books, const QString& outputFolder, QWidget* parent = nullptr);

    const std::vector<FoundBook>& books() const { return books_; }
    QTableWidget* table() const { return table_; }
    // The extension picked, without the dot, and the folder for the outputs.
    std::string extension() const;
    QString outputFolder() const;

private:
    std::vector<FoundBook> books_;
    QTableWidget* table_ = nullptr;
    QComboBox* format_ = nullptr;
    QLineEdit* folder_ = nullptr;
};

}  // namespace velmora::app

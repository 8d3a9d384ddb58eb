#pragma once
// Help › Keyboard Shortcuts: every command with its keys, read off the
// window's own menu items so the list cannot drift from what works.

#include <utility>

#include <QDialog>
#include <QList>
#include <QString>

class QTableWidget;

namespace velmora::app {

class ShortcutsDialog : public QDialog {
    Q_OBJECT
public:
    ShortcutsDialog(const QList<std::pair<QString, QString>>& shortcuts, QWidget* parent = nullptr);
    QTableWidget* table() const { return table_; }

private:
    QTableWidget* table_;
};

}  // namespace velmora::app

#pragma once
// The Jobs panel (View > Jobs): every queued join with its name, output and
// status, and the buttons that start, stop, remove and retry the selected
// job or open its output.

#include <cstdint>

#include <QDockWidget>

class QPushButton;
class QTableWidget;

namespace velmora::app {

class JobsController;

class JobsPanel : public QDockWidget {
    Q_OBJECT
public:
    JobsPanel(JobsController& jobs, QWidget* parent = nullptr);

    QTableWidget* table() const { return table_; }
    QPushButton* button(const QString& name) const;

signals:
    // Open Output: the joined file of a job that is done.
    void openOutputRequested(const QString& path);

private:
    void rebuild();
    void refresh(std::uint64_t id);
    void updateButtons();
    std::uint64_t selectedId() const;

    JobsController& jobs_;
    QTableWidget* table_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* retry_ = nullptr;
    QPushButton* open_ = nullptr;
};

}  // namespace velmora::app

#include "app/MessageBoxes.h"

#include <algorithm>

#include <QApplication>
#include <QGridLayout>
#include <QPushButton>

namespace velmora::app {

QMessageBox* makeMessageBox(QWidget* parent, const MessageRequest& request)
{
    auto* box = new QMessageBox(parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(QApplication::applicationDisplayName());
    box->setText(QString::fromStdString(request.messageText));
    box->setInformativeText(QString::fromStdString(request.informativeText));
    if (!request.detailedText.empty())
        box->setDetailedText(QString::fromStdString(request.detailedText));
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    switch (request.style) {
    case MessageStyle::informational: box->setIcon(QMessageBox::Information); break;
    case MessageStyle::critical: box->setIcon(QMessageBox::Critical); break;
    case MessageStyle::warning: box->setIcon(QMessageBox::Warning); break;
    }
    // Short informative texts ("Contact: " and an address) read better on one
    // line: widen the box to fit its longest line.
    int widest = 0;
    for (const QString& line : box->informativeText().split(QLatin1Char('\n')))
        widest = std::max(widest, box->fontMetrics().horizontalAdvance(line));
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout()); grid && widest <= 640) {
        grid->addItem(new QSpacerItem(widest + 96, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0,
                      1, grid->columnCount());
    }
    return box;
}

void openMessageBox(QWidget* parent, const MessageRequest& request, std::function<void(MessageResponse)> completion)
{
    QMessageBox* box = makeMessageBox(parent, request);
    QList<QAbstractButton*> buttons;
    if (request.buttons.empty()) {
        buttons << box->addButton(QMessageBox::Ok);
    } else {
        for (const std::string& title : request.buttons)
            buttons << box->addButton(QString::fromStdString(title), QMessageBox::AcceptRole);
    }
    box->setDefaultButton(
        qobject_cast<QPushButton*>(buttons.at(std::min<qsizetype>(request.defaultButton, buttons.size() - 1))));
    box->setEscapeButton(buttons.back());
    QObject::connect(box, &QMessageBox::finished, box, [box, buttons, completion = std::move(completion)](int) {
        qsizetype index = buttons.indexOf(box->clickedButton());
        if (index < 0)
            index = buttons.size() - 1;
        if (completion)
            completion(static_cast<MessageResponse>(std::min<qsizetype>(index, 2)));
    });
    box->open();
}

}  // namespace velmora::app

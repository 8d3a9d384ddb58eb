#pragma once
// The engine's messages as window-modal message boxes: the style's icon, the
// buttons in the order given (the first the default, the last the escape),
// and the details behind "Show Details...".

#include <functional>

#include <QMessageBox>

#include "app/WindowHost.h"

namespace velmora::app {

// The box, not yet shown; it deletes itself when closed.
QMessageBox* makeMessageBox(QWidget* parent, const MessageRequest& request);
// Shows the box with the request's buttons and hands the one that closed it
// (Escape and closing the window count as the last) to `completion`.
void openMessageBox(QWidget* parent, const MessageRequest& request, std::function<void(MessageResponse)> completion);

}  // namespace velmora::app

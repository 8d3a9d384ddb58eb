#pragma once
// Waiting for the window like a user would: run the event loop until
// something holds, or until a dialog shows up. Used by the window tests and
// the screenshot tour.

#include <functional>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QWidget>

namespace testsupport {

// Runs the event loop until the predicate holds or the time is up.
inline bool spinUntil(const std::function<bool()>& predicate, int timeoutMs = 30000)
{
    QElapsedTimer timer;
    timer.start();
    for (; !predicate(); QThread::msleep(2)) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// The last visible child of the type, waited for up to timeoutMs.
template <typename T>
T* visibleChild(QWidget* parent, int timeoutMs = 0)
{
    T* found = nullptr;
    spinUntil([&] {
        for (T* child : parent->findChildren<T*>())
            found = child->isVisible() ? child : found;
        return found != nullptr;
    }, timeoutMs);
    return found;
}

}  // namespace testsupport

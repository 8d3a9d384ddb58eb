#pragma once
// Keyboard shortcuts that hold under every platform theme: a standard key's
// bindings as the theme gives them, or a fixed sequence where the theme gives
// none (qt6ct leaves Quit empty, for one).

#include <QKeySequence>
#include <QList>

namespace velmora::app {

// `bindings` when there are any, else the fallback alone.
QList<QKeySequence> withFallback(const QList<QKeySequence>& bindings, const QKeySequence& fallback);
// The theme's bindings of `key`, with `fallback` where the theme has none.
QList<QKeySequence> standardShortcuts(QKeySequence::StandardKey key, const QKeySequence& fallback);

}  // namespace velmora::app

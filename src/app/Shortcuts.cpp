#include "app/Shortcuts.h"

namespace velmora::app {

QList<QKeySequence> withFallback(const QList<QKeySequence>& bindings, const QKeySequence& fallback)
{
    QList<QKeySequence> result;
    for (const QKeySequence& binding : bindings) {
        if (!binding.isEmpty())
            result << binding;
    }
    if (result.isEmpty())
        result << fallback;
    return result;
}

QList<QKeySequence> standardShortcuts(QKeySequence::StandardKey key, const QKeySequence& fallback)
{
    return withFallback(QKeySequence::keyBindings(key), fallback);
}

}  // namespace velmora::app

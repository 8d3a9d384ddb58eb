#include "foundation/Diagnostics.h"

#include <cstdio>
#include <mutex>

namespace velmora {

// Debug messages of the category are off unless the logging rules turn them on.
Q_LOGGING_CATEGORY(diagnosticsCategory, "velmora.diagnostics", QtInfoMsg)

namespace {

std::mutex& sinkMutex()
{
    static std::mutex mutex;
    return mutex;
}
DiagnosticTarget g_target = DiagnosticTarget::loggingCategory;
std::function<void(const std::string&)> g_capture;

}  // namespace

void diagnostic(const std::string& line)
{
    std::lock_guard lock(sinkMutex());
    if (g_capture) {
        g_capture(line);
        return;
    }
    switch (g_target) {
    case DiagnosticTarget::loggingCategory:
        qCDebug(diagnosticsCategory).noquote() << QString::fromStdString(line);
        return;
    case DiagnosticTarget::standardError:
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fputc('\n', stderr);
        std::fflush(stderr);
        return;
    case DiagnosticTarget::discard: return;
    }
}

void setDiagnosticTarget(DiagnosticTarget target)
{
    std::lock_guard lock(sinkMutex());
    g_target = target;
}

void setDiagnosticCapture(std::function<void(const std::string&)> capture)
{
    std::lock_guard lock(sinkMutex());
    g_capture = std::move(capture);
}

}  // namespace velmora

#include "foundation/Diagnostics.h"

#include <cstdio>
#include <mutex>

namespace velmora {
namespace {

std::mutex& sinkMutex()
{
    static std::mutex mutex;
    return mutex;
}
DiagnosticTarget g_target = DiagnosticTarget::standardOutput;
std::function<void(const std::string&)> g_capture;

}  // namespace

void diagnostic(const std::string& line)
{
    std::lock_guard lock(sinkMutex());
    if (g_capture) {
        g_capture(line);
        return;
    }
    FILE* stream = nullptr;
    switch (g_target) {
    case DiagnosticTarget::standardOutput: stream = stdout; break;
    case DiagnosticTarget::standardError: stream = stderr; break;
    case DiagnosticTarget::discard: return;
    }
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
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

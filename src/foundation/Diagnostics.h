#pragma once
// The single sink for the engine's diagnostic lines (plain lines, no prefix).
// By default they go to the logging category "velmora.diagnostics", which is
// off unless turned on, e.g. QT_LOGGING_RULES="velmora.diagnostics=true"; the
// command-line tool's --verbose writes them to standard error; tests capture
// them. Standard output never carries them.

#include <functional>
#include <string>

#include <QLoggingCategory>

namespace velmora {

Q_DECLARE_LOGGING_CATEGORY(diagnosticsCategory)

enum class DiagnosticTarget { loggingCategory, standardError, discard };

void diagnostic(const std::string& line);
void setDiagnosticTarget(DiagnosticTarget target);
// Replaces the target with a callback (pass nullptr to go back to the target).
void setDiagnosticCapture(std::function<void(const std::string&)> capture);

}  // namespace velmora

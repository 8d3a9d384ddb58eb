#pragma once
// The single sink for the engine's diagnostic lines (plain lines, no prefix).
// The window application writes them to standard output, the command-line
// tool to standard error or nowhere; tests capture them.

#include <functional>
#include <string>

namespace velmora {

enum class DiagnosticTarget { standardOutput, standardError, discard };

void diagnostic(const std::string& line);
void setDiagnosticTarget(DiagnosticTarget target);
// Replaces the target with a callback (pass nullptr to go back to the target).
void setDiagnosticCapture(std::function<void(const std::string&)> capture);

}  // namespace velmora

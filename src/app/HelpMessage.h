#pragma once
// The "Questions?" message of Help: the support address, and the buttons
// that lead to the developer's web page when there is one.

#include <string>

#include "app/WindowHost.h"

namespace velmora::app {

// "Rate App" and "Check out my other Apps" come only with a web page to open.
MessageRequest helpMessage(const std::string& webPage);
// Shows the message; both page buttons open the page (there is no store here
// to rate in), and the rating check runs after any answer.
void showHelp(WindowHost& host);

}  // namespace velmora::app

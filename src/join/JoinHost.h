#pragma once
// Everything the engine needs from a window: posting work to the main thread,
// the progress sheet, the save dialog, alerts and desktop actions. The window
// application implements it with widgets, the CLI with terminal output, tests
// with a recorder.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

enum class AlertStyle { warning = 0, informational = 1, critical = 2 };

// Responses: the first button added answers 1000, the second 1001, the third 1002.
inline constexpr int kAlertFirstButtonReturn = 1000;
inline constexpr int kAlertSecondButtonReturn = 1001;
inline constexpr int kAlertThirdButtonReturn = 1002;

struct AlertSpec {
    std::string messageText;
    std::string informativeText;
    std::vector<std::string> buttons;  // none: the single default "OK" button
    AlertStyle style = AlertStyle::warning;
};

struct SavePanelSpec {
    std::string message;
    std::string nameFieldLabel;
    std::string nameFieldText;
    std::string prompt;
    std::optional<std::string> directory;  // none: the dialog's own default
};

class JoinHost {
public:
    virtual ~JoinHost() = default;

    // Runs the task on the main thread, asynchronously, in posting order.
    virtual void postToMain(std::function<void()> task) = 0;

    // Main thread only, from here on.
    virtual void showProgressSheet(const std::string& title, bool indeterminate) = 0;
    virtual void hideProgressSheet() = 0;
    virtual void updateJoinProgress(double percent) = 0;
    // Completion gets the confirmed path, or nothing when the user cancelled.
    virtual void runSavePanel(const SavePanelSpec& spec, std::function<void(std::optional<std::string>)> completion) = 0;
    virtual void showAlert(const AlertSpec& spec, std::function<void(int response)> completion) = 0;
    virtual void openFileWithApplication(const std::string& path, const std::string& application) = 0;
    virtual void revealInFileManager(const std::string& path) = 0;
    virtual void openWebAddress(const std::string& address) = 0;
    virtual void requestReview() = 0;  // the store prompt; a no-op where there is no store
    virtual std::optional<std::string> desktopDirectory() = 0;
};

}  // namespace velmora

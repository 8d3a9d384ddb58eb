#pragma once
// What the window's join flow needs of the window: the save dialog, messages
// with buttons, and desktop actions. The window implements it with widgets;
// tests implement it with a recorder.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "join/outcome/Messages.h"
#include "join/plan/OutputFormat.h"

namespace velmora::app {

// The button that closed a message, in the order the buttons were given.
enum class MessageResponse { firstButton, secondButton, thirdButton };

struct SaveDialogRequest {
    std::string title;
    std::string nameFieldLabel;
    std::string nameFieldText;
    std::string prompt;
    std::optional<std::string> directory;  // none: the dialog's own default
    // The formats offered, the one of the proposed name's extension among
    // them; picking another switches the name's extension. None: any name.
    std::vector<SaveFormat> filters;
    // A "Chapters" check box under the name, checked when the dialog opens
    // for a name whose format has them on by default (.m4b).
    bool offerChapters = false;
    // An "Add to Queue" check box, checked as given: the join waits in the
    // Jobs panel instead of starting now. None: not offered.
    std::optional<bool> addToQueue;
    // A "Keep the original encoding (fast)" check box, shown while the name's
    // format is one this answers true for (the list's parts can be copied
    // into it). None: not offered.
    std::function<bool(const std::string& path)> copyAllowed;
    // What the box says when shown, as the user last left it; none: checked
    // for the formats copied by default (.m4b).
    std::optional<bool> keepEncoding;
};

// What the user confirmed in the save dialog.
struct SaveDialogAnswer {
    std::string path;
    bool chapters = false;  // the "Chapters" box, when it was offered
    bool addToQueue = false;  // the "Add to Queue" box, when it was offered
    // The "Keep the original encoding" box when it was shown; none when it was not.
    std::optional<bool> keepEncoding;
    bool keepEncodingSetByUser = false;  // the user clicked the box
};

class WindowHost {
public:
    virtual ~WindowHost() = default;

    // Main thread only.
    // The completion gets the confirmed path, or nothing when the user cancelled.
    virtual void runSaveDialog(const SaveDialogRequest& request,
                               std::function<void(std::optional<SaveDialogAnswer>)> completion) = 0;
    virtual void showMessage(const MessageRequest& request, std::function<void(MessageResponse)> completion) = 0;
    // Opens the file with the user's default application for it; false when
    // there is no way to open files here.
    virtual bool openFile(const std::string& path) = 0;
    // Shows the file selected in the file manager, or else opens its folder.
    virtual void revealInFileManager(const std::string& path) = 0;
    virtual void openWebAddress(const std::string& address) = 0;
    // The store's rating prompt; there is no store here, so it shows nothing.
    virtual void showRatingPrompt() = 0;
    virtual std::optional<std::string> desktopDirectory() = 0;
};

}  // namespace velmora::app

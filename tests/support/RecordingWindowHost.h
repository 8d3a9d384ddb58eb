#pragma once
// A window host for tests of the window's join flow: records each dialog,
// message and desktop action, and answers at once with what the test queued.

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "app/WindowHost.h"

namespace testsupport {

class RecordingWindowHost : public velmora::app::WindowHost {
public:
    // --- answers, taken in order -------------------------------------------
    // Each save dialog takes the next answer; none left: the user cancels.
    std::deque<std::optional<velmora::app::SaveDialogAnswer>> saveDialogAnswers;
    // Each message takes the next response; none left: it stays open.
    std::deque<velmora::app::MessageResponse> messageResponses;
    bool canOpenFiles = true;
    std::optional<std::string> desktop = "/home/someone/Desktop";

    // --- records -------------------------------------------------------------
    std::vector<velmora::app::SaveDialogRequest> saveDialogs;
    std::vector<velmora::MessageRequest> messages;
    std::vector<std::string> opened;
    std::vector<std::string> revealed;
    int ratingPrompts = 0;

    void runSaveDialog(const velmora::app::SaveDialogRequest& request,
                       std::function<void(std::optional<velmora::app::SaveDialogAnswer>)> completion) override
    {
        saveDialogs.push_back(request);
        std::optional<velmora::app::SaveDialogAnswer> answer;
        if (!saveDialogAnswers.empty()) {
            answer = saveDialogAnswers.front();
            saveDialogAnswers.pop_front();
        }
        completion(answer);
    }
    void showMessage(const velmora::MessageRequest& request,
                     std::function<void(velmora::app::MessageResponse)> completion) override
    {
        messages.push_back(request);
        if (messageResponses.empty())
            return;
        const velmora::app::MessageResponse response = messageResponses.front();
        messageResponses.pop_front();
        if (completion)
            completion(response);
    }
    bool openFile(const std::string& path) override
    {
        if (canOpenFiles)
            opened.push_back(path);
        return canOpenFiles;
    }
    void revealInFileManager(const std::string& path) override { revealed.push_back(path); }
    void openWebAddress(const std::string&) override {}
    void showRatingPrompt() override { ++ratingPrompts; }
    std::optional<std::string> desktopDirectory() override { return desktop; }
};

}  // namespace testsupport

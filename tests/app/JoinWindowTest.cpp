#include "AppTestSupport.h"

#include <unistd.h>

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>

#include "app/ArrayController.h"
#include "foundation/Resources.h"
#include "join/Completion.h"
#include "join/Preflight.h"
#include "support/RecordingHost.h"

using namespace apptest;
using testsupport::RecordingHost;

namespace {

std::vector<velmora::FileRow> rowsOf(const std::vector<std::string>& mediaTypes)
{
    std::vector<velmora::FileRow> rows;
    for (size_t i = 0; i < mediaTypes.size(); ++i)
        rows.push_back(row("f" + std::to_string(i), mediaTypes[i]));
    return rows;
}

// --- pre-flight through a recording host ----------------------------------------

TEST(Preflight, ProposesTheNameFromTheMediaTypes)
{
    struct Case {
        std::vector<std::string> types;
        std::string name;
    };
    const std::vector<Case> cases{
        {{"Audio", "Audio", "Audio"}, "joined.mp3"},
        {{"Audio & Video"}, "joined.mp4"},
        {{"Video", "Video"}, "joined.mp4"},
        {{"Video", "Audio & Video"}, "joined.ext"},
        {{"Audio", "Unknown"}, "joined.ext"},
        {{}, "joined.mp4"},
    };
    for (const Case& c : cases) {
        RecordingHost host;
        host.desktop = "/home/user/Desktop";
        velmora::JoinControl control;
        control.isProcessCancelledByUser = true;
        DiagnosticLines lines;
        const auto rows = rowsOf(c.types);
        velmora::runJoinPreflight([rows] { return rows; }, host, control);  // the dialog is cancelled
        host.settle(std::chrono::milliseconds(50));
        ASSERT_EQ(host.savePanels.size(), 1u);
        const auto& panel = host.savePanels[0];
        EXPECT_EQ(panel.nameFieldText, c.name);
        EXPECT_EQ(panel.message, "Save Video");
        EXPECT_EQ(panel.nameFieldLabel, "Named:");
        EXPECT_EQ(panel.prompt, "Save");
        EXPECT_EQ(panel.directory, std::optional<std::string>("/home/user/Desktop"));
        EXPECT_TRUE(lines.contains(c.name.substr(6)));
        // Cancelled: no alert, no join, the flag untouched.
        EXPECT_TRUE(host.alerts.empty());
        EXPECT_TRUE(host.sheets.empty());
        EXPECT_TRUE(control.isProcessCancelledByUser.load());
    }
}

TEST(Preflight, MixedListIsRefusedAfterTheDialog)
{
    RecordingHost host;
    velmora::JoinControl control;
    const std::string out = testsupport::freshDir("mixed") + "/joined.ext";
    host.savePanelAnswers.push_back(out);
    const auto rows = rowsOf({"Video", "Audio & Video"});
    velmora::runJoinPreflight([rows] { return rows; }, host, control);
    host.settle(std::chrono::milliseconds(100));
    ASSERT_EQ(host.alerts.size(), 1u);
    EXPECT_EQ(host.alerts[0].messageText, "Mix & Match - Can't join!");
    EXPECT_EQ(host.alerts[0].informativeText, velmora::contactText());
    EXPECT_EQ(host.alerts[0].style, velmora::AlertStyle::critical);
    EXPECT_TRUE(host.alerts[0].buttons.empty());
    EXPECT_TRUE(host.sheets.empty());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(out)));
}

TEST(Preflight, EmptyListStartsAJoin)
{
    RecordingHost host;
    velmora::JoinControl control;
    control.isProcessCancelledByUser = true;
    host.savePanelAnswers.push_back(testsupport::freshDir("empty") + "/joined.mp4");
    velmora::runJoinPreflight([] { return std::vector<velmora::FileRow>{}; }, host, control);
    ASSERT_TRUE(host.waitForSheetHidden());
    EXPECT_EQ(host.sheets.front().title, "Joining Audio...");
    EXPECT_FALSE(host.sheets.front().indeterminate);
    // Nothing to concatenate gives no media: the failure alert.
    ASSERT_TRUE(host.waitForAlert());
    EXPECT_EQ(host.alerts[0].messageText, "Something went wrong!");
}

// --- the same through the window ------------------------------------------------------

class JoinWindow : public AppTest {
protected:
    QFileDialog* waitForSaveDialog()
    {
        QFileDialog* dialog = nullptr;
        spinUntil([&] { return (dialog = visibleChild<QFileDialog>(delegate->window)) != nullptr; }, 5000);
        return dialog;
    }
    void fill(const std::vector<std::string>& types)
    {
        for (const auto& r : rowsOf(types))
            delegate->mainArrayController->addObject(r);
    }
};

TEST_F(JoinWindow, SaveDialogProposesTheNameOnTheDesktop)
{
    fill({"Audio", "Audio"});
    delegate->window->show();
    DiagnosticLines lines;
    delegate->joinBTNClicked();
    QFileDialog* dialog = waitForSaveDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Save Video"));
    EXPECT_EQ(dialog->labelText(QFileDialog::FileName), QStringLiteral("Named:"));
    EXPECT_EQ(dialog->labelText(QFileDialog::Accept), QStringLiteral("Save"));
    EXPECT_EQ(QFileInfo(dialog->directory().absolutePath()).canonicalFilePath(),
              QFileInfo(QString::fromStdString(scratchHome() + "/Desktop")).canonicalFilePath());
    auto* nameField = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(nameField, nullptr);
    EXPECT_EQ(nameField->text(), QStringLiteral("joined.mp3"));
    EXPECT_EQ(lines.lines(), std::vector<std::string>{".mp3"});

    dialog->reject();
    QCoreApplication::processEvents();
    EXPECT_EQ(visibleChild<QMessageBox>(delegate->window), nullptr);
    EXPECT_FALSE(delegate->progressWindow->isVisible());
}

TEST_F(JoinWindow, MixedListAlert)
{
    fill({"Video", "Audio & Video"});
    delegate->window->show();
    delegate->joinBTNClicked();
    QFileDialog* dialog = waitForSaveDialog();
    ASSERT_NE(dialog, nullptr);
    const QString out = QString::fromStdString(testsupport::freshDir("window-mixed") + "/joined.ext");
    acceptDialog(dialog, out);
    QMessageBox* box = waitForAlert(*delegate, 5000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("Mix & Match - Can't join!"));
    EXPECT_EQ(box->informativeText().toStdString(), velmora::contactText());
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_EQ(buttonTexts(box), QStringList{"OK"});
    press(box, QStringLiteral("OK"));
    EXPECT_FALSE(delegate->progressWindow->isVisible());
    EXPECT_FALSE(QFileInfo::exists(out));
}

}  // namespace

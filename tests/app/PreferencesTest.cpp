// The output formats and the Chapters box in the save dialog, and the
// quality and sound settings kept by the Preferences dialog; the sound
// settings reach the joins the window starts.
#include "support/AppTestSupport.h"

#include "app/FileListView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QTabWidget>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QtTest/QTest>

#include "app/JoinPreflight.h"
#include "app/PreferencesDialog.h"
#include "app/SaveDialog.h"
#include "join/plan/OutputFormat.h"
#include "join/plan/QualitySettings.h"
#include "support/RecordingWindowHost.h"

using namespace apptest;

namespace {

class Preferences : public AppTest {};

QLineEdit* nameField(QFileDialog* dialog) { return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }

}  // namespace

TEST_F(Preferences, TheSaveDialogOffersTheFormatsAndPickingOneSwitchesTheExtension)
{
    const QStringList audio{"MP3 (*.mp3)", "M4A (*.m4a)", "M4B audiobook (*.m4b)", "FLAC (*.flac)", "WAV (*.wav)",
                            "Opus (*.opus)"};
    // The list's media kind, the formats offered, the proposed name.
    const std::vector<std::tuple<velmora::MediaKind, QStringList, QString>> cases{
        {velmora::MediaKind::audio, audio, "joined.mp3"},
        {velmora::MediaKind::video, QStringList{"MP4 (*.mp4)"} + audio, "joined.mp4"}};
    for (const auto& [kind, filters, proposed] : cases) {
        newDelegate();
        fill({row("a", kind), row("b", kind)});
        trigger("joinAction");
        QFileDialog* dialog = visibleChild<QFileDialog>(&window(), 5000);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->nameFilters(), filters);
        EXPECT_EQ(dialog->selectedNameFilter(), filters.front());
        EXPECT_EQ(nameField(dialog)->text(), proposed);
        auto* formats = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        ASSERT_NE(formats, nullptr);
        auto pick = [&](const QString& filter) {  // as the user does
            formats->setCurrentIndex(formats->findText(filter));
            emit formats->activated(formats->currentIndex());
        };
        nameField(dialog)->setText(QStringLiteral("my book.mp3"));
        pick(QStringLiteral("M4B audiobook (*.m4b)"));
        EXPECT_EQ(nameField(dialog)->text(), QStringLiteral("my book.m4b"));
        pick(QStringLiteral("FLAC (*.flac)"));
        EXPECT_EQ(nameField(dialog)->text(), QStringLiteral("my book.flac"));
        dialog->reject();
    }
}

TEST_F(Preferences, QualitySettingsAreKept)
{
    EXPECT_EQ(velmora::loadQualitySettings(), velmora::QualitySettings{});
    // The menu's shortcut opens the dialog.
    ASSERT_NO_FATAL_FAILURE(activateWindow());
    QTest::keyClick(window().fileList(), Qt::Key_Comma, Qt::ControlModifier);
    auto* first = visibleChild<velmora::app::PreferencesDialog>(&window(), 5000);
    ASSERT_NE(first, nullptr);
    first->reject();
    spinUntil([&] { return visibleChild<velmora::app::PreferencesDialog>(&window()) == nullptr; }, 2000);
    // Cancel keeps nothing; OK keeps what the dialog shows.
    for (const bool keep : {false, true}) {
        trigger("preferencesAction");
        auto* dialog = visibleChild<velmora::app::PreferencesDialog>(&window(), 5000);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->mp3Variable()->isChecked());
        EXPECT_EQ(dialog->mp3Quality()->value(), 2);
        EXPECT_FALSE(dialog->mp3Bitrate()->isEnabled());
        dialog->mp3Constant()->click();
        EXPECT_TRUE(dialog->mp3Bitrate()->isEnabled() && !dialog->mp3Quality()->isEnabled());
        dialog->mp3Bitrate()->setCurrentIndex(dialog->mp3Bitrate()->findData(256));
        dialog->aacBitrate()->setCurrentIndex(dialog->aacBitrate()->findData(96));
        dialog->opusBitrate()->setCurrentIndex(dialog->opusBitrate()->findData(64));
        keep ? dialog->accept() : dialog->reject();
        spinUntil([&] { return !dialog->isVisible(); }, 2000);
        const velmora::QualitySettings expected = keep ? velmora::QualitySettings{2, 256, 96, 64} : velmora::QualitySettings{};
        EXPECT_EQ(velmora::loadQualitySettings(), expected);
    }
    // Values kept by hand, in and out of range.
    velmora::settings()->setValue(QLatin1String(velmora::settingsKey::aacBitrate), 144);
    velmora::settings()->setValue(QLatin1String(velmora::settingsKey::opusBitrate), 9000);
    trigger("preferencesAction");
    auto* dialog = visibleChild<velmora::app::PreferencesDialog>(&window(), 5000);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->quality(), (velmora::QualitySettings{2, 256, 144, 128}));
    dialog->reject();
}

TEST_F(Preferences, SoundSettingsAreKeptAndReachTheJoin)
{
    EXPECT_EQ(velmora::loadSoundOptions(), velmora::SoundOptions{});
    trigger("preferencesAction");
    auto* dialog = visibleChild<velmora::app::PreferencesDialog>(&window(), 5000);
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(dialog->pages()->tabText(1), QStringLiteral("Sound"));
    dialog->pages()->setCurrentIndex(1);
    // Keep leaves the target unused; the threshold waits for the trim.
    EXPECT_FALSE(dialog->targetLufs()->isEnabled());
    EXPECT_FALSE(dialog->trimThreshold()->isEnabled());
    dialog->loudness()->setCurrentIndex(dialog->loudness()->findText(QStringLiteral("Whole file")));
    EXPECT_TRUE(dialog->targetLufs()->isEnabled());
    dialog->targetLufs()->setValue(-16.5);
    dialog->gapSeconds()->setValue(2.5);
    dialog->trimSilence()->click();
    EXPECT_TRUE(dialog->trimThreshold()->isEnabled());
    dialog->trimThreshold()->setValue(-60);
    dialog->accept();
    spinUntil([&] { return !dialog->isVisible(); }, 2000);
    velmora::SoundOptions expected;
    expected.loudness = velmora::LoudnessMode::whole;
    expected.targetLufs = -16.5;
    expected.gapSeconds = 2.5;
    expected.trimSilence = true;
    expected.trimThresholdDb = -60;
    EXPECT_EQ(velmora::loadSoundOptions(), expected);

    // Shown again as kept; and the next join the window starts carries them.
    trigger("preferencesAction");
    dialog = visibleChild<velmora::app::PreferencesDialog>(&window(), 5000);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->sound(), expected);
    dialog->reject();
    testsupport::RecordingWindowHost host;
    velmora::app::SaveDialogAnswer answer;
    answer.path = testsupport::freshDir("sound-request") + "/book.m4b";
    answer.chapters = true;
    host.saveDialogAnswers = {answer};
    std::vector<velmora::JoinRequest> started;
    velmora::app::runJoinPreflight([] { return std::vector<velmora::FileRow>{row("a.wav"), row("b.wav")}; }, host,
                                   [] { return velmora::MetadataOverrides{}; },
                                   [&](velmora::JoinRequest request) { started.push_back(std::move(request)); });
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].options.sound, expected);
}

TEST_F(Preferences, TheChaptersBoxFollowsTheFormatUntilTheUserSetsIt)
{
    const std::string folder = testsupport::freshDir("chapters-box");
    // The proposed name, what the user does (pick a format, type a name, or
    // press Alt+C), and whether the box is checked afterwards. A name without
    // an extension goes by the picked format.
    enum class Do { nothing, pick, type, altC };
    struct Step { Do what; QString text; bool checked; };
    const std::vector<std::pair<std::string, std::vector<Step>>> cases{
        {"joined.mp3", {{Do::nothing, {}, false}, {Do::pick, "M4B audiobook (*.m4b)", true},
                        {Do::pick, "WAV (*.wav)", false}, {Do::type, "book.M4B", true}, {Do::type, "book", false},
                        {Do::type, "book.m4a", false}}},
        {"joined.m4b", {{Do::nothing, {}, true}, {Do::altC, {}, false}, {Do::pick, "MP3 (*.mp3)", false},
                        {Do::pick, "M4B audiobook (*.m4b)", false}, {Do::altC, {}, true},
                        {Do::pick, "WAV (*.wav)", true}}},
    };
    for (const auto& [proposed, steps] : cases) {
        SCOPED_TRACE(proposed);
        velmora::app::SaveDialogRequest request;
        request.title = "Save Audio";
        request.nameFieldText = proposed;
        request.directory = folder;
        request.filters = velmora::saveFormats(false);
        request.offerChapters = true;
        auto* dialog = new velmora::app::SaveDialog(request, std::nullopt, &window());
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        std::optional<std::pair<QString, bool>> answer;  // the path and the box, once confirmed
        QObject::connect(dialog, &QFileDialog::accepted, [&answer, dialog] {
            answer = {dialog->selectedFiles().value(0), dialog->chapters()};
        });
        dialog->open();
        auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("chaptersBox"));
        ASSERT_NE(box, nullptr);
        EXPECT_TRUE(box->toolTip().contains(".cue sheet")) << box->toolTip();
        auto* formats = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        QApplication::setActiveWindow(dialog);
        ASSERT_TRUE(spinUntil([&] { return dialog->isActiveWindow(); }, 2000));
        for (const Step& step : steps) {
            SCOPED_TRACE(step.text.toStdString());
            switch (step.what) {
            case Do::nothing: break;
            case Do::pick:
                formats->setCurrentIndex(formats->findText(step.text));
                emit formats->activated(formats->currentIndex());
                break;
            case Do::type:
                nameField(dialog)->selectAll();
                QTest::keyClicks(nameField(dialog), step.text);
                break;
            case Do::altC: QTest::keyClick(dialog, Qt::Key_C, Qt::AltModifier); break;
            }
            // A mnemonic clicks the box a moment later, as a click shows.
            EXPECT_TRUE(spinUntil([&] { return box->isChecked() == step.checked; }, 1000));
        }
        // The box's state is the answer.
        nameField(dialog)->setText(QStringLiteral("book.wav"));
        static_cast<QDialog*>(dialog)->accept();
        ASSERT_TRUE(spinUntil([&] { return answer.has_value(); }, 2000));
        EXPECT_EQ(answer->first.toStdString(), folder + "/book.wav");
        EXPECT_EQ(answer->second, steps.back().checked);
    }
}

TEST_F(Preferences, TheKeepEncodingBoxShowsWhereTheListCanBeCopiedTickedForAudiobooksOrAsLastSet)
{
    const std::string folder = testsupport::freshDir("keep-encoding-box");
    // The remembered choice, then after each format picked: the box shown, and checked.
    struct Step { QString pick; bool shown; bool checked; };
    const std::vector<std::pair<std::optional<bool>, std::vector<Step>>> cases{
        {std::nullopt, {{"M4B audiobook (*.m4b)", true, true}, {"M4A (*.m4a)", true, false},
                        {"MP3 (*.mp3)", false, false}, {"M4B audiobook (*.m4b)", true, true}}},
        {true, {{"M4A (*.m4a)", true, true}, {"WAV (*.wav)", false, true}}},
        {false, {{"M4B audiobook (*.m4b)", true, false}}},
    };
    for (const auto& [remembered, steps] : cases) {
        SCOPED_TRACE(remembered ? (*remembered ? "remembered on" : "remembered off") : "not remembered");
        velmora::app::SaveDialogRequest request;
        request.nameFieldText = "joined.mp3";
        request.directory = folder;
        request.filters = velmora::saveFormats(false);
        // A list of AAC parts: copied into the MP4 family only.
        request.copyAllowed = [](const std::string& path) {
            return path.ends_with(".m4a") || path.ends_with(".m4b");
        };
        request.keepEncoding = remembered;
        auto* dialog = new velmora::app::SaveDialog(request, std::nullopt, &window());
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
        QCheckBox* box = dialog->keepEncodingBox();
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), "&Keep the original encoding (fast)");
        EXPECT_TRUE(box->isHidden());
        EXPECT_EQ(dialog->keepEncoding(), std::nullopt);
        auto* formats = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        for (const Step& step : steps) {
            SCOPED_TRACE(step.pick.toStdString());
            formats->setCurrentIndex(formats->findText(step.pick));
            emit formats->activated(formats->currentIndex());
            EXPECT_TRUE(spinUntil([&] { return box->isHidden() != step.shown; }, 1000));
            EXPECT_EQ(box->isChecked(), step.checked);
            EXPECT_EQ(dialog->keepEncoding(), step.shown ? std::optional<bool>(step.checked) : std::nullopt);
        }
        // Once the user sets it, it stays as set.
        EXPECT_FALSE(dialog->keepEncodingSetByUser());
        box->click();
        EXPECT_TRUE(dialog->keepEncodingSetByUser());
        const bool set = box->isChecked();
        formats->setCurrentIndex(formats->findText("M4B audiobook (*.m4b)"));
        emit formats->activated(formats->currentIndex());
        EXPECT_EQ(dialog->keepEncoding(), std::optional<bool>(set));
        dialog->reject();
    }
}

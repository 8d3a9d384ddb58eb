// The output formats in the save dialog, and the quality settings kept by
// the Preferences dialog.
#include "support/AppTestSupport.h"

#include "app/FileListView.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QtTest/QTest>

#include "app/PreferencesDialog.h"
#include "join/QualitySettings.h"

using namespace apptest;

namespace {

class Preferences : public AppTest {};

QLineEdit* nameField(QFileDialog* dialog) { return dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")); }

}  // namespace

TEST_F(Preferences, TheSaveDialogOffersTheFormatsAndPickingOneSwitchesTheExtension)
{
    const QStringList audio{"MP3 (*.mp3)", "M4A (*.m4a)", "M4B audiobook (*.m4b)", "FLAC (*.flac)", "WAV (*.wav)",
                            "Opus (*.opus)"};
    // The list's media type, the formats offered, the proposed name.
    const std::vector<std::tuple<std::string, QStringList, QString>> cases{
        {"Audio", audio, "joined.mp3"}, {"Video", QStringList{"MP4 (*.mp4)"} + audio, "joined.mp4"}};
    for (const auto& [type, filters, proposed] : cases) {
        newDelegate();
        list().appendRow(row("a", type));
        list().appendRow(row("b", type));
        delegate->joinBTNClicked();
        QFileDialog* dialog = visibleChild<QFileDialog>(delegate->window, 5000);
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
    QApplication::setActiveWindow(delegate->window);
    ASSERT_TRUE(spinUntil([&] { return delegate->window->isActiveWindow(); }, 2000));
    QTest::keyClick(delegate->window->fileList(), Qt::Key_Comma, Qt::ControlModifier);
    auto* first = visibleChild<velmora::app::PreferencesDialog>(delegate->window, 5000);
    ASSERT_NE(first, nullptr);
    first->reject();
    spinUntil([&] { return visibleChild<velmora::app::PreferencesDialog>(delegate->window) == nullptr; }, 2000);
    // Cancel keeps nothing; OK keeps what the dialog shows.
    for (const bool keep : {false, true}) {
        delegate->preferencesClicked();
        auto* dialog = visibleChild<velmora::app::PreferencesDialog>(delegate->window, 5000);
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
    delegate->preferencesClicked();
    auto* dialog = visibleChild<velmora::app::PreferencesDialog>(delegate->window, 5000);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->quality(), (velmora::QualitySettings{2, 256, 144, 128}));
    dialog->reject();
}

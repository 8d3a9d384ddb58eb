// Details: the joined file's title, artist, album and cover as the inputs
// give them, what the user types over them reaching the join, and the cover
// from the inputs or a chosen picture.
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QTest>

#include "app/DetailsDialog.h"
#include "app/FileListView.h"
#include "support/AlbumTestSupport.h"
#include "support/AppTestSupport.h"

using namespace apptest;
using velmora::app::DetailsDialog;

namespace {

class Details : public AppTest {
protected:
    DetailsDialog* openDetails()
    {
        trigger("detailsAction");
        return visibleChild<DetailsDialog>(&window(), 5000);
    }
    void addTagged(const std::string& name, const std::map<std::string, std::string>& tags)
    {
        velmora::FileRow made = row(name);
        made.metadata.fileName = name;
        made.metadata.tags = tags;
        fill({made});
    }
    static void retype(QLineEdit* field, const QString& text)
    {
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
    }
    // What the next join gets: what Details shows when opened again.
    velmora::MetadataOverrides overrides()
    {
        DetailsDialog* details = openDetails();
        if (!details)
            return {};
        const velmora::MetadataOverrides kept = details->overrides();
        details->reject();
        spinUntil([&] { return visibleChild<DetailsDialog>(&window()) == nullptr; }, 2000);
        return kept;
    }
};

TEST_F(Details, TypedTagsGoToTheJoinUntilTheListIsEmptied)
{
    EXPECT_FALSE(window().detailsButton()->isEnabled());
    addTagged("Part 1.m4a", {{"title", "Chapter One"}, {"album", "The Book"}, {"artist", "A. Writer"}});
    addTagged("Part 2.m4a", {{"title", "Chapter Two"}, {"album", "The Book"}, {"artist", "A. Writer"}});
    EXPECT_TRUE(window().detailsButton()->isEnabled());
    // The menu's shortcut opens it, with what the files share.
    ASSERT_NO_FATAL_FAILURE(activateWindow());
    QTest::keyClick(window().fileList(), Qt::Key_I, Qt::ControlModifier);
    DetailsDialog* details = visibleChild<DetailsDialog>(&window(), 5000);
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(details->titleField()->text(), "The Book");
    EXPECT_EQ(details->artistField()->text(), "A. Writer");
    EXPECT_EQ(details->albumField()->text(), "The Book");
    EXPECT_FALSE(details->titleNote()->isVisible());
    // Only what the user changed is kept; the rest stays the files'.
    retype(details->titleField(), "The Whole Book");
    details->accept();
    velmora::MetadataOverrides kept = overrides();
    EXPECT_EQ(kept.title, "The Whole Book");
    EXPECT_FALSE(kept.artist || kept.album || kept.coverPath);
    // Shown again as kept; Cancel changes nothing, Reset goes back to the files.
    details = openDetails();
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(details->titleField()->text(), "The Whole Book");
    retype(details->artistField(), "Someone Else");
    details->reject();
    EXPECT_FALSE(overrides().artist);
    details = openDetails();
    ASSERT_NE(details, nullptr);
    details->buttons()->button(QDialogButtonBox::Reset)->click();
    EXPECT_EQ(details->titleField()->text(), "The Book");
    details->accept();
    EXPECT_FALSE(overrides().title);

    // With no album in common, the first file's title stands for the whole,
    // with a note; an album typed in takes its place.
    addTagged("Bonus.m4a", {{"title", "Extra"}, {"album", "Another"}});
    list().selectIndexes({2});
    trigger("moveUpAction");
    trigger("moveUpAction");
    details = openDetails();
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(details->titleField()->text(), "Extra");
    EXPECT_TRUE(details->titleNote()->isVisible());
    EXPECT_TRUE(details->titleNote()->text().contains("“Bonus.m4a”")) << details->titleNote()->text();
    EXPECT_TRUE(details->albumField()->text().isEmpty());
    // The note goes without moving what stands below it, or the dialog.
    const QPoint albumAt = details->albumField()->mapTo(details, QPoint()), dialogAt = details->pos();
    const QSize dialogSize = details->size();
    // Without a picture among the files, there is no inputs' cover to go back to.
    EXPECT_FALSE(details->inputsCoverButton()->isEnabled());
    retype(details->albumField(), "Collected");
    EXPECT_EQ(details->titleField()->text(), "Collected");
    EXPECT_FALSE(details->titleNote()->isVisible());
    QCoreApplication::processEvents();
    EXPECT_EQ(details->albumField()->mapTo(details, QPoint()), albumAt);
    EXPECT_EQ(details->pos(), dialogAt);
    EXPECT_EQ(details->size(), dialogSize);
    details->noCoverButton()->click();
    EXPECT_FALSE(details->inputsCoverButton()->isEnabled());
    details->accept();
    kept = overrides();
    EXPECT_EQ(kept.album, "Collected");
    EXPECT_FALSE(kept.title);

    // Kept while files come and go; an emptied list starts afresh.
    list().selectIndexes({0});
    trigger("removeAction");
    EXPECT_EQ(overrides().album, "Collected");
    trigger("clearAction");
    EXPECT_FALSE(window().action("detailsAction")->isEnabled());
    addTagged("Again.m4a", {{"album", "The Book"}});
    EXPECT_FALSE(overrides().album);
}

TEST_F(Details, TheCoverIsTheInputsUntilAPictureIsChosen)
{
    const std::string jpeg = albumtest::jpegPicture();
    const std::string part = albumtest::taggedTone("details-cover.m4a", 1.0, {"title=One"},
                                                   {"-map", "0", "-map", "1", "-c:a", "aac", "-c:v", "copy",
                                                    "-disposition:v", "attached_pic"},
                                                   {"-i", jpeg});
    ASSERT_TRUE(addAndWait({part}));
    ASSERT_EQ(list().count(), 1);
    DetailsDialog* details = openDetails();
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(details->coverCaption()->text(), "The picture in “details-cover.m4a”");
    // The picture is copied out of the file by the encoder to be shown.
    EXPECT_TRUE(spinUntil([&] { return !details->coverPreview()->pixmap().isNull(); }, 10000))
        << details->coverPreview()->text();
    EXPECT_FALSE(details->inputsCoverButton()->isEnabled());

    // Choose… takes a JPEG or PNG file and refuses anything else, saying why.
    auto choose = [&](const std::string& path) {
        details->chooseCoverButton()->click();
        QFileDialog* dialog = visibleChild<QFileDialog>(details, 5000);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->nameFilters().front().contains("*.png"));
        dialog->selectFile(QString::fromStdString(path));
        static_cast<QDialog*>(dialog)->accept();
    };
    ASSERT_NO_FATAL_FAILURE(choose(part));
    auto* refused = visibleChild<QMessageBox>(details, 5000);
    ASSERT_NE(refused, nullptr);
    EXPECT_EQ(refused->text(), "“details-cover.m4a” is not a JPEG or PNG picture");
    refused->accept();
    ASSERT_NO_FATAL_FAILURE(choose(jpeg));
    EXPECT_EQ(details->coverCaption()->text(), "“cover-blue.jpg”, your choice");
    EXPECT_FALSE(details->coverPreview()->pixmap().isNull());
    details->accept();
    EXPECT_EQ(overrides().coverPath, jpeg);

    // Back to the inputs' own.
    details = openDetails();
    ASSERT_NE(details, nullptr);
    ASSERT_TRUE(details->inputsCoverButton()->isEnabled());
    details->inputsCoverButton()->click();
    EXPECT_EQ(details->coverCaption()->text(), "The picture in “details-cover.m4a”");
    details->accept();
    EXPECT_FALSE(overrides().coverPath);

    // None at all: an empty path, which the join takes for no cover.
    details = openDetails();
    ASSERT_NE(details, nullptr);
    details->noCoverButton()->click();
    EXPECT_EQ(details->coverCaption()->text(), "No cover: the joined file gets none.");
    EXPECT_FALSE(details->noCoverButton()->isEnabled());
    details->accept();
    EXPECT_EQ(overrides().coverPath, std::string());
}

}  // namespace

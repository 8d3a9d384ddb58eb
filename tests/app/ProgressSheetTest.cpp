// The progress sheet: its two forms, what a join's progress shows (the bar,
// the file, the time elapsed and left), and Esc.
#include <cmath>

#include <QSignalSpy>
#include <QTest>

#include "support/AppTestSupport.h"

using namespace apptest;
using velmora::JobStatus;
using velmora::JoinProgress;
using velmora::app::ProgressSheet;

namespace {

class Sheet : public AppTest {};

TEST_F(Sheet, FormsAndHide)
{
    ProgressSheet& s = *sheet();
    const struct { const char* title; bool indeterminate; } forms[]{{"Analyzing Files...", true},
                                                                     {"Joining Audio...", false}};
    for (const auto& f : forms) {
        s.begin(f.title, f.indeterminate);
        EXPECT_TRUE(s.isVisible() && s.windowModality() == Qt::WindowModal);
        EXPECT_EQ(s.titleLabel()->text(), QString::fromUtf8(f.title));
        EXPECT_EQ(s.bar()->maximum() == 0, f.indeterminate);
        EXPECT_TRUE(s.cancelButton()->isVisible());  // both forms can be cancelled
        s.close();  // the window manager's close does not take it away
        EXPECT_TRUE(s.isVisible());
        s.end();
        EXPECT_FALSE(s.isVisible());
        EXPECT_FALSE(s.cancelButton()->isVisible());
    }
}

JoinProgress at(double percent, size_t file, double elapsed, std::optional<double> left,
                JobStatus status = JobStatus::running)
{
    JoinProgress progress;
    progress.status = status;
    progress.percent = percent;
    progress.file = file;
    progress.fileCount = 7;
    progress.elapsedSeconds = elapsed;
    progress.secondsLeft = left;
    return progress;
}

TEST_F(Sheet, JoinProgressShowsTheFileAndTheTime)
{
    ProgressSheet& s = *sheet();
    s.begin("Joining Audio...", false);
    // Where the join stands, then the bar (per mille) and the two lines.
    const struct { JoinProgress progress; int bar; const char* status; const char* time; } steps[]{
        {at(0.5, 1, 0.5, std::nullopt), 5, "0 % · file 1 of 7", "0:01 elapsed · estimating time left"},
        {at(25.0, 2, 12.0, 36.0), 250, "25 % · file 2 of 7", "0:12 elapsed · about 0:36 left"},
        {at(97.0, 0, 5000.0, 155.0), 970, "97 % · writing the joined file", "1:23:20 elapsed · about 2:35 left"},
        {at(150.0, 0, 5100.0, 0.0), 1000, "100 % · writing the joined file", "1:25:00 elapsed · finishing"},
        {at(40.0, 9, 5102.0, std::nullopt), 400, "40 % · file 7 of 7", "1:25:02 elapsed · estimating time left"},
        {at(99.0, 0, 5103.0, 1.0, JobStatus::finishing), 990, "99 % · writing the joined file",
         "1:25:03 elapsed · finishing"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.status);
        s.setJoinProgress(step.progress);
        EXPECT_EQ(s.bar()->value(), std::lround(s.bar()->maximum() * step.bar / 1000.0));
        EXPECT_EQ(s.statusLabel()->text(), QString::fromUtf8(step.status));
        EXPECT_EQ(ProgressSheet::joinTimeText(step.progress), QString::fromUtf8(step.time));
    }
    // A copy tells the sound copied of the whole.
    JoinProgress copying = at(42.0, 0, 4.0, 6.0);
    copying.copiedSeconds = 15120.0;
    copying.copyTotalSeconds = 36000.0;
    s.setJoinProgress(copying);
    EXPECT_EQ(s.statusLabel()->text(), QStringLiteral("42 % · copied 4:12:00 of 10:00:00"));
    EXPECT_EQ(ProgressSheet::joinTimeText(copying), QStringLiteral("0:04 elapsed · about 0:06 left"));
    // With no share left to tell, the bar only moves, and the time goes on.
    JoinProgress unknown = at(60.0, 1, 5200.0, std::nullopt);
    unknown.indeterminate = true;
    s.setJoinProgress(unknown);
    EXPECT_EQ(s.bar()->maximum(), 0);
    EXPECT_EQ(ProgressSheet::joinTimeText(unknown), QStringLiteral("1:26:40 elapsed"));
    s.end();
    s.begin("Joining Audio...", false);
    EXPECT_EQ(s.bar()->maximum(), ProgressSheet::kMaximum);
    EXPECT_EQ(s.statusLabel()->text(), QString());
    s.end();
}

TEST_F(Sheet, EscCancelsLikeTheButton)
{
    ProgressSheet& s = *sheet();
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Esc" : "Cancel");
        QSignalSpy cancelled(&s, &ProgressSheet::cancelRequested);
        s.begin("Joining Audio...", false);
        ASSERT_TRUE(QTest::qWaitFor([&] { return s.isVisible(); }, 1000));
        if (escape)
            QTest::keyClick(&s, Qt::Key_Escape);
        else
            QTest::mouseClick(s.cancelButton(), Qt::LeftButton);
        EXPECT_EQ(cancelled.count(), 1);
        // The sheet stays until the work ends, and says it is ending.
        EXPECT_TRUE(s.isVisible());
        EXPECT_FALSE(s.cancelButton()->isEnabled());
        EXPECT_EQ(s.statusLabel()->text(), QStringLiteral("Cancelling…"));
        QTest::keyClick(&s, Qt::Key_Escape);  // once is enough
        EXPECT_EQ(cancelled.count(), 1);
        s.end();
    }
}

}  // namespace

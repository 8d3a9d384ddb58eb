// The progress sheet: its two forms, what a join's progress shows (the bar,
// the file, the time elapsed and left), an intake's count, and Esc.
#include <cmath>

#include <QSignalSpy>
#include <QTest>

#include "support/AppTestSupport.h"

using namespace apptest;
using velmora::JoinProgress;
using velmora::app::ProgressSheet;

namespace {

class Sheet : public AppTest {};

TEST_F(Sheet, FormsAndHide)
{
    auto& d = *delegate;
    const struct { const char* title; bool indeterminate; } forms[]{{"Analyzing Files...", true},
                                                                     {"Joining Audio...", false}};
    for (const auto& f : forms) {
        d.showProgressSheet(f.title, f.indeterminate);
        EXPECT_TRUE(d.progressWindow->isVisible() && d.progressWindow->windowModality() == Qt::WindowModal);
        EXPECT_EQ(d.progressTitle->text(), QString::fromUtf8(f.title));
        EXPECT_EQ(d.progressBar->maximum() == 0, f.indeterminate);
        EXPECT_EQ(d.progressBar->value(), 0);
        EXPECT_TRUE(d.progressBarCancelBTN->isVisible());  // both forms can be cancelled
        d.progressWindow->close();  // the window manager's close does not take it away
        EXPECT_TRUE(d.progressWindow->isVisible());
        d.hideProgressSheet();
        EXPECT_FALSE(d.progressWindow->isVisible());
        EXPECT_FALSE(d.progressBarCancelBTN->isVisible());
        EXPECT_EQ(d.progressBar->maximum(), 0);
    }
}

TEST_F(Sheet, JoinProgressShowsTheFileAndTheTime)
{
    auto& d = *delegate;
    double now = 0;
    d.progressWindow->setClockForTesting([&] { return now; });
    d.showProgressSheet("Joining Audio...", false);
    const int max = d.progressBar->maximum();
    // Seconds since the join began, where it stands, then the bar and the two lines.
    const struct {
        double seconds;
        JoinProgress progress;
        int bar;
        const char* status;
        const char* time;
    } steps[]{
        {0.5, {0.5, 1, 7}, 5, "0 % · file 1 of 7", "0:01 elapsed · estimating time left"},
        {12.0, {25.0, 2, 7}, 250, "25 % · file 2 of 7", "0:12 elapsed · about 0:36 left"},
        {4000.0, {60.0, 5, 7}, 600, "60 % · file 5 of 7", "1:06:40 elapsed · about 44:27 left"},
        {5000.0, {97.0, 0, 7}, 970, "97 % · writing the joined file", "1:23:20 elapsed · about 2:35 left"},
        {5100.0, {150.0, 0, 7}, 1000, "100 % · writing the joined file", "1:25:00 elapsed · finishing"},
        {5101.0, {NAN, 0, 7}, 1000, "100 % · writing the joined file", "1:25:00 elapsed · finishing"},
        {5102.0, {-INFINITY, 9, 7}, 0, "0 % · file 7 of 7", "1:25:02 elapsed · estimating time left"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.status);
        now = s.seconds;
        d.setProgress(s.progress);
        EXPECT_EQ(d.progressBar->value(), std::lround(max * s.bar / 1000.0));
        EXPECT_EQ(d.progressWindow->statusLabel()->text(), QString::fromUtf8(s.status));
        EXPECT_EQ(d.progressWindow->timeLabel()->text(), QString::fromUtf8(s.time));
    }
    // With no share left to tell, the bar only moves, and the time goes on.
    d.setProgressIndeterminate();
    now = 5200.0;
    d.setProgress({60.0, 1, 2});
    EXPECT_EQ(d.progressBar->maximum(), 0);
    EXPECT_EQ(d.progressWindow->timeLabel()->text(), QStringLiteral("1:25:02 elapsed"));
    d.hideProgressSheet();
    d.showProgressSheet("Joining Audio...", false);
    EXPECT_EQ(d.progressBar->maximum(), max);
    EXPECT_EQ(d.progressWindow->statusLabel()->text(), QString());
    d.hideProgressSheet();
}

TEST_F(Sheet, IntakeCount)
{
    auto& d = *delegate;
    d.showProgressSheet("Analyzing Files...", true);
    const struct { size_t done, total; const char* text; int permille; } steps[]{
        {0, 300, "Analyzing 1 of 300", 0}, {23, 300, "Analyzing 24 of 300", 77}, {300, 300, "Analyzing 300 of 300", 1000}};
    for (const auto& s : steps) {
        d.progressWindow->setIntakeCount(s.done, s.total);
        EXPECT_EQ(d.progressWindow->statusLabel()->text(), QString::fromUtf8(s.text));
        EXPECT_EQ(d.progressBar->value(), std::lround(d.progressBar->maximum() * s.permille / 1000.0));
    }
    EXPECT_EQ(d.progressWindow->timeLabel()->text(), QString());
    d.hideProgressSheet();
}

TEST_F(Sheet, EscCancelsLikeTheButton)
{
    auto& d = *delegate;
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "Esc" : "Cancel");
        QSignalSpy cancelled(d.progressWindow, &ProgressSheet::cancelRequested);
        d.control.clearCancel();
        d.showProgressSheet("Joining Audio...", false);
        ASSERT_TRUE(QTest::qWaitFor([&] { return d.progressWindow->isVisible(); }, 1000));
        if (escape)
            QTest::keyClick(d.progressWindow, Qt::Key_Escape);
        else
            QTest::mouseClick(d.progressBarCancelBTN, Qt::LeftButton);
        EXPECT_EQ(cancelled.count(), 1);
        EXPECT_TRUE(d.control.isCancelled());
        // The sheet stays until the work ends, and says it is ending.
        EXPECT_TRUE(d.progressWindow->isVisible());
        EXPECT_FALSE(d.progressBarCancelBTN->isEnabled());
        EXPECT_EQ(d.progressWindow->statusLabel()->text(), QStringLiteral("Cancelling…"));
        QTest::keyClick(d.progressWindow, Qt::Key_Escape);  // once is enough
        EXPECT_EQ(cancelled.count(), 1);
        d.hideProgressSheet();
    }
}

}  // namespace

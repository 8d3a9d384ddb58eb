// The list's Loudness column: empty until a file is measured, measured in
// the background only while the loudness is evened out, and a file that
// cannot be decoded left blank.
#include "support/AppTestSupport.h"

#include "app/FileListModel.h"
#include "app/LoudnessMeter.h"

using namespace apptest;

namespace {

class LoudnessColumn : public AppTest {};

QString loudnessCell(const velmora::app::FileListModel& model, int row)
{
    return model.data(model.index(row, velmora::app::FileListModel::loudnessColumn), Qt::DisplayRole).toString();
}

}  // namespace

TEST_F(LoudnessColumn, FilesAreMeasuredInTheBackgroundOnceTurnedOn)
{
    // A stereo tone at about -20 LUFS, and a file that is not media.
    const std::string tone = testsupport::makeMedia(
        "loudness-column.wav", {"-f", "lavfi", "-i", "aevalsrc=exprs=0.1*sin(2*PI*997*t)|0.1*sin(2*PI*997*t):d=2",
                                "-c:a", "pcm_s16le"});
    velmora::FileRow measured = row("tone.wav");
    measured.filePath = tone;
    velmora::app::FileListModel model;
    velmora::app::LoudnessMeter meter(&model);
    model.insertRow(0, measured);
    model.insertRow(1, row("broken.wav"));
    EXPECT_EQ(model.headerData(velmora::app::FileListModel::loudnessColumn, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Loudness"));
    // Off: nothing is measured.
    EXPECT_EQ(meter.asked(), 0u);
    EXPECT_TRUE(loudnessCell(model, 0).isEmpty());

    meter.setEnabled(true);
    ASSERT_TRUE(spinUntil([&] { return !loudnessCell(model, 0).isEmpty(); }, 20000));
    const QString cell = loudnessCell(model, 0);
    EXPECT_TRUE(cell.endsWith(QStringLiteral(" LUFS"))) << cell.toStdString();
    EXPECT_NEAR(cell.section(' ', 0, 0).toDouble(), -20.0, 0.5) << cell.toStdString();
    EXPECT_TRUE(model.data(model.index(0, velmora::app::FileListModel::loudnessColumn), Qt::ToolTipRole)
                    .toString()
                    .contains(QStringLiteral("true peak")));
    // A row added later is measured too; a file measured once is not again.
    model.insertRow(2, measured);
    EXPECT_EQ(meter.asked(), 2u);
    EXPECT_EQ(loudnessCell(model, 2), cell);
    spinUntil([] { return false; }, 300);
    EXPECT_TRUE(loudnessCell(model, 1).isEmpty());
}

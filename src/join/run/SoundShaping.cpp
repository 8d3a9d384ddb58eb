#include "join/run/SoundShaping.h"

#include "foundation/Paths.h"

namespace velmora {

ShapedSound shapeSound(const JoinPlan& plan, const std::vector<FileRow>& rows, const SoundOptions& options,
                       const MeasuredParts& measured)
{
    ShapedSound shaped;
    const int rate = plan.form.sampleRate;
    shaped.sound = planSound(measured.sounds, options, rate);
    shaped.plan = withPartEdits(plan, rows, shaped.sound.edits);
    shaped.counts = measured.counts;
    for (size_t i = 0; i < shaped.counts.size() && i < shaped.sound.edits.size(); ++i) {
        shaped.counts[i].frames = shaped.sound.edits[i].framesOf(measured.counts[i].frames);
        shaped.summaries.push_back(editSummary(measured.sounds[i], shaped.sound.edits[i], rate));
    }
    shaped.notes = soundNotes(rows, shaped.sound, options);
    if (options.loudness != LoudnessMode::keep) {
        for (size_t i = 0; i < measured.sounds.size() && i < rows.size(); ++i) {
            if (!measured.sounds[i].loudnessMeasured)
                shaped.notes.push_back("The loudness of \"" + lastPathComponent(rows[i].filePath) +
                                       "\" could not be measured: it keeps its level.");
        }
    }
    return shaped;
}

}  // namespace velmora

// The gains that even out loudness: each part to the target, one gain for
// the whole book measured on all its blocks together, and never a true peak
// over -1 dBTP; and the edits a join makes of them, its trims and pauses.
#include <gtest/gtest.h>

#include "join/plan/AudioForm.h"
#include "join/plan/PartEdit.h"
#include "join/plan/SoundGain.h"

using namespace velmora;

namespace {

// A part of `seconds` at a steady loudness, peaking at `peak`.
PartLoudness steady(double lufs, double peak, int seconds = 10)
{
    return {lufs, peak, std::vector<float>(size_t(seconds) * 10, static_cast<float>(lufs))};
}

}  // namespace

TEST(SoundGain, PartsModeBringsEachPartToTheTargetUnderThePeakCeiling)
{
    const GainChoice choice =
        chooseGains({steady(-30, -14), steady(-14, -3), steady(-22, -2), steady(-70, -120)}, LoudnessMode::parts, -18);
    ASSERT_EQ(choice.parts.size(), 4u);
    EXPECT_DOUBLE_EQ(choice.parts[0].gainDb, 12.0);
    EXPECT_FALSE(choice.parts[0].peakLimited);
    EXPECT_DOUBLE_EQ(choice.parts[1].gainDb, -4.0);
    // +4 dB would bring its -2 dBTP peak to +2: the gain stops at +1.
    EXPECT_DOUBLE_EQ(choice.parts[2].gainDb, 1.0);
    EXPECT_TRUE(choice.parts[2].peakLimited);
    // A silent part keeps its level.
    EXPECT_DOUBLE_EQ(choice.parts[3].gainDb, 0.0);
    EXPECT_TRUE(choice.peakLimited());
    EXPECT_TRUE(chooseGains({steady(-30, -12)}, LoudnessMode::keep, -18).parts[0].gainDb == 0.0);
}

TEST(SoundGain, WholeModeGatesTheBlocksOfAllPartsTogether)
{
    // Two parts of the same loudness are that loudness together.
    const auto same = steady(-20, -5);
    EXPECT_NEAR(gatedLoudness({&same.blocks, &same.blocks}), -20.0, 1e-6);
    // A quiet part far below the others falls under the relative gate: the
    // book is as loud as its loud parts, not their plain average.
    const auto quiet = steady(-30, -12), loud = steady(-14, -3), middle = steady(-22, -8);
    const double together = gatedLoudness({&quiet.blocks, &loud.blocks, &middle.blocks});
    EXPECT_NEAR(together, -16.37, 0.01);

    const GainChoice choice = chooseGains({quiet, loud, middle}, LoudnessMode::whole, -18);
    EXPECT_NEAR(choice.wholeLoudness, together, 1e-9);
    for (const PartGain& gain : choice.parts) {
        EXPECT_NEAR(gain.gainDb, -18.0 - together, 1e-9);
        EXPECT_FALSE(gain.peakLimited);
    }
    // Raising the book is held by its loudest peak, for every part alike.
    const GainChoice raised = chooseGains({quiet, loud, middle}, LoudnessMode::whole, -10);
    for (const PartGain& gain : raised.parts) {
        EXPECT_DOUBLE_EQ(gain.gainDb, 2.0);
        EXPECT_TRUE(gain.peakLimited);
    }
    // Nothing above the absolute gate: no gain.
    EXPECT_DOUBLE_EQ(chooseGains({steady(-80, -60)}, LoudnessMode::whole, -18).parts[0].gainDb, 0.0);
}

TEST(SoundGain, EditsTrimToAQuarterSecondAndPauseBetweenPartsOnly)
{
    constexpr int kRate = 48000;
    SoundOptions options;
    options.trimSilence = true;
    options.gapSeconds = 2.0;
    // Sound from 3 s to 7 s of 10 s; the second part is sound throughout; the third silent.
    std::vector<PartSound> sounds(3);
    sounds[0] = {10 * kRate, 3 * kRate, 7 * kRate - 1, false, {}};
    sounds[1] = {kRate, 0, kRate - 1, false, {}};
    sounds[2] = {kRate, -1, -1, false, {}};
    const SoundPlan plan = planSound(sounds, options, kRate);
    ASSERT_EQ(plan.edits.size(), 3u);
    EXPECT_EQ(plan.edits[0].start, 3 * kRate - kRate / 4);
    EXPECT_EQ(plan.edits[0].end, 7 * kRate + kRate / 4);
    EXPECT_EQ(plan.edits[0].pad, 2 * kRate);
    EXPECT_EQ(plan.edits[0].framesOf(sounds[0].frames), 4 * kRate + kRate / 2 + 2 * kRate);
    EXPECT_FALSE(plan.edits[1].trimmed());
    EXPECT_EQ(plan.edits[1].framesOf(kRate), 3 * kRate);
    EXPECT_FALSE(plan.edits[2].trimmed());  // a silent part stays whole
    EXPECT_EQ(plan.edits[2].pad, 0);        // no pause after the last part

    // A part whose loudness could not be measured keeps its level, even in whole mode.
    options = SoundOptions{};
    options.loudness = LoudnessMode::whole;
    std::vector<PartSound> measured(2);
    measured[0] = {kRate, 0, kRate - 1, true, steady(-30, -20)};
    measured[1] = {kRate, 0, kRate - 1, false, {}};
    const SoundPlan whole = planSound(measured, options, kRate);
    EXPECT_DOUBLE_EQ(whole.edits[0].gainDb, 12.0);
    EXPECT_DOUBLE_EQ(whole.edits[1].gainDb, 0.0);

    // The pause is whole tenths of a second at any rate.
    options.gapSeconds = 0.30000000000000004;
    EXPECT_EQ(gapSamples(options, 44100), 13230);
}

TEST(SoundGain, TheDecoderFilterMakesTheEditInTheJoinRate)
{
    FileRow row;
    row.audio.channels = 2;
    row.audio.sampleRate = 44100;
    AudioForm form;
    PartEdit edit;
    edit.gainDb = -4.5;
    edit.start = 100;
    edit.end = 5000;
    edit.pad = 88200;
    const std::string chain = partFilter(row, form, 0, edit, true);
    // Trimmed after the resampler, the gain before the form is set, the pause last.
    const size_t resample = chain.find("aresample"), trim = chain.find("atrim=start_sample=100:end_sample=5000"),
                 gain = chain.find("volume=-4.5dB"), measure = chain.find("ebur128="),
                 form_ = chain.find("aformat"), pad = chain.find("apad=pad_len=88200");
    ASSERT_NE(pad, std::string::npos) << chain;
    EXPECT_LT(resample, trim);
    EXPECT_LT(trim, gain);
    EXPECT_LT(gain, measure);
    EXPECT_LT(measure, form_);
    EXPECT_LT(form_, pad);
    // Measuring, the sound splits off to the true-peak meter: four times the rate, 12 taps a phase.
    EXPECT_NE(chain.find("asplit=2[sound][peak];[peak]aresample=176400:filter_size=12"), std::string::npos) << chain;
    EXPECT_TRUE(chain.ends_with("[part]")) << chain;
    EXPECT_EQ(partFilter(row, form).find("volume"), std::string::npos);
    // A gain on 16-bit samples is worked out in floats, rounded once by the encoder.
    form.sampleFormat = "s16";
    EXPECT_EQ(gainableForm(form).sampleFormat, "flt");
}

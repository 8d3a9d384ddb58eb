#include "join/plan/AudioForm.h"

#include <algorithm>

#include "foundation/Numbers.h"


namespace velmora {
namespace {

// How many channels a layout name stands for ("5.1(side)": 6); 0 when unknown.
int layoutChannels(const std::string& layout)
{
    static const std::vector<std::pair<std::string, int>> known{
        {"mono", 1},      {"stereo", 2},    {"2.1", 3},       {"3.0", 3},       {"3.0(back)", 3}, {"4.0", 4},
        {"quad", 4},      {"quad(side)", 4}, {"3.1", 4},      {"5.0", 5},       {"5.0(side)", 5}, {"4.1", 5},
        {"5.1", 6},       {"5.1(side)", 6}, {"6.0", 6},       {"6.0(front)", 6}, {"hexagonal", 6}, {"6.1", 7},
        {"6.1(back)", 7}, {"6.1(front)", 7}, {"7.0", 7},      {"7.0(front)", 7}, {"7.1", 8},      {"7.1(wide)", 8},
        {"7.1(wide-side)", 8}, {"octagonal", 8}};
    for (const auto& [name, count] : known) {
        if (name == layout)
            return count;
    }
    return 0;
}

// The layout a part plays in: its own, else the usual one for its channel count.
std::string partLayout(const AudioStreamFacts& audio)
{
    if (!audio.layout.empty() && layoutChannels(audio.layout) == audio.channels)
        return audio.layout;
    switch (audio.channels) {
    case 1: return "mono";
    case 2: return "stereo";
    case 6: return "5.1";
    case 8: return "7.1";
    default: return audio.channels > 0 ? std::to_string(audio.channels) + "c" : "stereo";
    }
}

// The most channels an output format holds.
int maxChannels(const OutputFormat& format)
{
    switch (format.encoder) {
    case AudioEncoder::mp3: return 2;
    case AudioEncoder::toolDefault: return 2;
    default: return 8;
    }
}

bool isFloatFormat(const std::string& sampleFormat)
{
    return sampleFormat.rfind("flt", 0) == 0 || sampleFormat.rfind("dbl", 0) == 0;
}

}  // namespace

std::string AudioForm::rawFormat() const
{
    if (sampleFormat == "s16")
        return "s16le";
    if (sampleFormat == "s32")
        return "s32le";
    if (sampleFormat == "dbl")
        return "f64le";
    return "f32le";
}

int AudioForm::bytesPerSample() const
{
    if (sampleFormat == "s16")
        return 2;
    if (sampleFormat == "dbl")
        return 8;
    return 4;
}

AudioForm commonAudioForm(const std::vector<FileRow>& rows, const OutputFormat& format)
{
    AudioForm form;
    bool allLossless = !rows.empty(), anyFloat = false;
    int maxBits = 0, highestRate = 0;
    std::string sharedLayout;
    bool layoutsAgree = true;
    int mostChannels = 0;
    std::string widest = "stereo";
    for (const FileRow& row : rows) {
        const AudioStreamFacts& a = row.audio;
        allLossless = allLossless && a.lossless;
        // A lossy decoder works in float, from what was at most 16 bits in most cases.
        const bool floatSamples = a.lossless && isFloatFormat(a.sampleFormat);
        anyFloat = anyFloat || floatSamples;
        maxBits = std::max(maxBits, a.lossless ? std::max(a.bits, 16) : 16);
        highestRate = std::max(highestRate, a.sampleRate);
        const std::string layout = partLayout(a);
        if (&row == &rows.front())
            sharedLayout = layout;
        layoutsAgree = layoutsAgree && layout == sharedLayout;
        if (layoutChannels(layout) > mostChannels) {
            mostChannels = layoutChannels(layout);
            widest = layout;
        }
    }
    if (highestRate > 0)
        form.sampleRate = highestRate;  // the common rate when they share one

    // The layout: the shared one, else the widest; within what the format holds.
    form.layout = layoutsAgree && !sharedLayout.empty() ? sharedLayout : widest;
    form.channels = std::max(1, layoutChannels(form.layout));
    if (form.channels > maxChannels(format)) {
        form.notes.push_back("The " + format.extension + " format holds at most stereo sound: the " + form.layout +
                             " parts were mixed down to stereo.");
        form.layout = "stereo";
        form.channels = 2;
    }

    // The samples: integers of the parts' depth when every part is lossless,
    // integer and at the join's rate, so they pass untouched; floats
    // otherwise (doubles for 32-bit integers), and any rounding to the
    // output's depth, with its dither, happens once, in the encoder.
    const bool resampled = std::any_of(rows.begin(), rows.end(),
                                       [&](const FileRow& row) { return row.audio.sampleRate != form.sampleRate; });
    form.bits = maxBits > 24 ? 32 : maxBits > 16 ? 24 : 16;
    form.floatingPoint = anyFloat;
    if (format.encoder == AudioEncoder::flac && (form.bits > 24 || anyFloat)) {
        form.notes.push_back("FLAC keeps at most 24 bits here: the parts' " +
                             std::string(anyFloat ? "floating-point" : "32-bit") + " samples were rounded to 24 bits.");
        form.bits = 24;
        form.floatingPoint = false;
    }
    if (allLossless && !anyFloat && !resampled)
        form.sampleFormat = form.bits == 16 ? "s16" : "s32";
    else if (maxBits > 24 && !anyFloat)
        form.sampleFormat = "dbl";
    else
        form.sampleFormat = "flt";
    return form;
}

std::string partFilter(const FileRow& row, const AudioForm& form, long long endSample, const PartEdit& edit,
                       bool measure)
{
    std::vector<std::string> filters;
    // Where a measuring decoder's sound splits off to the true-peak meter, and the rate there.
    size_t split = 0;
    int splitRate = 0;
    if (endSample > 0)
        filters.push_back("atrim=end_sample=" + std::to_string(endSample));
    // A mono part in a stereo join plays on both sides at its own level (the
    // resampler's own mix would take 3 dB off it). It is measured before, on
    // its one channel as the two it plays on: the same figures at half the work.
    const bool dualMono = row.audio.channels == 1 && form.channels == 2 && row.audio.sampleRate > 0;
    if (measure && dualMono) {
        filters.push_back("ebur128=dualmono=true:framelog=info");
        split = filters.size();
        splitRate = row.audio.sampleRate;
    }
    if (row.audio.channels == 1 && form.channels == 2)
        filters.push_back("pan=stereo|c0=c0|c1=c0");
    // Deeper than floats hold, a part changing rate is resampled in doubles:
    // left to itself the resampler works in floats for any input of up to 4
    // bytes, and its 24-bit mantissa would be all that is kept of 32 bits.
    std::string resampler = "aresample=" + std::to_string(form.sampleRate) + ":resampler=soxr:precision=28";
    if (form.sampleFormat == "dbl" && row.audio.sampleRate != form.sampleRate)
        resampler += ":internal_sample_fmt=dblp";
    filters.push_back(resampler);
    if (edit.trimmed()) {
        std::string trim = "atrim=start_sample=" + std::to_string(edit.start);
        if (edit.end > 0)
            trim += ":end_sample=" + std::to_string(edit.end);
        filters.push_back(trim);
        filters.push_back("asetpts=N/SR/TB");
    }
    if (edit.gainDb != 0.0)
        filters.push_back("volume=" + shortestDouble(edit.gainDb, false) + "dB:precision=double");
    // Every 100 ms the momentary loudness, and the summary at the end.
    if (measure && !dualMono) {
        filters.push_back("ebur128=framelog=info");
        split = filters.size();
        splitRate = form.sampleRate;
    }
    filters.push_back("aformat=sample_fmts=" + form.sampleFormat + ":channel_layouts=" + form.layout);
    if (edit.pad > 0)
        filters.push_back("apad=pad_len=" + std::to_string(edit.pad));
    const auto joined = [&](size_t from, size_t to) {
        std::string chain;
        for (size_t i = from; i < to; ++i)
            chain += (chain.empty() ? "" : ",") + filters[i];
        return chain;
    };
    if (!measure)
        return joined(0, filters.size());
    // The true peak: the sound oversampled four times (twice from 96 kHz up)
    // by an interpolator of 12 taps a phase, as EBU R128's meters do, and its
    // highest sample. The interpolator works in floats rather than in the
    // loudness meter's doubles: the same figures for less work.
    const int oversampled = splitRate * (splitRate >= 96000 ? 2 : 4);
    return "[0:a:0]" + joined(0, split) + ",asplit=2[sound][peak];[peak]aresample=" + std::to_string(oversampled) +
           ":filter_size=12:phase_shift=6:internal_sample_fmt=fltp,astats=measure_perchannel=none:measure_overall="
           "Peak_level,anullsink;[sound]" +
           joined(split, filters.size()) + "[part]";
}

AudioForm gainableForm(AudioForm form)
{
    if (form.sampleFormat == "s16" || form.sampleFormat == "s32")
        form.sampleFormat = form.bits > 24 ? "dbl" : "flt";
    return form;
}

bool isMp4Container(const FileRow& row)
{
    return row.formatName.find("mp4") != std::string::npos || row.formatName.find("mov") != std::string::npos;
}

}  // namespace velmora

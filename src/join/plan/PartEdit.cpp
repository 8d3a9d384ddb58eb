#include "join/plan/PartEdit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "foundation/Paths.h"

namespace velmora {
namespace {

std::string oneDecimal(double value, bool sign)
{
    char text[32];
    std::snprintf(text, sizeof text, sign ? "%+.1f" : "%.1f", std::abs(value) < 0.05 ? 0.0 : value);
    return text;
}

std::string secondsText(long long frames, int sampleRate)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", static_cast<double>(frames) / sampleRate);
    return text;
}

}  // namespace

long long PartEdit::framesOf(long long decoded) const
{
    const long long last = end > 0 ? std::min(end, decoded) : decoded;
    return std::max(0LL, last - start) + pad;
}

SoundPlan planSound(const std::vector<PartSound>& sounds, const SoundOptions& options, int sampleRate)
{
    SoundPlan plan;
    plan.edits.resize(sounds.size());
    std::vector<PartLoudness> loudness;
    for (const PartSound& sound : sounds)
        loudness.push_back(sound.loudness);
    plan.gains = chooseGains(loudness, options.loudness, options.targetLufs);
    const long long kept = std::llround(kTrimKeptSeconds * sampleRate);
    const long long pause = gapSamples(options, sampleRate);
    for (size_t i = 0; i < sounds.size(); ++i) {
        PartEdit& edit = plan.edits[i];
        const PartSound& sound = sounds[i];
        // A part whose loudness could not be measured keeps its level.
        if (options.loudness == LoudnessMode::keep || sound.loudnessMeasured) {
            edit.gainDb = plan.gains.parts[i].gainDb;
            edit.peakLimited = plan.gains.parts[i].peakLimited;
        }
        if (options.trimSilence && sound.firstSound >= 0) {
            edit.start = std::max(0LL, sound.firstSound - kept);
            const long long end = std::min(sound.frames, sound.lastSound + 1 + kept);
            edit.end = end < sound.frames ? end : 0;
        }
        if (i + 1 < sounds.size())
            edit.pad = pause;
    }
    return plan;
}

std::vector<std::string> soundNotes(const std::vector<FileRow>& rows, const SoundPlan& plan,
                                    const SoundOptions& options)
{
    std::vector<std::string> notes;
    const std::string target = lufsText(options.targetLufs);
    if (options.loudness == LoudnessMode::whole && plan.gains.peakLimited()) {
        const double reached = plan.gains.wholeLoudness + plan.edits.front().gainDb;
        notes.push_back("The joined file's loudness stops at " + lufsText(reached) + " instead of " + target +
                        ", so that its peaks stay below -1 dBTP.");
    } else if (options.loudness == LoudnessMode::parts) {
        for (size_t i = 0; i < plan.edits.size() && i < rows.size(); ++i) {
            if (!plan.gains.parts[i].peakLimited)
                continue;
            notes.push_back("\"" + lastPathComponent(rows[i].filePath) + "\" was raised by " + gainText(plan.edits[i].gainDb) +
                            " only, short of " + target + ", so that its peaks stay below -1 dBTP.");
        }
    }
    return notes;
}

std::string editSummary(const PartSound& sound, const PartEdit& edit, int sampleRate)
{
    std::vector<std::string> parts;
    if (sound.loudnessMeasured) {
        parts.push_back(lufsText(sound.loudness.integrated) + ", peak " + oneDecimal(sound.loudness.truePeak, false) +
                        " dBTP");
        parts.push_back("gain " + gainText(edit.gainDb) + (edit.peakLimited ? " (held by the peak)" : ""));
    }
    if (edit.trimmed()) {
        const long long endCut = edit.end > 0 ? sound.frames - edit.end : 0;
        parts.push_back("trim " + secondsText(edit.start, sampleRate) + " at the start, " +
                        secondsText(endCut, sampleRate) + " at the end");
    }
    if (edit.pad > 0)
        parts.push_back("then " + secondsText(edit.pad, sampleRate) + " of silence");
    if (parts.empty())
        return "as it is";
    std::string text;
    for (const std::string& part : parts)
        text += (text.empty() ? "" : "; ") + part;
    return text;
}

std::string lufsText(double lufs)
{
    return lufs <= -70.0 ? std::string("silent") : oneDecimal(lufs, false) + " LUFS";
}

std::string gainText(double db)
{
    return oneDecimal(db, true) + " dB";
}

}  // namespace velmora

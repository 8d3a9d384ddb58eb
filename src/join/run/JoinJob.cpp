#include "join/run/JoinJob.h"

#include <algorithm>
#include <filesystem>

#include "join/outcome/Messages.h"

#include "foundation/FileSystem.h"
#include "foundation/ParallelWork.h"
#include "foundation/Paths.h"
#include "foundation/Resources.h"
#include "join/outcome/JoinCheck.h"
#include "join/outcome/OutputCheck.h"
#include "join/plan/CopyDecision.h"
#include "join/plan/CopyPlan.h"
#include "join/plan/DecoderGroups.h"
#include "join/plan/JoinPlan.h"
#include "join/plan/OutputRule.h"
#include "join/plan/OutputSize.h"
#include "join/run/PartStream.h"
#include "join/run/SegmentEncode.h"
#include "join/run/PartMeasure.h"
#include "join/run/SoundShaping.h"
#include "foundation/ParallelWork.h"
#include "join/run/JoinMetadata.h"
#include "join/run/MeasureAhead.h"
#include "join/run/OutputFile.h"
#include "join/run/ToolRunner.h"
#include "join/run/WorkFolder.h"

namespace velmora {
namespace {

JoinOutcome endedAs(JoinStatus status, const std::string& outputPath, std::string reason = {})
{
    return JoinOutcome{status, outputPath, std::move(reason), {}, {}, {}, {}};
}

}  // namespace

JoinJob::JoinJob(JoinRequest request, JoinHost& host)
    : request_(std::move(request)),
      host_(host),
      progress_(std::make_shared<JoinProgressModel>(std::vector<double>{}, 0, request_.rows.size()))
{
}

JobStatus JoinJob::status() const
{
    std::lock_guard lock(mutex_);
    return status_;
}

JoinProgress JoinJob::progress() const
{
    std::shared_ptr<JoinProgressModel> model;
    {
        std::lock_guard lock(mutex_);
        model = progress_;
    }
    return model->current();
}

std::optional<JoinOutcome> JoinJob::outcome() const
{
    std::lock_guard lock(mutex_);
    return outcome_;
}

void JoinJob::cancel()
{
    std::lock_guard lock(mutex_);
    if (!committed_)
        cancellation_.cancel();
}

void JoinJob::setStatus(Status status)
{
    std::shared_ptr<JoinProgressModel> model;
    {
        std::lock_guard lock(mutex_);
        status_ = status;
        model = progress_;
    }
    model->setStatus(status);
    postProgress();
}

void JoinJob::postProgress()
{
    host_.postToMain([&host = host_, progress = progress()] { host.jobProgressed(progress); });
}

void JoinJob::run()
{
    {
        // The time counts from here, not from when the job was made (it may have waited in a queue).
        auto fresh = std::make_shared<JoinProgressModel>(std::vector<double>{}, 0, request_.rows.size());
        std::lock_guard lock(mutex_);
        progress_ = std::move(fresh);
    }
    setStatus(Status::analysing);
    JoinOutcome outcome = finish(join());
    outcome.media = joinMedia(request_.rows);
    const Status final = outcome.status == JoinStatus::succeeded ? Status::done
                         : outcome.status == JoinStatus::cancelled ? Status::cancelled
                                                                    : Status::failed;
    {
        std::lock_guard lock(mutex_);
        outcome_ = outcome;
    }
    setStatus(final);
    host_.postToMain([&host = host_, outcome = std::move(outcome)] { host.joinFinished(outcome); });
}

// Runs the join into the partial file beside the output, judges it, and puts
// it in place when it is good. The run folder and the partial file are gone
// again when this returns, whatever happened.
JoinOutcome JoinJob::join()
{
    const std::string& outputPath = request_.outputPath;
    if (const std::optional<std::string> problem = toolProblem(kCreatorToolResource))
        return endedAs(JoinStatus::failed, outputPath, *problem);
    std::string failure;
    // Made first: making it removes what joins that died left behind, the
    // partial file of one that wrote to this output among them.
    const std::unique_ptr<RunFolder> folder = RunFolder::create(&failure);
    if (!folder)
        return endedAs(JoinStatus::failed, outputPath, failure);
    PartialOutput partial(outputDestination(outputPath));
    if (!partial.claim(&failure) || !folder->recordPartial(partial.path(), partial.descriptor(), &failure))
        return endedAs(JoinStatus::failed, outputPath, failure);

    folder_ = folder.get();
    const CopyDecision copy = decideCopy(request_.rows, outputPath, request_.options);
    std::vector<std::string> notes;
    // Asked for, or the default for this output, and not taken: say why.
    // (By default, only when the parts would copy and the sound options stop it.)
    const bool copyWanted = request_.options.copy == CopyChoice::always ||
                            (request_.options.copy == CopyChoice::automatic && copiesByDefault(outputPath) &&
                             !partsRefusal(request_.rows, outputFormatOf(outputPath)) &&
                             optionsRefusal(request_.options));
    if (!copy.refusal.empty() && copyWanted)
        notes.push_back("The parts were re-encoded, not copied: " + copy.refusal + ".");
    PreparedMetadata prepared;
    JoinOutcome outcome;
    if (copy.copy) {
        const JoinPlan plan = buildCopyPlan(request_.rows, partial.path(), folder->workDirectory(), request_.options);
        outcome = joinCopied(plan, partial.path(), prepared);
        // A copy whose timing came out wrong is no loss: the parts are joined
        // again, re-encoded.
        if (outcome.status == JoinStatus::failed && !cancellation_.isCancelled()) {
            notes.push_back("The parts were re-encoded, as copying them failed: " + outcome.reason);
            prepared = PreparedMetadata{};
        }
    }
    if (!copy.copy || (outcome.status == JoinStatus::failed && !cancellation_.isCancelled())) {
        const JoinPlan plan = buildJoinPlan(request_.rows, partial.path(), folder->workDirectory(), request_.options);
        outcome = plan.streamed ? joinStreamed(plan, partial.path(), prepared)
                                : joinNormalised(plan, partial.path(), prepared);
    }
    if (outcome.status != JoinStatus::succeeded)
        return outcome;
    outcome.notes.insert(outcome.notes.begin(), notes.begin(), notes.end());
    {
        // The joined file replaces the output here and nowhere else; a cancel
        // either comes before (and the output stays as it was) or finds the
        // job done.
        std::lock_guard lock(mutex_);
        if (cancellation_.isCancelled())
            return endedAs(JoinStatus::cancelled, outputPath);
        if (!partial.commit(&failure))
            return endedAs(JoinStatus::failed, outputPath, failure);
        committed_ = true;
    }
    outcome.notes.insert(outcome.notes.end(), prepared.notes.begin(), prepared.notes.end());
    if (request_.options.cueSheet)
        writeCueSheet(outputPath, prepared, outcome.notes);
    return outcome;
}

size_t JoinJob::encoderCount() const
{
    return request_.options.encoders ? request_.options.encoders : coreCount();
}

void JoinJob::useProgress(std::vector<double> durations, size_t fileSteps)
{
    std::lock_guard lock(mutex_);
    auto model = std::make_shared<JoinProgressModel>(std::move(durations), fileSteps, request_.rows.size(),
                                                     JoinProgressModel::Clock{}, progress_->startedAt());
    model->setStatus(status_);
    progress_ = std::move(model);
}

namespace {

// A part that gave other than its header promised (`promised`, 0 where it
// promised nothing): the chapters and the check were laid on a wrong count.
bool promiseBroken(const std::vector<long long>& promised, const std::vector<PartCount>& gave)
{
    for (size_t i = 0; i < promised.size() && i < gave.size(); ++i) {
        const PartCount& part = gave[i];
        if (promised[i] > 0 && part.decoder.started && part.decoder.waitStatus == 0 && part.frames != promised[i])
            return true;
    }
    return false;
}

}  // namespace

// Counts every part's samples (or takes its header's word for it), lays the
// chapters on them, then streams the parts into the encoder.
JoinOutcome JoinJob::joinStreamed(const JoinPlan& plan, const std::string& writtenPath, PreparedMetadata& prepared,
                                  bool trustHeaders)
{
    const std::string& outputPath = request_.outputPath;
    const int rate = plan.form.sampleRate;
    double declared = 0.0;
    for (const FileRow& row : request_.rows)
        declared += std::max(playedLength(row), 0.0);
    const OutputFormat format = outputFormatOf(outputPath);
    std::uint64_t needed = estimatedOutputBytes(format, plan.form, request_.options.quality, declared);
    // Segments encoded side by side are written beside the output before
    // they are copied into it: room for the output twice.
    if (encodesInSegments(format) && declared >= request_.options.segmentedFromSeconds && encoderCount() > 1)
        needed *= 2;
    if (const std::optional<std::string> problem = spaceProblem(outputPath, needed))
        return endedAs(JoinStatus::failed, outputPath, *problem);

    // Counting decodes without encoding: a small share of the time.
    constexpr double kCountingShare = 0.05;
    useProgress({declared * kCountingShare, declared}, 0);
    std::mutex countMutex;
    double countedSeconds = 0.0;
    const auto counted = [&](size_t, long long frames) {
        std::lock_guard lock(countMutex);
        countedSeconds += static_cast<double>(frames) / rate;
        if (progress_->advance(0, countedSeconds * kCountingShare))
            postProgress();
    };
    // Options that change the sound measure the parts while counting them.
    // Parts evened out one by one, whose headers tell their counts, are
    // measured while the parts before them stream (see MeasureAhead).
    const SoundOptions& soundOptions = request_.options.sound;
    const bool shaping = changesSound(soundOptions);
    const bool inSegments = encodesInSegments(format) && declared >= request_.options.segmentedFromSeconds &&
                            encoderCount() > 1;
    std::unique_ptr<MeasureAhead> ahead;
    if (trustHeaders && shaping && soundOptions.loudness == LoudnessMode::parts && !soundOptions.trimSilence &&
        !inSegments && std::ranges::all_of(plan.promisedFrames, [](long long frames) { return frames > 0; }))
        ahead = std::make_unique<MeasureAhead>(plan, soundOptions, cancellation_);
    const bool measuringAhead = ahead != nullptr;
    MeasuredParts measured;
    if (shaping && !ahead) {
        measured = measureParts(plan, soundOptions, cancellation_, counted);
    } else {
        measured.counts = countParts(plan, cancellation_, counted, trustHeaders);
        if (shaping) {
            for (const PartCount& count : measured.counts)
                measured.sounds.push_back(PartSound{count.frames, -1, -1, false, {}});
        }
    }
    if (cancellation_.isCancelled())
        return endedAs(JoinStatus::cancelled, outputPath);
    if (const std::optional<JoinOutcome> bad = checkPartCounts(outputPath, request_.rows, measured.counts, rate))
        return *bad;
    const ShapedSound shaped = shaping ? shapeSound(plan, request_.rows, soundOptions, measured)
                                       : ShapedSound{plan, measured.counts, {}, {}, {}};
    const std::vector<PartCount>& counts = shaped.counts;

    std::vector<double> lengths;
    std::vector<long long> ends;  // where each part ends in the output, in frames
    double total = 0.0;
    for (const PartCount& part : counts) {
        lengths.push_back(static_cast<double>(part.frames) / rate);
        total += lengths.back();
        ends.push_back((ends.empty() ? 0 : ends.back()) + part.frames);
    }
    prepared = prepareJoinMetadata(plan, request_.rows, request_.options, outputPath, cancellation_, lengths);
    if (cancellation_.isCancelled())
        return endedAs(JoinStatus::cancelled, outputPath);
    if (!prepared.failure.empty())
        return endedAs(JoinStatus::failed, outputPath, "The joined file could not be prepared: " + prepared.failure);

    const std::vector<EncodeSegment> segments =
        encodesInSegments(format) && !ends.empty()
            ? segmentLayout(ends.back(), rate, encoderCount(), request_.options.segmentedFromSeconds)
            : std::vector<EncodeSegment>{};
    // Putting encoded segments together is a copy: a small share of the time.
    constexpr double kSegmentJoinShare = 0.02;
    if (segments.empty())
        useProgress({total * kCountingShare, total}, 0);
    else
        useProgress({total * kCountingShare, total, total * kSegmentJoinShare}, 0);
    progress_->stepEnded(0);
    setStatus(Status::running);
    StreamReport run;
    if (!segments.empty()) {
        run = encodeInSegments(
            SegmentedWork{shaped.plan, counts, segments, format, request_.options.quality, outputPath, writtenPath,
                          *folder_, groupDecoders_ ? &request_.rows : nullptr},
            cancellation_,
            [&](double seconds) {
                if (progress_->advance(1, std::min(seconds, total)))
                    postProgress();
            },
            [&](std::string_view said) {
                progress_->stepEnded(1);
                if (const std::optional<double> seconds = chunkSeconds(said);
                    seconds && progress_->advance(2, std::min(*seconds, total) * kSegmentJoinShare))
                    postProgress();
            });
        progress_->stepEnded(2);
    } else {
        run = streamWhole(shaped.plan, ends, ahead.get(), writtenPath);
    }
    std::vector<std::string> soundNotes = shaped.notes;
    if (ahead) {
        ahead->stop();
        measured = ahead->results();
        ahead.reset();
    }
    if (run.cancelled || cancellation_.isCancelled())
        return endedAs(JoinStatus::cancelled, outputPath);
    if (run.oneProcess && run.encoder.started) {
        if (run.encoder.waitStatus != 0 || run.encodedFrames != (ends.empty() ? 0 : ends.back())) {
            // A part that would not decode, or gave another count than its
            // header promised: the streamed join names it (after counting
            // every part, for a count).
            oneProcess_ = false;
            return joinStreamed(plan, writtenPath, prepared, trustHeaders && run.encoder.waitStatus != 0);
        }
        // It gave every sample counted: each part gave its count.
        for (size_t i = 0; i < counts.size(); ++i)
            run.parts.push_back(PartCount{CommandRun{true, 0, {}, {}}, counts[i].frames, counts[i].promised});
    }
    // A header that promised another length than its part gave (a file cut
    // short, or joined from pieces): every part is decoded and counted, and
    // the join made again on the true counts.
    // What the stream was promised: each promised part's count with its edits.
    std::vector<long long> promisedToStream;
    for (const PartCount& part : counts)
        promisedToStream.push_back(part.promised ? part.frames : 0);
    const bool streamedWhole = !run.encoderClosed && run.encoder.waitStatus == 0;
    // A decoder shared by several parts that failed: made again with a
    // decoder for each, to name the part at fault.
    if (run.sharedDecoders && std::ranges::any_of(run.parts, [](const PartCount& part) {
            return part.decoder.started && part.decoder.waitStatus != 0;
        })) {
        groupDecoders_ = false;
        return joinStreamed(plan, writtenPath, prepared, trustHeaders);
    }
    if (trustHeaders && ((streamedWhole && promiseBroken(promisedToStream, run.parts)) ||
                         (measuringAhead && promiseBroken(plan.promisedFrames, measured.counts))))
        return joinStreamed(plan, writtenPath, prepared, false);
    if (measuringAhead) {
        // Measured while streaming: a part that could not be measured ended
        // the stream, and fails the join as counting it would have.
        if (const std::optional<JoinOutcome> bad = checkPartCounts(outputPath, request_.rows, measured.counts, rate))
            return *bad;
        soundNotes = shapeSound(plan, request_.rows, soundOptions, measured).notes;
    }
    progress_->stepEnded(1);
    setStatus(Status::finishing);
    JoinOutcome outcome = judgeStreamedJoin(outputPath, request_.rows, counts, run, rate, writtenPath, &cancellation_);
    outcome.notes.insert(outcome.notes.end(), plan.form.notes.begin(), plan.form.notes.end());
    outcome.notes.insert(outcome.notes.end(), soundNotes.begin(), soundNotes.end());
    return outcome;
}

// Streams the parts, one after another, into the plan's one encoder. The
// share done is what the encoder says it has written; the part being passed
// on is told by the frames relayed.
StreamReport JoinJob::streamWhole(const JoinPlan& plan, const std::vector<long long>& ends, MeasureAhead* ahead,
                                  const std::string& writtenPath)
{
    size_t shownFile = 0;
    const auto showFileAt = [&](long long frames) {
        const auto part = std::upper_bound(ends.begin(), ends.end(), frames);
        const size_t file = std::min<size_t>(static_cast<size_t>(part - ends.begin()) + 1, ends.size());
        if (file == shownFile)
            return;
        shownFile = file;
        progress_->setCurrentFile(file);
        postProgress();
    };
    const bool partsFit = plan.partFilters.size() == plan.decoders.size() && ends.size() == plan.decoders.size();
    std::vector<long long> frames;
    for (size_t i = 0; partsFit && i < ends.size(); ++i)
        frames.push_back(ends[i] - (i ? ends[i - 1] : 0));
    if (!ahead && groupDecoders_ && oneProcess_ && request_.options.besideOtherJoins && partsFit && !ends.empty() &&
        decoderGroups(frames, plan.form.sampleRate).front() == ends.size()) {
        // The encoder tells how far it has come, and so which part it is in.
        return streamInOne(wholeJoinCommand(plan, request_.rows, writtenPath), cancellation_,
                           [&](std::string_view said) {
                               if (const std::optional<double> seconds = chunkSeconds(said))
                                   showFileAt(std::llround(*seconds * plan.form.sampleRate));
                               if (progress_->handleChunk(1, said))
                                   postProgress();
                           });
    }
    DecoderSource decoders{plan.decoders.size(), [&](size_t i) { return plan.decoders[i]; },
                           [](size_t) { return true; }, {}, {}};
    std::vector<size_t> groups;
    if (!ahead && groupDecoders_ && partsFit) {
        decoders.frames = frames;
        groups = decoderGroups(decoders.frames, plan.form.sampleRate);
        decoders.span = [&](size_t i) { return groups[i]; };
        decoders.command = [&](size_t i) { return partsDecoderCommand(plan, request_.rows, i, groups[i]); };
    }
    if (ahead) {
        // Each part's decoder makes its own gain, known once it is measured.
        decoders.command = [&](size_t i) -> std::vector<std::string> {
            if (!ahead->wait(i))
                return {};
            const auto [count, sound] = ahead->part(i);
            if (!count.decoder.started || count.decoder.waitStatus != 0 || count.frames == 0)
                return {};
            std::vector<PartSound> sounds(plan.decoders.size());
            sounds[i] = sound;
            const PartEdit edit = planSound(sounds, request_.options.sound, plan.form.sampleRate).edits[i];
            return partDecoderCommand(request_.rows[i], plan.form, i < plan.partEnds.size() ? plan.partEnds[i] : 0,
                                      edit);
        };
        decoders.ready = [ahead](size_t i) { return ahead->ready(i); };
    }
    return streamFrom(
        decoders, plan.encoder, plan.form.frameBytes(), cancellation_,
        showFileAt,
        [&](std::string_view said) {
            if (progress_->handleChunk(1, said))
                postProgress();
        });
}

// Counts every part's packets side by side, lays the chapters on them, then
// copies the packets into the output.
JoinOutcome JoinJob::joinCopied(const JoinPlan& plan, const std::string& writtenPath, PreparedMetadata& prepared)
{
    const std::string& outputPath = request_.outputPath;
    const std::vector<FileRow>& rows = request_.rows;
    // The output takes the parts' sound as it is: about their size.
    std::uint64_t needed = 0;
    double declared = 0.0;
    for (const FileRow& row : rows) {
        std::error_code error;
        const std::uintmax_t size = std::filesystem::file_size(row.filePath, error);
        needed += error ? 0 : size;
        declared += std::max(playedLength(row), 0.0);
    }
    if (const std::optional<std::string> problem = spaceProblem(outputPath, needed))
        return endedAs(JoinStatus::failed, outputPath, *problem);

    // Counting reads the packets' headers only: a small share of the time.
    constexpr double kCountingShare = 0.02;
    useProgress({declared * kCountingShare, declared}, 0);
    std::vector<std::optional<PacketSpan>> spans(rows.size());
    std::mutex countMutex;
    double countedSeconds = 0.0;
    runInParallel(rows.size(), coreCount(), [&](size_t i) {
        if (cancellation_.isCancelled())
            return;
        spans[i] = packetSpan(rows[i].filePath, &cancellation_);
        std::lock_guard lock(countMutex);
        countedSeconds += std::max(playedLength(rows[i]), 0.0);
        if (progress_->advance(0, countedSeconds * kCountingShare))
            postProgress();
    });
    if (cancellation_.isCancelled())
        return endedAs(JoinStatus::cancelled, outputPath);
    std::vector<PacketSpan> parts;
    std::vector<double> lengths;
    double total = 0.0;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!spans[i] || spans[i]->packets == 0)
            return endedAs(JoinStatus::failed, outputPath,
                           "Part " + std::to_string(i + 1) + ", " + lastPathComponent(rows[i].filePath) +
                               ": its sound could not be read.");
        parts.push_back(*spans[i]);
        lengths.push_back(spans[i]->seconds);
        total += lengths.back();
    }
    std::string failure;
    if (!writeFileAtomically(plan.listPath, copyListText(plan.pieces, lengths), &failure))
        return endedAs(JoinStatus::failed, outputPath, "The list of parts could not be written to the work folder: " +
                                                           failure);
    prepared = prepareJoinMetadata(plan, rows, request_.options, outputPath, cancellation_, lengths);
    if (cancellation_.isCancelled())
        return endedAs(JoinStatus::cancelled, outputPath);
    if (!prepared.failure.empty())
        return endedAs(JoinStatus::failed, outputPath, "The joined file could not be prepared: " + prepared.failure);

    useProgress({total * kCountingShare, total}, 0);
    progress_->stepEnded(0);
    progress_->tellCopied(1);
    setStatus(Status::running);
    // A warning may scroll out of the kept tail of a long copy: each piece
    // is looked at, with the end of the one before (a line cut in two).
    bool timingMended = false;
    std::string before;
    const CommandRun run = runEncoder(plan.copier, cancellation_, [&](std::string_view said) {
        timingMended = timingMended || mendsTimestamps(before + std::string(said));
        before = std::string(said.substr(said.size() > 64 ? said.size() - 64 : 0));
        if (progress_->handleChunk(1, said))
            postProgress();
    });
    if (cancellation_.isCancelled())
        return endedAs(JoinStatus::cancelled, outputPath);
    progress_->stepEnded(1);
    setStatus(Status::finishing);
    JoinOutcome outcome = judgeCopiedJoin(outputPath, rows, parts, run, timingMended, writtenPath, &cancellation_);
    if (outcome.status == JoinStatus::succeeded)
        outcome.notes.push_back("Joined without re-encoding.");
    return outcome;
}

// Normalises the clips side by side, then concatenates them into the output.
JoinOutcome JoinJob::joinNormalised(const JoinPlan& plan, const std::string& writtenPath, PreparedMetadata& prepared)
{
    const std::string& outputPath = request_.outputPath;
    useProgress(plan.durations, plan.normalisations);
    setStatus(Status::running);
    const RunReport run = runToolCommands(plan, cancellation_, *progress_, [this] { postProgress(); }, [&] {
        prepared = prepareJoinMetadata(plan, request_.rows, request_.options, outputPath, cancellation_);
        return prepared.failure;
    });
    if (run.cancelled || cancellation_.isCancelled())
        return endedAs(JoinStatus::cancelled, outputPath);
    if (!run.preparationFailure.empty())
        return endedAs(JoinStatus::failed, outputPath,
                       "The joined file could not be prepared: " + run.preparationFailure);
    setStatus(Status::finishing);
    JoinOutcome outcome = judgeJoin(outputPath, run, request_.rows, writtenPath, &cancellation_);
    if (changesSound(request_.options))
        outcome.notes.push_back("Loudness, pauses and trimming apply to sound-only joins: the sound of this video join "
                                "was left as it was.");
    return outcome;
}

JoinOutcome JoinJob::finish(JoinOutcome outcome)
{
    // A cancel while the output was judged wins over a failure it caused.
    if (outcome.status == JoinStatus::failed && !committed_ && cancellation_.isCancelled())
        return endedAs(JoinStatus::cancelled, outcome.outputPath);
    if (outcome.status == JoinStatus::failed)
        outcome.summary = failureSummary(outcome, request_.rows);
    return outcome;
}

}  // namespace velmora

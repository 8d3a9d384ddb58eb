#pragma once
// The commands of one join. An audio list streams: each part's decoder writes
// the common form on its standard output, and Velmora passes the parts on in
// order to the one encoder's standard input, so no full-size file is ever
// written but the output. A video list is normalised into H.264 with PCM
// sound in the work directory, then one concat writes the output. Either way
// the output's encode is the only lossy one.

#include <string>
#include <vector>

#include "join/plan/AudioForm.h"
#include "join/metadata/CoverArt.h"
#include "join/intake/FileRow.h"
#include "join/plan/JoinOptions.h"
#include "join/plan/OutputFormat.h"

namespace velmora {

struct JoinPlan {
    // An audio list: the parts' decoders, one per row in row order, and the
    // encoder that reads them one after another (see the form); `commands`,
    // `durations` and `pieces` are empty then.
    bool streamed = false;
    AudioForm form;
    std::vector<std::vector<std::string>> decoders;
    std::vector<std::string> encoder;
    // The encoder's inputs after the metadata file, and what it is told of
    // the output besides the encode (tags, chapters, cover, muxer): what a
    // join of separately encoded segments needs too.
    std::vector<std::string> moreInputs;
    std::vector<std::string> outputArguments;
    // The encoder's own arguments after its input (the encode, the muxer,
    // tags, chapters and cover), without the sound's "-map" and "-af", and
    // the filter it gives the sound (empty for none): what a join in one
    // process gives its joined sound (see wholeJoinCommand).
    std::vector<std::string> encodeArguments;
    std::string soundFilter;
    // When the options change the sound: the parts' decoders as they are,
    // measuring on the way what the edits are made from (see withPartEdits).
    std::vector<std::vector<std::string>> measurers;
    std::vector<long long> partEnds;  // each part's exact length in its own samples; 0 when its decoder knows it
    // Each decoder's filters (its "-af"), in step with `decoders`: what a
    // decoder of several parts gives each of them (see partsDecoderCommand).
    std::vector<std::string> partFilters;
    // What each part will give, in the join's form and before any edit, when
    // the file's header tells it and the decoder does not resample it: such
    // a part need not be decoded to be counted. 0 when it must be.
    std::vector<long long> promisedFrames;

    // A video list: the normalisations, then the concat.
    std::vector<std::vector<std::string>> commands;
    std::vector<double> durations;
    // The first `normalisations` commands each make the intermediate of one
    // row (command i of row i) and need nothing of each other, so they may run
    // side by side; the concat follows once they are all done.
    size_t normalisations = 0;
    size_t fileCount = 0;  // the rows joined

    // A copy of the parts' packets as they are (see CopyPlan): `copier`
    // reads them through the concat list at `listPath`, written once their
    // lengths are counted; `pieces` are the parts themselves.
    bool copied = false;
    std::string listPath;
    std::vector<std::string> copier;

    // What the concat reads besides the sound, made once the normalisations
    // are done (see prepareJoinMetadata):
    std::vector<std::string> pieces;  // the files joined, one per row in row order
    std::string metadataPath;         // the output's tags and chapters (FFMETADATA1)
    CoverChoice cover;                // the output's cover; origin none for none
    // The cover as a picture file of its own, for a Matroska attachment or an
    // Ogg picture comment; empty when the concat maps the picture's stream.
    std::string coverFile;
    // Copies an embedded cover into `coverFile` without decoding it; empty
    // when there is nothing to copy.
    std::vector<std::string> coverExtraction;
};

// The intermediate of row `index`: "temp<index>.wav" (audio) or "temp<index>.mov" (video).
std::string intermediatePath(const std::string& workDir, size_t index, bool video);
std::string concatListPath(const std::string& workDir);
std::string joinMetadataPath(const std::string& workDir);
// The concat list text: one "file '<path>'" line per file.
std::string concatListText(const std::vector<std::string>& paths);
// A path as a quoted concat list entry: an apostrophe becomes '\''.
std::string concatListQuoted(const std::string& path);

// The decoder of one part: its first sound stream in the form, raw on its
// standard output; cut to `endSample` samples of the part when given.
// With an edit, the part as it is changed (see partFilter); `measure` logs
// its loudness on the error stream at the "info" level.
std::vector<std::string> partDecoderCommand(const FileRow& row, const AudioForm& form, long long endSample = 0,
                                            const PartEdit& edit = {}, bool measure = false);
// The decoder of `count` parts from part `first` on, in one process: each
// part read by a decoder of its own through its own filters, as its own
// decoder would give it, and the parts laid end to end, sample for sample.
std::vector<std::string> partsDecoderCommand(const JoinPlan& plan, const std::vector<FileRow>& rows, size_t first,
                                             size_t count);
// The same for any files, each through its filters (`chains[i]` for `paths[i]`).
std::vector<std::string> partsDecoderCommand(const std::vector<std::string>& paths,
                                             const std::vector<std::string>& chains, const AudioForm& form);
// The whole join in one process, for parts that would share a decoder:
// each part decoded through its filters as partsDecoderCommand does, laid end
// to end and encoded into `outputPath` as the plan's encoder would. It tells
// how many samples it encoded (see encodedSamples). The parts' inputs come
// around the metadata file and cover (inputs 1 and 2, as for the encoder).
std::vector<std::string> wholeJoinCommand(const JoinPlan& plan, const std::vector<FileRow>& rows,
                                          const std::string& outputPath);
// The plan whose decoders make the edits, one per part.
JoinPlan withPartEdits(JoinPlan plan, const std::vector<FileRow>& rows, const std::vector<PartEdit>& edits);
// The encoder that reads the form on its standard input.
std::vector<std::string> streamEncoderCommand(const AudioForm& form, const std::string& metadataPath,
                                              const std::vector<std::string>& moreInputs,
                                              const std::vector<std::string>& streamArguments,
                                              const std::string& outputPath);
std::vector<std::string> videoNormalisationCommand(const FileRow& row, const std::string& intermediate);
// The picture of every clip fitted into 640x480 with its display aspect kept
// and bars around it, at 24 frames per second.
std::string letterboxFilter();

// What the concat does with the joined stream for this output: for an audio
// list, the audio encode (with timestamps counted from the samples); for a
// video list, the H.264 copied when the container takes it and the audio encoded.
std::vector<std::string> concatStreamArguments(const OutputFormat& format, bool video, const AudioForm& form,
                                               const QualitySettings& quality);
// The filter the joined sound goes through on its way into the encoder of an
// audio output (dither for lossless 16-bit from finer samples); empty for none.
std::string soundOutputFilter(const OutputFormat& format, const AudioForm& form);
// The concat reads the list, then the metadata file, then any further inputs.
std::vector<std::string> concatCommand(const std::string& listPath, const std::string& metadataPath,
                                       const std::vector<std::string>& moreInputs,
                                       const std::vector<std::string>& streamArguments, const std::string& outputPath);
// The tags and chapters from the metadata file (input 1): chapters mapped
// only for formats that keep them as chapters of their own.
std::vector<std::string> metadataArguments(const OutputFormat& format, bool chapters);
// The cover for the output (an audio join only): input 2 mapped and copied
// as an attached picture, or attached to a Matroska file as a file.
std::vector<std::string> coverArguments(const OutputFormat& format, const CoverChoice& cover,
                                        const std::string& coverFile);

// Where the cover comes from and, for formats that take it as a file of its
// own, the file it is in (an embedded picture is copied out to the work
// directory first); and the output's tags, chapters and cover
// arguments (`outputArguments`) with the cover's input (`moreInputs`): what
// the encoder, a copy and the join of segments all give the output.
void planTagsAndCover(JoinPlan& plan, const std::vector<FileRow>& rows, const OutputFormat& format,
                      const JoinOptions& options, const std::string& workDir);

// Writes the concat list into the work directory (a join's own, see
// RunFolder) and returns the plan; the concat command writes `outputPath`,
// whose extension picks the format. An all-"Audio" list is joined as audio;
// any other as video (without a cover).
JoinPlan buildJoinPlan(const std::vector<FileRow>& rows, const std::string& outputPath, const std::string& workDir,
                       const JoinOptions& options = {});

}  // namespace velmora

#include "cli/CommandSpec.h"

namespace velmora::cli {
namespace {

const OptionSpec kToolsDir{"", "--tools-dir", "DIR",
                           "find the tools (\"sniffer\" for ffprobe, \"creator\" for ffmpeg) in DIR instead of the "
                           "resources folder beside the program"};
const OptionSpec kSort{"", "--sort", "ORDER",
                       "put the files in ORDER before anything else: name (natural order of the paths, so part2 "
                       "comes before part10 and \"Disc 1/Track 2\" before \"Disc 2/Track 1\") or track (by the disc "
                       "and track tags, files without them last; equal ones by name)"};
const OptionSpec kProbeTimeout{"", "--probe-timeout", "SECONDS",
                               "give each probe at most SECONDS (default 30, at least 0.001); a file whose probe "
                               "takes longer is skipped as \"probe timed out\""};

}  // namespace

CommandSyntax CommandSpec::syntax() const
{
    CommandSyntax syntax{name, {}, {}, {}, {}};
    for (const OptionSpec& o : options) {
        (o.valueName.empty() ? syntax.flags : syntax.valued).insert(o.name);
        if (!o.alias.empty())
            syntax.aliases[o.alias] = o.name;
        if (o.emptyValue)
            syntax.emptyAllowed.insert(o.name);
    }
    return syntax;
}

const OptionSpec* CommandSpec::option(const std::string& optionName) const
{
    for (const OptionSpec& o : options) {
        if (o.name == optionName || o.alias == optionName)
            return &o;
    }
    return nullptr;
}

const CommandSpec& probeSpec()
{
    static const CommandSpec spec{
        "probe",
        "print what the probe finds in each file, as one JSON array",
        "Runs the probe on every FILE and prints one record per file, in the order given. A file that is "
        "not usable media is a result (its record says why), not an error. A folder stands for the media "
        "files in it and its subfolders, in natural order.",
        {{"", "--with-report", "", "add the probe tool's whole report to each record (member \"json\")"}, kToolsDir},
        {{0, "every file was probed"}, {1, "ffprobe is missing or cannot run"}, {2, "bad arguments"}},
    };
    return spec;
}

const CommandSpec& listSpec()
{
    static const CommandSpec spec{
        "list",
        "print the rows the window would list, as a JSON array",
        "Analyses every FILE the way the window does when files are added, and prints the rows of the "
        "usable ones, each with where it would start in the joined file (\"start\", in seconds) and its "
        "chapter title (\"title\": its title tag, else its file name). A folder stands for the media files "
        "in it and its subfolders, in natural order. Each skipped file is named on standard error with the "
        "reason.",
        {kSort, kToolsDir, kProbeTimeout},
        {{0, "the rows were printed"},
         {1, "ffprobe is missing or cannot run"},
         {2, "bad arguments"},
         {130, "interrupted (Ctrl-C or SIGTERM)"}},
    };
    return spec;
}

const CommandSpec& joinSpec()
{
    static const CommandSpec spec{
        "join",
        "join the files, in the order given, into one output file",
        "Analyses every FILE, then joins the usable ones in the order given (or the order --sort asks for) "
        "into OUTPUT; a folder stands for the media files in it and its subfolders, in natural order. All "
        "files must be audio only, or all have video. The files are decoded without loss and joined without a gap, "
        "and OUTPUT's extension picks the one encode: .mp3 (LAME VBR), .m4a/.mp4/.aac (AAC, 192 kbit/s), "
        ".m4b (AAC audiobook), .opus/.ogg (Opus, 128 kbit/s), or .flac, .mka (FLAC) and .wav, which keep "
        "the samples exactly; .mp4, .m4v, .mov, .mkv, .avi, .ts, .flv and .webm take video. Any other extension, or none, is refused. Video is fitted into 640x480 "
        "with its shape kept. For .m4b output (or any, with --copy), files that share their codec, rate and layout "
        "are copied into OUTPUT as they are, without re-encoding. On a terminal one line shows the progress and the time left. "
        "An existing OUTPUT is replaced only with --force; an OUTPUT that is one of the files (or a hard "
        "link of one), a folder or a device, or whose folder cannot be written, is refused. The joined "
        "file is written beside OUTPUT under a temporary name and put in place only when the join "
        "succeeded; on failure the reason follows \"Something went wrong!\" on standard error. The tags "
        "every file shares (album, artist, genre, ...) and the first cover picture found go into OUTPUT; "
        "with chapters each file becomes one chapter (or keeps its own chapters), in .m4a, .m4b, .mp4, "
        ".mkv, .mka, .mp3, .flac, .ogg and .opus output. What the join could not do as asked follows "
        "\"velmora-cli: note:\" on standard error.",
        {
            {"-o", "--output", "OUTPUT",
             "the file to write (default: joined.mp3, or joined.mp4 for video, in the current folder); its "
             "extension picks the format"},
            {"-f", "--force", "", "replace OUTPUT when it exists"},
            {"", "--quality", "Q",
             "LAME's VBR quality for .mp3 output, 0 (best, largest) to 9 (smallest); default 2"},
            {"", "--bitrate", "RATE",
             "the bit rate of the output's lossy encoder in kbit/s (192 or 192k): constant-bit-rate MP3 (32-320), "
             "AAC (32-512, default 192) or Opus (6-510, default 128)"},
            {"", "--from-list", "FILE",
             "also join the files named in FILE, one path per line or an .m3u/.m3u8 playlist; relative "
             "entries are taken from FILE's folder; given again, each list adds its files after the last"},
            kSort,
            {"", "--chapters", "", "mark where each file starts as a chapter (the default for .m4b only)"},
            {"", "--no-chapters", "", "write no chapters, not even the files' own"},
            {"", "--cue", "", "also write a cue sheet with the chapters beside OUTPUT (OUTPUT's name with .cue)"},
            {"", "--copy", "",
             "copy the files' sound as it is, without re-encoding, whenever they allow it (the default for .m4b "
             "only): they must share their codec, sample rate and channel layout, and OUTPUT's format must hold "
             "that codec (AAC in .m4a/.m4b/.mp4, MP3 in .mp3, Opus in .opus/.ogg, ALAC in .m4a); otherwise a "
             "note says why and the files are re-encoded. A few milliseconds of each file's encoder delay and "
             "padding stay at the joins"},
            {"", "--no-copy", "", "always re-encode, even for .m4b output, so the joins are gapless"},
            {"", "--title", "TEXT", "the title of OUTPUT instead of the files' common album (or the first file's title); empty: no title", true},
            {"", "--artist", "TEXT", "the artist of OUTPUT instead of the files' common artist; empty: none", true},
            {"", "--album", "TEXT", "the album of OUTPUT instead of the files' common album; empty: none", true},
            {"", "--cover", "FILE",
             "the cover picture of OUTPUT, a JPEG or PNG file, copied as it is (default: the first picture in "
             "the files, else cover.jpg, cover.png, folder.jpg or front.jpg beside the first file)"},
            {"", "--loudness", "MODE",
             "keep the parts' loudness as it is (keep, the default), bring each part to the target (parts), or "
             "apply one gain to all so the whole file meets the target and the parts keep their relative levels "
             "(whole); loudness is measured as EBU R128, and no gain raises a true peak above -1 dBTP"},
            {"", "--target-lufs", "N", "the loudness --loudness brings the sound to, -40 to -5 LUFS (default: -18)"},
            {"", "--gap", "SECONDS", "insert SECONDS of silence between parts, 0 to 10 in steps of 0.1 (default: 0)"},
            {"", "--trim-silence", "",
             "cut the silence at the start and end of each part, keeping 0.25 s of it at each edge"},
            {"", "--silence-threshold", "DB", "what --trim-silence takes as silence: below DB dBFS, -90 to -20 (default: -50)"},
            {"", "--skip-bad", "",
             "join the usable files and skip those that cannot be (missing, unreadable, not media, damaged); "
             "without it, any such file stops the join before anything runs"},
            {"", "--dry-run", "",
             "print the commands and expected durations without running them; with a sound option, the parts "
             "are measured first and the gains and trims listed"},
            {"", "--verbose", "", "also print the engine's diagnostic lines on standard error"},
            kToolsDir,
            kProbeTimeout,
        },
        {{0, "Audio Joined Successfully!"},
         {1, "nothing to join, a named file that cannot be joined, a mixed list, a failed join, or a tool that cannot run"},
         {2, "bad arguments, or an OUTPUT refused before anything runs"},
         {130, "cancelled (Ctrl-C or SIGTERM)"}},
    };
    return spec;
}

const CommandSpec& batchSpec()
{
    // The join options that apply to each book, described as for join.
    const auto joinOption = [](const char* name) { return *joinSpec().option(name); };
    static const CommandSpec spec{
        "batch",
        "join each book found below the ROOT folders into a file of its own",
        "Looks through every ROOT and its subfolders for books: a folder that holds media files directly is "
        "one book, and its parts are those files and the files of its disc subfolders (\"CD1\", \"CD 2\", "
        "\"Disc 1\", \"Disk2\", ...), in natural order, or in track order with --sort track. A folder "
        "whose media are all in disc subfolders is a book too. Each book is joined as join would join its "
        "parts, into OUTDIR/NAME.EXT, where NAME is the album tag the parts share, else the folder's name, "
        "with the characters a file system may refuse (/ \\ : * ? \" < > | and control characters) "
        "replaced by \"_\"; books of the same name get \" (2)\", \" (3)\"... An existing output is skipped, "
        "and said so, unless --force is given. A book with a part that cannot be used, or that fails to "
        "join, is reported and leaves its files as they were; the other books go on. On a terminal one "
        "line per running book shows its progress and time left; at the end a table lists each book's "
        "output, duration, chapters, status and the reason of a failure or skip.",
        {
            {"-o", "--output", "OUTDIR", "the folder the books are joined into (made when missing); it is not looked into for books"},
            {"", "--format", "EXT",
             "the extension, and so the format, of every output: mp3, m4a, m4b, opus, flac, ... (default: mp3, "
             "or mp4 for a book with video)"},
            {"-j", "--jobs", "N",
             "join up to N books at once (default: the number of cores, one job using one core)"},
            {"-f", "--force", "", "replace outputs that exist instead of skipping their books"},
            joinOption("--quality"),
            joinOption("--bitrate"),
            kSort,
            joinOption("--chapters"),
            joinOption("--no-chapters"),
            joinOption("--cue"),
            joinOption("--copy"),
            joinOption("--no-copy"),
            joinOption("--title"),
            joinOption("--artist"),
            joinOption("--album"),
            joinOption("--cover"),
            joinOption("--loudness"),
            joinOption("--target-lufs"),
            joinOption("--gap"),
            joinOption("--trim-silence"),
            joinOption("--silence-threshold"),
            {"", "--dry-run", "", "list the books, their outputs and parts, without joining anything"},
            joinOption("--verbose"),
            kToolsDir,
            kProbeTimeout,
        },
        {{0, "every book was joined or skipped"},
         {1, "a book failed, no book was found, or a tool cannot run"},
         {2, "bad arguments"},
         {130, "cancelled (Ctrl-C or SIGTERM)"}},
        "ROOT...",
    };
    return spec;
}

std::vector<const CommandSpec*> commandSpecs()
{
    return {&probeSpec(), &listSpec(), &joinSpec(), &batchSpec()};
}

const CommandSpec* findCommandSpec(const std::string& name)
{
    for (const CommandSpec* spec : commandSpecs()) {
        if (spec->name == name)
            return spec;
    }
    return nullptr;
}

}  // namespace velmora::cli

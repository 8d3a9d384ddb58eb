// Choosing the cover, and copying the chosen picture unchanged into each
// container that takes one.
#include <QDir>
#include <gtest/gtest.h>

#include "join/CoverArt.h"
#include "join/FfMetadata.h"
#include "support/AlbumTestSupport.h"

using namespace velmora;
using namespace albumtest;

TEST(CoverArt, PictureFilesBesideTheFirstRow)
{
    const std::string jpeg = "\xFF\xD8\xFF\xE0 jpeg", png = "\x89PNG\r\n\x1A\n png";
    struct Case {
        std::vector<std::string> names;
        std::optional<std::string> chosen;
    };
    const std::vector<Case> cases{
        {{"Front.JPG", "FOLDER.jpg", "Cover.PNG"}, "Cover.PNG"},
        {{"front.jpg", "folder.jpg"}, "folder.jpg"},
        {{"cover.png", "COVER.JPG"}, "COVER.JPG"},
        {{"COVER.JPG", "Cover.jpg"}, "COVER.JPG"},  // of two spellings, the smaller name
        {{"cover.jpeg", "back.jpg", "cover.jpg.txt"}, std::nullopt},
        {{}, std::nullopt},
    };
    int serial = 0;
    for (const auto& [names, chosen] : cases) {
        const std::string dir = freshDir("covers-" + std::to_string(++serial));
        for (const std::string& name : names)
            writeFile(dir + "/" + name, name.find("PNG") != std::string::npos ? png : jpeg);
        EXPECT_EQ(folderCover(dir), chosen ? std::optional(dir + "/" + *chosen) : std::nullopt) << dir;
        const CoverChoice choice = chooseCover({RowMetadata{}}, {dir + "/01.flac"});
        EXPECT_EQ(choice.origin, chosen ? CoverOrigin::folder : CoverOrigin::none);
        EXPECT_EQ(choice.codec, !chosen ? "" : *chosen == "Cover.PNG" ? "png" : "mjpeg");
    }
    // A folder named cover.jpg is no picture.
    const std::string dir = freshDir("covers-folder");
    QDir().mkpath(QString::fromStdString(dir + "/cover.jpg"));
    writeFile(dir + "/front.jpg", jpeg);
    EXPECT_EQ(folderCover(dir), dir + "/front.jpg");
}

TEST(CoverArt, TheUsersFileThenEmbeddedPicturesThenTheFolder)
{
    const std::string dir = freshDir("covers-order");
    writeFile(dir + "/cover.jpg", "\xFF\xD8\xFF\xE0");
    RowMetadata none, bitmap, tagged;
    bitmap.pictures = {{1, "bmp"}};
    tagged.pictures = {{2, "png"}, {3, "mjpeg"}};
    const std::vector<std::string> paths{dir + "/1.mp3", dir + "/2.mp3", dir + "/3.m4a"};

    CoverChoice choice = chooseCover({none, bitmap, tagged}, paths);
    EXPECT_EQ(std::make_tuple(choice.origin, choice.path, choice.row, choice.codec),
              std::make_tuple(CoverOrigin::embedded, paths[2], size_t{2}, std::string("png")));
    EXPECT_EQ(choice.mapSpecifier(2) + " " + choice.mimeType(), "2:2 image/png");

    choice = chooseCover({none, bitmap}, {paths[0], paths[1]});  // a BMP is not copied into every container
    EXPECT_EQ(choice.origin, CoverOrigin::folder);
    EXPECT_EQ(choice.path + " " + choice.mapSpecifier(3) + " " + choice.mimeType(),
              dir + "/cover.jpg 3:v:0 image/jpeg");

    choice = chooseCover({tagged}, {paths[2]}, dir + "/mine.webp");
    EXPECT_EQ(std::make_tuple(choice.origin, choice.path), std::make_tuple(CoverOrigin::user, dir + "/mine.webp"));
    EXPECT_EQ(choice.codec, "");  // unreadable or neither JPEG nor PNG: the caller says so
    EXPECT_EQ(chooseCover({}, {}).origin, CoverOrigin::none);
}

TEST(CoverArt, CopiedUnchangedIntoEachContainer)
{
    // The picture embedded in a real MP3 is found and copied, not re-encoded.
    const std::string picture = jpegPicture();
    const std::string source = taggedTone("with-cover.mp3", 1.0, {"title=Pictured"},
                                          {"-map", "0:a", "-map", "1:v", "-c:a", "libmp3lame", "-c:v", "copy",
                                           "-disposition:v", "attached_pic"},
                                          {"-i", picture});
    const CoverChoice choice = chooseCover({realRow(sineFlac()), realRow(source)}, {sineFlac(), source});
    ASSERT_EQ(choice.origin, CoverOrigin::embedded);
    EXPECT_EQ(choice.mapSpecifier(1), "1:1");

    const std::string dir = freshDir("covers-copied");
    const std::vector<std::string> attached{"-map", "0:a", "-map", choice.mapSpecifier(1), "-c:v", "copy",
                                            "-disposition:v:0", "attached_pic"};
    const std::vector<std::pair<std::string, std::vector<std::string>>> containers{
        {"mp3", {"-c:a", "libmp3lame", "-id3v2_version", "3"}},
        {"m4a", {"-c:a", "aac"}},
        {"m4b", {"-c:a", "aac"}},
        {"flac", {"-c:a", "flac"}},
    };
    for (const auto& [ext, codec] : containers) {
        std::vector<std::string> args{"-i", choice.path};
        args.insert(args.end(), attached.begin(), attached.end());
        args.insert(args.end(), codec.begin(), codec.end());
        const std::string out = dir + "/out." + ext;
        ASSERT_EQ(muxTone(out, 1.0, args), "") << ext;
        const std::vector<EmbeddedPicture> pictures = realRow(out).pictures;
        ASSERT_EQ(pictures.size(), 1u) << ext;
        ASSERT_EQ(runCommand("ffmpeg", {"-y", "-v", "error", "-i", out, "-map", "0:" + std::to_string(pictures[0].streamIndex),
                                        "-c", "copy", "-f", "image2", dir + "/back.jpg"})
                      .exitCode,
                  0);
        EXPECT_EQ(readFile(dir + "/back.jpg"), readFile(picture)) << ext;
    }
    // Matroska keeps a picture as an attachment, which needs a file and its type.
    ASSERT_EQ(muxTone(dir + "/out.mka", 1.0, {"-map", "0:a", "-attach", picture, "-metadata:s:t", "mimetype=image/jpeg",
                                              "-metadata:s:t", "filename=cover.jpg"}),
              "");
    const nlohmann::json report = probed(dir + "/out.mka");
    EXPECT_EQ(report["streams"].size(), 2u);
    EXPECT_EQ(realRow(dir + "/out.mka").pictures, (std::vector<EmbeddedPicture>{{1, "mjpeg"}}));
}

TEST(CoverArt, OggAndOpusTakeThePictureAsATag)
{
    // Their muxer refuses a picture stream; the picture goes in as a comment, through the metadata file.
    const std::string picture = jpegPicture();
    const std::string dir = freshDir("covers-ogg");
    AlbumMetadata album;
    album.tags["METADATA_BLOCK_PICTURE"] = vorbisPictureTag(readFile(picture), "image/jpeg");
    writeFile(dir + "/meta.txt", ffmetadataText(album, {}));
    for (const auto& [ext, codec] : {std::pair{"ogg", "libvorbis"}, {"opus", "libopus"}}) {
        const std::string out = dir + "/out." + std::string(ext);
        ASSERT_EQ(muxTone(out, 1.0, {"-i", dir + "/meta.txt", "-map", "0:a", "-map_metadata", "1", "-c:a", codec}), "");
        ASSERT_EQ(realRow(out).pictures, (std::vector<EmbeddedPicture>{{1, "mjpeg"}})) << ext;
        runCommand("ffmpeg", {"-y", "-v", "error", "-i", out, "-map", "0:1", "-c", "copy", "-f", "image2", dir + "/back"});
        EXPECT_EQ(readFile(dir + "/back"), readFile(picture)) << ext;
    }
}

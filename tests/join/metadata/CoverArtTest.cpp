// Choosing the cover. The joins that copy it into each container are in
// AlbumJoinTest.
#include <QDir>
#include <gtest/gtest.h>

#include "join/metadata/CoverArt.h"
#include "join/metadata/FfMetadata.h"
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

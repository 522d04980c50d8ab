// orv-cli's import-icons, import-sound and convert-icon.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QImage>
#include <filesystem>
#include <set>

#include "appcore/PictureReader.h"

#include "core/Catalogue.h"
#include "core/StringTable.h"
#include "media/IconBitmapFile.h"
#include "media/IconImport.h"
#include "media/ImportFiles.h"
#include "media/MediaTexts.h"
#include "media/SoundImport.h"
#include "tests/cli/CliTestSupport.h"
#include "tests/media/MediaTestSupport.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;
using devsim::OutcomeKind;

class MediaCliTest : public CliTest {
protected:
    // A two-colour bitmap in the test's folder.
    void WriteBitmap(const std::string& name, int width, int height) {
        std::vector<uint8_t> bytes =
            MakePictureBmp(width, height, {{0, 0, 255, 0}, {255, 200, 0, 0}},
                           [](int x, int y) { return (x / 5 + y / 5) % 2; });
        WriteFileBytes(dir / name, std::string(bytes.begin(), bytes.end()));
    }

    IconBitmap Converted(const std::string& name, bool keepAspect) {
        IconBitmap bitmap;
        EXPECT_TRUE(LoadAndConvertIcon((dir / name).string(), keepAspect, bitmap).Ok());
        return bitmap;
    }

    std::vector<uint8_t> Block(const std::string& name, bool keepAspect) {
        return EncodeIconImage(Converted(name, keepAspect));
    }

    std::vector<ImportedIcon> ImportedIcons() {
        return IconsOfImportFile(ReadFileBytes(dir / kIconImportFileName));
    }

    void SetAspectSetting(int value) {
        fs::create_directories(dir / "config" / "Tarveline Co.");
        WriteFileBytes(
            dir / "config" / "Tarveline Co." / "ORV by Tarveline.conf",
            "[Version%204.2]\nMaintain%20Aspect%20Ratio=" + std::to_string(value) + "\n");
    }
};

TEST_F(MediaCliTest, ImportIconsPrepareOnlyWritesOneIconPerBitmapInOrder) {
    WriteBitmap("cat.bmp", 74, 62);
    WriteBitmap("wide picture.bmp", 100, 20);
    WriteFileBytes(dir / kIconImportFileName, "N091C4F4C440000000000F0\r\n");

    Result r =
        Cli({"import-icons", "--prepare-only", "--stretch", "cat.bmp", "wide picture.bmp=Wide_1"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<ImportedIcon> icons = ImportedIcons();
    ASSERT_EQ(icons.size(), 2u);
    EXPECT_EQ(icons[0].name, "cat");
    EXPECT_EQ(icons[0].block, Block("cat.bmp", false));
    EXPECT_EQ(icons[1].name, "Wide_1");
    EXPECT_EQ(icons[1].block, Block("wide picture.bmp", false));
    EXPECT_NE(Block("wide picture.bmp", false), Block("wide picture.bmp", true));

    // Without a flag the sizing follows the desktop program's setting (on
    // when it was never stored).
    r = Cli({"import-icons", "--prepare-only", "wide picture.bmp=W"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(ImportedIcons().size(), 1u);
    EXPECT_EQ(ImportedIcons()[0].block, Block("wide picture.bmp", true));
    SetAspectSetting(0);
    r = Cli({"import-icons", "--prepare-only", "wide picture.bmp=W"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(ImportedIcons().size(), 1u);
    EXPECT_EQ(ImportedIcons()[0].block, Block("wide picture.bmp", false));
    r = Cli({"import-icons", "--keep-aspect", "--prepare-only", "wide picture.bmp=W"});
    EXPECT_EQ(ImportedIcons()[0].block, Block("wide picture.bmp", true));
}

TEST_F(MediaCliTest, ImportIconsRefusesBadNamesAndBitmapsBeforeTouchingTheImportFile) {
    WriteBitmap("cat.bmp", 74, 62);
    WriteBitmap("2cats.bmp", 74, 62);
    WriteFileBytes(dir / "notes.bmp", "Dear diary");
    const std::string earlier = "N091C4F4C440000000000F0\r\n";
    WriteFileBytes(dir / kIconImportFileName, earlier);

    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    };
    const Case cases[] = {
        {{"2cats.bmp"}, 2, LoadString(IDS_ICON_NAME_NOT_ALPHA)},
        {{"cat.bmp", "cat.bmp=two.cats"}, 2, LoadString(IDS_ICON_NAME_INVALID)},
        {{"cat.bmp="}, 2, LoadString(IDS_ICON_NAME_EMPTY)},
        {{"cat.bmp=Abcdefghi"}, 2, FormatString(IDM_ICON_NAME_TOO_LONG, "Abcdefghi")},
        {{"cat.bmp", "notes.bmp"}, 1, "notes.bmp is not a picture that ORV can read."},
        {{"missing.bmp"}, 1, FormatString(IDM_MEDIA_OPEN_FAILED, "missing.bmp")},
        {{"--keep-aspect", "--stretch", "cat.bmp"}, 2, "exclude each other"},
        {{"--frobnicate", "cat.bmp"}, 2, "unknown option --frobnicate"},
        {{"--prepare-only"}, 2, "one or more"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"import-icons", "--prepare-only"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        Result r = Cli(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.back() << ": " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.message << " in " << r.err;
        EXPECT_EQ(ReadFileBytes(dir / kIconImportFileName), earlier) << c.args.back();
    }
}

TEST_F(MediaCliTest, ImportIconsServesTheDevicesIconRequest) {
    WriteBitmap("cat.bmp", 74, 62);
    WriteBitmap("dog.bmp", 20, 90);
    devsim::SimulatedDevice device(kModelMirelda);
    devsim::Script script;
    script.letter = 'i';
    devsim::Outcome outcome;
    Result r = Serve(device, script, {"import-icons", "cat.bmp=CAT", "dog.bmp"}, &outcome);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(outcome.kind, OutcomeKind::Completed) << devsim::Summary(outcome);
    EXPECT_NE(r.out.find(LoadString(IDM_TRANSFER_COMPLETED)), std::string::npos) << r.out;
    std::string sent = ReadFileBytes(dir / kIconImportFileName);
    EXPECT_EQ(device.ReceivedBytes(), sent);
    std::vector<ImportedIcon> icons = IconsOfImportFile(sent);
    ASSERT_EQ(icons.size(), 2u);
    EXPECT_EQ(icons[0].name, "CAT");
    EXPECT_EQ(icons[1].name, "dog");

    // Prepared, but the port cannot be opened.
    r = Cli({"--port", "/nonexistent/tty", "import-icons", "cat.bmp"});
    EXPECT_EQ(r.exitCode, 3) << r.err;
    EXPECT_EQ(ImportedIcons().size(), 1u);
}

TEST_F(MediaCliTest, ImportSoundPreparesOrServesTheSoundRequest) {
    std::string sound = std::string("RIFF\x60\0\0\0WAVE", 12);
    for (int i = 0; i < 92; ++i) {
        sound += static_cast<char>(255 - i);
    }
    WriteFileBytes(dir / "hello.wav", sound);

    Result r = Cli({"import-sound", "--prepare-only", "hello.wav"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err.find("WAV"), std::string::npos) << r.err;
    std::string prepared = ReadFileBytes(dir / kSoundImportFileName);
    EXPECT_EQ(ParseImportRecords(prepared).size(), 5u);  // the header and 104 bytes by 32
    EXPECT_EQ(SoundOfImportFile(prepared), sound);

    devsim::SimulatedDevice device(kModelMirelda);
    devsim::Script script;
    script.letter = 'V';
    devsim::Outcome outcome;
    fs::remove(dir / kSoundImportFileName);
    r = Serve(device, script, {"import-sound", "hello.wav"}, &outcome);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(outcome.kind, OutcomeKind::Completed) << devsim::Summary(outcome);
    EXPECT_EQ(device.ReceivedBytes(), prepared);

    r = Cli({"import-sound", "--prepare-only", "missing.wav"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(FormatString(IDM_FILE_NOT_FOUND, "missing.wav")), std::string::npos)
        << r.err;
    EXPECT_EQ(Cli({"import-sound", "--prepare-only", "a.wav", "b.wav"}).exitCode, 2);

    // A file that is no WAV sound goes as it is, with a warning.
    WriteFileBytes(dir / "notes.wav", "Dear diary");
    r = Cli({"import-sound", "--prepare-only", "notes.wav"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find(FormatString(IDM_SOUND_NOT_WAVE_WARNING, "notes.wav")), std::string::npos)
        << r.err;
    EXPECT_EQ(SoundOfImportFile(ReadFileBytes(dir / kSoundImportFileName)), "Dear diary");
    EXPECT_EQ(Cli({"import-sound", "--stretch", "hello.wav"}).exitCode, 2);

    // A sound longer than the devices take is cut after its warning, and still goes.
    WriteFileBytes(dir / "long.wav", std::string(kMaxSoundBytes + 1, 'x'));
    r = Cli({"import-sound", "--prepare-only", "long.wav"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const size_t notWave = r.err.find(FormatString(IDM_SOUND_NOT_WAVE_WARNING, "long.wav"));
    const size_t tooBig = r.err.find(LoadString(IDS_SOUND_TOO_BIG) + "\n");
    EXPECT_NE(tooBig, std::string::npos) << r.err;
    EXPECT_LT(notWave, tooBig) << r.err;
    EXPECT_EQ(SoundOfImportFile(ReadFileBytes(dir / kSoundImportFileName)).size(), kMaxSoundBytes);
}

TEST_F(MediaCliTest, ConvertIconWritesTheIconAsAnEightBitBitmap) {
    WriteBitmap("tall.bmp", 30, 100);
    Result r = Cli({"convert-icon", "tall.bmp", "icon.bmp"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<uint8_t> keep = IconBitmapFileBytes(Converted("tall.bmp", true));
    EXPECT_EQ(ReadFileBytes(dir / "icon.bmp"), std::string(keep.begin(), keep.end()));

    r = Cli({"convert-icon", "--stretch", "tall.bmp", "icon.bmp"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<uint8_t> stretched = IconBitmapFileBytes(Converted("tall.bmp", false));
    EXPECT_EQ(ReadFileBytes(dir / "icon.bmp"), std::string(stretched.begin(), stretched.end()));
    EXPECT_NE(keep, stretched);

    // The loader reads the written icon back to the same picture.
    IconBitmap back;
    ASSERT_TRUE(LoadAndConvertIcon((dir / "icon.bmp").string(), true, back).Ok());
    IconBitmap written = Converted("tall.bmp", false);
    for (int y = 0; y < kIconHeight; ++y) {
        ASSERT_EQ(RowOf(back, y), RowOf(written, y)) << "row " << y;
    }

    WriteFileBytes(dir / "notes.bmp", "Dear diary");
    r = Cli({"convert-icon", "notes.bmp", "out.bmp"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("notes.bmp is not a picture that ORV can read."), std::string::npos)
        << r.err;
    EXPECT_FALSE(fs::exists(dir / "out.bmp"));
    EXPECT_EQ(Cli({"convert-icon", "tall.bmp"}).exitCode, 2);
    EXPECT_EQ(Cli({"convert-icon", "--prepare-only", "tall.bmp", "x.bmp"}).exitCode, 2);
    EXPECT_EQ(Cli({"--model", "1", "convert-icon", "tall.bmp", "x.bmp"}).exitCode, 2);
}

// A photo as PNG: the fitting and dithering flags give what the picture reader
// makes of it, and without them the desktop program's choices decide.
TEST_F(MediaCliTest, PictureFlagsChooseFittingAndDithering) {
    QImage photo(120, 60, QImage::Format_RGB32);
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 120; ++x) {
            photo.setPixel(x, y, qRgb(x * 2, y * 4, (x * y) % 256));
        }
    }
    ASSERT_TRUE(photo.save(QString::fromStdString((dir / "photo.png").string())));
    auto expected = [&](IconChoices choices) {
        IconBitmap bitmap;
        EXPECT_TRUE(LoadPictureIcon((dir / "photo.png").string(), choices, bitmap).Ok());
        std::vector<uint8_t> bytes = IconBitmapFileBytes(bitmap);
        return std::string(bytes.begin(), bytes.end());
    };
    struct Case {
        std::vector<std::string> flags;
        IconChoices choices;
    };
    const Case cases[] = {
        {{}, {IconFitting::KeepAspect, std::nullopt}},
        {{"--crop"}, {IconFitting::Crop, std::nullopt}},
        {{"--crop", "--no-dither"}, {IconFitting::Crop, false}},
        {{"--stretch", "--dither"}, {IconFitting::Stretch, true}},
    };
    std::set<std::string> icons;
    for (const Case& c : cases) {
        std::vector<std::string> args = {"convert-icon"};
        args.insert(args.end(), c.flags.begin(), c.flags.end());
        args.insert(args.end(), {"photo.png", "icon.bmp"});
        Result r = Cli(args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        const std::string icon = ReadFileBytes(dir / "icon.bmp");
        EXPECT_TRUE(icon == expected(c.choices)) << testing::PrintToString(c.flags);
        icons.insert(icon);
    }
    EXPECT_EQ(icons.size(), 4u);

    // Crop to Fill and no dithering, as the Icon Properties window stores them.
    fs::create_directories(dir / "config" / "Tarveline Co.");
    WriteFileBytes(dir / "config" / "Tarveline Co." / "ORV by Tarveline.conf",
                   "[Version%204.2]\nCrop%20To%20Fill=1\nDither%20Colors=0\n");
    Result r = Cli({"import-icons", "--prepare-only", "photo.png"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    IconBitmap bitmap;
    ASSERT_TRUE(
        LoadPictureIcon((dir / "photo.png").string(), {IconFitting::Crop, false}, bitmap).Ok());
    ASSERT_EQ(ImportedIcons().size(), 1u);
    EXPECT_EQ(ImportedIcons()[0].block, EncodeIconImage(bitmap));

    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"--keep-aspect", "--crop"}, {"--dither", "--no-dither"}}) {
        std::vector<std::string> args = wrong;
        args.insert(args.end(), {"convert-icon", "photo.png", "x.bmp"});
        r = Cli(args);
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_NE(r.err.find(wrong[0] + " and " + wrong[1] + " exclude each other"),
                  std::string::npos)
            << r.err;
    }
    r = Cli({"import-sound", "--crop", "hello.wav"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("unknown option --crop for import-sound"), std::string::npos) << r.err;
    EXPECT_EQ(Cli({"--dither", "models"}).exitCode, 2);
}

TEST_F(MediaCliTest, NamesThatAreNoFilesAndFullDisksLeaveNoFileBehind) {
    WriteBitmap("tall.bmp", 30, 100);
    ASSERT_EQ(::mkfifo((dir / "pipe.wav").c_str(), 0600), 0);
    fs::create_directory(dir / "folder.bmp");
    // Refused at once, by what they are; a pipe no one writes would block.
    const std::pair<std::vector<std::string>, std::string> refused[] = {
        {{"import-sound", "--prepare-only", "pipe.wav"}, "pipe.wav is a named pipe, not a file."},
        {{"convert-icon", "pipe.wav", "out.bmp"}, "pipe.wav is a named pipe, not a file."},
        {{"convert-icon", "folder.bmp", "out.bmp"}, "folder.bmp is a folder, not a file."},
        {{"convert-icon", "tall.bmp", "folder.bmp"}, "folder.bmp is a folder, not a file."},
    };
    for (const auto& [args, message] : refused) {
        Result r = Cli(args);
        EXPECT_EQ(r.exitCode, 1) << args[1];
        EXPECT_NE(r.err.find(message), std::string::npos) << message << " in " << r.err;
    }
    EXPECT_FALSE(fs::exists(dir / kSoundImportFileName));
    EXPECT_FALSE(fs::exists(dir / "out.bmp"));

    // On a full disk the earlier file stays, and no empty one is made.
    WriteFileBytes(dir / "icon.bmp", "earlier");
    WriteFileBytes(dir / "hello.wav", std::string(4000, 'x'));
    Result icon;
    Result sound;
    {
        FileSizeLimit full(2000);
        icon = Cli({"convert-icon", "tall.bmp", "icon.bmp"});
        sound = Cli({"import-sound", "--prepare-only", "hello.wav"});
    }
    EXPECT_EQ(icon.exitCode, 1);
    EXPECT_NE(icon.err.find("icon.bmp could not be written because the disk is full."),
              std::string::npos)
        << icon.err;
    EXPECT_EQ(ReadFileBytes(dir / "icon.bmp"), "earlier");
    EXPECT_EQ(sound.exitCode, 1);
    EXPECT_NE(sound.err.find(std::string(kSoundImportFileName) +
                             " could not be written because the disk is full."),
              std::string::npos)
        << sound.err;
    EXPECT_FALSE(fs::exists(dir / kSoundImportFileName));
    for (const auto& entry : fs::directory_iterator(dir.Path())) {
        EXPECT_EQ(entry.path().filename().string().find(".orv-partial"), std::string::npos)
            << entry.path();
    }
}

}  // namespace
}  // namespace orv::test

// Icon and sound import in the desktop program: the icon properties dialog on
// its own, and both imports from the device's request to the records that
// reach the simulated device.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QLabel>
#include <QMainWindow>
#include <QMimeData>
#include <QTest>
#include <QTextEdit>
#include <QUrl>
#include <filesystem>

#include "app/ORVApp.h"
#include "appcore/PictureReader.h"
#include "core/Globals.h"
#include "core/StringTable.h"
#include "documents/OpenActionDlg.h"
#include "documents/TransferDlg.h"
#include "documents/YesNoDlg.h"
#include "engine/Serial.h"
#include "frame/MainFrm.h"
#include "media/IconImport.h"
#include "media/ImportFiles.h"
#include "media/MediaTexts.h"
#include "mediaui/IconPreview.h"
#include "mediaui/IconPropertiesDlg.h"
#include "tests/common/GuiTestSupport.h"
#include "tests/media/MediaTestSupport.h"
#include "ui/CommandIds.h"
#include "ui/ControlIds.h"

namespace orv::test {
namespace {

namespace fs = std::filesystem;
using devsim::OutcomeKind;

const RgbQuad kRed{0, 0, 255, 0};
const RgbQuad kBlue{255, 0, 0, 0};

// The import files are made in the current folder: each test works in a
// folder of its own.
class ImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_oldFolder = fs::current_path();
        fs::current_path(m_dir.Path());
        g_Globals.MaintainAspectRatio = 1;
        g_Globals.CropToFill = 0;
        g_Globals.DitherColours = 1;
    }
    void TearDown() override { fs::current_path(m_oldFolder); }

    // A bitmap of the two colours: red on the left half, blue on the right.
    QString Bitmap(const std::string& name, int width = 74, int height = 62) {
        fs::path path = m_dir / name;
        std::vector<uint8_t> bytes = MakePictureBmp(
            width, height, {kRed, kBlue}, [&](int x, int) { return x < width / 2 ? 0 : 1; });
        WriteFileBytes(path, std::string(bytes.begin(), bytes.end()));
        return QString::fromStdString(path.string());
    }

    // The block the icon dialog should store for a file.
    static std::vector<uint8_t> ExpectedBlock(const QString& path, bool keepAspect) {
        IconBitmap bitmap;
        EXPECT_TRUE(LoadAndConvertIcon(path.toStdString(), keepAspect, bitmap).Ok());
        return EncodeIconImage(bitmap);
    }

    // The device asks for an import while the user plays the steps; the
    // device's outcome once both are done.
    static devsim::Outcome DeviceAsks(AppHarness& harness, ModalDriver& user, char letter) {
        devsim::Script script;
        script.letter = letter;
        harness.Device().Start(script);
        EXPECT_TRUE(user.WaitDone(30000));
        EXPECT_TRUE(user.Unexpected().isEmpty()) << user.Unexpected().join("|").toStdString();
        std::optional<devsim::Outcome> outcome = harness.Device().Wait(std::chrono::seconds(10));
        if (!outcome) {
            harness.Device().Stop();
            ADD_FAILURE() << "the device did not finish";
            return {};
        }
        return *outcome;
    }

    // The names of the icons in the icon import file, in order.
    static std::vector<std::string> ImportedNames() {
        std::vector<std::string> names;
        for (const ImportedIcon& icon : IconsOfImportFile(ImportFile(kIconImportFileName))) {
            names.push_back(icon.name);
        }
        return names;
    }

    static std::string ImportFile(const char* name) {
        return ReadFileBytes(fs::current_path() / name);
    }

    TempDir m_dir;
    fs::path m_oldFolder;
};

// The colour the preview shows at icon pixel (x, y), y = 0 the top row.
QRgb PreviewColour(CIconPreview* preview, int x, int y) {
    QImage shot = preview->grab().toImage();
    QPoint at = preview->IconRect().topLeft() +
                QPoint(x * CIconPreview::kZoom + 1, y * CIconPreview::kZoom + 1);
    return shot.pixel(at) & 0xFFFFFF;
}

QRgb DeviceRgb(uint8_t index) {
    const RgbQuad& q = DeviceColourTable()[index];
    return qRgb(q.red, q.green, q.blue) & 0xFFFFFF;
}

TEST_F(ImportTest, NameRulesKeepTheDialogOpenUntilTheNameIsGood) {
    CIconPropertiesDlg dlg({Bitmap("2cats.bmp")});
    ASSERT_FALSE(dlg.LoadFailed());
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "Icon Properties");
    EXPECT_EQ(dlg.NameLabel()->text(), "Icon &Name for 2cats.bmp");
    EXPECT_EQ(dlg.NameEdit()->text(), "2cats");
    EXPECT_EQ(dlg.NameEdit()->maxLength(), 8);

    struct Case {
        QString name;
        int message;
    };
    for (const Case& c :
         {Case{"2cats", IDS_ICON_NAME_NOT_ALPHA}, Case{"", IDS_ICON_NAME_EMPTY},
          Case{"two cats", IDS_ICON_NAME_INVALID}, Case{"Kätzchen", IDS_ICON_NAME_INVALID}}) {
        ModalDriver user;
        QString shown;
        user.Then(ModalDriver::Answer(QMessageBox::Ok, &shown));
        dlg.NameEdit()->setText(c.name);
        dlg.OkButton()->click();
        EXPECT_TRUE(user.Done()) << c.name.toStdString();
        EXPECT_TRUE(user.Unexpected().isEmpty()) << user.Unexpected().join("|").toStdString();
        EXPECT_EQ(shown.toStdString(), LoadString(c.message)) << c.name.toStdString();
        EXPECT_TRUE(dlg.isVisible());
    }
    EXPECT_FALSE(fs::exists(kIconImportFileName));

    ModalDriver user;
    dlg.NameEdit()->setText("Cats_2-b");
    dlg.OkButton()->click();
    EXPECT_TRUE(user.Unexpected().isEmpty()) << user.Unexpected().join("|").toStdString();
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(ImportedNames(), std::vector<std::string>{"Cats_2-b"});
}

TEST_F(ImportTest, KeepAspectToggleConvertsAgainAndRepaintsThePreview) {
    g_Globals.MaintainAspectRatio = 0;
    CIconPropertiesDlg dlg({Bitmap("wide.bmp", 100, 20)});
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    ASSERT_TRUE(dlg.Bitmap().HasPixels());
    EXPECT_FALSE(dlg.KeepAspectCheck()->isChecked());
    const QRgb red = DeviceRgb(dlg.Bitmap().Row(61)[0]);
    EXPECT_NE(red, DeviceRgb(kWhiteIndex));
    EXPECT_EQ(PreviewColour(dlg.Preview(), 0, 0), red);  // stretched over the whole icon

    dlg.NameEdit()->setText("wider");
    dlg.KeepAspectCheck()->click();
    ASSERT_TRUE(dlg.Bitmap().HasPixels());
    ASSERT_EQ(dlg.Bitmap().Width(), 74);
    ASSERT_EQ(dlg.Bitmap().Height(), 62);
    // 100 x 20 keeps its shape as 74 x 14 between 24 white rows above and below.
    for (int y : {0, 23, 38, 61}) {
        EXPECT_EQ(dlg.Bitmap().Row(y)[0], kWhiteIndex) << y;
    }
    EXPECT_NE(dlg.Bitmap().Row(24)[0], kWhiteIndex);
    EXPECT_NE(dlg.Bitmap().Row(37)[0], kWhiteIndex);
    EXPECT_EQ(PreviewColour(dlg.Preview(), 0, 0), DeviceRgb(kWhiteIndex));
    EXPECT_EQ(PreviewColour(dlg.Preview(), 0, 30), red);
    EXPECT_EQ(dlg.NameEdit()->text(), "wider");  // what was typed stays

    // The setting changes only when the dialog ends with OK.
    EXPECT_EQ(g_Globals.MaintainAspectRatio, 0);
    dlg.OkButton()->click();
    EXPECT_EQ(g_Globals.MaintainAspectRatio, 1);
    std::vector<ImportedIcon> icons = IconsOfImportFile(ImportFile(kIconImportFileName));
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(icons[0].block, ExpectedBlock(dlg.PathName(), true));
}

TEST_F(ImportTest, IconThatCannotBeStoredIsReportedAndALaterBadFileCancels) {
    fs::path notBitmap = m_dir / "notes.bmp";
    WriteFileBytes(notBitmap, "Dear diary");
    fs::create_directory(kIconImportFileName);  // cannot be opened for appending
    CIconPropertiesDlg dlg({Bitmap("a.bmp"), Bitmap("b.bmp"), QString::fromStdString(notBitmap)});
    dlg.show();
    ModalDriver user;
    QString notStored;
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &notStored));
    dlg.OkButton()->click();
    EXPECT_TRUE(user.Done());
    EXPECT_EQ(notStored.toStdString(), LoadString(IDS_ICON_FILE_OPEN_ERROR));
    ASSERT_TRUE(dlg.isVisible());  // on to the next file all the same
    EXPECT_TRUE(dlg.PathName().endsWith("/b.bmp"));

    fs::remove(kIconImportFileName);
    QString refused;
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &refused));
    dlg.OkButton()->click();
    EXPECT_TRUE(user.Done());
    EXPECT_TRUE(user.Unexpected().isEmpty()) << user.Unexpected().join("|").toStdString();
    EXPECT_EQ(refused.toStdString(), FormatString(IDM_PICTURE_UNKNOWN_FORMAT, notBitmap.string(),
                                                  ReadablePictureFormats()));
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_EQ(ImportedNames(), std::vector<std::string>{"b"});
}

TEST_F(ImportTest, PreviewShowsTheDevicePaletteCrisplyEnlarged) {
    // A checkerboard of single pixels must stay a checkerboard of sharp squares.
    IconBitmap bitmap = MakePicture(74, 62, [](int x, int y) { return (x + y) % 2 ? 35 : 250; });
    QImage image = IconImage(bitmap);
    ASSERT_EQ(image.format(), QImage::Format_Indexed8);
    ASSERT_EQ(image.colorCount(), 256);
    EXPECT_EQ(image.pixelIndex(0, 0), bitmap.Row(61)[0]);  // top row first
    EXPECT_EQ(image.pixelIndex(1, 61), bitmap.Row(0)[1]);

    CIconPreview preview(&bitmap);
    preview.resize(preview.sizeHint());
    QImage shot = preview.grab().toImage();
    QPoint origin = preview.IconRect().topLeft();
    for (int y : {0, 1, 30, 61}) {
        for (int x : {0, 1, 40, 73}) {
            QRgb expected = DeviceRgb(bitmap.Row(61 - y)[x]);
            for (int dy = 0; dy < CIconPreview::kZoom; ++dy) {
                for (int dx = 0; dx < CIconPreview::kZoom; ++dx) {
                    QPoint p =
                        origin + QPoint(x * CIconPreview::kZoom + dx, y * CIconPreview::kZoom + dy);
                    ASSERT_EQ(shot.pixel(p) & 0xFFFFFF, expected) << x << "," << y;
                }
            }
        }
    }
}

// The icon dialog showing fileName: types name unless it is null, then OK.
ModalDriver::Step ConfirmIcon(const QString& fileName, const QString& name = QString(),
                              QString* label = nullptr, QString* defaultName = nullptr) {
    return [=](QWidget* modal) {
        auto* dlg = qobject_cast<CIconPropertiesDlg*>(modal);
        if (!dlg || !dlg->isVisible() || !dlg->PathName().endsWith(QLatin1Char('/') + fileName)) {
            return false;
        }
        if (label) {
            *label = dlg->NameLabel()->text();
        }
        if (defaultName) {
            *defaultName = dlg->NameEdit()->text();
        }
        if (!name.isNull()) {
            dlg->NameEdit()->setText(name);
        }
        QTimer::singleShot(0, dlg->OkButton(), &QPushButton::click);
        return true;
    };
}

TEST_F(ImportTest, TwoFilesConfirmedInTurnFromTheToolbarArmTheIconImport) {
    AppHarness harness(32776);
    WriteFileBytes(kIconImportFileName, "N091C4F4C440000000000F0\r\n");  // an earlier import
    QString cat = Bitmap("cat.bmp");
    QString pic = Bitmap("my pic.bmp", 37, 31);
    ModalDriver user;
    QString title;
    QString labels[2];
    QString names[2];
    user.Then(ModalDriver::ChooseFiles({cat, pic}, &title));
    user.Then(ConfirmIcon("cat.bmp", "CAT", &labels[0], &names[0]));
    user.Then(ConfirmIcon("my pic.bmp", QString(), &labels[1], &names[1]));
    harness.Frame().ToolbarButton(ID_IMPORT_ICONS)->click();
    ASSERT_TRUE(user.WaitDone());
    EXPECT_TRUE(user.Unexpected().isEmpty()) << user.Unexpected().join("|").toStdString();

    EXPECT_EQ(title, "Choose one or more pictures to import");
    EXPECT_EQ(labels[0], "Icon &Name for cat.bmp");
    EXPECT_EQ(names[0], "cat");
    EXPECT_EQ(labels[1], "Icon &Name for my pic.bmp");
    EXPECT_EQ(names[1], "my");
    CORVSerialPort& engine = harness.Engine();
    EXPECT_TRUE(engine.IsArmed());
    EXPECT_EQ(engine.ArmedKind(), ImportIcons);
    EXPECT_EQ(engine.CurrentFileName(), kIconImportFileName);
    // The earlier import is gone; each icon is numbered from 0.
    std::vector<ImportedIcon> icons = IconsOfImportFile(ImportFile(kIconImportFileName));
    ASSERT_EQ(icons.size(), 2u);
    EXPECT_EQ(icons[0].name, "CAT");
    EXPECT_EQ(icons[0].block, ExpectedBlock(cat, true));
    EXPECT_EQ(icons[1].name, "my");
    EXPECT_EQ(icons[1].block, ExpectedBlock(pic, true));
}

// The icon dialog: turns Maintain Aspect Ratio off (Stretch), then OK or Cancel.
ModalDriver::Step ToggleKeepAspectAndClose(bool ok) {
    return [=](QWidget* modal) {
        auto* dlg = qobject_cast<CIconPropertiesDlg*>(modal);
        if (!dlg || !dlg->isVisible()) {
            return false;
        }
        dlg->StretchButton()->click();
        QTimer::singleShot(
            0, ok ? dlg->OkButton() : dlg->findChild<QPushButton*>(ControlName(IDC_CANCEL)),
            &QPushButton::click);
        return true;
    };
}

TEST_F(ImportTest, CancelStoresNeitherTheSettingNorAnArming) {
    AppHarness harness(32776);
    ASSERT_EQ(g_Globals.MaintainAspectRatio, 1);
    QString wide = Bitmap("wide.bmp", 100, 20);
    ModalDriver user;
    user.Then(ModalDriver::ChooseFiles({wide}));
    user.Then(ToggleKeepAspectAndClose(false));
    QTest::keyClick(&harness.Frame(), Qt::Key_I, Qt::ControlModifier);
    ASSERT_TRUE(user.WaitDone());
    EXPECT_EQ(g_Globals.MaintainAspectRatio, 1);
    EXPECT_FALSE(harness.Engine().IsArmed());
    EXPECT_FALSE(fs::exists(kIconImportFileName));

    // The same with OK: stored, and written to the profile at exit.
    ASSERT_TRUE(harness.Activate());
    user.Then(ModalDriver::ChooseFiles({wide}));
    user.Then(ToggleKeepAspectAndClose(true));
    harness.Frame().Action(ID_IMPORT_ICONS)->trigger();
    ASSERT_TRUE(user.WaitDone());
    EXPECT_EQ(g_Globals.MaintainAspectRatio, 0);
    EXPECT_TRUE(harness.Engine().IsArmed());
    harness.Exit();
    EXPECT_EQ(ProfileValue("Version 4.2/Maintain Aspect Ratio").toInt(), 0);
}

TEST_F(ImportTest, IconRequestFromTheDeviceSendsTheImportFileInOrder) {
    AppHarness harness(32776);
    QString cat = Bitmap("cat.bmp");
    QString dog = Bitmap("dog.bmp", 150, 80);
    ModalDriver user;
    QString file;
    QString status;
    user.Then(ModalDriver::ChooseFiles({cat, dog}));
    user.Then(ConfirmIcon("cat.bmp"));
    user.Then(ConfirmIcon("dog.bmp"));
    user.Then(ModalDriver::CloseFinishedTransfer(&status, &file));
    devsim::Outcome outcome = DeviceAsks(harness, user, 'i');
    EXPECT_EQ(outcome.kind, OutcomeKind::Completed) << devsim::Summary(outcome);
    EXPECT_EQ(status, "Memory transfer completed successfully");
    EXPECT_EQ(file, kIconImportFileName);

    std::string sent = ImportFile(kIconImportFileName);
    EXPECT_EQ(harness.Device().ReceivedBytes(), sent);
    std::vector<ImportedIcon> icons = IconsOfImportFile(sent);
    ASSERT_EQ(icons.size(), 2u);
    EXPECT_EQ(icons[0].name, "cat");
    EXPECT_EQ(icons[1].name, "dog");
}

TEST_F(ImportTest, FirstBitmapThatCannotBeLoadedAnswersTheRequestWithCancel) {
    AppHarness harness(32776);
    fs::path notBitmap = m_dir / "notes.bmp";
    WriteFileBytes(notBitmap, "Dear diary");
    ModalDriver user;
    QString refused;
    QString cancelled;
    user.Then(ModalDriver::ChooseFiles({QString::fromStdString(notBitmap.string())}));
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &refused));
    user.Then(ModalDriver::Answer(QMessageBox::Ok, &cancelled));
    devsim::Outcome outcome = DeviceAsks(harness, user, 'i');
    EXPECT_EQ(outcome.kind, OutcomeKind::Refused) << devsim::Summary(outcome);
    EXPECT_EQ(refused.toStdString(), FormatString(IDM_PICTURE_UNKNOWN_FORMAT, notBitmap.string(),
                                                  ReadablePictureFormats()));
    EXPECT_EQ(cancelled, "Memory transfer has been cancelled");
}

TEST_F(ImportTest, SoundRequestFromTheDeviceSendsTheSoundAndNamesIt) {
    AppHarness harness(32776);
    fs::path wav = m_dir / "hello.wav";
    std::string sound = std::string("RIFF\xE4\x03\0\0WAVE", 12);
    for (int i = 0; i < 992; ++i) {
        sound += static_cast<char>(i * 7);
    }
    WriteFileBytes(wav, sound);
    WriteFileBytes(kSoundImportFileName, "stale");
    ModalDriver user;
    QString title;
    QString file;
    QString status;
    user.Then(ModalDriver::ChooseFiles({QString::fromStdString(wav.string())}, &title));
    user.Then(ModalDriver::CloseFinishedTransfer(&status, &file));
    devsim::Outcome outcome = DeviceAsks(harness, user, 'V');
    EXPECT_EQ(outcome.kind, OutcomeKind::Completed) << devsim::Summary(outcome);
    EXPECT_EQ(title, "Choose a .wav Sound file to import");
    EXPECT_EQ(file.toStdString(), wav.string());
    EXPECT_EQ(status, "Memory transfer completed successfully");

    std::string sent = ImportFile(kSoundImportFileName);
    EXPECT_EQ(harness.Device().ReceivedBytes(), sent);
    EXPECT_EQ(SoundOfImportFile(sent), sound);
}

TEST_F(ImportTest, SoundThatIsNoWaveIsSentOnlyWhenTheUserSaysSo) {
    AppHarness harness(32776);
    fs::path notes = m_dir / "notes.wav";
    WriteFileBytes(notes, "Dear diary");
    for (bool yes : {false, true}) {
        ModalDriver user;
        QString question;
        user.Then(ModalDriver::ChooseFiles({QString::fromStdString(notes.string())}));
        user.Then([&](QWidget* modal) {
            auto* ask = qobject_cast<CYesNoDlg*>(modal);
            if (!ask) {
                return false;
            }
            question = ask->findChild<QLabel*>(ControlName(IDC_QUESTION))->text();
            (yes ? ask->YesButton() : ask->NoButton())->click();
            return true;
        });
        user.Then(yes ? ModalDriver::CloseFinishedTransfer()
                      : ModalDriver::Answer(QMessageBox::Ok));  // the transfer cancelled
        devsim::Outcome outcome = DeviceAsks(harness, user, 'V');
        EXPECT_EQ(question.toStdString(), FormatString(IDM_SOUND_NOT_WAVE, notes.string()));
        EXPECT_EQ(outcome.kind, yes ? OutcomeKind::Completed : OutcomeKind::Refused)
            << devsim::Summary(outcome);
        EXPECT_EQ(fs::exists(kSoundImportFileName), yes);
        ASSERT_TRUE(harness.Activate());
    }
    EXPECT_EQ(SoundOfImportFile(harness.Device().ReceivedBytes()), "Dear diary");
}

// Files dragged onto the main window, as a file manager drops them: onto the
// instructions, which hand them on to the window.
bool DropFiles(QMainWindow& frame, const QStringList& paths) {
    QTextEdit* text = frame.findChild<QTextEdit*>();
    QWidget* target = text ? text->viewport() : nullptr;
    if (!target) {
        ADD_FAILURE() << "no instructions to drop on";
        return false;
    }
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) {
        urls.append(QUrl::fromLocalFile(path));
    }
    data.setUrls(urls);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) {
        return false;
    }
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

TEST_F(ImportTest, DroppedPicturesStartTheIconImportAndAMemoryFileOpensAsARecentOne) {
    AppHarness harness(32776);
    QImage photo(90, 40, QImage::Format_RGB32);
    photo.fill(qRgb(20, 120, 200));
    const QString png = QString::fromStdString((m_dir / "sky.png").string());
    ASSERT_TRUE(photo.save(png));
    const QString cat = Bitmap("cat.bmp");
    ModalDriver user;
    user.Then(ConfirmIcon("sky.png"));
    user.Then(ConfirmIcon("cat.bmp", "CAT"));
    ASSERT_TRUE(DropFiles(harness.Frame(), {png, cat}));
    ASSERT_TRUE(user.WaitDone());
    EXPECT_TRUE(user.Unexpected().isEmpty()) << user.Unexpected().join("|").toStdString();
    EXPECT_TRUE(harness.Engine().IsArmed());
    EXPECT_EQ(harness.Engine().ArmedKind(), ImportIcons);
    EXPECT_EQ(ImportedNames(), (std::vector<std::string>{"sky", "CAT"}));

    // A memory file offers what a recent file offers; Save arms the engine.
    const fs::path backup = m_dir / "BACKUP.ORV";
    WriteFileBytes(backup, "V0107\r\n");
    QString offered;
    user.Then([&](QWidget* modal) {
        auto* dlg = qobject_cast<COpenActionDlg*>(modal);
        if (!dlg) {
            return false;
        }
        offered = dlg->windowTitle();
        dlg->Choice(IDC_ACTION_RESTORE)->click();
        QTimer::singleShot(0, dlg, &QDialog::accept);
        return true;
    });
    ASSERT_TRUE(harness.Activate());
    ASSERT_TRUE(DropFiles(harness.Frame(), {QString::fromStdString(backup.string())}));
    ASSERT_TRUE(user.WaitDone());
    EXPECT_TRUE(offered.endsWith("BACKUP.ORV")) << offered.toStdString();
    EXPECT_EQ(harness.Engine().ArmedKind(), Restore);
    EXPECT_EQ(harness.Engine().CurrentFileName(), backup.string());
}

TEST_F(ImportTest, ModelsWithoutIconsRefuseDroppedPictures) {
    AppHarness harness(32771);
    EXPECT_FALSE(DropFiles(harness.Frame(), {Bitmap("cat.bmp")}));
    EXPECT_FALSE(fs::exists(kIconImportFileName));
}

// A photo: dithered at first, each fitting and the dithering choice convert
// it again, the preview is the icon that is stored, and the choices made on a
// photo are remembered for the next one while a bitmap of few colours keeps
// its plain colours.
TEST_F(ImportTest, PhotoChoicesConvertAgainAndAreRemembered) {
    QImage photo(160, 60, QImage::Format_RGB32);
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 160; ++x) {
            photo.setPixel(x, y, qRgb(x + 60, y * 3, 200 - x));
        }
    }
    const QString first = QString::fromStdString((m_dir / "beach.png").string());
    const QString second = QString::fromStdString((m_dir / "sunset.jpg").string());
    ASSERT_TRUE(photo.save(first));
    ASSERT_TRUE(photo.mirrored(true, false).save(second));
    auto expected = [](const QString& path, IconChoices choices) {
        IconBitmap bitmap;
        EXPECT_TRUE(LoadPictureIcon(path.toStdString(), choices, bitmap).Ok());
        return bitmap.pixels;
    };
    CIconPropertiesDlg dlg({first, Bitmap("flag.bmp"), second});
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_TRUE(dlg.KeepAspectCheck()->isChecked());
    EXPECT_TRUE(dlg.DitherCheck()->isChecked());
    EXPECT_EQ(dlg.Bitmap().pixels, expected(first, {IconFitting::KeepAspect, true}));

    dlg.CropButton()->click();
    EXPECT_FALSE(dlg.KeepAspectCheck()->isChecked());
    EXPECT_EQ(dlg.Bitmap().pixels, expected(first, {IconFitting::Crop, true}));
    dlg.DitherCheck()->click();
    EXPECT_EQ(dlg.Bitmap().pixels, expected(first, {IconFitting::Crop, false}));
    // What the preview shows is what is stored.
    for (int y : {0, 30, 61}) {
        for (int x : {0, 37, 73}) {
            EXPECT_EQ(PreviewColour(dlg.Preview(), x, y),
                      DeviceRgb(dlg.Bitmap().Row(kIconHeight - 1 - y)[x]))
                << x << "," << y;
        }
    }
    const std::vector<uint8_t> firstBlock = EncodeIconImage(dlg.Bitmap());
    dlg.NameEdit()->setText("beach");
    dlg.OkButton()->click();

    // The bitmap of two colours: never dithered unless asked for.
    ASSERT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.CropButton()->isChecked());
    EXPECT_FALSE(dlg.DitherCheck()->isChecked());
    dlg.DitherCheck()->click();
    EXPECT_TRUE(dlg.DitherCheck()->isChecked());
    dlg.OkButton()->click();

    // The next photo keeps the choices made on the first.
    ASSERT_TRUE(dlg.isVisible());
    EXPECT_TRUE(dlg.CropButton()->isChecked());
    EXPECT_FALSE(dlg.DitherCheck()->isChecked());
    EXPECT_EQ(dlg.Bitmap().pixels, expected(second, {IconFitting::Crop, false}));
    dlg.OkButton()->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(g_Globals.CropToFill, 1);
    EXPECT_EQ(g_Globals.MaintainAspectRatio, 1);
    EXPECT_EQ(g_Globals.DitherColours, 0);
    std::vector<ImportedIcon> icons = IconsOfImportFile(ImportFile(kIconImportFileName));
    ASSERT_EQ(icons.size(), 3u);
    EXPECT_EQ(icons[0].block, firstBlock);
    EXPECT_EQ(icons[1].name, "flag");
}

}  // namespace
}  // namespace orv::test

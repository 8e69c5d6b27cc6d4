#include "capture/image_box.h"

#include "capture/reported_errors.h"
#include "imaging/bmp_reader.h"
#include "imaging/bmp_writer.h"
#include "imaging/imaging_test_support.h"
#include "platform/app_error.h"
#include "platform/headless/fake_background_work.h"
#include "platform/headless/fake_clipboard.h"
#include "platform/headless/fake_printers.h"
#include "platform/headless/memory_file_system.h"

#include <gtest/gtest.h>

#include <functional>

namespace pictorn::capture {
namespace {

using imaging::Picture;
namespace itest = imaging::testing;

constexpr std::uint32_t kErrorDiskFull = 112;

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

// The error number an action raises, or 0 when it completes.
std::int32_t raised(const std::function<void()>& action, std::string* description = nullptr) {
    try {
        action();
    } catch (const AppError& error) {
        if (description) {
            *description = error.description();
        }
        return error.number();
    }
    return 0;
}

class CountingPeer : public ui::ControlPeer {
public:
    void update(const ui::Control&, ui::Property what) override {
        if (what == ui::Property::Value) {
            ++pictureChanges;
        }
    }
    int pictureChanges = 0;
};

class ImageBoxTest : public ::testing::Test {
protected:
    ImageBoxTest() {
        files.addFolder("C:\\Shots");
        box.setPeer(&peer);
    }
    ~ImageBoxTest() override { box.setPeer(nullptr); }

    void show(const Picture& picture) { box.setPicture(std::make_shared<const Picture>(picture)); }
    std::vector<std::uint8_t> written(const std::string& path) {
        const auto text = files.contents(path);
        EXPECT_TRUE(text) << path;
        return text ? bytesOf(*text) : std::vector<std::uint8_t>{};
    }

    headless::MemoryFileSystem files;
    headless::FakeClipboard clipboard;
    headless::FakePrinters printers;
    headless::FakeBackgroundWork background;
    CountingPeer peer;
    ImageBox box{nullptr, "ImageBox1", kImageBox1Id, files, clipboard, printers, background};
};

TEST_F(ImageBoxTest, SavesEachFileTypeByItsExtensionInAnyLetterCase) {
    const Picture picture = itest::screenLikePicture(61, 37);
    show(picture);

    ASSERT_TRUE(box.savePictureFile("C:\\Shots\\a.bmp", 90).saved());
    const auto bmp = imaging::decodeBmp(written("C:\\Shots\\a.bmp"));
    ASSERT_TRUE(bmp);
    EXPECT_TRUE(itest::samePixels(*bmp, picture));

    ASSERT_TRUE(box.savePictureFile("C:\\Shots\\b.PNG", 90).saved());
    EXPECT_TRUE(itest::samePixels(itest::decodePng(written("C:\\Shots\\b.PNG")).picture, picture));

    ASSERT_TRUE(box.savePictureFile("C:\\Shots\\c.Tif", 90).saved());
    EXPECT_TRUE(itest::samePixels(itest::decodeTiff(written("C:\\Shots\\c.Tif")), picture));

    ASSERT_TRUE(box.savePictureFile("C:\\Shots\\d.gif", 90).saved());
    EXPECT_EQ(itest::decodeGif(written("C:\\Shots\\d.gif")).picture.width, 61);

    ASSERT_TRUE(box.savePictureFile("C:\\Shots\\e.jpg", 90).saved());
    EXPECT_GT(itest::psnr(itest::decodeJpeg(written("C:\\Shots\\e.jpg")), picture), 25.0);

    ASSERT_TRUE(box.savePictureFile("C:\\Shots\\f.pcx", 90).saved());
    EXPECT_EQ(written("C:\\Shots\\f.pcx").at(0), 0x0A); // ZSoft signature
    ASSERT_TRUE(box.savePictureFile("C:\\Shots\\g.psd", 90).saved());
    const auto psd = written("C:\\Shots\\g.psd");
    EXPECT_EQ(std::string(psd.begin(), psd.begin() + 4), "8BPS");
}

TEST_F(ImageBoxTest, EachSaveTakesItsJpegQualityWithinRange) {
    show(itest::smoothPicture(120, 80));
    ASSERT_TRUE(box.savePictureFile("C:\\Shots\\low.jpg", 10).saved());
    ASSERT_TRUE(box.savePictureFile("C:\\Shots\\high.jpg", 100).saved());
    EXPECT_LT(written("C:\\Shots\\low.jpg").size(), written("C:\\Shots\\high.jpg").size());
    for (const int quality : {0, 101})
        EXPECT_EQ(raised([&] { (void)box.savePictureFile("C:\\Shots\\none.jpg", quality); }), 380);
    EXPECT_FALSE(files.exists("C:\\Shots\\none.jpg"));
}

TEST_F(ImageBoxTest, AnUnknownOrMissingExtensionWritesNothing) {
    show(Picture(4, 4, 0x123456));
    for (const char* path : {"C:\\Shots\\pic.xyz", "C:\\Shots\\pic", "C:\\Shots.png\\pic",
                             "C:\\Shots\\pic.png.", "C:\\Shots\\pic.png:stream"}) {
        std::string description;
        EXPECT_EQ(raised([&] { (void)box.savePictureFile(path, 90); }, &description),
                  errors::kInvalidProcedureCall)
            << path;
        EXPECT_NE(description.find(".bmp, .gif, .jpg"), std::string::npos);
    }
    EXPECT_TRUE(files.filesIn("C:\\Shots").empty());
}

TEST_F(ImageBoxTest, AnUnwritablePathIsAnsweredWithTheSystemsReason) {
    show(Picture(4, 4, 0x123456));
    const SaveResult gone = box.savePictureFile("C:\\Gone\\pic.png", 90);
    EXPECT_EQ(gone.status, SaveStatus::NotWritable);
    EXPECT_NE(gone.reason.find("C:\\Gone\\pic.png"), std::string::npos);
    EXPECT_NE(gone.reason.find("cannot find the path"), std::string::npos) << gone.reason;
    // A folder of that name is no file to write either.
    files.addFolder("C:\\Shots\\taken.png");
    EXPECT_EQ(box.savePictureFile("C:\\Shots\\taken.png", 90).status, SaveStatus::NotWritable);
    EXPECT_TRUE(files.isFolder("C:\\Shots\\taken.png"));
    // The error report shows the numbers these failures have always been reported with.
    EXPECT_EQ(reportedError(gone).number(), static_cast<std::int32_t>(0x8000FFFF));
    EXPECT_EQ(reportedError(gone).description(), gone.reason);
    EXPECT_EQ(reportedError({SaveStatus::DiskFull, "full"}).number(), 61);
    EXPECT_THROW(raiseUnlessSaved(gone), AppError);
}

TEST_F(ImageBoxTest, AFailedSaveLeavesTheOldFileAsItWasAndNoTemporaryFile) {
    show(Picture(8, 8, 0xFF0000));
    files.addFile("C:\\Shots\\keep.png", "old picture");
    files.addFile("C:\\Shots\\locked.png", "old locked picture");
    files.addFile("C:\\Shots\\readonly.png", "old read-only picture");
    files.setAttributes("C:\\Shots\\readonly.png", 0x21);
    files.failWriting("C:\\Shots\\keep.png", kErrorDiskFull);
    files.protectFromReading("C:\\Shots\\locked.png");

    // A full disk is told apart from a path that cannot be written.
    EXPECT_EQ(box.savePictureFile("C:\\Shots\\keep.png", 90).status, SaveStatus::DiskFull);
    for (const char* path : {"C:\\Shots\\locked.png", "C:\\Shots\\readonly.png"}) {
        EXPECT_EQ(box.savePictureFile(path, 90).status, SaveStatus::NotWritable) << path;
    }
    EXPECT_EQ(files.contents("C:\\Shots\\keep.png"), "old picture");
    EXPECT_EQ(files.contents("C:\\Shots\\readonly.png"), "old read-only picture");
    files.setAttributes("C:\\Shots\\locked.png", headless::kAttrArchive);
    EXPECT_EQ(files.filesIn("C:\\Shots").size(), 3u);

    // A save that works replaces the old content completely.
    ASSERT_TRUE(box.savePictureFile("C:\\Shots\\readonly.png.bmp", 90).saved());
    files.addFile("C:\\Shots\\replace.bmp", std::string(100000, 'x'));
    ASSERT_TRUE(box.savePictureFile("C:\\Shots\\replace.bmp", 90).saved());
    EXPECT_EQ(written("C:\\Shots\\replace.bmp"), written("C:\\Shots\\readonly.png.bmp"));
}

TEST_F(ImageBoxTest, LoadsABitmapFileAndShowsIt) {
    const Picture picture = itest::screenLikePicture(30, 20);
    const auto bmp = imaging::writeBmp(picture);
    files.addFile("C:\\Data\\tmpPictorn.bmp", std::string(bmp.begin(), bmp.end()));

    box.loadPictureFile("C:\\Data\\tmpPictorn.bmp");
    ASSERT_TRUE(box.hasPicture());
    EXPECT_TRUE(itest::samePixels(*box.picture(), picture));
    EXPECT_EQ(peer.pictureChanges, 1);
}

TEST_F(ImageBoxTest, AFailedLoadRaisesAndKeepsThePictureShown) {
    show(Picture(2, 2, 0xABCDEF));
    const auto before = box.picture();
    files.addFile("C:\\Data\\junk.bmp", "BM but not really a bitmap");
    files.addFile("C:\\Data\\empty.bmp", "");
    files.addFile("C:\\Data\\locked.bmp", "BM");
    files.protectFromReading("C:\\Data\\locked.bmp");

    EXPECT_EQ(raised([&] { box.loadPictureFile("C:\\Data\\missing.bmp"); }),
              errors::kProgramNotFound);
    EXPECT_EQ(raised([&] { box.loadPictureFile("C:\\Data\\locked.bmp"); }),
              errors::kProgramNotFound);
    EXPECT_EQ(raised([&] { box.loadPictureFile("C:\\Data\\junk.bmp"); }), errors::kInvalidPicture);
    EXPECT_EQ(raised([&] { box.loadPictureFile("C:\\Data\\empty.bmp"); }), errors::kInvalidPicture);
    EXPECT_EQ(box.picture(), before);
}

TEST_F(ImageBoxTest, WithoutAPictureNothingIsWrittenCopiedOrPrinted) {
    printers.installOne();
    EXPECT_EQ(raised([&] { (void)box.savePictureFile("C:\\Shots\\a.png", 90); }),
              errors::kInvalidPicture);
    EXPECT_EQ(raised([&] { (void)box.copyPictureToClipboard(); }), errors::kInvalidPicture);
    EXPECT_EQ(raised([&] { (void)box.printPicture(); }), errors::kInvalidPicture);
    EXPECT_FALSE(files.exists("C:\\Shots\\a.png"));
    EXPECT_FALSE(clipboard.picture);
    EXPECT_TRUE(printers.printed.empty());
}

TEST_F(ImageBoxTest, CopyPutsTheBitmapAndItsPngOnTheClipboard) {
    const Picture picture = itest::screenLikePicture(40, 30);
    show(picture);
    ASSERT_EQ(box.copyPictureToClipboard(), CopyResult::Copied);
    ASSERT_TRUE(clipboard.picture);
    EXPECT_TRUE(itest::samePixels(*clipboard.picture, picture));
    EXPECT_TRUE(itest::samePixels(itest::decodePng(clipboard.png).picture, picture));
}

TEST_F(ImageBoxTest, ABusyClipboardIsAnsweredOtherFailuresRaise) {
    show(Picture(3, 3, 0x00FF00));
    clipboard.busy = true;
    CopyResult copied = CopyResult::Copied;
    EXPECT_EQ(raised([&] { copied = box.copyPictureToClipboard(); }), 0);
    EXPECT_EQ(copied, CopyResult::ClipboardBusy);
    clipboard.busy = false;
    clipboard.failing = true;
    EXPECT_NE(raised([&] { (void)box.copyPictureToClipboard(); }), 0);
}

TEST_F(ImageBoxTest, PrintsOnTheDefaultPrinterWithTheTitleAndOption) {
    printers.printers = {"Laser", "Office"};
    printers.defaultName = "Office";
    show(Picture(50, 20, 0x0000FF));
    box.setPrintTitle("Pictorn");
    box.setPrintOption(true);
    ASSERT_EQ(box.printPicture(), PrintResult::Printed);
    ASSERT_EQ(printers.printed.size(), 1u);
    EXPECT_EQ(printers.printed[0].printer, "Office");
    EXPECT_EQ(printers.printed[0].request.documentName, "Pictorn");
    EXPECT_TRUE(printers.printed[0].request.fitToPage);
    EXPECT_EQ(printers.printed[0].width, 50);
}

TEST_F(ImageBoxTest, NoDefaultPrinterIsAnsweredAPrintFailureRaises) {
    show(Picture(5, 5));
    printers.printers = {"Laser"}; // installed, but none is the default
    EXPECT_EQ(box.printPicture(), PrintResult::NoDefaultPrinter);
    printers.printers.clear();
    EXPECT_EQ(box.printPicture(), PrintResult::NoDefaultPrinter);
    EXPECT_TRUE(printers.printed.empty());

    printers.installOne("Laser");
    printers.failWith = 5;
    std::string description;
    EXPECT_EQ(raised([&] { (void)box.printPicture(); }, &description),
              errors::kSystemErrorBase + 5);
    EXPECT_NE(description.find("Access is denied."), std::string::npos) << description;
}

} // namespace
} // namespace pictorn::capture

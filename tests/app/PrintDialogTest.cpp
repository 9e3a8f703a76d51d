#include "UVersion.h"
#include "AppTestSupport.h"
#include "UInformation.h"
#include "UPrint.h"
#include "USHControl.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

void Wait(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

class PrintDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        editor.LoadLines({"erste Zeile", "zweite Zeile"});
        dialog.SetEditor(&editor);
        // Whatever printers this machine has, the test prints into a file.
        dialog.Printer().setOutputFormat(QPrinter::PdfFormat);
        dialog.Printer().setOutputFileName({});
    }
    QCheckBox* Box(const char* name) { return dialog.findChild<QCheckBox*>(name); }
    QPushButton* Button(const char* name) { return dialog.findChild<QPushButton*>(name); }

    bool appReady = (TestApp(), true);  // widgets need the application first
    QTemporaryDir dir;
    TScriptedDialogs dialogs;
    TDialogsOverride dialogsOverride{dialogs};
    TSHControl editor;
    TFPrint dialog;
};

} // namespace

TEST_F(PrintDialogTest, ControlsAndTheirTexts) {
    EXPECT_EQ(dialog.windowTitle(), "Drucken...");
    EXPECT_EQ(Box("CBZeilenNummern")->text(), "Zeilennummern drucken");
    EXPECT_EQ(Box("CBNurMarkierung")->text(), "Nur markierten Bereich drucken");
    EXPECT_EQ(Button("BEinstellungen")->text(), "Einstellungen ...");
    EXPECT_EQ(Button("BDrucken")->text(), "Drucken");
    EXPECT_EQ(Button("BAbbruch")->text(), "Abbruch");
}

TEST_F(PrintDialogTest, SelectionOnlyFollowsTheEditor) {
    editor.SetSelection({0, 1}, {0, 4});
    dialog.show();
    EXPECT_TRUE(Box("CBNurMarkierung")->isChecked());
    dialog.hide();
    editor.SetSelection({0, 4}, {0, 4});
    dialog.show();
    EXPECT_FALSE(Box("CBNurMarkierung")->isChecked());
    dialog.hide();
}

TEST_F(PrintDialogTest, PrintsIntoTheChosenPdfFile) {
    const QString pdf = dir.filePath("liste.pdf");
    dialogs.FileNames.push_back(pdf);
    dialog.show();
    Button("BDrucken")->click();
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_EQ(dialogs.Of("Save").size(), 1u);
    EXPECT_TRUE(QFile::exists(pdf));
    EXPECT_EQ(ReadBytes(pdf).rfind("%PDF", 0), 0u);
}

TEST_F(PrintDialogTest, CancellingTheFileKeepsTheDialogOpen) {
    dialog.show();
    Button("BDrucken")->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialogs.Of("Save").size(), 1u);
    Button("BAbbruch")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialogs.Of("Save").size(), 1u);
}

TEST_F(PrintDialogTest, AnEmptySelectionPrintsNothingAndAsksNothing) {
    dialog.show();
    Box("CBNurMarkierung")->setChecked(true);
    Button("BDrucken")->click();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(dialogs.Calls.empty());
}

TEST_F(PrintDialogTest, AFileNamedInTheSetupIsUsedWithoutAsking) {
    const QString pdf = dir.filePath("setup.pdf");
    dialogs.Setup = [&](QPrinter& printer) {
        printer.setOutputFileName(pdf);
        return true;
    };
    dialog.show();
    Button("BEinstellungen")->click();
    Button("BDrucken")->click();
    EXPECT_TRUE(dialogs.Of("Save").empty());
    EXPECT_TRUE(QFile::exists(pdf));
}

TEST_F(PrintDialogTest, AFailedJobIsReported) {
    dialogs.FileNames.push_back(dir.filePath("fehlt/liste.pdf"));
    dialog.show();
    Button("BDrucken")->click();
    ASSERT_EQ(dialogs.Of("Message").size(), 1u);
    EXPECT_TRUE(dialogs.Of("Message")[0].Text.contains(dir.filePath("fehlt/liste.pdf")));
    EXPECT_TRUE(dialog.isVisible());
    dialog.hide();
}

TEST(Information, StartupDisplayEndsAfterTwoSecondsEvenIfClosedEarlier) {
    TestApp();
    TFInformation box;
    int loaded = 0;
    box.ShowStartup(nullptr, [&] { ++loaded; });
    EXPECT_TRUE(box.isVisible());
    EXPECT_TRUE(box.windowFlags() & Qt::FramelessWindowHint);
    Wait(300);
    box.findChild<QPushButton*>("SpeedButton1")->click();
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(loaded, 0);
    Wait(TFInformation::kStartupMs);
    EXPECT_EQ(loaded, 1);
    EXPECT_FALSE(box.isVisible());
}

TEST(Information, FromTheMenuItKeepsItsSize) {
    TestApp();
    TFInformation box;
    for (int i = 0; i < 3; ++i) {
        box.ShowInformation(nullptr);
        QApplication::processEvents();
        EXPECT_TRUE(box.isVisible());
        EXPECT_TRUE(box.Bordered());
        EXPECT_FALSE(box.windowFlags() & Qt::FramelessWindowHint);
        EXPECT_EQ(box.size(), QSize(474, 294));
        box.hide();
    }
    EXPECT_EQ(box.windowTitle(), "Information");
    EXPECT_EQ(box.findChild<QLabel*>("Label1")->text(), "ZAK - Zakwerk");
    EXPECT_EQ(box.findChild<QLabel*>("Label3")->text(), "Version " ZAK_VERSION " ");
    EXPECT_EQ(box.findChild<QPushButton*>("SpeedButton1")->text(), "Schliessen");
}

TEST(Information, TheLinkChangesColourAndOpensThePage) {
    TestApp();
    TScriptedDialogs dialogs;
    TDialogsOverride dialogsOverride{dialogs};
    TFInformation box;
    box.show();
    auto* link = box.findChild<TLinkLabel*>("Label5");
    ASSERT_NE(link, nullptr);
    const QPointF inside(2, 2);
    QEnterEvent enter(inside, inside, link->mapToGlobal(inside));
    QApplication::sendEvent(link, &enter);
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(Qt::blue));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(link, &leave);
    EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(Qt::black));
    QMouseEvent press(QEvent::MouseButtonPress, inside, link->mapToGlobal(inside), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(link, &press);
    ASSERT_EQ(dialogs.Of("Url").size(), 1u);
    EXPECT_EQ(dialogs.Of("Url")[0].Text, kHomePageUrl);
}

TEST(Information, TheDrawing) {
    TestApp();
    TFInformation box;
    const QImage image = box.grab().toImage();
    const auto at = [&](int x, int y) { return image.pixelColor(x, y); };
    EXPECT_EQ(at(2, 100), QColor(Qt::black));      // the frame
    EXPECT_EQ(at(471, 100), QColor(Qt::black));
    EXPECT_NE(at(3, 100), QColor(Qt::black));
    EXPECT_EQ(at(50, 110), QColor(Qt::black));     // the circle's outline
    EXPECT_EQ(at(80, 110), QColor(Qt::yellow));
    EXPECT_EQ(at(200, 100), QColor(Qt::blue));     // the bar over the circle
    EXPECT_EQ(at(140, 100), QColor(Qt::blue));
    EXPECT_EQ(at(230, 75), QColor(Qt::black));     // the stroke, drawn last
}

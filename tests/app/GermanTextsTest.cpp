// Everything a pupil reads is German: Qt's own dialog and menu texts after
// the start-up code installed the translation, and the reasons of file errors
// inside our messages.
#include "MainTestSupport.h"

#include "UFileErrors.h"
#include "UGerman.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScrollBar>
#include <QThread>
#include <QTimer>
#include <QTreeView>

#include <cerrno>
#include <memory>

class GermanTextsTest : public MainWindowTest {
protected:
    TTempCurrentDir Dir;
};

TEST_F(GermanTextsTest, QtTextsAndFileErrorReasonsAreGerman) {
    ASSERT_TRUE(InstallGermanTexts(TestApp()));
    // Built in, so that an installed program needs no translations package.
    EXPECT_TRUE(QFile::exists(QStringLiteral(":/translations/qtbase_de.qm")));
    EXPECT_TRUE(InstallGermanTexts(TestApp()));  // a second call changes nothing

    QMessageBox box(QMessageBox::Question, QStringLiteral("Warnung:"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | QMessageBox::Ok);
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), "&Ja");
    EXPECT_EQ(box.button(QMessageBox::No)->text(), "&Nein");
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), "Abbrechen");
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), "OK");

    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    const QStringList english = {"Undo", "Redo", "Cut", "Copy", "Paste", "Delete", "Select All"};
    int texts = 0;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator()) continue;
        const QString text = action->text().section('\t', 0, 0).remove('&');
        EXPECT_FALSE(english.contains(text)) << text.toStdString();
        EXPECT_FALSE(action->text().contains("Ctrl")) << action->text().toStdString();
        ++texts;
    }
    EXPECT_EQ(texts, english.size());
    EXPECT_EQ(QKeySequence(QKeySequence::Save).toString(QKeySequence::NativeText), "Strg+S");

    // Qt's own file dialog, used where the desktop offers none.
    QFileDialog dialog(nullptr, QStringLiteral("Programm \u00F6ffnen"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QStringList shown;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) shown << label->text();
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>())
        shown << button->text() << button->toolTip();
    EXPECT_TRUE(shown.contains("Suchen in:")) << shown.join('|').toStdString();
    EXPECT_TRUE(shown.contains("&\u00D6ffnen")) << shown.join('|').toStdString();
    for (const char* word : {"Look in:", "&Open", "Cancel", "Back", "Parent Directory", "Files of type:"})
        EXPECT_FALSE(shown.contains(word)) << word;
    QFileDialog saving(nullptr, QStringLiteral("Als PDF speichern"));
    saving.setOption(QFileDialog::DontUseNativeDialog);
    saving.setAcceptMode(QFileDialog::AcceptSave);
    QStringList saveTexts;
    for (const QLabel* label : saving.findChildren<QLabel*>()) saveTexts << label->text().remove('&');
    for (const QAbstractButton* button : saving.findChildren<QAbstractButton*>())
        saveTexts << button->text().remove('&');
    EXPECT_TRUE(saveTexts.contains("Speichern")) << saveTexts.join('|').toStdString();
    EXPECT_TRUE(saveTexts.contains("Dateiname:")) << saveTexts.join('|').toStdString();
    for (const char* word : {"Save", "File name:", "Cancel"}) EXPECT_FALSE(saveTexts.contains(word)) << word;

    QPrinter printer;
    QPrintDialog printing(&printer);
    QStringList printTexts;
    for (const QAbstractButton* button : printing.findChildren<QAbstractButton*>())
        printTexts << button->text().remove('&');
    for (const QLabel* label : printing.findChildren<QLabel*>()) printTexts << label->text().remove('&');
    EXPECT_TRUE(printTexts.contains("Drucken")) << printTexts.join('|').toStdString();
    for (const char* word : {"Print", "Cancel", "Properties", "Copies:"})
        EXPECT_FALSE(printTexts.contains(word)) << word;

    // Its dates and sizes too, on a system of any language.
    WriteBytes(Dir.Path("kreis.zak"), "// ZAK 1.5 - Programm\r\n" + std::string(1513, 'x'));
    UseGermanFileDetails(dialog);
    dialog.setDirectory(Dir.Path());
    const QTreeView* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(view, nullptr);
    QModelIndex file;
    for (int i = 0; i < 200 && !file.isValid(); ++i) {
        QApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
        for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
            if (view->model()->index(row, 0, view->rootIndex()).data() == "kreis.zak")
                file = view->model()->index(row, 0, view->rootIndex());
    }
    ASSERT_TRUE(file.isValid());
    EXPECT_EQ(file.siblingAtColumn(1).data().toString().toStdString(), "1,50 KiB");
    // Our programs by their name, whether or not the desktop knows the type
    // (a program's first line looks like C to the desktop's guessing).
    EXPECT_EQ(file.siblingAtColumn(2).data().toString().toStdString(), "ZAK-Programm");
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d\\d\\.\\d\\d\\.\\d\\d \\d\\d:\\d\\d$"))
                    .match(file.siblingAtColumn(3).data().toString())
                    .hasMatch())
        << file.siblingAtColumn(3).data().toString().toStdString();

    // Saving below a regular file fails for everyone, root included.
    SetProgram({"r: Rechteck"});
    WriteBytes(Dir.Path("datei"), "kein Verzeichnis");
    const QString blocked = QDir::toNativeSeparators(Dir.Path("datei/programm.zak"));
    Dialogs.FileNames = {blocked, Dir.Path("fehlt/programm.zak"), QStringLiteral("/proc/zak-programm.zak")};
    Main->SpeichernUnterExecute();
    Main->OeffnenExecute();
    Main->SpeichernUnterExecute();
    const std::vector<TScriptedDialogs::TCall> messages = Dialogs.Of("Message");
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_EQ(messages[0].Text, "Die Datei " + blocked +
                                    " kann nicht gespeichert werden:\nEin Teil des Pfades ist kein Verzeichnis.");
    EXPECT_EQ(messages[1].Text, "Die Datei " + QDir::toNativeSeparators(Dir.Path("fehlt/programm.zak")) +
                                    " kann nicht geladen werden:\nDie Datei oder das Verzeichnis gibt es nicht.");
    // What /proc answers depends on who asks.
    const QString prefix = "Die Datei /proc/zak-programm.zak kann nicht gespeichert werden:\n";
    EXPECT_TRUE(messages[2].Text == prefix + "Die Datei oder das Verzeichnis gibt es nicht." ||
                messages[2].Text == prefix + "Zugriff verweigert.")
        << messages[2].Text.toStdString();

    // A full disk, as the device that is always full shows it.
    QFile full(QStringLiteral("/dev/full"));
    ASSERT_TRUE(full.open(QIODevice::WriteOnly));
    full.write("zak");
    EXPECT_FALSE(full.flush());
    EXPECT_EQ(FileErrorReason(full), "Kein Platz mehr auf dem Datentr\u00E4ger.");
    QFile directory(Dir.Path());
    EXPECT_FALSE(directory.open(QIODevice::ReadOnly));
    EXPECT_EQ(FileErrorReason(directory), "Das ist ein Verzeichnis.");
    EXPECT_EQ(SystemErrorReason(EROFS), "Der Datentr\u00E4ger ist schreibgesch\u00FCtzt.");
    EXPECT_EQ(SystemErrorReason(99999), "Das System meldet den Fehler Nr. 99999.");
}

// The German sizes, types and dates are wider than the English ones Qt's
// own file dialog makes room for: both dialogs open large enough that every
// column shows its texts in full beside each other and the side bar lists
// its places without a scroll bar, at the desktop's usual font size and at
// a larger one (on the test's screen, 800 pixels wide).
TEST_F(GermanTextsTest, FileDialogsShowEveryColumnAndPlaceInFull) {
    ASSERT_TRUE(InstallGermanTexts(TestApp()));
    const QString folder = Dir.Path(QStringLiteral("programme"));
    QDir(Dir.Path()).mkpath(folder + "/Ordner");
    WriteBytes(folder + "/ampel.zak", "// ZAK 1.5 - Programm\r\n" + std::string(470, 'x'));  // "493 Bytes"
    WriteBytes(folder + "/ein_recht_langer_programmname_fuer_die_klasse.zak", "// ZAK 1.5 - Programm\r\n");
    const QFont original = QApplication::font();
    for (const int points : {original.pointSize(), 12}) {
        QFont font = original;
        font.setPointSize(points);
        QApplication::setFont(font);
        for (const bool saving : {false, true}) {
            SCOPED_TRACE(std::to_string(points) + (saving ? " Speichern" : " Laden"));
            bool inspected = false;
            QTimer::singleShot(0, [&] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                ASSERT_NE(dialog, nullptr);
                const auto close = qScopeGuard([dialog] { dialog->reject(); });
                auto* view = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
                auto* sidebar = dialog->findChild<QAbstractItemView*>(QStringLiteral("sidebar"));
                ASSERT_TRUE(view && sidebar);
                // The folder is read in the background.
                for (int i = 0; i < 400 && view->model()->rowCount(view->rootIndex()) < 3; ++i) {
                    QApplication::processEvents(QEventLoop::AllEvents, 10);
                    QThread::msleep(5);
                }
                QApplication::processEvents();
                ASSERT_EQ(view->model()->rowCount(view->rootIndex()), 3);
                const QHeaderView* header = view->header();
                const QAbstractItemView* cells = view;  // QTreeView hides the cells' measure
                for (int column = 1; column < 4; ++column)
                    EXPECT_GE(header->sectionSize(column), cells->sizeHintForColumn(column)) << column;
                // The names give way only to a screen too small for them.
                if (dialog->width() < dialog->screen()->availableGeometry().width())
                    EXPECT_GE(header->sectionSize(0), cells->sizeHintForColumn(0));
                EXPECT_LE(header->length(), view->viewport()->width());
                EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
                bool examples = false;
                for (int row = 0; row < sidebar->model()->rowCount(); ++row) {
                    const QModelIndex place = sidebar->model()->index(row, 0);
                    examples = examples || place.data() == "Beispiele";
                    EXPECT_GE(sidebar->viewport()->width(), sidebar->sizeHintForIndex(place).width())
                        << place.data().toString().toStdString();
                }
                EXPECT_EQ(examples, !saving);
                EXPECT_FALSE(sidebar->horizontalScrollBar()->isVisible());
                EXPECT_FALSE(sidebar->verticalScrollBar()->isVisible());
                inspected = true;
            });
            TDialogs standard;
            if (saving)
                standard.SaveFileName(nullptr, QStringLiteral("Speichern unter"), folder, QStringLiteral("neu"),
                                      QStringLiteral("ZAK-Programme (*.zak)"), QStringLiteral("zak"));
            else
                standard.OpenFileName(nullptr, QStringLiteral("Programm \u00F6ffnen"), folder,
                                      QStringLiteral("ZAK-Programme (*.zak)"),
                                      {{QStringLiteral("Beispiele"), QStringLiteral(ZAK_SOURCE_DIR "/examples")}});
            EXPECT_TRUE(inspected);
        }
    }
    QApplication::setFont(original);
}

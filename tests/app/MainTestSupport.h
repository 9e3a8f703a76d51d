#pragma once
// A main window under test: scripted dialogs, the run timer kept off so that
// each test drives the ticks itself, and helpers to read the editor's line
// colours and the window's components by name.
#include "AppTestSupport.h"

#include "UCriticalSections.h"
#include "UErrorListBox.h"
#include "UFehler.h"
#include "UInterpreter.h"
#include "UMain.h"
#include "USHControl.h"
#include "USyntaxcheck.h"

#include <QAbstractButton>
#include <QAction>
#include <QKeyEvent>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Also remembers where the file dialogs were to start.
class TMainDialogs : public TScriptedDialogs {
public:
    QString OpenFileName(QWidget* parent, const QString& caption, const QString& directory,
                         const QString& filter, const QList<TPlace>& places) override {
        OpenDirectory = directory;
        Filter = filter;
        return TScriptedDialogs::OpenFileName(parent, caption, directory, filter, places);
    }
    QString SaveFileName(QWidget* parent, const QString& caption, const QString& directory, const QString& proposed,
                         const QString& filter, const QString& suffix) override {
        SaveDirectory = directory;
        Filter = filter;
        Suffix = suffix;
        return TScriptedDialogs::SaveFileName(parent, caption, directory, proposed, filter, suffix);
    }
    QString OpenDirectory, SaveDirectory, Filter, Suffix;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        Main = std::make_unique<TFMain>(QStringList{QStringLiteral("/usr/bin/zak")});
        Main->SetTicksByHand(true);
        Main->resize(800, 600);
        Main->show();
        QApplication::processEvents();
    }

    void TearDown() override {
        // A modified text would ask on closing; the tests answer nothing.
        Main->SetTicksByHand(true);
        Main.reset();
        QApplication::processEvents();
    }

    TSHControl& Editor() { return *Main->Editor(); }

    // Puts `lines` into the editor as a freshly loaded program and waits for
    // the syntax check's pass over it.
    void SetProgram(const std::vector<std::string>& lines) {
        Editor().LoadLines(lines);
        Main->Syntaxcheck()->WaitUntilIdle();
        QApplication::processEvents();
    }

    template <class T = QWidget>
    T* Find(const char* name) {
        T* widget = Main->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    // Shown as part of the window, whether or not the window is on a screen.
    bool Shown(const char* name) { return Find<QWidget>(name)->isVisibleTo(Main.get()); }

    TColor LineColor(int line) {
        TLockGuard lock(CriticalSections::EditorLinesLock());
        const TZeilenInformation* info = Editor().LineInfo(line);
        return info ? info->Color : 0xFFFFFFFF;
    }

    int LineWithColor(TColor color) {
        for (int i = 0; i < Editor().LineCount(); ++i)
            if (LineColor(i) == color) return i;
        return -1;
    }

    // Ticks until the run stops by itself, at most `limit` times.
    int TickUntilHalted(int limit = 10000) {
        int ticks = 0;
        while (Main->Running() && ticks < limit) {
            Main->TimerTimer();
            ++ticks;
        }
        return ticks;
    }

    std::vector<std::string> ErrorTexts() {
        std::vector<std::string> texts;
        for (const TFehler& error : Main->ErrorManager().Records()) texts.push_back(error.ItemText());
        return texts;
    }

    // Presses Enter in the editor, as a user edits: the text becomes modified.
    void PressEnter() {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(&Editor(), &press);
    }

    std::vector<std::string> EditorLines() {
        std::vector<std::string> lines;
        for (int i = 0; i < Editor().LineCount(); ++i) lines.push_back(Editor().LineText(i));
        return lines;
    }

    TMainDialogs Dialogs;
    TDialogsOverride Override{Dialogs};
    std::unique_ptr<TFMain> Main;
};

// The desktop side of the browser's key test (page.test.mjs): plays a script
// of keys into the desktop editor with the real formatter, as the main window
// hosts it, and prints the lines, the caret and the selection at every
// "check". The test plays the same script into the page and compares.
//
//   zak_editor_keys ROWS PROGRAM SCRIPT
// ROWS is the page's height in lines, which the page keys move by. A script
// line is "type C" (one character), "key [Shift+][Ctrl+]NAME" (NAME: Left,
// Right, Up, Down, Home, End, PageUp, PageDown, Enter, Backspace, Delete,
// Tab, Insert), "undo", "redo", "cut", "copy", "paste", "selectall" or
// "check". Undo, cut, copy and paste are the main window's commands, which
// own Ctrl+Z, Ctrl+X, Ctrl+C and Ctrl+V.
#include "UQtText.h"
#include "USHControl.h"
#include "UScanner.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

#include <cstdlib>

#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace {

std::string Json(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 32) {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out + '"';
}

void Send(TSHControl& editor, int key, Qt::KeyboardModifiers mods, const QString& text = QString()) {
    QKeyEvent event(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(&editor, &event);
}

void Print(const TSHControl& editor) {
    std::string out = "{\"lines\":[";
    for (int i = 0; i < editor.LineCount(); ++i) out += (i ? "," : "") + Json(editor.LineText(i));
    const TTextPos a = editor.SelAnchor();
    const TTextPos e = editor.SelEnd();
    out += "],\"caret\":[" + std::to_string(editor.CaretLine()) + "," + std::to_string(editor.CaretColumn()) + "]";
    if (editor.HasSelection())
        out += ",\"selection\":[" + std::to_string(a.Line) + "," + std::to_string(a.Column) + "," +
               std::to_string(e.Line) + "," + std::to_string(e.Column) + "]";
    // ZAK_KEYS_CLIP=1 shows the clipboard too, to find where a paste parts.
    if (std::getenv("ZAK_KEYS_CLIP")) out += ",\"clip\":" + Json(FromQString(QApplication::clipboard()->text()));
    std::cout << out << "}\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "Aufruf: zak_editor_keys ZEILEN PROGRAMM SKRIPT\n";
        return 2;
    }
    QApplication app(argc, argv);
    TSHControl editor;
    static const TFormatClass formatter;
    editor.LineRoutine = [](std::string& line, bool open, int indent, TFormatResult& r) {
        return formatter.FormatLine(line, open, indent, r);
    };
    const int rows = std::stoi(argv[1]);
    editor.resize(600, 100);
    editor.show();
    for (int height = 40; height < 4000 && editor.VisibleLines() != rows; height += 2) {
        editor.resize(600, height);
        QApplication::processEvents();
    }
    if (editor.VisibleLines() != rows) {
        std::cerr << "Die Hoehe fuer " << rows << " Zeilen ist nicht einstellbar\n";
        return 1;
    }

    std::vector<std::string> lines;
    std::ifstream program(argv[2]);
    for (std::string line; std::getline(program, line);) lines.push_back(line);
    editor.LoadLines(lines);

    const std::map<std::string, int> keys = {
        {"Left", Qt::Key_Left},           {"Right", Qt::Key_Right},       {"Up", Qt::Key_Up},
        {"Down", Qt::Key_Down},           {"Home", Qt::Key_Home},         {"End", Qt::Key_End},
        {"PageUp", Qt::Key_PageUp},       {"PageDown", Qt::Key_PageDown}, {"Enter", Qt::Key_Return},
        {"Backspace", Qt::Key_Backspace}, {"Delete", Qt::Key_Delete},     {"Tab", Qt::Key_Tab},
        {"Insert", Qt::Key_Insert}};
    std::ifstream script(argv[3]);
    for (std::string line; std::getline(script, line);) {
        if (line.rfind("type ", 0) == 0 && line.size() == 6) {
            Send(editor, 0, Qt::NoModifier, QString(QChar(static_cast<unsigned char>(line[5]))));
        } else if (line.rfind("key ", 0) == 0) {
            std::string name = line.substr(4);
            Qt::KeyboardModifiers mods;
            for (const auto& [prefix, mod] : {std::pair<std::string, Qt::KeyboardModifier>{"Shift+", Qt::ShiftModifier},
                                              {"Ctrl+", Qt::ControlModifier}}) {
                if (name.rfind(prefix, 0) == 0) {
                    mods |= mod;
                    name = name.substr(prefix.size());
                }
            }
            const auto key = keys.find(name);
            if (key == keys.end()) {
                std::cerr << "Unbekannte Taste: " << name << "\n";
                return 1;
            }
            Send(editor, key->second, mods, key->second == Qt::Key_Return ? QStringLiteral("\r") : QString());
        } else if (line == "undo") {
            // The action is disabled with nothing to undo: the key then
            // reaches the editor.
            if (editor.UndoCount() > 0)
                editor.EditorUndo();
            else
                Send(editor, Qt::Key_Z, Qt::ControlModifier);
        } else if (line == "redo") {
            editor.EditorRedo();
        } else if (line == "cut") {
            editor.Cut();
        } else if (line == "copy") {
            editor.Copy();
        } else if (line == "paste") {
            editor.Paste();
        } else if (line == "selectall") {
            Send(editor, Qt::Key_A, Qt::ControlModifier);
        } else if (line == "check") {
            Print(editor);
        } else if (!line.empty()) {
            std::cerr << "Unbekannte Zeile: " << line << "\n";
            return 1;
        }
    }
    return 0;
}

#pragma once
// Shared helpers of the editor tests: one application object, a small
// stand-in line routine and event helpers.
#include "UCriticalSections.h"
#include "USHControl.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

#include <memory>
#include <string>
#include <vector>

inline QApplication& TestApp() {
    static int argc = 1;
    static char name[] = "test_editor";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Indents by 3 after a line ending in "dann", takes 3 back on a line starting
// with "*wenn"; "{" opens and "}" closes a comment, whose characters are class
// '3'; everything else is class '2'.
inline int StandInRoutine(std::string& line, bool commentOpen, int indent, TFormatResult& r) {
    const size_t lead = line.find_first_not_of(' ') == std::string::npos ? line.size() : line.find_first_not_of(' ');
    const std::string body = line.substr(lead);
    int t = indent;
    int n = indent;
    if (body.rfind("*wenn", 0) == 0) {
        t -= 3;
        n -= 3;
    }
    if (body.size() >= 4 && body.compare(body.size() - 4, 4, "dann") == 0) n += 3;
    t = std::max(t, 0);
    n = std::max(n, 0);
    line = std::string(static_cast<size_t>(t), ' ') + body;
    r.Classes.clear();
    bool open = commentOpen;
    for (char c : line) {
        if (c == '{') open = true;
        r.Classes += open ? '3' : '2';
        if (c == '}') open = false;
    }
    r.Classes += '2';
    r.CommentOpen = open;
    r.NextIndent = n;
    r.LineIndent = t;
    return t - static_cast<int>(lead);
}

// An editor shown at a fixed size, with the stand-in routine installed.
inline std::unique_ptr<TSHControl> MakeEditor(int width = 400, int height = 300) {
    TestApp();
    auto editor = std::make_unique<TSHControl>();
    editor->LineRoutine = StandInRoutine;
    editor->resize(width, height);
    editor->show();
    QApplication::processEvents();
    return editor;
}

inline std::vector<std::string> AllLines(const TSHControl& editor) {
    std::vector<std::string> out;
    for (int i = 0; i < editor.LineCount(); ++i) out.push_back(editor.LineText(i));
    return out;
}

inline void Key(TSHControl& editor, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                const QString& text = QString()) {
    QKeyEvent event(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(&editor, &event);
}

inline void Type(TSHControl& editor, const std::string& text) {
    for (char c : text) {
        if (c == '\n')
            Key(editor, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        else
            Key(editor, 0, Qt::NoModifier, QString(QChar(static_cast<unsigned char>(c))));
    }
}

inline void Mouse(TSHControl& editor, QEvent::Type type, int x, int y,
                  Qt::KeyboardModifiers mods = Qt::NoModifier) {
    const QPointF pos(x, y);
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, pos, editor.mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                      buttons, mods);
    QApplication::sendEvent(&editor, &event);
}

inline void SetClipboardText(const QString& text) {
    TestApp();
    QApplication::clipboard()->setText(text);
}

// Pixel of a rendered editor as 0xRRGGBB.
inline unsigned PixelAt(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

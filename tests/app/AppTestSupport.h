#pragma once
// Shared helpers of the shell tests: one application object, dialogs that
// answer from a script and record what they were asked, and a temporary
// directory that can serve as the current directory.
#include "UDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>
#include <QUrl>

#include <deque>
#include <functional>
#include <string>
#include <vector>

// The data and state directory of this test run: settings and recovery
// journals of the windows under test go there, never to the user's own.
// Tests that point XDG_DATA_HOME or XDG_STATE_HOME elsewhere put this back.
inline QByteArray TestDataHome() {
    static QTemporaryDir dataHome;
    return dataHome.path().toLocal8Bit();
}

inline QApplication& TestApp() {
    static const bool dataHomeSet =
        qputenv("XDG_DATA_HOME", TestDataHome()) && qputenv("XDG_STATE_HOME", TestDataHome());
    (void)dataHomeSet;
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

class TScriptedDialogs : public TDialogs {
public:
    struct TCall {
        QString Kind;  // "Message", "Confirm", "Ask", "Open", "Save", "PrinterSetup", "Url"
        QString Text;
        QString Caption;
    };

    std::vector<TCall> Calls;
    std::deque<TAnswer> Answers;     // for Confirm and Ask; Cancel when used up
    std::deque<QString> FileNames;   // for Open and Save; "" (cancel) when used up
    std::function<bool(QPrinter&)> Setup = [](QPrinter&) { return false; };

    void Message(QWidget*, const QString& text, const QString& caption, TMessageIcon) override {
        Calls.push_back({"Message", text, caption});
    }
    TAnswer Confirm(QWidget*, const QString& text, const QString& caption) override {
        Calls.push_back({"Confirm", text, caption});
        return Next();
    }
    TAnswer Ask(QWidget*, const QString& text, const QString& caption) override {
        Calls.push_back({"Ask", text, caption});
        return Next();
    }
    // The places offered come as "Name=path" lines in the call's text.
    QString OpenFileName(QWidget*, const QString& caption, const QString&, const QString&,
                         const QList<TPlace>& places) override {
        QStringList offered;
        for (const TPlace& place : places) offered << place.Name + "=" + place.Path;
        Calls.push_back({"Open", offered.join('\n'), caption});
        return NextName();
    }
    QString SaveFileName(QWidget*, const QString& caption, const QString&, const QString& proposed,
                         const QString&, const QString&) override {
        Calls.push_back({"Save", proposed, caption});
        return NextName();
    }
    bool PrinterSetup(QWidget*, QPrinter& printer) override {
        Calls.push_back({"PrinterSetup", {}, {}});
        return Setup(printer);
    }
    bool OpenUrl(const QUrl& url) override {
        Calls.push_back({"Url", url.toString(), {}});
        return true;
    }

    std::vector<TCall> Of(const QString& kind) const {
        std::vector<TCall> out;
        for (const TCall& call : Calls)
            if (call.Kind == kind) out.push_back(call);
        return out;
    }

private:
    TAnswer Next() {
        if (Answers.empty()) return TAnswer::Cancel;
        TAnswer answer = Answers.front();
        Answers.pop_front();
        return answer;
    }
    QString NextName() {
        if (FileNames.empty()) return {};
        QString name = FileNames.front();
        FileNames.pop_front();
        return name;
    }
};

// A temporary directory that is the current directory while it lives.
// A fresh current directory, with the user's config folder inside it
// ("config") and no system-wide one, so that no settings file of the
// machine or of another test is found.
class TTempCurrentDir {
public:
    TTempCurrentDir()
        : FPrevious(QDir::currentPath()), FConfigHome(qgetenv("XDG_CONFIG_HOME")),
          FConfigDirs(qgetenv("XDG_CONFIG_DIRS")) {
        QDir::setCurrent(FDir.path());
        qputenv("XDG_CONFIG_HOME", FDir.filePath("config").toLocal8Bit());
        qputenv("XDG_CONFIG_DIRS", FDir.filePath("system").toLocal8Bit());
    }
    ~TTempCurrentDir() {
        QDir::setCurrent(FPrevious);
        qputenv("XDG_CONFIG_HOME", FConfigHome);
        qputenv("XDG_CONFIG_DIRS", FConfigDirs);
    }
    QString Path(const QString& name = {}) const { return name.isEmpty() ? FDir.path() : FDir.filePath(name); }

private:
    QTemporaryDir FDir;
    QString FPrevious;
    QByteArray FConfigHome;
    QByteArray FConfigDirs;
};

inline std::string ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "<missing>";
    return file.readAll().toStdString();
}

inline void WriteBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

#pragma once
// Recovery copies of unsaved program text. While the editor's text is
// modified, a copy of it in the program file format stays in the user's data
// directory, so that a machine switched off, a session ended or a crash of
// ZAK loses at most the last few seconds of typing. The next start offers
// the copies of instances that no longer run.
//
// Each running instance owns the files <id>.zak (the copy), <id>.name (the
// file the program belongs to, UTF-8, empty for a never-saved program) and
// <id>.lock, a QLockFile held while the copy exists. A copy whose lock can
// be taken belongs to an instance that has ended; a second window running at
// the same time keeps its lock and so its copy.
//
// Copies are written on the GUI thread from timers, never inside a step of
// a run: a copy is written a short while after the last change and at
// least every so often while typing goes on.
#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QLockFile;

struct TRecoveryCopy {
    QString Id;
    QString CopyPath;  // the copy, in the program file format
    QString FileName;  // where the program belongs; empty when it was never saved
    QDateTime Time;    // when the copy was written
};

class TRecovery : public QObject {
public:
    // A lock this process holds; no other instance of this process takes it.
    struct TLockRelease {
        void operator()(QLockFile* lock) const;
    };
    using THeldLock = std::unique_ptr<QLockFile, TLockRelease>;

    // A pause of two seconds in typing is when a copy is written; while a
    // pupil types on without pause, every ten seconds. Writing the copy of a
    // 100 000-line text takes a few milliseconds, so this costs nothing one
    // would notice, and a power cut loses at most ten seconds of typing.
    static constexpr int kIdleDelayMs = 2000;
    static constexpr int kMaxDelayMs = 10000;

    explicit TRecovery(QObject* parent = nullptr);
    ~TRecovery() override;

    // --- hooks, installed by the owner ----------------------------------
    std::function<bool()> Wanted;       // the text is worth a copy (modified, not empty)
    std::function<QByteArray()> Bytes;  // the copy's bytes, as saving writes them
    std::function<QString()> FileName;  // the file the text belongs to, or empty
    std::function<bool()> Busy;         // a program runs: the copy waits

    // Where the copies live: $XDG_DATA_HOME/zak/wiederherstellung (by
    // default ~/.local/share/zak/wiederherstellung), whatever the
    // application's name is set to.
    static QString Directory();

    void SetDelays(int idleMs, int maxMs);
    // The text changed: a copy becomes due.
    void Changed();
    // Writes a due copy now; removes the copy when none is wanted any more.
    void Flush();
    // The text was saved, loaded, discarded or renamed: brings the copy up
    // to date at once.
    void Refresh();
    // The clean end: the copy goes and no other is written.
    void Finish();

    bool Due() const { return FDue; }
    QString CopyPath() const;

    // Copies of instances that have ended, newest first. Each is reserved
    // for this instance until it is discarded or released.
    std::vector<TRecoveryCopy> Orphans();
    // Whether a copy is one ZAK wrote and can be loaded; if not, a German
    // reason. `header` is the first line every copy starts with.
    static bool CheckCopy(const TRecoveryCopy& copy, const std::string& header, qint64 maxSize, QString& reason);
    // Deletes a copy with its name and lock.
    void Discard(const TRecoveryCopy& copy);
    // Renames an unreadable copy so that it is not offered again but stays
    // for a teacher to look at; returns its new path.
    QString SetAside(const TRecoveryCopy& copy);
    // Leaves a copy for a later start.
    void Release(const TRecoveryCopy& copy);

private:
    void TimerFired();
    bool Write();
    void RemoveOwn();
    QString PathOf(const QString& id, const char* suffix) const;

    QString FId;
    THeldLock FLock;
    QString FWrittenName;  // the name last written to <id>.name
    bool FHasCopy = false;
    bool FDue = false;
    bool FFinished = false;
    QTimer FIdleTimer;
    QTimer FMaxTimer;
    std::map<QString, THeldLock> FReserved;
};

// SIGTERM, SIGHUP and SIGINT end the application's event loops without
// questions, so that aboutToQuit writes the recovery copy and the copy
// stays; the handler itself only writes a byte to a pipe.
void QuitOnTerminationSignals();

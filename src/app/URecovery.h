#pragma once
// The recovery journal of unsaved program text. While the editor's text is
// modified, a journal of it stays in the user's state directory, so that a
// machine switched off, a session ended or a crash of ZAK loses at most the
// last two seconds of typing. The next start offers the journals of
// instances that no longer run.
//
// Each running instance owns one journal, <id>.journal: the file the
// program belongs to, the caret and the program in the file format. Beside
// it lies <id>.lock, a QLockFile held while the journal exists. A journal
// whose lock can be taken belongs to an instance that has ended; a second
// ZAK running at the same time keeps its lock and so its journal.
//
// The GUI thread only takes a snapshot of the text; a worker thread writes
// it (QSaveFile, which syncs to disk). A journal is written at most every
// two seconds while typing goes on, never inside a step of a run.
//
// Before a file is written in place (its folder allows no new files), which
// a crash half-way would leave torn, the journal takes the whole new text,
// marked as a save in progress, and the save waits until it is on disk.
#include <QByteArray>
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
class TJournalWriter;

struct TRecoveryCopy {
    QString Id;
    QString CopyPath;  // the journal
    QDateTime Time;    // when it was written
    // Filled by Read:
    QString FileName;  // where the program belongs; empty when it was never saved
    int CaretLine = 0;
    int CaretColumn = 0;
    QByteArray Bytes;  // the program, as saving writes it
    // The journal was written for a save that wrote the file in place and
    // did not end: the file may be torn.
    bool SaveInterrupted = false;
};

class TRecovery : public QObject {
public:
    // A lock this process holds; no other instance of this process takes it.
    struct TLockRelease {
        void operator()(QLockFile* lock) const;
    };
    using THeldLock = std::unique_ptr<QLockFile, TLockRelease>;

    struct TCaret {
        int Line = 0;
        int Column = 0;
    };

    // The first change starts the wait, and further typing does not push
    // the write back: at most two seconds of typing are lost, and the
    // snapshot (a copy of the text, about a millisecond for 100 000 lines)
    // is taken at most every two seconds. The longest wait stays for tests
    // that tell a pause from typing on.
    static constexpr int kIdleDelayMs = 2000;
    static constexpr int kMaxDelayMs = 2000;
    // A journal that could not be written is tried again after this long,
    // even when nobody types.
    static constexpr int kRetryDelayMs = 10000;
    // A journal holds whatever the editor holds, which may be more than a
    // file may have (indentation widens every line of a deeply nested
    // text); it is read back up to this size. No editor text comes near it.
    static constexpr qint64 kMaxProgramSize = qint64{1} << 30;

    explicit TRecovery(QObject* parent = nullptr);
    ~TRecovery() override;

    // --- hooks, installed by the owner ----------------------------------
    std::function<bool()> Wanted;       // the text is worth a journal (modified, not empty)
    std::function<QByteArray()> Bytes;  // the program's bytes, as saving writes them
    std::function<QString()> FileName;  // the file the text belongs to, or empty
    std::function<TCaret()> Caret;      // where the caret stands
    std::function<bool()> Busy;         // a program runs: the journal waits
    // A journal could not be written (the message says why, once until one
    // is written again), or one was written after that (empty message).
    std::function<void(const QString& message)> Trouble;

    // Where the journals live: $XDG_STATE_HOME/zak (by default
    // ~/.local/state/zak), whatever the application's name is set to.
    static QString Directory();

    void SetDelays(int idleMs, int maxMs, int retryMs = kRetryDelayMs);
    // The text changed: a journal becomes due.
    void Changed();
    // Hands a due journal to the writer now; removes the journal when none
    // is wanted any more.
    void Flush();
    // The text was saved, loaded, discarded or renamed: brings the journal
    // up to date at once.
    void Refresh();
    // The clean end: the journal goes and no other is written.
    void Finish();
    // Waits until what was handed to the writer is on disk.
    void Settle();
    // Before `fileName` is written in place: writes `program` as the
    // journal, marked as a save in progress, and waits until it is on disk.
    // False when it could not be written. Refresh takes the mark away.
    bool KeepForSave(const QString& fileName, const QByteArray& program);

    // The latest change is not yet on disk.
    bool Due() const { return FDue; }
    QString CopyPath() const;

    // Journals of instances that have ended, newest first. Each is reserved
    // for this instance until it is discarded or released.
    std::vector<TRecoveryCopy> Orphans();
    // Reads a journal; if it is not one ZAK wrote or cannot be loaded, a
    // German reason. `header` is the first line every program starts with.
    static bool Read(TRecoveryCopy& copy, const std::string& header, qint64 maxSize, QString& reason);
    // The journal's bytes: what Read takes apart.
    static QByteArray Compose(const QString& fileName, TCaret caret, const QByteArray& program,
                              bool saveInProgress = false);
    // Deletes a journal.
    void Discard(const TRecoveryCopy& copy);
    // Renames an unreadable journal so that it is not offered again but
    // stays for a teacher to look at; returns its new path.
    QString SetAside(const TRecoveryCopy& copy);
    // Leaves a journal for a later start.
    void Release(const TRecoveryCopy& copy);

private:
    void TimerFired();
    void Post(const QString& fileName, QByteArray program, bool saveInProgress);
    // `trouble` is empty when the journal was written.
    void Written(quint64 generation, const QString& trouble);
    void RemoveOwn();
    void AdoptOldCopies();
    QString PathOf(const QString& id, const char* suffix) const;

    QString FId;
    quint64 FGeneration = 1;       // counts the changes
    quint64 FPostedGeneration = 0; // the change the last snapshot holds, 0 for none
    bool FHasCopy = false;         // a journal exists or is on its way
    bool FDue = false;
    bool FFinished = false;
    bool FTroubleTold = false;
    QTimer FIdleTimer;
    QTimer FMaxTimer;
    QTimer FRetryTimer;
    std::map<QString, THeldLock> FReserved;
    std::unique_ptr<TJournalWriter> FWriter;
};

// SIGTERM, SIGHUP and SIGINT end the application's event loops without
// questions, so that aboutToQuit writes the journal and the journal stays;
// the handler itself only writes a byte to a pipe.
void QuitOnTerminationSignals();

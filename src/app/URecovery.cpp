#include "URecovery.h"

#include "UFileErrors.h"
#include "URegularFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QSaveFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QSysInfo>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <utility>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const char* const JournalSuffix = ".journal";
const char* const LockSuffix = ".lock";
const char* const SetAsideSuffix = ".defekt";
// The journal's first line; the second is a JSON object with the file name
// and the caret, the rest the program as saving writes it.
const QByteArray Magic = QByteArrayLiteral("ZAK-Journal 1");
// Room for the first two lines beyond the program's own limit.
const qint64 MaxMetaSize = qint64{64} * 1024;

// Empty when written; otherwise why not.
QString WriteAtomically(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    // Unbuffered: a full disk shows as a short write (see the editor's Save).
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return FileErrorReason(file);
    const qint64 written = file.write(bytes);
    if (written >= 0 && written < bytes.size())
        return QStringLiteral(
            "Die Sicherung konnte nicht vollst\u00E4ndig geschrieben werden; vielleicht ist der "
            "Datentr\u00E4ger voll.");
    if (written < 0 || !file.commit()) return FileErrorReason(file);
    return {};
}

// The renaming of a journal reaches the disk with its folder's entry.
void SyncDirectory(const QString& directory) {
    const int handle = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0) return;
    ::fsync(handle);
    ::close(handle);
}

// Why no file can be made in `directory`: the reason of the nearest folder
// on its path that exists.
QString DirectoryTrouble(const QString& directory) {
    QString path = directory;
    for (;;) {
        if (::access(QFile::encodeName(path).constData(), W_OK | X_OK) == 0) break;
        const int why = errno;
        const QString parent = QFileInfo(path).absolutePath();
        if (why != ENOENT || parent == path)
            return QStringLiteral("%1 (%2)").arg(SystemErrorReason(why), QDir::toNativeSeparators(directory));
        path = parent;
    }
    return QStringLiteral("Im Verzeichnis %1 kann keine Datei angelegt werden.")
        .arg(QDir::toNativeSeparators(directory));
}

// The locks this process holds for its own journals; the writer thread
// takes them as well as the GUI thread.
std::mutex& HeldLocksMutex() {
    static std::mutex mutex;
    return mutex;
}
std::set<QString>& HeldLocks() {
    static std::set<QString> held;
    return held;
}

// A lock whose owner has ended can be taken; one still held is never taken,
// however old it is. A lock with this very process id on this machine that
// this process does not hold is from before a restart that happened to give
// it the same id; Qt would take its owner for alive.
TRecovery::THeldLock TakeLock(const QString& path) {
    const std::lock_guard guard(HeldLocksMutex());
    if (HeldLocks().count(path)) return nullptr;
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0);
    qint64 pid = 0;
    QString host;
    QString application;
    if (lock->getLockInfo(&pid, &host, &application) && pid == QCoreApplication::applicationPid() &&
        host == QSysInfo::machineHostName())
        lock->removeStaleLockFile();
    if (!lock->tryLock(0)) return nullptr;
    HeldLocks().insert(path);
    return TRecovery::THeldLock(lock.release());
}

} // namespace

void TRecovery::TLockRelease::operator()(QLockFile* lock) const {
    {
        const std::lock_guard guard(HeldLocksMutex());
        HeldLocks().erase(lock->fileName());
    }
    delete lock;
}

// Writes the journal's snapshots one after the other on a thread of its
// own. A snapshot handed over while another waits replaces it: only the
// newest text matters. It holds the journal's lock from its first write.
class TJournalWriter {
public:
    struct TJob {
        QString Path;
        QString LockPath;
        QString FileName;
        TRecovery::TCaret Caret;
        QByteArray Program;
        quint64 Generation = 0;
        bool SaveInProgress = false;
    };
    // Called on the writer's thread after each job; `trouble` is empty when
    // the journal was written.
    using TDone = std::function<void(quint64 generation, const QString& trouble)>;

    explicit TJournalWriter(TDone done) : FDone(std::move(done)), FThread([this] { Run(); }) {}

    // The job waiting is still written: a window that goes without a clean
    // end leaves its latest text behind.
    ~TJournalWriter() {
        {
            const std::lock_guard guard(FMutex);
            FStop = true;
        }
        FWake.notify_all();
        FThread.join();
    }

    void Post(TJob job) {
        {
            const std::lock_guard guard(FMutex);
            FPending = std::move(job);
        }
        FWake.notify_all();
    }

    // Waits until every job is done; tells how the last one went.
    std::pair<quint64, QString> Wait() {
        std::unique_lock lock(FMutex);
        FIdle.wait(lock, [this] { return !FWriting && !FPending; });
        return {FLastGeneration, FLastTrouble};
    }

    // Drops the job waiting, lets the one being written finish, then
    // removes the journal and gives up its lock.
    void Remove(const QString& path) {
        std::unique_lock lock(FMutex);
        FPending.reset();
        FIdle.wait(lock, [this] { return !FWriting; });
        if (!FLock) return;
        QFile::remove(path);
        FLock.reset();
    }

private:
    void Run() {
        std::unique_lock lock(FMutex);
        for (;;) {
            FWake.wait(lock, [this] { return FStop || FPending; });
            if (!FPending) return;
            const TJob job = std::move(*FPending);
            FPending.reset();
            FWriting = true;
            lock.unlock();
            const QString trouble = Write(job);
            FDone(job.Generation, trouble);
            lock.lock();
            FWriting = false;
            FLastGeneration = job.Generation;
            FLastTrouble = trouble;
            FIdle.notify_all();
        }
    }

    // The lock comes first: a journal without it could be taken for one
    // left behind by a second start.
    QString Write(const TJob& job) {
        const QString directory = QFileInfo(job.Path).absolutePath();
        if (!FLock) {
            if (!QDir().mkpath(directory)) return DirectoryTrouble(directory);
            FLock = TakeLock(job.LockPath);
            if (!FLock) return DirectoryTrouble(directory);
        }
        QString trouble =
            WriteAtomically(job.Path, TRecovery::Compose(job.FileName, job.Caret, job.Program, job.SaveInProgress));
        // A save in place waits for this journal: it must survive a power
        // cut as well.
        if (trouble.isEmpty() && job.SaveInProgress) SyncDirectory(directory);
        return trouble;
    }

    TDone FDone;
    std::mutex FMutex;
    std::condition_variable FWake;
    std::condition_variable FIdle;
    std::optional<TJob> FPending;
    bool FWriting = false;
    bool FStop = false;
    quint64 FLastGeneration = 0;
    QString FLastTrouble;
    // Only the writer's thread touches it while it writes; Remove waits.
    TRecovery::THeldLock FLock;
    std::thread FThread;  // last: it starts once everything else is there
};

TRecovery::TRecovery(QObject* parent) : QObject(parent) {
    // Unique among running instances and among the windows of one process.
    static int created = 0;
    FId = QStringLiteral("%1-%2-%3")
              .arg(QCoreApplication::applicationPid())
              .arg(QDateTime::currentMSecsSinceEpoch())
              .arg(++created);
    for (QTimer* timer : {&FIdleTimer, &FMaxTimer, &FRetryTimer}) {
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, [this] { TimerFired(); });
    }
    SetDelays(kIdleDelayMs, kMaxDelayMs);
    FWriter = std::make_unique<TJournalWriter>([this](quint64 generation, const QString& trouble) {
        QMetaObject::invokeMethod(
            this, [this, generation, trouble] { Written(generation, trouble); }, Qt::QueuedConnection);
    });
}

// Not a clean end: the journal stays for the next start, with what was
// handed to the writer; the lock goes, so that the next start may take it.
TRecovery::~TRecovery() { FWriter.reset(); }

QString TRecovery::Directory() {
    // Qt of this platform has no location for state; the XDG rule is that
    // a relative XDG_STATE_HOME counts as unset.
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base)) base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/zak");
}

QString TRecovery::PathOf(const QString& id, const char* suffix) const {
    return Directory() + QLatin1Char('/') + id + QLatin1String(suffix);
}

QString TRecovery::CopyPath() const { return PathOf(FId, JournalSuffix); }

void TRecovery::SetDelays(int idleMs, int maxMs, int retryMs) {
    FIdleTimer.setInterval(idleMs);
    FMaxTimer.setInterval(maxMs);
    FRetryTimer.setInterval(retryMs);
}

void TRecovery::Changed() {
    if (FFinished) return;
    FDue = true;
    ++FGeneration;
    FIdleTimer.start();
    if (!FMaxTimer.isActive()) FMaxTimer.start();
}

void TRecovery::TimerFired() {
    if (Busy && Busy()) {
        // A run goes on; its steps are not interrupted by a snapshot.
        FIdleTimer.start();
        return;
    }
    Flush();
}

void TRecovery::Flush() {
    FIdleTimer.stop();
    FMaxTimer.stop();
    FRetryTimer.stop();
    if (FFinished) return;
    if (!Wanted || !Wanted()) {
        RemoveOwn();
        FDue = false;
        return;
    }
    if (!FDue && FHasCopy) return;
    if (FPostedGeneration == FGeneration) return;  // on its way already
    Post(FileName ? FileName() : QString(), Bytes ? Bytes() : QByteArray(), false);
}

void TRecovery::Post(const QString& fileName, QByteArray program, bool saveInProgress) {
    if (program.size() > kMaxProgramSize) {
        // Never one that could not be read back.
        Written(FGeneration, QStringLiteral("Das Programm ist mit %1 Bytes zu gro\u00DF.").arg(program.size()));
        return;
    }
    TJournalWriter::TJob job;
    job.Path = CopyPath();
    job.LockPath = PathOf(FId, LockSuffix);
    job.FileName = fileName;
    if (Caret) job.Caret = Caret();
    job.Program = std::move(program);
    job.Generation = FGeneration;
    job.SaveInProgress = saveInProgress;
    FWriter->Post(std::move(job));
    FPostedGeneration = FGeneration;
    FHasCopy = true;
}

void TRecovery::Written(quint64 generation, const QString& trouble) {
    if (trouble.isEmpty()) {
        if (generation == FGeneration) FDue = false;
        if (FTroubleTold) {
            FTroubleTold = false;
            if (Trouble) Trouble({});
        }
        return;
    }
    // A journal that cannot be written (a full disk) is tried again at the
    // next change or after a while; the pupil can still save, and is told
    // once that the text is not safe until then.
    if (generation == FPostedGeneration) {
        FPostedGeneration = 0;
        FHasCopy = false;
    }
    if (!FFinished) FRetryTimer.start();
    if (FTroubleTold) return;
    FTroubleTold = true;
    if (Trouble)
        Trouble(QStringLiteral("Ungespeicherte \u00C4nderungen k\u00F6nnen nicht gesichert werden: %1").arg(trouble));
}

void TRecovery::Settle() {
    const auto [generation, trouble] = FWriter->Wait();
    if (generation != 0) Written(generation, trouble);
}

bool TRecovery::KeepForSave(const QString& fileName, const QByteArray& program) {
    if (FFinished) return false;
    FDue = true;
    ++FGeneration;
    Post(fileName, program, true);
    if (FPostedGeneration != FGeneration) return false;
    const auto [generation, trouble] = FWriter->Wait();
    Written(generation, trouble);
    return generation == FGeneration && trouble.isEmpty();
}

void TRecovery::Refresh() {
    if (FFinished) return;
    FDue = true;
    ++FGeneration;
    Flush();
}

void TRecovery::Finish() {
    FIdleTimer.stop();
    FMaxTimer.stop();
    FRetryTimer.stop();
    RemoveOwn();
    FDue = false;
    FFinished = true;
}

void TRecovery::RemoveOwn() {
    FWriter->Remove(CopyPath());
    FHasCopy = false;
    FPostedGeneration = 0;
}

// Copies that ZAK 1.5.9 and earlier left in $XDG_DATA_HOME/zak/
// wiederherstellung (<id>.zak, <id>.name, <id>.lock) become journals, so
// that text lost before an update still comes back after it. A copy whose
// instance still runs stays where it is.
void TRecovery::AdoptOldCopies() {
    const QDir old(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                   QStringLiteral("/zak/wiederherstellung"));
    if (!old.exists()) return;
    for (const QString& file : old.entryList({QStringLiteral("*.zak")}, QDir::Files)) {
        const QString id = QFileInfo(file).completeBaseName();
        const THeldLock lock = TakeLock(old.filePath(id + QLatin1String(LockSuffix)));
        if (!lock || QFileInfo::exists(PathOf(id, JournalSuffix)) || !QDir().mkpath(Directory())) continue;
        QFile copy(old.filePath(file));
        QFile name(old.filePath(id + QStringLiteral(".name")));
        if (!OpenRegularFile(copy)) continue;
        const QByteArray program = copy.readAll();
        const QDateTime time = copy.fileTime(QFileDevice::FileModificationTime);
        copy.close();
        const QString fileName = OpenRegularFile(name) ? QString::fromUtf8(name.read(64 * 1024)) : QString();
        name.close();
        if (!WriteAtomically(PathOf(id, JournalSuffix), Compose(fileName, {}, program)).isEmpty()) continue;
        // The question shows when the text was written, not when it moved.
        QFile journal(PathOf(id, JournalSuffix));
        if (journal.open(QIODevice::ReadWrite)) journal.setFileTime(time, QFileDevice::FileModificationTime);
        // Opened on a checked descriptor, the files no longer know their names.
        QFile::remove(old.filePath(file));
        QFile::remove(old.filePath(id + QStringLiteral(".name")));
    }
}

std::vector<TRecoveryCopy> TRecovery::Orphans() {
    std::vector<TRecoveryCopy> copies;
    AdoptOldCopies();
    const QDir directory(Directory());
    if (!directory.exists()) return copies;
    const QStringList files =
        directory.entryList({QStringLiteral("*") + QLatin1String(JournalSuffix)}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        const QString id = file.left(file.size() - static_cast<int>(qstrlen(JournalSuffix)));
        if (id == FId || FReserved.count(id)) continue;
        THeldLock lock = TakeLock(PathOf(id, LockSuffix));
        if (!lock) continue;  // its instance still runs
        TRecoveryCopy copy;
        copy.Id = id;
        copy.CopyPath = directory.filePath(file);
        const QFileInfo info(copy.CopyPath);
        if (!info.exists()) continue;  // its instance removed it meanwhile
        copy.Time = info.lastModified();
        FReserved[id] = std::move(lock);
        copies.push_back(std::move(copy));
    }
    // Locks without a journal are left from an instance that ended between
    // taking its lock and its first journal; taking them removes them.
    const QStringList leftovers = directory.entryList({QStringLiteral("*") + QLatin1String(LockSuffix)}, QDir::Files);
    for (const QString& file : leftovers) {
        const QString id = QFileInfo(file).completeBaseName();
        if (id == FId || FReserved.count(id) || QFileInfo::exists(PathOf(id, JournalSuffix))) continue;
        TakeLock(PathOf(id, LockSuffix));
    }
    std::stable_sort(copies.begin(), copies.end(),
                     [](const TRecoveryCopy& a, const TRecoveryCopy& b) { return a.Time > b.Time; });
    return copies;
}

QByteArray TRecovery::Compose(const QString& fileName, TCaret caret, const QByteArray& program, bool saveInProgress) {
    QJsonObject meta{{QStringLiteral("datei"), fileName},
                     {QStringLiteral("zeile"), caret.Line},
                     {QStringLiteral("spalte"), caret.Column}};
    // Only when set, so that earlier versions read the journal as ever.
    if (saveInProgress) meta.insert(QStringLiteral("speichern"), true);
    const QByteArray metaLine = QJsonDocument(meta).toJson(QJsonDocument::Compact);
    QByteArray bytes;
    bytes.reserve(Magic.size() + metaLine.size() + program.size() + 2);
    bytes.append(Magic).append('\n').append(metaLine).append('\n').append(program);
    return bytes;
}

bool TRecovery::Read(TRecoveryCopy& copy, const std::string& header, qint64 maxSize, QString& reason) {
    QFile file(copy.CopyPath);
    if (file.size() > maxSize + MaxMetaSize) {
        reason = QStringLiteral("Sie ist mit %1 Bytes zu gro\u00DF f\u00FCr ein ZAK-Programm.").arg(file.size());
        return false;
    }
    if (QString why; !OpenRegularFile(file, &why)) {
        reason = QStringLiteral("Sie kann nicht gelesen werden: %1").arg(why);
        return false;
    }
    const QByteArray bytes = file.readAll();
    const auto damaged = [&reason] {
        reason = QStringLiteral("Sie ist besch\u00E4digt.");
        return false;
    };
    // Journals are written whole or not at all: one that does not have the
    // first two lines, or whose program does not start with the header or
    // does not end with a line break, is not one of ours.
    const qsizetype first = bytes.indexOf('\n');
    if (first < 0 || bytes.left(first) != Magic) return damaged();
    const qsizetype second = bytes.indexOf('\n', first + 1);
    if (second < 0) return damaged();
    QJsonParseError error{};
    const QJsonDocument meta = QJsonDocument::fromJson(bytes.mid(first + 1, second - first - 1), &error);
    if (error.error != QJsonParseError::NoError || !meta.isObject()) return damaged();
    const QJsonObject object = meta.object();
    const QJsonValue name = object.value(QStringLiteral("datei"));
    const QJsonValue line = object.value(QStringLiteral("zeile"));
    const QJsonValue column = object.value(QStringLiteral("spalte"));
    if (!name.isString() || !line.isDouble() || !column.isDouble()) return damaged();
    QByteArray program = bytes.mid(second + 1);
    if (!program.startsWith(QByteArray::fromStdString(header) + "\r\n") || !program.endsWith("\r\n"))
        return damaged();
    if (program.size() > maxSize) {
        reason = QStringLiteral("Sie ist mit %1 Bytes zu gro\u00DF f\u00FCr ein ZAK-Programm.").arg(program.size());
        return false;
    }
    copy.FileName = name.toString();
    // toInt keeps numbers beyond int's range out; the editor clamps the rest.
    copy.CaretLine = line.toInt();
    copy.CaretColumn = column.toInt();
    copy.SaveInterrupted = object.value(QStringLiteral("speichern")).toBool();
    copy.Bytes = std::move(program);
    return true;
}

void TRecovery::Discard(const TRecoveryCopy& copy) {
    QFile::remove(copy.CopyPath);
    FReserved.erase(copy.Id);
}

QString TRecovery::SetAside(const TRecoveryCopy& copy) {
    const QString aside = PathOf(copy.Id, SetAsideSuffix);
    QFile::remove(aside);
    QString kept = QFile::rename(copy.CopyPath, aside) ? aside : copy.CopyPath;
    FReserved.erase(copy.Id);
    return kept;
}

void TRecovery::Release(const TRecoveryCopy& copy) { FReserved.erase(copy.Id); }

// ---------------------------------------------------------------------------
// Termination signals

namespace {

int SignalPipe[2] = {-1, -1};

extern "C" void OnTerminationSignal(int number) {
    const char byte = static_cast<char>(number);
    // Nothing else is safe here; the event loop does the rest.
    [[maybe_unused]] const ssize_t written = ::write(SignalPipe[1], &byte, 1);
}

} // namespace

void QuitOnTerminationSignals() {
    if (SignalPipe[0] >= 0 || !QCoreApplication::instance()) return;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, SignalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(SignalPipe[0], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char byte = 0;
        int number = 0;
        while (::read(SignalPipe[0], &byte, 1) > 0) number = static_cast<unsigned char>(byte);
        // exit rather than quit: quit would first ask every window to
        // close, and the question about saving would wait for nobody.
        QCoreApplication::exit(128 + number);
    });
    struct sigaction action = {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(number, &action, nullptr);
}

#include "URecovery.h"

#include "UFileErrors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QSysInfo>

#include <algorithm>
#include <set>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const char* const CopySuffix = ".zak";
const char* const NameSuffix = ".name";
const char* const LockSuffix = ".lock";
const char* const SetAsideSuffix = ".defekt";

bool WriteAtomically(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    // Unbuffered: a full disk shows as a short write (see the editor's Save).
    return file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(bytes) == bytes.size() &&
           file.commit();
}

// The locks this process holds for its own copies.
std::set<QString>& HeldLocks() {
    static std::set<QString> held;
    return held;
}

// A lock whose owner has ended can be taken; one still held is never taken,
// however old it is. A lock with this very process id on this machine that
// this process does not hold is from before a restart that happened to give
// it the same id; Qt would take its owner for alive.
TRecovery::THeldLock TakeLock(const QString& path) {
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0);
    qint64 pid = 0;
    QString host;
    QString application;
    if (!HeldLocks().count(path) && lock->getLockInfo(&pid, &host, &application) &&
        pid == QCoreApplication::applicationPid() && host == QSysInfo::machineHostName())
        lock->removeStaleLockFile();
    if (!lock->tryLock(0)) return nullptr;
    HeldLocks().insert(path);
    return TRecovery::THeldLock(lock.release());
}

} // namespace

void TRecovery::TLockRelease::operator()(QLockFile* lock) const {
    HeldLocks().erase(lock->fileName());
    delete lock;
}

TRecovery::TRecovery(QObject* parent) : QObject(parent) {
    // Unique among running instances and among the windows of one process.
    static int created = 0;
    FId = QStringLiteral("%1-%2-%3")
              .arg(QCoreApplication::applicationPid())
              .arg(QDateTime::currentMSecsSinceEpoch())
              .arg(++created);
    for (QTimer* timer : {&FIdleTimer, &FMaxTimer}) {
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, [this] { TimerFired(); });
    }
    SetDelays(kIdleDelayMs, kMaxDelayMs);
}

// Not a clean end: the copy stays for the next start; the lock goes, so
// that the next start may take it.
TRecovery::~TRecovery() = default;

QString TRecovery::Directory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/zak/wiederherstellung");
}

QString TRecovery::PathOf(const QString& id, const char* suffix) const {
    return Directory() + QLatin1Char('/') + id + QLatin1String(suffix);
}

QString TRecovery::CopyPath() const { return PathOf(FId, CopySuffix); }

void TRecovery::SetDelays(int idleMs, int maxMs) {
    FIdleTimer.setInterval(idleMs);
    FMaxTimer.setInterval(maxMs);
}

void TRecovery::Changed() {
    if (FFinished) return;
    FDue = true;
    FIdleTimer.start();
    if (!FMaxTimer.isActive()) FMaxTimer.start();
}

void TRecovery::TimerFired() {
    if (Busy && Busy()) {
        // A run goes on; its steps are not interrupted by writing.
        FIdleTimer.start();
        return;
    }
    Flush();
}

void TRecovery::Flush() {
    FIdleTimer.stop();
    FMaxTimer.stop();
    if (FFinished) return;
    if (!Wanted || !Wanted()) {
        RemoveOwn();
        FDue = false;
        return;
    }
    if (!FDue && FHasCopy) return;
    // A copy that cannot be written (a full disk) is tried again at the
    // next change; the pupil can still save.
    if (Write()) FDue = false;
}

void TRecovery::Refresh() {
    if (FFinished) return;
    FDue = true;
    Flush();
}

void TRecovery::Finish() {
    FIdleTimer.stop();
    FMaxTimer.stop();
    RemoveOwn();
    FDue = false;
    FFinished = true;
}

bool TRecovery::Write() {
    if (!FLock) {
        if (!QDir().mkpath(Directory())) return false;
        FLock = TakeLock(PathOf(FId, LockSuffix));
        if (!FLock) return false;
    }
    const QString name = FileName ? FileName() : QString();
    // The name goes first: an end between the two writes leaves the text
    // as it was before under the name it now has, which Speichern then uses.
    if (!FHasCopy || name != FWrittenName) {
        if (!WriteAtomically(PathOf(FId, NameSuffix), name.toUtf8())) return false;
        FWrittenName = name;
    }
    if (!WriteAtomically(CopyPath(), Bytes ? Bytes() : QByteArray())) return false;
    FHasCopy = true;
    return true;
}

void TRecovery::RemoveOwn() {
    if (!FLock) return;
    QFile::remove(CopyPath());
    QFile::remove(PathOf(FId, NameSuffix));
    FLock.reset();
    FHasCopy = false;
    FWrittenName.clear();
}

std::vector<TRecoveryCopy> TRecovery::Orphans() {
    std::vector<TRecoveryCopy> copies;
    const QDir directory(Directory());
    if (!directory.exists()) return copies;
    const QStringList files =
        directory.entryList({QStringLiteral("*") + QLatin1String(CopySuffix)}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        const QString id = file.left(file.size() - static_cast<int>(qstrlen(CopySuffix)));
        if (id == FId || FReserved.count(id)) continue;
        THeldLock lock = TakeLock(PathOf(id, LockSuffix));
        if (!lock) continue;  // its instance still runs
        TRecoveryCopy copy;
        copy.Id = id;
        copy.CopyPath = directory.filePath(file);
        const QFileInfo info(copy.CopyPath);
        if (!info.exists()) continue;  // its instance removed it meanwhile
        copy.Time = info.lastModified();
        QFile name(PathOf(id, NameSuffix));
        if (name.open(QIODevice::ReadOnly)) copy.FileName = QString::fromUtf8(name.read(64 * 1024));
        FReserved[id] = std::move(lock);
        copies.push_back(std::move(copy));
    }
    // Names and locks without a copy are left from an instance that ended
    // between writing them and its first copy.
    const QStringList leftovers = directory.entryList(
        {QStringLiteral("*") + QLatin1String(NameSuffix), QStringLiteral("*") + QLatin1String(LockSuffix)}, QDir::Files);
    for (const QString& file : leftovers) {
        const QString id = QFileInfo(file).completeBaseName();
        if (id == FId || FReserved.count(id) || QFileInfo::exists(PathOf(id, CopySuffix))) continue;
        if (THeldLock lock = TakeLock(PathOf(id, LockSuffix))) QFile::remove(PathOf(id, NameSuffix));
    }
    std::stable_sort(copies.begin(), copies.end(),
                     [](const TRecoveryCopy& a, const TRecoveryCopy& b) { return a.Time > b.Time; });
    return copies;
}

bool TRecovery::CheckCopy(const TRecoveryCopy& copy, const std::string& header, qint64 maxSize,
                          QString& reason) {
    QFile file(copy.CopyPath);
    if (file.size() > maxSize) {
        reason = QStringLiteral("Sie ist mit %1 Bytes zu gro\u00DF f\u00FCr ein ZAK-Programm.").arg(file.size());
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        reason = QStringLiteral("Sie kann nicht gelesen werden: %1").arg(FileErrorReason(file));
        return false;
    }
    const QByteArray bytes = file.readAll();
    // Copies are written whole or not at all: one that does not start with
    // the header or does not end with a line break is not one of ours.
    if (!bytes.startsWith(QByteArray::fromStdString(header) + "\r\n") || !bytes.endsWith("\r\n")) {
        reason = QStringLiteral("Sie ist besch\u00E4digt.");
        return false;
    }
    return true;
}

void TRecovery::Discard(const TRecoveryCopy& copy) {
    QFile::remove(copy.CopyPath);
    QFile::remove(PathOf(copy.Id, NameSuffix));
    FReserved.erase(copy.Id);
}

QString TRecovery::SetAside(const TRecoveryCopy& copy) {
    const QString aside = PathOf(copy.Id, SetAsideSuffix);
    QFile::remove(aside);
    const QString kept = QFile::rename(copy.CopyPath, aside) ? aside : copy.CopyPath;
    QFile::remove(PathOf(copy.Id, NameSuffix));
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

#include "core/SettingsStore.h"

#include "core/StoreFile.h"
#include "core/StoreFormat.h"
#include "core/StoreNames.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QMutex>
#include <QSaveFile>
#include <QScopeGuard>
#include <QSet>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QtDebug>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

// Identifies one version of the file cheaply. Every write replaces the file by rename, so the
// inode changes too; together with size and nanosecond times a change by another process shows.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};

    static FileStamp Of(const struct stat& st) {
        FileStamp stamp;
        stamp.exists = true;
        stamp.device = st.st_dev;
        stamp.inode = st.st_ino;
        stamp.size = st.st_size;
        stamp.modified = st.st_mtim;
        stamp.changed = st.st_ctim;
        return stamp;
    }
    static FileStamp OfPath(const QString& path) {
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return {};
        return Of(st);
    }
    bool operator==(const FileStamp& o) const {
        return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

struct CachedFile {
    bool loaded = false;
    FileStamp stamp;
    QByteArray bytes; // the file's contents that `content` was read from (or written as)
    ParsedStore content;
    // Why the file, or its place, cannot be used: never read from it, never write over it.
    QString problem;
};

// Damage a write found and kept aside, not yet told; with the content it was found in.
struct PendingDamage {
    StoreDamage damage;
    QByteArray content; // a digest of the damaged bytes
};

QMutex g_mutex;
QHash<QString, CachedFile> g_cache; // by file path
QString g_lastError;
std::chrono::milliseconds g_lockTimeout{5000};
constexpr std::chrono::milliseconds kStaleLockTime{2000};
// The longest pause of a writer that waits for the lock before it looks again.
constexpr std::chrono::microseconds kLockPollCeiling{1000};
// Beyond this a file is no store a person wrote; reading it would only cost memory.
constexpr qint64 kMaxStoreBytes = 64 * 1024 * 1024;
// Saves of the window's thread try the lock this long: longer would freeze the window.
constexpr std::chrono::milliseconds kBriefLockWait{100};
int g_briefWaits = 0;
int g_patientWaits = 0;
// By path: damage found by a write and not yet told, and the damaged contents already told (each is
// told once, however often it is found).
QHash<QString, PendingDamage> g_damage;
QHash<QString, QSet<QByteArray>> g_damageTold;

std::chrono::milliseconds LockWait() {
    return g_briefWaits > 0 && g_patientWaits == 0 ? std::min(kBriefLockWait, g_lockTimeout) : g_lockTimeout;
}

QString SystemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray Digest(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

// Why the store cannot be trusted in its place, or empty. Another user who can write in the folder,
// or who owns a link where the file or its lock should be, could make the program write wherever
// they like; a link of the user's own (a dotfile manager's) is fine.
QString UnsafePlace(const QString& folder, const QString& path) {
    const uid_t me = ::geteuid();
    struct stat st {};
    const QByteArray folderName = QFile::encodeName(folder);
    if (::lstat(folderName.constData(), &st) != 0)
        return {}; // created when first written, by this user
    if (S_ISLNK(st.st_mode) && st.st_uid != me)
        return QStringLiteral("the folder %1 is a symbolic link owned by another user").arg(folder);
    if (::stat(folderName.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
        return {}; // not a folder: no file can be read or written in it, and that is said then
    if (st.st_uid != me)
        return QStringLiteral("the folder %1 belongs to another user").arg(folder);
    if (st.st_mode & (S_IWGRP | S_IWOTH))
        return QStringLiteral("the folder %1 can be written by other users").arg(folder);
    for (const QString& file : {path, path + QStringLiteral(".lock")}) {
        if (::lstat(QFile::encodeName(file).constData(), &st) == 0 && S_ISLNK(st.st_mode) && st.st_uid != me)
            return QStringLiteral("%1 is a symbolic link owned by another user").arg(file);
    }
    return {};
}

// Reads a whole regular file of at most kMaxStoreBytes, or says why not. Never waits on a pipe or a
// device, and never reads more than the bound.
std::optional<QString> ReadStoreFile(const QString& path, QByteArray& bytes, struct stat& st, bool& exists) {
    exists = true;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        exists = errno != ENOENT;
        return exists ? std::optional(QStringLiteral("the settings file %1 cannot be read: %2")
                                          .arg(path, SystemError(errno)))
                      : std::nullopt;
    }
    const auto closeFd = qScopeGuard([fd] { ::close(fd); });
    if (::fstat(fd, &st) != 0)
        return QStringLiteral("the settings file %1 cannot be read: %2").arg(path, SystemError(errno));
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("the settings file %1 is not a regular file").arg(path);
    const QString tooLarge = QStringLiteral("the settings file %1 is larger than %2 MiB")
                                 .arg(path)
                                 .arg(kMaxStoreBytes / (1024 * 1024));
    if (st.st_size > kMaxStoreBytes)
        return tooLarge;
    bytes.resize(qsizetype(st.st_size) + 1); // one more shows a file that grew meanwhile
    qsizetype got = 0;
    while (got < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + got, size_t(bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return QStringLiteral("the settings file %1 cannot be read: %2").arg(path, SystemError(errno));
        if (n == 0)
            break;
        got += n;
        if (got == bytes.size() && bytes.size() <= kMaxStoreBytes)
            bytes.resize(std::min<qsizetype>(bytes.size() * 2, kMaxStoreBytes + 1));
    }
    if (got > kMaxStoreBytes)
        return tooLarge;
    bytes.truncate(got);
    return std::nullopt;
}

// The folded application name, with everything but [a-z0-9_-] percent-encoded, so that any name
// gives one safe file name and names differing only in case share a file.
QString FileNameFor(const QString& appName) {
    const QByteArray utf8 = FoldName(appName).toUtf8();
    QString name;
    for (const char byte : utf8) {
        const auto c = static_cast<unsigned char>(byte);
        if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-')
            name += QLatin1Char(byte);
        else
            name += QStringLiteral("%%1").arg(c, 2, 16, QLatin1Char('0')).toUpper();
    }
    return name + QStringLiteral(".conf");
}

// Reads the file as it is on disk now, whatever the stamp says. Only the parsing is saved when the
// bytes are exactly those of the version in the cache.
CachedFile& Reload(const QString& path) {
    CachedFile& cached = g_cache[path];
    CachedFile before = std::exchange(cached, CachedFile{});
    cached.loaded = true;
    // An absent file is an empty store; one that cannot be used gives every lookup its default.
    cached.problem = UnsafePlace(StoreFile::Folder(), path);
    if (!cached.problem.isEmpty())
        return cached;
    struct stat st {};
    bool exists = false;
    if (const auto problem = ReadStoreFile(path, cached.bytes, st, exists)) {
        cached.bytes.clear();
        cached.problem = *problem;
        return cached;
    }
    if (!exists)
        return cached;
    cached.stamp = FileStamp::Of(st); // the version actually read, even if replaced meanwhile
    if (before.loaded && before.problem.isEmpty() && before.bytes == cached.bytes) {
        cached.content = std::move(before.content);
        return cached;
    }
    cached.content = ParseStore(cached.bytes);
    if (cached.content.damaged)
        qWarning().noquote() << QStringLiteral("Settings store %1 is damaged (%2); reading what can be read")
                                    .arg(path, cached.content.firstProblem);
    return cached;
}

// For readers only: the file re-read when its stamp changed since the last look. The stamp cannot
// tell apart every two versions (a rename reuses inode numbers, and two writes within one clock
// tick share their times), so a reader may briefly see the version before; a writer never starts
// from this (see Modify).
CachedFile& Current(const QString& path) {
    CachedFile& cached = g_cache[path];
    // A file that could not be used is looked at again every time: the user may have mended it.
    if (cached.loaded && cached.problem.isEmpty() && cached.stamp == FileStamp::OfPath(path))
        return cached;
    return Reload(path);
}

const StoreSection* FindSection(const QString& appName, const QString& section) {
    if (appName.isEmpty())
        return nullptr;
    return Current(StoreFile::PathFor(appName)).content.document.section(section);
}

bool Fail(const QString& reason) {
    g_lastError = reason;
    qWarning().noquote() << "Settings store:" << reason;
    return false;
}

bool EnsureFolder(const QString& folder) {
    const QFileInfo info(folder);
    if (info.isDir())
        return true;
    if (info.exists() || !QDir().mkpath(folder) || !QFileInfo(folder).isDir())
        return false;
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return true;
}

// Writes all the bytes, or says why not. QFile reports a write that stops part way (a disk that
// fills up during it) as a short count with no reason, so the bytes go through write(2) here.
std::optional<QString> WriteAll(int fd, QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        const ssize_t written = ::write(fd, bytes.data(), static_cast<size_t>(bytes.size()));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return QString::fromLocal8Bit(std::strerror(written < 0 ? errno : EIO));
        bytes = bytes.sliced(written);
    }
    return std::nullopt;
}

// A copy kept aside earlier (by this run or another) that holds exactly `bytes`, or empty.
QString EarlierCopyOf(const QString& path, const QByteArray& bytes) {
    const QFileInfo file(path);
    const QStringList copies = file.dir().entryList({file.fileName() + QStringLiteral(".damaged-*")},
                                                    QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& name : copies) {
        const QString copy = file.dir().filePath(name);
        if (QFileInfo(copy).size() != bytes.size())
            continue;
        QByteArray kept;
        struct stat st {};
        bool exists = false;
        if (!ReadStoreFile(copy, kept, st, exists) && exists && kept == bytes)
            return copy;
    }
    return {};
}

// Keeps the damaged bytes under a new name before the file is replaced, readable only by the user,
// never overwriting anything; once per content, however often the file cannot be replaced. Returns why
// the copy could not be made.
std::optional<QString> KeepAside(const QString& path, const QByteArray& bytes, QString& keptAs) {
    keptAs = EarlierCopyOf(path, bytes);
    if (!keptAs.isEmpty())
        return std::nullopt;
    const QString stamp = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    keptAs = path + QStringLiteral(".damaged-") + stamp;
    for (int n = 1;; ++n) {
        const QByteArray name = QFile::encodeName(keptAs);
        const int fd =
            ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
        if (fd < 0 && errno == EEXIST) {
            keptAs = path + QStringLiteral(".damaged-") + stamp + QStringLiteral("-%1").arg(n);
            continue;
        }
        if (fd < 0)
            return SystemError(errno);
        std::optional<QString> failure = WriteAll(fd, bytes);
        if (!failure && ::fsync(fd) != 0)
            failure = SystemError(errno);
        ::close(fd);
        if (failure) {
            ::unlink(name.constData());
            keptAs.clear();
        }
        return failure;
    }
}

// Waiters for the lock queue on the store's folder (flock, which the system frees when a waiter
// dies), and only the one at the head looks at the lock file. Without the queue a writer that has
// just let go of the lock would take it again at once, ahead of others that have been waiting, and
// a burst of saves could keep them out for their whole wait.
class LockQueue {
public:
    explicit LockQueue(const QString& folder)
        : m_fd(::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
    ~LockQueue() { Leave(); }
    LockQueue(const LockQueue&) = delete;
    LockQueue& operator=(const LockQueue&) = delete;

    // True when this writer is at the head. A folder that cannot be locked has no queue, and then
    // every waiter is at the head.
    bool TryHead() {
        if (m_fd < 0 || m_head)
            return true;
        m_head = ::flock(m_fd, LOCK_EX | LOCK_NB) == 0 || (errno != EWOULDBLOCK && errno != EINTR);
        return m_head;
    }
    void Leave() {
        if (m_fd >= 0)
            ::close(m_fd); // also leaves the head
        m_fd = -1;
    }

private:
    int m_fd;
    bool m_head = false;
};

// Takes the store's lock, waiting up to the lock time-out for other writers. QLockFile's own wait
// sleeps up to seconds between looks, and can miss a lock that others hold only briefly for the
// whole time-out, so the waiting is done here, with short pauses.
bool TakeLock(QLockFile& lock, const QString& folder) {
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + LockWait();
    LockQueue queue(folder);
    microseconds pause{50};
    while (true) {
        if (queue.TryHead()) {
            if (lock.tryLock(0)) {
                queue.Leave(); // the next waiter may look at the lock file while this one writes
                return true;
            }
            if (lock.error() != QLockFile::LockFailedError)
                return false;
        }
        const auto left = duration_cast<microseconds>(deadline - steady_clock::now());
        if (left <= microseconds::zero())
            return lock.tryLock(0); // a last look, also for a waiter that never reached the head
        std::this_thread::sleep_for(std::min(pause, left));
        pause = std::min(pause * 2, microseconds(kLockPollCeiling));
    }
}

void SyncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd); // makes the rename itself durable
        ::close(fd);
    }
}

StoreDamage DamageOf(const QString& path, const ParsedStore& read) {
    StoreDamage damage;
    damage.file = path;
    const auto count = [&read](const QString& name) {
        const StoreSection* section = read.document.section(name);
        return section ? section->entries().size() : 0;
    };
    damage.services = count(StoreNames::Services);
    damage.settings = count(StoreNames::Settings);
    damage.unreadableLines = read.skippedLines;
    damage.firstProblem = read.firstProblem;
    return damage;
}

enum class Rewrite { WhenChanged, AlsoWhenDamaged };

// One change, durable or reported: lock against other processes, start from the file as it is on
// disk, apply, write a new file and rename it into place. `change` returns false when nothing
// changed; then nothing is written, unless a damaged file is to be replaced by what could be read.
bool Modify(const QString& appName, const std::function<bool(StoreDocument&)>& change,
            Rewrite rewrite = Rewrite::WhenChanged) {
    if (appName.isEmpty())
        return Fail(QStringLiteral("no application name was given"));
    const QString folder = StoreFile::Folder();
    const QString path = StoreFile::PathFor(appName);
    if (const QString unsafe = UnsafePlace(folder, path); !unsafe.isEmpty())
        return Fail(unsafe);
    if (!EnsureFolder(folder))
        return Fail(QStringLiteral("the folder %1 could not be created").arg(folder));

    QLockFile lock(path + QStringLiteral(".lock"));
    // A writer killed between creating the lock file and writing its process id into it leaves an
    // empty lock that Qt only recognises by age. A live holder keeps its lock whatever the age
    // (QLockFile never removes a lock another process still holds with flock), so a short stale
    // time only frees abandoned locks, and does so before this writer gives up waiting.
    lock.setStaleLockTime(std::min(kStaleLockTime, g_lockTimeout / 2));
    if (!TakeLock(lock, folder)) {
        switch (lock.error()) {
        case QLockFile::LockFailedError:
            return Fail(QStringLiteral("the settings file %1 is in use by another program").arg(path));
        case QLockFile::PermissionError:
            return Fail(QStringLiteral("no permission to write in %1").arg(folder));
        default:
            // Qt does not say why; a full disk is the usual cause and the user can act on it.
            if (QStorageInfo(folder).bytesAvailable() == 0)
                return Fail(QStringLiteral("the settings file %1 could not be locked: %2")
                                .arg(path, QString::fromLocal8Bit(std::strerror(ENOSPC))));
            return Fail(QStringLiteral("the settings file %1 could not be locked").arg(path));
        }
    }

    // Under the lock nobody else writes, so this read is the version the change must build on; the
    // cache is not trusted here, as it could hold a version another process has since replaced.
    CachedFile& current = Reload(path);
    if (!current.problem.isEmpty())
        return Fail(current.problem);
    StoreDocument document = current.content.document;
    const bool damaged = current.content.damaged;
    if (!change(document) && !(damaged && rewrite == Rewrite::AlsoWhenDamaged)) {
        g_lastError.clear();
        return true;
    }

    // Damage found here is told later, by the window, once per damaged content; a repair that
    // fails is told as failed.
    PendingDamage* pending = nullptr;
    if (damaged) {
        const QByteArray digest = Digest(current.bytes);
        if (!g_damageTold.value(path).contains(digest)) {
            pending = &g_damage[path];
            *pending = {DamageOf(path, current.content), digest};
        }
        QString keptAs;
        if (const auto failure = KeepAside(path, current.bytes, keptAs)) {
            if (pending)
                pending->damage.failure = *failure;
            return Fail(QStringLiteral("the damaged settings file %1 could not be kept aside: %2")
                            .arg(path, *failure));
        }
        if (pending)
            pending->damage.keptAs = keptAs;
    }
    const auto failRepair = [&](const QString& reason) {
        if (pending)
            pending->damage.repairFailure = reason;
        return Fail(reason);
    };

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return failRepair(QStringLiteral("%1 could not be written: %2").arg(path, file.errorString()));
    ::fchmod(file.handle(), S_IRUSR | S_IWUSR);
    // commit() renames the new file into place even when flushing its buffered bytes failed (a
    // full disk), which would replace the store with an empty file. So the bytes are written out and
    // synced here first; on any failure the unfinished file is discarded and the old one stays.
    const QByteArray bytes = SerialiseStore(document);
    if (const auto failure = WriteAll(file.handle(), bytes))
        return failRepair(QStringLiteral("%1 could not be written: %2").arg(path, *failure));
    if (::fsync(file.handle()) != 0)
        return failRepair(QStringLiteral("%1 could not be written: %2").arg(path, SystemError(errno)));
    if (!file.commit())
        return failRepair(QStringLiteral("%1 could not be written: %2").arg(path, file.errorString()));
    SyncFolder(folder);

    current.bytes = bytes;
    // Read back rather than kept: the document's layout must be that of the file now on disk.
    current.content = ParseStore(bytes);
    current.stamp = FileStamp::OfPath(path);
    g_lastError.clear();
    return true;
}

} // namespace

QString StoreFile::Folder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Vantrel");
}

QString StoreFile::PathFor(const QString& appName) {
    return Folder() + u'/' + FileNameFor(appName);
}

void StoreFile::SetLockTimeout(std::chrono::milliseconds timeout) {
    QMutexLocker locker(&g_mutex);
    g_lockTimeout = timeout;
}

StoreFile::BriefLockWaits::BriefLockWaits() {
    QMutexLocker locker(&g_mutex);
    ++g_briefWaits;
}
StoreFile::BriefLockWaits::~BriefLockWaits() {
    QMutexLocker locker(&g_mutex);
    --g_briefWaits;
}
StoreFile::PatientLockWaits::PatientLockWaits(bool granted) : m_granted(granted) {
    QMutexLocker locker(&g_mutex);
    g_patientWaits += m_granted;
}
StoreFile::PatientLockWaits::~PatientLockWaits() {
    QMutexLocker locker(&g_mutex);
    g_patientWaits -= m_granted;
}

QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& defaultValue) {
    QMutexLocker locker(&g_mutex);
    const StoreSection* found = FindSection(appName, section);
    const QString* value = found ? found->value(key) : nullptr;
    return value ? *value : defaultValue;
}

bool SaveSetting(const QString& appName, const QString& section, const QString& key, const QString& value) {
    QMutexLocker locker(&g_mutex);
    return Modify(appName,
                  [&](StoreDocument& document) { return document.sectionForWrite(section).set(key, value); });
}

bool DeleteSetting(const QString& appName, const QString& section, const QString& key) {
    QMutexLocker locker(&g_mutex);
    return Modify(appName, [&](StoreDocument& document) {
        if (!document.section(section))
            return false;
        return document.sectionForWrite(section).remove(key);
    });
}

std::optional<QList<QPair<QString, QString>>> GetAllSettings(const QString& appName, const QString& section) {
    QMutexLocker locker(&g_mutex);
    const StoreSection* found = FindSection(appName, section);
    if (!found || found->isEmpty())
        return std::nullopt;
    return found->entries();
}

std::optional<StoreDamage> TakeStoreDamage(const QString& appName) {
    QMutexLocker locker(&g_mutex);
    if (appName.isEmpty())
        return std::nullopt;
    const QString path = StoreFile::PathFor(appName);
    const CachedFile& current = Current(path);
    if (!g_damage.contains(path) && current.content.damaged &&
        !g_damageTold.value(path).contains(Digest(current.bytes))) {
        // Kept aside and repaired now rather than at the next change, so the user can be told where
        // the copy is and whether the repair worked.
        const StoreDamage read = DamageOf(path, current.content);
        const QByteArray digest = Digest(current.bytes);
        const QString lastError = g_lastError;
        const bool repaired = Modify(
            appName, [](StoreDocument&) { return false; }, Rewrite::AlsoWhenDamaged);
        if (!repaired && !g_damage.contains(path)) // failed before the file was read: nothing kept
            g_damage[path] = {read, digest};
        if (!repaired && g_damage[path].damage.keptAs.isEmpty() && g_damage[path].damage.failure.isEmpty())
            g_damage[path].damage.failure = g_lastError;
        g_lastError = lastError; // the outcome of the last change, not of this repair
    }
    if (!g_damage.contains(path))
        return std::nullopt;
    PendingDamage pending = g_damage.take(path);
    g_damageTold[path].insert(pending.content);
    return pending.damage;
}

QString StoreReadProblem(const QString& appName) {
    QMutexLocker locker(&g_mutex);
    if (appName.isEmpty())
        return {};
    return Current(StoreFile::PathFor(appName)).problem;
}

QString LastStoreError() {
    QMutexLocker locker(&g_mutex);
    return g_lastError;
}

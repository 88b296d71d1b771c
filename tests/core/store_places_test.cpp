// The store where it lies among other people's files: places it must refuse, files it cannot read,
// damage that appears while the program runs, and repairs that fail. Nothing is ever written over
// what the program refused, and every refusal names the file or folder and the reason.
#include "core/SettingsStore.h"
#include "core/StoreFile.h"
#include "core/StoreNames.h"
#include "core/StoreNotices.h"
#include "core/Texts.h"
#include "tests/support/TempConfigHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString App = StoreNames::App;
const QString Services = StoreNames::Services;
using Entries = QList<QPair<QString, QString>>;

// Run as another user with VANTREL_PLACES_CHILD set, this program only reads and tries one save, and
// prints what it saw: the reason, whether anything was read, whether the save went through.
int RunChildIfAsked() {
    if (!qEnvironmentVariableIsSet("VANTREL_PLACES_CHILD"))
        return 0;
    const QString problem = StoreReadProblem(App);
    const bool read = GetAllSettings(App, Services).has_value();
    const bool saved = SaveSetting(App, Services, QStringLiteral("x"), QStringLiteral("10.0.0.9:9"));
    std::printf("%s\n%d%d\n", qPrintable(problem), read, saved);
    std::fflush(stdout);
    std::_Exit(0);
}
const int g_childRun = RunChildIfAsked();

void WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList KeptCopies(const TempConfigHome& home) {
    return QDir(home.storeFolder()).entryList({"*.damaged-*"}, QDir::Files);
}

// The user "nobody", whom the tests make another user (as root) or become (for permission checks).
std::optional<passwd> Nobody() {
    const passwd* user = ::getpwnam("nobody");
    if (!user || ::geteuid() != 0)
        return std::nullopt;
    return *user;
}

// The refused place is named with its reason, reading gives the defaults, and a save neither goes
// through nor changes anything that is there.
void ExpectRefused(const QString& expectedReason, const QString& untouched) {
    const QString problem = StoreReadProblem(App);
    EXPECT_TRUE(problem.contains(expectedReason)) << problem.toStdString();
    EXPECT_EQ(GetAllSettings(App, Services), std::nullopt);
    EXPECT_EQ(GetSetting(App, Services, "kept", "default"), "default");
    const QByteArray before = ReadFile(untouched);
    EXPECT_FALSE(SaveSetting(App, Services, "new", "10.0.0.2:2"));
    EXPECT_TRUE(LastStoreError().contains(expectedReason)) << LastStoreError().toStdString();
    EXPECT_EQ(ReadFile(untouched), before);
    // Told at start-up in a box of its own.
    StoreNotices notices(App);
    EXPECT_EQ(notices.AtStartUp(), QStringList{Texts::StoreUnusable(problem)});
}

TEST(StorePlaces, WhatIsNoRegularFileOrTooLargeIsRefusedWithoutWaitingOrReadingIt) {
    TempConfigHome home;
    const QString path = StoreFile::PathFor(App);
    ASSERT_TRUE(QDir().mkpath(home.storeFolder()));
    {
        SCOPED_TRACE("a FIFO nobody writes to: opening it must not wait for a writer");
        ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        ExpectRefused("is not a regular file", home.storeFolder() + "/none");
        EXPECT_FALSE(QFileInfo(path).isFile());
        ASSERT_TRUE(QFile::remove(path));
    }
    {
        SCOPED_TRACE("a link of the user's own to an endless device");
        ASSERT_TRUE(QFile::link("/dev/zero", path));
        ExpectRefused("is not a regular file", "/dev/null");
        EXPECT_TRUE(QFileInfo(path).isSymLink());
        ASSERT_TRUE(QFile::remove(path));
    }
    {
        SCOPED_TRACE("larger than any store a person writes");
        QFile big(path);
        ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.write("[Services]\nkept=10.0.0.1:1\n") > 0);
        ASSERT_TRUE(big.resize(64 * 1024 * 1024 + 1)); // sparse: costs no disk
        big.close();
        ExpectRefused("is larger than 64 MiB", path);
        EXPECT_EQ(QFileInfo(path).size(), 64 * 1024 * 1024 + 1);
    }
}

TEST(StorePlaces, PlacesOtherUsersCouldTamperWithAreRefusedAndTheUsersOwnLinksWork) {
    const auto nobody = Nobody();
    if (!nobody)
        GTEST_SKIP() << "needs root, to give files to another user (the user nobody)";
    const QByteArray stored = "[Services]\nkept=10.0.0.1:1\n";
    {
        SCOPED_TRACE("the folder belongs to another user");
        TempConfigHome home;
        WriteFile(StoreFile::PathFor(App), stored);
        ASSERT_EQ(::chown(QFile::encodeName(home.storeFolder()).constData(), nobody->pw_uid, -1), 0);
        ExpectRefused(QStringLiteral("the folder %1 belongs to another user").arg(home.storeFolder()),
                      StoreFile::PathFor(App));
    }
    {
        SCOPED_TRACE("others may write in the folder, even with the sticky bit");
        TempConfigHome home;
        WriteFile(StoreFile::PathFor(App), stored);
        ASSERT_TRUE(::chmod(QFile::encodeName(home.storeFolder()).constData(), 01777) == 0);
        ExpectRefused(QStringLiteral("the folder %1 can be written by other users").arg(home.storeFolder()),
                      StoreFile::PathFor(App));
    }
    for (const QString& suffix : {QString(), QStringLiteral(".lock")}) {
        SCOPED_TRACE("another user's link where the file or its lock should be: " + suffix.toStdString());
        TempConfigHome home;
        const QString victim = home.path() + "/victim";
        WriteFile(victim, "someone else's file\n");
        if (suffix.isEmpty()) {
            ASSERT_TRUE(QDir().mkpath(home.storeFolder()));
        } else {
            WriteFile(StoreFile::PathFor(App), stored);
        }
        const QString link = StoreFile::PathFor(App) + suffix;
        ASSERT_TRUE(QFile::link(victim, link));
        ASSERT_EQ(::lchown(QFile::encodeName(link).constData(), nobody->pw_uid, -1), 0);
        ExpectRefused(QStringLiteral("%1 is a symbolic link owned by another user").arg(link), victim);
        EXPECT_EQ(KeptCopies(home), QStringList{});
    }
    {
        SCOPED_TRACE("the user's own link (a dotfile manager's) is read and written through");
        TempConfigHome home;
        const QString target = home.path() + "/dotfiles/vantrel.conf";
        WriteFile(target, stored);
        ASSERT_TRUE(QDir().mkpath(home.storeFolder()));
        ASSERT_TRUE(QFile::link(target, StoreFile::PathFor(App)));
        EXPECT_EQ(StoreReadProblem(App), QString());
        EXPECT_TRUE(SaveSetting(App, Services, "new", "10.0.0.2:2")) << LastStoreError().toStdString();
        EXPECT_TRUE(QFileInfo(StoreFile::PathFor(App)).isSymLink());
        EXPECT_TRUE(ReadFile(target).contains("new=10.0.0.2:2"));
    }
}

// Permission is checked as an unprivileged user: root reads whatever it likes.
TEST(StorePlaces, FileTheUserMayNotReadIsToldAsUnreadableNotAsEmpty) {
    const auto nobody = Nobody();
    if (!nobody)
        GTEST_SKIP() << "needs root, to run a copy of this test as the user nobody";
    TempConfigHome home;
    const QString path = StoreFile::PathFor(App);
    const QByteArray stored = "[Services]\nkept=10.0.0.1:1\n";
    WriteFile(path, stored);
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::Permissions()));
    for (const QString& mine : {home.path(), home.storeFolder()})
        ASSERT_EQ(::chown(QFile::encodeName(mine).constData(), nobody->pw_uid, nobody->pw_gid), 0);

    // This program may lie in a folder that nobody cannot enter (a clone under /root): run a copy.
    QTemporaryDir binFolder;
    const QString copy = binFolder.filePath(QStringLiteral("child"));
    ASSERT_TRUE(QFile::copy(QCoreApplication::applicationFilePath(), copy));
    ASSERT_EQ(::chmod(QFile::encodeName(binFolder.path()).constData(), 0755), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(copy).constData(), 0755), 0);

    QProcess child;
    QStringList environment = QProcess::systemEnvironment();
    environment << "VANTREL_PLACES_CHILD=1"; // XDG_CONFIG_HOME is the temporary one already
    child.setEnvironment(environment);
    child.start("setpriv", {"--reuid=" + QString::number(nobody->pw_uid),
                            "--regid=" + QString::number(nobody->pw_gid), "--clear-groups", copy});
    ASSERT_TRUE(child.waitForFinished(30000)) << child.errorString().toStdString();
    ASSERT_EQ(child.exitCode(), 0) << child.readAllStandardError().toStdString();
    const QStringList lines = QString::fromUtf8(child.readAllStandardOutput()).split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("the settings file %1 cannot be read: Permission denied").arg(path));
    EXPECT_EQ(lines[1], "00") << "read something, or saved over a file it could not read";
    EXPECT_EQ(ReadFile(path), stored);
}

// Damage typed into the file while the program runs is told like damage found at start-up, once
// for each damaged content; the same damage found again is neither told nor kept again.
TEST(StorePlaces, DamageAppearingWhileRunningIsToldOncePerContent) {
    TempConfigHome home;
    const QString path = StoreFile::PathFor(App);
    ASSERT_TRUE(SaveSetting(App, Services, "web", "10.0.0.1:80"));
    StoreNotices notices(App);
    EXPECT_EQ(notices.AtStartUp(), QStringList{});

    const QByteArray first = ReadFile(path) + "typed without an equals sign\n";
    const QByteArray second = ReadFile(path) + "Services]\nmail=10.0.0.2:25\n";
    const QByteArray typed[] = {first, first, second};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(typed[i].toStdString());
        const bool seenBefore = i == 1;
        WriteFile(path, typed[i]);
        // The program's next change finds it: kept aside (once per content) and repaired.
        ASSERT_TRUE(SaveSetting(App, StoreNames::Settings, StoreNames::Timeout, "7"));
        const auto told = notices.DamageFoundSince();
        EXPECT_EQ(told.has_value(), !seenBefore);
        EXPECT_EQ(notices.DamageFoundSince(), std::nullopt);
        if (told) {
            ASSERT_FALSE(KeptCopies(home).isEmpty());
            const QString copy = home.storeFolder() + u'/' + KeptCopies(home).last();
            EXPECT_TRUE(told->contains(path) && told->contains("A copy of the damaged file was kept as"))
                << told->toStdString();
            struct stat st {};
            ASSERT_EQ(::stat(QFile::encodeName(copy).constData(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0600u);
        }
    }
    EXPECT_EQ(KeptCopies(home).size(), 2);
    EXPECT_EQ(ReadFile(home.storeFolder() + u'/' + KeptCopies(home).first()), first);
}

// A damaged store the program cannot replace (here: the user's own link into a read-only place) gets
// one kept copy, however often the program tries, and the user is told that the repair failed.
TEST(StorePlaces, DamagedStoreThatCannotBeReplacedIsKeptOnceAndToldAsStillDamaged) {
    TempConfigHome home;
    const QString readOnly = home.path() + "/read-only";
    const QString target = readOnly + "/vantrel.conf";
    const QByteArray damaged = "[Services]\nweb=10.0.0.1:80\nunreadable line\n";
    WriteFile(target, damaged);
    if (::geteuid() == 0) {
        // Root writes through any mode: a read-only mount in a mount namespace of this test's own.
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount(QFile::encodeName(readOnly).constData(), QFile::encodeName(readOnly).constData(), nullptr,
                    MS_BIND, nullptr) != 0 ||
            ::mount(nullptr, QFile::encodeName(readOnly).constData(), nullptr,
                    MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
            GTEST_SKIP() << "cannot make a read-only mount: " << std::strerror(errno);
    } else {
        ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0500), 0);
    }
    ASSERT_TRUE(QDir().mkpath(home.storeFolder()));
    ASSERT_TRUE(QFile::link(target, StoreFile::PathFor(App)));

    for (int attempt = 0; attempt < 3; ++attempt)
        EXPECT_FALSE(SaveSetting(App, Services, "new", "10.0.0.2:2"));
    const auto damage = TakeStoreDamage(App);
    ASSERT_TRUE(damage);
    EXPECT_FALSE(damage->keptAs.isEmpty());
    EXPECT_TRUE(damage->repairFailure.contains(StoreFile::PathFor(App)) ||
                damage->repairFailure.contains(target))
        << damage->repairFailure.toStdString();
    EXPECT_TRUE(Texts::StoreDamaged(*damage).contains("could not be repaired and stays damaged"));
    EXPECT_EQ(TakeStoreDamage(App), std::nullopt);
    EXPECT_EQ(KeptCopies(home).size(), 1);
    EXPECT_EQ(ReadFile(target), damaged);
    ::umount2(QFile::encodeName(readOnly).constData(), MNT_DETACH);
}

} // namespace

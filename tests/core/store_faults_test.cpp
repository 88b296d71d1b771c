// The store under faults a unit test does not meet by itself: a writer killed at any moment, and a
// disk that fills up. What was saved before the fault is never lost, and the file stays readable.
#include "core/SettingsStore.h"
#include "core/StoreFile.h"
#include "core/StoreFormat.h"
#include "core/StoreNames.h"
#include "core/Texts.h"
#include "monitor/CheckState.h"
#include "tests/support/TempConfigHome.h"
#include "ui/common/MessageBox.h"
#include "ui/main/frmMain.h"
#include "ui/options/frmOptions.h"
#include "ui/tray/RecordingTrayBackend.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <sched.h>
#include <sys/mount.h>
#include <thread>
#include <unistd.h>

// Readable failure messages for the texts and lists compared below.
void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

using Entries = QList<QPair<QString, QString>>;
const QString App = StoreNames::App;
const QString Services = StoreNames::Services;
constexpr int kTotalSaves = 1000;

QString KeyFor(int i) {
    return QStringLiteral("k%1").arg(i);
}
QString ValueFor(int i) {
    return QStringLiteral("10.%1.%2.1:%3").arg(i / 256).arg(i % 256).arg(1000 + i);
}

// Started with VANTREL_FAULTS_FROM set, this program is the writer: it saves k<FROM>.. k999 one
// by one and writes each finished index to stdout (unbuffered) before the next save begins.
int RunWriterIfAsked() {
    if (!qEnvironmentVariableIsSet("VANTREL_FAULTS_FROM"))
        return 0;
    int exitCode = 0;
    for (int i = qEnvironmentVariableIntValue("VANTREL_FAULTS_FROM"); i < kTotalSaves; ++i) {
        if (!SaveSetting(App, Services, KeyFor(i), ValueFor(i))) {
            exitCode = 1;
            break;
        }
        if (::write(STDOUT_FILENO, &i, sizeof i) != sizeof i)
            break;
    }
    std::_Exit(exitCode);
}
const int g_writerRun = RunWriterIfAsked();

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What is on disk now, read as another process would (no cache).
Entries ServicesOnDisk(bool* damaged = nullptr) {
    const ParsedStore parsed = ParseStore(ReadFile(StoreFile::PathFor(App)));
    if (damaged)
        *damaged = parsed.damaged;
    const StoreSection* section = parsed.document.section(Services);
    return section ? section->entries() : Entries{};
}

TEST(StoreFaults, WriterKilledAtRandomMomentsNeverLosesACompletedSave) {
    TempConfigHome home;
    const unsigned seed = qEnvironmentVariableIsSet("VANTREL_FAULTS_SEED")
                              ? static_cast<unsigned>(qEnvironmentVariableIntValue("VANTREL_FAULTS_SEED"))
                              : std::random_device{}();
    std::mt19937 random(seed);
    SCOPED_TRACE("VANTREL_FAULTS_SEED=" + std::to_string(seed));

    int next = 0;
    int kills = 0;
    // Each round kills the writer after a random number of reported saves plus a random extra
    // moment, so the kill lands anywhere in a save: locking, writing, syncing or renaming.
    for (int round = 0; next < kTotalSaves && round < 100; ++round) {
        const int killAfter = std::uniform_int_distribution<int>(1, 200)(random);
        const auto extra = std::chrono::microseconds(std::uniform_int_distribution<int>(0, 3000)(random));

        QProcess writer;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VANTREL_FAULTS_FROM"), QString::number(next));
        writer.setProcessEnvironment(env);
        writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writer.start(QCoreApplication::applicationFilePath(), QStringList());
        ASSERT_TRUE(writer.waitForStarted());

        QByteArray reports;
        while (reports.size() / int(sizeof(int)) < killAfter && writer.state() == QProcess::Running)
            if (writer.waitForReadyRead(30000))
                reports += writer.readAllStandardOutput();
        if (writer.state() == QProcess::Running) {
            std::this_thread::sleep_for(extra);
            writer.kill();
            ++kills;
        }
        if (writer.state() != QProcess::NotRunning) {
            ASSERT_TRUE(writer.waitForFinished(30000));
        }
        reports += writer.readAllStandardOutput(); // saves finished before the kill count too
        if (writer.exitStatus() == QProcess::NormalExit) {
            ASSERT_EQ(writer.exitCode(), 0)
                << "a save failed in round " << round << " lock: ["
                << ReadFile(StoreFile::PathFor(App) + ".lock").toStdString() << "]";
        }

        const int completed = next + static_cast<int>(reports.size() / sizeof(int));
        bool damaged = true;
        const Entries onDisk = ServicesOnDisk(&damaged);
        ASSERT_FALSE(damaged) << "round " << round;
        // Every reported save is there; at most one more (renamed into place, not yet reported).
        ASSERT_GE(onDisk.size(), completed) << "round " << round;
        ASSERT_LE(onDisk.size(), completed + 1) << "round " << round;
        for (int i = 0; i < onDisk.size(); ++i)
            ASSERT_EQ(onDisk[i], qMakePair(KeyFor(i), ValueFor(i))) << "round " << round;
        EXPECT_EQ(GetAllSettings(App, Services).value_or(Entries{}), onDisk);
        next = static_cast<int>(onDisk.size());
    }
    EXPECT_EQ(next, kTotalSaves);
    EXPECT_GE(kills, 3);
    // The lock a killed writer left behind is taken over, not waited on for ever.
    EXPECT_TRUE(SaveSetting(App, Services, QStringLiteral("after"), QStringLiteral("10.0.0.1:1")));
}

TEST(StoreFaults, EmptyLockLeftByAKilledWriterDoesNotBlockTheNextOne) {
    TempConfigHome home;
    ASSERT_TRUE(SaveSetting(App, Services, QStringLiteral("before"), ValueFor(1)));
    // Killed after creating the lock file, before writing its process id into it.
    const QString lockPath = StoreFile::PathFor(App) + QStringLiteral(".lock");
    QFile lock(lockPath);
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.close();
    const QDateTime past = QDateTime::currentDateTime().addSecs(-10);
    ASSERT_TRUE(lock.open(QIODevice::ReadWrite) && lock.setFileTime(past, QFileDevice::FileModificationTime));
    lock.close();

    EXPECT_TRUE(SaveSetting(App, Services, QStringLiteral("after"), ValueFor(2)))
        << LastStoreError().toStdString();
    EXPECT_EQ(ServicesOnDisk().size(), 2);
}

// A tmpfs of 64 KiB mounted in a mount namespace of this test's own, so nothing outside sees it and
// it vanishes with the process even if the test dies. Needs root (CAP_SYS_ADMIN); skipped otherwise.
class FullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBox::resetTestMode();
        ASSERT_TRUE(m_mountPoint.isValid());
        if (::unshare(CLONE_NEWNS) == 0)
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
        const QByteArray where = QFile::encodeName(m_mountPoint.path());
        if (::mount("tmpfs", where.constData(), "tmpfs", 0, "size=64k,mode=0700") != 0)
            GTEST_SKIP() << "cannot mount a small tmpfs to fill (needs root): " << std::strerror(errno);
        m_mounted = true;
        m_oldHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", where);
        for (int i = 1; i <= 3; ++i)
            ASSERT_TRUE(SaveSetting(App, Services, QStringLiteral("host%1").arg(i), ValueFor(i)));
        ASSERT_TRUE(SaveSetting(App, StoreNames::Settings, StoreNames::Timeout, QStringLiteral("10")));
        m_before = ServicesOnDisk();
    }
    void TearDown() override {
        if (!m_mounted)
            return;
        qputenv("XDG_CONFIG_HOME", m_oldHome);
        ::umount2(QFile::encodeName(m_mountPoint.path()).constData(), MNT_DETACH);
    }

    QString FillerPath() const { return m_mountPoint.path() + QStringLiteral("/filler"); }
    // Grows the filler by `bytes`; false once the disk is full.
    bool Fill(qint64 bytes) const {
        QFile filler(FillerPath());
        if (!filler.open(QIODevice::Append))
            return false;
        const bool written = filler.write(QByteArray(bytes, 'x')) == bytes && filler.flush();
        filler.close();
        return written && filler.error() == QFileDevice::NoError;
    }
    // Fills the disk in whole pages (tmpfs allocates by the page), then frees `freePages` of them.
    void FillLeaving(int freePages) const {
        QFile filler(FillerPath());
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray page(kPage, 'x');
        while (filler.write(page) == kPage) {
        }
        ASSERT_TRUE(filler.resize(filler.size() / kPage * kPage - freePages * kPage));
    }
    QStringList StoreFolderFiles() const {
        return QDir(StoreFile::Folder()).entryList(QDir::Files | QDir::Hidden);
    }

    static constexpr qint64 kPage = 4096;
    QTemporaryDir m_mountPoint;
    bool m_mounted = false;
    QByteArray m_oldHome;
    Entries m_before;
};

TEST_F(FullDisk, FailedSaveIsReportedAndEverythingSavedBeforeStays) {
    const QStringList filesBefore = StoreFolderFiles();
    // Save and grow the filler in turn until a save fails, so the disk runs out wherever it
    // happens to in the store's write (lock file, new file, sync).
    Entries expected = m_before;
    int i = 0;
    for (; i < 1000; ++i) {
        const QString key = QStringLiteral("extra%1").arg(i);
        if (!SaveSetting(App, Services, key, ValueFor(i)))
            break;
        expected.append({key, ValueFor(i)});
        Fill(700);
    }
    ASSERT_LT(i, 1000) << "the disk never filled up";
    EXPECT_TRUE(LastStoreError().contains(QStringLiteral("No space left on device")))
        << LastStoreError().toStdString();

    FillLeaving(0); // now not even a lock file fits
    for (const auto& [what, result] :
         {std::pair{"save", SaveSetting(App, Services, QStringLiteral("late"), QStringLiteral("1.2.3.4:5"))},
          std::pair{"delete", DeleteSetting(App, Services, QStringLiteral("host1"))}}) {
        EXPECT_FALSE(result) << what;
        EXPECT_TRUE(LastStoreError().contains(QStringLiteral("No space left on device")))
            << what << ": " << LastStoreError().toStdString();
    }

    bool damaged = true;
    EXPECT_EQ(ServicesOnDisk(&damaged), expected);
    EXPECT_FALSE(damaged);
    EXPECT_EQ(GetAllSettings(App, Services), expected);
    EXPECT_EQ(GetSetting(App, StoreNames::Settings, StoreNames::Timeout), QStringLiteral("10"));
    EXPECT_EQ(StoreFolderFiles(), filesBefore) << "a failed write left a file behind";

    // Space again: the store takes writes as before.
    ASSERT_TRUE(QFile::remove(FillerPath()));
    EXPECT_TRUE(SaveSetting(App, Services, QStringLiteral("late"), QStringLiteral("1.2.3.4:5")));
    EXPECT_TRUE(LastStoreError().isEmpty());
}

TEST_F(FullDisk, OptionsDialogReportsTheFailureAndKeepsTheStoredServices) {
    const CheckState state;
    frmOptions dialog(state);
    dialog.show();
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("lstServices"));
    auto click = [&](const char* name) {
        dialog.findChild<QPushButton*>(QString::fromLatin1(name))->click();
    };
    auto type = [&](const QString& host, const QString& port) {
        const QStringList texts{host, "10", "0", "0", "9", port};
        const QStringList boxes{"txtHostName", "txtIP1", "txtIP2", "txtIP3", "txtIP4", "txtPort"};
        for (int b = 0; b < boxes.size(); ++b)
            dialog.findChild<QLineEdit*>(boxes[b])->setText(texts[b]);
    };
    ASSERT_EQ(list->count(), 3);
    // Room for the lock file but not for the new store file: the write itself fails.
    FillLeaving(1);

    click("btnAdd"); // a new service
    type(QStringLiteral("new"), QStringLiteral("80"));
    click("btnSave");
    list->setCurrentRow(1); // an edited one, renamed: it must not vanish with the failed save
    click("btnEdit");
    type(QStringLiteral("renamed"), QStringLiteral("8080"));
    click("btnSave");
    list->setCurrentRow(0);
    click("btnDelete"); // answered Yes

    const QList<MessageBox::Record> records = MessageBox::takeRecords();
    QStringList failures;
    for (const MessageBox::Record& record : records) {
        EXPECT_FALSE(record.text.contains(QStringLiteral("has been saved"))) << record.text.toStdString();
        if (record.text.startsWith(Texts::StoreWriteFailed(QString())))
            failures.append(record.text);
    }
    EXPECT_EQ(failures.size(), 3) << failures.join('\n').toStdString();
    for (const QString& failure : failures)
        EXPECT_TRUE(failure.contains(QStringLiteral("No space left on device"))) << failure.toStdString();
    EXPECT_EQ(ServicesOnDisk(), m_before);
    EXPECT_EQ(list->count(), 3);
}

TEST_F(FullDisk, QuickCheckPanelReportsTheFailureAndKeepsTheStoredServices) {
    frmMain::Options options;
    options.trayBackend = std::make_unique<RecordingTrayBackend>();
    options.trayAvailable = true;
    frmMain window(std::move(options));
    FillLeaving(1);
    // A new service, then one that overwrites a stored one (the question is answered Yes).
    for (const QString host : {"new", "host2"}) {
        window.txtHostName->setText(host);
        window.txtIPAddr->setText(QStringLiteral("10.0.0.9"));
        window.txtPort->setText(QStringLiteral("8080"));
        window.cmdSave_Click();
        EXPECT_EQ(window.txtHostName->text(), host); // what was typed is not lost either
    }
    QStringList failures;
    for (const MessageBox::Record& record : MessageBox::takeRecords()) {
        EXPECT_FALSE(record.text.contains(QStringLiteral("has been saved"))) << record.text.toStdString();
        if (record.text.startsWith(Texts::StoreWriteFailed(QString())))
            failures.append(record.text);
    }
    ASSERT_EQ(failures.size(), 2);
    for (const QString& failure : failures)
        EXPECT_TRUE(failure.contains(QStringLiteral("No space left on device"))) << failure.toStdString();
    EXPECT_EQ(ServicesOnDisk(), m_before);
}

} // namespace

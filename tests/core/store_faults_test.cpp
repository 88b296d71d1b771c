// The store under faults a unit test does not meet by itself: a writer killed at any moment, and a
// disk that fills up. What was saved before the fault is never lost, and the file stays readable.
#include "core/SettingsStore.h"
#include "core/StoreFile.h"
#include "core/StoreFormat.h"
#include "core/StoreNames.h"
#include "core/Texts.h"
#include "tests/support/TempConfigHome.h"
#include "ui/common/MessageBox.h"
#include "ui/main/frmMain.h"
#include "ui/options/frmOptions.h"
#include "ui/tray/RecordingTrayBackend.h"

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <sched.h>
#include <sys/mount.h>
#include <thread>
#include <unistd.h>

void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

const QString App = StoreNames::App;
const QString Services = StoreNames::Services;
const QString kNoSpace = QStringLiteral("No space left on device");
constexpr int kTotalSaves = 1000;

// The first `count` services the writer saves, in order.
ServicePairs Saves(qsizetype count, qsizetype from = 0) {
    ServicePairs saves;
    for (qsizetype i = from; i < count; ++i)
        saves.append({QStringLiteral("k%1").arg(i),
                      QStringLiteral("10.%1.%2.1:%3").arg(i / 256).arg(i % 256).arg(1000 + i)});
    return saves;
}

// Started with VANTREL_FAULTS_FROM set, this program is the writer: it saves k<FROM>.. k999 one
// by one and writes a byte to stdout (unbuffered) for each finished save before the next begins.
int RunWriterIfAsked() {
    if (!qEnvironmentVariableIsSet("VANTREL_FAULTS_FROM"))
        return 0;
    for (const auto& [key, value] : Saves(kTotalSaves, qEnvironmentVariableIntValue("VANTREL_FAULTS_FROM")))
        if (!SaveSetting(App, Services, key, value) || ::write(STDOUT_FILENO, "+", 1) != 1)
            std::_Exit(1);
    std::_Exit(0);
}
const int g_writerRun = RunWriterIfAsked();

// What is on disk now, read as another process would (no cache).
ServicePairs ServicesOnDisk(bool* damaged = nullptr) {
    QFile file(StoreFile::PathFor(App));
    const ParsedStore parsed = ParseStore(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    if (damaged)
        *damaged = parsed.damaged;
    const StoreSection* section = parsed.document.section(Services);
    return section ? section->entries() : ServicePairs{};
}

TEST(StoreFaults, WriterKilledAtRandomMomentsNeverLosesACompletedSave) {
    TempConfigHome home;
    bool fixedSeed = false;
    const int given = qEnvironmentVariableIntValue("VANTREL_FAULTS_SEED", &fixedSeed);
    const unsigned seed = fixedSeed ? unsigned(given) : std::random_device{}();
    std::mt19937 random(seed);
    SCOPED_TRACE("VANTREL_FAULTS_SEED=" + std::to_string(seed));
    int next = 0, kills = 0;
    for (int round = 0; next < kTotalSaves && round < 100; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        // Killed after a random number of reported saves plus a random extra moment, so the kill
        // lands anywhere in a save: locking, writing, syncing or renaming.
        const int killAfter = std::uniform_int_distribution(1, 200)(random);
        const std::chrono::microseconds extra(std::uniform_int_distribution(0, 3000)(random));
        QProcess writer;
        writer.setEnvironment(QProcess::systemEnvironment()
                              << "VANTREL_FAULTS_FROM=" + QString::number(next));
        writer.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        writer.start(QCoreApplication::applicationFilePath(), {});
        ASSERT_TRUE(writer.waitForStarted());
        QByteArray reports;
        while (reports.size() < killAfter && writer.waitForReadyRead(30000))
            reports += writer.readAllStandardOutput();
        if (writer.state() == QProcess::Running) {
            std::this_thread::sleep_for(extra);
            writer.kill();
            ++kills;
        }
        ASSERT_TRUE(writer.state() == QProcess::NotRunning || writer.waitForFinished(30000));
        reports += writer.readAllStandardOutput(); // saves finished before the kill count too
        ASSERT_TRUE(writer.exitStatus() == QProcess::CrashExit || writer.exitCode() == 0) << "a save failed";

        const qsizetype completed = next + reports.size();
        bool damaged = true;
        const ServicePairs onDisk = ServicesOnDisk(&damaged);
        ASSERT_FALSE(damaged);
        // Every reported save is there; at most one more (renamed into place, not yet reported).
        ASSERT_TRUE(onDisk.size() == completed || onDisk.size() == completed + 1) << completed;
        ASSERT_EQ(onDisk, Saves(onDisk.size()));
        EXPECT_EQ(GetAllSettings(App, Services).value_or(ServicePairs{}), onDisk);
        next = static_cast<int>(onDisk.size());
    }
    EXPECT_EQ(next, kTotalSaves);
    EXPECT_GE(kills, 3);
    // The lock the last killed writer left behind is taken over, not waited on for ever.
    EXPECT_TRUE(SaveSetting(App, Services, QStringLiteral("after"), QStringLiteral("10.0.0.1:1")));
}

TEST(StoreFaults, EmptyLockLeftByAKilledWriterDoesNotBlockTheNextOne) {
    TempConfigHome home;
    ASSERT_TRUE(SaveSetting(App, Services, QStringLiteral("before"), QStringLiteral("10.0.0.1:1")));
    // Killed after creating the lock file, before writing its process id into it.
    QFile lock(StoreFile::PathFor(App) + QStringLiteral(".lock"));
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    ASSERT_TRUE(
        lock.setFileTime(QDateTime::currentDateTime().addSecs(-10), QFileDevice::FileModificationTime));
    lock.close();
    EXPECT_TRUE(SaveSetting(App, Services, QStringLiteral("after"), QStringLiteral("10.0.0.2:2")))
        << LastStoreError().toStdString();
    EXPECT_EQ(ServicesOnDisk().size(), 2);
}

// A 64 KiB tmpfs on the store's home, in a mount namespace of this test's own so nothing outside sees
// it and it vanishes with the process. Needs root (CAP_SYS_ADMIN); skipped otherwise.
class FullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBox::resetTestMode();
        if (::unshare(CLONE_NEWNS) == 0)
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
        if (::mount("tmpfs", Where().constData(), "tmpfs", 0, "size=64k,mode=0700") != 0)
            GTEST_SKIP() << "cannot mount a small tmpfs to fill (needs root): " << std::strerror(errno);
        m_mounted = true;
        m_before = Saves(3);
        for (const auto& [key, value] : m_before)
            ASSERT_TRUE(SaveSetting(App, Services, key, value));
        ASSERT_TRUE(SaveSetting(App, StoreNames::Settings, StoreNames::Timeout, QStringLiteral("10")));
        // Larger than what a file write buffers, so that a write can stop part way through.
        ASSERT_TRUE(SaveSetting(App, StoreNames::Settings, QStringLiteral("Note"), QString(24000, u'x')));
    }
    void TearDown() override {
        if (m_mounted)
            ::umount2(Where().constData(), MNT_DETACH);
    }

    QByteArray Where() const { return QFile::encodeName(m_home.path()); }
    QString FillerPath() const { return m_home.path() + QStringLiteral("/filler"); }
    // Fills the disk in whole pages (tmpfs allocates by the page), then frees `freePages` of them.
    void FillLeaving(int freePages) const {
        constexpr qint64 kPage = 4096;
        QFile filler(FillerPath());
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        while (filler.write(QByteArray(kPage, 'x')) == kPage) {
        }
        ASSERT_TRUE(filler.resize(filler.size() / kPage * kPage - freePages * kPage));
    }
    // Every change was reported failed with its reason, and none as saved.
    static void ExpectReportedFailures(int count) {
        int failures = 0;
        for (const MessageBox::Record& record : MessageBox::takeRecords()) {
            EXPECT_FALSE(record.text.contains(QStringLiteral("has been saved"))) << record.text.toStdString();
            failures +=
                record.text.startsWith(Texts::StoreWriteFailed(QString())) && record.text.contains(kNoSpace);
        }
        EXPECT_EQ(failures, count);
    }

    TempConfigHome m_home; // the tmpfs is mounted on it
    bool m_mounted = false;
    ServicePairs m_before;
};

TEST_F(FullDisk, FailedWritesAreReportedAndEverythingSavedBeforeStays) {
    const QStringList filesBefore = QDir(StoreFile::Folder()).entryList(QDir::Files | QDir::Hidden);
    const std::function<bool()> writes[] = {
        [] { return SaveSetting(App, Services, QStringLiteral("late"), QStringLiteral("1.2.3.4:5")); },
        [] { return DeleteSetting(App, Services, QStringLiteral("k1")); }};
    // No room even for the lock file; room for the lock file but not for the new store file; room for
    // the lock file and part of the new store file. Each failure names its cause.
    for (const int freePages : {0, 1, 3}) {
        FillLeaving(freePages);
        for (const auto& write : writes) {
            EXPECT_FALSE(write()) << freePages;
            EXPECT_TRUE(LastStoreError().contains(kNoSpace)) << LastStoreError().toStdString();
        }
        bool damaged = true;
        EXPECT_EQ(ServicesOnDisk(&damaged), m_before);
        EXPECT_FALSE(damaged);
        EXPECT_EQ(GetAllSettings(App, Services), m_before);
        EXPECT_EQ(GetSetting(App, StoreNames::Settings, StoreNames::Timeout), QStringLiteral("10"));
        EXPECT_EQ(QDir(StoreFile::Folder()).entryList(QDir::Files | QDir::Hidden), filesBefore);
    }
    ASSERT_TRUE(QFile::remove(FillerPath())); // space again: the store takes writes as before
    EXPECT_TRUE(writes[0]());
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
    FillLeaving(1);
    list->setCurrentRow(1);
    click("btnEdit"); // renamed: the stored name must not vanish with the failed save
    dialog.findChild<QLineEdit*>(QStringLiteral("txtHostName"))->setText(QStringLiteral("renamed"));
    click("btnSave");
    list->setCurrentRow(0);
    click("btnDelete"); // answered Yes
    ExpectReportedFailures(2);
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
    for (const QString host : {"new", "k2"}) {
        window.txtHostName()->setText(host);
        window.txtIPAddr()->setText(QStringLiteral("10.0.0.9"));
        window.txtPort()->setText(QStringLiteral("8080"));
        window.cmdSave_Click();
        EXPECT_EQ(window.txtHostName()->text(), host); // what was typed is not lost either
    }
    ExpectReportedFailures(2);
    EXPECT_EQ(ServicesOnDisk(), m_before);
}

} // namespace

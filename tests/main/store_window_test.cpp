// The windows and the store they share with other programs: a lock another process holds never freezes
// the main window, what the store cannot do is told (once), and names are shown as stored, with
// nothing in them able to reverse or break a line.
#include "core/StoreFile.h"
#include "core/Texts.h"
#include "core/VisibleText.h"
#include "tests/main/MainWindowFixture.h"
#include "ui/options/frmOptions.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QListWidget>
#include <QLockFile>
#include <QProcess>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// With VANTREL_HOLD_LOCK set this program is the other process: it takes the store's lock as every
// copy of the program does, says so on stdout, and holds it until a byte arrives on stdin.
const int g_lockHolderRun = [] {
    if (!qEnvironmentVariableIsSet("VANTREL_HOLD_LOCK"))
        return 0;
    QLockFile lock(qEnvironmentVariable("VANTREL_HOLD_LOCK"));
    if (!lock.tryLock(0))
        std::_Exit(1);
    std::printf("locked\n");
    std::fflush(stdout);
    char go = 0;
    (void)::read(STDIN_FILENO, &go, 1);
    lock.unlock();
    std::_Exit(0);
}();

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

ino_t InodeOf(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

class StoreWindow : public MainWindowTest {
protected:
    // Resizes the shown window and hides it, which stores the size; returns how long that took.
    qint64 ResizeAndHide(frmMain& w, int widthTwips) {
        QElapsedTimer timer;
        timer.start();
        w.show();
        w.SetOuterSizeTwips({widthTwips, 7200});
        w.ArrangeControls();
        w.hide();
        return timer.elapsed();
    }
};

TEST_F(StoreWindow, LockHeldByAnotherProcessNeverFreezesTheWindowAndIsToldOnce) {
    const QString path = StoreFile::PathFor(StoreNames::App);
    Store(StoreNames::Settings, StoreNames::Timeout, "10");
    // A save the window waited on would now take half a minute.
    StoreFile::SetLockTimeout(std::chrono::seconds(30));
    QProcess holder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VANTREL_HOLD_LOCK", path + ".lock");
    holder.setProcessEnvironment(environment);
    holder.start(QCoreApplication::applicationFilePath(), {});
    ASSERT_TRUE(holder.waitForReadyRead(30000) && holder.readLine() == "locked\n");

    frmMain& w = Make();
    const QByteArray before = ReadFile(path);
    EXPECT_LT(ResizeAndHide(w, 7000), 15000);
    EXPECT_LT(ResizeAndHide(w, 7100), 15000);
    EXPECT_EQ(ReadFile(path), before);
    const QStringList told = TextsOf(MessageBox::takeRecords());
    ASSERT_EQ(told.size(), 1) << told.join('\n').toStdString();
    EXPECT_TRUE(told[0].startsWith(Texts::StoreWriteFailed("")) && told[0].contains("in use"));

    // Once the lock is free again the size is stored, and a failure would be told again.
    ASSERT_TRUE(holder.write("x") == 1 && holder.waitForFinished(30000) && holder.exitCode() == 0);
    ResizeAndHide(w, 7200);
    EXPECT_EQ(Stored(StoreNames::Settings, StoreNames::MainFormWidth),
              QString::number(w.OuterSizeTwips().width));
    EXPECT_EQ(TextsOf(MessageBox::takeRecords()), QStringList{});
    // Nothing is written when nothing changed.
    const ino_t stored = InodeOf(path);
    w.show();
    w.hide();
    EXPECT_EQ(InodeOf(path), stored);
    StoreFile::SetLockTimeout(std::chrono::seconds(5));
}

// Damage typed into the file while the program runs is told the next time the window touches the
// store, naming the kept copy; the same damage is told once.
TEST_F(StoreWindow, DamageTypedWhileRunningIsToldWhenTheWindowNextTouchesTheStore) {
    const QString path = StoreFile::PathFor(StoreNames::App);
    Store(StoreNames::Services, "web", "10.0.0.1:80");
    frmMain& w = Make();
    ResizeAndHide(w, 7000);
    ASSERT_EQ(TextsOf(MessageBox::takeRecords()), QStringList{});

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::Append) && file.write("typed by hand\n") > 0);
    file.close();
    ResizeAndHide(w, 7100);
    const QStringList told = TextsOf(MessageBox::takeRecords());
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].startsWith(QStringLiteral("The settings file %1 was damaged").arg(path)));
    EXPECT_TRUE(told[0].contains(path + ".damaged-")) << told[0].toStdString();
    ResizeAndHide(w, 7200);
    EXPECT_EQ(TextsOf(MessageBox::takeRecords()), QStringList{});
}

// A store that cannot be used is told at start-up for what it is, not as a list with no services.
TEST_F(StoreWindow, UnusableStoreIsToldAtStartUpInsteadOfAskingForServices) {
    const QString path = StoreFile::PathFor(StoreNames::App);
    ASSERT_TRUE(QDir().mkpath(home.storeFolder()));
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    frmMain& w = Make();
    w.Form_Load();
    EXPECT_EQ(TextsOf(MessageBox::takeRecords()),
              QStringList{Texts::StoreUnusable(
                  QStringLiteral("the settings file %1 is not a regular file").arg(path))});
    EXPECT_FALSE(QFileInfo(path).isFile());
}

// A name longer than a line box holds, written by hand, is deleted by its stored key; the list shows
// control characters in names visibly.
TEST_F(StoreWindow, ServicesPageDeletesByTheStoredKeyAndShowsNamesVisibly) {
    const QString longName = QString(40000, u'h');
    const QString reversed = QStringLiteral("evil\u202Eexe\nnext");
    Store(StoreNames::Services, longName, "10.0.0.1:80");
    Store(StoreNames::Services, reversed, "10.0.0.2:80");
    CheckState state;
    frmOptions dialog(state);
    dialog.show();
    auto* list = dialog.findChild<QListWidget*>("lstServices");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), "evil\\u202Eexe\\u000Anext 10.0.0.2:80");
    list->setCurrentRow(0);
    dialog.findChild<QPushButton*>("btnDelete")->click();
    EXPECT_EQ(GetAllSettings(StoreNames::App, StoreNames::Services),
              (ServicePairs{{reversed, "10.0.0.2:80"}}));
    EXPECT_EQ(TextsOf(MessageBox::takeRecords()), QStringList{"Delete the " + longName + " service?"});
}

TEST(VisibleText, ShowsWhatWouldReverseOrBreakALineAndNothingElse) {
    const struct {
        QString name, shown;
    } cases[] = {
        {"web server", "web server"},
        {QStringLiteral("a\u202Eb\u2066c\u200Fd"), "a\\u202Eb\\u2066c\\u200Fd"},
        {"line\r\nbreak\ttab\x7f", "line\\u000D\\u000Abreak\\u0009tab\\u007F"},
        {QStringLiteral("para\u2029sep"), "para\\u2029sep"},
        {QString(QChar(0xD800)) + "x", "\\uD800x"},
        // Joiners inside emoji and accented letters draw as meant.
        {QString::fromUtf8("h\xc3\xa9 \xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x92\xbb"),
         QString::fromUtf8("h\xc3\xa9 \xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x92\xbb")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(VisibleText(c.name), c.shown) << c.shown.toStdString();
    EXPECT_TRUE(Texts::ServiceSaved(QStringLiteral("x\u202Ey"), "1.2.3.4:5").contains("x\\u202Ey"));
}

} // namespace

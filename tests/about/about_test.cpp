#include "ui/about/SysInfo.h"
#include "ui/about/frmAbout.h"
#include "ui/common/MessageBox.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class AboutTest : public ::testing::Test {
protected:
    void SetUp() override { MessageBox::resetTestMode(); }

    // A script `folder`/`name` that leaves the marker file when it runs; `body` replaces its text.
    void WriteScript(const QString& folder, const QString& name, bool executable = true,
                     QByteArray body = {}) {
        QDir(dir.path()).mkpath(folder);
        QFile script(dir.filePath(folder + '/' + name));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write(body.isEmpty() ? "#!/bin/sh\ntouch \"" + QFile::encodeName(marker()) + "\"\n" : body);
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner |
                              (executable ? QFile::Permissions(QFile::ExeOwner) : QFile::Permissions()));
    }
    QString marker() const { return dir.filePath("started"); }

    QTemporaryDir dir;
};

TEST_F(AboutTest, FindsOnlyExecutableFilesInAbsoluteFoldersInCandidateOrder) {
    WriteScript("a", "second");
    WriteScript("a", "not-executable", false);
    WriteScript("b", "first");
    const QStringList candidates{"first", "not-executable", "missing", "second"};
    const QString a = dir.filePath("a"), b = dir.filePath("b");
    EXPECT_EQ(FindSysInfoPrograms(candidates, a + ':' + b), (QStringList{b + "/first", a + "/second"}));
    // An empty or relative PATH entry would mean the current folder: never searched.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(a);
    EXPECT_TRUE(FindSysInfoPrograms(candidates, "::.:a").isEmpty());
    QDir::setCurrent(previous);
}

TEST_F(AboutTest, StartsTheFirstProgramThatStarts) {
    WriteScript("bin", "broken", true, "#!/nonexistent/interpreter\n"); // found, but does not start
    WriteScript("bin", "hardinfo");
    EXPECT_TRUE(StartSysInfo(nullptr, QStringList{"broken"} + DefaultSysInfoPrograms(), dir.filePath("bin")));
    const QDeadlineTimer deadline(5000);
    while (!QFileInfo::exists(marker()) && !deadline.hasExpired())
        QTest::qWait(20);
    EXPECT_TRUE(QFileInfo::exists(marker()));
    EXPECT_TRUE(MessageBox::takeRecords().isEmpty());
}

TEST_F(AboutTest, AboutBoxShowsItsTextsSaysWhenNoSystemInfoIsFoundAndClosesOnEscape) {
    EXPECT_EQ(AboutVersionText(10, 0, 12), "Version 10.0.12");
    frmAbout dialog;
    EXPECT_EQ(dialog.windowTitle(), "About Vantrel Local");
    const std::pair<const char*, QString> labels[] = {
        {"lblTitle", "Vantrel Local"},
        {"lblVersion", "Version " VANTREL_VERSION_STRING},
        {"lblDescription", "Free local server monitoring tool for system administrators."}};
    for (const auto& [name, text] : labels)
        EXPECT_EQ(dialog.findChild<QLabel*>(name)->text(), text);
    EXPECT_TRUE(dialog.findChild<QPushButton*>("cmdOK")->isDefault());
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));

    const QByteArray previousPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(dir.path()));
    QTest::mouseClick(dialog.findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
    qputenv("PATH", previousPath);
    const auto records = MessageBox::takeRecords();
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].text + " | " + records[0].title,
              "System Information Is Unavailable At This Time | Vantrel Local");
    EXPECT_TRUE(dialog.isVisible());

    QSignalSpy finished(&dialog, &QDialog::finished);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(dialog.isVisible());
}

} // namespace

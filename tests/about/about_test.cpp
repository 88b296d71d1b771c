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

const QString kUnavailable = QStringLiteral("System Information Is Unavailable At This Time");

QString LabelText(const QWidget& parent, const char* name) {
    const auto* label = parent.findChild<QLabel*>(QLatin1String(name));
    return label ? label->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

// Polls the event loop until the condition holds or five seconds pass.
bool WaitFor(const std::function<bool()>& condition) {
    const QDeadlineTimer deadline(5000);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(20);
    }
    return true;
}

class SysInfoTest : public ::testing::Test {
protected:
    void SetUp() override { MessageBox::resetTestMode(); }

    // An executable script in `folder` that leaves a marker file when it runs.
    QString WriteFakeProgram(const QString& folder, const QString& name, bool executable = true) {
        const QString path = folder + QLatin1Char('/') + name;
        QFile script(path);
        EXPECT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\ntouch \"" + QFile::encodeName(marker()) + "\"\n");
        script.close();
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (executable)
            permissions |= QFile::ExeOwner;
        script.setPermissions(permissions);
        return path;
    }
    QString marker() const { return dir.filePath(QStringLiteral("started")); }

    QTemporaryDir dir;
};

TEST_F(SysInfoTest, FindsOnlyExecutableFilesInAbsoluteFoldersInCandidateOrder) {
    QDir(dir.path()).mkpath(QStringLiteral("a"));
    QDir(dir.path()).mkpath(QStringLiteral("b"));
    QDir(dir.path()).mkpath(QStringLiteral("b/folder-not-program"));
    const QString a = dir.filePath(QStringLiteral("a"));
    const QString b = dir.filePath(QStringLiteral("b"));
    WriteFakeProgram(a, QStringLiteral("second"));
    const QString firstInB = WriteFakeProgram(b, QStringLiteral("first"));
    const QString secondInA = a + QStringLiteral("/second");
    WriteFakeProgram(a, QStringLiteral("not-executable"), false);

    const QStringList candidates{QStringLiteral("first"), QStringLiteral("not-executable"),
                                 QStringLiteral("folder-not-program"), QStringLiteral("missing"),
                                 QStringLiteral("second")};
    EXPECT_EQ(FindSysInfoPrograms(candidates, a + QLatin1Char(':') + b), (QStringList{firstInB, secondInA}));

    // An empty or relative PATH entry would mean the current folder: never searched.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(a);
    EXPECT_TRUE(FindSysInfoPrograms(candidates, QStringLiteral("::.:a")).isEmpty());
    QDir::setCurrent(previous);
}

TEST_F(SysInfoTest, AFoundProgramIsStartedAndNothingIsShown) {
    WriteFakeProgram(dir.path(), QStringLiteral("hardinfo"));
    EXPECT_TRUE(
        StartSysInfo(nullptr, DefaultSysInfoPrograms(), QStringLiteral("/nonexistent:") + dir.path()));
    EXPECT_TRUE(WaitFor([this] { return QFileInfo::exists(marker()); }));
    EXPECT_TRUE(MessageBox::takeRecords().isEmpty());
}

TEST_F(SysInfoTest, AProgramThatCannotStartFallsThroughToTheNext) {
    // A script whose interpreter is missing is found but does not start.
    const QString broken = dir.filePath(QStringLiteral("broken"));
    QFile script(broken);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/nonexistent/interpreter\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    WriteFakeProgram(dir.path(), QStringLiteral("works"));

    EXPECT_TRUE(StartSysInfo(nullptr, {QStringLiteral("broken"), QStringLiteral("works")}, dir.path()));
    EXPECT_TRUE(WaitFor([this] { return QFileInfo::exists(marker()); }));
    EXPECT_TRUE(MessageBox::takeRecords().isEmpty());

    EXPECT_FALSE(StartSysInfo(nullptr, {QStringLiteral("broken")}, dir.path()));
    EXPECT_EQ(MessageBox::takeRecords().size(), 1);
}

TEST(AboutVersion, PlainDecimalWithoutPadding) {
    EXPECT_EQ(AboutVersionText(2, 7, 3), QStringLiteral("Version 2.7.3"));
    EXPECT_EQ(AboutVersionText(10, 0, 12), QStringLiteral("Version 10.0.12"));
}

class AboutBoxTest : public ::testing::Test {
protected:
    void SetUp() override { MessageBox::resetTestMode(); }
};

TEST_F(AboutBoxTest, ShowsTitleVersionDescriptionAndNotice) {
    frmAbout dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("About Vantrel Local"));
    EXPECT_EQ(LabelText(dialog, "lblTitle"), QStringLiteral("Vantrel Local"));
    EXPECT_EQ(LabelText(dialog, "lblVersion"), QStringLiteral("Version " VANTREL_VERSION_STRING));
    EXPECT_EQ(LabelText(dialog, "lblDescription"),
              QStringLiteral("Free local server monitoring tool for system administrators."));
    EXPECT_FALSE(LabelText(dialog, "lblDisclaimer").isEmpty());
    const auto* icon = dialog.findChild<QLabel*>(QStringLiteral("picIcon"));
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->size(), QSize(32, 32));
    EXPECT_FALSE(icon->pixmap().isNull());

    const Qt::WindowFlags flags = dialog.windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    dialog.show();
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
}

TEST_F(AboutBoxTest, EnterAndEscapeCloseIt) {
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        frmAbout dialog;
        auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("cmdOK"));
        ASSERT_TRUE(ok);
        EXPECT_TRUE(ok->isDefault());
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        QSignalSpy finished(&dialog, &QDialog::finished);
        QTest::keyClick(&dialog, key);
        EXPECT_EQ(finished.count(), 1) << "key " << key;
        EXPECT_FALSE(dialog.isVisible());
    }
}

TEST_F(AboutBoxTest, SystemInfoButtonWithNothingOnPathShowsTheMessageAndStaysOpen) {
    QTemporaryDir empty;
    const QByteArray previousPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(empty.path()));
    frmAbout dialog;
    dialog.show();
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cmdSysInfo")), Qt::LeftButton);
    qputenv("PATH", previousPath);

    const auto records = MessageBox::takeRecords();
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].text, kUnavailable);
    EXPECT_EQ(records[0].title, QStringLiteral("Vantrel Local"));
    EXPECT_EQ(records[0].buttons, MessageBox::Buttons::Ok);
    EXPECT_EQ(records[0].icon, MessageBox::Icon::None);
    EXPECT_TRUE(dialog.isVisible());
}

} // namespace

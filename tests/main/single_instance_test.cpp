#include "ui/common/SingleInstance.h"

#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString socketPath() const { return dir.filePath(QStringLiteral("instance")); }
};

// What a crashed run leaves behind: a socket file that no one listens on.
void LeaveDeadSocketFile(const QString& path) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(path);
    ASSERT_LT(size_t(native.size()), sizeof(address.sun_path));
    std::copy(native.begin(), native.end(), address.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
}

// ... and a lock file naming a process that has ended.
void LeaveDeadLockFile(const QString& path) {
    QProcess finished;
    finished.start(QStringLiteral("true"), {});
    ASSERT_TRUE(finished.waitForStarted());
    const qint64 pid = finished.processId();
    ASSERT_TRUE(finished.waitForFinished());
    QFile lock(path);
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(pid) + "\nvantrel-local\n" + QSysInfo::machineHostName().toLocal8Bit() +
               "\n");
}

// A notification reaches `primary` exactly once.
::testing::AssertionResult NotificationActivates(SingleInstance& primary, const QString& socketPath) {
    QSignalSpy activations(&primary, &SingleInstance::activationRequested);
    if (!SingleInstance::notifyPrimary(socketPath))
        return ::testing::AssertionFailure() << "the notification was not taken";
    if (!activations.wait(5000))
        return ::testing::AssertionFailure() << "no activation arrived";
    if (activations.count() != 1)
        return ::testing::AssertionFailure() << activations.count() << " activations";
    return ::testing::AssertionSuccess();
}

TEST_F(SingleInstanceTest, SecondStartIsRefusedAndBringsTheFirstForward) {
    SingleInstance first(socketPath());
    ASSERT_TRUE(first.tryBecomePrimary());

    SingleInstance second(socketPath());
    EXPECT_FALSE(second.tryBecomePrimary());
    EXPECT_FALSE(second.isPrimary());
    EXPECT_TRUE(NotificationActivates(first, socketPath()));
}

TEST_F(SingleInstanceTest, OnlyTheActivationRequestActivates) {
    SingleInstance first(socketPath());
    ASSERT_TRUE(first.tryBecomePrimary());
    QSignalSpy activations(&first, &SingleInstance::activationRequested);

    QLocalSocket stranger;
    stranger.connectToServer(socketPath());
    ASSERT_TRUE(stranger.waitForConnected(2000));
    QSignalSpy hungUp(&stranger, &QLocalSocket::disconnected);
    stranger.write("hello\n");
    ASSERT_TRUE(stranger.waitForBytesWritten(2000));
    // The primary answers a stranger by hanging up, without raising anything.
    ASSERT_TRUE(hungUp.wait(5000));
    EXPECT_EQ(activations.count(), 0);

    EXPECT_TRUE(NotificationActivates(first, socketPath()));
}

TEST_F(SingleInstanceTest, AfterTheFirstEndsANewStartBecomesTheOne) {
    {
        SingleInstance first(socketPath());
        ASSERT_TRUE(first.tryBecomePrimary());
    }
    EXPECT_FALSE(QFileInfo::exists(socketPath()));
    EXPECT_FALSE(SingleInstance::notifyPrimary(socketPath(), 100));

    SingleInstance next(socketPath());
    ASSERT_TRUE(next.tryBecomePrimary());
    EXPECT_TRUE(NotificationActivates(next, socketPath()));
}

TEST_F(SingleInstanceTest, LeftOversOfACrashedRunAreTakenOver) {
    LeaveDeadSocketFile(socketPath());
    LeaveDeadLockFile(socketPath() + QStringLiteral(".lock"));
    ASSERT_TRUE(QFileInfo::exists(socketPath()));
    EXPECT_FALSE(SingleInstance::notifyPrimary(socketPath(), 100));

    SingleInstance instance(socketPath());
    ASSERT_TRUE(instance.tryBecomePrimary());
    EXPECT_TRUE(NotificationActivates(instance, socketPath()));
}

} // namespace

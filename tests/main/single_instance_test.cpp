#include "ui/common/SingleInstance.h"

#include <QFile>
#include <QFileInfo>
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
    // A notification reaches `primary` exactly once.
    ::testing::AssertionResult NotificationActivates(SingleInstance& primary) const {
        QSignalSpy activations(&primary, &SingleInstance::activationRequested);
        if (!SingleInstance::notifyPrimary(socketPath) || !activations.wait(5000))
            return ::testing::AssertionFailure() << "no activation arrived";
        if (activations.count() != 1)
            return ::testing::AssertionFailure() << activations.count() << " activations";
        return ::testing::AssertionSuccess();
    }

    QTemporaryDir dir;
    const QString socketPath = dir.filePath("instance");
};

TEST_F(SingleInstanceTest, SecondStartIsRefusedAndBringsTheFirstForward) {
    {
        SingleInstance first(socketPath);
        ASSERT_TRUE(first.tryBecomePrimary());
        SingleInstance second(socketPath);
        EXPECT_FALSE(second.tryBecomePrimary());
        EXPECT_TRUE(NotificationActivates(first));
    }
    // Once the first has ended, nobody answers and the next start is the one.
    EXPECT_FALSE(SingleInstance::notifyPrimary(socketPath, 100));
    SingleInstance next(socketPath);
    EXPECT_TRUE(next.tryBecomePrimary());
}

TEST_F(SingleInstanceTest, LeftOversOfACrashedRunAreTakenOver) {
    // A socket file that no one listens on...
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray native = QFile::encodeName(socketPath);
    ASSERT_LT(size_t(native.size()), sizeof(address.sun_path));
    std::copy(native.begin(), native.end(), address.sun_path);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
    // ...and a lock file naming a process that has ended.
    QProcess finished;
    finished.start("true", {});
    ASSERT_TRUE(finished.waitForStarted());
    const qint64 pid = finished.processId();
    ASSERT_TRUE(finished.waitForFinished());
    QFile lock(socketPath + ".lock");
    ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
    lock.write(QByteArray::number(pid) + "\nvantrel-local\n" + QSysInfo::machineHostName().toLocal8Bit() +
               "\n");
    lock.close();

    EXPECT_FALSE(SingleInstance::notifyPrimary(socketPath, 100));
    SingleInstance instance(socketPath);
    ASSERT_TRUE(instance.tryBecomePrimary());
    EXPECT_TRUE(NotificationActivates(instance));
}

} // namespace

// The sync thread of the GPS log: the caller hands over a descriptor and goes on.
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include "positioning/backgroundsync.h"

namespace tidrun {
namespace {

TEST(BackgroundSync, SyncsACopySoTheCallerMayCloseAtOnce) {
    QTemporaryDir dir;
    const QByteArray path = dir.filePath(QStringLiteral("GPS.LOG")).toLocal8Bit();
    TBackgroundSync sync;
    for (int i = 0; i < 50; ++i) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, "$GPGGA\r\n", 8), 8);
        ASSERT_TRUE(sync.Request(fd));
        ::close(fd);  // the worker holds its own descriptor
    }
    EXPECT_TRUE(sync.Wait());
    EXPECT_FALSE(sync.TakeFailure());
    QFile f(QString::fromLocal8Bit(path));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.size(), 50 * 8);
    // Every duplicate was closed again: the next descriptor is the lowest free one.
    const int probe = ::open("/dev/null", O_RDONLY);
    const int before = ::dup(probe);
    ::close(before);
    ::close(probe);
    EXPECT_LE(before, 10);
}

TEST(BackgroundSync, RefusesADescriptorThatIsNotOpen) {
    TBackgroundSync sync;
    EXPECT_FALSE(sync.Request(-1));
    EXPECT_TRUE(sync.Wait());
}

}  // namespace
}  // namespace tidrun

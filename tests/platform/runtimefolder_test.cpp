// The folder of the single-instance lock: only a folder of this user's alone, never one
// that another user could write, hold or plant.
#include "platform/runtimefolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include <sys/stat.h>
#include <unistd.h>

namespace tidrun {
namespace {

int ModeOf(const QString& path) {
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

bool Chmod(const QString& path, int mode) {
    return ::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}

// Sets an environment variable for the life of the object (unset: nullopt).
class EnvVar {
  public:
    EnvVar(const char* name, const std::optional<QString>& value)
        : name_(name),
          old_(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt) {
        if (value)
            qputenv(name, QFile::encodeName(*value));
        else
            qunsetenv(name);
    }
    ~EnvVar() {
        if (old_)
            qputenv(name_, *old_);
        else
            qunsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<QByteArray> old_;
};

// What a folder can be when the console looks for its lock folder, and whether it is taken.
TEST(RuntimeFolder, OnlyAFolderOfThisUsersAloneIsTaken) {
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    const QString own = base.filePath("own");
    ASSERT_TRUE(QDir().mkdir(own) && Chmod(own, 0700));
    struct Case {
        const char* what;
        std::function<bool(const QString&)> make;  // false: cannot be made here
        bool taken;
        int modeAfter;  // -1: nothing there
    };
    const Case cases[] = {
        {"absent: made with mode 0700", [](const QString&) { return true; }, true, 0700},
        {"this user's with mode 0700",
         [](const QString& p) { return QDir().mkdir(p) && Chmod(p, 0700); }, true, 0700},
        {"writable by everyone (left so)",
         [](const QString& p) { return QDir().mkdir(p) && Chmod(p, 01777); }, false, 01777},
        {"readable by others", [](const QString& p) { return QDir().mkdir(p) && Chmod(p, 0755); },
         false, 0755},
        {"a link to a private folder", [&](const QString& p) { return QFile::link(own, p); }, false,
         0777},
        {"a file",
         [](const QString& p) {
             QFile f(p);
             return f.open(QIODevice::WriteOnly) && Chmod(p, 0700);
         },
         false, 0700},
        {"another user's with mode 0700",
         [](const QString& p) {
             return QDir().mkdir(p) && Chmod(p, 0700) &&
                    ::chown(QFile::encodeName(p).constData(), 65534, 65534) == 0;
         },
         false, 0700},
    };
    int n = 0;
    for (const Case& c : cases) {
        const QString path = base.filePath(QString::number(n++));
        if (!c.make(path)) {
            EXPECT_NE(::geteuid(), 0u) << c.what;  // only a lower user cannot give a folder away
            continue;
        }
        EXPECT_EQ(MakePrivateFolder(path), c.taken) << c.what;
        EXPECT_EQ(IsPrivateFolder(path), c.taken) << c.what;
        EXPECT_EQ(ModeOf(path), c.modeAfter) << c.what;
    }
    EXPECT_FALSE(MakePrivateFolder(QStringLiteral("relative")));
    EXPECT_FALSE(MakePrivateFolder(base.filePath("no/parent")));
}

// Without a usable XDG_RUNTIME_DIR the lock goes to a private folder in the user's cache
// folder, never to a shared temporary folder; where that is not private either, nowhere.
TEST(RuntimeFolder, WithoutAPrivateRuntimeDirTheCacheFolderServesOrNone) {
    if (IsPrivateFolder(QStringLiteral("/run/user/%1").arg(::geteuid())))
        GTEST_SKIP() << "this user has a session runtime folder, which comes first";
    QTemporaryDir base;
    ASSERT_TRUE(base.isValid());
    const QString runtime = base.filePath("run");
    ASSERT_TRUE(QDir().mkdir(runtime));
    const QString cacheHome = base.filePath("cache");
    const QString cache = QDir(cacheHome).filePath("tidrun");
    EnvVar cacheVar("XDG_CACHE_HOME", cacheHome);
    struct Case {
        const char* what;
        std::optional<QString> xdg;
        int runtimeMode;
        std::function<void()> prepareCache;
        QString expected;
    };
    const Case cases[] = {
        {"a private runtime folder", runtime, 0700, [] {}, runtime},
        {"a runtime folder everyone may write", runtime, 0777, [] {}, cache},
        {"no runtime folder named", std::nullopt, 0700, [] {}, cache},
        {"a runtime folder that is not there", base.filePath("gone"), 0700, [] {}, cache},
        {"the cache folder open to everyone", std::nullopt, 0700,
         [&] { ASSERT_TRUE(Chmod(cache, 0777)); }, QString()},
        {"the cache folder a link", std::nullopt, 0700,
         [&] {
             ASSERT_TRUE(QDir(cache).removeRecursively());
             ASSERT_TRUE(QFile::link(runtime, cache));
         },
         QString()},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(Chmod(runtime, c.runtimeMode));
        c.prepareCache();
        EnvVar xdg("XDG_RUNTIME_DIR", c.xdg);
        EXPECT_EQ(UserRuntimeFolder(), c.expected) << c.what;
        if (c.expected == cache) {
            EXPECT_EQ(ModeOf(cache), 0700) << c.what;
        }
    }
}

}  // namespace
}  // namespace tidrun

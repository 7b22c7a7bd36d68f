// The platform GUI adapters on real widgets: message boxes (deferred inside data handlers),
// the single-instance lock, the numeric entry field, sound.
#include "platform/gui/messageboxsink.h"
#include "platform/gui/numericedit.h"
#include "platform/gui/singleinstance.h"
#include "platform/gui/sound.h"
#include "platform/messagesink.h"
#include "tests/dialogs/gui_helpers.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <memory>

namespace tidrun {
namespace {

using testing::BoxCloser;
using testing::OnModal;
using testing::WaitFor;

TEST(MessageBoxSinkTest, ShowsBoxesOfEachKindWithTheProgramTitle) {
    MessageBoxSink sink;
    BoxCloser closer;
    sink.Error(QStringLiteral("接続エラー"));
    sink.Warning(QStringLiteral("警告"));
    sink.Information(QStringLiteral("お知らせ"));
    sink.Show(MessageSink::Kind::Plain, QStringLiteral("作業フォルダが見つかりません"));
    // Deferred by default: nothing is up before the event loop runs.
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ASSERT_TRUE(WaitFor([&] { return closer.seen.size() == 4 && !sink.BoxShowing(); }));
    ASSERT_EQ(closer.seen.size(), 4u);
    EXPECT_EQ(closer.seen[0].icon, QMessageBox::Critical);
    EXPECT_EQ(closer.seen[1].icon, QMessageBox::Warning);
    EXPECT_EQ(closer.seen[2].icon, QMessageBox::Information);
    EXPECT_EQ(closer.seen[3].icon, QMessageBox::NoIcon);
    EXPECT_EQ(closer.seen[3].text, QStringLiteral("作業フォルダが見つかりません"));
    for (const auto& s : closer.seen) EXPECT_EQ(s.title, QStringLiteral("Tidrun for GPS"));
}

TEST(MessageBoxSinkTest, ConfirmAnswersYesAndNo) {
    MessageBoxSink sink;
    {
        BoxCloser yes(QMessageBox::Yes);
        EXPECT_TRUE(sink.Confirm(QStringLiteral("終了しますか")));
        ASSERT_EQ(yes.seen.size(), 1u);
        EXPECT_EQ(yes.seen[0].icon, QMessageBox::Question);
        EXPECT_EQ(yes.seen[0].text, QStringLiteral("終了しますか"));
    }
    BoxCloser no(QMessageBox::No);
    EXPECT_FALSE(sink.Confirm(QStringLiteral("終了しますか")));
}

// A box asked for while received data is handled must not open inside the handler: its
// modal loop would hand the next packet to the same handler again.
TEST(MessageBoxSinkTest, BoxesFromAHandlerWaitUntilItReturnsAndComeOneAtATime) {
    MessageBoxSink sink;
    std::vector<QString> order;
    auto watcher = OnModal<QMessageBox>([&](QMessageBox*) { order.push_back("box"); });
    sink.SetDeferAll(false);  // only the handler scope defers here
    {
        MessageBoxSink::HandlerScope handler(sink);
        sink.Error(QStringLiteral("一つ目"));
        sink.Warning(QStringLiteral("二つ目"));
        // Nothing of the event loop runs here in a real handler; even if it did, the boxes
        // must stay queued while the handler is on the stack.
        QCoreApplication::processEvents();
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_EQ(sink.Pending(), 2);
        order.push_back("handler done");
    }
    watcher.reset();
    BoxCloser closer;
    ASSERT_TRUE(WaitFor([&] { return closer.seen.size() == 2 && !sink.BoxShowing(); }));
    EXPECT_EQ(closer.seen[0].text, QStringLiteral("一つ目"));
    EXPECT_EQ(closer.seen[1].text, QStringLiteral("二つ目"));
    for (const auto& s : closer.seen) EXPECT_EQ(s.boxesOpen, 1);
    EXPECT_EQ(order, std::vector<QString>{"handler done"});
    EXPECT_EQ(sink.Pending(), 0);
}

TEST(MessageBoxSinkTest, AHandlerRunningUnderAnOpenBoxQueuesItsMessage) {
    MessageBoxSink sink;
    sink.SetDeferAll(false);  // the first box opens at once, from outside any handler
    bool handlerReturned = false;
    QString modalAfterHandler;
    // While the first box is up, data arrives and its handler reports an error.
    BoxCloser closer(QMessageBox::Ok, [&](QMessageBox* box) {
        if (box->text() != QStringLiteral("最初")) return;
        {
            MessageBoxSink::HandlerScope handler(sink);
            sink.Error(QStringLiteral("受信エラー"));
        }
        handlerReturned = true;
        if (auto* top = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            modalAfterHandler = top->text();
    });
    sink.Show(MessageSink::Kind::Plain, QStringLiteral("最初"));
    ASSERT_TRUE(WaitFor([&] { return closer.seen.size() == 2 && !sink.BoxShowing(); }));
    EXPECT_TRUE(handlerReturned);
    ASSERT_EQ(closer.seen.size(), 2u);
    EXPECT_EQ(closer.seen[0].text, QStringLiteral("最初"));
    EXPECT_EQ(closer.seen[1].text, QStringLiteral("受信エラー"));
    // The second box was not stacked on the first one.
    EXPECT_EQ(modalAfterHandler, QStringLiteral("最初"));
    EXPECT_EQ(closer.seen[1].boxesOpen, 1);
}

// Every box comes from one queue that a storm of messages cannot fill: a message already up
// or waiting adds no box, and at most kMaxWaiting boxes wait.
TEST(MessageBoxSinkTest, RepeatedMessagesAddNoBoxAndTheQueueIsBounded) {
    const QString write = QStringLiteral("側線ファイル書込エラー");
    const QString log = QStringLiteral("ログファイル作成/終了エラー");
    QStringList many;
    for (int i = 0; i < 200; ++i) many << QStringLiteral("受信エラー %1").arg(i);
    struct Case {
        const char* what;
        std::function<void(MessageBoxSink&)> raise;
        std::function<void(MessageBoxSink&, const QString& up)> whileUp;
        QStringList shown;
    };
    const Case cases[] = {
        {"one fault at every position of a line, inside the handler",
         [&](MessageBoxSink& sink) {
             for (int i = 0; i < 500; ++i) {
                 MessageBoxSink::HandlerScope handler(sink);
                 sink.Error(write);
             }
         },
         {},
         {write}},
        {"two faults taking turns",
         [&](MessageBoxSink& sink) {
             for (int i = 0; i < 100; ++i) sink.Error(i % 2 ? log : write);
         },
         {},
         {write, log}},
        {"the fault again while its box is up, then another",
         [&](MessageBoxSink& sink) { sink.Error(write); },
         [&](MessageBoxSink& sink, const QString& up) {
             if (up != write) return;
             for (int i = 0; i < 50; ++i) sink.Error(write);
             sink.Error(log);
         },
         {write, log}},
        {"a different text each time",
         [&](MessageBoxSink& sink) {
             for (const QString& m : many) sink.Error(m);
         },
         {},
         many.mid(0, MessageBoxSink::kMaxWaiting)},
    };
    for (const Case& c : cases) {
        MessageBoxSink sink;
        BoxCloser closer(QMessageBox::Ok, [&](QMessageBox* box) {
            if (c.whileUp) c.whileUp(sink, box->text());
        });
        c.raise(sink);
        EXPECT_LE(sink.Pending(), MessageBoxSink::kMaxWaiting) << c.what;
        ASSERT_TRUE(WaitFor([&] { return sink.Pending() == 0 && !sink.BoxShowing(); })) << c.what;
        WaitFor([] { return false; }, 50);  // any box still to come
        EXPECT_EQ(closer.Texts(), c.shown) << c.what;
    }
    // Once seen, the same fault shows again when it comes back.
    MessageBoxSink sink;
    BoxCloser closer;
    sink.Error(write);
    ASSERT_TRUE(WaitFor([&] { return closer.seen.size() == 1 && !sink.BoxShowing(); }));
    sink.Error(write);
    ASSERT_TRUE(WaitFor([&] { return closer.seen.size() == 2; }));
}

TEST(SingleInstanceTest, ASecondHolderIsRefusedUntilTheFirstLetsGo) {
    QTemporaryDir dir;
    SingleInstance first(SingleInstance::DefaultName(), dir.path());
    SingleInstance second(SingleInstance::DefaultName(), dir.path());
    EXPECT_TRUE(first.LockPath().endsWith(QStringLiteral("Tidrun_Mutex.lock")));
    ASSERT_TRUE(first.TryAcquire());
    EXPECT_TRUE(first.TryAcquire());  // holding it again is fine
    EXPECT_FALSE(second.TryAcquire());
    EXPECT_FALSE(second.IsHeld());
    // The console runs for days: an old lock of a live holder is not stale.
    QFile lockFile(first.LockPath());
    ASSERT_TRUE(lockFile.open(QIODevice::ReadWrite));
    ASSERT_TRUE(lockFile.setFileTime(QDateTime::currentDateTime().addDays(-3),
                                     QFileDevice::FileModificationTime));
    lockFile.close();
    EXPECT_FALSE(second.TryAcquire());
    first.Release();
    EXPECT_TRUE(second.TryAcquire());
}

TEST(SingleInstanceTest, AnotherProcessHoldingTheLockRefusesUsAndItsDeathFreesIt) {
    QTemporaryDir dir;
    int toChild[2];
    int fromChild[2];
    ASSERT_EQ(pipe(toChild), 0);
    ASSERT_EQ(pipe(fromChild), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        // The child takes the lock, reports, waits for the parent, and dies holding it.
        SingleInstance held(SingleInstance::DefaultName(), dir.path());
        const char ok = held.TryAcquire() ? '1' : '0';
        (void)!write(fromChild[1], &ok, 1);
        char c;
        (void)!read(toChild[0], &c, 1);
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(read(fromChild[0], &ok, 1), 1);
    ASSERT_EQ(ok, '1');
    SingleInstance me(SingleInstance::DefaultName(), dir.path());
    EXPECT_FALSE(me.TryAcquire());
    const char go = 'x';
    ASSERT_EQ(write(toChild[1], &go, 1), 1);
    int status = 0;
    waitpid(pid, &status, 0);
    for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) close(fd);
    // A lock left by a program that died (power cut, crash) must not block the next start.
    EXPECT_TRUE(me.TryAcquire());
}

struct EditWindow {
    QWidget window;
    NumericEdit* edit;
    QLineEdit* other;
    EditWindow(const QString& picture, double lo, double hi) {
        edit = new NumericEdit(picture, lo, hi, &window);
        other = new QLineEdit(&window);
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        window.show();
        window.activateWindow();
        WaitFor([&] { return QApplication::activeWindow() == &window; }, 2000);
    }
};

TEST(NumericEditTest, ThePictureDropsKeysItCannotHold) {
    EditWindow w(QStringLiteral("####"), 0, 9999);
    w.edit->setFocus();
    testing::TypeText(w.edit, QStringLiteral("1a2.-345"));
    EXPECT_EQ(w.edit->text(), QStringLiteral("1234"));

    EditWindow real(QStringLiteral("#######.###"), -100, 100);
    testing::TypeText(real.edit, QStringLiteral("-12.34567"));
    EXPECT_EQ(real.edit->text(), QStringLiteral("-12.345"));
    EXPECT_DOUBLE_EQ(real.edit->value(), -12.345);
    real.edit->setValue(3.5);
    EXPECT_EQ(real.edit->text(), QStringLiteral("3.500"));

    EditWindow nines(QStringLiteral("999"), 1, 999);
    testing::TypeText(nines.edit, QStringLiteral("12345"));
    EXPECT_EQ(nines.edit->text(), QStringLiteral("123"));

    EditWindow positive(QStringLiteral("###.#"), 0, 360);
    testing::TypeText(positive.edit, QStringLiteral("-5"));
    EXPECT_EQ(positive.edit->text(), QStringLiteral("5"));
}

TEST(NumericEditTest, OutOfRangeTurnsFuchsiaReportsAndTakesTheFocusBack) {
    EditWindow w(QStringLiteral("###"), 1, 100);
    RecordingSink sink;
    w.edit->SetMessageSink(&sink);
    int errors = 0;
    std::vector<double> committed;
    QObject::connect(w.edit, &NumericEdit::rangeError, [&] { ++errors; });
    QObject::connect(w.edit, &NumericEdit::valueCommitted,
                     [&](double v) { committed.push_back(v); });
    const QColor normal = w.edit->palette().color(QPalette::Base);

    w.edit->setFocus();
    testing::TypeText(w.edit, QStringLiteral("150"));
    w.other->setFocus();  // leaving the field finishes the entry
    ASSERT_TRUE(WaitFor([&] { return w.edit->hasFocus(); }));
    EXPECT_EQ(w.edit->palette().color(QPalette::Base), QColor(0xFF, 0x00, 0xFF));
    EXPECT_EQ(sink.Texts(), QStringList{QStringLiteral("値が正しくありません")});
    EXPECT_EQ(sink.entries[0].kind, MessageSink::Kind::Error);
    EXPECT_EQ(errors, 1);
    EXPECT_TRUE(committed.empty());

    w.edit->setText(QStringLiteral("100"));
    testing::PressKey(w.edit, Qt::Key_Return);
    EXPECT_EQ(w.edit->palette().color(QPalette::Base), normal);
    EXPECT_EQ(committed, std::vector<double>{100.0});
    EXPECT_EQ(sink.entries.size(), 1u);

    // An empty field is no number: refused like a value out of range.
    w.edit->clear();
    EXPECT_FALSE(w.edit->Validate());
    EXPECT_TRUE(w.edit->HasRangeError());
    EXPECT_EQ(errors, 2);
}

TEST(NumericEditTest, ARangeErrorReportedThroughTheGuiSinkShowsOneBox) {
    EditWindow w(QStringLiteral("##"), 1, 10);
    MessageBoxSink sink(&w.window);
    w.edit->SetMessageSink(&sink);
    BoxCloser closer;
    w.edit->setFocus();
    testing::TypeText(w.edit, QStringLiteral("0"));
    testing::PressKey(w.edit, Qt::Key_Return);
    // The box took the activation; the field is the window's focus widget again when the
    // window gets it back.
    ASSERT_TRUE(WaitFor([&] { return !closer.seen.empty() && w.window.focusWidget() == w.edit; }));
    WaitFor([] { return false; }, 100);  // let any second report show up
    ASSERT_EQ(closer.seen.size(), 1u);
    EXPECT_EQ(closer.seen[0].text, QStringLiteral("値が正しくありません"));
    EXPECT_TRUE(w.edit->HasRangeError());
}

TEST(SoundTest, MissingFilesAreSilentAndPlayingDoesNotWait) {
    Sound sound;
    EXPECT_FALSE(sound.Play(QStringLiteral("/nonexistent/Sound0.Wav")));
    QTemporaryDir dir;
    // A tiny valid PCM WAV file (8 kHz, mono, 8 bit, 80 samples).
    QByteArray wav("RIFF");
    const quint32 dataSize = 80;
    auto le32 = [](quint32 v) { return QByteArray(reinterpret_cast<const char*>(&v), 4); };
    auto le16 = [](quint16 v) { return QByteArray(reinterpret_cast<const char*>(&v), 2); };
    wav += le32(36 + dataSize) + "WAVEfmt " + le32(16) + le16(1) + le16(1) + le32(8000) +
           le32(8000) + le16(1) + le16(8) + "data" + le32(dataSize) + QByteArray(dataSize, '\x80');
    const QString path = dir.filePath(QStringLiteral("Sound1.Wav"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(wav);
    f.close();
    EXPECT_TRUE(sound.Play(path));
    EXPECT_TRUE(sound.Play(path));  // again while the first may still play
    QCoreApplication::processEvents();
    // Torn down at once, while a file not loaded before is still loading: it must end
    // cleanly every time.
    for (int i = 0; i < 10; ++i) {
        const QString fresh = dir.filePath(QStringLiteral("Fresh%1.Wav").arg(i));
        ASSERT_TRUE(QFile::copy(path, fresh));
        Sound shortLived;
        EXPECT_TRUE(shortLived.Play(fresh));
    }
}

}  // namespace
}  // namespace tidrun

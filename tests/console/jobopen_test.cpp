// Opening a job through the main window, around its files and its message boxes: the
// settings file in another letter case, one that cannot be read, what a killed save left,
// and the receiver's messages through the one queue of boxes.
#include "console/gui/mainform.h"

#include "console/gui/rulertoolbar.h"
#include "platform/gui/messageboxsink.h"
#include "platform/gui/numericedit.h"
#include "positioning/gps.h"
#include "positioning/sentencelog.h"
#include "surveydata/codec.h"
#include "surveydata/config.h"
#include "surveydata/inifile.h"
#include "tests/console/jobfiles.h"
#include "tests/dialogs/gui_helpers.h"
#include "tests/receiver/receiver_support.h"
#include "tests/surveydata/testfiles.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace tidrun {
namespace {

using test::Pty;
using testing::BoxCloser;
using testing::WaitFor;

class JobOpenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(prog.isValid() && work.isValid());
        ASSERT_TRUE(WriteJobFiles(work.path()));
        TJobSettings settings;
        settings.Zone = QStringLiteral("9系");
        settings.JobName = QStringLiteral("港内測量");
        NameJobFiles(settings);
        ASSERT_TRUE(settings.Store(Path("Tidrun.CFG")));
        ASSERT_TRUE(TIniFile(TidrunIniPath(prog.path()))
                        .WriteString(QStringLiteral("Ports"), "COM1", pty.SlavePath()));
    }

    QString Path(const QString& name) const { return QDir(work.path()).filePath(name); }
    // Opens the work folder, its messages going to `sink`; the settings are taken as
    // stored unless `settingsShown` answers for the dialog.
    TMainForm& Open(MessageSink& sink) {
        form = std::make_unique<TMainForm>(sink, prog.path());
        AnswerOpenDialogs(*form, work.path(), sink);
        if (settingsShown)
            form->SetSettingsRunner(
                [this](TJobSettings&, const QString&) { return settingsShown(); });
        form->resize(1200, 800);
        form->show();
        form->FileOpen();
        return *form;
    }
    // The entries of the work folder that are the settings file in any letter case.
    QStringList CfgFiles() const {
        return QDir(work.path()).entryList({QStringLiteral("tidrun.cfg")}, QDir::Files);
    }

    QTemporaryDir prog, work;
    Pty pty;
    RecordingSink sink;
    std::function<bool()> settingsShown;
    std::unique_ptr<TMainForm> form;
};

// A job copied from Windows holds TIDRUN.CFG: its settings open the job, and its values go
// back into that file, no second one beside it.
TEST_F(JobOpenTest, ASettingsFileInAnotherLetterCaseIsReadAndWrittenBack) {
    ASSERT_TRUE(QFile::rename(Path("Tidrun.CFG"), Path("TIDRUN.CFG")));
    TMainForm& f = Open(sink);
    ASSERT_TRUE(f.IsOpen()) << sink.Texts().join(" | ").toStdString();
    EXPECT_EQ(f.ConfigPath(), Path("TIDRUN.CFG"));
    EXPECT_EQ(f.Caption(), QStringLiteral("Tidrun for GPS　港内測量（世界測地系）"));
    f.findChild<TCircleToolBar*>(QStringLiteral("tbCircle"))->edtCircleSize->setValue(7);
    EXPECT_TRUE(f.close());
    EXPECT_EQ(CfgFiles(), QStringList{QStringLiteral("TIDRUN.CFG")});
    EXPECT_EQ(TIniFile(Path("TIDRUN.CFG")).ReadInteger(QStringLiteral("設定"), "円定規(Size)", 0),
              7);
}

// A settings file that is there but cannot be read is named in a box that comes before the
// settings dialog.
TEST_F(JobOpenTest, AnUnreadableSettingsFileIsNamedBeforeTheSettingsDialog) {
    ASSERT_TRUE(QFile::remove(Path("Tidrun.CFG")));
    ASSERT_TRUE(QDir().mkdir(Path("Tidrun.CFG")));
    MessageBoxSink boxes;
    BoxCloser closer;
    QStringList beforeDialog;
    settingsShown = [&] {
        beforeDialog = closer.Texts();
        return false;  // cancelled
    };
    Open(boxes);
    EXPECT_EQ(beforeDialog,
              QStringList{QStringLiteral("ﾌｧｲﾙが読めません\r\nﾌｧｲﾙ名：") + Path("Tidrun.CFG")});
    WaitFor([] { return false; }, 200);
    EXPECT_EQ(closer.Texts(), beforeDialog);
}

// A save cut short by a kill leaves "<file>.XXXXXX" beside the file it replaces: the next
// open removes those of the files the console writes, and nothing else.
TEST_F(JobOpenTest, LeftoverCopiesOfCutShortSavesGoAtTheNextOpen) {
    const QString ini = TidrunIniPath(prog.path());
    const QStringList gone = {Path("Tidrun.CFG.a1B2c3"), ini + QStringLiteral(".Zz9Yy8"),
                              Path("MARK.DAT.QwErTy")};
    const QStringList kept = {Path("KIJUN.DAT.AbCdEf"), Path("Tidrun.CFG.bak"),
                              Path("Tidrun.CFG.abcdefg"), Path("Tidrun.CFG.ab-def"),
                              Path("MARK.DAT~")};
    for (const QString& p : gone + kept) testing::WriteBytes(p, "[設定]\r\n");
    ASSERT_TRUE(Open(sink).IsOpen()) << sink.Texts().join(" | ").toStdString();
    for (const QString& p : gone) EXPECT_FALSE(QFileInfo::exists(p)) << p.toStdString();
    for (const QString& p : kept) EXPECT_TRUE(QFileInfo::exists(p)) << p.toStdString();
}

// The receiver reports while it handles a sentence: its boxes come from the event loop,
// never inside the handler, through the one queue, where the same fault again and again
// makes one box.
TEST_F(JobOpenTest, ReceiverMessagesWaitForTheEventLoopAndRepeatAsOneBox) {
    MessageBoxSink boxes;
    TMainForm& f = Open(boxes);
    ASSERT_TRUE(f.IsOpen());
    BoxCloser closer;
    TSentenceLog log(boxes);  // as the line log reports while a position is handled
    for (int i = 0; i < 50; ++i) {
        log.SetLogFile(Path("no-such-folder/Line1.Log"));
        log.SetLogMode(TLogMode::lmOn);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
    EXPECT_EQ(log.LogMode(), TLogMode::lmOff);
    ASSERT_TRUE(WaitFor([&] { return !closer.seen.empty() && !boxes.BoxShowing(); }));
    WaitFor([] { return false; }, 200);  // any box still to come
    EXPECT_EQ(closer.Texts(), QStringList{QStringLiteral("ログファイル作成/終了エラー")});
}

}  // namespace
}  // namespace tidrun

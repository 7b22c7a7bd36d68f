// The settings dialog driven as a user would: controls filled, OK and Cancel pressed, the
// keys read back from Tidrun.CFG through the INI layer.
#include "console/gui/dialogs/setupform.h"
#include "platform/messagesink.h"
#include "surveydata/inifile.h"
#include "tests/dialogs/gui_helpers.h"
#include "tests/surveydata/testfiles.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <pty.h>
#include <unistd.h>

namespace tidrun {
namespace {

using testing::WaitFor;

const QString kSection = QStringLiteral("設定");

class SetupFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(work.isValid());
        cfg = QDir(work.path()).filePath(QStringLiteral("Tidrun.CFG"));
    }
    QString MakeFile(const QString& name) {
        const QString path = QDir(work.path()).filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return path;
    }
    QString PathIn(const QString& name) const { return QDir(work.path()).filePath(name); }
    QString Key(const QString& key, const QString& section = kSection) const {
        return TIniFile(cfg).ReadString(section, key, QStringLiteral("<absent>"));
    }
    // The two files that must exist, and recording and mark files that exist too.
    void FillRequiredFiles(TSetupForm& form) {
        form.edtTansa->setText(MakeFile(QStringLiteral("area.DAT")));
        form.edtKijun->setText(MakeFile(QStringLiteral("ref.DAT")));
        form.edtSokusen->setText(MakeFile(QStringLiteral("rec.DAT")));
        form.edtMisoku->setText(MakeFile(QStringLiteral("mark.DAT")));
    }
    // Presses OK on a shown (non-modal) form; true when it closed accepted.
    bool PressOk(TSetupForm& form) {
        form.show();
        form.accept();
        return !form.isVisible() && form.result() == QDialog::Accepted;
    }

    // A control of the depth page, found by its name.
    template <typename T>
    static T* Control(const TSetupForm& form, const char* name) {
        T* control = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    QTemporaryDir work;
    QString cfg;
    RecordingSink sink;
};

const QString kExt = QStringLiteral("拡張");
constexpr int kDepthPage = 3;

// The index of the page that holds `control` (-1 for none).
int PageOf(const TSetupForm& form, const QWidget* control) {
    for (int i = 0; i < form.PageControl->count(); ++i)
        if (form.PageControl->widget(i)->isAncestorOf(control)) return i;
    return -1;
}

TEST_F(SetupFormTest, AFreshWorkFolderShowsTheDefaultsOnTheFivePages) {
    TSetupForm form(sink);
    form.Load(cfg);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("初期設定"));
    ASSERT_EQ(form.PageControl->count(), 5);
    EXPECT_EQ(form.PageControl->tabText(0), QStringLiteral("基本ﾃﾞｰﾀ"));
    EXPECT_EQ(form.PageControl->tabText(1), QStringLiteral("座標変換"));
    EXPECT_EQ(form.PageControl->tabText(2), QStringLiteral("受信ﾃﾞｰﾀ"));
    EXPECT_EQ(form.PageControl->tabText(3), QStringLiteral("測深"));
    EXPECT_EQ(form.PageControl->tabText(4), QStringLiteral("その他"));
    EXPECT_EQ(form.cbxPort->currentText(), QStringLiteral("COM1"));
    EXPECT_EQ(form.cbxSpeed->currentText(), QStringLiteral("4800"));
    EXPECT_EQ(form.cbxGpsDatum->currentText(), QStringLiteral("WGS84"));
    EXPECT_TRUE(form.rbCutAuto->isChecked());
    EXPECT_EQ(form.cbxMapDatum->currentText(), QStringLiteral("世界測地系"));
    EXPECT_EQ(form.cbxZone->currentText(), QStringLiteral("5系"));
    EXPECT_EQ(form.cbxZone->count(), 19);
    EXPECT_EQ(form.cbxOutPort->currentText(), QStringLiteral("COM2"));
    EXPECT_EQ(form.cbxOutSpeed->currentText(), QStringLiteral("4800"));
    EXPECT_TRUE(form.rbOutNone->isChecked());
    EXPECT_EQ(form.cbxInterval->currentText(), QStringLiteral("30"));
    EXPECT_TRUE(form.rbShiftNew->isChecked());
    EXPECT_EQ(form.cbxMapColor->currentText(), QStringLiteral("青緑"));
    // The colours by their Japanese names, each kept in the file by its own name.
    QStringList shown, kept;
    for (int i = 0; i < form.cbxMapColor->count(); ++i) {
        shown << form.cbxMapColor->itemText(i);
        kept << form.cbxMapColor->itemData(i).toString();
    }
    EXPECT_EQ(shown.join(' '), QStringLiteral("黒 栗色 緑 オリーブ 濃紺 紫 青緑 灰色 銀色 赤 "
                                              "黄緑 黄 青 赤紫 水色 白"));
    EXPECT_EQ(kept, TJobSettings::ColorChoices());
    EXPECT_EQ(form.edtJobName->maxLength(), 34);
    EXPECT_EQ(form.rbCutAll->text(), QStringLiteral("全データ"));
    EXPECT_EQ(form.rbOutData->text(), QStringLiteral("受信データ"));
    EXPECT_EQ(form.cbxGpsDatum->itemText(1), QStringLiteral("旧日本(ﾍﾞｯｾﾙ)"));
}

TEST_F(SetupFormTest, OkStoresEveryControlUnderItsKeyAndTheNextOpenShowsThem) {
    TSetupForm form(sink);
    form.Load(cfg);
    form.edtJobName->setText(QStringLiteral("木更津港 深浅測量"));
    FillRequiredFiles(form);
    form.edtIjo->setText(QStringLiteral("  ") + MakeFile(QStringLiteral("buoy.TXT")) +
                         QStringLiteral(" "));
    form.cbxMapDatum->setCurrentIndex(1);
    form.rbShiftOld->setChecked(true);
    form.cbxZone->setCurrentText(QStringLiteral("9系"));
    form.cbxPort->setCurrentText(QStringLiteral("COM3"));
    form.cbxSpeed->setCurrentText(QStringLiteral("9600"));
    form.cbxGpsDatum->setCurrentIndex(1);
    form.rbCutManual->setChecked(true);
    form.cbxInterval->setEditText(QStringLiteral("15"));
    form.rbOutText->setChecked(true);
    form.cbxOutPort->setCurrentText(QStringLiteral("COM4"));
    form.cbxOutSpeed->setCurrentText(QStringLiteral("9600"));
    form.edtOutText->setText(QStringLiteral("CUT"));
    form.cbxMapColor->setCurrentText(QStringLiteral("濃紺"));
    ASSERT_TRUE(PressOk(form)) << sink.Texts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(sink.entries.empty());

    EXPECT_EQ(Key(QStringLiteral("工事名")), QStringLiteral("木更津港 深浅測量"));
    EXPECT_EQ(Key(QStringLiteral("調査")), PathIn(QStringLiteral("area.DAT")));
    EXPECT_EQ(Key(QStringLiteral("基準")), PathIn(QStringLiteral("ref.DAT")));
    EXPECT_EQ(Key(QStringLiteral("収録")), PathIn(QStringLiteral("rec.DAT")));
    EXPECT_EQ(Key(QStringLiteral("マーク")), PathIn(QStringLiteral("mark.DAT")));
    EXPECT_EQ(Key(QStringLiteral("地図座標系")), QStringLiteral("旧日本測地系"));
    EXPECT_EQ(Key(QStringLiteral("平面座標")), QStringLiteral("9系"));
    EXPECT_FALSE(TIniFile(cfg).ReadBool(kSection, QStringLiteral("変換新"), true));
    EXPECT_EQ(Key(QStringLiteral("通信")), QStringLiteral("COM3"));
    EXPECT_EQ(Key(QStringLiteral("速度")), QStringLiteral("9600"));
    EXPECT_EQ(Key(QStringLiteral("座標系")), QStringLiteral("旧日本(ﾍﾞｯｾﾙ)"));
    EXPECT_EQ(Key(QStringLiteral("収録方法")), QStringLiteral("手動"));
    EXPECT_EQ(Key(QStringLiteral("間隔")), QStringLiteral("15"));
    EXPECT_EQ(Key(QStringLiteral("転送方法")), QStringLiteral("文字"));
    EXPECT_EQ(Key(QStringLiteral("転送通信")), QStringLiteral("COM4"));
    EXPECT_EQ(Key(QStringLiteral("転送速度")), QStringLiteral("9600"));
    EXPECT_EQ(Key(QStringLiteral("転送文字")), QStringLiteral("CUT"));
    EXPECT_EQ(Key(QStringLiteral("平面図"), QStringLiteral("Color")), QStringLiteral("Navy"));

    // The getters hand the main window trimmed paths and the item indexes.
    EXPECT_EQ(form.IjoPath(), PathIn(QStringLiteral("buoy.TXT")));
    EXPECT_TRUE(form.SurveyAreaChanged());
    EXPECT_EQ(form.Settings().ZoneIndex(), 8);
    EXPECT_EQ(form.Settings().CutMethodIndex(), 1);
    EXPECT_EQ(form.Settings().MapDatumIndex(), 1);

    TSetupForm again(sink);
    again.Load(cfg);
    EXPECT_EQ(again.edtJobName->text(), QStringLiteral("木更津港 深浅測量"));
    EXPECT_EQ(again.cbxZone->currentText(), QStringLiteral("9系"));
    EXPECT_TRUE(again.rbShiftOld->isChecked());
    EXPECT_TRUE(again.rbCutManual->isChecked());
    EXPECT_TRUE(again.rbOutText->isChecked());
    EXPECT_EQ(again.cbxMapColor->currentText(), QStringLiteral("濃紺"));
    EXPECT_EQ(again.cbxPort->currentText(), QStringLiteral("COM3"));
    // Unchanged survey area on the second OK.
    ASSERT_TRUE(PressOk(again));
    EXPECT_FALSE(again.SurveyAreaChanged());
}

TEST_F(SetupFormTest, OkChecksTheFilesInOrderAndStoresNothingUntilAllPass) {
    TSetupForm form(sink);
    form.Load(cfg);
    form.show();
    struct Step {
        std::function<void()> change;
        QString expected;
    };
    const std::vector<Step> steps = {
        {[] {}, QStringLiteral("調査区域ﾌｧｲﾙ名を入力して下さい")},
        {[&] { form.edtTansa->setText(PathIn(QStringLiteral("none.DAT"))); },
         QStringLiteral("調査区域ﾌｧｲﾙが見つかりません")},
        {[&] { form.edtTansa->setText(MakeFile(QStringLiteral("area.DAT"))); },
         QStringLiteral("基準点ﾌｧｲﾙ名を入力して下さい")},
        {[&] { form.edtKijun->setText(PathIn(QStringLiteral("none.DAT"))); },
         QStringLiteral("基準点ﾌｧｲﾙが見つかりません")},
        {[&] {
             form.edtKijun->setText(MakeFile(QStringLiteral("ref.DAT")));
             form.edtIjo->setText(PathIn(QStringLiteral("none.DAT")));
         },
         QStringLiteral("設標ﾌｧｲﾙが見つかりません")},
        {[&] { form.edtIjo->setText(QStringLiteral("   ")); },
         QStringLiteral("収録ﾌｧｲﾙ名を入力して下さい")},
        {[&] { form.edtSokusen->setText(MakeFile(QStringLiteral("rec.DAT"))); },
         QStringLiteral("マークﾌｧｲﾙ名を入力して下さい")},
        {[&] {
             form.edtMisoku->setText(MakeFile(QStringLiteral("mark.DAT")));
             form.cbxInterval->setEditText(QStringLiteral("9"));
         },
         QStringLiteral("自動収録の間隔は10秒以上を指定してください")},
    };
    for (const Step& step : steps) {
        sink.entries.clear();
        step.change();
        form.accept();
        ASSERT_EQ(sink.Texts(), QStringList{step.expected});
        EXPECT_EQ(sink.entries[0].kind, MessageSink::Kind::Error);
        EXPECT_TRUE(form.isVisible()) << step.expected.toStdString();
        EXPECT_FALSE(QFile::exists(cfg)) << step.expected.toStdString();
    }
    // The same short interval is fine when cuts are taken by hand.
    sink.entries.clear();
    form.rbCutManual->setChecked(true);
    form.accept();
    EXPECT_TRUE(sink.entries.empty());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(Key(QStringLiteral("間隔")), QStringLiteral("9"));
}

// Text that goes into Tidrun.CFG must survive code page 932: OK names the character that
// cannot be stored and keeps the dialog open; what input methods type for ～ is stored as
// Windows stores it.
TEST_F(SetupFormTest, OkRefusesTextThatCannotBeStored) {
    TSetupForm form(sink);
    form.Load(cfg);
    FillRequiredFiles(form);
    const QString area = form.edtTansa->text();
    struct Case {
        std::function<void()> change;
        QString expected;
    };
    const Case cases[] = {
        {[&] { form.edtJobName->setText(QStringLiteral("Café 港")); },
         QStringLiteral("工事名に保存できない文字「é」(U+00E9)があります")},
        {[&] {
             form.edtJobName->setText(QStringLiteral("港〜湾"));
             form.edtTansa->setText(area + QStringLiteral("🚢"));
         },
         QStringLiteral("調査区域ﾌｧｲﾙ名に保存できない文字「🚢」(U+1F6A2)があります")},
    };
    for (const Case& c : cases) {
        sink.entries.clear();
        c.change();
        EXPECT_FALSE(PressOk(form));
        EXPECT_EQ(sink.Texts(), QStringList{c.expected});
        EXPECT_TRUE(form.isVisible());
        EXPECT_FALSE(QFile::exists(cfg));
    }
    sink.entries.clear();
    form.edtTansa->setText(area);
    EXPECT_TRUE(PressOk(form));
    EXPECT_TRUE(sink.entries.empty());
    QFile f(cfg);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("\x8d\x60\x81\x60\x98\x70"));  // 港～湾 in cp932
}

TEST_F(SetupFormTest, AMissingRecordingFileIsCreatedOnYesAndRefusedOnNo) {
    TSetupForm form(sink);
    form.Load(cfg);
    FillRequiredFiles(form);
    const QString rec = PathIn(QStringLiteral("new.DAT"));
    form.edtSokusen->setText(rec);
    sink.answer = false;
    EXPECT_FALSE(PressOk(form));
    EXPECT_EQ(sink.questions, QStringList{rec + QStringLiteral("\r\n\n新規で作成しますか")});
    EXPECT_EQ(sink.Texts(), QStringList{QStringLiteral("収録ﾌｧｲﾙが見つかりません")});
    EXPECT_FALSE(QFile::exists(rec));

    sink.entries.clear();
    sink.answer = true;
    ASSERT_TRUE(PressOk(form));
    EXPECT_TRUE(QFile::exists(rec));
    EXPECT_EQ(QFileInfo(rec).size(), 0);
    EXPECT_EQ(Key(QStringLiteral("収録")), rec);
}

TEST_F(SetupFormTest, StoredValuesOutsideTheChoicesSurviveAnOk) {
    {
        TIniFile ini(cfg);
        ini.WriteString(kSection, QStringLiteral("速度"), QStringLiteral("19200"));
        ini.WriteString(kSection, QStringLiteral("平面座標"), QStringLiteral("20系"));
        ini.WriteString(kSection, QStringLiteral("間隔"), QStringLiteral("45"));
    }
    TSetupForm form(sink);
    form.Load(cfg);
    EXPECT_EQ(form.cbxSpeed->currentIndex(), -1);
    EXPECT_EQ(form.cbxInterval->currentText(), QStringLiteral("45"));
    FillRequiredFiles(form);
    ASSERT_TRUE(PressOk(form));
    EXPECT_EQ(Key(QStringLiteral("速度")), QStringLiteral("19200"));
    EXPECT_EQ(Key(QStringLiteral("平面座標")), QStringLiteral("20系"));
    EXPECT_EQ(Key(QStringLiteral("間隔")), QStringLiteral("45"));
    EXPECT_EQ(form.Settings().ZoneIndex(), 18);
}

TEST_F(SetupFormTest, CancelBringsBackTheStoredValues) {
    {
        TIniFile ini(cfg);
        ini.WriteString(kSection, QStringLiteral("工事名"), QStringLiteral("保存済み"));
        ini.WriteString(kSection, QStringLiteral("収録方法"), QStringLiteral("全データ"));
    }
    const QByteArray before = [&] {
        QFile f(cfg);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    TSetupForm form(sink);
    form.Load(cfg);
    form.show();
    form.edtJobName->setText(QStringLiteral("変更"));
    form.rbCutAuto->setChecked(true);
    form.reject();
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_EQ(form.edtJobName->text(), QStringLiteral("保存済み"));
    EXPECT_TRUE(form.rbCutAll->isChecked());
    QFile f(cfg);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), before);
}

TEST_F(SetupFormTest, ControlsAreEnabledOnlyWhereTheirChoiceMatters) {
    TSetupForm form(sink);
    form.Load(cfg);
    EXPECT_FALSE(form.rbShiftNew->isEnabled());
    EXPECT_FALSE(form.rbShiftOld->isEnabled());
    form.cbxMapDatum->setCurrentText(QStringLiteral("旧日本測地系"));
    EXPECT_TRUE(form.rbShiftNew->isEnabled());
    EXPECT_TRUE(form.rbShiftOld->isEnabled());

    EXPECT_TRUE(form.cbxInterval->isEnabled());
    EXPECT_TRUE(form.lblIntervalHint->isEnabled());
    EXPECT_EQ(form.lblIntervalHint->text(), QStringLiteral("10秒以上"));
    for (QRadioButton* rb : {form.rbCutManual, form.rbCutAll}) {
        rb->setChecked(true);
        EXPECT_FALSE(form.cbxInterval->isEnabled());
        EXPECT_FALSE(form.lblInterval->isEnabled());
        EXPECT_FALSE(form.lblIntervalHint->isEnabled());
    }
    form.rbCutAuto->setChecked(true);
    EXPECT_TRUE(form.cbxInterval->isEnabled());

    EXPECT_FALSE(form.edtOutText->isEnabled());
    form.rbOutText->setChecked(true);
    EXPECT_TRUE(form.edtOutText->isEnabled());
    form.rbOutData->setChecked(true);
    EXPECT_FALSE(form.edtOutText->isEnabled());
}

TEST_F(SetupFormTest, TheIntervalTakesAtMostFourDigits) {
    TSetupForm form(sink);
    form.Load(cfg);
    form.show();
    QLineEdit* edit = form.cbxInterval->lineEdit();
    edit->clear();
    testing::TypeText(edit, QStringLiteral("1a5x-.") + QChar(0x3000));
    EXPECT_EQ(edit->text(), QStringLiteral("15"));
    testing::TypeText(edit, QStringLiteral("9999"));
    EXPECT_EQ(edit->text(), QStringLiteral("1599"));
    testing::PressKey(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), QStringLiteral("159"));
}

TEST_F(SetupFormTest, PortChoosersShowWhereTheNameLeadsButStoreThePlainName) {
    TSetupForm form(sink);
    form.SetPortDescriber([](const QString& name) {
        return name == QStringLiteral("COM1") ? QStringLiteral("replay:track.nmea")
                                              : QStringLiteral("/dev/ttyS") + name.right(1);
    });
    form.Load(cfg);
    EXPECT_EQ(form.lblPortTarget->text(), QStringLiteral("replay:track.nmea"));
    EXPECT_EQ(form.lblOutPortTarget->text(), QStringLiteral("/dev/ttyS2"));
    form.cbxOutPort->setCurrentText(QStringLiteral("COM7"));
    EXPECT_EQ(form.lblOutPortTarget->text(), QStringLiteral("/dev/ttyS7"));
    FillRequiredFiles(form);
    ASSERT_TRUE(PressOk(form));
    EXPECT_EQ(Key(QStringLiteral("通信")), QStringLiteral("COM1"));
    EXPECT_EQ(Key(QStringLiteral("転送通信")), QStringLiteral("COM7"));
}

TEST_F(SetupFormTest, ExecuteOpensOnTheFirstPageWithTheFocusOnTheJobName) {
    TSetupForm form(sink);
    form.PageControl->setCurrentIndex(2);
    int page = -1;
    bool jobNameFocused = false;
    auto timer = testing::OnModal<TSetupForm>([&](TSetupForm* shown) {
        WaitFor([&] { return shown->edtJobName->hasFocus(); }, 2000);
        page = shown->PageControl->currentIndex();
        jobNameFocused = shown->edtJobName->hasFocus();
        shown->edtJobName->setText(QStringLiteral("取消される"));
        shown->reject();
    });
    EXPECT_FALSE(form.Execute(cfg));
    EXPECT_EQ(page, 0);
    EXPECT_TRUE(jobNameFocused);
    EXPECT_EQ(form.edtJobName->text(), QString());
    EXPECT_FALSE(QFile::exists(cfg));
}

TEST_F(SetupFormTest, BrowseButtonsSetUpTheFileDialogAndPutTheChoiceInTheEdit) {
    TSetupForm form(sink);
    form.Load(cfg);
    form.show();
    const QString area = MakeFile(QStringLiteral("area.DAT"));
    struct Case {
        QPushButton* button;
        QLineEdit* edit;
        QString title;
        QFileDialog::FileMode mode;
        QString choose;
    };
    const std::vector<Case> cases = {
        {form.btnTansa, form.edtTansa, QStringLiteral("調査区域ﾌｧｲﾙの読込"),
         QFileDialog::ExistingFile, area},
        {form.btnKijun, form.edtKijun, QStringLiteral("基準点ﾌｧｲﾙの読込"),
         QFileDialog::ExistingFile, area},
        {form.btnIjo, form.edtIjo, QStringLiteral("設標点ﾌｧｲﾙの読込"), QFileDialog::ExistingFile,
         area},
        {form.btnSokusen, form.edtSokusen, QStringLiteral("収録ﾌｧｲﾙの読込"), QFileDialog::AnyFile,
         PathIn(QStringLiteral("new.DAT"))},
        {form.btnMisoku, form.edtMisoku, QStringLiteral("マークﾌｧｲﾙの読込"), QFileDialog::AnyFile,
         PathIn(QStringLiteral("marks.DAT"))},
    };
    for (const Case& c : cases) {
        QString title;
        QStringList filters;
        QString suffix;
        QFileDialog::FileMode mode = QFileDialog::Directory;
        form.SetFileDialogRunner([&](QFileDialog& dialog) {
            title = dialog.windowTitle();
            filters = dialog.nameFilters();
            suffix = dialog.defaultSuffix();
            mode = dialog.fileMode();
            return c.choose;
        });
        c.button->click();
        EXPECT_EQ(title, c.title);
        EXPECT_EQ(filters, (QStringList{QStringLiteral("測量データ (*.DAT *.TXT)"),
                                        QStringLiteral("全てのﾌｧｲﾙ (*.*)")}));
        EXPECT_EQ(suffix, QStringLiteral("DAT"));
        EXPECT_EQ(mode, c.mode);
        EXPECT_EQ(c.edit->text(), QDir::toNativeSeparators(c.choose));
    }
}

TEST_F(SetupFormTest, CancellingTheRealFileDialogLeavesThePathAlone) {
    TSetupForm form(sink);
    form.Load(cfg);
    form.show();
    form.edtKijun->setText(QStringLiteral("ref.DAT"));
    QString title;
    auto timer = testing::OnModal<QFileDialog>([&](QFileDialog* dialog) {
        title = dialog->windowTitle();
        dialog->reject();
    });
    form.btnKijun->click();
    EXPECT_EQ(title, QStringLiteral("基準点ﾌｧｲﾙの読込"));
    EXPECT_EQ(form.edtKijun->text(), QStringLiteral("ref.DAT"));
}

// A browse dialog opens where the file already named lies, else in the work folder.
TEST_F(SetupFormTest, BrowseOpensInTheFolderOfTheNamedFileOrTheWorkFolder) {
    ASSERT_TRUE(QDir(work.path()).mkpath(QStringLiteral("data/sub")));
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    TSetupForm form(sink);
    form.Load(cfg);
    form.show();
    const QString workDir = QFileInfo(work.path()).canonicalFilePath();
    const struct {
        QString named;
        QString opensIn;
    } cases[] = {
        {QString(), workDir},
        {QStringLiteral("data/sub/KIJUN.DAT"), QDir(workDir).filePath("data/sub")},
        {QDir(elsewhere.path()).filePath("x.DAT"), QFileInfo(elsewhere.path()).canonicalFilePath()},
        {QStringLiteral("/no/such/folder/x.DAT"), workDir},
    };
    for (const auto& c : cases) {
        form.edtKijun->setText(c.named);
        QString shown;
        form.SetFileDialogRunner([&](QFileDialog& dialog) {
            shown = QFileInfo(dialog.directory().absolutePath()).canonicalFilePath();
            return QString();
        });
        form.btnKijun->click();
        EXPECT_EQ(shown, c.opensIn) << c.named.toStdString();
    }
}

// A long port description is cut in the middle; the whole text is its tooltip.
TEST_F(SetupFormTest, LongPortDescriptionKeepsTheDialogWidth) {
    const QString longPath = QStringLiteral("COM1 → replay:/") +
                             QStringLiteral("very-long-folder-name/").repeated(8) +
                             QStringLiteral("track.nmea");
    ASSERT_GT(longPath.size(), 190);
    TSetupForm form(sink);
    form.SetPortDescriber([&](const QString&) { return longPath; });
    form.Load(cfg);
    form.show();
    form.PageControl->setCurrentIndex(2);
    EXPECT_EQ(form.lblPortTarget->toolTip(), longPath);
    EXPECT_TRUE(form.lblPortTarget->text().contains(QChar(0x2026)));  // …
    EXPECT_TRUE(form.lblPortTarget->text().startsWith(QStringLiteral("COM1")));
    EXPECT_TRUE(form.lblPortTarget->text().endsWith(QStringLiteral("track.nmea")));
    EXPECT_LT(form.sizeHint().width(), 900);
}

// Beside each port name the user picks where it leads; the choice goes to [Ports] of
// Tidrun.INI on OK, the port name stays in Tidrun.CFG.
TEST_F(SetupFormTest, DeviceChooserKeepsTheChoiceInThePortsSection) {
    QTemporaryDir prog;
    ASSERT_TRUE(prog.isValid());
    const QString ini = QDir(prog.path()).filePath(QStringLiteral("Tidrun.INI"));
    ASSERT_TRUE(TIniFile(ini).WriteString("Ports", "COM2", "/dev/ttyGone9"));
    const QString track = MakeFile(QStringLiteral("track.nmea"));
    TSetupForm form(sink);
    form.SetPortsFile(ini, prog.path());
    form.Load(cfg);
    form.show();
    QComboBox* devices = form.cbxPortDevice;
    ASSERT_FALSE(devices->isHidden());
    EXPECT_EQ(devices->currentText(), QStringLiteral("既定（/dev/ttyS0）"));
    EXPECT_EQ(devices->itemText(devices->count() - 1), QStringLiteral("再生ファイル..."));
    // A mapped device that is not plugged in is shown as such; one the system does not list
    // but that is there (a pseudo-terminal) by its path.
    form.cbxOutPort->setCurrentText(QStringLiteral("COM2"));
    EXPECT_EQ(form.cbxOutPortDevice->currentText(),
              QStringLiteral("/dev/ttyGone9（接続されていません）"));
    {
        int master = -1, slave = -1;
        char name[256] = {};
        ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
        const QString pts = QString::fromLocal8Bit(name);
        ASSERT_TRUE(TIniFile(ini).WriteString("Ports", "COM3", pts));
        form.Load(cfg);
        form.cbxOutPort->setCurrentText(QStringLiteral("COM3"));
        EXPECT_EQ(form.cbxOutPortDevice->currentText(), pts);
        ::close(slave);
        ::close(master);
        ASSERT_TRUE(TIniFile(ini).WriteString("Ports", "COM3", QString()));
        form.Load(cfg);
    }

    // A replay file: cancelled first (nothing changes), then chosen.
    QString chosen;
    form.SetFileDialogRunner([&](QFileDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("再生ファイルの選択"));
        return chosen;
    });
    auto pick = [&](const QString& text) {
        const int i = devices->findText(text);
        ASSERT_GE(i, 0) << text.toStdString();
        devices->setCurrentIndex(i);
        emit devices->activated(i);
    };
    pick(QStringLiteral("再生ファイル..."));
    EXPECT_EQ(form.PortMapping("COM1"), QString());
    EXPECT_EQ(devices->currentIndex(), 0);
    // The sounder's chooser shows the same port name's choice, and none without a port.
    auto* depthSource = Control<QComboBox>(form, "cbxDepthSource");
    auto* depthDevices = Control<QComboBox>(form, "cbxDepthPortDevice");
    ASSERT_TRUE(depthSource && depthDevices);
    depthSource->setCurrentText(QStringLiteral("COM1"));
    chosen = track;
    pick(QStringLiteral("再生ファイル..."));
    EXPECT_EQ(form.PortMapping("COM1"), "replay:" + track);
    EXPECT_EQ(devices->currentText(), "replay:" + track);
    EXPECT_EQ(depthDevices->currentText(), "replay:" + track);
    depthSource->setCurrentText(QStringLiteral("転送通信"));
    EXPECT_EQ(depthDevices->count(), 0);
    EXPECT_FALSE(depthDevices->isEnabled());
    depthSource->setCurrentText(QStringLiteral("しない"));
    EXPECT_EQ(form.lblPortTarget->toolTip(), "COM1 → replay:" + track);
    EXPECT_TRUE(TIniFile(ini).ReadString("Ports", "COM1", {}).isEmpty());  // not before OK

    FillRequiredFiles(form);
    ASSERT_TRUE(PressOk(form));
    EXPECT_EQ(TIniFile(ini).ReadString("Ports", "COM1", {}), "replay:" + track);
    EXPECT_EQ(TIniFile(ini).ReadString("Ports", "COM2", {}), "/dev/ttyGone9");
    EXPECT_EQ(Key(QStringLiteral("通信")), QStringLiteral("COM1"));

    // Back to the default, then cancelled: the file keeps the replay.
    form.Load(cfg);
    form.show();
    pick(devices->itemText(0));
    EXPECT_EQ(form.PortMapping("COM1"), QString());
    form.reject();
    EXPECT_EQ(TIniFile(ini).ReadString("Ports", "COM1", {}), "replay:" + track);
    EXPECT_EQ(form.PortMapping("COM1"), "replay:" + track);
}

// The depth page shows the [拡張] keys as stored, and OK stores what the controls hold.
TEST_F(SetupFormTest, TheDepthPageLoadsAndStoresItsOwnSection) {
    {
        TIniFile ini(cfg);
        ini.WriteString(kExt, QStringLiteral("測深入力"), QStringLiteral("COM5"));
        ini.WriteString(kExt, QStringLiteral("測深速度"), QStringLiteral("9600"));
        ini.WriteString(kExt, QStringLiteral("喫水"), QStringLiteral("0.45"));
        ini.WriteString(kExt, QStringLiteral("距離間隔"), QStringLiteral("2.5"));
        ini.WriteString(kExt, QStringLiteral("時刻付きログ"), QStringLiteral("1"));
    }
    TSetupForm form(sink);
    form.Load(cfg);
    auto* source = Control<QComboBox>(form, "cbxDepthSource");
    auto* speed = Control<QComboBox>(form, "cbxDepthSpeed");
    auto* draft = Control<QLineEdit>(form, "edtDraft");
    auto* distance = Control<QLineEdit>(form, "edtCutDistance");
    auto* rawLog = Control<QCheckBox>(form, "chkRawLog");
    ASSERT_TRUE(source && speed && draft && distance && rawLog);
    EXPECT_EQ(source->currentText(), QStringLiteral("COM5"));
    EXPECT_EQ(speed->currentText(), QStringLiteral("9600"));
    EXPECT_EQ(draft->text(), QStringLiteral("0.45"));
    EXPECT_EQ(distance->text(), QStringLiteral("2.5"));
    EXPECT_TRUE(rawLog->isChecked());
    EXPECT_EQ(PageOf(form, source), kDepthPage);

    // The speed is the sounder's only on a port of its own.
    const std::pair<const char*, bool> sources[] = {
        {"しない", false}, {"転送通信", false}, {"COM3", true}, {"COM8", true}};
    for (const auto& [choice, ownPort] : sources) {
        source->setCurrentText(QString::fromUtf8(choice));
        EXPECT_EQ(speed->isEnabled(), ownPort) << choice;
    }

    struct Change {
        std::function<void()> edit;
        const char* key;
        QString stored;
    };
    const Change changes[] = {
        {[&] { source->setCurrentText(QStringLiteral("転送通信")); }, "測深入力", "転送通信"},
        {[&] { speed->setCurrentText(QStringLiteral("4800")); }, "測深速度", "4800"},
        {[&] { draft->setText(QStringLiteral("1.2")); }, "喫水", "1.2"},
        {[&] { distance->setText(QStringLiteral("0")); }, "距離間隔", "0"},
        {[&] { rawLog->setChecked(false); }, "時刻付きログ", "0"},
    };
    for (const Change& c : changes) c.edit();
    FillRequiredFiles(form);
    ASSERT_TRUE(PressOk(form)) << sink.Texts().join(QLatin1Char('|')).toStdString();
    for (const Change& c : changes)
        EXPECT_EQ(Key(QString::fromUtf8(c.key), kExt), c.stored) << c.key;
    EXPECT_EQ(form.Settings().DepthSourceIndex(), 1);
    EXPECT_EQ(form.Settings().EffectiveCutMethod(), 0);
}

// A bad value is refused with one message, on the page of its field and with the focus on
// it; nothing is stored.
TEST_F(SetupFormTest, ABadDepthValueIsRefusedOnItsPageWithTheFocusOnIt) {
    TSetupForm form(sink);
    form.Load(cfg);
    FillRequiredFiles(form);
    auto* source = Control<QComboBox>(form, "cbxDepthSource");
    auto* speed = Control<QComboBox>(form, "cbxDepthSpeed");
    auto* draft = Control<QLineEdit>(form, "edtDraft");
    auto* distance = Control<QLineEdit>(form, "edtCutDistance");
    ASSERT_TRUE(source && speed && draft && distance);
    struct Case {
        std::function<void()> change;
        QString expected;
        QWidget* focused;
    };
    const Case cases[] = {
        {[&] {
             form.rbOutText->setChecked(true);
             form.edtOutText->setText(QStringLiteral("No.{cut} {nama}"));
         },
         QStringLiteral("転送文字に使えない項目「{nama}」があります\r\n"
                        "使える項目：{cut} {serial} {line} {depth} {time}"),
         form.edtOutText},
        {[&] {
             form.edtOutText->setText(QStringLiteral("No.{cut}"));
             source->setCurrentText(QStringLiteral("COM1"));
         },
         QStringLiteral("測深入力にGPSと同じ通信ポートは使えません"), source},
        {[&] { source->setCurrentText(QStringLiteral("COM2")); },
         QStringLiteral("測深入力に転送と同じ通信ポートは使えません\r\n"
                        "同じケーブルで受けるときは「転送通信」を選んで下さい"),
         source},
        {[&] { source->setCurrentText(QStringLiteral("COM3")); }, QString(), nullptr},
        {[&] { draft->setText(QStringLiteral("10")); },
         QStringLiteral("喫水は0.00～9.99mで入力して下さい"), draft},
        {[&] { draft->setText(QString()); }, QStringLiteral("喫水は0.00～9.99mで入力して下さい"),
         draft},
        {[&] {
             draft->setText(QStringLiteral("9.99"));
             distance->setText(QStringLiteral("0.05"));
         },
         QStringLiteral("距離間隔は0.1～1000mで入力して下さい（0は距離で収録しない）"), distance},
        {[&] { distance->setText(QStringLiteral("1000.5")); },
         QStringLiteral("距離間隔は0.1～1000mで入力して下さい（0は距離で収録しない）"), distance},
    };
    form.show();
    for (const Case& c : cases) {
        c.change();
        if (!c.focused) continue;  // a step towards the next case
        sink.entries.clear();
        form.PageControl->setCurrentIndex(0);
        form.edtJobName->setFocus();
        form.accept();
        EXPECT_EQ(sink.Texts(), QStringList{c.expected});
        EXPECT_TRUE(form.isVisible()) << c.expected.toStdString();
        EXPECT_EQ(form.PageControl->currentIndex(), PageOf(form, c.focused))
            << c.expected.toStdString();
        EXPECT_EQ(form.focusWidget(), c.focused) << c.expected.toStdString();
        EXPECT_FALSE(QFile::exists(cfg)) << c.expected.toStdString();
    }
    sink.entries.clear();
    distance->setText(QStringLiteral("1000"));
    EXPECT_TRUE(PressOk(form));
    EXPECT_TRUE(sink.entries.empty()) << sink.Texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(Key(QStringLiteral("喫水"), kExt), QStringLiteral("9.99"));
}

// A job file written elsewhere goes through an OK unchanged byte for byte; using the depth
// page only adds the program's own section at the end.
TEST_F(SetupFormTest, AJobFileKeepsItsBytesThroughAnOk) {
    for (const char* name : {"area.DAT", "ref.DAT", "rec.DAT", "mark.DAT"})
        MakeFile(QString::fromLatin1(name));
    const QString before = QStringLiteral(
        "[設定]\r\n通信=COM1\r\n速度=4800\r\n転送通信=COM2\r\n転送速度=4800\r\n"
        "転送方法=しない\r\n座標系=WGS84\r\n収録方法=自動\r\n間隔=30\r\n"
        "地図座標系=世界測地系\r\n平面座標=9系\r\n工事名=木更津港\r\n基準=ref.DAT\r\n"
        "調査=area.DAT\r\n設標=\r\n収録=rec.DAT\r\nマーク=mark.DAT\r\n転送文字=\r\n"
        "変換新=1\r\n[Color]\r\n平面図=Teal\r\n[MapForm]\r\nLeft=10\r\n");
    testing::WriteSjis(cfg, before);
    const QByteArray bytes = testing::ReadBytes(cfg);
    {
        TSetupForm form(sink);
        form.Load(cfg);
        ASSERT_TRUE(PressOk(form)) << sink.Texts().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(testing::ReadBytes(cfg), bytes);
    }
    TSetupForm form(sink);
    form.Load(cfg);
    Control<QComboBox>(form, "cbxDepthSource")->setCurrentText(QStringLiteral("転送通信"));
    Control<QLineEdit>(form, "edtDraft")->setText(QStringLiteral("0.5"));
    ASSERT_TRUE(PressOk(form)) << sink.Texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(testing::ReadSjis(cfg),
              before + QStringLiteral("[拡張]\r\n測深入力=転送通信\r\n測深速度=4800\r\n"
                                      "喫水=0.5\r\n距離間隔=0\r\n時刻付きログ=0\r\n"));
}

}  // namespace
}  // namespace tidrun

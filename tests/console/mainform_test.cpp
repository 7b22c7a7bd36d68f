// The main window driven as a user meets it: a work folder of code page 932 files on disk,
// a receiver on a pseudo-terminal, the real widgets on the offscreen platform.
#include "tests/console/mainform_fixture.h"

namespace tidrun {
namespace {

using test::Pty;
using test::Sentence;
using testing::WaitFor;

TEST_F(MainFormTest, OpensTheJobAndShowsLiveValuesColouredByQualityAndAge) {
    now = 1000;
    TMainForm& f = OpenWithPty();
    ASSERT_TRUE(sink.entries.empty()) << sink.Texts().join(" | ").toStdString();
    EXPECT_TRUE(f.IsOpen());
    EXPECT_FALSE(Act(f, "actFileOpen")->isEnabled());
    EXPECT_TRUE(Act(f, "actFileClose")->isEnabled());
    EXPECT_EQ(presets, QStringList{prog.path()});  // no WORKDIR yet: the program folder
    EXPECT_EQ(ReadWorkDir(Ini(), prog.path()), workDir);
    EXPECT_TRUE(QFileInfo(QDir(workDir).filePath("Log")).isDir());
    EXPECT_TRUE(QFileInfo(QDir(workDir).filePath("Calib")).isDir());
    EXPECT_EQ(f.Caption(), QStringLiteral("Tidrun for GPS　テスト工事（世界測地系）"));
    EXPECT_TRUE(f.windowTitle().startsWith(f.Caption()));
    EXPECT_EQ(f.AppTitle(), QString());
    EXPECT_EQ(f.Session().Kijun().Count(), 2);
    EXPECT_EQ(f.Session().Misoku().Count(), 1);
    // No saved map windows: one maximised window, the planned line on, three tool windows.
    ASSERT_EQ(f.MapForms().size(), 1);
    EXPECT_TRUE(f.MapForms()[0]->parentWidget()->isMaximized());
    // Restored, it is two thirds of the room.
    const QSize room = f.FreeClientSize();
    EXPECT_EQ(RestoredGeometry(f.MapForms()[0]->parentWidget()).size(),
              QSize(room.width() / 3 * 2, room.height() / 3 * 2));
    EXPECT_TRUE(Act(f, "actRuler")->isChecked());
    EXPECT_FALSE(Named<TRulerToolBar>(f, "tbRuler")->isHidden());
    EXPECT_FALSE(Named<QDockWidget>(f, "ToolWinRem")->isHidden());
    EXPECT_FALSE(Named<QDockWidget>(f, "ToolWinGPS")->isHidden());
    EXPECT_FALSE(Named<QDockWidget>(f, "ToolWinCut")->isHidden());
    EXPECT_EQ(Named<TGpsPanel>(f, "pnlGPS")->lblCOM->text(), "WGS84");
    EXPECT_EQ(Named<TCutPanel>(f, "pnlCut")->pnlMode->text(), QStringLiteral("30秒"));
    // The planned-line box is the survey area widened by 100 km, pivot in its middle.
    EXPECT_EQ(f.Session().Guidance().Extent(), (TRulerRect{-168000, -97000, 33000, 104000}));
    EXPECT_DOUBLE_EQ(f.Session().Guidance().Pivot().X, -67500);

    // A plain fix: teal.
    pty->Write(Gga(0, 1, 0));
    ASSERT_TRUE(WaitFor([&] {
        return Named<TGpsPanel>(f, "pnlGPS")->lblGPSLat->text() != QStringLiteral("緯度:");
    }));
    EXPECT_EQ(Named<TGpsPanel>(f, "pnlGPS")->lblGPSLat->text(), QStringLiteral("緯度:3523.424100"));
    EXPECT_EQ(Named<TGpsPanel>(f, "pnlGPS")->lblGPSLon->text(),
              QStringLiteral("経度:13952.164100"));
    EXPECT_EQ(Named<TGpsPanel>(f, "pnlGPS")->lblGPSAlt->text(), QStringLiteral("高度:39.881"));
    EXPECT_EQ(Named<TGpsPanel>(f, "pnlGPS")->lblGPSSat->text(), QStringLiteral("衛星数:12"));
    EXPECT_EQ(Named<TGpsPanel>(f, "pnlGPS")->lblGPSQty->text(), QStringLiteral("測位状態:1"));
    EXPECT_EQ(Named<TGpsPanel>(f, "pnlGPS")->lblGPSTime->text(),
              "09:30:00");  // local time, UTC + 9 h
    ASSERT_TRUE(WaitFor(
        [&] { return Named<TCoordPanel>(f, "pnlBottom")->lblXValue->text().contains('.'); }));
    EXPECT_TRUE(Named<TCoordPanel>(f, "pnlBottom")->lblXValue->text().trimmed().startsWith("-676"));
    EXPECT_EQ(Background(Named<TCoordPanel>(f, "pnlBottom")->lblXValue), QColor(0x008080));
    EXPECT_EQ(Background(Named<TCoordPanel>(f, "pnlBottom")->lblYValue), QColor(0x008080));
    // The map window got the same position in millimetres.
    TMapForm* map = f.MapForms()[0];
    ASSERT_TRUE(WaitFor([&] { return map->Session().HasBoat(); }));
    EXPECT_NEAR(map->Session().Scene().Boat()->LastV(),
                Named<TCoordPanel>(f, "pnlBottom")->lblXValue->text().toDouble(), 0.0011);
    EXPECT_NEAR(map->Session().Scene().Boat()->LastH(),
                Named<TCoordPanel>(f, "pnlBottom")->lblYValue->text().toDouble(), 0.0011);

    struct Step {
        int quality;
        double age;
        QColor colour;
    } steps[] = {
        {4, 1.6, QColor(0x0000FF)}, {2, 7.0, QColor(0x800080)}, {4, 12.0, QColor(0xFF0000)},
        {6, 1.6, QColor(0x808080)},  // estimated: a position, no fix-quality colour
        {8, 1.6, QColor(0x808080)},  // simulation
        {1, 30.0, QColor(0x008080)}};
    int sec = 1;
    for (const Step& s : steps) {
        const QString qty = QStringLiteral("測位状態:%1").arg(s.quality);
        const QString age = QString::asprintf("間隔:%.1f", s.age);
        pty->Write(Gga(sec++, s.quality, s.age));
        ASSERT_TRUE(WaitFor([&] {
            return Named<TGpsPanel>(f, "pnlGPS")->lblGPSQty->text() == qty &&
                   Named<TGpsPanel>(f, "pnlGPS")->lblGPSSec->text() == age;
        }));
        EXPECT_EQ(Background(Named<TCoordPanel>(f, "pnlBottom")->lblXValue), s.colour)
            << s.quality << " " << s.age;
    }

    pty->Write(Sentence("GPRMC,003010.00,A,3523.4241,N,13952.1641,E,5.88,90.0,081226,,,D"));
    ASSERT_TRUE(WaitFor([&] {
        return Named<TGpsPanel>(f, "pnlGPS")->lblGPSSpeed->text() != QStringLiteral("速度:");
    }));
    EXPECT_EQ(Named<TGpsPanel>(f, "pnlGPS")->lblGPSSpeed->text(), QStringLiteral("速度:5.880000"));
    EXPECT_EQ(Named<TGpsPanel>(f, "pnlGPS")->lblGPSCourse->text(),
              QStringLiteral("方向:90.000000"));

    // Nothing for more than 3 s while connected: gray, with the age of the last position.
    const QString live = Named<TCoordPanel>(f, "pnlBottom")->lblXValue->text();
    now += 3000;
    f.CheckPositionAge();
    EXPECT_EQ(Named<TCoordPanel>(f, "pnlBottom")->lblXValue->text(), live);
    now += 1500;
    f.CheckPositionAge();
    EXPECT_EQ(Background(Named<TCoordPanel>(f, "pnlBottom")->lblXValue), QColor(kStaleColour));
    EXPECT_EQ(Named<TCoordPanel>(f, "pnlBottom")->lblXValue->text(),
              live + QStringLiteral(" （4秒前）"));
    EXPECT_TRUE(Named<TCoordPanel>(f, "pnlBottom")
                    ->lblYValue->text()
                    .endsWith(QStringLiteral("（4秒前）")));
    // A new position brings the live look back.
    pty->Write(Gga(20, 4, 1.0));
    ASSERT_TRUE(
        WaitFor([&] { return Named<TCoordPanel>(f, "pnlBottom")->lblXValue->text() == live; }));
    EXPECT_EQ(Background(Named<TCoordPanel>(f, "pnlBottom")->lblXValue), QColor(0x0000FF));
}

TEST_F(MainFormTest, LostReceiverShowsDisconnectedUntilDataFlowsAgain) {
    const QString link = QDir(prog.path()).filePath("ttyGPS");
    pty = std::make_unique<Pty>();
    ASSERT_TRUE(QFile::link(pty->SlavePath(), link));
    MapCom1(link);
    chosen = workDir;
    TMainForm& f = MakeForm();
    f.FileOpen();
    ASSERT_TRUE(f.PortConnected());
    f.Gps()->SetReconnectInterval(100);
    pty->Write(Gga(0, 4, 1.0));
    ASSERT_TRUE(WaitFor([&] {
        return Named<TGpsPanel>(f, "pnlGPS")->lblGPSQty->text() == QStringLiteral("測位状態:4");
    }));
    const int gpsHeight = Named<QDockWidget>(f, "ToolWinGPS")->height();

    pty.reset();  // unplugged
    ASSERT_TRUE(QFile::remove(link));
    ASSERT_TRUE(WaitFor([&] { return f.AppTitle() == QStringLiteral("未接続"); }));
    EXPECT_TRUE(f.windowTitle().startsWith(QStringLiteral("未接続 — ") + f.Caption()));
    EXPECT_FALSE(f.PortConnected());
    EXPECT_FALSE(Named<TGpsPanel>(f, "pnlGPS")->lblPortState->isHidden());
    EXPECT_TRUE(Named<TGpsPanel>(f, "pnlGPS")->lblPortState->text().contains("COM1"));
    // The window takes the room the text needs (once its layout has the text).
    ASSERT_TRUE(WaitFor(
        [&] {
            const int h = Named<QDockWidget>(f, "ToolWinGPS")->height();
            return h > gpsHeight && h >= Named<QDockWidget>(f, "ToolWinGPS")->sizeHint().height();
        },
        2000));
    const int lostHeight = Named<QDockWidget>(f, "ToolWinGPS")->height();
    // The last position stays on screen, gray with its age, not as a live one.
    now += 60000;
    f.CheckPositionAge();
    EXPECT_EQ(Background(Named<TCoordPanel>(f, "pnlBottom")->lblXValue), QColor(kStaleColour));
    EXPECT_TRUE(Named<TCoordPanel>(f, "pnlBottom")
                    ->lblXValue->text()
                    .endsWith(QStringLiteral("（1分前）")));

    pty = std::make_unique<Pty>();
    ASSERT_TRUE(QFile::link(pty->SlavePath(), link));
    ASSERT_TRUE(WaitFor([&] { return f.Gps()->InputPort()->IsOpen(); }));
    pty->Write(Gga(5, 2, 1.0));
    ASSERT_TRUE(WaitFor([&] {
        return Named<TGpsPanel>(f, "pnlGPS")->lblGPSQty->text() == QStringLiteral("測位状態:2");
    }));
    EXPECT_EQ(f.AppTitle(), QString());
    EXPECT_TRUE(f.windowTitle().startsWith(f.Caption()));
    EXPECT_TRUE(Named<TGpsPanel>(f, "pnlGPS")->lblPortState->isHidden());
    // The received-data window gives back the room the lost-port text took (the other
    // tool windows share what the dock area has to spare).
    const auto fits = [&] {
        const int h = Named<QDockWidget>(f, "ToolWinGPS")->height(),
                  hint = Named<QDockWidget>(f, "ToolWinGPS")->sizeHint().height();
        return h < lostHeight && h - hint <= hint / 10;
    };
    EXPECT_TRUE(WaitFor(fits, 2000))
        << Named<QDockWidget>(f, "ToolWinGPS")->height() << " after " << lostHeight;
    EXPECT_TRUE(f.PortConnected());
    EXPECT_EQ(Background(Named<TCoordPanel>(f, "pnlBottom")->lblXValue), QColor(0x0000FF));
    EXPECT_FALSE(
        Named<TCoordPanel>(f, "pnlBottom")->lblXValue->text().contains(QStringLiteral("前")));
    EXPECT_TRUE(sink.entries.empty());
}

TEST_F(MainFormTest, CancellingTheFolderOrTheSettingsLeavesTheProgramClosed) {
    TMainForm& f = MakeForm();
    chosen.reset();
    f.FileOpen();
    EXPECT_EQ(settingsRuns, 0);
    EXPECT_FALSE(f.IsOpen());
    EXPECT_TRUE(Act(f, "actFileOpen")->isEnabled());
    EXPECT_EQ(Named<QToolButton>(f, "btnFile")->defaultAction(), Act(f, "actFileOpen"));

    chosen = workDir;
    acceptSettings = false;
    f.FileOpen();
    EXPECT_EQ(settingsRuns, 1);
    EXPECT_FALSE(f.IsOpen());
    EXPECT_TRUE(Act(f, "actFileOpen")->isEnabled());
    EXPECT_FALSE(Act(f, "actFileClose")->isEnabled());
    EXPECT_EQ(f.Caption(), "Tidrun for GPS");
    EXPECT_EQ(f.Gps(), nullptr);
    EXPECT_TRUE(f.MapForms().isEmpty());
    // The chosen folder is remembered only once the settings were accepted.
    EXPECT_EQ(ReadWorkDir(Ini(), prog.path()), prog.path());
    EXPECT_TRUE(sink.entries.empty());
}

TEST_F(MainFormTest, FolderProblemsStopTheOpenWithTheirMessage) {
    TMainForm& f = MakeForm();
    chosen = QDir(workDir).filePath("nicht-da");
    f.FileOpen();
    ASSERT_EQ(sink.entries.size(), 1u);
    EXPECT_EQ(sink.entries[0].kind, MessageSink::Kind::Plain);
    EXPECT_EQ(sink.entries[0].text, QStringLiteral("作業フォルダが見つかりません"));

    // A folder whose name code page 932 cannot hold could not be stored in Tidrun.INI.
    const QString ini = QDir(prog.path()).filePath("Tidrun.INI");
    chosen = QDir(workDir).filePath(QStringLiteral("café-ü"));
    ASSERT_TRUE(QDir().mkdir(*chosen));
    f.FileOpen();
    ASSERT_EQ(sink.entries.size(), 2u);
    EXPECT_EQ(sink.entries[1].text,
              QStringLiteral("作業フォルダ名に保存できない文字「é」(U+00E9)があります"));
    EXPECT_FALSE(QFileInfo::exists(QDir(*chosen).filePath("Log")));
    EXPECT_EQ(settingsRuns, 0);
    EXPECT_FALSE(f.IsOpen());
    EXPECT_TRUE(Act(f, "actFileOpen")->isEnabled());
}

// Exiting after an open that stopped early must not write this window's values over the
// chosen folder's offsets, planned line and window count.
TEST_F(MainFormTest, ExitAfterAnAbandonedOpenLeavesTheFolderSettingsAlone) {
    TIniFile cfg(Cfg());
    ASSERT_TRUE(cfg.WriteFloat(QStringLiteral("設定"), QStringLiteral("補正X"), 2.5));
    ASSERT_TRUE(cfg.WriteInteger(QStringLiteral("設定"), QStringLiteral("平面図"), 3));
    QStringList original;
    ASSERT_TRUE(ReadCp932Lines(Cfg(), original));

    for (const bool settingsCancelled : {false, true}) {
        QFile blockLog(QDir(workDir).filePath("Log"));
        if (!settingsCancelled) {
            ASSERT_TRUE(blockLog.open(QIODevice::WriteOnly));  // open stops at the folders
            blockLog.close();
        } else {
            QFile::remove(blockLog.fileName());
            acceptSettings = false;  // open stops at the settings
        }
        chosen = workDir;
        TMainForm& f = MakeForm();
        f.FileOpen();
        ASSERT_FALSE(f.IsOpen());
        sink.answer = true;
        EXPECT_TRUE(f.close());
        form.reset();
        QStringList after;
        ASSERT_TRUE(ReadCp932Lines(Cfg(), after));
        EXPECT_EQ(after, original) << "settings cancelled: " << settingsCancelled;
    }
}

TEST_F(MainFormTest, PortThatCannotOpenShowsConnectionErrorAndKeepsDesignTexts) {
    MapCom1(QDir(prog.path()).filePath("ttyNone"));
    chosen = workDir;
    TMainForm& f = MakeForm();
    f.FileOpen();
    ASSERT_EQ(sink.Texts(), QStringList{QStringLiteral("接続エラー")});
    EXPECT_EQ(sink.entries[0].kind, MessageSink::Kind::Error);
    EXPECT_EQ(f.AppTitle(), QStringLiteral("未接続"));
    EXPECT_TRUE(f.IsOpen());  // the job is open; nothing is received
    ASSERT_NE(f.Gps(), nullptr);
    EXPECT_FALSE(f.Gps()->IsOpen());
    EXPECT_EQ(Named<TGpsPanel>(f, "pnlGPS")->lblGPSLat->text(), QStringLiteral("緯度:"));
    EXPECT_EQ(Named<TGpsPanel>(f, "pnlGPS")->lblGPSTime->text(), "00:00:00");
    now = 100000;
    f.CheckPositionAge();  // never connected: nothing to age, nothing live
    EXPECT_EQ(Named<TCoordPanel>(f, "pnlBottom")->lblXValue->text(), "        0.000");
    EXPECT_EQ(Background(Named<TCoordPanel>(f, "pnlBottom")->lblXValue), QColor(kStaleColour));
}

TEST_F(MainFormTest, SavedPointNamesSelectTheirEntryOrNone) {
    TIniFile cfg(Cfg());
    cfg.WriteString(QStringLiteral("設定"), QStringLiteral("誘導点"), QStringLiteral("基準2"));
    cfg.WriteString(QStringLiteral("設定"), QStringLiteral("設標点"), QStringLiteral("消えた点"));
    TMainForm& f = OpenWithPty();
    EXPECT_EQ(Named<TRefPanel>(f, "pnlRef")->cbxRefPoint->count(), 3);
    EXPECT_EQ(Named<TRefPanel>(f, "pnlRef")->cbxRefPoint->itemText(0), QStringLiteral("(なし)"));
    EXPECT_EQ(Named<TRefPanel>(f, "pnlRef")->cbxRefPoint->currentText(), QStringLiteral("基準2"));
    EXPECT_EQ(Named<TGuidePanel>(f, "pnlGuide")->cbxRemPoint->currentIndex(), 0);
    EXPECT_EQ(Named<TGuidePanel>(f, "pnlGuide")->cbxRemPoint->currentText(),
              QStringLiteral("(なし)"));
    TMapForm* map = f.MapForms()[0];
    ASSERT_TRUE(WaitFor([&] { return map->Session().HighlightedGuide() == 1; }));
    EXPECT_EQ(map->Session().HighlightedBuoy(), -1);

    // Choosing a buoy point tells every map window its index.
    Named<TGuidePanel>(f, "pnlGuide")->cbxRemPoint->setCurrentIndex(1);
    ASSERT_TRUE(WaitFor([&] { return map->Session().HighlightedBuoy() == 0; }));
}

TEST_F(MainFormTest, MainKeysAreWrittenAtCloseAndReadAtTheNextOpen) {
    {
        TMainForm& f = OpenWithPty();
        Named<TCircleToolBar>(f, "tbCircle")->edtCircleSize->setValue(25);
        Named<TRulerToolBar>(f, "tbRuler")->edtRulerAngle->setText("45.3");
        Named<TRulerToolBar>(f, "tbRuler")->edtRulerWidth->setValue(40);
        Named<TRulerToolBar>(f, "tbRuler")->edtRulerStep->setValue(5);
        f.SetHosei({0.5, -0.25, 1.5, 0.125});
        Named<TRefPanel>(f, "pnlRef")->cbxRefPoint->setCurrentIndex(2);
        Named<TGuidePanel>(f, "pnlGuide")->cbxRemPoint->setCurrentIndex(1);
        Act(f, "actNewMap")->trigger();
        ASSERT_EQ(f.MapForms().size(), 2);
        Act(f, "actTWGPS")->trigger();  // the received-data window put away
        f.addDockWidget(Qt::LeftDockWidgetArea, Named<QDockWidget>(f, "ToolWinRem"));
        sink.answer = true;
        EXPECT_TRUE(f.close());
        EXPECT_EQ(sink.questions, QStringList{QStringLiteral("終了しますか")});
        EXPECT_FALSE(f.IsOpen());
        EXPECT_EQ(f.Gps(), nullptr);
    }
    MainWindowConfig c;
    c.Load(Cfg());
    EXPECT_EQ(c.CircleSize, 25);
    EXPECT_EQ(c.RulerDMS, "45.3");
    EXPECT_EQ(c.RulerWD, 40);
    EXPECT_EQ(c.RulerStep, 5);
    EXPECT_EQ(c.MapCount, 2);
    EXPECT_DOUBLE_EQ(c.HoseiY, -0.25);
    EXPECT_DOUBLE_EQ(c.HoseiA, 0.125);
    EXPECT_DOUBLE_EQ(c.RulerX0, -168000);
    EXPECT_EQ(c.GuidePoint, QStringLiteral("基準2"));
    EXPECT_EQ(c.BuoyPoint, QStringLiteral("設標01"));
    // Written in their order, after the map windows' sections, then the tool positions.
    QStringList lines;
    ASSERT_TRUE(ReadCp932Lines(Cfg(), lines));
    const QString text = lines.join('\n');
    const QStringList order = {
        "円定規(Size)=", "計画線(DMS)=", "計画線(WD)=", "計画線(Step)=", "計画線(X)=", "計画線(Y)=",
        "計画線(X0)=",   "計画線(Y0)=",  "計画線(X1)=", "計画線(Y1)=",   "平面図=",    "補正X=",
        "補正Y=",        "補正H=",       "補正A=",      "誘導点=",       "設標点="};
    qsizetype at = -1;
    for (const QString& key : order) {
        const qsizetype pos = text.indexOf("\n" + key);
        ASSERT_GT(pos, at) << key.toStdString();
        at = pos;
    }
    EXPECT_TRUE(TIniFile(Cfg()).ReadSections().contains(QStringLiteral("平面図1")));
    EXPECT_FALSE(TIniFile(Cfg()).ReadString(QStringLiteral("ツールバー"), "State", {}).isEmpty());

    // Reopened: the values come back and both map windows are made again.
    form.reset();
    TMainForm& g = OpenWithPty();
    ASSERT_TRUE(sink.entries.empty()) << sink.Texts().join(" | ").toStdString();
    EXPECT_EQ(Named<TCircleToolBar>(g, "tbCircle")->edtCircleSize->value(), 25);
    EXPECT_EQ(Named<TRulerToolBar>(g, "tbRuler")->edtRulerAngle->text(), "45.3");
    EXPECT_EQ(g.RulerAngle(), 453000);
    EXPECT_EQ(g.RulerWidth(), 40);
    EXPECT_DOUBLE_EQ(g.Session().Offsets().H, 1.5);
    EXPECT_EQ(Named<TRefPanel>(g, "pnlRef")->cbxRefPoint->currentText(), QStringLiteral("基準2"));
    EXPECT_EQ(Named<TGuidePanel>(g, "pnlGuide")->cbxRemPoint->currentText(),
              QStringLiteral("設標01"));
    EXPECT_EQ(g.MapForms().size(), 2);
    // The tool windows are where they were left.
    EXPECT_TRUE(Named<QDockWidget>(g, "ToolWinGPS")->isHidden());
    EXPECT_EQ(g.dockWidgetArea(Named<QDockWidget>(g, "ToolWinRem")), Qt::LeftDockWidgetArea);
    EXPECT_FALSE(Named<QDockWidget>(g, "ToolWinCut")->isHidden());
    EXPECT_EQ(g.MapCounter(), 2);
    EXPECT_EQ(g.MapForms()[0]->parentWidget()->windowTitle(), QStringLiteral("平面図(1)"));
    // The chosen folder was remembered for the next start.
    EXPECT_EQ(presets.last(), workDir);

    // A damaged window count makes the windows whose sections the file holds.
    form.reset();
    ASSERT_TRUE(TIniFile(Cfg()).WriteString(QStringLiteral("設定"), QStringLiteral("平面図"),
                                            QStringLiteral("2147483647")));
    EXPECT_EQ(OpenWithPty().MapForms().size(), 2);
}

TEST_F(MainFormTest, ClosingIsRefusedSilentlyWhileRecordingAndAskedOtherwise) {
    TMainForm& f = OpenWithPty();
    f.SetLineNameAsker([](const QString& preset) { return std::optional(preset); });
    Act(f, "actSurveyStart")->trigger();
    ASSERT_TRUE(f.Recording());
    EXPECT_FALSE(Act(f, "actExit")->isEnabled());
    EXPECT_FALSE(Act(f, "actSurveyStart")->isEnabled());
    EXPECT_TRUE(Act(f, "actSurveyStop")->isEnabled());
    EXPECT_FALSE(Act(f, "actCalibrate")->isEnabled());
    EXPECT_FALSE(Named<TRefPanel>(f, "pnlRef")->cbxRefPoint->isEnabled());
    EXPECT_FALSE(Act(f, "actFileClose")->isEnabled());
    EXPECT_TRUE(Named<TCutPanel>(f, "pnlCut")->btnCut->isEnabled());
    EXPECT_TRUE(Named<TCutPanel>(f, "pnlCut")->btnSurveyStart->isHidden());
    EXPECT_FALSE(Named<TCutPanel>(f, "pnlCut")->btnSurveyStop->isHidden());
    EXPECT_FALSE(f.close());
    EXPECT_TRUE(sink.questions.isEmpty());
    EXPECT_TRUE(f.isVisible());

    Act(f, "actSurveyStop")->trigger();
    EXPECT_TRUE(Act(f, "actFileClose")->isEnabled());
    sink.answer = false;
    EXPECT_FALSE(f.close());
    EXPECT_EQ(sink.questions, QStringList{QStringLiteral("終了しますか")});
    EXPECT_TRUE(f.IsOpen());
}

TEST_F(MainFormTest, MapMessagesArePostedWithValues) {
    TMainForm& f = OpenWithPty();
    TMapForm* first = f.MapForms()[0];
    const QColor navy(0x000080);  // "Navy" from the settings
    ASSERT_TRUE(WaitFor([&] { return first->Session().MapColour() == navy; }));
    const TRulerSeries* ruler = first->Session().Scene().PlannedLine();
    EXPECT_NE(f.Session().Guidance().Segment(), TRulerRect{});  // the line through the pivot
    ASSERT_TRUE(WaitFor([&] { return ruler->V(0) == f.Session().Guidance().Segment().X0; }));
    EXPECT_EQ(ruler->H(1), f.Session().Guidance().Segment().Y1);

    // The offsets are added before the position goes out; it arrives only once the
    // handler has returned.
    f.SetHosei({1.0, -1.0, 0.0, 0.0});
    f.OnPosition(
        TGpsPosition{-67629.98795, 3294.8899, 10.0, QDateTime::currentDateTime(), nullptr, {}});
    EXPECT_FALSE(first->Session().HasBoat());
    ASSERT_TRUE(WaitFor([&] { return first->Session().HasBoat(); }));
    EXPECT_DOUBLE_EQ(first->Session().Scene().Boat()->LastV(), -67628.987);
    EXPECT_DOUBLE_EQ(first->Session().Scene().Boat()->LastH(), 3293.889);
    EXPECT_EQ(Named<TCoordPanel>(f, "pnlBottom")->lblXValue->text(), " -67628.988");

    // A new window shows the buoy point chosen before it came, as the others do.
    ASSERT_GE(Named<TGuidePanel>(f, "pnlGuide")->cbxRemPoint->count(), 2);
    Named<TGuidePanel>(f, "pnlGuide")->cbxRemPoint->setCurrentIndex(1);
    ASSERT_TRUE(WaitFor([&] { return first->Session().HighlightedBuoy() == 0; }));
    TMapForm* second = f.CreateMap(-1, false);
    ASSERT_TRUE(WaitFor([&] { return second->Session().MapColour() == navy; }));
    EXPECT_EQ(second->parentWidget()->windowTitle(), QStringLiteral("平面図(2)"));
    EXPECT_EQ(second->Session().HighlightedBuoy(), 0);

    // Zooming goes to the active window only.
    f.MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
    ASSERT_EQ(f.ActiveMap(), first);
    QCoreApplication::processEvents();
    const TExtent firstBefore = first->Session().View().Axes();
    const TExtent secondBefore = second->Session().View().Axes();
    Act(f, "actMapZoomIn")->trigger();
    ASSERT_TRUE(WaitFor([&] { return first->Session().View().Zoomed(); }));
    EXPECT_LT(first->Session().View().Axes().YMax - first->Session().View().Axes().YMin,
              firstBefore.YMax - firstBefore.YMin);
    Act(f, "actMapZoomOut")->trigger();
    Act(f, "actMapZoomRem")->trigger();
    QCoreApplication::processEvents();
    EXPECT_FALSE(second->Session().View().Zoomed());
    EXPECT_EQ(second->Session().View().Axes(), secondBefore);

    // The circle ruler's diameter goes to every window.
    Named<TCircleToolBar>(f, "tbCircle")->edtCircleSize->setValue(30);
    emit Named<TCircleToolBar>(f, "tbCircle")->edtCircleSize->valueCommitted(30);
    ASSERT_TRUE(WaitFor([&] { return second->Session().CircleDiameter() == 30; }));
    EXPECT_EQ(first->Session().CircleDiameter(), 30);

    // Marks changed by a map window are saved and announced to all windows.
    f.AddMark(QStringLiteral("新しい印"), QColor(0xFF0000), -67500.0, 3600.0);
    ASSERT_TRUE(WaitFor([&] { return second->Session().Scene().Marks()->Count() == 2; }));
    EXPECT_EQ(first->Session().Scene().Marks()->Count(), 2);
    TMisokuColl reread(sink);
    ASSERT_TRUE(reread.Load(QDir(workDir).filePath("MARK.DAT")));
    ASSERT_EQ(reread.Count(), 2);
    EXPECT_EQ(reread.Item(1).Name, QStringLiteral("新しい印"));
    EXPECT_EQ(reread.Item(1).Number, 0x0000FF);  // red as the Windows colour value

    // A mark file that cannot be written (a folder stands in its place): the error is
    // shown, the delete is undone, and the windows still follow the collection (which is
    // what the file holds), so that a window's mark i stays the collection's mark i.
    ASSERT_TRUE(QFile::remove(QDir(workDir).filePath("MARK.DAT")));
    ASSERT_TRUE(QDir(workDir).mkdir("MARK.DAT"));
    f.DeleteMark(0);
    QCoreApplication::processEvents();
    ASSERT_TRUE(WaitFor([&] { return second->Session().Scene().Marks()->Count() == 2; }));
    EXPECT_EQ(first->Session().Scene().Marks()->Count(), 2);
    EXPECT_EQ(first->Session().Scene().Marks()->Label(1), QStringLiteral("新しい印"));
    EXPECT_EQ(sink.entries.size(), 1u) << sink.Texts().join(" | ").toStdString();
    sink.entries.clear();

    // The information line. A cut's text takes three lines; the panel keeps its height
    // for it, so that clicking a cut does not shrink and rescale the maps.
    const int panelHeight = Named<TCoordPanel>(f, "pnlBottom")->sizeHint().height();
    f.ShowInfo(QStringLiteral("基準点「基準1」\r\nＺ＝ 2.839"));
    EXPECT_EQ(Named<TCoordPanel>(f, "pnlBottom")->lblInfo->text(),
              QStringLiteral("　基準点「基準1」  Ｚ＝ 2.839"));
    f.ShowInfo(
        QStringLiteral("収録点 3\r\n\nＸ＝ -67629.796186\r\nＹ＝ 3313.361116\r\n"
                       "間隔 6.510443 ｍ\r\n\n測線 1\r\nｶｯﾄ  3"));
    EXPECT_EQ(Named<TCoordPanel>(f, "pnlBottom")->sizeHint().height(), panelHeight);
}

TEST_F(MainFormTest, ActionsAndToolWindowsFollowTheWindowsAndDocks) {
    TMainForm& f = OpenWithPty();
    TMapForm* map = f.MapForms()[0];
    EXPECT_TRUE(Act(f, "actMapZoomIn")->isEnabled());
    EXPECT_TRUE(Act(f, "actWindowCascade")->isEnabled());
    EXPECT_TRUE(map->PlannedLine());

    // 円定規 switches the circle ruler of the active map and its toolbar with it.
    EXPECT_TRUE(Named<TCircleToolBar>(f, "tbCircle")->isHidden());
    Act(f, "actCompass")->trigger();
    EXPECT_TRUE(map->CircleRuler());
    EXPECT_TRUE(Act(f, "actCompass")->isChecked());
    EXPECT_FALSE(Named<TCircleToolBar>(f, "tbCircle")->isHidden());

    // The recording menu is there exactly while the recording tool window is.
    EXPECT_TRUE(Named<QMenu>(f, "menuSurvey")->menuAction()->isVisible());
    Act(f, "actTWCut")->trigger();
    EXPECT_TRUE(Named<QDockWidget>(f, "ToolWinCut")->isHidden());
    EXPECT_FALSE(Named<QMenu>(f, "menuSurvey")->menuAction()->isVisible());
    f.SyncToolChecks();
    EXPECT_FALSE(Act(f, "actTWCut")->isChecked());
    EXPECT_TRUE(Act(f, "actTWGPS")->isChecked());
    Act(f, "actTWCut")->trigger();
    EXPECT_TRUE(Named<QMenu>(f, "menuSurvey")->menuAction()->isVisible());

    // ﾂｰﾙの整理 docks a floating tool window again.
    Named<QDockWidget>(f, "ToolWinGPS")->setFloating(true);
    Act(f, "actTBAlign")->trigger();
    EXPECT_FALSE(Named<QDockWidget>(f, "ToolWinGPS")->isFloating());
    EXPECT_EQ(f.dockWidgetArea(Named<QDockWidget>(f, "ToolWinGPS")), Qt::RightDockWidgetArea);
    EXPECT_FALSE(Named<QDockWidget>(f, "ToolWinGPS")->isHidden());

    // Without a map window the map actions and the window arrangement are off.
    for (QMdiSubWindow* w : f.MdiArea()->subWindowList()) w->close();
    ASSERT_TRUE(
        WaitFor([&] { return f.MapForms().isEmpty() && !Act(f, "actMapZoomIn")->isEnabled(); }));
    EXPECT_FALSE(Act(f, "actCompass")->isEnabled());
    EXPECT_FALSE(Act(f, "actWindowTile")->isEnabled());
    EXPECT_FALSE(Act(f, "actWindowMinimize")->isEnabled());
}

// Once through the real settings dialog, accepted as it comes up.
TEST_F(MainFormTest, OpensThroughTheRealSettingsDialog) {
    pty = std::make_unique<Pty>();
    MapCom1(pty->SlavePath());
    chosen = workDir;
    form = std::make_unique<TMainForm>(sink, prog.path());
    form->SetFolderChooser([this](const QString&) { return chosen; });
    QString shownJob;
    auto timer = testing::OnModal<TSetupForm>([&](TSetupForm* dlg) {
        shownJob = dlg->edtJobName->text();
        dlg->accept();
    });
    form->FileOpen();
    EXPECT_EQ(shownJob, QStringLiteral("テスト工事"));
    EXPECT_TRUE(form->IsOpen());
    EXPECT_TRUE(sink.entries.empty()) << sink.Texts().join(" | ").toStdString();
    EXPECT_EQ(form->Settings().ZoneIndex(), 8);
    EXPECT_EQ(form->Caption(), QStringLiteral("Tidrun for GPS　テスト工事（世界測地系）"));
}

// After 閉じる nothing of the job stays on screen as if it were live or usable, its values
// are in its file, and a failed open of the next job shows no old values either.
TEST_F(MainFormTest, ClosedConsoleLooksClosedAndKeepsTheJobValues) {
    now = 1000;
    TMainForm& f = OpenWithPty();
    EXPECT_TRUE(f.windowTitle().startsWith(f.Caption()));  // live: no state in front
    pty->Write(Gga(0, 4, 1.0));
    ASSERT_TRUE(WaitFor([&] {
        return Background(Named<TCoordPanel>(f, "pnlBottom")->lblXValue) == QColor(0x0000FF);
    }));
    Named<TCircleToolBar>(f, "tbCircle")
        ->edtCircleSize->setText("77");  // typed, not yet confirmed with Return
    Named<TRulerToolBar>(f, "tbRuler")->edtRulerAngle->setText("12.3");
    Named<TRefPanel>(f, "pnlRef")->cbxRefPoint->setCurrentIndex(1);
    f.ShowInfo(QStringLiteral("設標点「設標1」\r\n\nＸ＝ -67000.000000"));
    ASSERT_TRUE(Named<TCircleToolBar>(f, "tbCircle")->edtCircleSize->isEnabled() &&
                Act(f, "actNewMap")->isEnabled());

    Act(f, "actFileClose")->trigger();
    ASSERT_TRUE(WaitFor([&] { return f.MapForms().isEmpty(); }));
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Tidrun Zzz — Tidrun for GPS"));
    EXPECT_EQ(Named<TCoordPanel>(f, "pnlBottom")->lblXValue->text(), "        0.000");
    EXPECT_EQ(Named<TCoordPanel>(f, "pnlBottom")->lblYValue->text(), "       0.000");
    EXPECT_EQ(Background(Named<TCoordPanel>(f, "pnlBottom")->lblXValue), QColor(kStaleColour));
    EXPECT_EQ(Named<TGpsPanel>(f, "pnlGPS")->lblGPSTime->text(), "00:00:00");
    EXPECT_EQ(Named<TGpsPanel>(f, "pnlGPS")->lblGPSQty->text(), QStringLiteral("測位状態:"));
    EXPECT_EQ(Named<TCoordPanel>(f, "pnlBottom")->lblInfo->text(),
              QString());  // no point of the closed job
    for (QWidget* w : {static_cast<QWidget*>(Named<TCircleToolBar>(f, "tbCircle")->edtCircleSize),
                       static_cast<QWidget*>(Named<TRulerToolBar>(f, "tbRuler")->edtRulerAngle),
                       static_cast<QWidget*>(Named<TRulerToolBar>(f, "tbRuler")->edtRulerWidth)})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_FALSE(Act(f, "actNewMap")->isEnabled());
    // The file button carries one action at a time (no drop-down arrow).
    EXPECT_EQ(Named<QToolButton>(f, "btnFile")->actions(), QList<QAction*>{Act(f, "actFileOpen")});
    MainWindowConfig c;
    c.Load(Cfg());
    EXPECT_EQ(c.CircleSize, 77);
    EXPECT_EQ(c.RulerDMS, "12.3");
    EXPECT_EQ(c.MapCount, 1);
    EXPECT_EQ(c.GuidePoint, QStringLiteral("基準1"));
    EXPECT_TRUE(sink.questions.isEmpty());

    // Exit once closed: nothing more is written (the map count of the job stays 1).
    QStringList stored;
    ASSERT_TRUE(ReadCp932Lines(Cfg(), stored));

    // The next open cannot reach its port: the design texts stay, the title says so.
    MapCom1(QDir(prog.path()).filePath("ttyNone"));
    f.FileOpen();
    ASSERT_EQ(sink.Texts(), QStringList{QStringLiteral("接続エラー")});
    EXPECT_EQ(Named<TCircleToolBar>(f, "tbCircle")->edtCircleSize->text(), "77");
    EXPECT_EQ(f.windowTitle().left(6), QStringLiteral("未接続 — "));
    EXPECT_EQ(Named<TCoordPanel>(f, "pnlBottom")->lblXValue->text(), "        0.000");
    EXPECT_EQ(Named<QToolButton>(f, "btnFile")->actions(), QList<QAction*>{Act(f, "actFileClose")});
    now += 60000;
    f.CheckPositionAge();
    EXPECT_EQ(Named<TCoordPanel>(f, "pnlBottom")->lblXValue->text(), "        0.000");
    Act(f, "actFileClose")->trigger();
    ASSERT_TRUE(WaitFor([&] { return f.MapForms().isEmpty(); }));
    sink.answer = true;
    EXPECT_TRUE(f.close());
    QStringList after;
    ASSERT_TRUE(ReadCp932Lines(Cfg(), after));
    EXPECT_EQ(after, stored);
}

// A cancelled 初期設定 leaves no tool window of the job that did not open.
TEST_F(MainFormTest, CancelledSettingsPutTheToolWindowsBack) {
    {
        TMainForm& f = OpenWithPty();
        ASSERT_FALSE(Named<QDockWidget>(f, "ToolWinGPS")->isHidden());
        sink.answer = true;
        ASSERT_TRUE(f.close());
    }
    form.reset();
    acceptSettings = false;
    TMainForm& g = MakeForm();
    g.FileOpen();
    EXPECT_EQ(settingsRuns, 2);
    for (QDockWidget* d :
         {Named<QDockWidget>(g, "ToolWinGPS"), Named<QDockWidget>(g, "ToolWinCut"),
          Named<QDockWidget>(g, "ToolWinRem"), Named<QDockWidget>(g, "ToolWinRef")})
        EXPECT_TRUE(d->isHidden()) << d->objectName().toStdString();
}

// A value that fails its range check is not stored: the last good one is.
TEST_F(MainFormTest, OutOfRangeFieldsKeepTheirLastGoodValueInTheFile) {
    struct Case {
        NumericEdit* (*field)(TMainForm&);
        const char* good;
        const char* bad;
        const char* key;
    } cases[] = {{[](TMainForm& f) { return Named<TCircleToolBar>(f, "tbCircle")->edtCircleSize; },
                  "25", "0", "円定規(Size)"},
                 {[](TMainForm& f) { return Named<TRulerToolBar>(f, "tbRuler")->edtRulerAngle; },
                  "45.3", "400", "計画線(DMS)"},
                 {[](TMainForm& f) { return Named<TRulerToolBar>(f, "tbRuler")->edtRulerWidth; },
                  "40", "", "計画線(WD)"}};
    for (const Case& c : cases) {
        TMainForm& f = OpenWithPty();
        NumericEdit* e = c.field(f);
        e->setText(QString::fromLatin1(c.good));
        e->setText(QString::fromLatin1(c.bad));
        EXPECT_FALSE(e->Validate());
        EXPECT_EQ(e->palette().color(QPalette::Base), NumericEdit::ErrorColor());
        sink.entries.clear();
        Act(f, "actFileClose")->trigger();
        EXPECT_EQ(TIniFile(Cfg()).ReadString(QStringLiteral("設定"), QString::fromUtf8(c.key), {}),
                  QString::fromLatin1(c.good))
            << c.key;
        form.reset();
    }
}

// Map windows come back at the size they had before they were minimised or maximised.
TEST_F(MainFormTest, MinimisedAndMaximisedMapsKeepTheirRestoredSize) {
    const QRect placed(30, 20, 360, 240);
    for (const bool minimise : {true, false}) {
        {
            TMainForm& f = OpenWithPty();
            for (QMdiSubWindow* w : f.MdiArea()->subWindowList()) w->close();
            ASSERT_TRUE(WaitFor([&] { return f.MapForms().isEmpty(); }));
            TMapForm* m = f.CreateMap(-1, false);
            QWidget* frame = m->parentWidget();
            frame->setGeometry(placed);
            if (minimise)
                frame->showMinimized();
            else
                frame->showMaximized();
            ASSERT_TRUE(WaitFor([&] { return frame->geometry() != placed; }));
            sink.answer = true;
            ASSERT_TRUE(f.close());
        }
        form.reset();
        {
            MapWindowConfig mc;
            mc.Load(Cfg(), 0);
            EXPECT_EQ(QRect(mc.Left, mc.Top, mc.Width, mc.Height), placed) << "stored";
        }
        TMainForm& g = OpenWithPty();
        ASSERT_EQ(g.MapForms().size(), 1);
        auto* frame = qobject_cast<QMdiSubWindow*>(g.MapForms()[0]->parentWidget());
        EXPECT_EQ(frame->isMinimized(), minimise);
        EXPECT_EQ(frame->isMaximized(), !minimise);
        frame->showNormal();
        EXPECT_EQ(frame->geometry(), placed) << "minimised: " << minimise;
        form.reset();
    }
}

// Map windows come back stacked as they were left, the top one on top.
TEST_F(MainFormTest, MapsComeBackInTheirStackingOrder) {
    auto stacking = [](TMainForm& f) {
        QList<QRect> out;
        for (QMdiSubWindow* w : f.MdiArea()->subWindowList(QMdiArea::StackingOrder))
            out << w->geometry();
        return out;
    };
    QList<QRect> before;
    {
        TMainForm& f = OpenWithPty();
        for (QMdiSubWindow* w : f.MdiArea()->subWindowList()) w->close();
        ASSERT_TRUE(WaitFor([&] { return f.MapForms().isEmpty(); }));
        for (int i = 0; i < 3; ++i)
            f.CreateMap(-1, false)->parentWidget()->setGeometry(20 * i, 10 * i, 300 + 10 * i, 200);
        // The first one brought to the top: the stack is no longer the order of creation.
        f.MdiArea()->setActiveSubWindow(
            qobject_cast<QMdiSubWindow*>(f.MapForms()[0]->parentWidget()));
        before = stacking(f);
        ASSERT_EQ(before.size(), 3);
        sink.answer = true;
        ASSERT_TRUE(f.close());
    }
    form.reset();
    TMainForm& g = OpenWithPty();
    EXPECT_EQ(stacking(g), before);
}

// ならべて表示 puts the windows side by side, each the full height; 重ねて表示 steps them
// down from the top left, each large enough to work in.
TEST_F(MainFormTest, TileAndCascadeArrangeTheMaps) {
    TMainForm& f = OpenWithPty();
    f.CreateMap(-1, false);
    f.CreateMap(-1, false);
    Act(f, "actWindowTile")->trigger();
    const QList<QMdiSubWindow*> subs = f.MdiArea()->subWindowList(QMdiArea::CreationOrder);
    ASSERT_EQ(subs.size(), 3);
    const int h = f.MdiArea()->viewport()->height();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(subs[i]->geometry().top(), 0);
        EXPECT_EQ(subs[i]->geometry().height(), h);
        if (i > 0) {
            EXPECT_EQ(subs[i]->geometry().left(), subs[i - 1]->geometry().right() + 1);
        }
    }
    Act(f, "actWindowCascade")->trigger();
    const QSize area = f.MdiArea()->viewport()->size();
    const QList<QMdiSubWindow*> stack = f.MdiArea()->subWindowList(QMdiArea::StackingOrder);
    for (int i = 0; i < 3; ++i) {
        EXPECT_GE(stack[i]->width(), area.width() / 2);
        EXPECT_GE(stack[i]->height(), area.height() / 2);
        if (i > 0) {
            EXPECT_GT(stack[i]->y(), stack[i - 1]->y());
        }
    }
}

// The end of the desktop session: no question, the job's values stored, the window closed.
TEST_F(MainFormTest, EndOfSessionClosesWithoutAskingAndStoresTheJob) {
    TMainForm& f = OpenWithPty();
    Named<TCircleToolBar>(f, "tbCircle")->edtCircleSize->setValue(33);
    f.SetLineNameAsker([](const QString& preset) { return std::optional(preset); });
    Act(f, "actSurveyStart")->trigger();
    ASSERT_TRUE(f.Recording());
    f.EndSession();
    EXPECT_TRUE(sink.questions.isEmpty());
    EXPECT_FALSE(f.isVisible());
    EXPECT_FALSE(f.Recording());
    MainWindowConfig c;
    c.Load(Cfg());
    EXPECT_EQ(c.CircleSize, 33);
    EXPECT_EQ(c.MapCount, 1);
}

}  // namespace
}  // namespace tidrun

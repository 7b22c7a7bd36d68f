#include "console/mainform.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

#include "console/calibratedlg.h"
#include "console/deferredsink.h"
#include "console/dialogs/aboutbox.h"
#include "console/dialogs/setupform.h"
#include "console/displayrules.h"
#include "console/formhelp.h"
#include "console/transfer.h"
#include "planview/angles.h"
#include "planview/cutstore.h"
#include "planview/gui/mapform.h"
#include "planview/plannedline.h"
#include "platform/gui/numericedit.h"
#include "platform/gui/restoredgeometry.h"
#include "platform/portmap.h"
#include "platform/seriallink.h"
#include "positioning/gps.h"
#include "positioning/nmea.h"
#include "surveydata/codec.h"
#include "surveydata/inifile.h"
#include "surveydata/pointcoll.h"
#include "surveydata/sokusencoll.h"

namespace tidrun {

namespace {

const QString kToolSection = QStringLiteral("ツールバー");
const QString kToolKey = QStringLiteral("State");

QColor Rgb(std::uint32_t rgb) {
    return QColor::fromRgb(rgb);
}

// A mark's Number holds its colour as the Windows colour value 0x00BBGGRR.
int ColourToNumber(const QColor& c) {
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

QColor NamedMapColour(const QString& name) {
    static const struct {
        const char* name;
        std::uint32_t rgb;
    } kColours[] = {
        {"Black", 0x000000},  {"Maroon", 0x800000},  {"Green", 0x008000}, {"Olive", 0x808000},
        {"Navy", 0x000080},   {"Purple", 0x800080},  {"Teal", 0x008080},  {"Gray", 0x808080},
        {"Silver", 0xC0C0C0}, {"Red", 0xFF0000},     {"Lime", 0x00FF00},  {"Yellow", 0xFFFF00},
        {"Blue", 0x0000FF},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0x00FFFF},  {"White", 0xFFFFFF}};
    for (const auto& c : kColours)
        if (name.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0) return Rgb(c.rgb);
    return Rgb(0x008080);
}

// The hourglass for the duration of a scope, restored whatever happens.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

// A small round lamp.
QLabel* MakeLed(QWidget* parent, const char* name) {
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setFixedSize(14, 14);
    l->setProperty("on", false);
    l->setStyleSheet(
        QStringLiteral("border-radius:7px; border:1px solid #404040;"
                       "background:#203020;"));
    return l;
}

void SetLed(QLabel* led, bool on, const char* onColour = "#30ff30") {
    led->setProperty("on", on);
    led->setStyleSheet(QStringLiteral("border-radius:7px; border:1px solid #404040; background:%1;")
                           .arg(on ? QLatin1String(onColour) : QLatin1String("#203020")));
}

QPixmap CompassPixmap(double angle) {
    QPixmap pm(100, 100);
    pm.fill(QApplication::palette().color(QPalette::Button));
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black));
    p.setBrush(Rgb(0x0000FF));
    p.drawEllipse(0, 0, 99, 99);
    static const int kArrow[4][2] = {{-45, 0}, {40, 20}, {20, 0}, {40, -20}};
    QPolygon poly;
    for (const auto& a : kArrow) {
        const double pp = a[0], q = a[1];
        poly << QPoint(
            50 + static_cast<int>(std::trunc(q * std::cos(angle) - pp * std::sin(angle))),
            50 + static_cast<int>(std::trunc(pp * std::cos(angle) + q * std::sin(angle))));
    }
    p.setBrush(Rgb(0xFFFF00));
    p.drawPolygon(poly);
    return pm;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Creation

TMainForm::TMainForm(MessageSink& sink, const QString& programDir, QWidget* parent)
    : QMainWindow(parent),
      sink_(sink),
      programDir_(QDir::cleanPath(programDir)),
      kijun_(std::make_unique<TKijunColl>(sink)),
      tansa_(std::make_unique<TTansaColl>(sink)),
      ijo_(std::make_unique<TIjoColl>(sink)),
      sokusen_(std::make_unique<TSokusenColl>(sink)),
      misoku_(std::make_unique<TMisokuColl>(sink)) {
    qRegisterMetaType<tidrun::TRulerRect>();
    setObjectName(QStringLiteral("MainForm"));
    SetCaption(BaseTitle());
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowTabbedDocks);
    elapsed_.start();
    clock_ = [this] { return elapsed_.elapsed(); };

    CreateActions();
    CreateMenus();
    CreateCentral();
    CreateToolBars();
    CreateToolWindows();
    InitState();
    SetAppTitle(IdleAppTitle());

    chooseFolder_ = [this](const QString& preset) -> std::optional<QString> {
        const QString dir = QFileDialog::getExistingDirectory(
            this, QStringLiteral("作業フォルダの選択"), preset, QFileDialog::ShowDirsOnly);
        if (dir.isEmpty()) return std::nullopt;
        return dir;
    };
    runSettings_ = [this](TJobSettings& settings, const QString& cfgPath) {
        TSetupForm* form = SetupForm();
        if (!form->Execute(cfgPath)) return false;
        settings = form->Settings();
        return true;
    };

    connect(mdiArea_, &QMdiArea::subWindowActivated, this, [this] {
        UpdateMenus();
        UpdateActions();
    });
    gpsSink_ = new TDeferredSink(sink_, this);
    ports_ = std::make_unique<TReceiverPorts>(IniPath(), programDir_);
    calibrateDlg_ = new TfrmCalibrateDlg(sink_, this);
    formHelp_ = new TFormHelp(this);
    connect(formHelp_, &TFormHelp::LinkActivated, this, &TMainForm::HelpLink);
    ageTimer_ = new QTimer(this);
    ageTimer_->setInterval(500);
    connect(ageTimer_, &QTimer::timeout, this, &TMainForm::CheckPositionAge);
}

TMainForm::~TMainForm() {
    // The child widgets outlive this class's part of the object: nothing they emit while
    // they are torn down may reach it, and the map windows go while the collections they
    // read still exist. The receiver goes before the ports it reads.
    for (QObject* child : findChildren<QObject*>())
        QObject::disconnect(child, nullptr, this, nullptr);
    if (ageTimer_) ageTimer_->stop();
    for (QMdiSubWindow* w : mdiArea_->subWindowList()) delete w;
    delete gps_;
    gps_ = nullptr;
}

TSetupForm* TMainForm::SetupForm() {
    if (!setupForm_) {
        setupForm_ = new TSetupForm(sink_, this);
        setupForm_->SetPortDescriber(
            [this](const QString& port) { return DescribePort(IniPath(), programDir_, port); });
    }
    return setupForm_;
}

QString TMainForm::IniPath() const {
    return TidrunIniPath(programDir_);
}

void TMainForm::CreateActions() {
    auto make = [this](const char* name, const QString& text, const QString& shortHint,
                       const QString& longHint = {}, QKeySequence key = {}) {
        auto* a = new QAction(text, this);
        a->setObjectName(QLatin1String(name));
        if (!shortHint.isEmpty()) a->setToolTip(shortHint);
        a->setStatusTip(longHint.isEmpty() ? shortHint : longHint);
        if (!key.isEmpty()) a->setShortcut(key);
        return a;
    };
    // Toolbar buttons show the icon text: the caption without the menu's accelerator.
    auto iconText = [](QAction* a, const QString& t) { a->setIconText(t); };

    actFileOpen = make("actFileOpen", QStringLiteral("開く(&O)"), QStringLiteral("ファイルを開く"));
    actFileClose =
        make("actFileClose", QStringLiteral("閉じる(&C)"), QStringLiteral("ファイルを閉じる"));
    actExit = make("actExit", QStringLiteral("終了(&X)"), QStringLiteral("Tidrunを終了する"));
    actNewMap = make("actNewMap", QStringLiteral("平面図(&M)"), QStringLiteral("平面図"),
                     QStringLiteral("新しい平面図を表示する"), Qt::Key_F2);
    actSurveyStart = make("actSurveyStart", QStringLiteral("開始(&B)"), QStringLiteral("収録開始"),
                          QStringLiteral("収録を開始する"), Qt::Key_F3);
    actSurveyStop = make("actSurveyStop", QStringLiteral("終了(&E)"), QStringLiteral("収録終了"),
                         QStringLiteral("収録を終了する"), Qt::Key_F5);
    actMapZoomRem = make("actMapZoomRem", QStringLiteral("設標点～移動体(&F)"),
                         QStringLiteral("設標点～移動体表示"),
                         QStringLiteral("平面図を設標点から移動体の範囲で表示する"), Qt::Key_F6);
    iconText(actMapZoomRem, QStringLiteral("設標点～移動体"));
    actMapZoomIn = make("actMapZoomIn", QStringLiteral("拡大(&Z)"), QStringLiteral("拡大表示"),
                        QStringLiteral("平面図を拡大表示する"), Qt::Key_F7);
    iconText(actMapZoomIn, QStringLiteral("拡大"));
    actMapZoomOut = make("actMapZoomOut", QStringLiteral("縮小(&U)"), QStringLiteral("縮小表示"),
                         QStringLiteral("平面図を縮小表示する"), Qt::Key_F8);
    iconText(actMapZoomOut, QStringLiteral("縮小"));
    actCompass = make("actCompass", QStringLiteral("円定規(&C)"), QStringLiteral("円定規"),
                      QStringLiteral("円定規を平面図上に表示する"), Qt::Key_F9);
    actRuler = make("actRuler", QStringLiteral("計画線(&L)"), QStringLiteral("計画線"),
                    QStringLiteral("計画線を平面図上に表示する"), Qt::Key_F10);
    actMapAutoMove =
        make("actMapAutoMove", QStringLiteral("自動追尾(&A)"), QStringLiteral("自動追尾"),
             QStringLiteral("船を自動追尾する"), Qt::Key_F11);
    iconText(actMapAutoMove, QStringLiteral("自動追尾"));
    actMapRapidMode =
        make("actMapRapidMode", QStringLiteral("高速表示(&R)"), QStringLiteral("高速表示"),
             QStringLiteral("平面図を高速表示ﾓｰﾄﾞにする"), Qt::Key_F12);
    actMapPrint = make("actMapPrint", QStringLiteral("平面図印刷(&P)..."),
                       QStringLiteral("選択した平面図を印刷する"));
    for (QAction* a : {actCompass, actRuler, actMapAutoMove, actMapRapidMode})
        a->setCheckable(true);

    actTBCircle = make("actTBCircle", QStringLiteral("円定規の設定"), {});
    actTBRuler = make("actTBRuler", QStringLiteral("計画線の設定"), {});
    ActTBRef = make("ActTBRef", QStringLiteral("誘導点の設定"), {}, {}, Qt::SHIFT | Qt::Key_F8);
    actTWGPS = make("actTWGPS", QStringLiteral("受信ﾃﾞｰﾀ"), {}, {}, Qt::SHIFT | Qt::Key_F9);
    actTWCut = make("actTWCut", QStringLiteral("収録"), {}, {}, Qt::SHIFT | Qt::Key_F10);
    actTBRem = make("actTBRem", QStringLiteral("設標"), {}, {}, Qt::SHIFT | Qt::Key_F11);
    actTBAlign = make("actTBAlign", QStringLiteral("ﾂｰﾙの整理"), {}, {}, Qt::SHIFT | Qt::Key_F12);
    for (QAction* a : {actTBCircle, actTBRuler, ActTBRef, actTWGPS, actTWCut, actTBRem})
        a->setCheckable(true);

    actCalibrate =
        make("actCalibrate", QStringLiteral("補正(&C)..."), QStringLiteral("補正値を設定する"));
    actWindowCascade = make("actWindowCascade", QStringLiteral("重ねて表示(&C)"),
                            QStringLiteral("ｳｨﾝﾄﾞｳを重なりあうように並べ直す"));
    actWindowTile = make("actWindowTile", QStringLiteral("ならべて表示(&T)"),
                         QStringLiteral("ｳｨﾝﾄﾞｳを重ならないように並べ直す"));
    actWindowArrange = make("actWindowArrange", QStringLiteral("ｱｲｺﾝの整列(&A)"),
                            QStringLiteral("すべてのｱｲｺﾝをｳｨﾝﾄﾞｳの下に並べ直す"));
    actWindowMinimize = make("actWindowMinimize", QStringLiteral("すべてを最小化(&M)"),
                             QStringLiteral("すべてのｳｨﾝﾄﾞｳをｱｲｺﾝ状態にする"));
    actHelpSokuryo = make("actHelpSokuryo", QStringLiteral("収録"), {}, {}, Qt::Key_F1);
    actHelpSetuhyo = make("actHelpSetuhyo", QStringLiteral("設標"), {}, {}, Qt::SHIFT | Qt::Key_F1);
    actAbout = make("actAbout", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)"),
                    QStringLiteral("Tidrunのﾊﾞｰｼﾞｮﾝを表示する"));

    const QStyle* st = style();
    actFileOpen->setIcon(st->standardIcon(QStyle::SP_DialogOpenButton));
    actFileClose->setIcon(st->standardIcon(QStyle::SP_DialogCloseButton));
    actNewMap->setIcon(st->standardIcon(QStyle::SP_FileDialogNewFolder));
    actSurveyStart->setIcon(st->standardIcon(QStyle::SP_MediaPlay));
    actSurveyStop->setIcon(st->standardIcon(QStyle::SP_MediaStop));
    actExit->setIcon(st->standardIcon(QStyle::SP_TitleBarCloseButton));

    connect(actFileOpen, &QAction::triggered, this, &TMainForm::FileOpen);
    connect(actFileClose, &QAction::triggered, this, &TMainForm::FileClose);
    connect(actExit, &QAction::triggered, this, &QWidget::close);
    connect(actNewMap, &QAction::triggered, this, [this] {
        if (IsOpen()) CreateMap(-1, false);
    });
    connect(actMapZoomIn, &QAction::triggered, this, [this] { PostToActive(&TMapForm::OnZoomIn); });
    connect(actMapZoomOut, &QAction::triggered, this,
            [this] { PostToActive(&TMapForm::OnZoomOut); });
    connect(actMapZoomRem, &QAction::triggered, this,
            [this] { PostToActive(&TMapForm::OnZoomRem); });
    connect(actCompass, &QAction::triggered, this, [this] {
        ToggleMapSwitch(actCompass, &TMapForm::CircleRuler, &TMapForm::SetCircleRuler);
        if (actCompass->isChecked()) edtCircleSize->setFocus();
    });
    connect(actRuler, &QAction::triggered, this, [this] {
        ToggleMapSwitch(actRuler, &TMapForm::PlannedLine, &TMapForm::SetPlannedLine);
        if (actRuler->isChecked()) edtRulerAngle->setFocus();
    });
    connect(actMapAutoMove, &QAction::triggered, this, [this] {
        ToggleMapSwitch(actMapAutoMove, &TMapForm::AutoMove, &TMapForm::SetAutoMove);
    });
    connect(actMapRapidMode, &QAction::triggered, this, [this] {
        ToggleMapSwitch(actMapRapidMode, &TMapForm::RapidMode, &TMapForm::SetRapidMode);
    });
    connect(actMapPrint, &QAction::triggered, this, &TMainForm::PrintActiveMap);
    connect(actTBCircle, &QAction::triggered, this, [this](bool on) { tbCircle->setVisible(on); });
    connect(actTBRuler, &QAction::triggered, this, [this](bool on) {
        tbRuler->setVisible(on);
        pnlRuler->setVisible(on);
    });
    connect(ActTBRef, &QAction::triggered, this, [this] { ToggleDock(ToolWinRef, cbxRefPoint); });
    connect(actTWGPS, &QAction::triggered, this, [this] { ToggleDock(ToolWinGPS, nullptr); });
    connect(actTWCut, &QAction::triggered, this, [this] { ToggleDock(ToolWinCut, nullptr); });
    connect(actTBRem, &QAction::triggered, this, [this] { ToggleDock(ToolWinRem, cbxRemPoint); });
    connect(actTBAlign, &QAction::triggered, this, &TMainForm::AlignTools);
    connect(actCalibrate, &QAction::triggered, this, &TMainForm::Calibrate);
    connect(actHelpSokuryo, &QAction::triggered, this,
            [this] { ShowHelp(THelpKind::Recording, actHelpSokuryo); });
    connect(actHelpSetuhyo, &QAction::triggered, this,
            [this] { ShowHelp(THelpKind::BuoySetting, actHelpSetuhyo); });
    connect(actAbout, &QAction::triggered, this, [this] {
        TAboutBox box(this);
        box.Execute();
    });
    connect(actWindowCascade, &QAction::triggered, this, [this] { mdiArea_->cascadeSubWindows(); });
    connect(actWindowTile, &QAction::triggered, this, &TMainForm::TileWindows);
    connect(actWindowArrange, &QAction::triggered, this, [this] {
        // Minimised windows line up along the bottom of the workspace.
        int x = 0;
        for (QMdiSubWindow* w : mdiArea_->subWindowList()) {
            if (!w->isMinimized()) continue;
            w->move(x, mdiArea_->viewport()->height() - w->height());
            x += w->width();
        }
    });
    connect(actWindowMinimize, &QAction::triggered, this, [this] {
        for (QMdiSubWindow* w : mdiArea_->subWindowList()) w->showMinimized();
    });
}

void TMainForm::CreateMenus() {
    menuFile = menuBar()->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)"));
    menuFile->addAction(actFileOpen);
    menuFile->addAction(actFileClose);
    menuFile->addSeparator();
    menuFile->addAction(actExit);
    menuView = menuBar()->addMenu(QStringLiteral("表示(&V)"));
    menuView->addAction(actNewMap);
    menuSurvey = menuBar()->addMenu(QStringLiteral("収録(&S)"));
    menuSurvey->addAction(actSurveyStart);
    menuSurvey->addAction(actSurveyStop);
    menuOperate = menuBar()->addMenu(QStringLiteral("操作(&M)"));
    menuOperate->addAction(actMapZoomRem);
    menuOperate->addAction(actMapZoomIn);
    menuOperate->addAction(actMapZoomOut);
    menuOperate->addSeparator();
    menuOperate->addAction(actCompass);
    menuOperate->addAction(actRuler);
    menuOperate->addSeparator();
    menuOperate->addAction(actMapAutoMove);
    menuOperate->addAction(actMapRapidMode);
    menuOperate->addSeparator();
    menuOperate->addAction(actMapPrint);
    menuTools = menuBar()->addMenu(QStringLiteral("ﾂｰﾙ(&T)"));
    menuTools->addAction(actTBCircle);
    menuTools->addAction(actTBRuler);
    menuTools->addSeparator();
    menuTools->addAction(ActTBRef);
    menuTools->addAction(actTWGPS);
    menuTools->addAction(actTWCut);
    menuTools->addAction(actTBRem);
    menuTools->addSeparator();
    menuTools->addAction(actTBAlign);
    connect(menuTools, &QMenu::aboutToShow, this, &TMainForm::SyncToolChecks);
    menuOption = menuBar()->addMenu(QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));
    menuOption->addAction(actCalibrate);
    menuWindow = menuBar()->addMenu(QStringLiteral("ｳｨﾝﾄﾞｳ(&W)"));
    menuWindow->addAction(actWindowCascade);
    menuWindow->addAction(actWindowTile);
    menuWindow->addAction(actWindowArrange);
    menuWindow->addAction(actWindowMinimize);
    menuHelp = menuBar()->addMenu(QStringLiteral("ﾍﾙﾌﾟ(&H)"));
    auto* heading = menuHelp->addAction(QStringLiteral("作業手順"));
    heading->setEnabled(false);
    menuHelp->addAction(actHelpSokuryo);
    menuHelp->addAction(actHelpSetuhyo);
    menuHelp->addSeparator();
    menuHelp->addAction(actAbout);
    // Shortcuts stay live while a menu is hidden (収録 follows its tool window).
    addActions({actFileOpen, actFileClose, actNewMap, actSurveyStart, actSurveyStop, actMapZoomRem,
                actMapZoomIn, actMapZoomOut, actCompass, actRuler, actMapAutoMove, actMapRapidMode,
                ActTBRef, actTWGPS, actTWCut, actTBRem, actTBAlign, actHelpSokuryo,
                actHelpSetuhyo});
    for (QMenu* m :
         {menuFile, menuView, menuSurvey, menuOperate, menuTools, menuOption, menuWindow, menuHelp})
        m->setToolTipsVisible(true);
}

void TMainForm::CreateCentral() {
    auto* central = new QWidget(this);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    mdiArea_ = new QMdiArea(central);
    mdiArea_->setObjectName(QStringLiteral("MdiArea"));
    mdiArea_->setBackground(QApplication::palette().brush(QPalette::Dark));
    v->addWidget(mdiArea_, 1);

    // The bottom panel: date, the boat's coordinates, the planned-line panel, information.
    auto* bottom = new QWidget(central);
    bottom->setObjectName(QStringLiteral("pnlBottom"));
    auto* h = new QHBoxLayout(bottom);
    h->setContentsMargins(4, 2, 4, 2);
    lblDate = MakeLabel(bottom, "lblDate", {});
    auto* xTitle = MakeLabel(bottom, "lblXTitle", QStringLiteral("Ｘ"));
    lblXValue = MakeLabel(bottom, "lblXValue", QStringLiteral("        0.000"));
    auto* yTitle = MakeLabel(bottom, "lblYTitle", QStringLiteral("Ｙ"));
    lblYValue = MakeLabel(bottom, "lblYValue", QStringLiteral("       0.000"));
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSize(mono.pointSize() + 3);
    mono.setBold(true);
    for (QLabel* l : {lblXValue, lblYValue}) {
        l->setFont(mono);
        l->setAutoFillBackground(true);
        l->setMinimumWidth(QFontMetrics(mono).horizontalAdvance(QStringLiteral("0")) * 26);
        l->setContentsMargins(6, 2, 6, 2);
    }
    pnlRuler = new QWidget(bottom);
    pnlRuler->setObjectName(QStringLiteral("pnlRuler"));
    auto* rh = new QHBoxLayout(pnlRuler);
    rh->setContentsMargins(8, 0, 8, 0);
    imgRulerLeft = MakeLabel(pnlRuler, "imgRulerLeft", QStringLiteral("◀"));
    lblRulerDist = MakeLabel(pnlRuler, "lblRulerDist", QStringLiteral("   0.0"));
    lblRulerDist->setFont(mono);
    imgRulerRight = MakeLabel(pnlRuler, "imgRulerRight", QStringLiteral("▶"));
    imgRulerRight->hide();
    rh->addWidget(new QLabel(QStringLiteral("計画線"), pnlRuler));
    rh->addWidget(imgRulerLeft);
    rh->addWidget(lblRulerDist);
    rh->addWidget(imgRulerRight);
    pnlRuler->hide();
    lblInfo = MakeLabel(bottom, "lblInfo", {});
    lblInfo->setToolTip(QStringLiteral("点情報"));
    lblInfo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    h->addWidget(lblDate);
    h->addSpacing(8);
    h->addWidget(xTitle);
    h->addWidget(lblXValue);
    h->addWidget(yTitle);
    h->addWidget(lblYValue);
    h->addWidget(pnlRuler);
    h->addWidget(lblInfo, 1);
    v->addWidget(bottom);
    setCentralWidget(central);
    statusBar();
}

void TMainForm::CreateToolBars() {
    tbStandard = new QToolBar(QStringLiteral("標準"), this);
    tbStandard->setObjectName(QStringLiteral("tbStandard"));
    tbStandard->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnFile = new QToolButton(tbStandard);
    btnFile->setObjectName(QStringLiteral("btnFile"));
    btnFile->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnFile->setDefaultAction(actFileOpen);
    tbStandard->addWidget(btnFile);
    tbStandard->addAction(actNewMap);
    tbStandard->addSeparator();
    btnSurveyStartTool = new QToolButton(tbStandard);
    btnSurveyStartTool->setObjectName(QStringLiteral("btnSurveyStartTool"));
    btnSurveyStartTool->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnSurveyStartTool->setDefaultAction(actSurveyStart);
    btnSurveyStopTool = new QToolButton(tbStandard);
    btnSurveyStopTool->setObjectName(QStringLiteral("btnSurveyStopTool"));
    btnSurveyStopTool->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    btnSurveyStopTool->setDefaultAction(actSurveyStop);
    // Start and stop share one place: one of them is shown.
    QAction* startSlot = tbStandard->addWidget(btnSurveyStartTool);
    QAction* stopSlot = tbStandard->addWidget(btnSurveyStopTool);
    startSlot->setObjectName(QStringLiteral("slotSurveyStart"));
    stopSlot->setObjectName(QStringLiteral("slotSurveyStop"));
    tbStandard->addSeparator();
    tbStandard->addAction(actCalibrate);
    addToolBar(Qt::TopToolBarArea, tbStandard);

    tbOperate = new QToolBar(QStringLiteral("操作"), this);
    tbOperate->setObjectName(QStringLiteral("tbOperate"));
    tbOperate->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (QAction* a : {actMapZoomRem, actMapZoomIn, actMapZoomOut, actCompass, actRuler,
                       actMapAutoMove, actMapRapidMode, actMapPrint})
        tbOperate->addAction(a);
    addToolBar(Qt::TopToolBarArea, tbOperate);

    // Small up-down buttons beside a field: focus the field, add or subtract 1, no wrap.
    auto upDown = [this](QToolBar* bar, const char* name, NumericEdit* field) {
        auto* w = new QWidget(bar);
        w->setObjectName(QLatin1String(name));
        auto* l = new QVBoxLayout(w);
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(0);
        for (int step : {+1, -1}) {
            auto* b = new QToolButton(w);
            b->setArrowType(step > 0 ? Qt::UpArrow : Qt::DownArrow);
            b->setFixedSize(16, 11);
            b->setObjectName(QLatin1String(name) +
                             (step > 0 ? QStringLiteral("Up") : QStringLiteral("Down")));
            connect(b, &QToolButton::clicked, field, [field, step] {
                field->setFocus();
                const double v = std::clamp(std::trunc(field->value()) + step, field->Minimum(),
                                            field->Maximum());
                field->setValue(v);
                emit field->valueCommitted(v);
            });
            l->addWidget(b);
        }
        bar->addWidget(w);
    };

    tbCircle = new QToolBar(QStringLiteral("円定規"), this);
    tbCircle->setObjectName(QStringLiteral("tbCircle"));
    tbCircle->addWidget(new QLabel(QStringLiteral(" 直径 "), tbCircle));
    edtCircleSize = new NumericEdit(QStringLiteral("999"), 1, 999, tbCircle);
    edtCircleSize->setObjectName(QStringLiteral("edtCircleSize"));
    edtCircleSize->setToolTip(QStringLiteral("円定規の直径をﾒｰﾄﾙで入力する"));
    edtCircleSize->SetMessageSink(&sink_);
    edtCircleSize->setFixedWidth(48);
    edtCircleSize->setValue(500);
    tbCircle->addWidget(edtCircleSize);
    upDown(tbCircle, "udCircle", edtCircleSize);
    tbCircle->addWidget(new QLabel(QStringLiteral(" ｍ "), tbCircle));
    connect(edtCircleSize, &NumericEdit::valueCommitted, this,
            [this] { emit CircleSize(CircleDiameter()); });
    addToolBar(Qt::TopToolBarArea, tbCircle);
    tbCircle->hide();

    tbRuler = new QToolBar(QStringLiteral("計画線"), this);
    tbRuler->setObjectName(QStringLiteral("tbRuler"));
    tbRuler->addWidget(new QLabel(QStringLiteral(" 角度 "), tbRuler));
    edtRulerAngle = new NumericEdit(QStringLiteral("####.####"), -360, 360, tbRuler);
    edtRulerAngle->setObjectName(QStringLiteral("edtRulerAngle"));
    edtRulerAngle->setToolTip(QStringLiteral("計画線の角度を度(．分秒)で入力する"));
    edtRulerAngle->SetMessageSink(&sink_);
    edtRulerAngle->setFixedWidth(80);
    tbRuler->addWidget(edtRulerAngle);
    tbRuler->addWidget(new QLabel(QStringLiteral(" 幅 "), tbRuler));
    edtRulerWidth = new NumericEdit(QStringLiteral("999"), 0, 999, tbRuler);
    edtRulerWidth->setObjectName(QStringLiteral("edtRulerWidth"));
    edtRulerWidth->setToolTip(QStringLiteral("計画線の幅をﾒｰﾄﾙで入力する"));
    edtRulerWidth->SetMessageSink(&sink_);
    edtRulerWidth->setFixedWidth(48);
    edtRulerWidth->setValue(500);
    tbRuler->addWidget(edtRulerWidth);
    upDown(tbRuler, "udRulerWidth", edtRulerWidth);
    tbRuler->addWidget(new QLabel(QStringLiteral(" 移動量 "), tbRuler));
    edtRulerStep = new NumericEdit(QStringLiteral("999"), 0, 999, tbRuler);
    edtRulerStep->setObjectName(QStringLiteral("edtRulerStep"));
    edtRulerStep->setToolTip(QStringLiteral("計画線の移動量をﾒｰﾄﾙで入力する"));
    edtRulerStep->SetMessageSink(&sink_);
    edtRulerStep->setFixedWidth(48);
    edtRulerStep->setValue(500);
    tbRuler->addWidget(edtRulerStep);
    upDown(tbRuler, "udRulerStep", edtRulerStep);
    connect(edtRulerAngle, &NumericEdit::valueCommitted, this, &TMainForm::BroadcastRuler);
    connect(edtRulerWidth, &NumericEdit::valueCommitted, this, &TMainForm::BroadcastRuler);
    addToolBar(Qt::TopToolBarArea, tbRuler);
    tbRuler->hide();
}

void TMainForm::CreateToolWindows() {
    auto makeDock = [this](const char* name, QAction* action, QWidget* content) {
        auto* d = new QDockWidget(action->text(), this);
        d->setObjectName(QLatin1String(name));
        d->setWidget(content);
        d->setAllowedAreas(Qt::AllDockWidgetAreas);
        addDockWidget(Qt::RightDockWidgetArea, d);
        d->hide();
        connect(d, &QDockWidget::visibilityChanged, this, [this] { UpdateMenus(); });
        return d;
    };

    // 収録: start/stop in one place, the cut button, the count-down lamps and the last cut.
    auto* cut = new QWidget(this);
    cut->setObjectName(QStringLiteral("pnlCut"));
    auto* cg = new QGridLayout(cut);
    btnSurveyStart = new QPushButton(QStringLiteral("開始"), cut);
    btnSurveyStart->setObjectName(QStringLiteral("btnSurveyStart"));
    btnSurveyStart->setToolTip(actSurveyStart->toolTip());
    btnSurveyStop = new QPushButton(QStringLiteral("終了"), cut);
    btnSurveyStop->setObjectName(QStringLiteral("btnSurveyStop"));
    btnSurveyStop->setToolTip(actSurveyStop->toolTip());
    btnSurveyStop->hide();
    connect(btnSurveyStart, &QPushButton::clicked, actSurveyStart, &QAction::trigger);
    connect(btnSurveyStop, &QPushButton::clicked, actSurveyStop, &QAction::trigger);
    btnCut = new QPushButton(QStringLiteral("カット（保存）"), cut);
    btnCut->setObjectName(QStringLiteral("btnCut"));
    btnCut->setToolTip(QStringLiteral("現在位置を記録する"));
    btnCut->setMinimumHeight(36);
    connect(btnCut, &QPushButton::clicked, this, &TMainForm::CutCommand);
    pnlMode = MakeLabel(cut, "pnlMode", {});
    pnlMode->setFrameShape(QFrame::Panel);
    pnlMode->setFrameShadow(QFrame::Sunken);
    pnlMode->setAlignment(Qt::AlignCenter);
    ledCount2 = MakeLed(cut, "ledCount2");
    ledCount1 = MakeLed(cut, "ledCount1");
    ledCount0 = MakeLed(cut, "ledCount0");
    auto* leds = new QHBoxLayout;
    leds->addWidget(ledCount2);
    leds->addWidget(ledCount1);
    leds->addWidget(ledCount0);
    leds->addStretch();
    auto* durTitle = MakeLabel(cut, "lblDurationTitle", QStringLiteral("経過(秒)"));
    lblDuration = MakeLabel(cut, "lblDuration", QStringLiteral("0000"));
    lblDuration->setToolTip(QStringLiteral("前のｶｯﾄからの経過秒"));
    auto* distTitle = MakeLabel(cut, "lblDistTitle", QStringLiteral("経過（ｍ）"));
    lblDist = MakeLabel(cut, "lblDist", QStringLiteral("0000.000"));
    for (QWidget* w : {static_cast<QWidget*>(durTitle), static_cast<QWidget*>(lblDuration),
                       static_cast<QWidget*>(distTitle), static_cast<QWidget*>(lblDist)})
        w->setEnabled(false);
    auto* lblCutSEQ = MakeLabel(cut, "lblCutSEQ", QStringLiteral("前測点 0"));
    auto* lblCutCutNo = MakeLabel(cut, "lblCutCutNo", QStringLiteral("測線  ｶｯﾄ 0"));
    auto* lblCutX = MakeLabel(cut, "lblCutX", QStringLiteral("Ｘ＝      0.000"));
    auto* lblCutY = MakeLabel(cut, "lblCutY", QStringLiteral("Ｙ＝      0.000"));
    auto* lblPrevDist = MakeLabel(cut, "lblPrevDist", QStringLiteral("     0.0"));
    cg->addWidget(btnSurveyStart, 0, 0);
    cg->addWidget(btnSurveyStop, 0, 0);
    cg->addWidget(pnlMode, 0, 1);
    cg->addWidget(btnCut, 1, 0, 1, 2);
    cg->addLayout(leds, 2, 0, 1, 2);
    cg->addWidget(durTitle, 3, 0);
    cg->addWidget(lblDuration, 3, 1);
    cg->addWidget(distTitle, 4, 0);
    cg->addWidget(lblDist, 4, 1);
    cg->addWidget(lblCutSEQ, 5, 0, 1, 2);
    cg->addWidget(lblCutCutNo, 6, 0, 1, 2);
    cg->addWidget(lblCutX, 7, 0, 1, 2);
    cg->addWidget(lblCutY, 8, 0, 1, 2);
    cg->addWidget(lblPrevDist, 9, 0, 1, 2);
    cg->setRowStretch(10, 1);
    ToolWinCut = makeDock("ToolWinCut", actTWCut, cut);

    // 設標: buoy point, NEWS and XY displays.
    auto* rem = new QWidget(this);
    auto* rv = new QVBoxLayout(rem);
    cbxRemPoint = new QComboBox(rem);
    cbxRemPoint->setObjectName(QStringLiteral("cbxRemPoint"));
    rv->addWidget(cbxRemPoint);
    tabGuide = new QTabWidget(rem);
    tabGuide->setObjectName(QStringLiteral("tabGuide"));
    auto* news = new QWidget(tabGuide);
    auto* ng = new QGridLayout(news);
    lblN = MakeLabel(news, "lblN", QStringLiteral("Ｎ ▲"));
    lblS = MakeLabel(news, "lblS", QStringLiteral("Ｓ ▼"));
    lblE = MakeLabel(news, "lblE", QStringLiteral("Ｅ ▶"));
    lblW = MakeLabel(news, "lblW", QStringLiteral("Ｗ ◀"));
    lblNSValue = MakeLabel(news, "lblNSValue", QString::asprintf("%9.3f", 0.0));
    lblEWValue = MakeLabel(news, "lblEWValue", QString::asprintf("%9.3f", 0.0));
    ng->addWidget(lblN, 0, 0);
    ng->addWidget(lblS, 0, 0);
    ng->addWidget(lblNSValue, 0, 1);
    ng->addWidget(lblE, 1, 0);
    ng->addWidget(lblW, 1, 0);
    ng->addWidget(lblEWValue, 1, 1);
    lblS->hide();
    lblW->hide();
    QFont newsFont = lblN->font();
    newsFont.setPointSize(newsFont.pointSize() + 4);
    newsFont.setBold(true);
    for (QLabel* l : {lblN, lblS, lblE, lblW, lblNSValue, lblEWValue}) l->setFont(newsFont);
    ng->setRowStretch(2, 1);
    ng->setColumnStretch(1, 1);
    tabGuide->addTab(news, QStringLiteral("ＮＥＷＳ"));
    auto* xy = new QWidget(tabGuide);
    auto* xg = new QGridLayout(xy);
    imgCompass = MakeLabel(xy, "imgCompass", {});
    imgCompass->setFixedSize(100, 100);
    imgCompass->setPixmap(CompassPixmap(0));
    lblDMS = MakeLabel(xy, "lblDMS", {});
    lblDeltaXValue = MakeLabel(xy, "lblDeltaXValue", QString::asprintf("%10.3f", 0.0));
    lblDeltaYValue = MakeLabel(xy, "lblDeltaYValue", QString::asprintf("%10.3f", 0.0));
    lblLongValue = MakeLabel(xy, "lblLongValue", QString::asprintf("%10.3f", 0.0));
    xg->addWidget(imgCompass, 0, 0, 4, 1);
    xg->addWidget(lblDMS, 4, 0);
    xg->addWidget(new QLabel(QStringLiteral("ΔＸ"), xy), 0, 1);
    xg->addWidget(lblDeltaXValue, 0, 2);
    xg->addWidget(new QLabel(QStringLiteral("ΔＹ"), xy), 1, 1);
    xg->addWidget(lblDeltaYValue, 1, 2);
    xg->addWidget(new QLabel(QStringLiteral("距離"), xy), 2, 1);
    xg->addWidget(lblLongValue, 2, 2);
    xg->setRowStretch(5, 1);
    tabGuide->addTab(xy, QStringLiteral("ＸＹ"));
    rv->addWidget(tabGuide);
    ToolWinRem = makeDock("ToolWinRem", actTBRem, rem);

    // 受信ﾃﾞｰﾀ: what the receiver sends.
    auto* gps = new QWidget(this);
    auto* gf = new QGridLayout(gps);
    lblGPSTime = MakeLabel(gps, "lblGPSTime", QStringLiteral("00:00:00"));
    LedData = MakeLed(gps, "LedData");
    lblCOM = MakeLabel(gps, "lblCOM", {});
    lblGPSLat = MakeLabel(gps, "lblGPSLat", QStringLiteral("緯度:"));
    lblGPSLon = MakeLabel(gps, "lblGPSLon", QStringLiteral("経度:"));
    lblGPSAlt = MakeLabel(gps, "lblGPSAlt", QStringLiteral("高度:"));
    lblGPSSat = MakeLabel(gps, "lblGPSSat", QStringLiteral("衛星数:"));
    lblGPSQty = MakeLabel(gps, "lblGPSQty", QStringLiteral("測位状態:"));
    lblGPSDOP = MakeLabel(gps, "lblGPSDOP", QStringLiteral("DOP:"));
    lblGPSRef = MakeLabel(gps, "lblGPSRef", QStringLiteral("基地局ID:"));
    lblGPSSec = MakeLabel(gps, "lblGPSSec", QStringLiteral("間隔:"));
    lblGPSSpeed = MakeLabel(gps, "lblGPSSpeed", QStringLiteral("速度:"));
    lblGPSCourse = MakeLabel(gps, "lblGPSCourse", QStringLiteral("方向:"));
    lblPortState = MakeLabel(gps, "lblPortState", {});
    lblPortState->setStyleSheet(QStringLiteral("color:#c00000; font-weight:bold;"));
    lblPortState->hide();
    QFont big = lblGPSTime->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    lblGPSTime->setFont(big);
    auto* top = new QHBoxLayout;
    top->addWidget(LedData);
    top->addWidget(lblGPSTime, 1);
    top->addWidget(lblCOM);
    gf->addLayout(top, 0, 0, 1, 2);
    gf->addWidget(lblPortState, 1, 0, 1, 2);
    gf->addWidget(lblGPSLat, 2, 0, 1, 2);
    gf->addWidget(lblGPSLon, 3, 0, 1, 2);
    gf->addWidget(lblGPSAlt, 4, 0);
    gf->addWidget(lblGPSSat, 4, 1);
    gf->addWidget(lblGPSQty, 5, 0);
    gf->addWidget(lblGPSDOP, 5, 1);
    gf->addWidget(lblGPSRef, 6, 0);
    gf->addWidget(lblGPSSec, 6, 1);
    gf->addWidget(lblGPSSpeed, 7, 0);
    gf->addWidget(lblGPSCourse, 7, 1);
    gf->setRowStretch(8, 1);
    ToolWinGPS = makeDock("ToolWinGPS", actTWGPS, gps);

    // 誘導点の設定: the guide point.
    auto* ref = new QWidget(this);
    auto* fv = new QVBoxLayout(ref);
    cbxRefPoint = new QComboBox(ref);
    cbxRefPoint->setObjectName(QStringLiteral("cbxRefPoint"));
    cbxRefPoint->setToolTip(QStringLiteral("誘導点を選ぶ"));
    fv->addWidget(cbxRefPoint);
    fv->addStretch();
    ToolWinRef = makeDock("ToolWinRef", ActTBRef, ref);

    connect(cbxRefPoint, &QComboBox::currentIndexChanged, this, &TMainForm::BroadcastGuidePoint);
    connect(cbxRemPoint, &QComboBox::currentIndexChanged, this, &TMainForm::BroadcastBuoyPoint);
    for (QDockWidget* d : {ToolWinCut, ToolWinRem, ToolWinGPS, ToolWinRef})
        connect(d, &QDockWidget::dockLocationChanged, this, [this, d] {
            RenumberDocks();
            if (d == ToolWinRef) cbxRefPoint->setFocus();
            if (d == ToolWinRem) cbxRemPoint->setFocus();
        });
}

void TMainForm::InitState() {
    mapCounter_ = 0;
    rulerPivotX_ = rulerPivotY_ = 0;
    rulerExtent_ = rulerSegment_ = TRulerRect{};
    cbxRefPoint->clear();
    cbxRemPoint->clear();
    recording_ = false;
    actFileOpen->setEnabled(true);
    actFileClose->setEnabled(false);
    btnCut->setEnabled(false);
    lblDMS->clear();
    lblDuration->setText(QStringLiteral("0000"));
    lblDist->setText(QStringLiteral("0000.000"));
    lblInfo->clear();
    lblDate->setText(DateLabelText(QDate::currentDate()));
    lastCompassAngle_ = 0;
    imgCompass->setPixmap(CompassPixmap(0));
    ResetReceiverDisplays();
    UpdateMenus();
    UpdateActions();
}

// ---------------------------------------------------------------------------------------
// Start-up, open and close

void TMainForm::StartUp() {
    SetCaption(BaseTitle());
    FileOpen();
    RenumberDocks();
}

bool TMainForm::IsOpen() const {
    return actFileClose->isEnabled();
}

void TMainForm::FileOpen() {
    if (IsOpen()) return;
    DoOpen();
    UpdateMenus();
    UpdateActions();
}

bool TMainForm::DoOpen() {
    const QString iniPath = IniPath();
    const QString preset = ReadWorkDir(iniPath, programDir_);
    const std::optional<QString> chosen = chooseFolder_ ? chooseFolder_(preset) : std::nullopt;
    if (!chosen) return false;

    // From here the configuration path names the new folder; its keys are written back at
    // exit only once this open has gone through (see SaveSettings).
    jobLoaded_ = false;
    workDir_ = QDir::cleanPath(*chosen);
    cfgPath_ = TidrunCfgPath(workDir_);
    calibDir_ = QDir(workDir_).filePath(QStringLiteral("Calib"));
    logDir_ = QDir(workDir_).filePath(QStringLiteral("Log"));

    if (!QFileInfo(workDir_).isDir()) {
        sink_.Show(MessageSink::Kind::Plain, QStringLiteral("作業フォルダが見つかりません"));
        return false;
    }
    if (!QFileInfo(logDir_).isDir() && !QDir().mkdir(logDir_)) {
        sink_.Show(MessageSink::Kind::Plain, QStringLiteral("ログ出力用フォルダが作成できません"));
        return false;
    }
    if (!QFileInfo(calibDir_).isDir() && !QDir().mkdir(calibDir_)) {
        sink_.Show(MessageSink::Kind::Plain,
                   QStringLiteral("キャリブレーション出力用フォルダが作成できません"));
        return false;
    }
    ReadMainConfig();
    // The job's tool windows come back before its settings are shown; a cancelled open puts
    // back what was there, so that no empty tool window of a job that did not open stays.
    const QByteArray docksBefore = saveState();
    RestoreToolPositions();

    if (!runSettings_ || !runSettings_(settings_, cfgPath_)) {
        restoreState(docksBefore);
        RenumberDocks();
        return false;
    }

    WriteWorkDir(iniPath, workDir_);
    SetCaption(JobTitle(settings_.JobName, settings_.MapDatum));
    if (settings_.SurveyAreaChanged()) {
        savedMapCount_ = 0;
        rulerExtent_.X0 = rulerExtent_.X1 = 0;
    }

    LoadJobFiles();

    QStringList refNames, buoyNames;
    for (const TKijun& k : kijun_->Items()) refNames << k.Name;
    for (const TIjo& b : ijo_->Items()) buoyNames << b.Name;
    FillChooser(cbxRefPoint, refNames, guideName_);
    FillChooser(cbxRemPoint, buoyNames, buoyName_);

    ComputeRulerExtent();

    // The close action counts as the open state from here, so that map windows can be made.
    actFileOpen->setEnabled(false);
    actFileClose->setEnabled(true);

    if (savedMapCount_ < 1) {
        for (QDockWidget* d : {ToolWinRem, ToolWinGPS, ToolWinCut}) {
            removeDockWidget(d);
            addDockWidget(Qt::RightDockWidgetArea, d);
            d->show();
        }
        TMapForm* first = CreateMap(-1, true);
        // The planned line goes on in this window even before the frame has activated it.
        mdiArea_->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
        if (!actRuler->isChecked()) actRuler->trigger();
    } else {
        for (int i = 0; i < savedMapCount_; ++i) CreateMap(i, false);
    }

    BroadcastGuidePoint();
    BroadcastBuoyPoint();

    pnlMode->setText(RecordingModeText(settings_.CutMethodIndex(), settings_.IntervalSeconds()));
    lblCOM->setText(settings_.GpsDatum);

    OpenPort();

    if (sokusen_->Count() > 0) {
        const int last = sokusen_->Count() - 1;
        const TSokusen& r = sokusen_->Item(last);
        auto set = [this](const char* name, const QString& text) {
            if (auto* l = findChild<QLabel*>(QLatin1String(name))) l->setText(text);
        };
        set("lblCutSEQ", QString::asprintf("前測点 %d", r.Serial));
        const QByteArray name = sokusen_->LineName(last).toLocal8Bit().left(10);
        set("lblCutCutNo",
            QStringLiteral("測線 %1 ｶｯﾄ %2").arg(sokusen_->LineName(last).left(10)).arg(r.CutNo));
        set("lblCutX", QString::asprintf("Ｘ＝%11.3f", r.X));
        set("lblCutY", QString::asprintf("Ｙ＝%11.3f", r.Y));
        set("lblPrevDist", QString::asprintf("%8.1f", r.Dist));
    }
    jobLoaded_ = true;
    return true;
}

void TMainForm::ReadMainConfig() {
    MainWindowConfig c;
    c.Load(cfgPath_);
    edtCircleSize->setValue(c.CircleSize);
    edtRulerAngle->setText(c.RulerDMS);
    edtRulerWidth->setValue(c.RulerWD);
    edtRulerStep->setValue(c.RulerStep);
    rulerStep_ = c.RulerStep;
    savedMapCount_ = c.MapCount;
    rulerPivotX_ = c.RulerX;
    rulerPivotY_ = c.RulerY;
    rulerExtent_ = {c.RulerX0, c.RulerY0, c.RulerX1, c.RulerY1};
    hosei_ = {c.HoseiX, c.HoseiY, c.HoseiH, c.HoseiA};
    guideName_ = c.GuidePoint;
    buoyName_ = c.BuoyPoint;
}

void TMainForm::LoadJobFiles() {
    WaitCursor wait;
    // Relative names in the settings are taken from the work folder.
    auto path = [this](const QString& p) { return settings_.Resolve(p); };
    kijun_->Load(path(settings_.KijunPath()));
    tansa_->Load(path(settings_.TansaPath()));
    sokusen_->Load(path(settings_.SokusenPath()));
    ijo_->Clear();
    misoku_->Clear();
    if (!settings_.IjoPath().isEmpty()) ijo_->Load(path(settings_.IjoPath()));
    if (!settings_.MisokuPath().isEmpty()) misoku_->Load(path(settings_.MisokuPath()));
}

void TMainForm::FillChooser(QComboBox* chooser, const QStringList& names,
                            const QString& remembered) {
    const QSignalBlocker block(chooser);
    chooser->clear();
    chooser->addItem(QStringLiteral("(なし)"));
    chooser->addItems(names);
    const int found = remembered.isEmpty() ? -1 : names.indexOf(remembered);
    chooser->setCurrentIndex(found >= 0 ? found + 1 : 0);
}

void TMainForm::ComputeRulerExtent() {
    if (rulerExtent_.X0 == 0 && rulerExtent_.X1 == 0) {
        rulerExtent_ = {tansa_->MinX() - 100000, tansa_->MinY() - 100000, tansa_->MaxX() + 100000,
                        tansa_->MaxY() + 100000};
        rulerPivotX_ = (rulerExtent_.X0 + rulerExtent_.X1) / 2;
        rulerPivotY_ = (rulerExtent_.Y0 + rulerExtent_.Y1) / 2;
    }
    BroadcastRuler();
}

void TMainForm::OpenPort() {
    // The GPS port and, unless the transfer is "しない", the transfer port; Open opens both
    // or neither.
    gps_ = new TGPS(*gpsSink_, this);
    ports_->Configure(*gps_, settings_);
    ResetReceiverDisplays();
    connect(gps_, &TGPS::PortLost, this, [this] {
        fixWatch_.Disconnected();
        SetAppTitle(DisconnectedAppTitle());
        ShowPortState();
    });
    connect(gps_, &TGPS::DataFlowing, this, [this] {
        fixWatch_.Connected(clock_());
        SetAppTitle(QString());
        ShowPortState();
    });
    if (gps_->Open()) {
        gps_->OnMonitor = [this](const TNMEA& nmea) { OnMonitor(nmea); };
        gps_->OnPosition = [this](double x, double y, double h, const QDateTime& t) {
            return OnPosition(x, y, h, t);
        };
        SetAppTitle(QString());
        fixWatch_.Connected(clock_());
        ageTimer_->start();
    } else {
        sink_.Error(QStringLiteral("接続エラー"));
        SetAppTitle(DisconnectedAppTitle());
    }
    ShowPortState();
}

void TMainForm::FileClose() {
    if (!IsOpen() || recording_) return;
    // The job's values go to its file as at exit, while its map windows are still there.
    SaveSettings();
    jobLoaded_ = false;
    for (TMapForm* m : MapForms()) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(m->parentWidget()))
            QMetaObject::invokeMethod(sub, &QWidget::close, Qt::QueuedConnection);
        else
            QMetaObject::invokeMethod(m, &QWidget::close, Qt::QueuedConnection);
    }
    guideName_ = cbxRefPoint->currentIndex() > 0 ? cbxRefPoint->currentText() : QString();
    buoyName_ = cbxRemPoint->currentIndex() > 0 ? cbxRemPoint->currentText() : QString();
    if (gps_) {
        gps_->OnMonitor = nullptr;
        gps_->OnPosition = nullptr;
        gps_->Close();
        delete gps_;
        gps_ = nullptr;
    }
    ports_->Release();
    ageTimer_->stop();
    ResetReceiverDisplays();
    ShowPortState();
    actFileOpen->setEnabled(true);
    actFileClose->setEnabled(false);
    SetCaption(BaseTitle());
    SetAppTitle(IdleAppTitle());
    UpdateMenus();
    UpdateActions();
}

void TMainForm::SetCaption(const QString& caption) {
    caption_ = caption;
    setWindowTitle(WindowCaption(caption_, appTitle_));
}

void TMainForm::SetAppTitle(const QString& title) {
    // Part of this window's own caption: the dialogs' captions stay their own.
    appTitle_ = title;
    setWindowTitle(WindowCaption(caption_, appTitle_));
}

bool TMainForm::PortConnected() const {
    return gps_ && gps_->IsOpen() && gps_->IsConnected();
}

void TMainForm::ShowPortState() {
    if (gps_ && gps_->IsOpen() && !gps_->IsConnected()) {
        const QString source = ports_->GpsPort() ? ports_->GpsPort()->Source() : QString();
        QString text = QStringLiteral("%1 が切断されました（再接続中）").arg(settings_.Port);
        if (!source.isEmpty())
            text += QLatin1Char('\n') +
                    lblPortState->fontMetrics().elidedText(source, Qt::ElideMiddle, 220);
        lblPortState->setText(text);
        lblPortState->setToolTip(source);
        lblPortState->show();
    } else if (!lblPortState->isHidden()) {
        lblPortState->clear();
        lblPortState->hide();
        // Once the layout has taken in the hidden text.
        QTimer::singleShot(0, this, [this] { FitDockToContent(ToolWinGPS); });
    }
    CheckPositionAge();
}

void TMainForm::FitDockToContent(QDockWidget* dock) {
    // A dock keeps the height a longer text once gave it; give the room back.
    if (dock->isHidden()) return;
    if (QLayout* l = dock->widget()->layout()) l->activate();
    if (dock->isFloating())
        dock->adjustSize();
    else
        resizeDocks({dock}, {dock->sizeHint().height()}, Qt::Vertical);
}

// ---------------------------------------------------------------------------------------
// Closing the main window

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!endingSession_) {
        if (recording_) {
            event->ignore();
            return;
        }
        // The session may end while the question is up: then it closes all the same.
        if (!sink_.Confirm(QStringLiteral("終了しますか")) && !endingSession_) {
            event->ignore();
            return;
        }
    }
    // 閉じる stores the open job's values; a closed console has stored them already.
    if (IsOpen())
        FileClose();
    else
        SaveSettings();
    delete setupForm_;
    event->accept();
}

void TMainForm::EndSession() {
    // The desktop session is ending: no question; a line in progress ends as by 終了(&E)
    // (its cuts are on disk already), the job's values are stored, the window closes.
    endingSession_ = true;
    if (recording_) actSurveyStop->trigger();
    if (recording_) SetRecording(false);
    if (IsOpen())
        FileClose();
    else
        SaveSettings();
    close();
}

void TMainForm::SaveSettings() {
    // Only the keys of a job that was opened go back to its file: after an open that stopped
    // early the window holds another job's values (or none), and writing them would replace
    // that folder's offsets, planned line and window layouts.
    if (cfgPath_.isEmpty() || !jobLoaded_) return;
    // Map windows first, from the last MDI child to the first.
    const QList<QMdiSubWindow*> subs = mdiArea_->subWindowList(QMdiArea::CreationOrder);
    int n = 0;
    for (auto it = subs.crbegin(); it != subs.crend(); ++it) {
        if (auto* m = qobject_cast<TMapForm*>((*it)->widget())) m->SaveState(cfgPath_, n++);
    }
    // A field that fails its range check keeps the last value that passed it.
    auto good = [](const NumericEdit* e) {
        return e->IsInRange() ? e->text().trimmed() : e->CommittedText();
    };
    MainWindowConfig c;
    c.CircleSize = good(edtCircleSize).toInt();
    c.RulerDMS = good(edtRulerAngle).isEmpty() ? QStringLiteral("0") : good(edtRulerAngle);
    c.RulerWD = good(edtRulerWidth).toInt();
    c.RulerStep = good(edtRulerStep).toInt();
    c.RulerX = rulerPivotX_;
    c.RulerY = rulerPivotY_;
    c.RulerX0 = rulerExtent_.X0;
    c.RulerY0 = rulerExtent_.Y0;
    c.RulerX1 = rulerExtent_.X1;
    c.RulerY1 = rulerExtent_.Y1;
    c.MapCount = n;
    c.HoseiX = hosei_.X;
    c.HoseiY = hosei_.Y;
    c.HoseiH = hosei_.H;
    c.HoseiA = hosei_.A;
    c.GuidePoint = IsOpen()
                       ? (cbxRefPoint->currentIndex() > 0 ? cbxRefPoint->currentText() : QString())
                       : guideName_;
    c.BuoyPoint = IsOpen()
                      ? (cbxRemPoint->currentIndex() > 0 ? cbxRemPoint->currentText() : QString())
                      : buoyName_;
    c.Store(cfgPath_);
    SaveToolPositions();
}

void TMainForm::RestoreToolPositions() {
    const QString text = TIniFile(cfgPath_).ReadString(kToolSection, kToolKey, {});
    if (text.isEmpty()) return;
    restoreState(QByteArray::fromBase64(text.toLatin1()));
    RenumberDocks();
}

void TMainForm::SaveToolPositions() {
    TIniFile(cfgPath_).WriteString(kToolSection, kToolKey,
                                   QString::fromLatin1(saveState().toBase64()));
}

// ---------------------------------------------------------------------------------------
// Receiver events

void TMainForm::OnMonitor(const TNMEA& nmea) {
    MonitorTexts t;
    const QTime local = nmea.LocalTimeOfDay(2);
    if (!MonitorTextsFor(nmea, local, t)) return;
    if (nmea.kind == kKindGGA) {
        lastLat_ = nmea.latitude;
        lastLon_ = nmea.longitude;
        lastAlt_ = nmea.altitude + nmea.geoidSeparation;
        lblGPSTime->setText(t.time);
        lblGPSLat->setText(t.lat);
        lblGPSLon->setText(t.lon);
        lblGPSAlt->setText(t.alt);
        lblGPSSat->setText(t.sat);
        lblGPSQty->setText(t.quality);
        lblGPSDOP->setText(t.dop);
        lblGPSRef->setText(t.station);
        lblGPSSec->setText(t.age);
    } else {
        lblGPSSpeed->setText(t.speed);
        lblGPSCourse->setText(t.course);
    }
}

bool TMainForm::OnPosition(double x, double y, double h, const QDateTime& time) {
    Q_UNUSED(time);
    ledDataOn_ = !ledDataOn_;
    SetLed(LedData, ledDataOn_, "#ff3030");

    x += hosei_.X;
    y += hosei_.Y;
    h = h + hosei_.H - hosei_.A;
    Q_UNUSED(h);
    const double dist = prevCutX_ != 0 ? std::hypot(y - prevCutY_, x - prevCutX_) : 0.0;

    // Recording and guidance are hooked in here; no cut is taken yet.
    const bool recorded = false;
    if (recording_) lblDist->setText(QString::asprintf("%10.3f", dist));

    xText_ = FormatX(x);
    yText_ = FormatY(y);
    fixWatch_.Position(clock_());
    coordColour_ = PositionColour(gps_ ? gps_->Quality() : 0, gps_ ? gps_->DGPSDataSecs() : 0);
    CheckPositionAge();

    emit BoatPos(ToMillimetres(x), ToMillimetres(y));
    lastBoatX_ = x;
    lastBoatY_ = y;
    return recorded;
}

void TMainForm::CheckPositionAge() {
    const bool lost = gps_ && gps_->IsOpen() && !gps_->IsConnected();
    const CoordinateView v =
        CoordinateViewFor(fixWatch_, lost, xText_, yText_, coordColour_, clock_());
    for (QLabel* l : {lblXValue, lblYValue}) {
        QPalette p = l->palette();
        p.setColor(QPalette::Window, Rgb(v.colour));
        p.setColor(QPalette::WindowText, v.stale ? QColor(0xE0, 0xE0, 0xE0) : QColor(Qt::white));
        l->setPalette(p);
    }
    lblXValue->setText(v.x);
    lblYValue->setText(v.y);
    lblXValue->setProperty("stale", v.stale);
}

void TMainForm::ResetReceiverDisplays() {
    // Nothing of an earlier job or receiver stays on screen: the design-time texts.
    fixWatch_ = TFixWatch{};
    xText_.clear();
    yText_.clear();
    coordColour_ = kDesignColour;
    lblGPSTime->setText(QStringLiteral("00:00:00"));
    const std::pair<QLabel*, const char*> blank[] = {
        {lblGPSLat, "緯度:"},     {lblGPSLon, "経度:"},     {lblGPSAlt, "高度:"},
        {lblGPSSat, "衛星数:"},   {lblGPSQty, "測位状態:"}, {lblGPSDOP, "DOP:"},
        {lblGPSRef, "基地局ID:"}, {lblGPSSec, "間隔:"},     {lblGPSSpeed, "速度:"},
        {lblGPSCourse, "方向:"}};
    for (const auto& [label, text] : blank) label->setText(QString::fromUtf8(text));
    ledDataOn_ = false;
    SetLed(LedData, false);
    CheckPositionAge();
}

// ---------------------------------------------------------------------------------------
// Map windows

QList<TMapForm*> TMainForm::MapForms() const {
    QList<TMapForm*> out;
    for (QMdiSubWindow* w : mdiArea_->subWindowList(QMdiArea::CreationOrder))
        if (auto* m = qobject_cast<TMapForm*>(w->widget())) out << m;
    return out;
}

TMapForm* TMainForm::ActiveMap() const {
    QMdiSubWindow* w = mdiArea_->activeSubWindow();
    return w ? qobject_cast<TMapForm*>(w->widget()) : nullptr;
}

template <class F>
void TMainForm::PostTo(TMapForm* form, F&& call) {
    // Posted, never sent: the window handles it after the current handler returns, and a
    // window closed in between simply drops it.
    QMetaObject::invokeMethod(form, std::forward<F>(call), Qt::QueuedConnection);
}

void TMainForm::PostToActive(void (TMapForm::*slot)()) {
    if (TMapForm* m = ActiveMap()) PostTo(m, [m, slot] { (m->*slot)(); });
}

TMapForm* TMainForm::CreateMap(int savedIndex, bool maximise) {
    ++mapCounter_;
    // Every map window of the job shares one store of the recorded cuts.
    TPlanSources sources{kijun_.get(), tansa_.get(), ijo_.get(), misoku_.get(), sokusen_.get(), {}};
    for (TMapForm* m : MapForms()) sources.Cuts = m->Session().Scene().Sources().Cuts;
    if (!sources.Cuts) sources.Cuts = std::make_shared<TCutStore>();
    auto* form = new TMapForm(*this, sink_, sources);
    form->setObjectName(QStringLiteral("MapForm%1").arg(mapCounter_));
    QMdiSubWindow* sub = mdiArea_->addSubWindow(form);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    TrackRestoredGeometry(sub);
    sub->setWindowTitle(QStringLiteral("平面図(%1)").arg(mapCounter_));
    const auto q = Qt::QueuedConnection;
    connect(this, &TMainForm::BoatPos, form, &TMapForm::OnBoatPos, q);
    connect(this, &TMainForm::LineEnd, form, &TMapForm::OnLineEnd, q);
    connect(this, &TMainForm::CutAdded, form, &TMapForm::OnCutAdded, q);
    connect(this, &TMainForm::MisokuChanged, form, &TMapForm::OnMisokuChanged, q);
    connect(this, &TMainForm::RemPoint, form, &TMapForm::OnRemPoint, q);
    connect(this, &TMainForm::RefPoint, form, &TMapForm::OnRefPoint, q);
    connect(this, &TMainForm::CircleSize, form, &TMapForm::OnCircleSize, q);
    connect(this, &TMainForm::Ruler, form, &TMapForm::OnRuler, q);
    connect(form, &TMapForm::SwitchesChanged, this, &TMainForm::UpdateActions);
    connect(form, &QObject::destroyed, this, [this] {
        QTimer::singleShot(0, this, [this] {
            UpdateMenus();
            UpdateActions();
        });
    });

    const QColor colour = NamedMapColour(settings_.MapColor);
    PostTo(form, [form, colour] { form->OnMapColor(colour); });
    if (savedIndex < 0) {
        if (maximise)
            sub->showMaximized();
        else
            sub->show();
        PostTo(form, [form] { form->OnFitAll(); });
    } else {
        form->LoadState(cfgPath_, savedIndex);
        if (!sub->isVisible()) sub->show();
    }
    const TRulerRect seg = rulerSegment_, ext = rulerExtent_;
    const int guide = cbxRefPoint->currentIndex() - 1;
    PostTo(form, [form, seg, ext] { form->OnRuler(seg, ext); });
    PostTo(form, [form, guide] { form->OnRefPoint(guide); });
    UpdateMenus();
    UpdateActions();
    return form;
}

void TMainForm::BroadcastGuidePoint() {
    emit RefPoint(cbxRefPoint->currentIndex() - 1);
}

void TMainForm::BroadcastBuoyPoint() {
    emit RemPoint(cbxRemPoint->currentIndex() - 1);
}

void TMainForm::BroadcastRuler() {
    rulerSegment_ = PlannedLineSegment(rulerPivotX_, rulerPivotY_, PackedToDegrees(RulerAngle()),
                                       rulerExtent_, 0);
    emit Ruler(rulerSegment_, rulerExtent_);
}

void TMainForm::ToggleMapSwitch(QAction* action, bool (TMapForm::*get)() const,
                                void (TMapForm::*set)(bool)) {
    TMapForm* m = ActiveMap();
    if (!m) {
        action->setChecked(false);
        return;
    }
    (m->*set)(!(m->*get)());
    action->setChecked((m->*get)());
    RenumberDocks();
}

void TMainForm::PrintActiveMap() {
    TMapForm* m = ActiveMap();
    if (!m) return;
    // The printer goes with the message, so that the dialog's choices (a file output
    // included) reach the print.
    auto printer = std::make_shared<QPrinter>();
    QPrintDialog dialog(printer.get(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    const int copies = printer->copyCount();
    PostTo(m, [m, printer, copies] { m->PrintWith(*printer, copies); });
}

// ---------------------------------------------------------------------------------------
// TMapHost

void TMainForm::ShowInfo(const QString& text) {
    lblInfo->setText(InfoLineText(text));
}

void TMainForm::AddMark(const QString& name, const QColor& colour, double x, double y) {
    if (misoku_->AddAndSave(x, y, name, ColourToNumber(colour))) emit MisokuChanged();
}

void TMainForm::DeleteMark(int index) {
    if (index < 0 || index >= misoku_->Count()) return;
    if (misoku_->DeleteAndSave(index)) emit MisokuChanged();
}

void TMainForm::ChangeMark(int index, const QString& name, const QColor& colour) {
    if (index < 0 || index >= misoku_->Count()) return;
    if (misoku_->ChangeAndSave(index, name, ColourToNumber(colour))) emit MisokuChanged();
}

void TMainForm::CutCommand() {
    if (!recording_) return;
    SetLed(ledCount0, true);
    cutRequest_ = true;
}

int TMainForm::CircleDiameter() {
    const int v = static_cast<int>(edtCircleSize->value());
    return std::clamp(v, 1, 999);
}

int TMainForm::RulerAngle() {
    bool ok = false;
    const double v = edtRulerAngle->text().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(v)) return 0;
    const double packed = std::trunc(v * 10000);
    if (packed < -3600000 || packed > 3600000) return 0;
    return static_cast<int>(packed);
}

int TMainForm::RulerWidth() {
    bool ok = false;
    const int v = edtRulerWidth->text().trimmed().toInt(&ok);
    if (!ok) return 0;
    return std::clamp(v, 0, 999);
}

void TMainForm::SetRulerPivot(double x, double y) {
    rulerPivotX_ = x;
    rulerPivotY_ = y;
    BroadcastRuler();
}

void TMainForm::SetRulerPivotAngle(double x, double y, int packedAngle) {
    edtRulerAngle->setText(QString::number(packedAngle / 10000.0, 'f', 4));
    SetRulerPivot(x, y);
}

QSize TMainForm::FreeClientSize() const {
    int left = 0, right = 0, topH = 0;
    for (QDockWidget* d : {ToolWinCut, ToolWinRem, ToolWinGPS, ToolWinRef}) {
        if (d->isHidden() || d->isFloating()) continue;
        if (dockWidgetArea(d) == Qt::LeftDockWidgetArea) left = std::max(left, d->width());
        if (dockWidgetArea(d) == Qt::RightDockWidgetArea) right = std::max(right, d->width());
    }
    for (QToolBar* t : {tbStandard, tbOperate, tbCircle, tbRuler})
        if (!t->isHidden() && toolBarArea(t) == Qt::TopToolBarArea)
            topH = std::max(topH, t->y() + t->height());
    const QSize client = size();
    return {std::max(0, client.width() - left - right - 4),
            std::max(0, client.height() - topH - 4)};
}

// ---------------------------------------------------------------------------------------
// Menus and docks

void TMainForm::SetRecording(bool on) {
    recording_ = on;
    btnCut->setEnabled(on);
    UpdateMenus();
}

void TMainForm::UpdateMenus() {
    const bool idle = !recording_;
    actExit->setEnabled(idle);
    actSurveyStart->setEnabled(idle);
    actCalibrate->setEnabled(idle);
    cbxRefPoint->setEnabled(idle);
    actSurveyStop->setEnabled(recording_);
    if (recording_) actFileClose->setEnabled(false);
    menuSurvey->menuAction()->setVisible(!ToolWinCut->isHidden());
    const bool startShown = actSurveyStart->isEnabled();
    if (auto* a = tbStandard->findChild<QAction*>(QStringLiteral("slotSurveyStart")))
        a->setVisible(startShown);
    if (auto* a = tbStandard->findChild<QAction*>(QStringLiteral("slotSurveyStop")))
        a->setVisible(!startShown);
    btnSurveyStart->setVisible(startShown);
    btnSurveyStop->setVisible(!startShown);
    // One action on the file button at a time: a second one would give it a menu arrow.
    QAction* fileAction = actFileOpen->isEnabled() ? actFileOpen : actFileClose;
    if (btnFile->defaultAction() != fileAction) {
        if (QAction* old = btnFile->defaultAction()) btnFile->removeAction(old);
        btnFile->setDefaultAction(fileAction);
    }
    const bool children = !mdiArea_->subWindowList().isEmpty();
    for (QAction* a : {actWindowCascade, actWindowTile, actWindowArrange, actWindowMinimize})
        a->setEnabled(children);
    // Without a job there is no map to show and no ruler to set.
    const bool open = IsOpen();
    actNewMap->setEnabled(open);
    for (QWidget* w : {static_cast<QWidget*>(edtCircleSize), static_cast<QWidget*>(edtRulerAngle),
                       static_cast<QWidget*>(edtRulerWidth), static_cast<QWidget*>(edtRulerStep)})
        w->setEnabled(open);
    for (const char* name : {"udCircle", "udRulerWidth", "udRulerStep"})
        if (auto* w = findChild<QWidget*>(QLatin1String(name))) w->setEnabled(open);
}

void TMainForm::TileWindows() {
    QList<QMdiSubWindow*> shown;
    for (QMdiSubWindow* w : mdiArea_->subWindowList(QMdiArea::CreationOrder))
        if (w->isVisible() && !w->isMinimized()) shown << w;
    const QList<QRect> places = TileSideBySide(mdiArea_->viewport()->size(), int(shown.size()));
    for (int i = 0; i < shown.size(); ++i) {
        if (shown[i]->isMaximized()) shown[i]->showNormal();
        shown[i]->setGeometry(places[i]);
    }
}

void TMainForm::UpdateActions() {
    TMapForm* m = ActiveMap();
    for (QAction* a : {actMapZoomIn, actMapZoomOut, actMapZoomRem, actCompass, actRuler,
                       actMapAutoMove, actMapRapidMode, actMapPrint})
        a->setEnabled(m != nullptr);
    if (m) {
        actCompass->setChecked(m->CircleRuler());
        actRuler->setChecked(m->PlannedLine());
        actMapAutoMove->setChecked(m->AutoMove());
        actMapRapidMode->setChecked(m->RapidMode());
    }
    RenumberDocks();
}

void TMainForm::RenumberDocks() {
    // The circle-ruler toolbar follows 円定規, the planned-line toolbar and panel follow
    // 計画線; in between the user may show or hide them through the tools menu.
    const bool compass = actCompass->isChecked(), ruler = actRuler->isChecked();
    if (compass != lastCompassCheck_) tbCircle->setVisible(compass);
    if (ruler != lastRulerCheck_) {
        tbRuler->setVisible(ruler);
        pnlRuler->setVisible(ruler);
    }
    lastCompassCheck_ = compass;
    lastRulerCheck_ = ruler;
}

void TMainForm::SyncToolChecks() {
    actTBCircle->setChecked(!tbCircle->isHidden());
    actTBRuler->setChecked(!tbRuler->isHidden());
    ActTBRef->setChecked(!ToolWinRef->isHidden());
    actTWGPS->setChecked(!ToolWinGPS->isHidden());
    actTWCut->setChecked(!ToolWinCut->isHidden());
    actTBRem->setChecked(!ToolWinRem->isHidden());
}

QMenu* TMainForm::createPopupMenu() {
    SyncToolChecks();
    auto* menu = new QMenu(this);
    for (QAction* a : {actTBCircle, actTBRuler, ActTBRef, actTWGPS, actTWCut, actTBRem})
        menu->addAction(a);
    menu->addSeparator();
    menu->addAction(actTBAlign);
    return menu;
}

void TMainForm::ToggleDock(QDockWidget* dock, QWidget* focus) {
    const bool show = dock->isHidden();
    dock->setVisible(show);
    if (show && focus) focus->setFocus();
    RenumberDocks();
    UpdateMenus();
}

void TMainForm::AlignTools() {
    for (QToolBar* t : {tbStandard, tbOperate, tbCircle, tbRuler}) {
        const bool shown = !t->isHidden();
        removeToolBar(t);
        addToolBar(Qt::TopToolBarArea, t);
        t->setVisible(shown);
    }
    for (QDockWidget* d : {ToolWinRef, ToolWinRem, ToolWinGPS, ToolWinCut}) {
        const bool shown = !d->isHidden();
        d->setFloating(false);
        removeDockWidget(d);
        addDockWidget(Qt::RightDockWidgetArea, d);
        d->setVisible(shown);
    }
    RenumberDocks();
    UpdateMenus();
}

}  // namespace tidrun

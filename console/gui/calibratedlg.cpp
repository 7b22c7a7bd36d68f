#include "console/gui/calibratedlg.h"

#include "platform/gui/numericedit.h"
#include "platform/messagesink.h"
#include "positioning/gps.h"
#include "surveydata/config.h"
#include "surveydata/pointcoll.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace tidrun {

namespace {

const QString kStartCaption = QStringLiteral("自動補正");
const QString kStopCaption = QStringLiteral("中止");

QLabel* ValueLabel(const char* name, QWidget* parent) {
    auto* l = new QLabel(TCalibrationRun::FormatValue(0), parent);
    l->setObjectName(QLatin1String(name));
    l->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("0000000000000")));
    return l;
}

NumericEdit* OffsetEdit(const char* name, MessageSink& sink, QWidget* parent) {
    auto* e = new NumericEdit(QStringLiteral("#######.###"), -9999999.999, 9999999.999, parent);
    e->setObjectName(QLatin1String(name));
    e->SetMessageSink(&sink);
    e->setAlignment(Qt::AlignRight);
    return e;
}

QComboBox* TimeBox(const char* name, const QStringList& choices, int maxChars, QWidget* parent) {
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItems(choices);
    c->lineEdit()->setMaxLength(maxChars);
    // Pasted text and input-method text do not pass the key filter; the validator keeps
    // them to digits as well.
    c->lineEdit()->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), c));
    c->setMinimumContentsLength(maxChars + 1);
    return c;
}

}  // namespace

TfrmCalibrateDlg::TfrmCalibrateDlg(MessageSink& sink, QWidget* parent,
                                   TCalibrationRun::TickClock clock)
    : QDialog(parent), sink_(sink), clock_(std::move(clock)) {
    if (!clock_) clock_ = [] { return QDeadlineTimer::current(Qt::PreciseTimer).deadline(); };
    setObjectName(QStringLiteral("frmCalibrateDlg"));
    setWindowTitle(QStringLiteral("補正"));

    cbxRefPoint = new QComboBox(this);
    cbxRefPoint->setObjectName(QStringLiteral("cbxRefPoint"));
    cbxRefPoint->setMinimumContentsLength(16);
    auto* refRow = new QHBoxLayout;
    refRow->addWidget(new QLabel(QStringLiteral("基準点"), this));
    refRow->addWidget(cbxRefPoint, 1);

    lblRefX = ValueLabel("lblRefX", this);
    lblRefY = ValueLabel("lblRefY", this);
    lblRefH = ValueLabel("lblRefH", this);
    lblGpsX = ValueLabel("lblGpsX", this);
    lblGpsY = ValueLabel("lblGpsY", this);
    lblGpsH = ValueLabel("lblGpsH", this);
    lblAvgX = ValueLabel("lblAvgX", this);
    lblAvgY = ValueLabel("lblAvgY", this);
    lblAvgH = ValueLabel("lblAvgH", this);
    edtHoseiX = OffsetEdit("edtHoseiX", sink_, this);
    edtHoseiY = OffsetEdit("edtHoseiY", sink_, this);
    edtHoseiH = OffsetEdit("edtHoseiH", sink_, this);
    edtHoseiA = OffsetEdit("edtHoseiA", sink_, this);

    // Rows X, Y, H; columns: reference, received, average, offset.
    auto* values = new QGridLayout;
    const QString heads[] = {QStringLiteral("基準点座標"), QStringLiteral("受信データ"),
                             QStringLiteral("自動平均値"), QStringLiteral("補正値Δ")};
    for (int c = 0; c < 4; ++c)
        values->addWidget(new QLabel(heads[c], this), 0, c + 1, Qt::AlignCenter);
    const QString rows[] = {QStringLiteral("X"), QStringLiteral("Y"), QStringLiteral("H")};
    QWidget* cells[3][4] = {{lblRefX, lblGpsX, lblAvgX, edtHoseiX},
                            {lblRefY, lblGpsY, lblAvgY, edtHoseiY},
                            {lblRefH, lblGpsH, lblAvgH, edtHoseiH}};
    for (int r = 0; r < 3; ++r) {
        values->addWidget(new QLabel(rows[r], this), r + 1, 0);
        for (int c = 0; c < 4; ++c) values->addWidget(cells[r][c], r + 1, c + 1);
    }
    values->addWidget(new QLabel(QStringLiteral("アンテナ高"), this), 4, 3, Qt::AlignRight);
    values->addWidget(edtHoseiA, 4, 4);

    cbxHour = TimeBox("cbxHour", {"0", "1", "2", "3", "4", "5", "10", "15", "20", "24"}, 2, this);
    cbxMinute = TimeBox("cbxMinute", {"0", "1", "5", "10", "15", "30", "45", "60"}, 2, this);
    cbxSecond = TimeBox("cbxSecond", {"0", "15", "30", "45", "60"}, 2, this);
    cbxSpan = TimeBox("cbxSpan", {"0", "1", "2", "5", "10", "15", "30", "60"}, 4, this);
    cbxHour->setCurrentText(QStringLiteral("0"));
    cbxMinute->setCurrentText(QStringLiteral("0"));
    cbxSecond->setCurrentText(QStringLiteral("60"));
    cbxSpan->setCurrentText(QStringLiteral("0"));
    for (QComboBox* c : {cbxHour, cbxMinute, cbxSecond, cbxSpan})
        c->lineEdit()->installEventFilter(this);

    auto* timeBox = new QGroupBox(QStringLiteral("測定時間"), this);
    auto* timeRow = new QHBoxLayout(timeBox);
    timeRow->addWidget(cbxHour);
    timeRow->addWidget(new QLabel(QStringLiteral("時間"), timeBox));
    timeRow->addWidget(cbxMinute);
    timeRow->addWidget(new QLabel(QStringLiteral("分"), timeBox));
    timeRow->addWidget(cbxSecond);
    timeRow->addWidget(new QLabel(QStringLiteral("秒"), timeBox));
    auto* spanBox = new QGroupBox(QStringLiteral("保存間隔"), this);
    auto* spanRow = new QHBoxLayout(spanBox);
    spanRow->addWidget(cbxSpan);
    spanRow->addWidget(new QLabel(QStringLiteral("秒"), spanBox));
    auto* timesRow = new QHBoxLayout;
    timesRow->addWidget(timeBox);
    timesRow->addWidget(spanBox);
    timesRow->addStretch(1);

    pgbProgress = new QProgressBar(this);
    pgbProgress->setObjectName(QStringLiteral("pgbProgress"));
    pgbProgress->setTextVisible(false);
    pgbProgress->setRange(0, 1);
    pgbProgress->setValue(0);
    lblProgress = new QLabel(this);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));
    lblProgress->setMinimumWidth(
        lblProgress->fontMetrics().horizontalAdvance(QStringLiteral("24:00:00( 00000 )")));
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(pgbProgress, 1);
    progressRow->addWidget(lblProgress);

    btnStart = new QPushButton(kStartCaption, this);
    btnStart->setObjectName(QStringLiteral("btnStart"));
    btnStart->setDefault(true);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setAutoDefault(false);
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnStart);
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(refRow);
    layout->addLayout(values);
    layout->addLayout(timesRow);
    layout->addLayout(progressRow);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    timer_ = new QTimer(this);
    timer_->setInterval(TCalibrationRun::kTimerMs);
    connect(timer_, &QTimer::timeout, this, &TfrmCalibrateDlg::TimerTick);
    connect(cbxRefPoint, &QComboBox::currentIndexChanged, this, &TfrmCalibrateDlg::ApplyRefPoint);
    connect(btnStart, &QPushButton::clicked, this, &TfrmCalibrateDlg::StartStop);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

    run_ = std::make_unique<TCalibrationRun>(nullptr, clock_);
    SetValues(0, 0, 0, 0);
}

TfrmCalibrateDlg::~TfrmCalibrateDlg() {
    // The listener goes back before the measurement it feeds.
    listener_.reset();
}

void TfrmCalibrateDlg::SetJob(TGPS* gps, const TKijunColl* kijun, const QString& cfgPath,
                              const QString& calibFolder) {
    if (Running()) return;
    gps_ = gps;
    kijun_ = kijun;
    cfgPath_ = cfgPath;
    calibFolder_ = calibFolder;
    run_ = std::make_unique<TCalibrationRun>(gps ? &sink_ : nullptr, clock_);
}

void TfrmCalibrateDlg::SetValues(double x, double y, double h, double a) {
    edtHoseiX->setValue(x);
    edtHoseiY->setValue(y);
    edtHoseiH->setValue(h);
    edtHoseiA->setValue(a);
}

void TfrmCalibrateDlg::GetValues(double& x, double& y, double& h, double& a) const {
    x = edtHoseiX->value();
    y = edtHoseiY->value();
    h = edtHoseiH->value();
    a = edtHoseiA->value();
}

bool TfrmCalibrateDlg::Execute() {
    return exec() == QDialog::Accepted;
}

void TfrmCalibrateDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) Activate();
}

void TfrmCalibrateDlg::hideEvent(QHideEvent* event) {
    if (!event->spontaneous()) Deactivate();
    QDialog::hideEvent(event);
}

void TfrmCalibrateDlg::closeEvent(QCloseEvent* event) {
    if (Running()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TfrmCalibrateDlg::done(int result) {
    if (Running()) return;  // OK, cancel and Escape wait for the measurement
    if (result == QDialog::Accepted) {
        for (NumericEdit* e : {edtHoseiX, edtHoseiY, edtHoseiH, edtHoseiA})
            if (!e->Validate()) return;
        if (!cfgPath_.isEmpty() && !WriteCalibRefPoint(cfgPath_, cbxRefPoint->currentText()))
            sink_.Error(QStringLiteral("設定ファイルに書込できません\r\nﾌｧｲﾙ名：") + cfgPath_);
    }
    QDialog::done(result);
}

void TfrmCalibrateDlg::Activate() {
    StopMeasurement();
    {
        const QSignalBlocker block(cbxRefPoint);
        cbxRefPoint->clear();
        if (kijun_)
            for (const TKijun& k : kijun_->Items()) cbxRefPoint->addItem(k.Name);
        cbxRefPoint->setCurrentIndex(-1);
        lblProgress->clear();
        pgbProgress->setValue(0);
        const QString name = cfgPath_.isEmpty() ? QString() : ReadCalibRefPoint(cfgPath_);
        cbxRefPoint->setCurrentIndex(
            name.isEmpty() ? -1 : cbxRefPoint->findText(name, Qt::MatchExactly));
    }
    ApplyRefPoint();
    if (gps_)
        listener_ = std::make_unique<TPositionListenerScope>(
            *gps_, [this](const TGpsPosition& p) { Position(p); });
    cbxRefPoint->setFocus();
}

void TfrmCalibrateDlg::Deactivate() {
    listener_.reset();
    // A measurement cut short also ends its log, so no other data lands in the file.
    StopMeasurement();
}

void TfrmCalibrateDlg::ApplyRefPoint() {
    const int i = cbxRefPoint->currentIndex();
    if (kijun_ && i >= 0 && i < kijun_->Count()) {
        const TKijun& k = kijun_->Item(i);
        run_->SetReference(k.X, k.Y, k.Z);
    } else {
        run_->SetReference(0, 0, 0);
    }
    lblRefX->setText(TCalibrationRun::FormatValue(run_->ReferenceX()));
    lblRefY->setText(TCalibrationRun::FormatValue(run_->ReferenceY()));
    lblRefH->setText(TCalibrationRun::FormatValue(run_->ReferenceH()));
}

void TfrmCalibrateDlg::StartStop() {
    if (Running()) {
        StopMeasurement();
        return;
    }
    const auto times =
        TCalibrationRun::ParseTimes(cbxHour->currentText(), cbxMinute->currentText(),
                                    cbxSecond->currentText(), cbxSpan->currentText());
    if (!times) {
        sink_.Error(TimesErrorText());
        return;
    }
    pgbProgress->setRange(0, std::max(times->TotalSeconds(), 1));
    pgbProgress->setValue(0);
    run_->Start(*times, calibFolder_, QDateTime::currentDateTime());
    SetRunningLook(true);
    timer_->start();
}

void TfrmCalibrateDlg::StopMeasurement() {
    timer_->stop();
    if (run_->Running()) run_->Stop();
    SetRunningLook(false);
}

void TfrmCalibrateDlg::SetRunningLook(bool running) {
    btnStart->setText(running ? kStopCaption : kStartCaption);
    btnOK->setEnabled(!running);
    btnCancel->setEnabled(!running);
}

void TfrmCalibrateDlg::TimerTick() {
    const TCalibrationRun::Progress p = run_->Tick();
    if (p.finished) StopMeasurement();
    pgbProgress->setValue(p.elapsed);
    lblProgress->setText(p.text);
}

void TfrmCalibrateDlg::Position(const TGpsPosition& p) {
    lblGpsX->setText(TCalibrationRun::FormatValue(p.X));
    lblGpsY->setText(TCalibrationRun::FormatValue(p.Y));
    lblGpsH->setText(TCalibrationRun::FormatValue(p.h));
    if (!run_->Position(p)) return;
    lblAvgX->setText(TCalibrationRun::FormatValue(run_->AverageX()));
    lblAvgY->setText(TCalibrationRun::FormatValue(run_->AverageY()));
    lblAvgH->setText(TCalibrationRun::FormatValue(run_->AverageH()));
    edtHoseiX->setValue(run_->OffsetX());
    edtHoseiY->setValue(run_->OffsetY());
    edtHoseiH->setValue(run_->OffsetH());
}

bool TfrmCalibrateDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        // Printable keys other than digits are dropped; control keys pass.
        if (!text.isEmpty() && text.front().unicode() >= 32 &&
            (text.front() < QLatin1Char('0') || text.front() > QLatin1Char('9')))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace tidrun

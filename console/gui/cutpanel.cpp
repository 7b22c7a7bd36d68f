#include "console/gui/cutpanel.h"
#include "console/gui/panellabel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "console/gui/led.h"

namespace tidrun {

TCutPanel::TCutPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pnlCut"));
    auto* cg = new QGridLayout(this);
    btnSurveyStart = new QPushButton(QStringLiteral("開始"), this);
    btnSurveyStart->setObjectName(QStringLiteral("btnSurveyStart"));
    btnSurveyStart->setToolTip(QStringLiteral("収録開始"));
    btnSurveyStop = new QPushButton(QStringLiteral("終了"), this);
    btnSurveyStop->setObjectName(QStringLiteral("btnSurveyStop"));
    btnSurveyStop->setToolTip(QStringLiteral("収録終了"));
    btnSurveyStop->hide();
    btnCut = new QPushButton(QStringLiteral("カット（保存）"), this);
    btnCut->setObjectName(QStringLiteral("btnCut"));
    btnCut->setToolTip(QStringLiteral("現在位置を記録する"));
    btnCut->setMinimumHeight(36);
    btnCut->setEnabled(false);
    connect(btnSurveyStart, &QPushButton::clicked, this, &TCutPanel::StartClicked);
    connect(btnSurveyStop, &QPushButton::clicked, this, &TCutPanel::StopClicked);
    connect(btnCut, &QPushButton::clicked, this, &TCutPanel::CutClicked);

    pnlMode = MakeLabel(this, "pnlMode", {});
    pnlMode->setFrameShape(QFrame::Panel);
    pnlMode->setFrameShadow(QFrame::Sunken);
    pnlMode->setAlignment(Qt::AlignCenter);
    ledCount2 = new TLed("ledCount2", this, "#ffd000");
    ledCount1 = new TLed("ledCount1", this, "#ff8000");
    ledCount0 = new TLed("ledCount0", this, "#ff2020");
    auto* leds = new QHBoxLayout;
    leds->addWidget(ledCount2);
    leds->addWidget(ledCount1);
    leds->addWidget(ledCount0);
    leds->addStretch();
    lblDurationTitle = MakeLabel(this, "lblDurationTitle", QStringLiteral("経過(秒)"));
    lblDuration = MakeLabel(this, "lblDuration", {});
    lblDuration->setToolTip(QStringLiteral("前のｶｯﾄからの経過秒"));
    lblDistTitle = MakeLabel(this, "lblDistTitle", QStringLiteral("経過（ｍ）"));
    lblDist = MakeLabel(this, "lblDist", {});
    lblCutSEQ = MakeLabel(this, "lblCutSEQ", {});
    lblCutCutNo = MakeLabel(this, "lblCutCutNo", {});
    lblCutX = MakeLabel(this, "lblCutX", {});
    lblCutY = MakeLabel(this, "lblCutY", {});
    lblPrevDist = MakeLabel(this, "lblPrevDist", {});

    cg->addWidget(btnSurveyStart, 0, 0);
    cg->addWidget(btnSurveyStop, 0, 0);
    cg->addWidget(pnlMode, 0, 1);
    cg->addWidget(btnCut, 1, 0, 1, 2);
    cg->addLayout(leds, 2, 0, 1, 2);
    cg->addWidget(lblDurationTitle, 3, 0);
    cg->addWidget(lblDuration, 3, 1);
    cg->addWidget(lblDistTitle, 4, 0);
    cg->addWidget(lblDist, 4, 1);
    cg->addWidget(lblCutSEQ, 5, 0, 1, 2);
    cg->addWidget(lblCutCutNo, 6, 0, 1, 2);
    cg->addWidget(lblCutX, 7, 0, 1, 2);
    cg->addWidget(lblCutY, 8, 0, 1, 2);
    cg->addWidget(lblPrevDist, 9, 0, 1, 2);
    cg->setRowStretch(10, 1);

    SetRecording(false);
    Reset();
}

void TCutPanel::Reset() {
    ShowLastCut(TCutPanelTexts{QStringLiteral("前測点 0"), QStringLiteral("測線  ｶｯﾄ 0"),
                               QString::asprintf("Ｘ＝%11.3f", 0.0),
                               QString::asprintf("Ｙ＝%11.3f", 0.0),
                               QString::asprintf("%8.1f", 0.0)});
}

void TCutPanel::SetMode(const QString& text) {
    pnlMode->setText(text);
}

void TCutPanel::SetStartShown(bool start) {
    btnSurveyStart->setVisible(start);
    btnSurveyStop->setVisible(!start);
}

void TCutPanel::SetRecording(bool on) {
    btnCut->setEnabled(on);
    for (QWidget* w : {lblDurationTitle, lblDuration, lblDistTitle, lblDist}) w->setEnabled(on);
    if (!on) {
        lblDuration->setText(QStringLiteral("0000"));
        lblDist->setText(QStringLiteral("0000.000"));
        ShowLamps({});
    }
}

void TCutPanel::ShowLamps(const TLamps& lamps) {
    ledCount2->SetOn(lamps.count2);
    ledCount1->SetOn(lamps.count1);
    ledCount0->SetOn(lamps.count0);
}

void TCutPanel::ShowElapsed(std::uint32_t seconds) {
    lblDuration->setText(QString::number(seconds));
}

void TCutPanel::ShowDistance(double metres) {
    lblDist->setText(QString::asprintf("%10.3f", metres));
}

void TCutPanel::ShowLastCut(const TCutPanelTexts& t) {
    lblCutSEQ->setText(t.seq);
    lblCutCutNo->setText(t.cutNo);
    lblCutX->setText(t.x);
    lblCutY->setText(t.y);
    lblPrevDist->setText(t.prevDist);
}

}  // namespace tidrun

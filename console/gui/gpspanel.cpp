#include "console/gui/gpspanel.h"
#include "console/gui/panellabel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

#include "console/gui/led.h"

namespace tidrun {

TGpsPanel::TGpsPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pnlGPS"));
    auto* gf = new QGridLayout(this);
    lblGPSTime = MakeLabel(this, "lblGPSTime");
    LedData = new TLed("LedData", this, "#ff3030");
    lblCOM = MakeLabel(this, "lblCOM");
    lblGPSLat = MakeLabel(this, "lblGPSLat");
    lblGPSLon = MakeLabel(this, "lblGPSLon");
    lblGPSAlt = MakeLabel(this, "lblGPSAlt");
    lblGPSSat = MakeLabel(this, "lblGPSSat");
    lblGPSQty = MakeLabel(this, "lblGPSQty");
    lblGPSDOP = MakeLabel(this, "lblGPSDOP");
    lblGPSRef = MakeLabel(this, "lblGPSRef");
    lblGPSSec = MakeLabel(this, "lblGPSSec");
    lblGPSSpeed = MakeLabel(this, "lblGPSSpeed");
    lblGPSCourse = MakeLabel(this, "lblGPSCourse");
    lblPortState = MakeLabel(this, "lblPortState");
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
    Reset();
}

void TGpsPanel::Reset() {
    lblGPSTime->setText(QStringLiteral("00:00:00"));
    lblGPSLat->setText(QStringLiteral("緯度:"));
    lblGPSLon->setText(QStringLiteral("経度:"));
    lblGPSAlt->setText(QStringLiteral("高度:"));
    lblGPSSat->setText(QStringLiteral("衛星数:"));
    lblGPSQty->setText(QStringLiteral("測位状態:"));
    lblGPSDOP->setText(QStringLiteral("DOP:"));
    lblGPSRef->setText(QStringLiteral("基地局ID:"));
    lblGPSSec->setText(QStringLiteral("間隔:"));
    lblGPSSpeed->setText(QStringLiteral("速度:"));
    lblGPSCourse->setText(QStringLiteral("方向:"));
}

void TGpsPanel::ShowPosition(const MonitorTexts& t) {
    lblGPSTime->setText(t.time);
    lblGPSLat->setText(t.lat);
    lblGPSLon->setText(t.lon);
    lblGPSAlt->setText(t.alt);
    lblGPSSat->setText(t.sat);
    lblGPSQty->setText(t.quality);
    lblGPSDOP->setText(t.dop);
    lblGPSRef->setText(t.station);
    lblGPSSec->setText(t.age);
}

void TGpsPanel::ShowCourse(const MonitorTexts& t) {
    lblGPSSpeed->setText(t.speed);
    lblGPSCourse->setText(t.course);
}

void TGpsPanel::ToggleData() {
    LedData->Toggle();
}

}  // namespace tidrun

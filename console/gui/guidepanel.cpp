#include "console/gui/guidepanel.h"
#include "console/gui/panellabel.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QTabWidget>
#include <QVBoxLayout>

#include "console/gui/compass.h"

namespace tidrun {

void ShowPointChooser(QComboBox* chooser, const QStringList& names, int chosen) {
    const QSignalBlocker block(chooser);
    chooser->clear();
    chooser->addItem(QStringLiteral("(なし)"));
    chooser->addItems(names);
    chooser->setCurrentIndex(chosen + 1);
}

TGuidePanel::TGuidePanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pnlGuide"));
    auto* rv = new QVBoxLayout(this);
    cbxRemPoint = new QComboBox(this);
    cbxRemPoint->setObjectName(QStringLiteral("cbxRemPoint"));
    rv->addWidget(cbxRemPoint);
    tabGuide = new QTabWidget(this);
    tabGuide->setObjectName(QStringLiteral("tabGuide"));

    auto* news = new QWidget(tabGuide);
    auto* ng = new QGridLayout(news);
    lblN = MakeLabel(news, "lblN", QStringLiteral("Ｎ ▲"));
    lblS = MakeLabel(news, "lblS", QStringLiteral("Ｓ ▼"));
    lblE = MakeLabel(news, "lblE", QStringLiteral("Ｅ ▶"));
    lblW = MakeLabel(news, "lblW", QStringLiteral("Ｗ ◀"));
    lblNSValue = MakeLabel(news, "lblNSValue", {});
    lblEWValue = MakeLabel(news, "lblEWValue", {});
    ng->addWidget(lblN, 0, 0);
    ng->addWidget(lblS, 0, 0);
    ng->addWidget(lblNSValue, 0, 1);
    ng->addWidget(lblE, 1, 0);
    ng->addWidget(lblW, 1, 0);
    ng->addWidget(lblEWValue, 1, 1);
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
    lblDMS = MakeLabel(xy, "lblDMS", {});
    lblDeltaXValue = MakeLabel(xy, "lblDeltaXValue", {});
    lblDeltaYValue = MakeLabel(xy, "lblDeltaYValue", {});
    lblLongValue = MakeLabel(xy, "lblLongValue", {});
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

    connect(cbxRemPoint, &QComboBox::currentIndexChanged, this,
            [this](int index) { emit BuoyChosen(index - 1); });
    Reset();
}

void TGuidePanel::Reset() {
    for (QLabel* l : {lblDeltaXValue, lblDeltaYValue, lblLongValue}) l->setText(DeltaText(0));
    ShowCompass(0, false);
    ShowNews(NewsFor(0, 0));
}

void TGuidePanel::ShowCompass(double radians, bool withText) {
    imgCompass->setPixmap(
        QPixmap::fromImage(CompassImage(radians, QApplication::palette().color(QPalette::Button))));
    lblDMS->setText(withText ? CompassAngleText(radians) : QString());
}

void TGuidePanel::ShowNews(const TNewsView& n) {
    lblN->setVisible(n.north);
    lblS->setVisible(!n.north);
    lblE->setVisible(n.east);
    lblW->setVisible(!n.east);
    lblNSValue->setText(NewsDistanceText(n.ns));
    lblEWValue->setText(NewsDistanceText(n.ew));
}

void TGuidePanel::Show(const TGuideView& v) {
    if (!v.hasBuoy) return;
    lblDeltaXValue->setText(DeltaText(v.dX));
    lblDeltaYValue->setText(DeltaText(v.dY));
    lblLongValue->setText(DeltaText(v.distance));
    if (v.compassChanged) ShowCompass(v.compassAngle);
    ShowNews(v.news);
}

TRefPanel::TRefPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pnlRef"));
    auto* fv = new QVBoxLayout(this);
    cbxRefPoint = new QComboBox(this);
    cbxRefPoint->setObjectName(QStringLiteral("cbxRefPoint"));
    cbxRefPoint->setToolTip(QStringLiteral("誘導点を選ぶ"));
    fv->addWidget(cbxRefPoint);
    fv->addStretch();
    connect(cbxRefPoint, &QComboBox::currentIndexChanged, this,
            [this](int index) { emit GuideChosen(index - 1); });
}

}  // namespace tidrun

#include "console/gui/coordpanel.h"
#include "console/gui/panellabel.h"

#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>

#include "console/fixview.h"
#include "console/guidance.h"
#include "console/statustexts.h"

namespace tidrun {

TCoordPanel::TCoordPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pnlBottom"));
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(4, 2, 4, 2);
    auto* xTitle = MakeLabel(this, "lblXTitle", QStringLiteral("Ｘ"));
    lblXValue = MakeLabel(this, "lblXValue");
    auto* yTitle = MakeLabel(this, "lblYTitle", QStringLiteral("Ｙ"));
    lblYValue = MakeLabel(this, "lblYValue");
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSize(mono.pointSize() + 3);
    mono.setBold(true);
    for (QLabel* l : {lblXValue, lblYValue}) {
        l->setFont(mono);
        l->setAutoFillBackground(true);
        l->setMinimumWidth(QFontMetrics(mono).horizontalAdvance(QStringLiteral("0")) * 26);
        l->setContentsMargins(6, 2, 6, 2);
    }
    pnlRuler = new QWidget(this);
    pnlRuler->setObjectName(QStringLiteral("pnlRuler"));
    auto* rh = new QHBoxLayout(pnlRuler);
    rh->setContentsMargins(8, 0, 8, 0);
    imgRulerLeft = MakeLabel(pnlRuler, "imgRulerLeft", QStringLiteral("◀"));
    lblRulerDist = MakeLabel(pnlRuler, "lblRulerDist");
    lblRulerDist->setFont(mono);
    imgRulerRight = MakeLabel(pnlRuler, "imgRulerRight", QStringLiteral("▶"));
    rh->addWidget(new QLabel(QStringLiteral("計画線"), pnlRuler));
    rh->addWidget(imgRulerLeft);
    rh->addWidget(lblRulerDist);
    rh->addWidget(imgRulerRight);
    pnlRuler->hide();
    lblInfo = MakeLabel(this, "lblInfo");
    lblInfo->setToolTip(QStringLiteral("点情報"));
    lblInfo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Room from the start for three lines (a cut: its title, its place and its line; a
    // point seen from the guide point): a text arriving must not change the panel's
    // height, which would shrink and rescale every map window. Measured on Japanese text,
    // whose fallback font sets the line height.
    lblInfo->setText(QStringLiteral("点\n点\n点"));
    lblInfo->setMinimumHeight(lblInfo->sizeHint().height());
    lblInfo->clear();
    // Nor may its width: a long text is cut at the panel's edge rather than widening the
    // main window past the screen (selectable, it can still be copied whole).
    lblInfo->setSizePolicy(QSizePolicy::Ignored, lblInfo->sizePolicy().verticalPolicy());
    h->addWidget(xTitle);
    h->addWidget(lblXValue);
    h->addWidget(yTitle);
    h->addWidget(lblYValue);
    h->addWidget(pnlRuler);
    h->addWidget(lblInfo, 1);
    Reset();
}

void TCoordPanel::Reset() {
    ShowCoordinates(FormatX(0), FormatY(0));
    ShowRuler(0, true);
}

void TCoordPanel::ShowCoordinates(const QString& x, const QString& y) {
    lblXValue->setText(x);
    lblYValue->setText(y);
}

void TCoordPanel::SetCoordinateLook(std::uint32_t rgb, bool stale) {
    for (QLabel* l : {lblXValue, lblYValue}) {
        QPalette p = l->palette();
        p.setColor(QPalette::Window, QColor::fromRgb(rgb));
        p.setColor(QPalette::WindowText, stale ? QColor(0xE0, 0xE0, 0xE0) : QColor(Qt::white));
        l->setPalette(p);
    }
    lblXValue->setProperty("stale", stale);
}

void TCoordPanel::ShowRuler(double offset, bool leftArrow) {
    lblRulerDist->setText(RulerDistanceText(offset));
    imgRulerLeft->setVisible(leftArrow);
    imgRulerRight->setVisible(!leftArrow);
}

void TCoordPanel::SetRulerShown(bool shown) {
    pnlRuler->setVisible(shown);
}

bool TCoordPanel::RulerShown() const {
    return !pnlRuler->isHidden();
}

void TCoordPanel::ShowInfo(const QString& text) {
    lblInfo->setText(InfoLineText(text));
}

}  // namespace tidrun

#include "console/gui/depthpanel.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>

#include "console/gui/panellabel.h"

namespace tidrun {

TDepthPanel::TDepthPanel(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("pnlDepth"));
    lblDepth_ = MakeLabel(this, "lblDepth");
    lblKind_ = MakeLabel(this, "lblDepthKind");
    lblAge_ = MakeLabel(this, "lblDepthAge");
    lblPort_ = MakeLabel(this, "lblDepthPort");
    lblPort_->setStyleSheet(QStringLiteral("color:#c00000; font-weight:bold;"));
    lblPort_->setWordWrap(true);
    // The depth in fixed-width digits, large enough to read across the cabin.
    QFont big = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    big.setPointSize(lblDepth_->font().pointSize() + 10);
    big.setBold(true);
    lblDepth_->setFont(big);
    lblDepth_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* grid = new QGridLayout(this);
    grid->addWidget(lblDepth_, 0, 0, 1, 2);
    grid->addWidget(lblKind_, 1, 0);
    grid->addWidget(lblAge_, 1, 1, Qt::AlignRight);
    grid->addWidget(lblPort_, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);
    shown_.stale = false;  // so that the first Show sets every text
    Show(DepthViewFor(std::nullopt, 0, false, {}));
}

void TDepthPanel::Show(const DepthView& v) {
    if (v == shown_) return;
    shown_ = v;
    lblDepth_->setText(v.depth);
    lblKind_->setText(v.kind);
    lblAge_->setText(v.age);
    lblPort_->setText(v.port);
    lblPort_->setVisible(!v.port.isEmpty());
    // Gray as an old position is: not a live depth.
    lblDepth_->setStyleSheet(v.stale ? QStringLiteral("color:#808080;") : QString());
}

}  // namespace tidrun

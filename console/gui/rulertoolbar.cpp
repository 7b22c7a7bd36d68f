#include "console/gui/rulertoolbar.h"

#include <QApplication>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "platform/gui/numericedit.h"

namespace tidrun {

namespace {

NumericEdit* MakeField(QToolBar* bar, MessageSink& sink, const char* name, const QString& picture,
                       double lo, double hi, const QString& hint, int width) {
    auto* f = new NumericEdit(picture, lo, hi, bar);
    f->setObjectName(QLatin1String(name));
    f->setToolTip(hint);
    f->SetMessageSink(&sink);
    f->setFixedWidth(width);
    return f;
}

// Two small arrow buttons stacked; returns them (up, down).
std::pair<QToolButton*, QToolButton*> AddUpDown(QToolBar* bar, const char* name) {
    auto* w = new QWidget(bar);
    w->setObjectName(QLatin1String(name));
    auto* l = new QVBoxLayout(w);
    l->setContentsMargins(0, 0, 0, 0);
    l->setSpacing(0);
    QToolButton* b[2];
    for (int i = 0; i < 2; ++i) {
        b[i] = new QToolButton(w);
        b[i]->setArrowType(i == 0 ? Qt::UpArrow : Qt::DownArrow);
        b[i]->setFixedSize(16, 11);
        b[i]->setObjectName(QLatin1String(name) +
                            (i == 0 ? QStringLiteral("Up") : QStringLiteral("Down")));
        l->addWidget(b[i]);
    }
    bar->addWidget(w);
    return {b[0], b[1]};
}

// The small up-down beside a field: focus the field, add or subtract 1 without wrapping.
void AddFieldUpDown(QToolBar* bar, const char* name, NumericEdit* field) {
    const auto [up, down] = AddUpDown(bar, name);
    for (auto [button, step] : {std::pair{up, +1}, std::pair{down, -1}}) {
        QObject::connect(button, &QToolButton::clicked, field, [field, step] {
            field->setFocus();
            const double v =
                std::clamp(std::trunc(field->value()) + step, field->Minimum(), field->Maximum());
            field->setValue(v);
            emit field->valueCommitted(v);
        });
    }
}

void EnableFields(QToolBar* bar, std::initializer_list<const char*> names, bool enabled) {
    for (const char* name : names)
        if (auto* w = bar->findChild<QWidget*>(QLatin1String(name))) w->setEnabled(enabled);
}

}  // namespace

void ShowFieldState(NumericEdit* field, bool bad) {
    QPalette pal = field->palette();
    pal.setColor(QPalette::Base, bad ? NumericEdit::ErrorColor()
                                     : QApplication::palette(field).color(QPalette::Base));
    field->setPalette(pal);
}

void TFieldToolBar::ShowText(TLineField f, const QString& text) {
    if (NumericEdit* e = Edit(f)) {
        e->setText(text);
        ShowFieldState(e, false);
    }
}

void TFieldToolBar::ShowBad(TLineField f, bool bad) {
    if (NumericEdit* e = Edit(f)) ShowFieldState(e, bad);
}

void TFieldToolBar::Hold(TLineField f, NumericEdit* edit) {
    edits_[static_cast<size_t>(f)] = edit;
    connect(edit, &QLineEdit::textChanged, this,
            [this, f](const QString& text) { emit Edited(f, text); });
    connect(edit, &NumericEdit::valueCommitted, this, [this, f] { emit Committed(f); });
}

TCircleToolBar::TCircleToolBar(MessageSink& sink, QWidget* parent)
    : TFieldToolBar(QStringLiteral("円定規"), parent) {
    setObjectName(QStringLiteral("tbCircle"));
    addWidget(new QLabel(QStringLiteral(" 直径 "), this));
    edtCircleSize = MakeField(this, sink, "edtCircleSize", QStringLiteral("999"), 1, 999,
                              QStringLiteral("円定規の直径をﾒｰﾄﾙで入力する"), 48);
    Hold(TLineField::Diameter, edtCircleSize);
    addWidget(edtCircleSize);
    AddFieldUpDown(this, "udCircle", edtCircleSize);
    addWidget(new QLabel(QStringLiteral(" ｍ "), this));
}

void TCircleToolBar::SetFieldsEnabled(bool enabled) {
    EnableFields(this, {"edtCircleSize", "udCircle"}, enabled);
}

TRulerToolBar::TRulerToolBar(MessageSink& sink, QWidget* parent)
    : TFieldToolBar(QStringLiteral("計画線"), parent) {
    setObjectName(QStringLiteral("tbRuler"));
    addWidget(new QLabel(QStringLiteral(" 角度 "), this));
    edtRulerAngle = MakeField(this, sink, "edtRulerAngle", QStringLiteral("####.####"), -360, 360,
                              QStringLiteral("計画線の角度を度(．分秒)で入力する"), 80);
    Hold(TLineField::Angle, edtRulerAngle);
    addWidget(edtRulerAngle);
    addWidget(new QLabel(QStringLiteral(" 幅 "), this));
    edtRulerWidth = MakeField(this, sink, "edtRulerWidth", QStringLiteral("999"), 0, 999,
                              QStringLiteral("計画線の幅をﾒｰﾄﾙで入力する"), 48);
    Hold(TLineField::Width, edtRulerWidth);
    addWidget(edtRulerWidth);
    AddFieldUpDown(this, "udRulerWidth", edtRulerWidth);
    addWidget(new QLabel(QStringLiteral(" 移動量 "), this));
    edtRulerStep = MakeField(this, sink, "edtRulerStep", QStringLiteral("999"), 0, 999,
                             QStringLiteral("計画線の移動量をﾒｰﾄﾙで入力する"), 48);
    Hold(TLineField::Step, edtRulerStep);
    addWidget(edtRulerStep);
    AddFieldUpDown(this, "udRulerStep", edtRulerStep);
    addWidget(new QLabel(QStringLiteral(" 平行移動 "), this));
    std::tie(btnMoveUp, btnMoveDown) = AddUpDown(this, "udRuler");
    for (QToolButton* b : {btnMoveUp, btnMoveDown}) {
        b->setToolTip(QStringLiteral("計画線を平行移動させる"));
        b->setFixedSize(22, 13);
    }
    connect(btnMoveUp, &QToolButton::clicked, this, [this] {
        if (movePos_ >= kMoveMax) return;
        ++movePos_;
        emit MoveRequested(+1);
    });
    connect(btnMoveDown, &QToolButton::clicked, this, [this] {
        if (movePos_ <= kMoveMin) return;
        --movePos_;
        emit MoveRequested(-1);
    });
}

void TRulerToolBar::SetFieldsEnabled(bool enabled) {
    EnableFields(this,
                 {"edtRulerAngle", "edtRulerWidth", "edtRulerStep", "udRulerWidth", "udRulerStep",
                  "udRuler"},
                 enabled);
}

}  // namespace tidrun

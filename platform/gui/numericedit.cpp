#include "platform/gui/numericedit.h"

#include "platform/messagesink.h"

#include <QApplication>
#include <QPalette>
#include <QPointer>
#include <QRegularExpressionValidator>
#include <QTimer>

#include <algorithm>

namespace tidrun {

NumericEdit::NumericEdit(QWidget* parent)
    : NumericEdit(QStringLiteral("#######.###"), 0, 0, parent) {
    SetRange(-9999999.999, 9999999.999);
}

NumericEdit::NumericEdit(const QString& picture, double minimum, double maximum, QWidget* parent)
    : QLineEdit(parent), minimum_(minimum), maximum_(maximum) {
    SetPicture(picture);
    committed_ = QString::number(std::clamp(0.0, minimum_, maximum_), 'f', decimals_);
    connect(this, &QLineEdit::editingFinished, this, [this] { Validate(); });
    connect(this, &QLineEdit::textChanged, this, [this] {
        if (IsInRange()) committed_ = text().trimmed();
    });
}

void NumericEdit::SetPicture(const QString& picture) {
    picture_ = picture;
    const qsizetype dot = picture.indexOf(QLatin1Char('.'));
    const QString whole = dot < 0 ? picture : picture.left(dot);
    const QString frac = dot < 0 ? QString() : picture.mid(dot + 1);
    const auto digits = [](const QString& part) {
        int n = 0;
        for (const QChar c : part)
            if (c == QLatin1Char('#') || c == QLatin1Char('9') || c == QLatin1Char('0')) ++n;
        return n;
    };
    const int intDigits = std::max(1, digits(whole));
    decimals_ = digits(frac);
    QString pattern = minimum_ < 0 ? QStringLiteral("-?") : QString();
    pattern += QStringLiteral("\\d{0,%1}").arg(intDigits);
    if (decimals_ > 0) pattern += QStringLiteral("(\\.\\d{0,%1})?").arg(decimals_);
    setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), this));
    setMaxLength(intDigits + (decimals_ > 0 ? decimals_ + 1 : 0) + (minimum_ < 0 ? 1 : 0));
}

void NumericEdit::SetRange(double minimum, double maximum) {
    const bool signChanged = (minimum < 0) != (minimum_ < 0);
    minimum_ = minimum;
    maximum_ = maximum;
    if (signChanged) SetPicture(picture_);
}

double NumericEdit::value() const {
    bool ok = false;
    const double v = text().trimmed().toDouble(&ok);
    return ok ? v : 0.0;
}

void NumericEdit::setValue(double v) {
    setText(QString::number(v, 'f', decimals_));
    SetErrorLook(false);
}

bool NumericEdit::IsInRange() const {
    bool ok = false;
    const double v = text().trimmed().toDouble(&ok);
    return ok && v >= minimum_ && v <= maximum_;
}

bool NumericEdit::Validate() {
    if (reporting_) return !error_;
    if (IsInRange()) {
        SetErrorLook(false);
        emit valueCommitted(value());
        return true;
    }
    SetErrorLook(true);
    // The box may take the focus and finish the entry again: report once per failure.
    reporting_ = true;
    if (sink_) sink_->Error(RangeErrorText());
    emit rangeError(RangeErrorText());
    reporting_ = false;
    // Back into the field after the focus change that finished the entry has settled.
    QTimer::singleShot(0, this, [self = QPointer<NumericEdit>(this)] {
        if (self) {
            self->setFocus(Qt::OtherFocusReason);
            self->selectAll();
        }
    });
    return false;
}

void NumericEdit::SetErrorLook(bool error) {
    error_ = error;
    QPalette pal = palette();
    if (error) {
        pal.setColor(QPalette::Base, ErrorColor());
    } else {
        pal.setColor(QPalette::Base, QApplication::palette(this).color(QPalette::Base));
    }
    setPalette(pal);
}

}  // namespace tidrun

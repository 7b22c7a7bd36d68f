#include "console/gui/dialogs/linedlgform.h"

#include "platform/gui/nameedit.h"
#include "platform/messagesink.h"
#include "surveydata/jobsettings.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tidrun {

TLineDlgForm::TLineDlgForm(MessageSink& sink, QWidget* parent) : QDialog(parent), sink_(sink) {
    setObjectName(QStringLiteral("LineDlgForm"));
    setWindowTitle(QStringLiteral("収録開始"));
    edtLineName = new QLineEdit(this);
    edtLineName->setObjectName(QStringLiteral("edtLineName"));
    edtLineName->setMaxLength(kLineNameMax);
    edtLineName->setMinimumWidth(edtLineName->fontMetrics().horizontalAdvance(QLatin1Char('M')) *
                                 24);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("測線名"), edtLineName);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &TLineDlgForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TLineDlgForm::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

bool TLineDlgForm::Execute() {
    return exec() == QDialog::Accepted;
}

QString TLineDlgForm::LineName() const {
    return edtLineName->text();
}

void TLineDlgForm::SetLineName(const QString& name) {
    edtLineName->setText(name);
}

void TLineDlgForm::accept() {
    if (NameAccepted(edtLineName, ValidateLineName(edtLineName->text()), sink_)) QDialog::accept();
}

void TLineDlgForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    edtLineName->setFocus(Qt::ActiveWindowFocusReason);
    edtLineName->selectAll();
}

}  // namespace tidrun

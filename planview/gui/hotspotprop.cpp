#include "planview/gui/hotspotprop.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "planview/markprops.h"
#include "platform/gui/nameedit.h"
#include "platform/messagesink.h"
#include "surveydata/jobsettings.h"

namespace tidrun {

namespace {

QIcon Swatch(QRgb rgb) {
    QPixmap pm(32, 14);
    pm.fill(QColor(rgb));
    return QIcon(pm);
}

}  // namespace

TfrmHotSpotProp::TfrmHotSpotProp(MessageSink& sink, QWidget* parent)
    : QDialog(parent), sink_(sink) {
    setObjectName(QStringLiteral("frmHotSpotProp"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    edtName = new QLineEdit(this);
    edtName->setObjectName(QStringLiteral("edtName"));
    edtName->setMaxLength(kLineNameMax);  // as a line name: the mark file reads it back
    cbxColour = new QComboBox(this);
    cbxColour->setObjectName(QStringLiteral("cbxColour"));
    cbxColour->setIconSize(QSize(32, 14));
    for (QRgb c : BasicColours()) cbxColour->addItem(Swatch(c), QString(), QColor(c));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("名称"), edtName);
    form->addRow(QStringLiteral("表示色"), cbxColour);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &TfrmHotSpotProp::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TfrmHotSpotProp::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // a fixed dialog border
}

QString TfrmHotSpotProp::Name() const {
    return edtName->text();
}

void TfrmHotSpotProp::SetName(const QString& name) {
    edtName->setText(name);
}

QColor TfrmHotSpotProp::Colour() const {
    return cbxColour->currentData().value<QColor>();
}

void TfrmHotSpotProp::SetColour(const QColor& colour) {
    const int basic = static_cast<int>(BasicColours().size());
    while (cbxColour->count() > basic) cbxColour->removeItem(basic);
    for (int i = 0; i < basic; ++i) {
        if (cbxColour->itemData(i).value<QColor>().rgb() == colour.rgb()) {
            cbxColour->setCurrentIndex(i);
            return;
        }
    }
    cbxColour->addItem(Swatch(colour.rgb()), QString(), colour);
    cbxColour->setCurrentIndex(basic);
}

void TfrmHotSpotProp::accept() {
    if (NameAccepted(edtName, ValidateMarkName(edtName->text()), sink_)) QDialog::accept();
}

void TfrmHotSpotProp::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    edtName->setFocus(Qt::ActiveWindowFocusReason);
}

}  // namespace tidrun

#include "planview/gui/depthrangedlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/messagesink.h"

namespace tidrun {

namespace {

QString Metres(float m) {
    return QString::asprintf("%.2f", double(m));
}

}  // namespace

TDepthRangeDlg::TDepthRangeDlg(MessageSink& sink, const std::optional<TDepthRange>& typed,
                               const std::optional<TDepthRange>& jobRange, QWidget* parent)
    : QDialog(parent), sink_(sink), result_(typed) {
    setObjectName(QStringLiteral("frmDepthRange"));
    setWindowTitle(QStringLiteral("水深の範囲"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    const QString job = jobRange ? QStringLiteral("ジョブの水深 (%1 ～ %2 m)")
                                       .arg(Metres(jobRange->shallow), Metres(jobRange->deep))
                                 : QStringLiteral("ジョブの水深 (水深なし)");
    rbJob_ = new QRadioButton(job, this);
    rbJob_->setObjectName(QStringLiteral("rbJob"));
    rbTyped_ = new QRadioButton(QStringLiteral("範囲を指定"), this);
    rbTyped_->setObjectName(QStringLiteral("rbTyped"));
    edtShallow_ = new QLineEdit(this);
    edtShallow_->setObjectName(QStringLiteral("edtShallow"));
    edtDeep_ = new QLineEdit(this);
    edtDeep_->setObjectName(QStringLiteral("edtDeep"));
    const TDepthRange shown = typed ? *typed : jobRange.value_or(TDepthRange{0, 10});
    edtShallow_->setText(Metres(shown.shallow));
    edtDeep_->setText(Metres(shown.deep));
    (typed ? rbTyped_ : rbJob_)->setChecked(true);
    auto enable = [this] {
        edtShallow_->setEnabled(rbTyped_->isChecked());
        edtDeep_->setEnabled(rbTyped_->isChecked());
    };
    connect(rbTyped_, &QRadioButton::toggled, this, enable);
    enable();

    auto* grid = new QGridLayout;
    grid->addWidget(rbJob_, 0, 0, 1, 3);
    grid->addWidget(rbTyped_, 1, 0, 1, 3);
    grid->addWidget(edtShallow_, 2, 0);
    grid->addWidget(new QLabel(QStringLiteral("～"), this), 2, 1);
    grid->addWidget(edtDeep_, 2, 2);
    grid->addWidget(new QLabel(QStringLiteral("m"), this), 2, 3);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &TDepthRangeDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TDepthRangeDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TDepthRangeDlg::accept() {
    if (rbJob_->isChecked()) {
        result_.reset();
        QDialog::accept();
        return;
    }
    bool okShallow = false, okDeep = false;
    const double shallow = edtShallow_->text().trimmed().toDouble(&okShallow);
    const double deep = edtDeep_->text().trimmed().toDouble(&okDeep);
    const auto range = okShallow && okDeep ? TypedDepthRange(shallow, deep) : std::nullopt;
    if (!range) {
        sink_.Error(
            QStringLiteral("水深の範囲は、浅い側を0以上の数値で、深い側を浅い側より大きく"
                           "入力して下さい"));
        edtShallow_->setFocus();
        edtShallow_->selectAll();
        return;
    }
    result_ = range;
    QDialog::accept();
}

}  // namespace tidrun

#include "console/gui/dialogs/setupform.h"

#include "planview/markprops.h"
#include "platform/messagesink.h"
#include "platform/portmap.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace tidrun {

namespace {

QComboBox* MakeChoice(QWidget* parent, const char* name, const QStringList& items) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->addItems(items);
    return combo;
}

// Shows `text` in a fixed-list chooser; a text that is not one of the items leaves no
// selection (editable choosers show it as typed).
void SetChoice(QComboBox* combo, const QString& text) {
    const int index = combo->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    combo->setCurrentIndex(index);
    if (index < 0 && combo->isEditable()) combo->setEditText(text);
}

// The chooser's text; with no selection the value as loaded stays.
QString ChoiceText(const QComboBox* combo, const QString& loaded) {
    if (combo->isEditable()) return combo->currentText();
    return combo->currentIndex() < 0 ? loaded : combo->currentText();
}

void SetRadio(QButtonGroup* group, const QString& text) {
    QAbstractButton* match = nullptr;
    for (QAbstractButton* b : group->buttons())
        if (b->text() == text) match = b;
    if (match) {
        match->setChecked(true);
        return;
    }
    group->setExclusive(false);
    for (QAbstractButton* b : group->buttons()) b->setChecked(false);
    group->setExclusive(true);
}

QString RadioText(const QButtonGroup* group, const QString& loaded) {
    const QAbstractButton* b = group->checkedButton();
    return b ? b->text() : loaded;
}

// A line edit for metres as typed: digits and one decimal point, `whole` digits before it
// and two after. The range is checked on OK, where a value loaded from the file is too.
QLineEdit* MakeMetres(QWidget* parent, const char* name, int whole) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("\\d{0,%1}(\\.\\d{0,2})?").arg(whole)), edit));
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 10);
    return edit;
}

// A port chooser, where its name leads (the device chooser) and the description.
QHBoxLayout* PortRow(QComboBox* port, QComboBox* devices, QLabel* target) {
    auto* row = new QHBoxLayout;
    row->addWidget(port);
    row->addWidget(devices);
    row->addWidget(target, 1);
    return row;
}

// An edit followed by its unit and range.
QHBoxLayout* UnitRow(QLineEdit* edit, const QString& unit) {
    auto* row = new QHBoxLayout;
    row->addWidget(edit);
    row->addWidget(new QLabel(unit, edit->parentWidget()));
    row->addStretch(1);
    return row;
}

// Passes every message on and keeps the first error, so that the form can show where it is.
class TFirstErrorSink : public MessageSink {
  public:
    explicit TFirstErrorSink(MessageSink& to) : to_(to) {}
    void Show(Kind kind, const QString& text) override {
        if (kind == Kind::Error && first.isEmpty()) first = text;
        to_.Show(kind, text);
    }
    bool Confirm(const QString& text) override { return to_.Confirm(text); }
    void ShowWaiting() override { to_.ShowWaiting(); }
    QString first;

  private:
    MessageSink& to_;
};

QIcon Swatch(const QColor& color) {
    QPixmap pm(28, 14);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.setBrush(color);
    p.drawRect(0, 0, 27, 13);
    return QIcon(pm);
}

}  // namespace

TSetupForm::TSetupForm(MessageSink& sink, QWidget* parent) : QDialog(parent), sink_(sink) {
    setObjectName(QStringLiteral("SetupForm"));
    setWindowTitle(QStringLiteral("初期設定"));

    edtJobName = new QLineEdit(this);
    edtJobName->setObjectName(QStringLiteral("edtJobName"));
    edtJobName->setMaxLength(TJobSettings::kJobNameMax);
    auto* jobRow = new QHBoxLayout;
    auto* jobLabel = new QLabel(QStringLiteral("工事名"), this);
    jobLabel->setBuddy(edtJobName);
    jobRow->addWidget(jobLabel);
    jobRow->addWidget(edtJobName, 1);

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->addTab(BuildBasicPage(), QStringLiteral("基本ﾃﾞｰﾀ"));
    PageControl->addTab(BuildConversionPage(), QStringLiteral("座標変換"));
    PageControl->addTab(BuildReceiverPage(), QStringLiteral("受信ﾃﾞｰﾀ"));
    PageControl->addTab(BuildDepthPage(), QStringLiteral("測深"));
    PageControl->addTab(BuildOtherPage(), QStringLiteral("その他"));

    auto* buttons = new QDialogButtonBox(this);
    auto* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("btnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TSetupForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TSetupForm::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(jobRow);
    layout->addWidget(PageControl, 1);
    layout->addWidget(buttons);

    connect(cbxMapDatum, &QComboBox::currentIndexChanged, this, [this] { UpdateEnabling(); });
    connect(cutGroup_, &QButtonGroup::buttonToggled, this, [this] { UpdateEnabling(); });
    connect(outGroup_, &QButtonGroup::buttonToggled, this, [this] { UpdateEnabling(); });
    connect(cbxPort, &QComboBox::currentIndexChanged, this, [this] { UpdatePortTargets(); });
    connect(cbxOutPort, &QComboBox::currentIndexChanged, this, [this] { UpdatePortTargets(); });
    connect(cbxDepthSource_, &QComboBox::currentIndexChanged, this, [this] {
        UpdateEnabling();
        UpdatePortTargets();
    });

    runFileDialog_ = [](QFileDialog& dialog) {
        if (dialog.exec() != QDialog::Accepted) return QString();
        return dialog.selectedFiles().value(0);
    };
    SettingsToControls();
}

QString TSetupForm::FileFilter() {
    return QStringLiteral("測量データ (*.DAT *.TXT);;全てのﾌｧｲﾙ (*.*)");
}

QWidget* TSetupForm::BuildBasicPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    struct Row {
        const char* label;
        QLineEdit** edit;
        QPushButton** button;
        const char* editName;
        const char* buttonName;
        const char* title;
        bool mustExist;
    };
    const Row rows[] = {
        {"調査区域", &edtTansa, &btnTansa, "edtTansa", "btnTansa", "調査区域ﾌｧｲﾙの読込", true},
        {"基準点", &edtKijun, &btnKijun, "edtKijun", "btnKijun", "基準点ﾌｧｲﾙの読込", true},
        {"設標点", &edtIjo, &btnIjo, "edtIjo", "btnIjo", "設標点ﾌｧｲﾙの読込", true},
        {"収録", &edtSokusen, &btnSokusen, "edtSokusen", "btnSokusen", "収録ﾌｧｲﾙの読込", false},
        {"マーク", &edtMisoku, &btnMisoku, "edtMisoku", "btnMisoku", "マークﾌｧｲﾙの読込", false},
    };
    int r = 0;
    for (const Row& row : rows) {
        auto* edit = new QLineEdit(page);
        edit->setObjectName(QString::fromLatin1(row.editName));
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 28);
        auto* button = new QPushButton(QStringLiteral("参照..."), page);
        button->setObjectName(QString::fromLatin1(row.buttonName));
        button->setAutoDefault(false);
        auto* label = new QLabel(QString::fromUtf8(row.label), page);
        label->setBuddy(edit);
        grid->addWidget(label, r, 0);
        grid->addWidget(edit, r, 1);
        grid->addWidget(button, r, 2);
        *row.edit = edit;
        *row.button = button;
        const QString title = QString::fromUtf8(row.title);
        const bool mustExist = row.mustExist;
        connect(button, &QPushButton::clicked, this,
                [this, edit, title, mustExist] { Browse(edit, title, mustExist); });
        ++r;
    }
    grid->setRowStretch(r, 1);
    return page;
}

QWidget* TSetupForm::BuildConversionPage() {
    auto* page = new QWidget;
    cbxMapDatum = MakeChoice(page, "cbxMapDatum", TJobSettings::MapDatumChoices());
    cbxZone = MakeChoice(page, "cbxZone", TJobSettings::ZoneChoices());
    cbxZone->setMaxVisibleItems(19);

    grpShift = new QGroupBox(QStringLiteral("変換パラメータ"), page);
    grpShift->setObjectName(QStringLiteral("grpShift"));
    rbShiftNew = new QRadioButton(QStringLiteral("新"), grpShift);
    rbShiftNew->setObjectName(QStringLiteral("rbShiftNew"));
    rbShiftOld = new QRadioButton(QStringLiteral("旧"), grpShift);
    rbShiftOld->setObjectName(QStringLiteral("rbShiftOld"));
    shiftGroup_ = new QButtonGroup(this);
    shiftGroup_->addButton(rbShiftNew);
    shiftGroup_->addButton(rbShiftOld);
    auto* shiftRow = new QHBoxLayout(grpShift);
    shiftRow->addWidget(rbShiftNew);
    shiftRow->addWidget(rbShiftOld);
    shiftRow->addStretch(1);

    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(QStringLiteral("変換後測地系"), cbxMapDatum);
    form->addRow(QStringLiteral("平面直角座標系"), cbxZone);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addWidget(grpShift);
    layout->addStretch(1);
    return page;
}

QWidget* TSetupForm::BuildReceiverPage() {
    auto* page = new QWidget;
    cbxPort = MakeChoice(page, "cbxPort", TJobSettings::PortChoices());
    lblPortTarget = new QLabel(page);
    lblPortTarget->setObjectName(QStringLiteral("lblPortTarget"));
    cbxSpeed = MakeChoice(page, "cbxSpeed", TJobSettings::SpeedChoices());
    cbxGpsDatum = MakeChoice(page, "cbxGpsDatum", TJobSettings::GpsDatumChoices());

    cbxPortDevice = MakeDeviceChooser(page, "cbxPortDevice", cbxPort);
    auto* portRow = PortRow(cbxPort, cbxPortDevice, lblPortTarget);
    auto* top = new QFormLayout;
    top->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    top->addRow(QStringLiteral("接続ﾎﾟｰﾄ"), portRow);
    top->addRow(QStringLiteral("通信速度"), cbxSpeed);
    top->addRow(QStringLiteral("測地系"), cbxGpsDatum);

    // 収録方法
    auto* grpCut = new QGroupBox(QStringLiteral("収録方法"), page);
    grpCut->setObjectName(QStringLiteral("grpCut"));
    const QStringList cuts = TJobSettings::CutMethodChoices();
    rbCutAuto = new QRadioButton(cuts.value(0), grpCut);
    rbCutAuto->setObjectName(QStringLiteral("rbCutAuto"));
    rbCutManual = new QRadioButton(cuts.value(1), grpCut);
    rbCutManual->setObjectName(QStringLiteral("rbCutManual"));
    rbCutAll = new QRadioButton(cuts.value(2), grpCut);
    rbCutAll->setObjectName(QStringLiteral("rbCutAll"));
    cutGroup_ = new QButtonGroup(this);
    for (auto* rb : {rbCutAuto, rbCutManual, rbCutAll}) cutGroup_->addButton(rb);

    lblInterval = new QLabel(QStringLiteral("間隔(秒)"), grpCut);
    cbxInterval = MakeChoice(grpCut, "cbxInterval", TJobSettings::IntervalChoices());
    cbxInterval->setEditable(true);
    cbxInterval->setInsertPolicy(QComboBox::NoInsert);
    cbxInterval->lineEdit()->setMaxLength(TJobSettings::kIntervalMaxChars);
    cbxInterval->lineEdit()->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("\\d{0,%1}").arg(TJobSettings::kIntervalMaxChars)),
        cbxInterval));
    cbxInterval->lineEdit()->installEventFilter(this);
    lblInterval->setBuddy(cbxInterval);
    lblIntervalHint = new QLabel(QStringLiteral("10秒以上"), grpCut);

    auto* cutLayout = new QGridLayout(grpCut);
    cutLayout->addWidget(rbCutAuto, 0, 0);
    cutLayout->addWidget(lblInterval, 0, 1);
    cutLayout->addWidget(cbxInterval, 0, 2);
    cutLayout->addWidget(lblIntervalHint, 0, 3);
    cutLayout->addWidget(rbCutManual, 1, 0);
    cutLayout->addWidget(rbCutAll, 2, 0);
    cutLayout->setColumnStretch(4, 1);

    // 転送
    auto* grpOut = new QGroupBox(QStringLiteral("転送"), page);
    grpOut->setObjectName(QStringLiteral("grpOut"));
    const QStringList outs = TJobSettings::OutMethodChoices();
    rbOutNone = new QRadioButton(outs.value(0), grpOut);
    rbOutNone->setObjectName(QStringLiteral("rbOutNone"));
    rbOutData = new QRadioButton(outs.value(1), grpOut);
    rbOutData->setObjectName(QStringLiteral("rbOutData"));
    rbOutText = new QRadioButton(outs.value(2), grpOut);
    rbOutText->setObjectName(QStringLiteral("rbOutText"));
    outGroup_ = new QButtonGroup(this);
    for (auto* rb : {rbOutNone, rbOutData, rbOutText}) outGroup_->addButton(rb);
    cbxOutPort = MakeChoice(grpOut, "cbxOutPort", TJobSettings::PortChoices());
    lblOutPortTarget = new QLabel(grpOut);
    lblOutPortTarget->setObjectName(QStringLiteral("lblOutPortTarget"));
    cbxOutSpeed = MakeChoice(grpOut, "cbxOutSpeed", TJobSettings::SpeedChoices());
    lblOutText = new QLabel(QStringLiteral("転送文字"), grpOut);
    edtOutText = new QLineEdit(grpOut);
    edtOutText->setObjectName(QStringLiteral("edtOutText"));
    lblOutText->setBuddy(edtOutText);

    auto* radios = new QVBoxLayout;
    for (auto* rb : {rbOutNone, rbOutData, rbOutText}) radios->addWidget(rb);
    radios->addStretch(1);
    cbxOutPortDevice = MakeDeviceChooser(grpOut, "cbxOutPortDevice", cbxOutPort);
    auto* outPortRow = PortRow(cbxOutPort, cbxOutPortDevice, lblOutPortTarget);
    auto* outForm = new QFormLayout;
    outForm->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    outForm->addRow(QStringLiteral("接続ﾎﾟｰﾄ"), outPortRow);
    outForm->addRow(QStringLiteral("通信速度"), cbxOutSpeed);
    outForm->addRow(lblOutText, edtOutText);
    auto* outLayout = new QHBoxLayout(grpOut);
    outLayout->addLayout(radios);
    outLayout->addSpacing(12);
    outLayout->addLayout(outForm, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(top);
    layout->addWidget(grpCut);
    layout->addWidget(grpOut);
    layout->addStretch(1);
    return page;
}

QWidget* TSetupForm::BuildDepthPage() {
    auto* page = new QWidget;
    auto* grpDepth = new QGroupBox(QStringLiteral("測深機"), page);
    grpDepth->setObjectName(QStringLiteral("grpDepth"));
    cbxDepthSource_ = MakeChoice(grpDepth, "cbxDepthSource", TJobSettings::DepthSourceChoices());
    cbxDepthSource_->setMaxVisibleItems(10);
    cbxDepthSource_->setToolTip(
        QStringLiteral("「転送通信」：転送と同じケーブルで水深を受ける\n"
                       "COM1～COM8：測深機専用のポート（GPSと同じ通信設定）"));
    lblDepthPortTarget_ = new QLabel(grpDepth);
    lblDepthPortTarget_->setObjectName(QStringLiteral("lblDepthPortTarget"));
    lblDepthSpeed_ = new QLabel(QStringLiteral("通信速度"), grpDepth);
    cbxDepthSpeed_ = MakeChoice(grpDepth, "cbxDepthSpeed", TJobSettings::SpeedChoices());
    lblDepthSpeed_->setBuddy(cbxDepthSpeed_);
    edtDraft_ = MakeMetres(grpDepth, "edtDraft", 1);
    cbxDepthPortDevice_ = MakeDeviceChooser(grpDepth, "cbxDepthPortDevice", cbxDepthSource_);
    auto* depthForm = new QFormLayout(grpDepth);
    depthForm->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    depthForm->addRow(QStringLiteral("測深入力"),
                      PortRow(cbxDepthSource_, cbxDepthPortDevice_, lblDepthPortTarget_));
    depthForm->addRow(lblDepthSpeed_, cbxDepthSpeed_);
    depthForm->addRow(QStringLiteral("喫水"),
                      UnitRow(edtDraft_, QStringLiteral("m（0.00～9.99）")));

    auto* grpDistance = new QGroupBox(QStringLiteral("距離収録"), page);
    grpDistance->setObjectName(QStringLiteral("grpDistance"));
    edtCutDistance_ = MakeMetres(grpDistance, "edtCutDistance", 4);
    auto* note = new QLabel(QStringLiteral("0のときは距離で収録しません。\n"
                                           "0より大きいとき、収録方法は「距離」になります"
                                           "（受信ﾃﾞｰﾀの収録方法は保存されたまま）。"),
                            grpDistance);
    note->setObjectName(QStringLiteral("lblDistanceNote"));
    auto* distanceForm = new QFormLayout(grpDistance);
    distanceForm->setFieldGrowthPolicy(QFormLayout::ExpandingFieldsGrow);
    distanceForm->addRow(QStringLiteral("距離間隔"),
                         UnitRow(edtCutDistance_, QStringLiteral("m（0.1～1000）")));
    distanceForm->addRow(note);

    chkRawLog_ = new QCheckBox(QStringLiteral("時刻付きログ"), page);
    chkRawLog_->setObjectName(QStringLiteral("chkRawLog"));
    chkRawLog_->setToolTip(
        QStringLiteral("GPSと測深機から受けた文を受信時刻付きで "
                       "Log/Raw年月日.log に保存します"));

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(grpDepth);
    layout->addWidget(grpDistance);
    layout->addWidget(chkRawLog_);
    layout->addStretch(1);
    return page;
}

QWidget* TSetupForm::BuildOtherPage() {
    auto* page = new QWidget;
    cbxMapColor = new QComboBox(page);
    cbxMapColor->setObjectName(QStringLiteral("cbxMapColor"));
    cbxMapColor->setMaxVisibleItems(16);
    // Shown by their Japanese names; the file keeps the names it always had.
    for (const QString& name : TJobSettings::ColorChoices()) {
        const TBasicColour* c = BasicColourNamed(name);
        cbxMapColor->addItem(Swatch(c ? QColor(c->rgb) : QColor(Qt::transparent)),
                             c ? QString::fromUtf8(c->shown) : name, name);
    }
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->addRow(QStringLiteral("平面図の色"), cbxMapColor);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addStretch(1);
    return page;
}

void TSetupForm::SetPortDescriber(PortDescriber describer) {
    describePort_ = std::move(describer);
    UpdatePortTargets();
}

void TSetupForm::Load(const QString& cfgPath) {
    cfgPath_ = cfgPath;
    settings_.Load(cfgPath_);
    SettingsToControls();
    LoadPortMap();
}

bool TSetupForm::Execute(const QString& cfgPath) {
    Load(cfgPath);
    return exec() == QDialog::Accepted;
}

void TSetupForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (devicePoll_) devicePoll_->start();
    PageControl->setCurrentIndex(0);
    edtJobName->setFocus(Qt::ActiveWindowFocusReason);
}

void TSetupForm::accept() {
    ControlsToSettings();
    // Checks in their order, the create questions, then the store; the first failure has
    // been shown and the dialog stays open.
    TFirstErrorSink sink(sink_);
    if (!settings_.Accept(cfgPath_, sink)) {
        FocusFaultyControl(sink.first);
        return;
    }
    if (!StorePortMap()) return;
    QDialog::accept();
}

void TSetupForm::reject() {
    LoadPortMap();
    settings_.Load(cfgPath_);
    SettingsToControls();
    QDialog::reject();
}

void TSetupForm::FocusFaultyControl(const QString& error) {
    // Every refusal names its field first.
    const std::pair<const char*, QWidget*> fields[] = {
        {"工事名", edtJobName},
        {"調査区域ﾌｧｲﾙ", edtTansa},
        {"基準点ﾌｧｲﾙ", edtKijun},
        {"設標ﾌｧｲﾙ", edtIjo},
        {"収録ﾌｧｲﾙ", edtSokusen},
        {"マークﾌｧｲﾙ", edtMisoku},
        {"自動収録の間隔", cbxInterval},
        {"転送文字", edtOutText},
        {"測深入力", cbxDepthSource_},
        {"測深速度", cbxDepthSpeed_},
        {"喫水", edtDraft_},
        {"距離間隔", edtCutDistance_},
    };
    for (const auto& [name, control] : fields) {
        if (!error.startsWith(QString::fromUtf8(name))) continue;
        for (int i = 0; i < PageControl->count(); ++i)
            if (PageControl->widget(i)->isAncestorOf(control)) PageControl->setCurrentIndex(i);
        control->setFocus(Qt::OtherFocusReason);
        return;
    }
}

bool TSetupForm::eventFilter(QObject* watched, QEvent* event) {
    // The interval takes digits only: other printable keys are dropped, editing keys pass.
    if (cbxInterval && watched == cbxInterval->lineEdit() && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (!text.isEmpty() && text.at(0).isPrint() &&
            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            for (const QChar c : text)
                if (c < QLatin1Char('0') || c > QLatin1Char('9')) return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QString TSetupForm::BrowseFolder(const QString& named) const {
    // The folder of the file already named, when it exists; else the work folder.
    const QString trimmed = named.trimmed();
    if (!trimmed.isEmpty()) {
        const QString folder = QFileInfo(settings_.Resolve(trimmed)).absolutePath();
        if (QFileInfo(folder).isDir()) return folder;
    }
    if (!cfgPath_.isEmpty()) return QFileInfo(cfgPath_).absolutePath();
    return QDir::currentPath();
}

void TSetupForm::Browse(QLineEdit* edit, const QString& title, bool mustExist) {
    QFileDialog dialog(this, title, BrowseFolder(edit->text()), FileFilter());
    dialog.setObjectName(QStringLiteral("OpenDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(QStringLiteral("DAT"));
    const QString chosen = runFileDialog_(dialog);
    if (!chosen.isEmpty()) edit->setText(QDir::toNativeSeparators(chosen));
}

void TSetupForm::SettingsToControls() {
    const TJobSettings& s = settings_;
    edtJobName->setText(s.JobName);
    edtTansa->setText(s.TansaFile);
    edtKijun->setText(s.KijunFile);
    edtIjo->setText(s.IjoFile);
    edtSokusen->setText(s.SokusenFile);
    edtMisoku->setText(s.MisokuFile);
    SetChoice(cbxMapDatum, s.MapDatum);
    SetChoice(cbxZone, s.Zone);
    (s.ShiftNew ? rbShiftNew : rbShiftOld)->setChecked(true);
    SetChoice(cbxPort, s.Port);
    SetChoice(cbxSpeed, s.Speed);
    SetChoice(cbxGpsDatum, s.GpsDatum);
    SetRadio(cutGroup_, s.CutMethod);
    SetChoice(cbxInterval, s.Interval);
    SetRadio(outGroup_, s.OutMethod);
    SetChoice(cbxOutPort, s.OutPort);
    SetChoice(cbxOutSpeed, s.OutSpeed);
    edtOutText->setText(s.OutText);
    SetChoice(cbxDepthSource_, s.DepthSource);
    SetChoice(cbxDepthSpeed_, s.DepthSpeed);
    edtDraft_->setText(s.Draft);
    edtCutDistance_->setText(s.CutDistance);
    chkRawLog_->setChecked(s.RawLog);
    const int color = cbxMapColor->findData(s.MapColor, Qt::UserRole, Qt::MatchFixedString);
    cbxMapColor->setCurrentIndex(color);
    UpdateEnabling();
    UpdatePortTargets();
}

void TSetupForm::ControlsToSettings() {
    TJobSettings& s = settings_;
    s.JobName = edtJobName->text();
    s.TansaFile = edtTansa->text();
    s.KijunFile = edtKijun->text();
    s.IjoFile = edtIjo->text();
    s.SokusenFile = edtSokusen->text();
    s.MisokuFile = edtMisoku->text();
    s.MapDatum = ChoiceText(cbxMapDatum, s.MapDatum);
    s.Zone = ChoiceText(cbxZone, s.Zone);
    s.ShiftNew = rbShiftNew->isChecked();
    s.Port = ChoiceText(cbxPort, s.Port);
    s.Speed = ChoiceText(cbxSpeed, s.Speed);
    s.GpsDatum = ChoiceText(cbxGpsDatum, s.GpsDatum);
    s.CutMethod = RadioText(cutGroup_, s.CutMethod);
    s.Interval = ChoiceText(cbxInterval, s.Interval);
    s.OutMethod = RadioText(outGroup_, s.OutMethod);
    s.OutPort = ChoiceText(cbxOutPort, s.OutPort);
    s.OutSpeed = ChoiceText(cbxOutSpeed, s.OutSpeed);
    s.OutText = edtOutText->text();
    s.DepthSource = ChoiceText(cbxDepthSource_, s.DepthSource);
    s.DepthSpeed = ChoiceText(cbxDepthSpeed_, s.DepthSpeed);
    s.Draft = edtDraft_->text();
    s.CutDistance = edtCutDistance_->text();
    s.RawLog = chkRawLog_->isChecked();
    s.MapColor =
        cbxMapColor->currentIndex() < 0 ? s.MapColor : cbxMapColor->currentData().toString();
}

void TSetupForm::UpdateEnabling() {
    // The shift parameters matter only when converting to the old Japanese datum.
    const bool oldDatum = cbxMapDatum->currentIndex() == 1;
    rbShiftNew->setEnabled(oldDatum);
    rbShiftOld->setEnabled(oldDatum);
    const bool automatic = rbCutAuto->isChecked();
    lblInterval->setEnabled(automatic);
    cbxInterval->setEnabled(automatic);
    lblIntervalHint->setEnabled(automatic);
    const bool text = rbOutText->isChecked();
    lblOutText->setEnabled(text);
    edtOutText->setEnabled(text);
    // The speed is the sounder's own only on a port of its own.
    const bool ownPort = cbxDepthSource_->currentIndex() >= 2;
    lblDepthSpeed_->setEnabled(ownPort);
    cbxDepthSpeed_->setEnabled(ownPort);
    cbxDepthPortDevice_->setEnabled(ownPort);
}

void TSetupForm::UpdatePortTargets() {
    const auto describe = [this](const QComboBox* combo) {
        if (combo->currentIndex() < 0) return QString();
        if (!portsIni_.isEmpty()) {
            const QString name = combo->currentText();
            return DescribePort(name, portMap_.value(name), programDir_);
        }
        if (!describePort_) return QString();
        return describePort_(combo->currentText());
    };
    ShowPortTarget(lblPortTarget, describe(cbxPort));
    ShowPortTarget(lblOutPortTarget, describe(cbxOutPort));
    // The sounder on the transfer cable leads where the transfer port does.
    const int depth = cbxDepthSource_->currentIndex();
    const QString depthTarget = depth < 1    ? QString()
                                : depth == 1 ? describe(cbxOutPort)
                                             : describe(cbxDepthSource_);
    ShowPortTarget(lblDepthPortTarget_, depthTarget);
}

void TSetupForm::ShowPortTarget(QLabel* label, const QString& text) {
    // A long device or replay path is cut in the middle so that the dialog keeps its
    // width; the whole text is in the tooltip.
    const QFontMetrics fm = label->fontMetrics();
    label->setText(fm.elidedText(text, Qt::ElideMiddle, fm.averageCharWidth() * kPortTargetChars));
    label->setToolTip(text);
}

}  // namespace tidrun

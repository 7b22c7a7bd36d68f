// The settings dialog's choice of where each port name leads (a device or a replay file),
// kept in [Ports] of Tidrun.INI, and the watch for devices plugged in or out.
#include "console/gui/dialogs/setupform.h"

#include "platform/messagesink.h"
#include "platform/portdevices.h"
#include "platform/portmap.h"
#include "surveydata/inifile.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QTimer>

namespace tidrun {

namespace {
const QString kPortsSection = QStringLiteral("Ports");
const QString kChooseReplay = QStringLiteral("\x01replay");  // the "再生ファイル..." entry
constexpr int kDevicePollMs = 1500;
}  // namespace

QComboBox* TSetupForm::MakeDeviceChooser(QWidget* parent, const char* name,
                                         QComboBox* portChooser) {
    auto* devices = new QComboBox(parent);
    devices->setObjectName(QString::fromLatin1(name));
    devices->setToolTip(QStringLiteral("このポート名で開く装置または再生ファイル"));
    devices->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    devices->setMinimumContentsLength(22);
    devices->setVisible(false);  // shown once a ports file is given
    connect(devices, &QComboBox::activated, this,
            [this, devices, portChooser] { DeviceChosen(devices, portChooser); });
    connect(portChooser, &QComboBox::currentIndexChanged, this, [this, devices, portChooser] {
        FillDeviceChooser(devices, portChooser->currentText());
    });
    return devices;
}

void TSetupForm::SetPortsFile(const QString& iniPath, const QString& programDir) {
    portsIni_ = iniPath;
    programDir_ = programDir;
    if (!devicePoll_) {
        devicePoll_ = new QTimer(this);
        devicePoll_->setInterval(kDevicePollMs);
        connect(devicePoll_, &QTimer::timeout, this, &TSetupForm::PollDevices);
    }
    for (QComboBox* devices : {cbxPortDevice, cbxOutPortDevice, cbxDepthPortDevice_})
        devices->setVisible(true);
    LoadPortMap();
}

void TSetupForm::LoadPortMap() {
    if (portsIni_.isEmpty()) return;
    portMap_.clear();
    const TIniFile ini(portsIni_);
    for (const QString& name : TJobSettings::PortChoices()) {
        const QString v = ini.ReadString(kPortsSection, name, {}).trimmed();
        if (!v.isEmpty()) portMap_[name] = v;
    }
    storedPortMap_ = portMap_;
    presentDevices_.clear();
    for (const PortDevice& d : PresentPortDevices()) presentDevices_ << d.path;
    FillDeviceChoosers(QString());
    UpdatePortTargets();
}

bool TSetupForm::StorePortMap() {
    if (portsIni_.isEmpty()) return true;
    TIniFile ini(portsIni_);
    for (const QString& name : TJobSettings::PortChoices()) {
        const QString v = portMap_.value(name);
        if (v == storedPortMap_.value(name)) continue;
        if (!ini.WriteString(kPortsSection, name, v)) {
            sink_.Error(QStringLiteral("書込ｴﾗｰ\r\n%1 に書き込めません").arg(portsIni_));
            return false;
        }
    }
    storedPortMap_ = portMap_;
    return true;
}

void TSetupForm::FillDeviceChooser(QComboBox* devices, const QString& portName) {
    if (portsIni_.isEmpty()) return;
    const QSignalBlocker block(devices);
    devices->clear();
    if (!TJobSettings::PortChoices().contains(portName)) return;  // no port of its own
    const QString mapped = portMap_.value(portName);
    devices->addItem(QStringLiteral("既定（%1）").arg(PortSource(portName, {}, programDir_)),
                     QString());
    bool listed = mapped.isEmpty();
    for (const PortDevice& d : PresentPortDevices()) {
        devices->addItem(d.accessible ? d.text : d.text + QStringLiteral("（権限なし）"), d.path);
        listed = listed || d.path == mapped;
    }
    if (!listed) {
        // A replay file as it is; a device path the system does not list (a pseudo-terminal,
        // a link to a device) by whether it is there.
        QString text = mapped;
        if (!mapped.startsWith(kReplayPrefix, Qt::CaseInsensitive)) {
            const std::optional<PortDevice> d = ProbePortDevice(mapped);
            if (!d)
                text += QStringLiteral("（接続されていません）");
            else if (!d->accessible)
                text += QStringLiteral("（権限なし）");
        }
        devices->addItem(text, mapped);
    }
    devices->addItem(QStringLiteral("再生ファイル..."), kChooseReplay);
    devices->setCurrentIndex(std::max(0, devices->findData(mapped)));
    for (int i = 0; i < devices->count(); ++i)
        devices->setItemData(i, devices->itemText(i), Qt::ToolTipRole);
}

void TSetupForm::DeviceChosen(QComboBox* devices, QComboBox* portChooser) {
    const QString name = portChooser->currentText();
    QString value = devices->currentData().toString();
    if (value == kChooseReplay) {
        const QString current = portMap_.value(name);
        const QString start =
            current.startsWith(kReplayPrefix, Qt::CaseInsensitive)
                ? QFileInfo(PortSource(name, current, programDir_).mid(kReplayPrefix.size()))
                      .absolutePath()
                : programDir_;
        QFileDialog dialog(this, QStringLiteral("再生ファイルの選択"), start,
                           QStringLiteral("NMEA (*.nmea *.txt *.log);;全てのﾌｧｲﾙ (*.*)"));
        dialog.setObjectName(QStringLiteral("ReplayDialog"));
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setFileMode(QFileDialog::ExistingFile);
        const QString chosen = runFileDialog_(dialog);
        if (chosen.isEmpty()) {
            FillDeviceChooser(devices, name);  // back to what was chosen before
            return;
        }
        value = QString(kReplayPrefix) + chosen;
    }
    if (value.isEmpty())
        portMap_.remove(name);
    else
        portMap_[name] = value;
    FillDeviceChoosers(name);  // every chooser showing this port name
    UpdatePortTargets();
}

void TSetupForm::PollDevices() {
    // Devices plugged in or out while the dialog is open.
    QStringList now;
    for (const PortDevice& d : PresentPortDevices()) now << d.path;
    if (now == presentDevices_) return;
    presentDevices_ = now;
    FillDeviceChoosers(QString());
}

void TSetupForm::FillDeviceChoosers(const QString& portName) {
    const std::pair<QComboBox*, QComboBox*> choosers[] = {
        {cbxPortDevice, cbxPort},
        {cbxOutPortDevice, cbxOutPort},
        {cbxDepthPortDevice_, cbxDepthSource_},
    };
    for (const auto& [devices, port] : choosers)
        if (portName.isEmpty() || port->currentText() == portName)
            FillDeviceChooser(devices, port->currentText());
}

void TSetupForm::hideEvent(QHideEvent* event) {
    if (devicePoll_) devicePoll_->stop();
    QDialog::hideEvent(event);
}

}  // namespace tidrun

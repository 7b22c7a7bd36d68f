#include "console/gui/dialogs/aboutbox.h"

#include <QtSerialPort/qtserialportversion.h>
#include <QtWidgets/qtwidgetsversion.h>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QVBoxLayout>

namespace tidrun {

TAboutBox::TAboutBox(QWidget* parent)
    : TAboutBox(VersionNumber(QCoreApplication::applicationVersion()),
                QCoreApplication::applicationVersion(), parent) {}

TAboutBox::TAboutBox(double versionNumber, const QString& versionText, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setModal(true);

    auto* title = new QLabel(QStringLiteral("Tidrun for GPS"), this);
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);

    lblVersion = new QLabel(VersionLine(versionNumber, versionText), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setAlignment(Qt::AlignCenter);
    lblLibraries = new QLabel(LibraryLine(), this);
    lblLibraries->setObjectName(QStringLiteral("lblLibraries"));
    lblLibraries->setAlignment(Qt::AlignCenter);

    lblText = new QLabel(this);
    lblText->setObjectName(QStringLiteral("lblText"));
    lblText->setAlignment(Qt::AlignCenter);
    lblText->setFrameShape(QFrame::StyledPanel);
    lblText->setMargin(12);
    lblText->setText(
        QStringList{QStringLiteral("測量船 航法・収録コンソール"),
                    QStringLiteral("GPS 受信・平面直角座標変換・深浅測量の収録と設標誘導"),
                    QString(), QStringLiteral("Tidrun for GPS 開発グループ")}
            .join(QLatin1Char('\n')));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(lblVersion);
    layout->addWidget(lblLibraries);
    layout->addSpacing(8);
    layout->addWidget(lblText);
    layout->addWidget(buttons, 0, Qt::AlignCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString TAboutBox::VersionLine(double versionNumber, const QString& versionText) {
    return QStringLiteral("Version ") +
           QString::asprintf("%f ( %s )", versionNumber, versionText.toUtf8().constData());
}

QString TAboutBox::LibraryLine(const QString& serialVersion, const QString& entryVersion,
                               const QString& containerVersion) {
    return QStringLiteral("( ") + serialVersion.mid(1, 10) + QLatin1Char('-') +
           entryVersion.mid(1, 10) + QLatin1Char('-') + containerVersion + QStringLiteral(" )");
}

QString TAboutBox::LibraryLine() {
    // The entry fields are built on Qt Widgets; the containers on Qt Core.
    return LibraryLine(QStringLiteral("V" QTSERIALPORT_VERSION_STR),
                       QStringLiteral("V" QTWIDGETS_VERSION_STR), QString::fromLatin1(qVersion()));
}

double TAboutBox::VersionNumber(const QString& versionText) {
    const QStringList parts = versionText.split(QLatin1Char('.'));
    if (parts.isEmpty()) return 0;
    const QString head = parts.size() > 1 ? parts[0] + QLatin1Char('.') + parts[1] : parts[0];
    bool ok = false;
    const double v = head.toDouble(&ok);
    return ok ? v : 0;
}

}  // namespace tidrun

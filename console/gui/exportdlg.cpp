#include "console/gui/exportdlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <atomic>
#include <thread>

#include "console/jobsession.h"
#include "platform/messagesink.h"
#include "surveydata/jobsettings.h"

namespace tidrun {

namespace {

struct FormatChoice {
    const char* label;
    const char* extension;
};
constexpr FormatChoice kChoices[] = {
    {"GeoPackage (*.gpkg)", "gpkg"}, {"GeoJSON (*.geojson)", "geojson"},
    {"Shapefile (*.shp)", "shp"},    {"KML (*.kml)", "kml"},
    {"GPX (*.gpx)", "gpx"},          {"DXF (*.dxf)", "dxf"},
    {"CSV (*.csv)", "csv"},
};

struct KindChoice {
    const char* label;
    unsigned kind;
};
const KindChoice kKinds[] = {
    {"測線", kExportLines},     {"カット", kExportCuts},
    {"水深", kExportSoundings}, {"基準点・設標点", kExportPoints},
    {"調査区域", kExportArea},  {"マーク", kExportMarks},
};

}  // namespace

TExportDlg::TExportDlg(const QString& suggested, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("エクスポート"));
    auto* form = new QFormLayout;
    edtFile_ = new QLineEdit(suggested, this);
    edtFile_->setMinimumWidth(360);  // room for a folder and the name
    auto* browse = new QPushButton(QStringLiteral("参照..."), this);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(edtFile_, 1);
    fileRow->addWidget(browse);
    form->addRow(QStringLiteral("出力ファイル"), fileRow);
    cbxFormat_ = new QComboBox(this);
    for (const FormatChoice& c : kChoices) cbxFormat_->addItem(QString::fromUtf8(c.label));
    const QString ext = QFileInfo(suggested).suffix().toLower();
    for (int i = 0; i < cbxFormat_->count(); ++i) {
        if (ext == QLatin1String(kChoices[i].extension)) cbxFormat_->setCurrentIndex(i);
    }
    form->addRow(QStringLiteral("形式"), cbxFormat_);
    auto* kindBox = new QVBoxLayout;
    for (const KindChoice& k : kKinds) {
        auto* box = new QCheckBox(QString::fromUtf8(k.label), this);
        box->setChecked(true);
        kinds_.push_back(box);
        kindBox->addWidget(box);
    }
    form->addRow(QStringLiteral("種類"), kindBox);
    chkWgs84_ = new QCheckBox(QStringLiteral("緯度経度（WGS84）で出力"), this);
    form->addRow(QString(), chkWgs84_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("キャンセル"));
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TExportDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, &TExportDlg::Browse);
    connect(cbxFormat_, &QComboBox::currentIndexChanged, this, &TExportDlg::FormatChanged);
    FormatChanged();
}

// The file name follows the format; KML and GPX are always WGS84, DXF always plane.
void TExportDlg::FormatChanged() {
    const QString ext = QLatin1String(kChoices[cbxFormat_->currentIndex()].extension);
    QString path = edtFile_->text();
    if (!path.isEmpty()) {
        const QFileInfo info(path);
        path = info.dir().filePath(info.completeBaseName() + QLatin1Char('.') + ext);
        edtFile_->setText(path);
    }
    const bool fixedWgs = ext == QLatin1String("kml") || ext == QLatin1String("gpx");
    const bool fixedPlane = ext == QLatin1String("dxf");
    chkWgs84_->setEnabled(!fixedWgs && !fixedPlane);
    if (fixedWgs) chkWgs84_->setChecked(true);
    if (fixedPlane) chkWgs84_->setChecked(false);
}

void TExportDlg::Browse() {
    const FormatChoice& c = kChoices[cbxFormat_->currentIndex()];
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("エクスポート"),
                                                      edtFile_->text(), QString::fromUtf8(c.label));
    if (!path.isEmpty()) {
        edtFile_->setText(path);
        FormatChanged();
    }
}

void TExportDlg::accept() {
    if (Options().kinds == 0) {
        QMessageBox::warning(this, QStringLiteral("エクスポート"),
                             QStringLiteral("出力する種類を選んで下さい"));
        return;
    }
    if (edtFile_->text().trimmed().isEmpty()) {
        QMessageBox::warning(this, QStringLiteral("エクスポート"),
                             QStringLiteral("出力ファイル名を入力して下さい"));
        return;
    }
    QDialog::accept();
}

QString TExportDlg::OutPath() const {
    return edtFile_->text().trimmed();
}

TExportOptions TExportDlg::Options() const {
    TExportOptions o;
    o.kinds = 0;
    for (size_t i = 0; i < kinds_.size(); ++i) {
        if (kinds_[i]->isChecked()) o.kinds |= kKinds[i].kind;
    }
    o.wgs84 = chkWgs84_->isChecked();
    return o;
}

TExportResult RunExportWithProgress(QWidget* parent, const TExportSource& source,
                                    const QString& outPath, TExportOptions options) {
    constexpr int kSteps = 1000;
    QProgressDialog progress(QStringLiteral("エクスポート中..."), QString(), 0, kSteps, parent);
    progress.setWindowTitle(QStringLiteral("エクスポート"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    progress.setValue(0);
    std::atomic<int> done{0};
    std::atomic<bool> finished{false};
    options.progress = [&done](std::int64_t n, std::int64_t total) {
        done = total > 0 ? static_cast<int>(n * kSteps / total) : kSteps;
    };
    TExportResult result;
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(100);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        progress.setValue(std::min(done.load(), kSteps - 1));
        if (finished) loop.quit();
    });
    std::thread worker([&] {
        result = ExportJob(source, outPath, options);
        finished = true;
    });
    poll.start();
    loop.exec();
    worker.join();
    progress.setValue(kSteps);
    return result;
}

void RunJobExportDialog(QWidget* parent, MessageSink& sink, const TJobSettings& settings,
                        const TJobSession& session, const QString& workDir) {
    const QString recording = settings.Resolve(settings.SokusenPath());
    const QFileInfo rec(recording);
    TExportDlg dlg(QDir(workDir).filePath(rec.completeBaseName() + QStringLiteral(".gpkg")),
                   parent);
    if (dlg.exec() != QDialog::Accepted) return;
    TDepthTable depths;
    bool hasDepths = false;
    if (!settings.SokusenPath().isEmpty()) {
        const QString problem = LoadDepthsOf(recording, depths, hasDepths);
        if (!problem.isEmpty()) sink.Error(problem);
    }
    const TExportSource source{settings,
                               session.Kijun(),
                               session.Tansa(),
                               session.Sokusen(),
                               session.Ijo(),
                               session.Misoku(),
                               hasDepths ? &depths : nullptr};
    const TExportResult result =
        RunExportWithProgress(parent, source, dlg.OutPath(), dlg.Options());
    if (!result.ok) {
        sink.Error(result.error);
        return;
    }
    QMessageBox::information(parent, QStringLiteral("エクスポート"),
                             QStringLiteral("%1個のファイルに書き出しました\r\n%2")
                                 .arg(result.files.size())
                                 .arg(result.files.join(QStringLiteral("\r\n"))));
}

}  // namespace tidrun

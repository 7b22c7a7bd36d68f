#include "console/gui/receiverview.h"

#include <QLabel>
#include <QTimer>

#include "console/gui/coordpanel.h"
#include "console/gui/depthpanel.h"
#include "console/gui/gpspanel.h"
#include "console/gui/led.h"
#include "console/jobsession.h"
#include "console/rawlog.h"
#include "console/statustexts.h"
#include "console/transfer.h"
#include "platform/messagesink.h"
#include "platform/portdevices.h"
#include "platform/portmap.h"
#include "platform/seriallink.h"
#include "positioning/gps.h"
#include "positioning/nmea.h"
#include "positioning/sounder.h"
#include "surveydata/config.h"
#include "surveydata/jobsettings.h"

namespace tidrun {

TReceiverView::TReceiverView(TGpsPanel& gps, TCoordPanel& coords, TDepthPanel& depth,
                             const std::function<qint64()>& clock, MessageSink& sink,
                             const QString& iniPath, const QString& programDir, QObject* parent)
    : QObject(parent),
      pnlGPS_(gps),
      pnlBottom_(coords),
      pnlDepth_(depth),
      clock_(clock),
      ageTimer_(new QTimer(this)),
      sink_(sink),
      iniPath_(iniPath),
      programDir_(programDir),
      ports_(std::make_unique<TReceiverPorts>(iniPath, programDir)),
      rawLog_(std::make_unique<TRawLog>(sink)) {
    ageTimer_->setInterval(500);
    connect(ageTimer_, &QTimer::timeout, this, &TReceiverView::CheckAge);
}

TReceiverView::~TReceiverView() {
    delete sounder_;
    delete gps_;
}

bool TReceiverView::Connected() const {
    return gps_ && gps_->IsOpen() && gps_->IsConnected();
}

void TReceiverView::Open(const TJobSettings& settings, TJobSession& session,
                         const QString& logFolder) {
    // The receiver reports while it handles a sentence: the sink shows its boxes from the
    // event loop, after the handler has returned.
    gpsPort_ = settings.Port;
    outPort_ = settings.OutPort;
    gps_ = new TGPS(this);
    const bool depth = settings.DepthSourceIndex() > 0;
    if (depth) {
        sounder_ = new TSounder(this);
        depthPort_ = settings.DepthSourceIndex() == 1 ? settings.OutPort : settings.DepthSource;
        ports_->Configure(*gps_, *sounder_, settings);
        connect(sounder_, &TSounder::DepthReceived, this,
                [this, &session](const TDepthReading& r, QByteArrayView s, qint64 at) {
                    session.OnDepth(r, at);
                    lastDepth_ = r;
                    lastDepthAt_ = clock_();
                    CheckAge();
                    emit DepthReceived(r, s, at);
                });
        connect(sounder_, &TSounder::PortLost, this, &TReceiverView::ShowPortState);
        connect(sounder_, &TSounder::DataFlowing, this, &TReceiverView::ShowPortState);
    } else {
        ports_->Configure(*gps_, settings);
    }
    session.SetTransfer(ports_->TextPort(), ports_->Text());
    session.SetDepthRecording(depth);
    if (settings.RawLog) {
        rawLog_->Start(logFolder);
        connect(gps_, &TGPS::SentenceReceived, this,
                [this](QByteArrayView s, qint64 at) { rawLog_->Write(TRawSource::GPS, s, at); });
        if (sounder_)
            connect(sounder_, &TSounder::SentenceReceived, this,
                    [this](QByteArrayView s, qint64 at) {
                        rawLog_->Write(TRawSource::Sounder, s, at);
                    });
    }
    Reset();
    connect(gps_, &TGPS::PortLost, this, [this] {
        fixWatch_.Disconnected();
        emit TitleChanged(DisconnectedAppTitle());
        ShowPortState();
    });
    connect(gps_, &TGPS::DataFlowing, this, [this] {
        fixWatch_.Connected(clock_());
        emit TitleChanged(gps_->IsOutputConnected() ? QString() : OutputLostAppTitle(outPort_));
        ShowPortState();
    });
    // The transfer port's loss is shown as the GPS port's is, the GPS port's first.
    connect(gps_, &TGPS::OutputPortLost, this, [this] {
        if (gps_->IsConnected()) emit TitleChanged(OutputLostAppTitle(outPort_));
        ShowPortState();
    });
    connect(gps_, &TGPS::OutputPortBack, this, [this] {
        if (gps_->IsConnected()) emit TitleChanged(QString());
        ShowPortState();
    });
    if (gps_->Open()) {
        connect(gps_, &TGPS::SentenceDecoded, this,
                [this](const TNMEA& nmea, qint64) { ShowSentence(nmea); });
        connect(gps_, &TGPS::PositionFixed, this, &TReceiverView::PositionFixed);
        emit TitleChanged(QString());
        fixWatch_.Connected(clock_());
        ageTimer_->start();
    } else {
        // A device that is there but not ours to open: say which and what to do.
        const PortTarget target =
            ResolvePort(gpsPort_, ReadPortMapping(iniPath_, gpsPort_), programDir_);
        const QString why = target.replay ? QString() : PortPermissionProblem(target.path);
        sink_.Error(why.isEmpty() ? QStringLiteral("接続エラー")
                                  : QStringLiteral("接続エラー\r\n\n") + why);
        emit TitleChanged(DisconnectedAppTitle());
    }
    // One cable: the sounder reads the transfer port the receiver opened.
    if (sounder_ && !sounder_->Open())
        sink_.Error(QStringLiteral("測深の接続エラー\r\n\n%1 を開けません").arg(depthPort_));
    ShowPortState();
}

void TReceiverView::Close(TJobSession& session) {
    session.SetTransfer(nullptr, {});
    session.SetDepthRecording(false);
    rawLog_->Stop();
    if (sounder_) {
        disconnect(sounder_, nullptr, this, nullptr);
        sounder_->Close();
        delete sounder_;
        sounder_ = nullptr;
    }
    if (gps_) {
        disconnect(gps_, nullptr, this, nullptr);
        gps_->Close();
        delete gps_;
        gps_ = nullptr;
    }
    ports_->Release();
    ageTimer_->stop();
    Reset();
}

void TReceiverView::Reset() {
    fixWatch_ = TFixWatch{};
    xText_.clear();
    yText_.clear();
    coordColour_ = kDesignColour;
    lastDepth_.reset();
    pnlGPS_.Reset();
    pnlGPS_.LedData->SetOn(false);
    CheckAge();
}

void TReceiverView::ShowSentence(const TNMEA& nmea) {
    MonitorTexts t;
    const QTime local = nmea.LocalTimeOfDay(2);
    if (!MonitorTextsFor(nmea, local, t)) return;
    if (nmea.kind == kKindRMC)
        pnlGPS_.ShowCourse(t);
    else
        pnlGPS_.ShowPosition(t);
}

void TReceiverView::ShowPosition(double x, double y, bool measured) {
    xText_ = FormatX(x);
    yText_ = FormatY(y);
    fixWatch_.Position(clock_());
    coordColour_ =
        PositionColour(gps_ ? gps_->Quality() : 0, gps_ ? gps_->DGPSDataSecs() : 0, measured);
    CheckAge();
}

void TReceiverView::CheckAge() {
    const bool lost = gps_ && gps_->IsOpen() && !gps_->IsConnected();
    const CoordinateView v =
        CoordinateViewFor(fixWatch_, lost, xText_, yText_, coordColour_, clock_());
    pnlBottom_.SetCoordinateLook(v.colour, v.stale);
    pnlBottom_.ShowCoordinates(v.x, v.y);
    const bool depthLost = sounder_ && sounder_->IsOpen() && !sounder_->IsConnected();
    pnlDepth_.Show(DepthViewFor(lastDepth_, clock_() - lastDepthAt_, depthLost, depthPort_));
}

void TReceiverView::ShowPortState() {
    QLabel* label = pnlGPS_.lblPortState;
    QStringList lines, sources;
    auto lost = [&](const QString& text, const SerialLink* port) {
        const QString source = port ? port->Source() : QString();
        lines << text;
        if (!source.isEmpty()) {
            lines << label->fontMetrics().elidedText(source, Qt::ElideMiddle, 220);
            sources << source;
        }
    };
    const bool open = gps_ && gps_->IsOpen();
    if (open && !gps_->IsConnected())
        lost(QStringLiteral("%1 が切断されました（再接続中）").arg(gpsPort_), ports_->GpsPort());
    if (open && !gps_->IsOutputConnected())
        lost(QStringLiteral("転送 %1 が切断されました（再接続中）").arg(outPort_),
             ports_->OutPort());
    if (sounder_ && sounder_->IsOpen() && !sounder_->IsConnected())
        lost(QStringLiteral("測深 %1 が切断されました（再接続中）").arg(depthPort_),
             ports_->DepthPort());
    const QString text = lines.join(QLatin1Char('\n'));
    if (text != label->text()) {
        label->setText(text);
        label->setToolTip(sources.join(QLatin1Char('\n')));
        label->setVisible(!text.isEmpty());
        // The window takes the text's room, or gives it back, once its layout has it.
        emit PortTextChanged();
    }
    CheckAge();
}

}  // namespace tidrun

// One open job without its windows: the five collections, the calibration offsets, the
// recorder with its cut writers and the guidance. Turns each position from the receiver
// into an outcome that the main window shows and sends on to the map windows.
#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "console/cutwriters.h"
#include "console/guidance.h"
#include "console/recorder.h"
#include "surveydata/pointcoll.h"
#include "surveydata/sokusencoll.h"

namespace tidrun {

class MessageSink;
class SerialLink;
class TCutStore;
class TJobSettings;
struct GpsFix;
struct TGpsPosition;

// Calibration offsets 補正X, 補正Y, 補正H, 補正A (metres).
struct TOffsets {
    double X = 0, Y = 0, H = 0, A = 0;
};

struct TPositionOutcome {
    double X = 0, Y = 0, H = 0;  // corrected
    std::int32_t xMm = 0, yMm = 0;
    int cutIndex = -1;  // record index of a cut taken here, -1 for none
    // The cut due here could not be stored: the line has ended (with the writer's one
    // message); lineHadCut: it got a cut before, which the maps finish.
    bool lineEnded = false;
    bool lineHadCut = false;
    bool recording = false;
    double distance = 0;  // from the previous cut (shown while recording)
    TGuideView guide;
};

class TJobSession {
  public:
    // Errors of the collections go to sink, which must outlive the session; clock is the
    // 32-bit millisecond tick counter of the recorder.
    TJobSession(MessageSink& sink, TRecorder::Clock clock);
    ~TJobSession();

    TKijunColl& Kijun() { return *kijun_; }
    TTansaColl& Tansa() { return *tansa_; }
    TIjoColl& Ijo() { return *ijo_; }
    TSokusenColl& Sokusen() { return *sokusen_; }
    TMisokuColl& Misoku() { return *misoku_; }
    const TKijunColl& Kijun() const { return *kijun_; }
    const TTansaColl& Tansa() const { return *tansa_; }
    const TIjoColl& Ijo() const { return *ijo_; }
    const TSokusenColl& Sokusen() const { return *sokusen_; }
    const TMisokuColl& Misoku() const { return *misoku_; }

    const TOffsets& Offsets() const { return offsets_; }
    void SetOffsets(const TOffsets& o) { offsets_ = o; }

    TRecorder& Recorder() { return recorder_; }
    const TRecorder& Recorder() const { return recorder_; }
    TGuidance& Guidance() { return guidance_; }
    const TGuidance& Guidance() const { return guidance_; }

    // Latitude, longitude and height of the sentence of the next position (kept in its cut),
    // and whether it was a measured fix (only such a position is recorded).
    void SetLastSentence(double lat, double lon, double alt, bool measured = true);
    // The same from the decoded sentence, GGA or GGK.
    void SetPositionSentence(const GpsFix& fix);
    // The buoy point to guide to by its index in the buoy-point collection; -1 for none.
    void SetBuoyIndex(int index);
    // The survey area decides the planned line's extent at open.
    void InitRulerExtent();

    // One position (metres, before the offsets), its fix time and the sentence that made it
    // (kept in the line log of a cut taken there).
    // receivedUtcMs: when the sentence arrived (ms since the epoch, UTC); 0: now.
    TPositionOutcome Position(double x, double y, double h, const QDateTime& time,
                              std::string_view sentence = {}, qint64 receivedUtcMs = 0);
    // The same from the receiver, with the latitude, longitude and height of its sentence.
    TPositionOutcome Position(const TGpsPosition& p);
    TPoint2 LastBoat() const { return lastBoat_; }

    // The recording method of the settings (距離 when 距離間隔 is set) becomes the
    // recorder's rule; returns the mode text the cut panel shows.
    QString UseCutMethodOf(const TJobSettings& settings);
    // Recording. StartProblem: the warning shown instead of starting, empty when none.
    static QString StartProblem(const TJobSettings& settings);
    // The new line's number, or nothing when it cannot be stored (reported).
    std::optional<int> StartLine(const QString& lineName);
    // Where the line logs go; empty (the default): no line log is written.
    void SetLineLogFolder(const QString& folder) { lineLog_.SetFolder(folder); }
    // The line log of the running line.
    QString LineLogPath() const { return lineLog_.PathOf(recorder_.LineNo()); }
    // Where the transfer text of each cut goes; nullptr or empty text: nowhere.
    void SetTransfer(SerialLink* port, const QByteArray& text) { transfer_.SetTarget(port, text); }
    bool StopLine() { return recorder_.Stop(); }

    // Depth with every cut: on when the job reads a sounder (not while recording).
    void SetDepthRecording(bool on) {
        if (!recorder_.Recording()) depth_.SetOn(on);
    }
    bool DepthRecording() const { return depth_.On(); }
    // A reading of the sounder (TSounder::DepthReceived); the last one goes with the next cut.
    void OnDepth(const TDepthReading& reading, qint64 receivedUtcMs) {
        depth_.Depth(reading, receivedUtcMs);
    }
    // At open, after the recording file was read: the one message for cuts without a
    // depth row (empty when none), a torn last row repaired.
    // read: the companion as the open read it (LoadCutStore), else it is read here.
    QString CheckDepthFile(const TDepthCompanion* read = nullptr) const {
        return CheckDepthCompanion(*sokusen_, depth_.On(), read);
    }
    // The store of recorded cuts the map windows share: each cut reaches it, with its depth,
    // before the outcome tells of it.
    void SetCutStore(std::shared_ptr<TCutStore> cuts) { cuts_ = std::move(cuts); }

  private:
    std::unique_ptr<TKijunColl> kijun_;
    std::unique_ptr<TTansaColl> tansa_;
    std::unique_ptr<TIjoColl> ijo_;
    std::unique_ptr<TSokusenColl> sokusen_;
    std::unique_ptr<TMisokuColl> misoku_;
    TRecordingFileWriter recordingFile_;
    TLineLogWriter lineLog_;
    TDepthCutWriter depth_;
    TTransferWriter transfer_;
    TRecorder recorder_;
    TGuidance guidance_;
    TOffsets offsets_;
    double lastLat_ = 0, lastLon_ = 0, lastAlt_ = 0;
    bool lastMeasured_ = true;
    TPoint2 lastBoat_;
    std::shared_ptr<TCutStore> cuts_;
};

}  // namespace tidrun

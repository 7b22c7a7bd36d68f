// The job settings edited by the settings dialog, as a plain object: the values as the
// dialog's controls hold them (texts of the choices), their loading from and storing to
// Tidrun.CFG, the choice lists, the validation on OK, and the values the main window
// derives from them.
#pragma once

#include <QString>
#include <QStringList>

#include "platform/messagesink.h"
#include "surveydata/codec.h"

namespace tidrun {

class TJobSettings {
  public:
    // [設定]
    QString Port = QStringLiteral("COM1");            // 通信
    QString Speed = QStringLiteral("4800");           // 速度
    QString GpsDatum = QStringLiteral("WGS84");       // 座標系
    QString CutMethod = QStringLiteral("自動");       // 収録方法
    QString MapDatum = QStringLiteral("世界測地系");  // 地図座標系
    QString Zone = QStringLiteral("5系");             // 平面座標
    QString OutPort = QStringLiteral("COM2");         // 転送通信
    QString OutSpeed = QStringLiteral("4800");        // 転送速度
    QString OutMethod = QStringLiteral("しない");     // 転送方法
    QString Interval = QStringLiteral("30");          // 間隔
    QString JobName;                                  // 工事名 (at most 34 characters)
    QString KijunFile;                                // 基準
    QString TansaFile;                                // 調査
    QString IjoFile;                                  // 設標
    QString SokusenFile;                              // 収録
    QString MisokuFile;                               // マーク
    QString OutText;                                  // 転送文字
    bool ShiftNew = true;                             // 変換新
    // [Color]
    QString MapColor = QStringLiteral("Teal");  // 平面図
    // [拡張]: the program's own section, which a job's other readers pass over. Written only
    // when it is there already or a value differs from its default, so that a job that
    // never used these keeps its file as it was.
    QString DepthSource = QStringLiteral("しない");  // 測深入力: しない, 転送通信, COM1..COM8
    QString DepthSpeed = QStringLiteral("4800");  // 測深速度
    QString Draft = QStringLiteral("0.00");       // 喫水, metres
    QString CutDistance = QStringLiteral("0");    // 距離間隔, metres; above 0 cuts by distance
    bool RawLog = false;                          // 時刻付きログ

    static const QStringList& PortChoices();         // "COM1".."COM8"
    static const QStringList& SpeedChoices();        // "4800", "9600"
    static const QStringList& GpsDatumChoices();     // "WGS84", "旧日本(ﾍﾞｯｾﾙ)"
    static const QStringList& CutMethodChoices();    // "自動", "手動", "全データ"
    static const QStringList& MapDatumChoices();     // "世界測地系", "旧日本測地系"
    static const QStringList& ZoneChoices();         // "1系".."19系"
    static const QStringList& OutMethodChoices();    // "しない", "受信データ", "文字"
    static const QStringList& IntervalChoices();     // "10", "15", "30", "60"
    static const QStringList& ColorChoices();        // the 16 colour names, "Black".."White"
    static const QStringList& DepthSourceChoices();  // "しない", "転送通信", "COM1".."COM8"
    static constexpr int kJobNameMax = 34;
    static constexpr int kIntervalMaxChars = 4;

    // Reads every key (defaults for absent ones) and remembers the survey-area path, so
    // that SurveyAreaChanged can tell after Accept.
    // False when the file exists but could not be read completely (a folder, no
    // permission): the settings are then the defaults and Store will refuse to write.
    bool Load(const QString& cfgPath);
    // Writes 通信, 速度, 転送通信, 転送速度, 転送方法, 座標系, 収録方法, 間隔, 地図座標系,
    // 平面座標, 工事名, 基準, 調査, 設標, 収録, マーク, 転送文字, 変換新, then [Color] 平面図.
    bool Store(const QString& cfgPath) const;

    // The checks on OK, in order (first: no field that goes into Tidrun.CFG holds a
    // character code page 932 cannot store); the first failure is shown as an error and
    // false is returned. A missing recording or mark file is offered for creation through
    // sink.Confirm (path + "\r\n\n新規で作成しますか"); Yes creates it empty.
    bool Validate(MessageSink& sink) const;
    // OK of the dialog: Validate, then Store (a store failure is reported as
    // "設定ファイルに書込できません\r\nﾌｧｲﾙ名：%s" and keeps the dialog open), then note
    // whether the survey-area path differs from the one loaded.
    bool Accept(const QString& cfgPath, MessageSink& sink);
    bool SurveyAreaChanged() const { return surveyAreaChanged_; }

    // A relative file path is taken from the work folder (the folder of the Tidrun.CFG last
    // loaded); Validate checks and creates the files there. Where the path as written does
    // not exist, it is taken as Windows would: backslashes separate folders and names match
    // without regard to ASCII letter case. The path is not cleaned of "..": the file system
    // resolves it, through symbolic links, as it does for any program.
    QString Resolve(const QString& path) const;

    // Paths trimmed of surrounding blanks and tabs.
    QString KijunPath() const { return TrimBlanks(KijunFile); }
    QString TansaPath() const { return TrimBlanks(TansaFile); }
    QString IjoPath() const { return TrimBlanks(IjoFile); }
    QString SokusenPath() const { return TrimBlanks(SokusenFile); }
    QString MisokuPath() const { return TrimBlanks(MisokuFile); }

    // Item indexes of the choices (-1 when the text is not one of them).
    int PortIndex() const;
    int SpeedIndex() const;
    int GpsDatumIndex() const;
    int MapDatumIndex() const;
    int CutMethodIndex() const;  // 0 自動, 1 手動, 2 全データ
    int OutPortIndex() const;
    int OutSpeedIndex() const;
    int OutMethodIndex() const;  // 0 しない, 1 受信データ, 2 文字
    int ColorIndex() const;
    // Zone index for the conversion: the chooser's index when 0..17, 18 otherwise.
    int ZoneIndex() const;
    // Serial port number: chooser index + 1. Baud: index 0 -> 4800, 1 -> 9600, else 0
    // (the port keeps its own default).
    int PortNumber() const { return PortIndex() + 1; }
    int OutPortNumber() const { return OutPortIndex() + 1; }
    int Baud() const;
    int OutBaud() const;
    // Datum indexes of the conversion (datum table 0..2): the target ("shift mode") is 0
    // unless the map datum is the old Japanese one, then 1 for the new parameters, else 2;
    // the source ("GPS datum mode") is 0 for WGS84 and, for the Bessel datum, the target
    // when the map datum is not the world one, else 1.
    int TargetDatum() const;
    int SourceDatum() const;
    // Interval in seconds; an unreadable interval counts as 0.
    int IntervalSeconds() const;
    // Where depth comes from: 0 nowhere, 1 the transfer port, 2.. a port of its own
    // (DepthPortNumber, DepthBaud); -1 when the text is not a choice.
    int DepthSourceIndex() const;
    int DepthPortNumber() const { return DepthSourceIndex() >= 2 ? DepthSourceIndex() - 1 : 0; }
    int DepthBaud() const;
    // Draft and distance interval in metres; an unreadable value counts as 0.
    double DraftMetres() const;
    double CutDistanceMetres() const;
    // The recording method in effect: 0 自動, 1 手動, 2 全データ as 収録方法 says, or 3 距離
    // whenever the distance interval is above 0.
    int EffectiveCutMethod() const;
    // The transfer text trimmed, with "\r" appended.
    QString TransferText() const;

  private:
    void LoadExtension(const class TIniDocument& doc);
    void StoreExtension(class TIniDocument& doc) const;
    // The checks of the [拡張] values; false after one error shown.
    bool ValidateExtension(MessageSink& sink) const;

    QString baseDir_;
    QString loadedTansa_;
    bool surveyAreaChanged_ = false;
};

// Text typed by the user that goes into a file must survive code page 932: the error text
// "<what>に保存できない文字「c」(U+XXXX)があります" naming the first character that cannot
// be stored, or the empty string when every character can.
QString UnstorableText(const QString& what, const QString& text);

// The line-name dialog's check on OK: the empty string when the name is acceptable, else
// the error text ("測線名を入力して下さい" for a blank name, "測線名に引用符(")は使えません"
// for a name with a double quote, or the UnstorableText of "測線名"). The name itself is
// used untrimmed.
QString ValidateLineName(const QString& name);
inline constexpr int kLineNameMax = 50;

}  // namespace tidrun

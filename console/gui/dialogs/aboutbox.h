// The about box ("ﾊﾞｰｼﾞｮﾝ情報"): program version, library versions and the maker lines.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;

namespace tidrun {

class TAboutBox : public QDialog {
    Q_OBJECT
  public:
    // Version taken from the application object (its version, e.g. "1.0.0").
    explicit TAboutBox(QWidget* parent = nullptr);
    TAboutBox(double versionNumber, const QString& versionText, QWidget* parent = nullptr);

    // "Version " + "%f ( %s )" of the version number and text.
    static QString VersionLine(double versionNumber, const QString& versionText);
    // "( " + serial + "-" + entry + "-" + container + " )", the first two cut to their
    // characters 2 to 11 (their version strings carry a leading letter).
    static QString LibraryLine(const QString& serialVersion, const QString& entryVersion,
                               const QString& containerVersion);
    // The line for the Qt modules the program is built on: serial port, widgets, core.
    static QString LibraryLine();
    // Major.minor of a dotted version text as a number ("1.2.3" gives 1.2).
    static double VersionNumber(const QString& versionText);

    void Execute() { exec(); }

    QLabel* lblVersion = nullptr;
    QLabel* lblLibraries = nullptr;
    QLabel* lblText = nullptr;
};

}  // namespace tidrun

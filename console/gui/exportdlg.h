// The export dialog (ファイル → エクスポート...): output file and format, the kinds, WGS84;
// and the export run on a worker thread behind a progress dialog.
#pragma once

#include <QDialog>
#include <QString>

#include "export/jobexport.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace tidrun {

class TExportDlg : public QDialog {
    Q_OBJECT
  public:
    // `suggested`: the output path first shown (its extension chooses the format).
    explicit TExportDlg(const QString& suggested, QWidget* parent = nullptr);

    QString OutPath() const;
    TExportOptions Options() const;  // without a progress callback

  private:
    void FormatChanged();
    void Browse();
    void accept() override;

    QLineEdit* edtFile_ = nullptr;
    QComboBox* cbxFormat_ = nullptr;
    std::vector<QCheckBox*> kinds_;
    QCheckBox* chkWgs84_ = nullptr;
};

// Runs ExportJob on a worker thread that reads the collections and touches no widget, while
// a modal progress dialog on `parent` shows how far it is. The collections must not change
// meanwhile (no recording). Returns the export's result.
TExportResult RunExportWithProgress(QWidget* parent, const TExportSource& source,
                                    const QString& outPath, TExportOptions options);

class MessageSink;
class TJobSession;
class TJobSettings;

// ファイル → エクスポート...: the dialog for the open job of workDir, the export with its
// progress, then what was written (or the fault, to sink).
void RunJobExportDialog(QWidget* parent, MessageSink& sink, const TJobSettings& settings,
                        const TJobSession& session, const QString& workDir);

}  // namespace tidrun

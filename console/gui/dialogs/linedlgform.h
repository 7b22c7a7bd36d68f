// The line-name dialog ("収録開始") asked when recording starts.
#pragma once

#include <QDialog>
#include <QString>

class QLineEdit;

namespace tidrun {

class MessageSink;

class TLineDlgForm : public QDialog {
    Q_OBJECT
  public:
    // Errors go to `sink` (not owned; it must outlive the dialog).
    explicit TLineDlgForm(MessageSink& sink, QWidget* parent = nullptr);

    // Shows the dialog modally with the focus in the name edit; true for OK. OK with a
    // blank name or one holding a double quote shows the error and keeps the dialog open.
    bool Execute();
    // The name as typed, blanks kept.
    QString LineName() const;
    void SetLineName(const QString& name);

    QLineEdit* edtLineName = nullptr;

  public slots:
    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    MessageSink& sink_;
};

}  // namespace tidrun

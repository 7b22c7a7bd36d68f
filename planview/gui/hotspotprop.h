// The mark property dialog: a name and a colour from the 16 basic colours. The caller sets
// the caption, name and colour, shows it modally and reads name and colour after OK.
#pragma once

#include <QColor>
#include <QDialog>
#include <QString>

class QComboBox;
class QLineEdit;

namespace tidrun {

class MessageSink;

class TfrmHotSpotProp : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmHotSpotProp(MessageSink& sink, QWidget* parent = nullptr);

    QString Name() const;
    void SetName(const QString& name);
    QColor Colour() const;
    // A colour outside the basic ones is kept as an extra last entry.
    void SetColour(const QColor& colour);

    QLineEdit* edtName = nullptr;
    QComboBox* cbxColour = nullptr;

  public slots:
    // A name with a double quote is refused; the dialog stays open.
    void accept() override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    MessageSink& sink_;
};

}  // namespace tidrun

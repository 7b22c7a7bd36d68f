// Numeric entry field with a picture mask and a range check. The picture uses '#' (or '9'
// or '0') for a digit and '.' for the decimal point ("#######.###": seven integer digits
// and three decimals; "999": an integer of up to three digits); keys the picture cannot hold are
// dropped, and a minus sign is accepted only when the range allows negative values.
// When an entry is finished (Return or leaving the field) the value is checked: out of
// range, or unreadable, the field turns fuchsia, "値が正しくありません" is reported (through
// the message sink when one is set, and always through rangeError) and the focus goes back
// into the field; a good value restores the normal colour and emits valueCommitted.
#pragma once

#include <QColor>
#include <QLineEdit>
#include <QString>

namespace tidrun {

class MessageSink;

class NumericEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit NumericEdit(QWidget* parent = nullptr);
    NumericEdit(const QString& picture, double minimum, double maximum, QWidget* parent = nullptr);

    static QString RangeErrorText() { return QStringLiteral("値が正しくありません"); }
    static QColor ErrorColor() { return QColor(0xFF, 0x00, 0xFF); }  // fuchsia

    void SetPicture(const QString& picture);
    QString Picture() const { return picture_; }
    int Decimals() const { return decimals_; }
    void SetRange(double minimum, double maximum);
    double Minimum() const { return minimum_; }
    double Maximum() const { return maximum_; }
    // Where the range error is reported; not owned, may be null.
    void SetMessageSink(MessageSink* sink) { sink_ = sink; }

    // The value shown; 0 when the text is not a number.
    double value() const;
    // Shows the value with the picture's number of decimals and restores the normal colour.
    void setValue(double v);
    // The text reads as a number within the range (no report, no colour change).
    bool IsInRange() const;
    // Checks the entry as when it is finished: colours, reports and refocuses on failure.
    bool Validate();
    bool HasRangeError() const { return error_; }
    // The last text that was within the range (the range's value nearest 0 before any).
    QString CommittedText() const { return committed_; }

  signals:
    void valueCommitted(double value);
    void rangeError(const QString& text);

  private:
    void SetErrorLook(bool error);

    QString picture_;
    int decimals_ = 0;
    double minimum_ = 0;
    double maximum_ = 0;
    MessageSink* sink_ = nullptr;
    bool error_ = false;
    bool reporting_ = false;
    QString committed_;
};

}  // namespace tidrun

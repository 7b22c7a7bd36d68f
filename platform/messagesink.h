// Where user-visible messages go: message boxes in the program, a recorder in tests,
// standard error in the command-line tool.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace tidrun {

class MessageSink {
  public:
    enum class Kind { Error, Warning, Information, Plain };
    virtual ~MessageSink() = default;

    // Shows a message with one OK button. May return before the user has seen it
    // (the GUI defers boxes raised inside a data handler).
    virtual void Show(Kind kind, const QString& text) = 0;
    // A Yes/No question; true for Yes. Never called from a data handler.
    virtual bool Confirm(const QString& text) = 0;
    // Shows every message still waiting now, before returning (a sink that shows each
    // message at once has none). Never called from a data handler.
    virtual void ShowWaiting() {}

    void Error(const QString& text) { Show(Kind::Error, text); }
    void Warning(const QString& text) { Show(Kind::Warning, text); }
    void Information(const QString& text) { Show(Kind::Information, text); }
};

// Keeps every message; answers questions with a preset answer. For tests.
class RecordingSink : public MessageSink {
  public:
    struct Entry {
        Kind kind;
        QString text;
    };
    void Show(Kind kind, const QString& text) override { entries.push_back({kind, text}); }
    bool Confirm(const QString& text) override {
        questions.push_back(text);
        return answer;
    }
    QStringList Texts() const {
        QStringList out;
        for (const auto& e : entries) out << e.text;
        return out;
    }
    std::vector<Entry> entries;
    QStringList questions;
    bool answer = true;
};

// Drops every message and answers No. For fuzz targets and batch checks.
class NullSink : public MessageSink {
  public:
    void Show(Kind, const QString&) override {}
    bool Confirm(const QString&) override { return false; }
};

// Writes each message as one line on standard error, CR LF inside written as " / ".
class StderrSink : public MessageSink {
  public:
    void Show(Kind kind, const QString& text) override;
    bool Confirm(const QString& text) override;  // answers No
};

}  // namespace tidrun

#include "console/gui/formhelp.h"

#include <QKeyEvent>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace tidrun {

namespace {

// A list line as rich text: link words underlined in the link colour, the rest as text.
QString LineHtml(const QString& line) {
    QString html;
    for (const THelpSegment& s : SplitHelpLine(line)) {
        const QString text =
            s.text.toHtmlEscaped().replace(QLatin1Char(' '), QStringLiteral("&nbsp;"));
        html += s.link ? QStringLiteral("<a href=\"step:%1\">%2</a>").arg(s.link).arg(text) : text;
    }
    return html.isEmpty() ? QStringLiteral("&nbsp;") : html;
}

}  // namespace

TFormHelp::TFormHelp(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName(QStringLiteral("FormHelp"));
    setWindowTitle(QStringLiteral("作業手順"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setBackgroundRole(QPalette::Base);
    list_ = new QWidget(scroll);
    list_->setBackgroundRole(QPalette::Base);
    list_->setAutoFillBackground(true);
    listLayout_ = new QVBoxLayout(list_);
    listLayout_->setContentsMargins(4, 2, 4, 2);
    listLayout_->setSpacing(2);
    listLayout_->addStretch(1);
    scroll->setWidget(list_);
    layout->addWidget(scroll);
    resize(300, 200);
    move(0, 0);
}

void TFormHelp::Fill(THelpKind kind, const QString& actionCaption) {
    kind_ = kind;
    setWindowTitle(HelpCaption(actionCaption));
    for (QLabel* l : lines_) delete l;
    lines_.clear();
    int row = 0;
    for (const QString& line : HelpLines(kind)) {
        auto* label = new QLabel(LineHtml(line), list_);
        label->setTextFormat(Qt::RichText);
        label->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
        const auto segments = SplitHelpLine(line);
        const bool hasLink = std::any_of(segments.begin(), segments.end(),
                                         [](const THelpSegment& s) { return s.link > 0; });
        label->setFocusPolicy(hasLink ? Qt::StrongFocus : Qt::NoFocus);
        if (hasLink) label->installEventFilter(this);
        connect(label, &QLabel::linkActivated, this, [this](const QString& link) {
            const int n = link.section(QLatin1Char(':'), 1).toInt();
            if (n > 0) emit LinkActivated(kind_, n);
        });
        listLayout_->insertWidget(row++, label);
        lines_.push_back(label);
    }
}

// A line reached from the keyboard shows its link word selected; Return or Space carries
// out that link. The label runs a link clicked with the mouse only where no text is
// selected, so a press first clears that mark.
bool TFormHelp::eventFilter(QObject* watched, QEvent* event) {
    auto* label = qobject_cast<QLabel*>(watched);
    const auto it = std::find(lines_.begin(), lines_.end(), label);
    if (!label || it == lines_.end()) return QWidget::eventFilter(watched, event);
    const auto segments = SplitHelpLine(HelpLines(kind_).value(int(it - lines_.begin())));
    const auto link = std::find_if(segments.begin(), segments.end(),
                                   [](const THelpSegment& s) { return s.link > 0; });
    if (link == segments.end()) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress) {
        label->setSelection(0, 0);
    } else if (event->type() == QEvent::FocusIn) {
        int start = 0;
        for (auto s = segments.begin(); s != link; ++s) start += int(s->text.size());
        label->setSelection(start, int(link->text.size()));
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            emit LinkActivated(kind_, link->link);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TFormHelp::ShowBeside(const QRect& mainFrame) {
    move(HelpPlacement(pos(), mainFrame));
    show();
    raise();
    activateWindow();
}

}  // namespace tidrun

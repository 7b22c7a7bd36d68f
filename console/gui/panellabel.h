// A named label for the tool-window panels (tests and the main window find controls by name).
#pragma once

#include <QLabel>
#include <QString>

namespace tidrun {

inline QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text = {}) {
    auto* l = new QLabel(text, parent);  // owned by parent
    l->setObjectName(QLatin1String(name));
    return l;
}

}  // namespace tidrun

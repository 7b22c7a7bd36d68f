// The main window's parts reached as a user finds them: by what they are, their object names.
#pragma once

#include <QAction>
#include <QObject>

#include <gtest/gtest.h>

namespace tidrun {

// A child of the main window by its object name (actions, menus, toolbars, tool windows,
// panels), as a user finds it by what it is; a missing one fails the test.
template <class T>
T* Named(const QObject& window, const char* name) {
    T* child = window.findChild<T*>(QLatin1String(name));
    if (!child) ADD_FAILURE() << "no child " << name;
    return child;
}
inline QAction* Act(const QObject& window, const char* name) {
    return Named<QAction>(window, name);
}

}  // namespace tidrun

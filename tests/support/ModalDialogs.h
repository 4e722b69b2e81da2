#pragma once

#include <QWidget>

#include <functional>

// Runs action on the next modal dialog once it is shown. A dialog still open afterwards is
// rejected, so that a test whose dialog refuses to close fails instead of hanging.
void onNextModal(const std::function<void(QWidget *)> &action);

// The named child widget; a missing one ends the test at once with its name.
template<typename T>
T *childOf(QWidget &parent, const char *name)
{
    T *child = parent.findChild<T *>(QLatin1String(name));
    if (!child)
        qFatal("no child %s", name);
    return child;
}

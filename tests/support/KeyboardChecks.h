#pragma once

#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>
#include <Qt>

#include <functional>

class QMenu;
class QWidget;

// The access key of a caption ("&Neu" gives N), upper case; a null QChar when it has none.
QChar accessKey(const QString &caption);

// What is wrong with the access keys of a window as it is shown now: a button, check box or
// radio button without one (buttons of symbols only, and radio buttons of a group box that
// has a key, excepted), a label that shows "&" without a buddy, and every key given twice
// among buttons, labels, group boxes and the titles of the window's menu bar.
QStringList accessKeyProblems(QWidget *window);

// The same for the items of a menu, and separately for each of its submenus.
QStringList menuAccessKeyProblems(QMenu *menu);

// The name of a control: its object name, or that of the box or grid it is part of (the
// editor of a combo box or of a grid cell).
QString controlName(QWidget *widget);

// Presses Tab, as key events, until the focus is back where it started, and returns the
// controls it visited in order, starting with the one that had the focus. A control that
// keeps the focus against Tab ends the walk with "TRAP", a walk longer than limit with
// "ENDLESS".
QStringList tabPath(int limit = 60);

// Makes a shown window the active one, as the operator's click or the window manager
// would, so that key events reach its focus widget; false when it does not become active.
bool activate(QWidget *window);

// A key on the focus widget of the active window, as the keyboard sends it.
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {});
void type(const QString &text);

// Runs action on the next modal dialog once it is shown and active; a dialog still open
// afterwards is cancelled.
void whenOpen(const std::function<void(QWidget *)> &action);

// Chooses a menu item by keys, as the operator does: Alt and the menu's access key, then
// the access keys of the items (of a submenu, in turn); the dialog it opens goes to action.
void viaMenu(QWidget *window, Qt::Key menu, const QList<Qt::Key> &items,
             const std::function<void(QWidget *)> &action);

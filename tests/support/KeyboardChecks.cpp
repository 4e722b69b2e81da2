#include "support/KeyboardChecks.h"

#include "support/ModalDialogs.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTest>

QChar accessKey(const QString &caption)
{
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != u'&')
            continue;
        if (caption.at(i + 1) == u'&') {
            ++i;
            continue;
        }
        return caption.at(i + 1).toUpper();
    }
    return {};
}

namespace {

bool hasLetter(const QString &text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetter(); });
}

QString plain(const QString &caption)
{
    return QString(caption).remove(u'&');
}

void reportDuplicates(const QMap<QChar, QStringList> &keys, const QString &where,
                      QStringList &problems)
{
    for (auto it = keys.begin(); it != keys.end(); ++it) {
        if (it.value().size() > 1)
            problems << QStringLiteral("%1: key %2 for %3")
                            .arg(where, QString(it.key()), it.value().join(QStringLiteral(", ")));
    }
}

} // namespace

QStringList accessKeyProblems(QWidget *window)
{
    QStringList problems;
    QMap<QChar, QStringList> keys;
    const QString where = window->objectName();
    const auto add = [&](const QString &caption) {
        const QChar key = accessKey(caption);
        if (!key.isNull())
            keys[key] << plain(caption);
        return !key.isNull();
    };
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->window() != window || !w->isVisibleTo(window))
            continue;
        if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            const QString text = button->text();
            // A shortcut set on the button replaces the key its caption shows.
            if (!accessKey(text).isNull() && button->shortcut() != QKeySequence::mnemonic(text))
                problems
                    << QStringLiteral("%1: \"%2\" shows a key it does not answer").arg(where, text);
            if (add(text) || !hasLetter(text))
                continue;
            const auto *box = qobject_cast<QGroupBox *>(button->parentWidget());
            if (qobject_cast<QRadioButton *>(button) && box && !accessKey(box->title()).isNull())
                continue;
            problems << QStringLiteral("%1: no key for \"%2\"").arg(where, text);
        } else if (auto *label = qobject_cast<QLabel *>(w)) {
            if (accessKey(label->text()).isNull())
                continue;
            if (label->buddy())
                add(label->text());
            else
                problems
                    << QStringLiteral("%1: label \"%2\" without buddy").arg(where, label->text());
        } else if (auto *box = qobject_cast<QGroupBox *>(w)) {
            add(box->title());
        } else if (auto *bar = qobject_cast<QMenuBar *>(w)) {
            for (QAction *a : bar->actions()) {
                if (!add(a->text()))
                    problems << QStringLiteral("%1: no key for menu \"%2\"").arg(where, a->text());
            }
        }
    }
    reportDuplicates(keys, where, problems);
    return problems;
}

QStringList menuAccessKeyProblems(QMenu *menu)
{
    QStringList problems;
    QMap<QChar, QStringList> keys;
    const QString where = plain(menu->title().isEmpty() ? menu->objectName() : menu->title());
    for (QAction *a : menu->actions()) {
        if (a->isSeparator())
            continue;
        const QChar key = accessKey(a->text());
        if (key.isNull())
            problems << QStringLiteral("%1: no key for \"%2\"").arg(where, a->text());
        else
            keys[key] << plain(a->text());
        if (a->menu())
            problems << menuAccessKeyProblems(a->menu());
    }
    reportDuplicates(keys, where, problems);
    return problems;
}

QString controlName(QWidget *widget)
{
    for (QWidget *w = widget; w; w = w->parentWidget()) {
        const QString name = w->objectName();
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")) && name != u"CellEditor")
            return name;
        if (w->isWindow())
            break;
    }
    return widget ? QString::fromLatin1(widget->metaObject()->className()) : QStringLiteral("none");
}

QStringList tabPath(int limit)
{
    QWidget *start = QApplication::focusWidget();
    QStringList path{controlName(start)};
    QWidget *current = start;
    for (int i = 0; i < limit; ++i) {
        QTest::keyClick(current, Qt::Key_Tab);
        QWidget *next = QApplication::focusWidget();
        // A grid's cell editor is a new widget for every cell: back at the grid after other
        // controls counts as round.
        const bool elsewhere = path.count(path.first()) < path.size();
        if (next == start || (elsewhere && controlName(next) == path.first()))
            return path;
        if (!next || next == current) {
            path << QStringLiteral("TRAP");
            return path;
        }
        path << controlName(next);
        current = next;
    }
    path << QStringLiteral("ENDLESS");
    return path;
}

bool activate(QWidget *window)
{
    window->activateWindow();
    if (!QTest::qWaitForWindowActive(window))
        return false;
    // The platform may report the window active before the application has moved its focus.
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}

void type(const QString &text)
{
    QTest::keyClicks(QApplication::focusWidget(), text);
}

void whenOpen(const std::function<void(QWidget *)> &action)
{
    onNextModal([action](QWidget *dialog) {
        if (!activate(dialog))
            qWarning("%s did not become active", qPrintable(dialog->objectName()));
        action(dialog);
    });
}

void viaMenu(QWidget *window, Qt::Key menu, const QList<Qt::Key> &items,
             const std::function<void(QWidget *)> &action)
{
    whenOpen(action);
    QTest::keyClick(window, menu, Qt::AltModifier);
    for (Qt::Key key : items) {
        QWidget *popup = QApplication::activePopupWidget();
        if (!popup) {
            QTest::qFail("no menu open", __FILE__, __LINE__);
            return;
        }
        QTest::keyClick(popup, key);
    }
}

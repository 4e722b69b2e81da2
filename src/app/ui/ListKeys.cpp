#include "app/ui/ListKeys.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QKeyEvent>

namespace {

class ListKeyFilter : public QObject
{
public:
    ListKeyFilter(QAbstractItemView *view, ListKeyActions actions)
        : QObject(view), m_actions(std::move(actions))
    { }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->modifiers() & ~Qt::KeypadModifier)
            return false;
        const std::function<void()> *action = nullptr;
        switch (key->key()) {
        case Qt::Key_Insert:
            action = &m_actions.insert;
            break;
        case Qt::Key_Delete:
            action = &m_actions.remove;
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            action = &m_actions.enter;
            break;
        default:
            return false;
        }
        if (!*action)
            return false;
        (*action)();
        return true;
    }

private:
    ListKeyActions m_actions;
};

} // namespace

void bindListKeys(QAbstractItemView *view, ListKeyActions actions)
{
    view->setTabKeyNavigation(false);
    view->installEventFilter(new ListKeyFilter(view, std::move(actions)));
}

std::function<void()> clickOf(QAbstractButton *button)
{
    return [button] {
        if (button->isEnabled() && button->isVisibleTo(button->window()))
            button->click();
    };
}

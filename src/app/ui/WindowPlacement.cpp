#include "app/ui/WindowPlacement.h"

QRect placeWindow(const QSize &wanted, const QRect &available, const QMargins &frame)
{
    const QSize room = available.marginsRemoved(frame).size();
    const QSize size = wanted.boundedTo(room).expandedTo(QSize(1, 1));
    QRect outer(QPoint(), size.grownBy(frame));
    outer.moveCenter(available.center());
    return outer.marginsRemoved(frame);
}

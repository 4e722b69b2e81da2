#include "app/ui/ElidedLabel.h"

#include <QResizeEvent>

ElidedLabel::ElidedLabel(QWidget *parent) : QLabel(parent)
{
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void ElidedLabel::setFullText(const QString &text)
{
    m_fullText = text;
    updateGeometry();
    elide();
}

QSize ElidedLabel::minimumSizeHint() const
{
    return {fontMetrics().horizontalAdvance(QStringLiteral("…")) * 3,
            QLabel::minimumSizeHint().height()};
}

QSize ElidedLabel::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(m_fullText) + 2, QLabel::sizeHint().height()};
}

void ElidedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    elide();
}

void ElidedLabel::showEvent(QShowEvent *event)
{
    QLabel::showEvent(event);
    elide();
}

void ElidedLabel::elide()
{
    // Until its layout has given it a width, the label has no room to measure.
    const QString shown = isVisible()
        ? fontMetrics().elidedText(m_fullText, Qt::ElideRight, contentsRect().width())
        : m_fullText;
    setText(shown);
    setToolTip(shown == m_fullText ? QString() : m_fullText);
}

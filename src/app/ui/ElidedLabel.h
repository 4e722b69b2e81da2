#pragma once

#include <QLabel>

// A one-line label whose text, when longer than the room it is given, ends in "…" instead of
// widening its window; the full text is then its tooltip.
class ElidedLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget *parent = nullptr);

    void setFullText(const QString &text);
    QString fullText() const { return m_fullText; }
    bool isElided() const { return text() != m_fullText; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void elide();

    QString m_fullText;
};

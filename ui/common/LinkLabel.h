#pragma once

#include <QLabel>

// A label that acts as a web link: a click, or Enter or Space once Tab has reached it, emits
// `activated`; assistive technology sees a link that can be pressed.
class LinkLabel : public QLabel {
    Q_OBJECT
public:
    explicit LinkLabel(const QString& text, QWidget* parent = nullptr);

signals:
    void activated();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

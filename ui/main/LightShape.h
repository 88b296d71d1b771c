#pragma once

#include <QColor>
#include <QWidget>

// A row's round light: a solid circle in its fill colour. It takes no clicks.
class LightShape : public QWidget {
    Q_OBJECT
public:
    explicit LightShape(QWidget* parent = nullptr);

    QColor fillColor() const { return m_fill; }
    void setFillColor(const QColor& color);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_fill = Qt::green;
};

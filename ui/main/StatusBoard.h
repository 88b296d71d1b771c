#pragma once

#include "monitor/CheckState.h"
#include "ui/common/Twips.h"
#include "ui/main/BoardLayout.h"

#include <QColor>
#include <QList>
#include <QObject>

class QFrame;
class QLabel;
class QScrollBar;
class QWidget;
class LightShape;

// The status board: the "Status as of" line and one row per service (host name, light, response
// time) on a scrolling panel. It draws what the last cycle left in CheckState; the window decides
// when, and lays the board out with the rest of the window.
class StatusBoard : public QObject {
    Q_OBJECT
public:
    explicit StatusBoard(QWidget* client);

    // Rebuilds every row from the state; an empty or missing service list leaves the board as it is.
    // False when there was nothing to draw.
    bool Display(const CheckState& state);
    // Destroys rows 1.. and hides row 0.
    void Clear();
    void Place(const BoardLayout::WindowLayout& layout);
    // The board's background, and that of the rows that are not tinted.
    void SetBackground(const QColor& color);
    QColor Background() const;
    // What the widest response time needs, in twips.
    double TimeTextTwips() const;

    int RowCount() const { return int(m_names.size()); }
    double RowTopTwips(int i) const { return m_rowTop.value(i); }
    QLabel* lblServiceName(int i) const { return m_names.value(i); }
    LightShape* shpServiceLight(int i) const { return m_lights.value(i); }
    QLabel* lblLightBG(int i) const { return m_times.value(i); }
    void VScroll1_Change();

    QLabel* lblLastChecked = nullptr;
    QFrame* pctStatus = nullptr;
    QScrollBar* VScroll1 = nullptr;

signals:
    // A click on a row's name or time label.
    void rowClicked(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateRow();
    void DestroyRowsAboveZero();
    void PlaceRow(int i);
    int Px(double twips) const;
    int PxY(double twips) const;

    TwipsScale m_twips;
    QWidget* m_canvas = nullptr; // the board's inner area, inside its border
    QList<QLabel*> m_names;
    QList<LightShape*> m_lights;
    QList<QLabel*> m_times;
    QList<double> m_rowTop;
    BoardLayout::WindowLayout m_layout;
};

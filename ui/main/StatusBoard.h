#pragma once

#include "monitor/CheckState.h"
#include "ui/common/Twips.h"
#include "ui/main/BoardLayout.h"
#include "ui/main/BoardRowDelegate.h"
#include "ui/main/StatusBoardModel.h"

#include <QColor>
#include <QListView>
#include <QObject>

class QLabel;
class QWidget;

// The board's list: one item per service, scrolled a row at a time; rows out of sight cost nothing.
// Enter or Space on the current row acts as a click on it.
class StatusBoardView : public QListView {
    Q_OBJECT
public:
    explicit StatusBoardView(QWidget* parent);
    // The scroll bar's width in pixels, as the layout gives it.
    void SetScrollBarWidth(int pixels);

signals:
    void rowActivated(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// The status board: the "Status as of" line and one row per service (host name, light, response
// time) on a scrolling list. It draws what the last cycle left in CheckState; the window decides
// when, and lays the board out with the rest of the window.
class StatusBoard : public QObject {
    Q_OBJECT
public:
    explicit StatusBoard(QWidget* client);

    // Rebuilds every row from the state; an empty or missing service list leaves the board as it is.
    // False when there was nothing to draw.
    bool Display(const CheckState& state);
    // Removes every row.
    void Clear();
    void Place(const BoardLayout::WindowLayout& layout);
    // The board's background, and that of the rows that are not tinted.
    void SetBackground(const QColor& color);
    QColor Background() const;
    // What the widest response time needs, in twips.
    double TimeTextTwips() const;

    int RowCount() const { return m_model->rowCount(); }
    StatusBoardModel& model() const { return *m_model; }
    BoardRowDelegate& delegate() const { return *m_delegate; }

    QLabel* lblLastChecked = nullptr;
    StatusBoardView* pctStatus = nullptr;

signals:
    // A click on a row, or Enter or Space on the current row.
    void rowClicked(int index);

private:
    int Px(double twips) const;
    int PxY(double twips) const;

    TwipsScale m_twips;
    StatusBoardModel* m_model = nullptr;
    BoardRowDelegate* m_delegate = nullptr;
};

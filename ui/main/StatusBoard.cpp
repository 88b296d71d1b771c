#include "ui/main/StatusBoard.h"

#include "monitor/AlertTexts.h"
#include "ui/common/TextRoom.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLoggingCategory>
#include <QScrollBar>

// "vantrel.board": each row as the board draws it (host name quoted, up or down, time text). Silent
// unless enabled; the desktop end-to-end tests read it, as the rows' texts cannot be read from X.
Q_LOGGING_CATEGORY(lcBoard, "vantrel.board", QtWarningMsg)

namespace {
// The style decides a scroll bar's width through its size hint; the board's is set by its layout.
class BoardScrollBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;
    int width = 0;
    QSize sizeHint() const override {
        const QSize hint = QScrollBar::sizeHint();
        return width > 0 ? QSize(width, hint.height()) : hint;
    }
};

// The height of a row's labels within its pitch.
constexpr double LabelHeight = 210;
} // namespace

StatusBoardView::StatusBoardView(QWidget* parent) : QListView(parent) {
    setVerticalScrollBar(new BoardScrollBar(Qt::Vertical, this));
    setUniformItemSizes(true);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::StrongFocus);
}

void StatusBoardView::SetScrollBarWidth(int pixels) {
    auto* bar = static_cast<BoardScrollBar*>(verticalScrollBar());
    if (bar->width == pixels)
        return;
    bar->width = pixels;
    updateGeometries();
}

void StatusBoardView::keyPressEvent(QKeyEvent* event) {
    const bool activate =
        event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space;
    if (activate && event->modifiers() == Qt::NoModifier && currentIndex().isValid()) {
        emit rowActivated(currentIndex().row());
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

StatusBoard::StatusBoard(QWidget* client) : QObject(client), m_twips(client) {
    lblLastChecked = new QLabel(client);
    lblLastChecked->setTextFormat(Qt::PlainText);
    lblLastChecked->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblLastChecked->setGeometry(Px(120), PxY(1920), Px(5055), PxY(255));

    pctStatus = new StatusBoardView(client);
    pctStatus->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pctStatus->setLineWidth(Px(BoardLayout::BoardBorder));
    pctStatus->setAccessibleName(QStringLiteral("Service status"));
    pctStatus->verticalScrollBar()->setAccessibleName(QStringLiteral("Scroll through the services"));
    m_model = new StatusBoardModel(this);
    m_delegate = new BoardRowDelegate(this);
    pctStatus->setItemDelegate(m_delegate);
    pctStatus->setModel(m_model);
    connect(pctStatus, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { emit rowClicked(index.row()); });
    connect(pctStatus, &StatusBoardView::rowActivated, this, &StatusBoard::rowClicked);
}

int StatusBoard::Px(double twips) const {
    return m_twips.X(twips);
}
int StatusBoard::PxY(double twips) const {
    return m_twips.Y(twips);
}

// Five digits (a probe ends within its time-out, at most 30 seconds), clear of the light.
double StatusBoard::TimeTextTwips() const {
    return m_twips.TwipsX(TextWidth(pctStatus, QStringLiteral("00000ms")) + kTextGap);
}

void StatusBoard::Clear() {
    m_model->Clear();
}

void StatusBoard::SetBackground(const QColor& color) {
    QPalette palette = pctStatus->palette();
    palette.setColor(QPalette::Base, color);
    pctStatus->setPalette(palette);
}

QColor StatusBoard::Background() const {
    return pctStatus->palette().color(QPalette::Base);
}

bool StatusBoard::Display(const CheckState& state) {
    if (!state.ServiceList || state.ServiceList->isEmpty())
        return false;
    const ServicePairs& services = *state.ServiceList;
    QList<StatusBoardModel::Row> rows;
    rows.reserve(services.size());
    const QDateTime now = QDateTime::currentDateTime();
    for (int i = 0; i < services.size(); ++i) {
        const bool up = state.ServiceUp.value(i);
        rows.append({services[i].first, up, BoardLayout::ResponseTimeText(state.ResponseTime.value(i)),
                     AlertTexts::ServiceStateText(state, i, now)});
        qCInfo(lcBoard) << "row" << i << rows.last().host << (up ? "up" : "down") << rows.last().time;
    }
    m_model->SetRows(std::move(rows));
    // The keyboard and screen readers start from the first row.
    if (!pctStatus->currentIndex().isValid())
        pctStatus->setCurrentIndex(m_model->index(0));
    lblLastChecked->setText(BoardLayout::StatusAsOfText(state.LastCheckTime));
    return true;
}

void StatusBoard::Place(const BoardLayout::WindowLayout& layout) {
    const BoardLayout::Rect& board = layout.pctStatus;
    pctStatus->setGeometry(Px(board.left), PxY(board.top), Px(board.width), PxY(board.height));
    pctStatus->SetScrollBarWidth(Px(BoardLayout::ScrollBarWidth));
    BoardRowDelegate::Geometry geometry;
    geometry.pitch = PxY(BoardLayout::RowPitch);
    geometry.band = PxY(LabelHeight);
    geometry.nameWidth = Px(layout.nameWidth);
    geometry.lightLeft = Px(layout.lightLeft);
    geometry.lightSize = qMin(Px(BoardLayout::LightSize), geometry.pitch);
    m_delegate->SetGeometry(geometry);
    // The rows' size and parts follow the layout.
    pctStatus->doItemsLayout();
    pctStatus->viewport()->update();
}

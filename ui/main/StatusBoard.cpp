#include "ui/main/StatusBoard.h"

#include "ui/common/TextRoom.h"
#include "ui/main/LightShape.h"

#include <QFrame>
#include <QLabel>
#include <QLoggingCategory>
#include <QMouseEvent>
#include <QScrollBar>

// "vantrel.board": each row as the board draws it (host name quoted, up or down, time text). Silent
// unless enabled; the desktop end-to-end tests read it, as label texts cannot be read from X.
Q_LOGGING_CATEGORY(lcBoard, "vantrel.board", QtWarningMsg)

namespace {
const QColor LightUp(0, 255, 0);
const QColor LightDown(255, 0, 0);
const QColor TintedRow(128, 192, 255);

QString RowSpokenText(const QString& host, bool up, const QString& time) {
    return host + QStringLiteral(": ") + (up ? QStringLiteral("up") : QStringLiteral("down")) +
           QStringLiteral(", ") + time;
}

void Paint(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}
} // namespace

StatusBoard::StatusBoard(QWidget* client) : QObject(client), m_twips(client) {
    lblLastChecked = new QLabel(client);
    lblLastChecked->setTextFormat(Qt::PlainText);
    lblLastChecked->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblLastChecked->setGeometry(Px(120), PxY(1920), Px(5055), PxY(255));

    pctStatus = new QFrame(client);
    pctStatus->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pctStatus->setLineWidth(Px(BoardLayout::BoardBorder));
    pctStatus->setFocusPolicy(Qt::ClickFocus);
    pctStatus->setAccessibleName(QStringLiteral("Service status"));
    m_canvas = new QWidget(pctStatus);
    m_canvas->setAutoFillBackground(true);

    VScroll1 = new QScrollBar(Qt::Vertical, m_canvas);
    VScroll1->setRange(0, 0);
    VScroll1->hide();
    VScroll1->setAccessibleName(QStringLiteral("Scroll through the services"));
    connect(VScroll1, &QScrollBar::valueChanged, this, &StatusBoard::VScroll1_Change);

    CreateRow();
    Clear();
}

int StatusBoard::Px(double twips) const {
    return m_twips.X(twips);
}
int StatusBoard::PxY(double twips) const {
    return m_twips.Y(twips);
}

// Five digits (a probe ends within its time-out, at most 30 seconds), clear of the light.
double StatusBoard::TimeTextTwips() const {
    return m_twips.TwipsX(TextWidth(m_times[0], QStringLiteral("00000ms")) + kTextGap);
}

// A row as copies of row 0: light first, then the two labels. The light is kept above the
// response-time label, whose left end it covers.
void StatusBoard::CreateRow() {
    const int index = RowCount();
    auto* light = new LightShape(m_canvas);
    auto* name = new QLabel(m_canvas);
    auto* time = new QLabel(m_canvas);
    name->setTextFormat(Qt::PlainText);
    time->setTextFormat(Qt::PlainText);
    name->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    time->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel* label : {name, time}) {
        label->setProperty("rowIndex", index);
        label->installEventFilter(this);
    }
    light->raise();
    VScroll1->raise();
    m_lights.append(light);
    m_names.append(name);
    m_times.append(time);
    m_rowTop.append(index == 0 ? 0 : BoardLayout::RowParkedAfterRebuild);
    PlaceRow(index);
}

void StatusBoard::DestroyRowsAboveZero() {
    for (int i = RowCount() - 1; i >= 1; --i) {
        delete m_names.takeAt(i);
        delete m_lights.takeAt(i);
        delete m_times.takeAt(i);
        m_rowTop.removeAt(i);
    }
}

void StatusBoard::Clear() {
    DestroyRowsAboveZero();
    m_lights[0]->hide();
    m_names[0]->hide();
    m_times[0]->hide();
}

void StatusBoard::SetBackground(const QColor& color) {
    Paint(m_canvas, color);
}

QColor StatusBoard::Background() const {
    return m_canvas->palette().color(QPalette::Window);
}

bool StatusBoard::Display(const CheckState& state) {
    if (!state.ServiceList || state.ServiceList->isEmpty())
        return false;
    const ServicePairs& services = *state.ServiceList;
    const QColor background = Background();

    DestroyRowsAboveZero();
    for (int i = 0; i < services.size(); ++i) {
        if (i > 0)
            CreateRow();
        QLabel* name = m_names[i];
        QLabel* time = m_times[i];
        LightShape* light = m_lights[i];
        m_rowTop[i] = BoardLayout::RebuildRowTop(i);
        Paint(name, background);
        name->setText(services[i].first);
        name->show();
        Paint(time, background);
        time->setText(BoardLayout::ResponseTimeText(state.ResponseTime.value(i)));
        time->show();
        light->setFillColor(state.ServiceUp.value(i) ? LightUp : LightDown);
        // The colour alone tells nothing to someone who cannot see it.
        light->setAccessibleName(RowSpokenText(name->text(), state.ServiceUp.value(i), time->text()));
        light->show();
        if (BoardLayout::IsTintedRow(i)) {
            Paint(name, TintedRow);
            Paint(time, TintedRow);
        }
        PlaceRow(i);
        qCInfo(lcBoard) << "row" << i << name->text() << (state.ServiceUp.value(i) ? "up" : "down")
                        << time->text();
    }
    VScroll1->setMinimum(0);
    VScroll1->setMaximum(int(services.size()) + 2);
    lblLastChecked->setText(BoardLayout::StatusAsOfText(state.LastCheckTime));
    return true;
}

void StatusBoard::Place(const BoardLayout::WindowLayout& layout) {
    m_layout = layout;
    const BoardLayout::Rect& board = layout.pctStatus;
    pctStatus->setGeometry(Px(board.left), PxY(board.top), Px(board.width), PxY(board.height));
    m_canvas->setGeometry(Px(BoardLayout::BoardBorder), PxY(BoardLayout::BoardBorder),
                          Px(layout.boardInnerWidth), PxY(layout.boardInnerHeight));
    const BoardLayout::Rect& bar = layout.VScroll1;
    VScroll1->setGeometry(Px(bar.left), PxY(bar.top), Px(bar.width), PxY(bar.height));
    VScroll1->setVisible(layout.scrollBarVisible);
    for (int i = 0; i < RowCount(); ++i)
        PlaceRow(i);
}

// Rows placed between two layouts of the window (a rebuild, a scroll) follow the window's last size.
void StatusBoard::PlaceRow(int i) {
    const BoardLayout::WindowLayout layout =
        BoardLayout::ArrangeLayout(m_layout.size, RowCount(), m_rowTop[0], TimeTextTwips());
    // The name, the light and the time share the row's top.
    const double top = m_rowTop[i];
    m_names[i]->setGeometry(0, PxY(top), Px(layout.nameWidth), PxY(210));
    m_lights[i]->setGeometry(Px(layout.lightLeft), PxY(top), Px(BoardLayout::LightSize),
                             PxY(BoardLayout::LightSize));
    m_times[i]->setGeometry(Px(layout.timeLeft), PxY(top), Px(layout.timeWidth), PxY(210));
}

void StatusBoard::VScroll1_Change() {
    const int value = VScroll1->value();
    for (int i = 0; i < RowCount(); ++i) {
        m_rowTop[i] = BoardLayout::ScrolledRowTop(i, value);
        PlaceRow(i);
    }
    pctStatus->setFocus();
}

bool StatusBoard::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (const QVariant index = watched->property("rowIndex"); index.isValid())
            emit rowClicked(index.toInt());
    }
    return QObject::eventFilter(watched, event);
}

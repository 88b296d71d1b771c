// What assistive technology reads: every control of every window has a name from its caption, and
// each row of the board says "up" or "down" with the host name and time, not by its colour alone.
#include "tests/main/MainWindowFixture.h"
#include "tests/support/Loopback.h"
#include "ui/about/frmAbout.h"
#include "ui/main/BoardRowDelegate.h"
#include "ui/options/frmOptions.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QListView>
#include <QTabBar>
#include <cmath>

namespace {

std::string AccessibleName(QObject* object) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(object);
    return face ? face->text(QAccessible::Name).toStdString() : std::string();
}

// The visible controls a user can reach (by Tab or a click) under `root` that have no name, one per line.
std::string Unnamed(QWidget* root) {
    QStringList unnamed;
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        const bool reachable = widget->isVisibleTo(root) && widget->focusPolicy() != Qt::NoFocus &&
                               !widget->focusProxy() &&
                               !widget->parentWidget()->inherits("QAbstractScrollArea");
        if (reachable && AccessibleName(widget).empty())
            unnamed << QString::fromLatin1(widget->metaObject()->className()) + ' ' + widget->objectName();
    }
    for (QTabBar* tabs : root->findChildren<QTabBar*>()) {
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(tabs);
        for (int i = 0; face && i < face->childCount(); ++i)
            if (face->child(i)->text(QAccessible::Name).isEmpty())
                unnamed << QStringLiteral("tab %1").arg(i);
    }
    return unnamed.join('\n').toStdString();
}

using Accessibility = MainWindowTest;

TEST_F(Accessibility, EveryControlIsNamedAndEveryLightSaysWhatItShows) {
    frmMain& w = Make();
    w.show();
    EXPECT_EQ(AccessibleName(w.imgStatus()), "Overall light: no check yet");
    ShowResults({{"web", "192.0.2.1:80"}, {"mail", "192.0.2.2:25"}}, {true, false}, {47.0f, 2003.0f});
    w.ShowStatusLight(LightYellow);
    // The board is a list of one item per row; the link is a link that can be pressed.
    QAccessibleInterface* board = QAccessible::queryAccessibleInterface(w.pctStatus());
    ASSERT_TRUE(board);
    EXPECT_EQ(board->role(), QAccessible::List);
    ASSERT_EQ(board->childCount(), 2);
    QStringList rows;
    for (int i = 0; i < board->childCount(); ++i)
        rows << QStringList{board->child(i)->text(QAccessible::Name),
                            board->child(i)->text(QAccessible::Description),
                            QString::number(board->child(i)->role() == QAccessible::ListItem)}
                    .join(" | ");
    EXPECT_EQ(rows, QStringList({"web: up, 47ms | web | 1", "mail: down, 2003ms | mail | 1"}));
    QAccessibleInterface* link = QAccessible::queryAccessibleInterface(w.lblHyperlink());
    EXPECT_EQ(link->role(), QAccessible::Link);
    EXPECT_EQ(link->text(QAccessible::Name).toStdString(), "HTTP://WWW.VANTREL.EXAMPLE/");
    ASSERT_TRUE(link->actionInterface());
    link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(DesktopOpener::takeRequests().size(), 1);
    EXPECT_EQ(AccessibleName(w.imgStatus()), "Overall light: yellow");
    EXPECT_EQ(AccessibleName(w.txtHostName()), "Host");
    EXPECT_EQ(Unnamed(&w), "");

    frmOptions options(w.checkState(), &w);
    options.show();
    options.findChild<QAbstractButton*>("btnAdd")->click(); // shows the detail boxes
    EXPECT_EQ(AccessibleName(options.findChild<QWidget*>("txtIP3")), "IP Address, third part");
    EXPECT_EQ(Unnamed(&options), "");
    options.findChild<QTabBar*>()->setCurrentIndex(1);
    EXPECT_EQ(Unnamed(&options), "");

    frmAbout about(&w);
    about.show();
    EXPECT_EQ(Unnamed(&about), "");
}

} // namespace

namespace {

// The contrast ratio of two colours as readability guidelines define it (1 to 21).
double Contrast(const QColor& a, const QColor& b) {
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A desktop theme as the application's palette: the toolkit's light default, or a dark one.
QPalette DarkPalette() {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xec));
    dark.setColor(QPalette::Base, QColor(0x2d, 0x2d, 0x2d));
    dark.setColor(QPalette::Text, QColor(0xff, 0xff, 0xff));
    dark.setColor(QPalette::Button, QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xec));
    return dark;
}

class BoardContrast : public MainWindowTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        m_palette = QApplication::palette();
        if (GetParam())
            QApplication::setPalette(DarkPalette());
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        QApplication::setPalette(m_palette);
    }
    QPalette m_palette;
};

// Every text of every row, read from the painted board: its strongest pixel against the band it is
// drawn on keeps the contrast that small text needs.
TEST_P(BoardContrast, EveryRowsTextsAreReadable) {
    frmMain& w = Make();
    w.show();
    ShowResults({{"web", "192.0.2.1:80"}, {"mail", "192.0.2.2:25"}}, {true, false}, {47.0f, 2003.0f});
    QListView* view = w.pctStatus();
    const QImage shot = view->viewport()->grab().toImage();
    const qreal ratio = shot.devicePixelRatio();
    for (int row = 0; row < 2; ++row) {
        const BoardRowDelegate::Parts parts =
            w.board().delegate().RowParts(view->visualRect(view->model()->index(row, 0)));
        const QColor band = shot.pixelColor(QPoint(parts.name.right() - 1, parts.band.center().y()) * ratio);
        const QRect time(parts.light.right() + 1, parts.time.top(), parts.time.right() - parts.light.right(),
                         parts.time.height());
        for (const QRect& text : {parts.name, time}) {
            double best = 1;
            for (int y = text.top(); y <= text.bottom(); ++y)
                for (int x = text.left(); x <= text.right(); ++x)
                    best = std::max(best, Contrast(shot.pixelColor(QPoint(x, y) * ratio), band));
            EXPECT_GE(best, 4.5) << "row " << row << " at x " << text.x() << " on "
                                 << band.name().toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Theme, BoardContrast, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "dark" : "light"; });

} // namespace

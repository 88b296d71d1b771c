// What assistive technology reads: every control of every window has a name from its caption, and
// each row of the board says "up" or "down" with the host name and time, not by its colour alone.
#include "tests/main/MainWindowFixture.h"
#include "tests/support/Loopback.h"
#include "ui/about/frmAbout.h"
#include "ui/options/frmOptions.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QTabBar>

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

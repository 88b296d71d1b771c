#include "ui/options/frmOptions.h"

#include "core/StoreFile.h"
#include "ui/common/AppPaths.h"
#include "ui/common/DesktopOpener.h"
#include "ui/options/OptionsWidgets.h"
#include "ui/options/ServicesPage.h"
#include "ui/options/SettingsPage.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>
#include <QTabBar>
#include <QUrl>

namespace {
constexpr double kClientWidthTwips = 6150;
constexpr double kOuterHeightTwips = 5400;
constexpr double kPageLeftTwips = 240;
constexpr double kPageTopTwips = 480;
constexpr double kPageWidthTwips = 5685;
constexpr double kPageHeightTwips = 3765; // down to the tab strip's lower edge
constexpr double kHiddenPageLeftTwips = -20000;
} // namespace

frmOptions::frmOptions(const CheckState& state, QWidget* parent) : QDialog(parent), m_state(state) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    // The strip's body is a plain frame; the tab row sits on its upper edge.
    const QRect strip = TwipsRect(this, 105, 120, 5895, 4245);
    tbsOptions = new QTabBar(this);
    tbsOptions->setObjectName(QStringLiteral("tbsOptions"));
    tbsOptions->setFocusPolicy(Qt::TabFocus);
    tbsOptions->addTab(QStringLiteral("Services"));
    tbsOptions->setTabToolTip(0, QStringLiteral("Add, remove and edit monitored services"));
    tbsOptions->addTab(QStringLiteral("Settings"));
    const int barHeight = tbsOptions->sizeHint().height();
    tbsOptions->setGeometry(strip.x(), strip.y(), strip.width(), barHeight);
    auto* body = new QFrame(this);
    body->setFrameShape(QFrame::StyledPanel);
    body->setGeometry(strip.x(), strip.y() + barHeight - 1, strip.width(), strip.height() - barHeight + 1);
    body->lower();

    servicesPage = new ServicesPage(state, objSocketOptions, this);
    settingsPage = new SettingsPage(this);
    picOptions = {servicesPage, settingsPage};
    picOptions[0]->setObjectName(QStringLiteral("picOptions0"));
    picOptions[1]->setObjectName(QStringLiteral("picOptions1"));
    for (QWidget* page : picOptions)
        SetTwipsGeometry(page, kPageLeftTwips, kPageTopTwips, kPageWidthTwips, kPageHeightTwips);

    cmdHelp = SetTwipsGeometry(NewButton("Help", "cmdHelp", this), 120, 4455, 1095, 375);
    cmdOK = SetTwipsGeometry(NewButton("OK", "cmdOK", this), 2490, 4455, 1095, 375);
    cmdCancel = SetTwipsGeometry(NewButton("Cancel", "cmdCancel", this), 3720, 4455, 1095, 375);
    cmdApply = SetTwipsGeometry(NewButton("Apply", "cmdApply", this), 4920, 4455, 1095, 375);

    SetTabOrder();
    connect(tbsOptions, &QTabBar::currentChanged, this, &frmOptions::TabClick);
    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::OK);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cmdApply, &QPushButton::clicked, this, &frmOptions::ApplySettings);
    connect(cmdHelp, &QPushButton::clicked, this, &frmOptions::Help);
    // OK pressed on the Services page with a bad time-out: show the box that needs fixing.
    connect(settingsPage, &SettingsPage::timeoutRefused, this, [this] { tbsOptions->setCurrentIndex(1); });
    connect(servicesPage, &ServicesPage::lookupWaiting, this, &frmOptions::SetWaiting);

    // Key preview: the dialog sees every key meant for one of its controls before the control does.
    qApp->installEventFilter(this);
    Load();
}

frmOptions::~frmOptions() {
    qApp->removeEventFilter(this);
}

void frmOptions::Load() {
    PlaceAndSizeWindow();
    servicesPage->FillOnLoad();
    settingsPage->Load();
    tbsOptions->setCurrentIndex(0);
    TabClick();
}

void frmOptions::PlaceAndSizeWindow() {
    // The outer height includes the window manager's title bar and borders, which are not known
    // before the window is shown; the style's title bar height is the best estimate.
    const int frameWidth = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
    const int titleHeight = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    const QRect client = TwipsRect(this, 0, 0, kClientWidthTwips, kOuterHeightTwips);
    const int outerHeight = client.height();
    const int clientHeight = outerHeight - titleHeight - 2 * frameWidth;
    const int bottomOfButtons = cmdOK->geometry().bottom() + 1;
    setFixedSize(client.width(), std::max(clientHeight, bottomOfButtons + frameWidth));

    const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const int outerWidth = width() + 2 * frameWidth;
    move(area.x() + (area.width() - outerWidth) / 2, area.y() + (area.height() - outerHeight) / 2);
}

void frmOptions::SetTabOrder() {
    QList<QWidget*> order{tbsOptions, cmdOK, cmdCancel, cmdApply};
    order += servicesPage->FocusOrder();
    order += settingsPage->FocusOrder();
    order.append(cmdHelp);
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void frmOptions::TabClick() {
    const int selected = tbsOptions->currentIndex();
    for (int i = 0; i < static_cast<int>(picOptions.size()); ++i) {
        QWidget* page = picOptions[static_cast<size_t>(i)];
        const bool inView = i == selected;
        if (inView) {
            page->move(TwipsRect(page, kPageLeftTwips, kPageTopTwips, 0, 0).topLeft());
        } else {
            page->move(TwipsRect(page, kHiddenPageLeftTwips, 0, 0, 0).x(), page->y());
        }
        page->setEnabled(inView);
        page->setVisible(inView);
    }
}

void frmOptions::SelectNextTab() {
    const int next = tbsOptions->currentIndex() + 1;
    tbsOptions->setCurrentIndex(next >= tbsOptions->count() ? 0 : next);
    // The focus follows into the page now shown; a control of the page set aside is out of reach.
    const QList<QWidget*> order =
        tbsOptions->currentIndex() == 0 ? servicesPage->FocusOrder() : settingsPage->FocusOrder();
    for (QWidget* control : order) {
        if (control->isVisibleTo(this) && control->isEnabled() && control->focusPolicy() & Qt::TabFocus) {
            control->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

bool frmOptions::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return QDialog::eventFilter(watched, event);
    // Keys for another window (an open drop-down list, a message box) are not ours.
    if (static_cast<QWidget*>(watched)->window() != this)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Tab && key->modifiers() == Qt::ControlModifier) {
        if (!m_waiting)
            SelectNextTab();
        return true;
    }
    if (key->key() == Qt::Key_Escape && key->modifiers() == Qt::NoModifier) {
        cmdCancel->click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool frmOptions::ApplySettings() {
    // Asked for by the user, who waits for it; a check under way is never held up by the store.
    StoreFile::PatientLockWaits patient(!m_state.blnCheckInProgress);
    return settingsPage->ApplySettings();
}
bool frmOptions::ValidTimeout() {
    return settingsPage->ValidTimeout();
}
void frmOptions::LoadServiceList() {
    servicesPage->LoadServiceList();
}
QString frmOptions::EditedHost() const {
    return servicesPage->EditedHost();
}

void frmOptions::OK() {
    if (ApplySettings())
        accept();
}

void frmOptions::Help() {
    DesktopOpener::open(QUrl::fromLocalFile(HelpFilePath()));
}

// While the Services page waits for a lookup, only Cancel (with Esc and the close box) is left: the
// answer must land in the entry it was asked for, and closing drops it.
void frmOptions::SetWaiting(bool waiting) {
    m_waiting = waiting;
    for (QWidget* control : {static_cast<QWidget*>(tbsOptions), static_cast<QWidget*>(cmdHelp),
                             static_cast<QWidget*>(cmdOK), static_cast<QWidget*>(cmdApply)})
        control->setEnabled(!waiting);
    if (waiting) {
        for (QWidget* page : picOptions)
            page->setEnabled(false);
        setCursor(Qt::WaitCursor);
    } else {
        TabClick();
        unsetCursor();
    }
}

void frmOptions::done(int result) {
    servicesPage->AbandonLookup();
    // Whatever closes the dialog ends an edit session on the Services page.
    servicesPage->ForgetEditedHost();
    QDialog::done(result);
}

#pragma once

#include "monitor/Light.h"
#include "ui/common/Twips.h"
#include "ui/main/BoardLayout.h"

#include <QObject>

class QIcon;
class QLabel;
class QPushButton;
class QWidget;

// What stands below the status board: the button that checks at once, the overall light and the
// web link.
class BoardFooter : public QObject {
    Q_OBJECT
public:
    static constexpr const char* HyperlinkCaption = "HTTP://WWW.VANTREL.EXAMPLE/";

    explicit BoardFooter(QWidget* client);

    void Place(const BoardLayout::WindowLayout& layout);
    // The overall light's picture, and what it says to assistive technology.
    void ShowLight(const QIcon& icon, Light light);
    // The link shows the hand pointer from start-up on.
    void SetLinkCursor();

    QPushButton* cmdStatus = nullptr;
    QLabel* imgStatus = nullptr;
    QLabel* lblHyperlink = nullptr;

signals:
    void linkClicked();

private:
    TwipsScale m_twips;
};

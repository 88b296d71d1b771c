#include "ui/main/BoardFooter.h"

#include "resources/Resources.h"
#include "ui/common/LinkLabel.h"
#include "ui/common/TextRoom.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

namespace {
// What the overall light says to someone who cannot see its colour.
QString OverallLightSpokenText(Light light) {
    const QString colour = LightColourName(light);
    return QStringLiteral("Overall light: ") + (colour.isEmpty() ? QStringLiteral("no check yet") : colour);
}
} // namespace

BoardFooter::BoardFooter(QWidget* client) : QObject(client), m_twips(client) {
    cmdStatus = new QPushButton(QStringLiteral("Check all saved services now"), client);
    cmdStatus->setGeometry(m_twips.X(120), m_twips.Y(4920), m_twips.X(2535), m_twips.Y(375));
    WidenTo(cmdStatus, NeededWidth(cmdStatus));

    imgStatus = new QLabel(client);
    imgStatus->setGeometry(m_twips.X(3000), m_twips.Y(4920), m_twips.X(240), m_twips.Y(240));
    // The light grows with the window's font, as the rows' lights do; the icon alone is 16 pixels.
    imgStatus->setScaledContents(true);

    auto* link = new LinkLabel(QString::fromLatin1(HyperlinkCaption), client);
    lblHyperlink = link;
    lblHyperlink->setAlignment(Qt::AlignCenter);
    QFont font = lblHyperlink->font();
    font.setBold(true);
    font.setUnderline(true);
    // The link's size was chosen against the 8-point layout font and follows the window's font.
    font.setPointSizeF(13.5 * m_twips.Factor());
    lblHyperlink->setFont(font);
    QPalette palette = lblHyperlink->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Active, QPalette::Highlight));
    lblHyperlink->setPalette(palette);
    lblHyperlink->setGeometry(m_twips.X(120), m_twips.Y(5400), m_twips.X(BoardLayout::HyperlinkWidth),
                              m_twips.Y(375));
    connect(link, &LinkLabel::activated, this, &BoardFooter::linkClicked);
}

void BoardFooter::Place(const BoardLayout::WindowLayout& layout) {
    cmdStatus->move(cmdStatus->x(), m_twips.Y(layout.cmdStatusTop));
    imgStatus->move(imgStatus->x(), m_twips.Y(layout.imgStatusTop));
    lblHyperlink->move(m_twips.X(layout.hyperlinkLeft), m_twips.Y(layout.hyperlinkTop));
}

void BoardFooter::ShowLight(const QIcon& icon, Light light) {
    imgStatus->setPixmap(icon.pixmap(imgStatus->size()));
    imgStatus->setAccessibleName(OverallLightSpokenText(light));
}

void BoardFooter::SetLinkCursor() {
    lblHyperlink->setCursor(LoadCursorResource(QStringLiteral("Hyperlink")));
}

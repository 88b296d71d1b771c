#include "ui/about/frmAbout.h"

#include "core/Texts.h"
#include "resources/Resources.h"
#include "ui/about/SysInfo.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kIconSize = 32;

QFrame* SeparatorLine(QWidget* parent, int index) {
    auto* line = new QFrame(parent);
    line->setObjectName(QStringLiteral("Line1_%1").arg(index));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

QLabel* PlainLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

QString AboutVersionText(int major, int minor, int revision) {
    return QStringLiteral("Version %1.%2.%3").arg(major).arg(minor).arg(revision);
}

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    // Fixed dialog border, a close box but no minimise or maximise; as a dialog it gets no task-bar entry.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QStringLiteral("About ") + Texts::AppTitle);

    picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setFixedSize(kIconSize, kIconSize);
    picIcon->setPixmap(LoadIconResource(QStringLiteral("PROGRAM")).pixmap(kIconSize, kIconSize));

    lblTitle = PlainLabel(this, "lblTitle", Texts::AppTitle);
    QFont titleFont = lblTitle->font();
    titleFont.setBold(true);
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    lblTitle->setFont(titleFont);

    lblVersion =
        PlainLabel(this, "lblVersion",
                   AboutVersionText(VANTREL_VERSION_MAJOR, VANTREL_VERSION_MINOR, VANTREL_VERSION_PATCH));
    lblDescription =
        PlainLabel(this, "lblDescription",
                   QStringLiteral("Free local server monitoring tool for system administrators."));
    lblDisclaimer = PlainLabel(this, "lblDisclaimer",
                               QStringLiteral("This program is provided as is, without warranty of any kind. "
                                              "You use it at your own risk."));
    lblDisclaimer->setWordWrap(true);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true); // Enter presses it; Esc rejects the dialog, which closes it the same way
    cmdSysInfo = new QPushButton(QStringLiteral("&System Info..."), this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &frmAbout::StartSysInfo);

    auto* texts = new QVBoxLayout;
    texts->addWidget(lblTitle);
    texts->addWidget(lblVersion);
    texts->addSpacing(8);
    texts->addWidget(lblDescription);

    auto* head = new QHBoxLayout;
    head->addWidget(picIcon, 0, Qt::AlignTop);
    head->addSpacing(12);
    head->addLayout(texts, 1);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);

    auto* foot = new QHBoxLayout;
    foot->addWidget(lblDisclaimer, 1);
    foot->addSpacing(12);
    foot->addLayout(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(head);
    layout->addWidget(SeparatorLine(this, 0));
    layout->addLayout(foot);
    layout->addWidget(SeparatorLine(this, 1));
    layout->setSizeConstraint(QLayout::SetFixedSize);

    cmdOK->setFocus();
}

frmAbout::~frmAbout() = default;

void frmAbout::StartSysInfo() {
    ::StartSysInfo(this, DefaultSysInfoPrograms(), qEnvironmentVariable("PATH"));
}

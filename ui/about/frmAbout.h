#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// "Version 2.7.3": major, minor and revision in plain decimal, no padding.
QString AboutVersionText(int major, int minor, int revision);

// The about box: title, version, description, notice, and a launcher for a system-information program.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
    ~frmAbout() override;

    // Starts a system-information program found on PATH, or says that none is available.
    void StartSysInfo();

private:
    QLabel* picIcon;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDescription;
    QLabel* lblDisclaimer;
    QPushButton* cmdOK;
    QPushButton* cmdSysInfo;
};

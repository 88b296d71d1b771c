#pragma once

#include <QDialog>

// The about box: title, version, description, notice, and a launcher for a system-information program.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
    ~frmAbout() override;
};

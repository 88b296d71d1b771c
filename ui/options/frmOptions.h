#pragma once

#include "core/SocketControl.h"
#include "monitor/CheckState.h"

#include <QDialog>
#include <array>

class QPushButton;
class QTabBar;
class ServicesPage;
class SettingsPage;

// The options dialog: the Services page (the stored list) and the Settings page (frequency,
// thresholds, alarm, time-out). Shown modally from the main window's Tools menu.
class frmOptions : public QDialog {
    Q_OBJECT
public:
    // `state` is the main window's monitoring state; Save and Resolve refuse while a cycle runs.
    explicit frmOptions(const CheckState& state, QWidget* parent = nullptr);
    ~frmOptions() override;

    bool ApplySettings();
    bool ValidTimeout();
    void LoadServiceList();
    // The key an Edit remembered for the next save; empty when none.
    QString EditedHost() const;
    SocketControl& SocketOptions() { return objSocketOptions; }

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Load();
    void PlaceAndSizeWindow();
    void SetTabOrder();
    void TabClick();
    void SelectNextTab();
    void Help();
    void OK();
    void SetWaiting(bool waiting);

    const CheckState& m_state;
    SocketControl objSocketOptions;
    QTabBar* tbsOptions;
    std::array<QWidget*, 2> picOptions;
    ServicesPage* servicesPage;
    SettingsPage* settingsPage;
    QPushButton* cmdHelp;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QPushButton* cmdApply;
    bool m_waiting = false;
};

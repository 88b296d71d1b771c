#pragma once

#include "monitor/CheckState.h"

#include <QDialog>

// The options dialog: the Services page (the stored list) and the Settings page (frequency,
// thresholds, alarm, time-out). Shown modally from the main window's Tools menu.
class frmOptions : public QDialog {
    Q_OBJECT
public:
    // `state` is the main window's monitoring state; Save and Resolve refuse while a cycle runs.
    explicit frmOptions(const CheckState& state, QWidget* parent = nullptr);
    ~frmOptions() override;
};

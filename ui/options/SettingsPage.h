#pragma once

#include <QList>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;

// The options dialog's second page: check frequency, light thresholds, alarm and connection
// time-out. Edits live in the controls until ApplySettings writes them.
class SettingsPage : public QWidget {
    Q_OBJECT
public:
    explicit SettingsPage(QWidget* parent);

    void Load(); // shows the stored values, or the page's fallbacks for what it cannot show
    // Writes all six settings; false (and nothing written) when the time-out is refused.
    bool ApplySettings();
    bool ValidTimeout();
    QList<QWidget*> FocusOrder() const;

signals:
    // The time-out was refused; the page must come into view so the focus can reach the box.
    void timeoutRefused();

private:
    QListWidget* NewThresholdList(const QString& name, double left, double width);
    static void SelectRow(QListWidget* list, int row);
    static void FollowScrolling(QListWidget* list);

    QComboBox* cboFrequency;
    QListWidget* lstGreen;
    QListWidget* lstYellow;
    QListWidget* lstRed;
    QCheckBox* chkAlarm;
    QLineEdit* txtTimeout;
};

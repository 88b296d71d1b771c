#pragma once

#include "monitor/CheckState.h"
#include "ui/options/OptionsLogic.h"

#include <QList>
#include <QString>
#include <QWidget>
#include <optional>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class SocketControl;

// The options dialog's first page: browse, add, edit, delete and save the stored services. It keeps
// no model of its own; the list is rebuilt from the store after every change.
class ServicesPage : public QWidget {
    Q_OBJECT
public:
    ServicesPage(const CheckState& state, SocketControl& objSocketOptions, QWidget* parent);

    void FillOnLoad(); // fills the list and hides the detail controls
    void LoadServiceList();
    // Ends an edit session: a later save must not delete the entry Edit opened.
    void ForgetEditedHost() { strEditedHost.clear(); }
    QString EditedHost() const { return strEditedHost; }
    QList<QWidget*> FocusOrder() const;

    void Add();
    void Edit();
    void Delete();
    void Save();
    void Resolve();
    // The dialog closes: a lookup that waits ends at once and its answer is dropped.
    void AbandonLookup();
    void PortLookup(int index);

signals:
    // True from the start of a lookup to its answer.
    void lookupWaiting(bool waiting);

private:
    void ResolveAnswered();
    QList<QWidget*> HostDetailControls() const;
    void SetHostDetailVisible(bool visible);
    // The selected service as stored: a line box holds only 32,767 characters, and the list shows
    // control characters escaped, so neither can give the key back.
    std::optional<QPair<QString, QString>> SelectedService() const;
    void ShowParts(const OptionsLogic::ServiceParts& parts);
    void ClearBoxes();
    OptionsLogic::ServiceParts TypedParts() const;
    void WriteService(const QString& key, const QString& value);
    void ReportStoreFailure();

    const CheckState& m_state;
    SocketControl& objSocketOptions;
    QString strEditedHost;

    QGroupBox* fraServices;
    QListWidget* lstServices;
    QPushButton* btnEdit;
    QPushButton* btnAdd;
    QPushButton* btnDelete;
    QLineEdit* txtHostName;
    QPushButton* cmdResolve;
    QLineEdit* txtIP1;
    QLineEdit* txtIP2;
    QLineEdit* txtIP3;
    QLineEdit* txtIP4;
    QLineEdit* txtPort;
    QComboBox* cboPortLookup;
    QPushButton* btnSave;
};

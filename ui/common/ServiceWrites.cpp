#include "ui/common/ServiceWrites.h"

#include "core/SettingsStore.h"
#include "core/StoreFile.h"
#include "core/StoreNames.h"
#include "core/Texts.h"
#include "ui/common/MessageBox.h"

bool ConfirmServiceOverwrite(QWidget* parent, const QString& host) {
    if (GetSetting(StoreNames::App, StoreNames::Services, host).isEmpty())
        return true;
    return MessageBox::askYesNo(parent, Texts::OverwriteQuestion);
}

bool WriteServiceAndReport(QWidget* parent, const QString& host, const QString& value) {
    // Asked for by the user, who waits for the answer; no check is under way (its commands are off).
    StoreFile::PatientLockWaits patient;
    if (!SaveSetting(StoreNames::App, StoreNames::Services, host, value)) {
        MessageBox::inform(parent, Texts::StoreWriteFailed(LastStoreError()));
        return false;
    }
    MessageBox::inform(parent,
                       Texts::ServiceSaved(host, GetSetting(StoreNames::App, StoreNames::Services, host)));
    return true;
}

#pragma once

#include <QString>
#include <chrono>

// Where the per-user store keeps an application's file, and the knobs its tests and tools need.
namespace StoreFile {
// The folder of every store file: $XDG_CONFIG_HOME/Vantrel (via QStandardPaths).
QString Folder();
// The file that holds `appName` (names compare without regard to case, so the file name is folded).
QString PathFor(const QString& appName);
// How long a writer waits for another process's lock before giving up (default 5 seconds).
void SetLockTimeout(std::chrono::milliseconds timeout);

// While one lives, saves try the lock only briefly (about 100 ms) and fail at once when another process
// holds it: for a thread that must not freeze, the window's.
class BriefLockWaits {
public:
    BriefLockWaits();
    ~BriefLockWaits();
    BriefLockWaits(const BriefLockWaits&) = delete;
    BriefLockWaits& operator=(const BriefLockWaits&) = delete;
};
// While one lives, saves wait the whole time-out again, also inside BriefLockWaits: for a save the user
// asked for and waits on (never open one while a probe is being timed).
class PatientLockWaits {
public:
    explicit PatientLockWaits(bool granted = true); // not granted: changes nothing

    ~PatientLockWaits();
    PatientLockWaits(const PatientLockWaits&) = delete;
    PatientLockWaits& operator=(const PatientLockWaits&) = delete;

private:
    bool m_granted;
};
} // namespace StoreFile

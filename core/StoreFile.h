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
} // namespace StoreFile

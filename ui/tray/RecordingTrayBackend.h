#pragma once

#include "ui/tray/TrayBackend.h"

#include <QList>

// A notification area that only records what it was asked to do; tests press the icon through it.
class RecordingTrayBackend : public TrayBackend {
public:
    enum class Operation { Add, Modify, Remove };
    struct Call {
        Operation operation;
        TrayNotifyData data;
    };

    void add(const TrayNotifyData& data) override { calls.append({Operation::Add, data}); }
    void modify(const TrayNotifyData& data) override { calls.append({Operation::Modify, data}); }
    void remove(const TrayNotifyData& data) override { calls.append({Operation::Remove, data}); }

    // As if the notification area reported this mouse message on the icon.
    void press(double message) const { deliverMessage(message); }

    QList<Call> calls;
};

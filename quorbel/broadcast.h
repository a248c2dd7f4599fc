// The announcement that a printer's default settings changed, to everyone in the process who listens.
// It is delivered at once (a direct call of every listener), so the control goes on only after all of
// them have handled it.
#pragma once

#include <QObject>
#include <QString>

namespace quorbel {

class DeviceModeBroadcast : public QObject {
    Q_OBJECT
public:
    static DeviceModeBroadcast& instance();

    void send(const QString& printerName) { emit deviceModeChanged(printerName); }

signals:
    void deviceModeChanged(const QString& printerName);
};

} // namespace quorbel

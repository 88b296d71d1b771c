#include "monitor/ProbeService.h"

#include "core/Numeric.h"

#include <cmath>
#include <optional>

namespace {

// The port a port text gives: the number rounded half to even, as every whole-number conversion of
// the program does. Nothing when the text is not a number or the port lies outside 1 to 65535 (0.4
// and 65535.6 passed the port test but name no port).
std::optional<int> PortNumber(const QString& portText) {
    const std::optional<double> value = ParseNumeric(portText);
    if (!value)
        return std::nullopt;
    const double rounded = std::nearbyint(*value);
    if (!(rounded >= 1 && rounded <= 65535))
        return std::nullopt;
    return static_cast<int>(rounded);
}

// Sets the socket up to connect to the service; false when the text names no port.
bool PrepareProbe(SocketControl& objSocket, const clsConverter& Converter, qint16 TimeoutMs,
                  const QString& service) {
    const std::optional<int> port = PortNumber(Converter.getPort(service));
    if (!port)
        return false; // down, without a connection attempt

    const QString address = Converter.GetFirstOctet(service) + QLatin1Char('.') +
                            Converter.GetSecondOctet(service) + QLatin1Char('.') +
                            Converter.GetThirdOctet(service) + QLatin1Char('.') +
                            Converter.GetFourthOctet(service);

    objSocket.setConnectTimeoutMs(TimeoutMs);
    objSocket.setResolveOnAssign(false);
    objSocket.setPeerAddress(address);
    // The control's port is signed 16-bit: ports above 32767 go as port - 65536.
    objSocket.setPeerPort(static_cast<qint16>(*port > 32767 ? *port - 65536 : *port));
    return true;
}

ProbeOutcome TakeResult(SocketControl& objSocket) {
    if (!objSocket.IsConnected())
        return ClassifyConnectError(objSocket.LastConnectError());
    objSocket.CloseConnection(); // nothing is sent: an opened connection is the whole test
    return {ProbeReason::Open, {}};
}

} // namespace

bool ProbeService(SocketControl& objSocket, const clsConverter& Converter, qint16 TimeoutMs,
                  const QString& service) {
    if (!PrepareProbe(objSocket, Converter, TimeoutMs, service))
        return false;
    objSocket.OpenConnection();
    return TakeResult(objSocket).up();
}

void BeginProbeService(SocketControl& objSocket, const clsConverter& Converter, qint16 TimeoutMs,
                       const QString& service, std::function<void(const ProbeOutcome&)> done) {
    if (!PrepareProbe(objSocket, Converter, TimeoutMs, service))
        return done({ProbeReason::NoPort, {}});
    objSocket.BeginConnect([&objSocket, done = std::move(done)] { done(TakeResult(objSocket)); });
}

void BeginProbeService(SocketControl& objSocket, const clsConverter& Converter, qint16 TimeoutMs,
                       const QString& service, std::function<void(bool up)> done) {
    BeginProbeService(objSocket, Converter, TimeoutMs, service,
                      [done = std::move(done)](const ProbeOutcome& outcome) { done(outcome.up()); });
}

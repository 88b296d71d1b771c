// Other code and outside checks compile against these exact declarations: a change of name, type or
// constness breaks the build here first.
#include "core/SettingsStore.h"
#include "core/SocketControl.h"
#include "core/clsConverter.h"
#include "monitor/ProbeService.h"

#include <type_traits>

namespace {
using Extract = QString (clsConverter::*)(const QString&) const;
static_assert(std::is_same_v<decltype(&clsConverter::getPort), Extract>);
static_assert(std::is_same_v<decltype(&clsConverter::GetFirstOctet), Extract>);
static_assert(std::is_same_v<decltype(&clsConverter::GetSecondOctet), Extract>);
static_assert(std::is_same_v<decltype(&clsConverter::GetThirdOctet), Extract>);
static_assert(std::is_same_v<decltype(&clsConverter::GetFourthOctet), Extract>);
static_assert(
    std::is_same_v<decltype(&clsConverter::ValidPort), bool (clsConverter::*)(const QString&) const>);
static_assert(std::is_same_v<decltype(&clsConverter::ValidIP), bool (clsConverter::*)(const QString&) const>);
static_assert(std::is_same_v<decltype(&clsConverter::BuildIP),
                             QString (clsConverter::*)(const QString&, const QString&, const QString&,
                                                       const QString&) const>);

static_assert(std::is_same_v<decltype(&GetSetting),
                             QString (*)(const QString&, const QString&, const QString&, const QString&)>);
static_assert(std::is_same_v<decltype(&SaveSetting),
                             bool (*)(const QString&, const QString&, const QString&, const QString&)>);
static_assert(
    std::is_same_v<decltype(&DeleteSetting), bool (*)(const QString&, const QString&, const QString&)>);
static_assert(std::is_same_v<decltype(&GetAllSettings), std::optional<QList<QPair<QString, QString>>> (*)(
                                                            const QString&, const QString&)>);

static_assert(std::is_same_v<decltype(&SocketControl::setResolveOnAssign), void (SocketControl::*)(bool)>);
static_assert(std::is_same_v<decltype(&SocketControl::ResolveOnAssign), bool (SocketControl::*)() const>);
static_assert(std::is_same_v<decltype(&SocketControl::setPeerName), void (SocketControl::*)(const QString&)>);
static_assert(std::is_same_v<decltype(&SocketControl::PeerName), QString (SocketControl::*)() const>);
static_assert(
    std::is_same_v<decltype(&SocketControl::setPeerAddress), void (SocketControl::*)(const QString&)>);
static_assert(std::is_same_v<decltype(&SocketControl::PeerAddress), QString (SocketControl::*)() const>);
static_assert(std::is_same_v<decltype(&SocketControl::setPeerPort), void (SocketControl::*)(qint16)>);
static_assert(std::is_same_v<decltype(&SocketControl::setConnectTimeoutMs), void (SocketControl::*)(qint16)>);
static_assert(std::is_same_v<decltype(&SocketControl::OpenConnection), void (SocketControl::*)()>);
static_assert(std::is_same_v<decltype(&SocketControl::IsConnected), bool (SocketControl::*)() const>);
static_assert(std::is_same_v<decltype(&SocketControl::CloseConnection), void (SocketControl::*)()>);

static_assert(std::is_same_v<decltype(&ProbeService),
                             bool (*)(SocketControl&, const clsConverter&, qint16, const QString&)>);
} // namespace

// A minimal X session manager for the desktop tests: it accepts one client over ICE (local sockets
// only), and on the line "end" on its standard input asks that client to save for a shutdown with
// interaction allowed, grants any interaction it asks for, and tells it to die unless it cancelled.
// Every step is one line on standard output, the first being SESSION_MANAGER=<address>.
#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {
SmsConn g_client = nullptr;
bool g_cancelled = false;
bool g_closed = false;

Bool AcceptAnyLocalHost(char* /*hostName*/) {
    return True; // only local sockets are listened on
}

void IgnoreIoError(IceConn) {} // the default handler would exit this program with the client

Status RegisterClient(SmsConn conn, SmPointer, char* previousId) {
    std::free(previousId);
    char* id = SmsGenerateClientID(conn);
    const Status status = SmsRegisterClientReply(conn, id);
    std::printf("registered %s\n", id ? id : "?");
    std::free(id);
    return status;
}

void InteractRequest(SmsConn conn, SmPointer, int dialogType) {
    std::printf("interact-request dialog=%d\n", dialogType);
    SmsInteract(conn);
}

void InteractDone(SmsConn, SmPointer, Bool cancelShutdown) {
    std::printf("interact-done cancel=%d\n", cancelShutdown ? 1 : 0);
    g_cancelled = g_cancelled || cancelShutdown;
}

void SaveYourselfRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}

void SaveYourselfPhase2Request(SmsConn conn, SmPointer) {
    SmsSaveYourselfPhase2(conn);
}

void SaveYourselfDone(SmsConn conn, SmPointer, Bool success) {
    std::printf("save-yourself-done success=%d\n", success ? 1 : 0);
    if (g_cancelled || !success) {
        SmsShutdownCancelled(conn);
        std::printf("shutdown-cancelled\n");
        return;
    }
    SmsDie(conn);
    std::printf("die-sent\n");
}

void CloseConnection(SmsConn conn, SmPointer, int count, char** reasons) {
    SmFreeReasons(count, reasons);
    IceConn ice = SmsGetIceConnection(conn);
    SmsCleanUp(conn);
    IceSetShutdownNegotiation(ice, False);
    IceCloseConnection(ice);
    g_client = nullptr;
    g_closed = true;
    std::printf("closed\n");
}

void SetProperties(SmsConn, SmPointer, int count, SmProp** properties) {
    for (int i = 0; i < count; ++i)
        SmFreeProperty(properties[i]);
    std::free(properties);
}

void DeleteProperties(SmsConn, SmPointer, int count, char** names) {
    for (int i = 0; i < count; ++i)
        std::free(names[i]);
    std::free(names);
}

void GetProperties(SmsConn conn, SmPointer) {
    SmsReturnProperties(conn, 0, nullptr);
}

Status NewClient(SmsConn conn, SmPointer, unsigned long* mask, SmsCallbacks* callbacks, char**) {
    g_client = conn;
    *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
            SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask | SmsSaveYourselfDoneProcMask |
            SmsCloseConnectionProcMask | SmsSetPropertiesProcMask | SmsDeletePropertiesProcMask |
            SmsGetPropertiesProcMask;
    *callbacks = {};
    callbacks->register_client.callback = RegisterClient;
    callbacks->interact_request.callback = InteractRequest;
    callbacks->interact_done.callback = InteractDone;
    callbacks->save_yourself_request.callback = SaveYourselfRequest;
    callbacks->save_yourself_phase2_request.callback = SaveYourselfPhase2Request;
    callbacks->save_yourself_done.callback = SaveYourselfDone;
    callbacks->close_connection.callback = CloseConnection;
    callbacks->set_properties.callback = SetProperties;
    callbacks->delete_properties.callback = DeleteProperties;
    callbacks->get_properties.callback = GetProperties;
    return 1;
}
} // namespace

int main() {
    std::setvbuf(stdout, nullptr, _IOLBF, 0); // the test reads each step as it comes
    char error[256] = {};
    if (!SmsInitialize("vantrel-test", "1.0", NewClient, nullptr, AcceptAnyLocalHost, sizeof error, error)) {
        std::fprintf(stderr, "SmsInitialize: %s\n", error);
        return 1;
    }
    IceSetIOErrorHandler(IgnoreIoError);
    int count = 0;
    IceListenObj* listeners = nullptr;
    if (!IceListenForConnections(&count, &listeners, sizeof error, error)) {
        std::fprintf(stderr, "IceListenForConnections: %s\n", error);
        return 1;
    }
    std::vector<IceListenObj> local;
    std::string address;
    for (int i = 0; i < count; ++i) {
        char* id = IceGetListenConnectionString(listeners[i]);
        const bool isLocal = std::strncmp(id, "local/", 6) == 0 || std::strncmp(id, "unix/", 5) == 0;
        if (isLocal) {
            IceSetHostBasedAuthProc(listeners[i], AcceptAnyLocalHost);
            local.push_back(listeners[i]);
            address += (address.empty() ? "" : ",") + std::string(id);
        } else {
            // Never reachable from the network: a listener of another kind accepts nothing.
            ::shutdown(IceGetListenConnectionNumber(listeners[i]), SHUT_RDWR);
        }
        std::free(id);
    }
    if (local.empty()) {
        std::fprintf(stderr, "no local transport to listen on\n");
        return 1;
    }
    std::printf("SESSION_MANAGER=%s\n", address.c_str());

    IceConn ice = nullptr;
    bool stdinOpen = true;
    while (!g_closed) {
        std::vector<pollfd> fds;
        if (stdinOpen)
            fds.push_back({STDIN_FILENO, POLLIN, 0});
        for (IceListenObj listener : local)
            fds.push_back({IceGetListenConnectionNumber(listener), POLLIN, 0});
        if (ice)
            fds.push_back({IceConnectionNumber(ice), POLLIN, 0});
        if (::poll(fds.data(), fds.size(), -1) < 0)
            continue;
        std::size_t next = 0;
        if (stdinOpen && fds[next++].revents) {
            char line[64] = {};
            if (!std::fgets(line, sizeof line, stdin)) {
                stdinOpen = false;
            } else if (std::strncmp(line, "end", 3) == 0 && g_client) {
                g_cancelled = false;
                SmsSaveYourself(g_client, SmSaveBoth, True, SmInteractStyleAny, False);
                std::printf("save-yourself-sent\n");
            }
        }
        for (IceListenObj listener : local) {
            if (!fds[next++].revents || ice)
                continue;
            IceAcceptStatus status;
            ice = IceAcceptConnection(listener, &status);
            if (!ice)
                continue;
            IceConnectStatus connectStatus;
            while ((connectStatus = IceConnectionStatus(ice)) == IceConnectPending)
                IceProcessMessages(ice, nullptr, nullptr);
            if (connectStatus != IceConnectAccepted) {
                IceCloseConnection(ice);
                ice = nullptr;
            }
        }
        if (ice && next < fds.size() && fds[next].revents) {
            if (IceProcessMessages(ice, nullptr, nullptr) == IceProcessMessagesIOError) {
                std::printf("connection-lost\n");
                IceSetShutdownNegotiation(ice, False);
                IceCloseConnection(ice);
                ice = nullptr;
                if (g_client) {
                    SmsCleanUp(g_client);
                    g_client = nullptr;
                }
                break;
            }
        }
        if (g_closed)
            ice = nullptr;
    }
    IceFreeListenObjs(count, listeners);
    return 0;
}

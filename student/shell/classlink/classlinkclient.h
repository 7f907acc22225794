#pragma once
// The student program's end of the class link: one TCP connection to the instructor's class
// server, which asks and is answered (computer name, product name, the stored profile file).
//
// What the main window (frmTonvale) does with it:
//   - at load: create one ClassLinkClient (its socket is tcpClient()), connect statusChanged()
//     to the status bar (panel 1: connected picture or not; panel 2: the text, "Connected" or
//     "Disconnected"), show "Disconnected", then call ConnectToServer();
//   - the network settings command: showNetworkSettings(client, mainWindow), which runs the
//     modal dialog frmConfig through platform::Dialogs;
//   - at unload: closeConnection().
// Every message on the wire, both ways, is one line ending in CR LF.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

#include "platform/net/streamsocket.h"

namespace classlink {

inline constexpr char kProductAnswer[] = "Tonvale 1.2";
inline constexpr char kDefaultHost[] = "HOSTCOMPUTERNAME";
inline constexpr int kDefaultPort = 2001;
inline constexpr char kConfigFile[] = "Client.cfg";
inline constexpr char kProfileFile[] = "Tonvale.txt";
// Connect waits: at start-up about 0.6 s, from the settings dialog about 3.1 s; a request of
// our own waits as long as the dialog's connect.
inline constexpr int kStartupConnectWaitMs = 600;
inline constexpr int kDialogConnectWaitMs = 3100;
inline constexpr int kSendReceiveWaitMs = 3100;
// Longest message the server may send; a longer one closes the connection.
inline constexpr qsizetype kMaxMessageBytes = 64 * 1024;
// Most answer bytes that may wait unsent: twice the longest answer the class server takes. A
// server asks one question at a time and reads every answer, so more means it has stopped
// reading while it goes on asking.
inline constexpr qsizetype kMaxUnsentBytes = 32 * 1024 * 1024;

struct ServerAddress {
    QString host = QString::fromLatin1(kDefaultHost);
    int port = kDefaultPort;
    QString hostText;   // the values as Client.cfg holds them (empty without the file)
    QString portText;
    bool fromFile = false;
};

// The port a text names (its leading number, rounded half to even); 2001 outside 1..65535.
int portFromText(const QString& text);
// Reads Client.cfg: the first value is the host, the second the port, whatever their keys.
// Without the file, or when it is empty or unreadable, the defaults.
ServerAddress readClientConfig(const QString& path);
// Writes Client.cfg as a stored text: "computer=" host CR LF "port=" port CR LF.
bool writeClientConfig(const QString& path, const QString& hostText, const QString& portText);

class ClassLinkClient : public QObject {
    Q_OBJECT
public:
    explicit ClassLinkClient(QObject* parent = nullptr);
    ~ClassLinkClient() override;

    // Where Client.cfg and Tonvale.txt are; the program's data folder unless set.
    void setDataFolder(const QString& folder) { dataFolder_ = folder; }
    QString dataFolder() const;
    // What "@@COMPUTERNAME" is answered with; the system's host name unless set.
    void setComputerNameSource(std::function<QString()> source) { computerName_ = std::move(source); }

    platform::StreamSocket* tcpClient() const { return tcpClient_; }
    bool isConnected() const;
    QString statusText() const;

    // (Re)connects from Client.cfg and waits up to waitMs (about 0.6 s) for the connection;
    // reports the status, and again when a connection still being made comes up later.
    void ConnectToServer(int waitMs = kStartupConnectWaitMs);
    // Closes, connects to host:port and waits up to waitMs while the connection is being made.
    // Afterwards connectError() says why it failed (empty when it did not).
    void connectTo(const QString& host, int port, int waitMs);
    bool connectFailed() const { return connectFailed_; }
    QString connectError() const { return connectError_; }
    bool stillResolving() const;
    // Sends a line when connected; otherwise does nothing. A server that has let more than
    // kMaxUnsentBytes of answers pile up unread is dropped instead.
    void SendToServer(const QString& text);
    // Sends a line and waits (pumping events, at most kSendReceiveWaitMs) for the next message
    // from the server; returns ServerReply().
    QString SendReceive(const QString& text);
    QString ServerReply() const { return serverReply_; }
    // The profile file exactly as stored (not decoded); empty when it cannot be read.
    QString GetData() const;
    QString computerName() const;
    void closeConnection();

    // Tells the status bar what it shows now.
    void reportStatus();

signals:
    void statusChanged(bool connected, const QString& text);

private:
    void tcpClient_DataArrival();
    void handleMessage(const QString& data);

    platform::StreamSocket* tcpClient_;
    QString dataFolder_;
    std::function<QString()> computerName_;
    QByteArray buffer_;
    QString serverReply_;
    bool connectFailed_ = false;
    QString connectError_;
};

} // namespace classlink

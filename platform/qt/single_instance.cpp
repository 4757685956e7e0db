// One editor per user and settings folder over a local socket. The first start listens; a later
// start connects, writes one request line and ends; the listener runs its activate callback once
// per request. A socket file left behind by a crashed run answers no one and is replaced.
// The listener is a child of the application object, so it stops (and its socket file goes)
// when the application does.
#include "platform/qt/single_instance.h"

#include <pwd.h>
#include <unistd.h>

#include <QtNetwork/QLocalServer>
#include <QtNetwork/QLocalSocket>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QString>
#include <QVariant>

#include "platform/qt/settings.h"

static const char KRequest[] = "activate\n";
static const int KWaitMs = 1000;

static QPointer<QLocalServer> GServer;
static std::function<void()> GActivate;

// "mosaiko-" and a hash of the user and the settings folder (tests never meet a running editor).
static QString KeyName() {
    QByteArray user;
    if (const passwd* entry = getpwuid(getuid())) user = entry->pw_name;
    if (user.isEmpty()) user = QByteArray::number(static_cast<qulonglong>(getuid()));
    QByteArray key = user + '\n' + QByteArray::fromStdString(Settings_Folder());
    QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex();
    return QStringLiteral("mosaiko-") + QString::fromLatin1(hash.left(16));
}

// The key, in the user's private runtime folder when the session has one, so no one else can
// connect.
static QString ServerName() {
    QString name = KeyName();
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) return name; // the temporary folder
    QString path = folder + '/' + name;
    // A socket path has to fit the system's address record (108 bytes on Linux).
    return QFile::encodeName(path).size() < 100 ? path : name;
}

// Asks a listening instance to come forward; false when no one answers. Once connected, an
// instance is running even when the request cannot be sent: its socket is never replaced.
static bool AskRunningInstance(const QString& name) {
    QLocalSocket socket;
    socket.connectToServer(name);
    if (!socket.waitForConnected(KWaitMs)) return false;
    socket.write(KRequest, sizeof KRequest - 1);
    if (socket.bytesToWrite() > 0) socket.waitForBytesWritten(KWaitMs);
    socket.disconnectFromServer();
    return true;
}

// Reads what a caller sent; the first bytes of a connection are its request, answered once.
static void Serve(QLocalSocket* socket) {
    if (socket->property("served").toBool() || socket->bytesAvailable() <= 0) return;
    socket->readAll();
    socket->setProperty("served", true);
    if (GActivate) {
        std::function<void()> activate = GActivate; // activate may release the listener
        activate();
    }
}

static void Accept(QLocalServer* server) {
    while (QLocalSocket* socket = server->nextPendingConnection()) {
        QObject::connect(socket, &QLocalSocket::readyRead, socket, [socket] { Serve(socket); });
        QObject::connect(socket, &QLocalSocket::disconnected, socket, [socket] {
            Serve(socket);
            socket->deleteLater();
        });
        Serve(socket);
    }
}

static QLocalServer* Listen(const QString& name) {
    // No socket options: with them Qt replaces an existing socket file instead of failing.
    QLocalServer* server = new QLocalServer(QCoreApplication::instance());
    if (server->listen(name)) return server;
    delete server;
    return nullptr;
}

int SingleInstance_Claim(std::function<void()> activate) {
    QString name = ServerName();
    QLocalServer* server = Listen(name);
    if (!server) {
        if (AskRunningInstance(name)) return 0;
        // No one answered: a socket file of a run that ended without cleaning up. Our own
        // listener, if any, is never removed.
        if (GServer) return 1;
        QLocalServer::removeServer(name);
        server = Listen(name);
        if (!server) return 1; // no socket: the editor still runs, alone
    }
    SingleInstance_Release();
    GServer = server;
    GActivate = std::move(activate);
    QObject::connect(server, &QLocalServer::newConnection, server, [server] { Accept(server); });
    return 1;
}

void SingleInstance_Release() {
    if (!GServer) return;
    GServer->close();
    GServer->deleteLater(); // may be called from inside its own activate
    GServer = nullptr;
    GActivate = nullptr;
}

int SingleInstance_IsListening() {
    return GServer && GServer->isListening() ? 1 : 0;
}

std::string SingleInstance_Key() {
    return KeyName().toStdString();
}

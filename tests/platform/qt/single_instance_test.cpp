// Single instance: the first claim listens, a later one (here from the same process, as a second
// start would) is refused and brings the first forward; a released claim can be made again, and
// a socket file left behind by a crashed run does not block the next start.
#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include "platform/qt/single_instance.h"

namespace {
template <typename Pred> bool WaitFor(Pred pred) {
    for (int i = 0; i < 400 && !pred(); ++i)
        QTest::qWait(5);
    return pred();
}
} // namespace

TEST(SingleInstance, LaterClaimAsksTheFirstToComeForward) {
    int activated = 0;
    ASSERT_EQ(SingleInstance_Claim([&] { ++activated; }), 1);
    EXPECT_EQ(activated, 0);

    EXPECT_EQ(SingleInstance_Claim([] { FAIL() << "a refused claim never listens"; }), 0);
    ASSERT_TRUE(WaitFor([&] { return activated == 1; }));
    EXPECT_EQ(SingleInstance_Claim([] {}), 0);
    ASSERT_TRUE(WaitFor([&] { return activated == 2; })); // once per request
    QTest::qWait(30);
    EXPECT_EQ(activated, 2);

    SingleInstance_Release();
    EXPECT_EQ(SingleInstance_Claim([] {}), 1);
    SingleInstance_Release();
    SingleInstance_Release(); // nothing left to release
}

TEST(SingleInstance, StaleSocketOfACrashedRunIsReplaced) {
    // Our listener's socket file is the one that appears in the session's runtime folder, or
    // in the temporary folder without one.
    QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QDir temp(runtime.isEmpty() ? QDir::tempPath() : runtime);
    QStringList before = temp.entryList({"mosaiko-*"}, QDir::System | QDir::Files);
    ASSERT_EQ(SingleInstance_Claim([] {}), 1);
    QStringList appeared;
    for (const QString& name : temp.entryList({"mosaiko-*"}, QDir::System | QDir::Files))
        if (!before.contains(name)) appeared << temp.filePath(name);
    SingleInstance_Release();
    // Other test programs running beside this one may listen there too: ours is the socket that
    // went with the release.
    QString path;
    for (const QString& candidate : appeared)
        if (!QFileInfo::exists(candidate)) path = candidate;
    ASSERT_FALSE(path.isEmpty());

    // A crashed run: a socket bound at that path and never unlinked, with no one listening.
    QByteArray bytes = QFile::encodeName(path);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    ASSERT_LT(static_cast<size_t>(bytes.size()), sizeof address.sun_path);
    memcpy(address.sun_path, bytes.constData(), static_cast<size_t>(bytes.size()));
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
    ASSERT_TRUE(QFileInfo::exists(path));

    int activated = 0;
    EXPECT_EQ(SingleInstance_Claim([&] { ++activated; }), 1);
    EXPECT_EQ(SingleInstance_Claim([] {}), 0); // and the new listener answers
    EXPECT_TRUE(WaitFor([&] { return activated == 1; }));
    SingleInstance_Release();
}

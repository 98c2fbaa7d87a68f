// The player on a private session bus, driven as a bus client drives it: method calls, property
// reads and writes, and the signals it sends, checked against the window and the fake engine.
#include <QBuffer>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <cstring>
#include <functional>
#include <optional>

#include "form1_fixture.h"
#include "mpris/media_player_service.h"
#include "player/playback.h"
#include "qt_main.h"

TONALISK_QT_TEST_MAIN

namespace {

const QString kPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kService = QStringLiteral("org.mpris.MediaPlayer2.tonalisk");

using Calls = std::vector<std::string>;

// What the client heard from the player, in order.
class SignalLog : public QObject {
    Q_OBJECT
public:
    std::vector<QVariantMap> changes; // one PropertiesChanged each
    std::vector<qlonglong> seeks;

public slots:
    void propertiesChanged(const QString& interface, const QVariantMap& changed,
                           const QStringList&) {
        EXPECT_EQ(interface, kPlayer);
        changes.push_back(changed);
    }
    void seeked(qlonglong position) { seeks.push_back(position); }
};

// A private bus daemon for the whole suite, listening in a folder of its own.
class PrivateBus {
public:
    PrivateBus() {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"),
                       QStringLiteral("--print-address"),
                       QStringLiteral("--address=unix:dir=") + folder_.path()});
        if (daemon_.waitForStarted(5000) && daemon_.waitForReadyRead(5000)) {
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
        }
    }
    ~PrivateBus() {
        daemon_.terminate();
        daemon_.waitForFinished(3000);
    }
    const QString& address() const { return address_; }

private:
    test_support::QtTempFolder folder_;
    QProcess daemon_;
    QString address_;
};

QVariantMap asMap(const QVariant& value) {
    return value.canConvert<QDBusArgument>() ? qdbus_cast<QVariantMap>(value) : value.toMap();
}

// The session's runtime folder ($XDG_RUNTIME_DIR) made at `path` for as long as this lives, or
// unset for an empty path; then as it was.
class RuntimeFolder {
public:
    explicit RuntimeFolder(const QString& path) {
        if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR"))
            before_ = qgetenv("XDG_RUNTIME_DIR");
        if (path.isEmpty()) {
            qunsetenv("XDG_RUNTIME_DIR");
        } else {
            QDir().mkpath(path);
            qputenv("XDG_RUNTIME_DIR", path.toLocal8Bit());
        }
    }
    ~RuntimeFolder() {
        if (before_)
            qputenv("XDG_RUNTIME_DIR", *before_);
        else
            qunsetenv("XDG_RUNTIME_DIR");
    }
    RuntimeFolder(const RuntimeFolder&) = delete;
    RuntimeFolder& operator=(const RuntimeFolder&) = delete;

private:
    std::optional<QByteArray> before_;
};

// A picture as a tagger embeds one: an image of a cover's size, in the given format. `seed`
// varies its pixels.
QByteArray imageBytes(const char* format, int seed = 0) {
    QImage image(300, 300, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x + seed) % 256, y % 256, (x * y + seed) % 256));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

class MediaPlayerBusTest : public form1_test::Form1Test {
protected:
    static void SetUpTestSuite() { bus = new PrivateBus; }
    static void TearDownTestSuite() {
        QDBusConnection::disconnectFromBus(QStringLiteral("player"));
        QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        delete bus;
    }

    void SetUp() override {
        Form1Test::SetUp();
        if (bus->address().isEmpty()) {
            GTEST_SKIP() << "no dbus-daemon to run a private bus";
        }
        fake::engine().mpegInfo.totalSeconds = 84;
        fake::engine().mpegInfo.totalMilliseconds = 83456;
        std::strcpy(fake::engine().tagInfo.title, "Morning");
        std::strcpy(fake::engine().tagInfo.artist, "The Band");
    }
    void TearDown() override {
        service.reset();
        playback.reset();
        Form1Test::TearDown();
    }

    static QDBusConnection connection(const QString& name) {
        return QDBusConnection::connectToBus(bus->address(), name);
    }
    static QDBusConnection client() { return connection(QStringLiteral("client")); }

    // Loads the window and puts it on the bus, with a client listening to its signals.
    player::Form1& start(const QStringList& files = {"a.mp3", "b.mp3"}) {
        service.reset();
        playback.reset();
        player::Form1& f = load(files);
        playback = std::make_unique<player::Playback>(f);
        service = std::make_unique<mpris::MediaPlayerService>(*playback, connection("player"));
        client().connect(kService, kPath, "org.freedesktop.DBus.Properties", "PropertiesChanged",
                         &heard, SLOT(propertiesChanged(QString, QVariantMap, QStringList)));
        client().connect(kService, kPath, kPlayer, "Seeked", &heard, SLOT(seeked(qlonglong)));
        heard.changes.clear();
        heard.seeks.clear();
        return f;
    }

    static QDBusPendingCall send(const QString& interface, const QString& method,
                                 const QVariantList& args = {}) {
        QDBusMessage message = QDBusMessage::createMethodCall(kService, kPath, interface, method);
        message.setArguments(args);
        return client().asyncCall(message);
    }
    static bool answered(const QDBusPendingCall& pending) {
        const QDeadlineTimer deadline(10000);
        while (!pending.isFinished() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return pending.isFinished();
    }
    // A method call through the bus; the window handles it while the reply is awaited.
    static QDBusMessage call(const QString& interface, const QString& method,
                             const QVariantList& args = {}) {
        QDBusPendingCall pending = send(interface, method, args);
        EXPECT_TRUE(answered(pending)) << method.toStdString();
        EXPECT_FALSE(pending.isError()) << pending.error().message().toStdString();
        // What the call queued for after its reply runs now; then a round trip, so that the
        // signals it sent (after the reply) have reached the log too.
        QCoreApplication::sendPostedEvents();
        roundTrip();
        return pending.reply();
    }
    // Whatever the player has sent by now has arrived: its next reply comes after it.
    static void roundTrip() {
        EXPECT_TRUE(answered(send("org.freedesktop.DBus.Properties", "Get",
                                  {kPlayer, QStringLiteral("PlaybackStatus")})));
        QCoreApplication::processEvents();
    }
    static QVariant get(const QString& interface, const QString& property) {
        const QDBusMessage reply =
            call("org.freedesktop.DBus.Properties", "Get", {interface, property});
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    static void set(const QString& property, const QVariant& value) {
        call("org.freedesktop.DBus.Properties", "Set",
             {kPlayer, property, QVariant::fromValue(QDBusVariant(value))});
    }
    static QVariantMap metadata() { return asMap(get(kPlayer, "Metadata")); }
    static QDBusObjectPath trackIdNow() {
        return metadata().value("mpris:trackid").value<QDBusObjectPath>();
    }

    // One tick of Timer1 as the timer raises it, with the engine answering state and seconds.
    void tickOnce(int32_t state, int32_t seconds) {
        fake::engine().state = state;
        fake::engine().seconds = seconds;
        emit form->Timer1.Tick();
        roundTrip();
    }

    static PrivateBus* bus;
    std::unique_ptr<player::Playback> playback;
    std::unique_ptr<mpris::MediaPlayerService> service;
    SignalLog heard;
};

PrivateBus* MediaPlayerBusTest::bus = nullptr;

TEST_F(MediaPlayerBusTest, NamesItselfAndWhatItCanDo) {
    start();
    EXPECT_EQ(service->serviceName(), kService);
    EXPECT_EQ(get(kRoot, "Identity").toString(), "Tonalisk");
    EXPECT_EQ(get(kRoot, "DesktopEntry").toString(), "io.github.tonalisk.Tonalisk");
    EXPECT_TRUE(get(kRoot, "CanQuit").toBool());
    EXPECT_TRUE(get(kRoot, "CanRaise").toBool());
    EXPECT_FALSE(get(kRoot, "HasTrackList").toBool());
    EXPECT_TRUE(get(kRoot, "SupportedUriSchemes").toStringList().isEmpty());
    EXPECT_TRUE(get(kRoot, "SupportedMimeTypes").toStringList().isEmpty());
    for (const char* can : {"CanGoNext", "CanPlay", "CanPause", "CanSeek", "CanControl"}) {
        EXPECT_TRUE(get(kPlayer, can).toBool()) << can;
    }
    EXPECT_FALSE(get(kPlayer, "CanGoPrevious").toBool());
    for (const char* rate : {"Rate", "MinimumRate", "MaximumRate"}) {
        EXPECT_EQ(get(kPlayer, rate).toDouble(), 1.0) << rate;
    }
}

// Panels show the player's icon for every track, from one file in the session's runtime folder
// that goes with the player; without a runtime folder there is no picture.
TEST_F(MediaPlayerBusTest, EveryTrackShowsTheIconFromOneFileInTheRuntimeFolder) {
    for (const bool withRuntime : {true, false}) {
        const QString runtime = folder.filePath(QStringLiteral("run"));
        const RuntimeFolder runtimeFolder(withRuntime ? runtime : QString());
        player::Form1& f = start();
        const QString art = metadata().value("mpris:artUrl").toString();
        f.Image1_Click();
        tickOnce(1, 0);
        EXPECT_EQ(metadata().value("mpris:trackid").value<QDBusObjectPath>().path(),
                  "/org/tonalisk/Track/2");
        EXPECT_EQ(metadata().value("mpris:artUrl").toString(), art) << "the same for each track";
        if (withRuntime) {
            const QString file = QUrl(art).toLocalFile();
            EXPECT_EQ(QFileInfo(file).absolutePath(), runtime);
            EXPECT_EQ(QImage(file).size(), QSize(48, 48)) << art.toStdString();
        } else {
            EXPECT_TRUE(art.isEmpty());
        }
        service.reset();
        EXPECT_TRUE(QDir(runtime).isEmpty()) << "the file goes with the player";
    }
}

// A track's embedded PNG or JPEG picture is what panels show, from a file of its own in the
// runtime folder that holds exactly its bytes, read once when the track comes. The next track
// shows its own picture or else the icon, and the last track's file is gone; bytes that are no
// PNG or JPEG image are never written.
TEST_F(MediaPlayerBusTest, ATracksEmbeddedPictureIsItsArtUntilTheNextTrack) {
    const QString runtime = folder.filePath(QStringLiteral("run"));
    const RuntimeFolder runtimeFolder(runtime);
    struct Track {
        const char* name;
        QByteArray picture;
        const char* suffix; // of the picture's file; none where the icon is shown
    };
    const QByteArray png = imageBytes("PNG");
    const Track tracks[] = {
        {"a PNG", png, ".png"},
        {"a JPEG", imageBytes("JPEG"), ".jpg"},
        {"another JPEG", imageBytes("JPEG", 1), ".jpg"},
        {"no picture", {}, nullptr},
        {"a BMP, an image of another format", imageBytes("BMP"), nullptr},
        {"text", "no picture at all", nullptr},
        {"a PNG's signature, cut short", png.left(6), nullptr},
        {"a PNG after the icon", png, ".png"},
    };
    uint64_t number = 0;
    for (const Track& track : tracks) {
        SCOPED_TRACE(track.name);
        fake::engine().picture = track.picture.toStdString();
        if (number++ == 0) {
            start();
        } else {
            form->Image1_Click();
            tickOnce(1, 0);
        }
        const size_t reads = fake::engine().callsNamed("vbmp3_getFilePicture").size();
        const QString file = QUrl(metadata().value("mpris:artUrl").toString()).toLocalFile();
        EXPECT_EQ(QFileInfo(file).absolutePath(), runtime);
        const QStringList pictureFiles =
            QDir(runtime).entryList({QStringLiteral("tonalisk-cover-*")}, QDir::Files);
        if (track.suffix != nullptr) {
            EXPECT_TRUE(file.endsWith(QLatin1String(track.suffix))) << file.toStdString();
            QFile written(file);
            ASSERT_TRUE(written.open(QIODevice::ReadOnly));
            EXPECT_EQ(written.readAll(), track.picture);
            EXPECT_EQ(pictureFiles, QStringList{QFileInfo(file).fileName()});
        } else {
            EXPECT_EQ(QImage(file).size(), QSize(48, 48)) << "the icon";
            EXPECT_TRUE(pictureFiles.isEmpty()) << pictureFiles.join(' ').toStdString();
        }
        EXPECT_EQ(metadata().value("mpris:trackid").value<QDBusObjectPath>().path(),
                  "/org/tonalisk/Track/" + QString::number(number));
        tickOnce(1, 1);
        tickOnce(1, 2);
        EXPECT_EQ(fake::engine().callsNamed("vbmp3_getFilePicture").size(), reads)
            << "not read again for the same track";
    }
    service.reset();
    EXPECT_TRUE(QDir(runtime).isEmpty()) << "the files go with the player";
}

TEST_F(MediaPlayerBusTest, ASecondPlayerTakesAnInstanceName) {
    start();
    const mpris::MediaPlayerService second(*playback, connection("second"));
    EXPECT_EQ(second.serviceName(),
              kService + ".instance" + QString::number(QCoreApplication::applicationPid()));
    QDBusConnection::disconnectFromBus(QStringLiteral("second"));
}

TEST_F(MediaPlayerBusTest, WithoutABusThePlayerRunsOffIt) {
    player::Form1& f = load({"a.mp3"});
    player::Playback face(f);
    const QString nowhere = "unix:path=" + folder.filePath("no-bus");
    const mpris::MediaPlayerService offBus(face, QDBusConnection::connectToBus(nowhere, "nowhere"));
    EXPECT_TRUE(offBus.serviceName().isEmpty());
    emit f.Timer1.Tick();
    EXPECT_EQ(f.StatusBar1.PanelText(2), "0:00");
    QDBusConnection::disconnectFromBus(QStringLiteral("nowhere"));
}

TEST_F(MediaPlayerBusTest, MetadataIsTheStartedTrackAndChangesWithIt) {
    player::Form1& f = start();
    QVariantMap m = metadata();
    EXPECT_EQ(m.value("xesam:title").toString(), "Morning");
    EXPECT_EQ(m.value("xesam:artist").toStringList(), QStringList{"The Band"});
    EXPECT_EQ(m.value("mpris:length").toLongLong(), 83456000);
    EXPECT_EQ(m.value("xesam:url").toString(),
              QUrl::fromLocalFile(f.state().currentFile).toString());
    const QDBusObjectPath first = m.value("mpris:trackid").value<QDBusObjectPath>();
    EXPECT_EQ(first.path(), "/org/tonalisk/Track/1");

    std::strcpy(fake::engine().tagInfo.title, "");
    const int16_t other = static_cast<int16_t>(1 - f.File1.ListIndex());
    f.File1.setListIndex(other); // the other file, as the list's own click would choose it
    f.File1_Click();
    EXPECT_EQ(metadata().value("mpris:trackid").value<QDBusObjectPath>(), first)
        << "the bus tells of a new track at the tick that sees it";
    tickOnce(1, 0);
    ASSERT_EQ(heard.changes.size(), 1u);
    EXPECT_EQ(QStringList(heard.changes[0].keys()), (QStringList{"Metadata", "PlaybackStatus"}));
    m = asMap(heard.changes[0].value("Metadata"));
    EXPECT_EQ(m.value("xesam:title").toString(), other == 0 ? "a" : "b") << "untitled: its name";
    EXPECT_EQ(m.value("mpris:trackid").value<QDBusObjectPath>().path(), "/org/tonalisk/Track/2");
    EXPECT_EQ(metadata(), m);
}

// The length that the engine corrects after the open reaches the bus at the tick that takes it.
TEST_F(MediaPlayerBusTest, ALengthCorrectedAfterTheOpenIsToldOnceAtTheTick) {
    start();
    tickOnce(1, 3);
    heard.changes.clear();
    fake::engine().mpegInfo.totalSeconds = 1211;
    fake::engine().mpegInfo.totalMilliseconds = 1210500;
    tickOnce(1, 4);
    tickOnce(1, 5);
    ASSERT_EQ(heard.changes.size(), 1u);
    EXPECT_EQ(QStringList(heard.changes[0].keys()), QStringList{"Metadata"});
    const QVariantMap m = asMap(heard.changes[0].value("Metadata"));
    EXPECT_EQ(m.value("mpris:length").toLongLong(), 1210500000);
    EXPECT_EQ(m.value("mpris:trackid").value<QDBusObjectPath>().path(), "/org/tonalisk/Track/1");
    EXPECT_EQ(metadata(), m);
}

TEST_F(MediaPlayerBusTest, StatusFollowsThePolledStateOnceATickAndOnlyOnChange) {
    start();
    EXPECT_EQ(get(kPlayer, "PlaybackStatus").toString(), "Stopped") << "no tick polled yet";
    tickOnce(1, 3);
    EXPECT_EQ(get(kPlayer, "PlaybackStatus").toString(), "Playing");
    tickOnce(1, 3);
    tickOnce(1, 4);
    tickOnce(2, 4);
    EXPECT_EQ(get(kPlayer, "PlaybackStatus").toString(), "Paused");
    tickOnce(7, 4); // the status bar shows any other state as paused; so does the bus
    tickOnce(0, 0);
    ASSERT_EQ(heard.changes.size(), 3u) << "quiet ticks send nothing";
    EXPECT_EQ(heard.changes[0], (QVariantMap{{"PlaybackStatus", "Playing"}}));
    EXPECT_EQ(heard.changes[1], (QVariantMap{{"PlaybackStatus", "Paused"}}));
    EXPECT_EQ(heard.changes[2], (QVariantMap{{"PlaybackStatus", "Stopped"}}));
    EXPECT_TRUE(heard.seeks.empty());
}

TEST_F(MediaPlayerBusTest, PlayPauseAndStopDoWhatTheButtonsDoInEachState) {
    start();
    struct Case {
        int32_t state;
        const char* method;
        Calls expected;
    };
    for (const Case& c :
         {Case{0, "Play", {"vbmp3_play()"}}, Case{0, "Pause", {}},
          Case{0, "PlayPause", {"vbmp3_play()"}}, Case{1, "Play", {}},
          Case{1, "Pause", {"vbmp3_pause()"}}, Case{1, "PlayPause", {"vbmp3_pause()"}},
          Case{2, "Play", {"vbmp3_restart()"}}, Case{2, "Pause", {}},
          Case{2, "PlayPause", {"vbmp3_restart()"}}, Case{1, "Stop", {"vbmp3_stop()"}},
          Case{2, "Stop", {"vbmp3_stop()"}}}) {
        tickOnce(c.state, 5);
        calls().clear();
        call(kPlayer, c.method);
        EXPECT_EQ(commands(), c.expected) << c.method << " in state " << c.state;
    }
    calls().clear();
    call(kPlayer, "Previous");
    call(kPlayer, "OpenUri", {"file:///elsewhere/x.mp3"});
    EXPECT_EQ(commands(), Calls{});
}

TEST_F(MediaPlayerBusTest, NextIsTheRandomTrackButton) {
    player::Form1& f = start({"only.mp3"});
    f.setWindowTitle("Tonalisk");
    calls().clear();
    call(kPlayer, "Next");
    Calls expected{"vbmp3_close()"};
    for (const std::string& c : startOf("only.mp3"))
        expected.push_back(c);
    EXPECT_EQ(commands(), expected);
    EXPECT_EQ(f.windowTitle(), "only");
}

TEST_F(MediaPlayerBusTest, SeekAndSetPositionMoveTheSeekBarAsADragDoes) {
    player::Form1& f = start();
    tickOnce(1, 10);
    EXPECT_EQ(get(kPlayer, "Position").toLongLong(), 10'000'000);
    const QDBusObjectPath id = metadata().value("mpris:trackid").value<QDBusObjectPath>();
    calls().clear();
    call(kPlayer, "Seek", {qlonglong{5'400'000}});
    EXPECT_EQ(f.scSeek.Value(), 15);
    EXPECT_EQ(f.state().playSeconds, 15);
    EXPECT_EQ(get(kPlayer, "Position").toLongLong(), 15'000'000);
    call(kPlayer, "Seek", {qlonglong{-60'000'000}});
    EXPECT_EQ(f.scSeek.Value(), 0);
    call(kPlayer, "SetPosition", {QVariant::fromValue(id), qlonglong{42'000'000}});
    EXPECT_EQ(f.scSeek.Value(), 42);
    EXPECT_EQ(commands(), (Calls{"vbmp3_seek(15)", "vbmp3_seek(0)", "vbmp3_seek(42)"}));
    EXPECT_EQ(heard.seeks, (std::vector<qlonglong>{15'000'000, 0, 42'000'000}));

    // The standard's refusals: another track's id, a position before the start or past the end.
    calls().clear();
    call(kPlayer, "SetPosition",
         {QVariant::fromValue(QDBusObjectPath("/org/tonalisk/Track/99")), qlonglong{5'000'000}});
    call(kPlayer, "SetPosition", {QVariant::fromValue(id), qlonglong{-1}});
    call(kPlayer, "SetPosition", {QVariant::fromValue(id), qlonglong{83'456'001}});
    EXPECT_EQ(commands(), Calls{});
    EXPECT_EQ(f.scSeek.Value(), 42);

    tickOnce(1, 42);
    tickOnce(1, 43);
    EXPECT_EQ(heard.seeks.size(), 3u) << "a tick after the bus's own seek is no further seek";
    call(kPlayer, "Seek", {qlonglong{60'000'000}}); // 43 + 60 s lies past the 83.5 s track
    EXPECT_EQ(fake::engine().callsNamed("vbmp3_close").size(), 1u) << "on to a next track";
    EXPECT_TRUE(fake::engine().callsNamed("vbmp3_seek").empty());
}

TEST_F(MediaPlayerBusTest, AHundredHourTrackIsSeekableToItsLastHours) {
    fake::engine().mpegInfo.totalSeconds = 360'000;
    fake::engine().mpegInfo.totalMilliseconds = 360'000'000;
    player::Form1& f = start({"a.mp3"});
    EXPECT_EQ(metadata().value("mpris:length").toLongLong(), 360'000'000'000);
    const QDBusObjectPath id = metadata().value("mpris:trackid").value<QDBusObjectPath>();
    calls().clear();
    call(kPlayer, "SetPosition", {QVariant::fromValue(id), qlonglong{324'000'000'000}});
    EXPECT_EQ(commands(), Calls{"vbmp3_seek(324000)"});
    EXPECT_EQ(f.scSeek.Value(), 324'000);
    tickOnce(1, 324'001);
    EXPECT_EQ(get(kPlayer, "Position").toLongLong(), 324'001'000'000);
}

TEST_F(MediaPlayerBusTest, ASeekInTheWindowIsToldAsSeeked) {
    start();
    tickOnce(1, 10);
    tickOnce(1, 11);
    tickOnce(1, 30); // the window's seek bar was dragged between two ticks
    tickOnce(1, 30);
    tickOnce(1, 2);
    tickOnce(2, 2);
    tickOnce(2, 20); // paused, yet moved
    EXPECT_EQ(heard.seeks, (std::vector<qlonglong>{30'000'000, 2'000'000, 20'000'000}));
}

TEST_F(MediaPlayerBusTest, VolumeIsTheSliderBothWays) {
    player::Form1& f = start();
    EXPECT_EQ(get(kPlayer, "Volume").toDouble(), 0.5);
    calls().clear();
    set("Volume", 0.3);
    EXPECT_EQ(f.Slider1.Value(), 30);
    set("Volume", 0.3);
    set("Volume", 1.7);
    EXPECT_EQ(f.Slider1.Value(), 100);
    set("Volume", -1.0);
    EXPECT_EQ(commands(), (Calls{"vbmp3_setVolume(30,30)", "vbmp3_setVolume(100,100)",
                                 "vbmp3_setVolume(0,0)"}));
    tickOnce(0, 0);
    ASSERT_EQ(heard.changes.size(), 1u);
    EXPECT_EQ(heard.changes[0], (QVariantMap{{"Volume", 0.0}}));

    f.Slider1.setFocus();
    QTest::keyClick(&f.Slider1, Qt::Key_End); // the user's own move
    tickOnce(0, 0);
    ASSERT_EQ(heard.changes.size(), 2u);
    EXPECT_EQ(heard.changes[1], (QVariantMap{{"Volume", 1.0}}));
    EXPECT_EQ(get(kPlayer, "Volume").toDouble(), 1.0);
}

TEST_F(MediaPlayerBusTest, NoCommandReachesTheWindowWhileItsBoxIsUp) {
    player::Form1& f = start();
    f.show();
    tickOnce(1, 10);
    fake::engine().openResult = 0;
    Calls duringBox;
    onBox = [&] {
        const size_t before = calls().size();
        call(kPlayer, "PlayPause");
        call(kPlayer, "Stop");
        call(kPlayer, "Next");
        call(kPlayer, "Seek", {qlonglong{5'000'000}});
        set("Volume", 0.2);
        duringBox.assign(calls().begin() + static_cast<std::ptrdiff_t>(before), calls().end());
    };
    call(kPlayer, "Next"); // the drawn file does not open: the window's "Open Error" box
    EXPECT_EQ(duringBox, Calls{});
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.Slider1.Value(), 50);
}

TEST_F(MediaPlayerBusTest, SetPositionRefusesTheTrackBeforeANewOneEvenBeforeATick) {
    const std::vector<std::pair<const char*, std::function<void(player::Form1&)>>> newTrack{
        {"Next on the bus", [](player::Form1&) { call(kPlayer, "Next"); }},
        {"the random button",
         [](player::Form1& f) { QTest::mouseClick(&f.Image1, Qt::LeftButton); }},
    };
    for (const auto& [how, startNewTrack] : newTrack) {
        player::Form1& f = start();
        tickOnce(1, 10);
        const QDBusObjectPath before = trackIdNow();
        startNewTrack(f);
        calls().clear();
        call(kPlayer, "SetPosition", {QVariant::fromValue(before), qlonglong{20'000'000}});
        EXPECT_EQ(commands(), Calls{}) << how;
        tickOnce(1, 0);
        ASSERT_NE(trackIdNow(), before) << how;
        call(kPlayer, "SetPosition", {QVariant::fromValue(trackIdNow()), qlonglong{20'000'000}});
        EXPECT_EQ(commands(), Calls{"vbmp3_seek(20)"}) << how;
    }
}

// The window's "Open Error" box is modal and waits for the user. A bus call never does: each call
// made while the box is up is answered at once and reaches no engine call, and Quit takes the box
// down and ends the player as the close box does.
TEST_F(MediaPlayerBusTest, WhileTheWindowsBoxIsUpEveryCallAnswersAtOnce) {
    const QVariant quiet = QVariant::fromValue(QDBusVariant(0.2));
    struct Row {
        QString trigger; // the call that brings the box up
        QVariantList triggerArgs;
        QString interface;
        QString method; // called while the box is up
        QVariantList args;
    };
    const QVariantList pastTheEnd{qlonglong{600'000'000}};
    const std::vector<Row> rows{
        {"Next", {}, kPlayer, "PlayPause", {}},
        {"Next", {}, kPlayer, "Stop", {}},
        {"Next", {}, kPlayer, "Next", {}},
        {"Next", {}, kPlayer, "Seek", {qlonglong{5'000'000}}},
        {"Next", {}, "org.freedesktop.DBus.Properties", "Set", {kPlayer, "Volume", quiet}},
        {"Next", {}, "org.freedesktop.DBus.Properties", "Get", {kPlayer, "Metadata"}},
        {"Seek", pastTheEnd, kPlayer, "Play", {}},
        {"Seek", pastTheEnd, kRoot, "Quit", {}},
        {"Next", {}, kRoot, "Quit", {}},
    };
    for (const Row& row : rows) {
        const std::string name = (row.trigger + " then " + row.method).toStdString();
        fake::engine().openResult = 1;
        player::Form1& f = start();
        f.show();
        tickOnce(1, 10);
        fake::engine().openResult = 0;
        onBox = [] { platform::presentMsgBox(QStringLiteral("Open Error"), QString()); }; // real
        const bool quits = row.method == "Quit";
        QDBusPendingCall pendingTrigger = QDBusPendingCall::fromError(QDBusError());
        bool ran = false;
        bool triggerAnswered = false;
        Calls duringBox;
        QTimer watch; // runs the row once inside the box's own loop, and takes a stuck box down
        QDeadlineTimer stuck(15000);
        watch.callOnTimeout([&] {
            auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!box || ran) {
                if (box && stuck.hasExpired()) {
                    box->reject();
                }
                return;
            }
            ran = true;
            triggerAnswered = answered(pendingTrigger);
            calls().clear();
            call(row.interface, row.method, row.args);
            duringBox = commands();
            stuck.setRemainingTime(5000);
            if (!quits) {
                QTest::keyClick(box, Qt::Key_Return); // the user's OK
            }
        });
        watch.start(20);
        pendingTrigger = send(kPlayer, row.trigger, row.triggerArgs);
        EXPECT_TRUE(answered(pendingTrigger)) << name;
        const QDeadlineTimer deadline(20000);
        while (QApplication::activeModalWidget() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        EXPECT_TRUE(ran) << name << ": no box";
        EXPECT_FALSE(stuck.hasExpired()) << name << ": the box stayed up";
        EXPECT_TRUE(triggerAnswered) << name << ": the call that brought the box up waited for it";
        EXPECT_EQ(duringBox, Calls{}) << name;
        if (quits) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return !f.isVisible(); }, 5000)) << name;
            EXPECT_EQ(fake::engine().callsNamed("vbmp3_free").size(), 1u) << name;
        } else {
            EXPECT_TRUE(f.isVisible()) << name;
            EXPECT_EQ(f.Slider1.Value(), 50) << name;
        }
    }
}

TEST_F(MediaPlayerBusTest, WithNothingToPlayItCanNeitherPlayNorGoNext) {
    start({});
    EXPECT_FALSE(get(kPlayer, "CanGoNext").toBool());
    EXPECT_FALSE(get(kPlayer, "CanPlay").toBool());
    calls().clear();
    call(kPlayer, "Next");
    call(kPlayer, "Play");
    EXPECT_EQ(commands(), Calls{});
    EXPECT_TRUE(boxes.empty());

    // A folder without music chosen while a track plays: that track can still play, no next can.
    player::Form1& f = start();
    tickOnce(1, 3);
    heard.changes.clear();
    test_support::QtTempFolder empty;
    f.File1.setPath(empty.path()); // as the folder window's OK sets it
    tickOnce(1, 4);
    ASSERT_EQ(heard.changes.size(), 1u);
    EXPECT_EQ(heard.changes[0], (QVariantMap{{"CanGoNext", false}}));
    EXPECT_TRUE(get(kPlayer, "CanPlay").toBool());
}

TEST_F(MediaPlayerBusTest, RaiseShowsTheWindowAndQuitClosesItAsItsCloseBox) {
    player::Form1& f = start();
    f.showMinimized();
    call(kRoot, "Raise");
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(f.windowState() & Qt::WindowMinimized);
    calls().clear();
    call(kRoot, "Quit");
    EXPECT_FALSE(f.isVisible());
    EXPECT_EQ(commands(), Calls{"vbmp3_free()"});
}

} // namespace

#include "media_player_bus_test.moc"

#pragma once

#include <QDBusAbstractAdaptor>
#include <QStringList>

#include "platform/desktop_identity.h"

namespace player {
class Playback;
}

namespace mpris {

// org.mpris.MediaPlayer2: who the player is, and raising or closing its window; answered at once,
// done right after the answer.
class RootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(QString Identity READ identity CONSTANT)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry CONSTANT)
    Q_PROPERTY(bool CanQuit READ yes CONSTANT)
    Q_PROPERTY(bool CanRaise READ yes CONSTANT)
    Q_PROPERTY(bool HasTrackList READ no CONSTANT)
    Q_PROPERTY(QStringList SupportedUriSchemes READ none CONSTANT)
    Q_PROPERTY(QStringList SupportedMimeTypes READ none CONSTANT)
public:
    RootAdaptor(QObject* parent, player::Playback& playback);

    QString identity() const { return QStringLiteral("Tonalisk"); }
    QString desktopEntry() const { return QString::fromLatin1(platform::kDesktopFileId); }
    bool yes() const { return true; }
    bool no() const { return false; }
    // The player takes no files from outside: it plays the folder it lists.
    QStringList none() const { return {}; }

public slots:
    void Raise();
    void Quit();

private:
    player::Playback& playback_;
};

} // namespace mpris

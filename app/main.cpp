#include <QApplication>
#include <QDBusConnection>
#include <clocale>

#include "mpris/media_player_service.h"
#include "player/form1.h"
#include "player/playback.h"
#include "player/program_folder.h"

int main(int argc, char* argv[]) {
    // The engine takes 8-bit paths in the locale's character set.
    std::setlocale(LC_CTYPE, "");
    QApplication application(argc, argv);
    player::Form1 form(player::programFolder(QByteArray(argv[0])), player::Surroundings{});
    player::Playback playback(form);
    // On the bus before the first track starts: a file that will not open holds its box up until
    // the user answers it, and media keys and panels must reach the player meanwhile.
    const mpris::MediaPlayerService mediaPlayer(playback, QDBusConnection::sessionBus());
    form.load();
    form.show();
    return application.exec();
}

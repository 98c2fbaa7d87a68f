"""The player's window as a screen reader reads it over the accessibility bus (AT-SPI). The
process must use the desktop's session bus (DBUS_SESSION_BUS_ADDRESS) before the first call."""
from .player import wait_until

# The status bar's first panel for each state of the engine, as the window last polled it.
PLAYING = "現在の状況：再生中"
PAUSED = "現在の状況：一時停止中"
STOPPED = "現在の状況：停止中"


def status_bar():
    """The player's status bar, or None while the player is not on the bus."""
    import pyatspi  # only once the bus is known: it connects when imported

    app = next((a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "tonalisk"), None)
    # Breadth first: the bar is the window's child, found before the list's every entry is read.
    return app and pyatspi.findDescendant(
        app, lambda node: node.getRole() == pyatspi.ROLE_STATUS_BAR, breadth_first=True)


def status_bar_says(text, timeout=5.0):
    """True once the status bar says `text`, within `timeout` seconds."""
    bar = status_bar()
    return bar is not None and wait_until(lambda: text in bar.queryText().getText(0, -1), timeout)

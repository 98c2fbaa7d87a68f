"""The Debian package as a user gets it: built, unpacked into a scratch root (never installed into
the system), its menu entry, icon, copyright, desktop identity and library lookup checked, and the unpacked player started the
way the menu starts it and the way the user guide tells people to play their own music."""
import glob
import os
import shutil
import struct
import subprocess
import tempfile
import time
import unittest

from harness import audio
from harness.audio import Track
from harness.desktop import Desktop

BIN = os.environ["TONALISK_BIN"]  # the build's bin folder, for make_test_tone
APP_FOLDER = "usr/lib/tonalisk"
ENTRY = "usr/share/applications/io.github.tonalisk.Tonalisk.desktop"
ICON = "usr/share/icons/hicolor/48x48/apps/tonalisk.png"
APP_ID = "io.github.tonalisk.Tonalisk"  # the menu entry's id, which every face of the player bears
FIRST_SOUND_WITHIN = 5.0  # seconds from launch


def run(args):
    result = subprocess.run(args, capture_output=True, text=True)
    if result.returncode != 0:
        raise RuntimeError(f"{args} failed:\n{result.stdout}{result.stderr}")
    return result.stdout


def entry_fields(path):
    with open(path, encoding="utf-8") as f:
        return dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)


def package_of(library):
    """Names of the installed packages that hold a file called `library`."""
    found = subprocess.run(["dpkg-query", "-S", "*/" + library], capture_output=True, text=True)
    return {owner.split(":")[0] for line in found.stdout.splitlines()
            for owner in line.split(": ")[0].split(", ")}


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="tonalisk-install-")
        cls.addClassCleanup(shutil.rmtree, cls.tmp, ignore_errors=True)
        out = os.path.join(cls.tmp, "package")
        run([os.environ["TONALISK_CPACK"], "--config", os.environ["TONALISK_CPACK_CONFIG"], "-B", out])
        debs = glob.glob(os.path.join(out, "*.deb"))
        assert len(debs) == 1, f"expected one package, got {debs}"
        cls.deb = debs[0]
        cls.root = os.path.join(cls.tmp, "root")
        run(["dpkg-deb", "-x", cls.deb, cls.root])
        cls.entry = entry_fields(os.path.join(cls.root, ENTRY))
        cls.desktop = Desktop(cls.tmp).__enter__()
        cls.addClassCleanup(cls.desktop.__exit__, None, None, None)
        cls.rec = cls.desktop.record(os.path.join(cls.tmp, "capture.raw"))

    def unpacked(self, path):
        return os.path.join(self.root, path.lstrip("/"))

    def menu_executable(self):
        """The unpacked file that the menu entry starts."""
        exec_line = self.entry["Exec"]
        self.assertTrue(os.path.isabs(exec_line) and " " not in exec_line, exec_line)
        return self.unpacked(exec_line)

    def test_menu_entry_is_valid(self):
        result = subprocess.run(["desktop-file-validate", os.path.join(self.root, ENTRY)],
                                capture_output=True, text=True)
        problems = [line for line in result.stdout.splitlines() if "hint:" not in line]
        self.assertEqual((result.returncode, problems), (0, []), result.stdout + result.stderr)
        self.assertEqual(self.entry["Terminal"], "false")

    def test_menu_entry_starts_the_packaged_player_beside_its_music(self):
        executable = self.menu_executable()
        self.assertTrue(os.access(executable, os.X_OK), executable)
        beside = os.listdir(os.path.dirname(executable))
        for ext in (".mid", ".wav", ".mp3", ".wma"):
            self.assertTrue(any(name.endswith(ext) for name in beside), (ext, beside))

    def test_icon_is_the_48_pixel_png_the_entry_names(self):
        self.assertEqual(self.entry["Icon"], "tonalisk")
        with open(os.path.join(self.root, ICON), "rb") as f:
            head = f.read(24)
        self.assertEqual(head[:8], b"\x89PNG\r\n\x1a\n")
        self.assertEqual(struct.unpack(">II", head[16:24]), (48, 48))
        # Every size a desktop asks for, each as large as its folder says, and a scalable one.
        for size in (16, 22, 24, 32, 64, 128, 256):
            with open(self.unpacked(ICON.replace("48x48", f"{size}x{size}")), "rb") as f:
                self.assertEqual(struct.unpack(">II", f.read(24)[16:24]), (size, size))
        self.assertTrue(os.path.isfile(self.unpacked(
            "usr/share/icons/hicolor/scalable/apps/tonalisk.svg")))

    def test_software_centres_find_the_player_by_its_menu_entry(self):
        metainfo = self.unpacked("usr/share/metainfo/io.github.tonalisk.Tonalisk.metainfo.xml")
        result = subprocess.run(["appstreamcli", "validate", "--no-net", metainfo],
                                capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        with open(metainfo, encoding="utf-8") as f:
            self.assertIn(f"<launchable type=\"desktop-id\">{os.path.basename(ENTRY)}<", f.read())

    def test_engine_is_found_inside_the_package(self):
        libraries = run(["ldd", self.menu_executable()])
        self.assertNotIn("not found", libraries)
        found = [line.split("=>")[1].split()[0] for line in libraries.splitlines()
                 if line.split() and line.split()[0] == "libvbmp3.so"]
        engine = os.path.join(self.root, APP_FOLDER, "libvbmp3.so")
        self.assertEqual([os.path.realpath(p) for p in found], [os.path.realpath(engine)], libraries)

    def test_every_linked_library_comes_from_a_dependency(self):
        depends = run(["dpkg-deb", "-f", self.deb, "Depends"])
        named = {alt.split("(")[0].strip() for part in depends.split(",") for alt in part.split("|")}
        folder = os.path.join(self.root, APP_FOLDER)
        for binary in ("tonalisk", "libvbmp3.so", "vbmp3-decoder"):
            dynamic = run(["readelf", "-d", os.path.join(folder, binary)])
            for line in dynamic.splitlines():
                if "(NEEDED)" in line:
                    library = line.split("[")[1].rstrip("]")
                    if library != "libvbmp3.so":
                        self.assertTrue(package_of(library) & named, (binary, library, depends))

    def test_carries_its_copyright_file(self):
        with open(self.unpacked("usr/share/doc/tonalisk/copyright"), encoding="utf-8") as f:
            text = f.read()
        self.assertTrue(text.startswith("Format: https://www.debian.org/doc/packaging-manuals/"))
        self.assertIn("Upstream-Name: Tonalisk", text)

    def test_one_desktop_identity_for_the_entry_the_window_and_the_bus(self):
        self.assertEqual(os.path.basename(ENTRY), APP_ID + ".desktop")
        self.assertEqual(self.entry["StartupWMClass"], APP_ID)
        if "no-session-bus" in self.desktop.env["DBUS_SESSION_BUS_ADDRESS"]:
            self.desktop.start_session_bus()
        home = os.path.join(self.tmp, "home")
        os.makedirs(home, exist_ok=True)
        self.assertIsNotNone(self.launch([self.menu_executable()], home))
        window = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name",
                                 "^Tonalisk$"], env=self.desktop.env, capture_output=True,
                                text=True, timeout=20).stdout.split()[0]
        wm_class = run(["xprop", "-display", self.desktop.env["DISPLAY"], "-id", window,
                        "WM_CLASS"])
        self.assertEqual(wm_class.split("=", 1)[1].strip(), f'"{APP_ID}", "{APP_ID}"')

        def bus(*args):
            return subprocess.run(["playerctl", "-p", "tonalisk", *args], env=self.desktop.env,
                                  capture_output=True, text=True, timeout=10).stdout.strip()
        entry = subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.mpris.MediaPlayer2.tonalisk",
             "/org/mpris/MediaPlayer2", "org.freedesktop.DBus.Properties.Get",
             "string:org.mpris.MediaPlayer2", "string:DesktopEntry"],
            env=self.desktop.env, capture_output=True, text=True, timeout=10).stdout
        self.assertIn(f'string "{APP_ID}"', entry)
        art = ""
        deadline = time.monotonic() + 10
        while not art and time.monotonic() < deadline:
            art = bus("metadata", "mpris:artUrl")
            time.sleep(0.2)
        self.assertTrue(art.startswith("file://" + self.desktop.env["XDG_RUNTIME_DIR"]), art)
        with open(art[len("file://"):], "rb") as picture:
            self.assertEqual(picture.read(8), b"\x89PNG\r\n\x1a\n")

    def test_the_wayland_app_id_is_the_entrys_id(self):
        runtime = self.desktop.env["XDG_RUNTIME_DIR"]
        os.chmod(runtime, 0o700)
        env = dict(self.desktop.env, QT_QPA_PLATFORM="wayland", WAYLAND_DISPLAY="wayland-install",
                   WAYLAND_DEBUG="1")
        env.pop("DISPLAY")
        weston = subprocess.Popen(["weston", "--backend=headless-backend.so",
                                   "--socket=wayland-install", "--idle-time=0"],
                                  env=self.desktop.env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        self.desktop.procs.append(weston)
        deadline = time.monotonic() + 10
        while not os.path.exists(os.path.join(runtime, "wayland-install")):
            self.assertLess(time.monotonic(), deadline, "weston did not start")
            time.sleep(0.1)
        home = os.path.join(self.tmp, "home")
        os.makedirs(home, exist_ok=True)
        player = subprocess.Popen([self.menu_executable()], cwd=home, env=env,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        self.desktop.procs.append(player)
        time.sleep(3)
        player.kill()
        protocol = player.communicate(timeout=10)[1]
        self.assertIn(f'set_app_id("{APP_ID}")', protocol)

    def test_recommends_the_wayland_plugin(self):
        self.assertEqual(run(["dpkg-deb", "-f", self.deb, "Recommends"]).strip(), "qt6-wayland")

    def launch(self, args, cwd):
        """Starts the unpacked player; returns the recording time of its first sound, or None."""
        launched = self.rec.now()
        player = self.desktop.start(args, cwd)
        self.addCleanup(self.stop, player)
        heard = None
        while heard is None and self.rec.now() < launched + FIRST_SOUND_WITHIN:
            time.sleep(0.2)
            heard = audio.first_sound(self.rec.samples(), launched)
        if player.poll() is not None:
            self.fail("the player quit: " + player.stdout.read().decode(errors="replace"))
        return heard

    @staticmethod
    def stop(player):
        player.kill()  # the sound library turns SIGTERM into a quit event that nothing reads
        player.wait()

    def test_first_start_from_the_menu_plays_the_demo_tracks(self):
        home = os.path.join(self.tmp, "home")
        os.makedirs(home, exist_ok=True)
        heard = self.launch([self.menu_executable()], home)
        self.assertIsNotNone(heard, "the packaged player played nothing")

    def test_a_link_in_a_music_folder_plays_that_folder(self):
        music = os.path.join(self.tmp, "music")
        os.makedirs(music, exist_ok=True)
        own = Track("own.wav", "wav", 1600, 10)
        run([os.path.join(BIN, "make_test_tone"), os.path.join(music, own.name), own.kind,
             str(own.base), str(own.seconds)])
        os.symlink(self.menu_executable(), os.path.join(music, "tonalisk"))
        heard = self.launch(["./tonalisk"], music)
        self.assertIsNotNone(heard, "the linked player played nothing")
        while self.rec.now() < heard + 1.0:
            time.sleep(0.1)
        spans = audio.windows(self.rec.samples(), heard, heard + 1.0)
        ours = [w for w in spans if own.second_of(w[2]) is not None]
        self.assertGreater(len(ours), 0.8 * len(spans), "the linked player played other music")


if __name__ == "__main__":
    unittest.main(verbosity=2)

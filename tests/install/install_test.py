# What a user gets from `cmake --install` and the Debian package, checked with the tools the
# desktop and Debian check them with; and which folder a run keeps its list in. Each test installs
# what is built into a temporary DESTDIR under /usr, as the package does; nothing is rebuilt.
import gzip
import os
import re
import shlex
import subprocess
import sys
import tempfile
import unittest

BUILD = os.environ["TARVEX_BUILD_DIR"]
SOURCE = os.environ["TARVEX_SOURCE_DIR"]
APP = "org.tarvex.Tarvex"
NO_DISPLAY = {k: v for k, v in os.environ.items()
              if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}


def run(args, **kw):
    return subprocess.run(args, capture_output=True, text=True, timeout=120, **kw)


def options(text):
    return set(re.findall(r"(?<![\w-])--[a-z][a-z-]*[a-z]", text))


class Installed(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.root = os.path.join(self.tmp.name, "root")
        done = run(["cmake", "--install", BUILD, "--prefix", "/usr"],
                   env={**os.environ, "DESTDIR": self.root})
        self.assertEqual(done.returncode, 0, done.stderr)

    def tearDown(self):
        self.tmp.cleanup()

    def path(self, relative):
        return os.path.join(self.root, "usr", relative)

    def test_every_file_is_installed_and_valid(self):
        expected = ["bin/tarvex", "bin/tarvex-ampsim", "lib/systemd/user/tarvex.service",
                    f"share/applications/{APP}.desktop", f"share/metainfo/{APP}.metainfo.xml",
                    f"share/icons/hicolor/scalable/apps/{APP}.svg",
                    "share/man/man1/tarvex.1.gz", "share/man/man1/tarvex-ampsim.1.gz",
                    "share/doc/tarvex/copyright", "share/doc/tarvex/changelog.gz",
                    "share/doc/tarvex/examples/60-tarvex-amplifier.rules"]
        expected += [f"share/icons/hicolor/{n}x{n}/apps/{APP}.png" for n in (16, 32, 48, 256)]
        self.assertEqual([f for f in expected if not os.path.isfile(self.path(f))], [])
        for tool in (["desktop-file-validate", self.path(f"share/applications/{APP}.desktop")],
                     ["appstreamcli", "validate", "--no-net",
                      self.path(f"share/metainfo/{APP}.metainfo.xml")]):
            done = run(tool)
            self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        # The unit starts the program where this prefix put it, on the per-user list.
        with open(self.path("lib/systemd/user/tarvex.service")) as f:
            self.assertIn("ExecStart=/usr/bin/tarvex --headless --user-data\n", f.read())
        # The newest release the software centre shows is the version that runs.
        version = run([self.path("bin/tarvex"), "--version"], env=NO_DISPLAY).stdout.split()[-1]
        with open(self.path(f"share/metainfo/{APP}.metainfo.xml")) as f:
            self.assertEqual(re.search(r'<release version="([^"]+)"', f.read())[1], version)

    def test_manual_pages_and_help_name_the_same_options(self):
        for program in ("tarvex-ampsim", "tarvex"):  # tarvex's help is checked on below
            help_text = run([self.path(f"bin/{program}"), "--help"], env=NO_DISPLAY).stdout
            page = run(["man", "-l", "-P", "cat", self.path(f"share/man/man1/{program}.1.gz")],
                       env={**os.environ, "MANWIDTH": "2000"}).stdout
            listed = options(help_text.split("Options:")[1])
            self.assertGreater(len(listed), 3, help_text)
            self.assertEqual(options(re.search(r"\nOPTIONS\n(.*?)\n[A-Z]", page, re.S)[1]),
                             listed, program)
        # Every exit status the program uses is explained.
        with open(os.path.join(SOURCE, "src/app/exit_status.h")) as f:
            statuses = re.findall(r"constexpr int k\w+ = (\d+);", f.read())
        explained = re.findall(r"^  (\d)  ", help_text.split("Options:")[0], re.M)
        self.assertEqual(explained, statuses)

    def test_the_data_folder_a_run_uses(self):
        data_home = os.path.join(self.tmp.name, "data")
        work = os.path.join(self.tmp.name, "work")
        os.mkdir(work)
        env = {**NO_DISPLAY, "XDG_DATA_HOME": data_home, "HOME": self.tmp.name,
               "XDG_CONFIG_HOME": os.path.join(self.tmp.name, "config")}
        tarvex = self.path("bin/tarvex")
        with open(self.path(f"share/applications/{APP}.desktop")) as f:
            launcher = shlex.split(re.search(r"^Exec=(.*)$", f.read(), re.M)[1])
        per_user = os.path.join(data_home, "Tarvex", "server.dat")
        here = os.path.join(work, "server.dat")
        for name, args, where in [("terminal", ["tarvex"], here),
                                  ("launcher", launcher, per_user),
                                  ("option", ["tarvex", "--user-data"], per_user)]:
            with self.subTest(name):
                # An empty list ends a run without a window at once, naming the file it read.
                done = run([tarvex] + args[1:] + ["--headless"], cwd=work, env=env)
                self.assertEqual(done.returncode, 4, done.stderr)
                self.assertIn(f"{where} lists none", done.stderr)
        # The list commands follow the option too.
        done = run([tarvex, "--user-data", "--add-amplifier", "Tower,1"], cwd=work, env=env)
        self.assertEqual(done.returncode, 0, done.stderr)
        for args, tower in [(["--user-data"], True), ([], False)]:
            listed = run([tarvex, "--list-amplifiers"] + args, cwd=work, env=env).stdout
            self.assertEqual("Tower" in listed, tower, args)

    def test_the_package_holds_the_files_and_passes_lintian(self):
        out = os.path.join(self.tmp.name, "package")
        done = run(["cpack", "-G", "DEB", "--config", os.path.join(BUILD, "CPackConfig.cmake"),
                    "-B", out])
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        deb = next(os.path.join(out, f) for f in os.listdir(out) if f.endswith(".deb"))
        listing = run(["dpkg-deb", "-c", deb]).stdout
        for f in ("./usr/bin/tarvex", f"./usr/share/applications/{APP}.desktop",
                  "./usr/share/man/man1/tarvex.1.gz", "./usr/lib/systemd/user/tarvex.service"):
            self.assertIn(f, listing)
        fields = run(["dpkg-deb", "-f", deb, "Depends", "Suggests"]).stdout
        # Computed from the binaries, plus the plugins Qt loads at run time.
        for package in ("libqt6widgets6", "libqt6serialport6", "qt6-qpa-plugins",
                        "libqt6sql6-sqlite", "libhamlib-utils", "ser2net"):
            self.assertRegex(fields, rf"\b{package}\b")
        lint = run(["lintian", deb])
        self.assertEqual(lint.returncode, 0, lint.stdout + lint.stderr)
        self.assertNotRegex(lint.stdout, r"(?m)^E: ")


if __name__ == "__main__":
    unittest.main(argv=sys.argv)

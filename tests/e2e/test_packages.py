"""The packages a user downloads: the per-user MSI (install, a rebuild of the same version
and a newer one replacing it, uninstall) and the portable zip, both built by
scripts/package.sh from this build."""

import re
import shutil
import subprocess
import zipfile
from pathlib import Path

from capture_case import CMD_FULL_SCREEN, CaptureCase
from pictorn_case import SETTINGS_KEY
from support import pictorn_exe, poll
from wineprefix import _windows_path
from xdisplay import HEIGHT, WIDTH

ROOT = Path(__file__).resolve().parents[2]
UNINSTALL_KEYS = [r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall",
                  r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall"]


def cmake_version():
    text = (ROOT / "CMakeLists.txt").read_text()
    return re.search(r"project\(Pictorn VERSION (\d+\.\d+\.\d+)", text)[1]


class PackagesTest(CaptureCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.version = cmake_version()
        major, minor, patch = cls.version.split(".")
        cls.newer_version = f"{major}.{minor}.{int(patch) + 1}"
        cls.packages = cls.class_dir / "packages"
        # A rebuild of the same version, told apart by bytes after the program's image.
        rebuilt = cls.class_dir / "rebuilt"
        rebuilt.mkdir()
        shutil.copy(pictorn_exe().parent / "pictorn.wav", rebuilt)
        cls.rebuilt_exe = pictorn_exe().read_bytes() + b"rebuilt"
        (rebuilt / "pictorn.exe").write_bytes(cls.rebuilt_exe)
        for version, out, exe_dir in ((cls.version, cls.packages, pictorn_exe().parent),
                                      (cls.version, cls.packages / "rebuilt", rebuilt),
                                      (cls.newer_version, cls.packages, pictorn_exe().parent)):
            subprocess.run([str(ROOT / "scripts/package.sh"), "--no-build", "--version", version,
                            "--out", str(out), "--exe-dir", str(exe_dir)],
                           check=True, stdin=subprocess.DEVNULL, capture_output=True, timeout=120)

    def users_folder(self):
        users = [p for p in (self.prefix.path / "drive_c/users").iterdir()
                 if p.name not in ("Public", "public")]
        self.assertEqual(len(users), 1, users)
        return users[0]

    def install_dir(self):
        return self.users_folder() / "AppData/Local/Programs/Pictorn"

    def shortcut(self):
        return (self.users_folder() /
                "AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Pictorn.lnk")

    def msiexec(self, action, version, folder=None):
        msi = (folder or self.packages) / f"pictorn-{version}-x64.msi"
        result = self.prefix.run(["msiexec", action, _windows_path(msi), "/qn"], timeout=180)
        self.assertEqual(result.returncode, 0, f"msiexec {action} {msi.name}: {result}")

    def msi_table(self, version, table):
        msi = self.packages / f"pictorn-{version}-x64.msi"
        # Binary columns are written as files into the working folder.
        return subprocess.run(["msiinfo", "export", str(msi), table], check=True, text=True,
                              capture_output=True, stdin=subprocess.DEVNULL,
                              cwd=self.class_dir).stdout

    def uninstall_entries(self):
        """{key: {value: data}} of every installed-programs entry named Pictorn."""
        entries = {}
        for root in UNINSTALL_KEYS:
            text = self.prefix.run(["reg", "query", root, "/s"]).stdout
            current, values = None, {}
            for line in text.splitlines() + [""]:
                if line.startswith("HKEY_"):
                    if values.get("DisplayName") == "Pictorn":
                        entries[current] = values
                    current, values = line.strip(), {}
                elif line.strip():
                    parts = re.split(r"\s{4}", line.strip(), maxsplit=2)
                    if len(parts) == 3:
                        values[parts[0]] = parts[2]
            if values.get("DisplayName") == "Pictorn":
                entries[current] = values
        return entries

    def test_msi_installs_upgrades_and_uninstalls_keeping_the_settings(self):
        self.msiexec("/i", self.version)
        exe = self.install_dir() / "pictorn.exe"
        for name in ("pictorn.exe", "pictorn.wav", "readme.txt", "licence.txt"):
            self.assertTrue((self.install_dir() / name).is_file(), f"{name} not installed")
        self.assertTrue(self.shortcut().is_file(), "no Start-menu shortcut")
        entries = self.uninstall_entries()
        self.assertEqual(len(entries), 1, f"installed-programs entries: {entries}")
        entry = next(iter(entries.values()))
        self.assertEqual(entry.get("DisplayVersion"), self.version)
        self.assertEqual(entry.get("Publisher"), "Orvanta")
        # Windows shows the package's product icon there; Wine's installer leaves the icon
        # out of the entry, so the package itself is checked for it.
        self.assertIn("ARPPRODUCTICON\tPictornIcon.ico", self.msi_table(self.version, "Property"))
        self.assertIn("PictornIcon.ico", self.msi_table(self.version, "Icon"))

        version = self.driver("file-version", _windows_path(exe))
        self.assertTrue(version.ok, version)
        self.assertEqual({k: version.first.get(k) for k in ("ProductName", "ProductVersion",
                                                            "FileVersion", "fixed")},
                         {"ProductName": "Pictorn", "ProductVersion": self.version,
                          "FileVersion": self.version, "fixed": self.version})
        self.assertTrue(version.first.get("FileDescription"))

        # The installed program starts, captures and stores its settings.
        main = self.start_and_wait(
            {"Prefix": "Kept_"}, start=lambda: self.prefix.start([str(exe)]))
        bitmap = self.capture(CMD_FULL_SCREEN, main["pid"])
        self.assertEqual((bitmap.width, bitmap.height), (WIDTH, HEIGHT))
        self.assert_pixels(bitmap, self.screen_points[:20])
        self.assertTrue(self.driver.close(self.main_title, pid=main["pid"]).ok)
        self.assertTrue(self.wait_process_exit(self.processes[-1], 15))

        self.msiexec("/i", self.version, self.packages / "rebuilt")
        entries = self.uninstall_entries()
        self.assertEqual([e.get("DisplayVersion") for e in entries.values()], [self.version],
                         "a rebuild of the same version did not replace the installed one")
        self.assertEqual(exe.read_bytes(), self.rebuilt_exe, "the rebuild's program is not there")

        self.msiexec("/i", self.newer_version)
        entries = self.uninstall_entries()
        self.assertEqual([e.get("DisplayVersion") for e in entries.values()],
                         [self.newer_version], "the newer package did not replace the older")
        self.assertTrue(exe.is_file(), "the upgrade left no program behind")

        self.msiexec("/x", self.newer_version)
        self.assertEqual(self.uninstall_entries(), {})
        self.assertFalse(exe.exists(), "the program is still there after uninstalling")
        self.assertFalse(self.shortcut().exists(), "the shortcut is still there")
        self.assertFalse(self.install_dir().exists(), "the program's folder is still there")
        kept = self.prefix.reg_query(SETTINGS_KEY).stdout
        self.assertIn("Kept_", kept, "uninstalling removed the user's settings")
        self.assertIn("Top", kept)
        self.assertTrue(self.temp_bitmap.exists(), "uninstalling removed the user's data")

    def test_portable_zip_unpacks_to_a_program_that_starts(self):
        archive = self.packages / f"pictorn-{self.version}-x64-portable.zip"
        target = self.prefix.path / "drive_c/portable"
        with zipfile.ZipFile(archive) as z:
            self.assertEqual(sorted(Path(n).name for n in z.namelist() if not n.endswith("/")),
                             ["licence.txt", "pictorn.exe", "pictorn.wav", "readme.txt"])
            z.extractall(target)
        main = self.start_and_wait(
            start=lambda: self.prefix.start([str(target / "Pictorn/pictorn.exe")]))
        self.assertTrue(self.driver.close(self.main_title, pid=main["pid"]).ok)
        self.assertTrue(poll(lambda: self.processes[-1].poll() is not None, 15))

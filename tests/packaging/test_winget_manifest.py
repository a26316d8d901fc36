#!/usr/bin/env python3
"""The winget manifest check: the checked-in manifest, filled in as
scripts/package-windows.sh fills it, passes with its files, and each fault a
hand edit or a stale build could bring is found."""

import hashlib
import shutil
import sys
import tempfile
import unittest
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "scripts"))
checker = __import__("check-winget-manifest")

SETUP = "Tessaly-1.0f-windows-x64-setup.exe"
ZIP = "Tessaly-1.0f-windows-x64.zip"
INSTALLER = "HarrowSoftware.Tessaly.installer.yaml"
LOCALE = "HarrowSoftware.Tessaly.locale.en-US.yaml"
VERSION = "HarrowSoftware.Tessaly.yaml"


class Winget_Manifest(unittest.TestCase):
    def setUp(self):
        self.work = Path(tempfile.mkdtemp())
        self.addCleanup(shutil.rmtree, self.work)
        self.files = self.work / "files"
        self.files.mkdir()
        (self.files / SETUP).write_bytes(b"MZ setup")
        with zipfile.ZipFile(self.files / ZIP, "w") as archive:
            archive.writestr("Tessaly.exe", b"MZ window")
            archive.writestr("tessaly-report.exe", b"MZ report")
        self.folder = self.work / "1.0f"
        self.folder.mkdir()
        sums = {name: hashlib.sha256((self.files / name).read_bytes()).hexdigest().upper()
                for name in (SETUP, ZIP)}
        for template in (ROOT / "packaging/winget/1.0f").glob("*.yaml"):
            text = (template.read_text(encoding="utf-8")
                    .replace("@RELEASE_URL@", "https://tessaly.example.org/download/1.0f")
                    .replace("@SETUP_SHA256@", sums[SETUP]).replace("@ZIP_SHA256@", sums[ZIP]))
            (self.folder / template.name).write_text(text, encoding="utf-8")

    def edit(self, name, old, new):
        path = self.folder / name
        text = path.read_text(encoding="utf-8")
        self.assertIn(old, text)
        path.write_text(text.replace(old, new, 1), encoding="utf-8")

    def test_FilledInManifestPassesWithItsFiles(self):
        self.assertEqual(checker.check(self.folder, self.files), [])

    def test_EachFaultIsFound(self):
        faults = [
            ("placeholder left", INSTALLER, "InstallerSha256: ", "InstallerSha256: @ZIP_SHA256@ #", "not filled in"),
            ("stale checksum", None, None, None, "not the checksum"),
            ("version mismatch", LOCALE, "PackageVersion: 1.0f", "PackageVersion: 1.0g", "folder's"),
            ("version read as a number", VERSION, "PackageVersion: 1.0f", "PackageVersion: 1.0", "must be text"),
            ("misspelt key", INSTALLER, "UpgradeBehavior:", "UpgradeBehaviour:", "unknown key"),
            ("misspelt entry key", INSTALLER, "    Scope: machine", "    Scopes: machine", "unknown key"),
            ("unknown scope", INSTALLER, "Scope: machine", "Scope: everyone", "Scope 'everyone'"),
            ("duplicate entry", INSTALLER, "Scope: machine", "Scope: user", "a second installer"),
            ("zip without nested type", INSTALLER, "    NestedInstallerType: portable\n", "", "NestedInstallerType"),
            ("nested file not in the zip", INSTALLER, "RelativeFilePath: tessaly-report.exe",
             "RelativeFilePath: tessaly-sync.exe", "not in"),
            ("plain http address missing", INSTALLER, "InstallerUrl: https://", "InstallerUrl: ftp://", "InstallerUrl"),
            ("zero return code", INSTALLER, "InstallerReturnCode: 3", "InstallerReturnCode: 0", "non-zero"),
            ("unknown return response", INSTALLER, "ReturnResponse: packageInUseByApplication",
             "ReturnResponse: busy", "return response"),
            ("missing licence", LOCALE, "License: Freeware\n", "", "no License"),
            ("wrong type", LOCALE, "ManifestType: defaultLocale", "ManifestType: locale", "ManifestType"),
            ("locale differs", VERSION, "DefaultLocale: en-US", "DefaultLocale: en-GB", "DefaultLocale"),
        ]
        for label, name, old, new, expected in faults:
            with self.subTest(label):
                self.setUp()
                if name is None:
                    (self.files / SETUP).write_bytes(b"MZ rebuilt")
                else:
                    self.edit(name, old, new)
                found = checker.check(self.folder, self.files)
                self.assertTrue(any(expected in problem for problem in found), f"{label}: {found}")


if __name__ == "__main__":
    unittest.main()

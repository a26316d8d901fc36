#!/usr/bin/env python3
"""Checks a multi-file winget manifest (version, default locale, installer;
manifest version 1.6.0) before it is published, without the network:

    check-winget-manifest.py FOLDER [--files DIR] [--schemas DIR]

- the three files parse, name one package and version (the folder's name),
  carry their own ManifestType and hold no unfilled @PLACEHOLDER@;
- the fields this package uses follow winget's rules for them (required
  fields, known keys, enumerations, address and checksum forms, one installer
  per type, architecture and scope);
- with --files, each installer's checksum is that of the file of its address's
  name in DIR, and each file a zip entry names is in that zip;
- with --schemas (or TESSALY_WINGET_SCHEMAS), each file also validates against
  winget's JSON schemas, manifest.<type>.1.6.0.json, found there.
Needs python3-yaml (and python3-jsonschema for --schemas)."""

import argparse
import hashlib
import os
import re
import sys
import zipfile
from pathlib import Path

import yaml

MANIFEST_VERSION = "1.6.0"
IDENTIFIER = re.compile(r'^[^.\s\\/:*?"<>|\x01-\x1f]{1,32}(\.[^.\s\\/:*?"<>|\x01-\x1f]{1,32}){1,7}$')
VERSION = re.compile(r'^[^\\/:*?"<>|\x01-\x1f]+$')
LOCALE = re.compile(r"^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$")
URL = re.compile(r"^[Hh][Tt][Tt][Pp][Ss]?://.+$")
SHA256 = re.compile(r"^[A-Fa-f0-9]{64}$")
OS_VERSION = re.compile(r"^\d{1,5}(\.\d{1,5}){0,3}$")
PLACEHOLDER = re.compile(r"@[A-Z0-9_]+@")

INSTALLER_TYPES = {"msix", "msi", "appx", "exe", "zip", "inno", "nullsoft", "wix", "burn", "pwa", "portable"}
NESTED_TYPES = INSTALLER_TYPES - {"zip", "pwa"}
ARCHITECTURES = {"x86", "x64", "arm", "arm64", "neutral"}
SCOPES = {"user", "machine"}
INSTALL_MODES = {"interactive", "silent", "silentWithProgress"}
SWITCHES = {"Silent", "SilentWithProgress", "Interactive", "InstallLocation", "Log", "Upgrade", "Custom"}
ELEVATION = {"elevationRequired", "elevationProhibited", "elevatesSelf"}
UPGRADE = {"install", "uninstallPrevious"}
RETURN_RESPONSES = {
    "packageInUse", "packageInUseByApplication", "installInProgress", "fileInUse",
    "missingDependency", "diskFull", "insufficientMemory", "invalidParameter", "noNetwork",
    "contactSupport", "rebootRequiredToFinish", "rebootRequiredForInstall", "rebootInitiated",
    "cancelledByUser", "alreadyInstalled", "downgrade", "blockedByPolicy", "systemNotSupported",
    "custom",
}

COMMON = {"PackageIdentifier", "PackageVersion", "ManifestType", "ManifestVersion"}
REQUIRED = {
    "version": COMMON | {"DefaultLocale"},
    "defaultLocale": COMMON | {"PackageLocale", "Publisher", "PackageName", "License", "ShortDescription"},
    "installer": COMMON | {"Installers"},
}
# The keys of this package's manifests that winget knows; a misspelt key
# would otherwise pass unnoticed and be ignored by the client.
INSTALLER_ENTRY_KEYS = {
    "InstallerLocale", "Platform", "MinimumOSVersion", "Architecture", "InstallerType",
    "NestedInstallerType", "NestedInstallerFiles", "Scope", "InstallerUrl", "InstallerSha256",
    "SignatureSha256", "InstallModes", "InstallerSwitches", "InstallerSuccessCodes",
    "ExpectedReturnCodes", "UpgradeBehavior", "Commands", "Protocols", "FileExtensions",
    "Dependencies", "PackageFamilyName", "ProductCode", "Capabilities", "RestrictedCapabilities",
    "Markets", "InstallerAbortsTerminal", "ReleaseDate", "InstallLocationRequired",
    "RequireExplicitUpgrade", "DisplayInstallWarnings", "UnsupportedOSArchitectures",
    "UnsupportedArguments", "AppsAndFeaturesEntries", "ElevationRequirement", "InstallationMetadata",
}
KNOWN = {
    "version": REQUIRED["version"],
    "defaultLocale": REQUIRED["defaultLocale"] | {
        "PublisherUrl", "PublisherSupportUrl", "PrivacyUrl", "Author", "PackageUrl", "LicenseUrl",
        "Copyright", "CopyrightUrl", "Description", "Moniker", "Tags", "Agreements", "ReleaseNotes",
        "ReleaseNotesUrl", "PurchaseUrl", "InstallationNotes", "Documentations", "Icons",
    },
    "installer": COMMON | {"Installers", "Channel"} | (INSTALLER_ENTRY_KEYS - {"InstallerUrl", "InstallerSha256", "SignatureSha256"}),
}


class Problems:
    def __init__(self):
        self.found = []

    def __call__(self, where, text):
        self.found.append(f"{where}: {text}")


def check_keys(problems, where, data, kind):
    for key in sorted(REQUIRED[kind] - data.keys()):
        problems(where, f"no {key}")
    for key in sorted(data.keys() - KNOWN[kind]):
        problems(where, f"unknown key {key}")


def check_installer_fields(problems, where, entry, inherited):
    """One installer entry; inherited holds the root's defaults."""
    merged = {**inherited, **entry}
    for key in sorted(entry.keys() - INSTALLER_ENTRY_KEYS):
        problems(where, f"unknown key {key}")
    for key in ("Architecture", "InstallerUrl", "InstallerSha256"):
        if key not in entry:
            problems(where, f"no {key}")
    rules = [
        ("Architecture", lambda v: v in ARCHITECTURES),
        ("InstallerType", lambda v: v in INSTALLER_TYPES),
        ("NestedInstallerType", lambda v: v in NESTED_TYPES),
        ("Scope", lambda v: v in SCOPES),
        ("InstallerUrl", lambda v: isinstance(v, str) and URL.match(v) and len(v) <= 2048),
        ("InstallerSha256", lambda v: isinstance(v, str) and SHA256.match(v)),
        ("MinimumOSVersion", lambda v: isinstance(v, str) and OS_VERSION.match(v)),
        ("ElevationRequirement", lambda v: v in ELEVATION),
        ("UpgradeBehavior", lambda v: v in UPGRADE),
        ("InstallModes", lambda v: isinstance(v, list) and set(v) <= INSTALL_MODES and len(set(v)) == len(v)),
        ("InstallerSwitches", lambda v: isinstance(v, dict) and set(v) <= SWITCHES
         and all(isinstance(s, str) and 0 < len(s) <= 2048 for s in v.values())),
    ]
    for key, valid in rules:
        if key in merged and not valid(merged[key]):
            problems(where, f"{key} {merged[key]!r} is not allowed")
    if "InstallerType" not in merged:
        problems(where, "no InstallerType here or at the root")
    if merged.get("InstallerType") == "zip":
        if "NestedInstallerType" not in merged:
            problems(where, "a zip needs NestedInstallerType")
        files = merged.get("NestedInstallerFiles")
        if not isinstance(files, list) or not files:
            problems(where, "a zip needs NestedInstallerFiles")
        else:
            aliases = [f.get("PortableCommandAlias") for f in files if isinstance(f, dict)]
            if any(not isinstance(f, dict) or not f.get("RelativeFilePath") for f in files):
                problems(where, "each nested file needs a RelativeFilePath")
            named = [a for a in aliases if a is not None]
            if len(set(named)) != len(named):
                problems(where, "two nested files share a command alias")
    for code in merged.get("ExpectedReturnCodes") or []:
        number = code.get("InstallerReturnCode")
        if not isinstance(number, int) or number == 0:
            problems(where, f"return code {number!r} must be a non-zero number")
        if code.get("ReturnResponse") not in RETURN_RESPONSES:
            problems(where, f"return response {code.get('ReturnResponse')!r} is not allowed")


def check_files(problems, where, entry, merged, files_dir):
    """The checksum and the zip's contents against the built files."""
    name = entry["InstallerUrl"].rsplit("/", 1)[-1]
    path = files_dir / name
    if not path.is_file():
        problems(where, f"no {name} in {files_dir}")
        return
    digest = hashlib.sha256(path.read_bytes()).hexdigest()
    if digest.lower() != str(entry.get("InstallerSha256", "")).lower():
        problems(where, f"InstallerSha256 is not the checksum of {path}")
    if merged.get("InstallerType") == "zip":
        with zipfile.ZipFile(path) as archive:
            inside = set(archive.namelist())
        for nested in merged.get("NestedInstallerFiles") or []:
            relative = str(nested.get("RelativeFilePath", "")).replace("\\", "/")
            if relative not in inside:
                problems(where, f"{relative} is not in {name}")


def validate_with_schemas(problems, documents, schemas_dir):
    import json

    import jsonschema

    for name, (kind, data) in documents.items():
        schema_file = schemas_dir / f"manifest.{kind}.{MANIFEST_VERSION}.json"
        if not schema_file.is_file():
            problems(name, f"no schema {schema_file}")
            continue
        schema = json.loads(schema_file.read_text(encoding="utf-8"))
        validator = jsonschema.validators.validator_for(schema)(schema)
        for error in validator.iter_errors(data):
            problems(name, f"schema: {'/'.join(map(str, error.absolute_path))}: {error.message}")


def check(folder, files_dir=None, schemas_dir=None):
    problems = Problems()
    documents = {}
    for path in sorted(folder.glob("*.yaml")):
        text = path.read_text(encoding="utf-8")
        for placeholder in sorted(set(PLACEHOLDER.findall(text))):
            problems(path.name, f"{placeholder} is not filled in")
        try:
            data = yaml.safe_load(text)
        except yaml.YAMLError as error:
            problems(path.name, f"not YAML: {error}")
            continue
        if not isinstance(data, dict):
            problems(path.name, "not a mapping")
            continue
        # Numbers and dates would reach the client as other types.
        for key in ("PackageVersion", "ManifestVersion", "MinimumOSVersion"):
            if key in data and not isinstance(data[key], str):
                problems(path.name, f"{key} must be text, not {type(data[key]).__name__}")
        kind = data.get("ManifestType")
        if kind not in REQUIRED:
            problems(path.name, f"ManifestType {kind!r} is not one of {sorted(REQUIRED)}")
            continue
        documents[path.name] = (kind, data)

    kinds = [kind for kind, _ in documents.values()]
    for kind in REQUIRED:
        if kinds.count(kind) != 1:
            problems(str(folder), f"{kinds.count(kind)} manifests of type {kind}, one expected")
    if problems.found:
        return problems.found

    by_kind = {kind: (name, data) for name, (kind, data) in documents.items()}
    version_name, version = by_kind["version"]
    identifier = version.get("PackageIdentifier")
    for name, (kind, data) in documents.items():
        check_keys(problems, name, data, kind)
        if data.get("PackageIdentifier") != identifier:
            problems(name, "PackageIdentifier differs from the version manifest's")
        if data.get("PackageVersion") != folder.name:
            problems(name, f"PackageVersion {data.get('PackageVersion')!r} is not the folder's {folder.name!r}")
        if data.get("ManifestVersion") != MANIFEST_VERSION:
            problems(name, f"ManifestVersion is not {MANIFEST_VERSION}")
        expected = {"version": f"{identifier}.yaml", "installer": f"{identifier}.installer.yaml",
                    "defaultLocale": f"{identifier}.locale.{version.get('DefaultLocale')}.yaml"}[kind]
        if name != expected:
            problems(name, f"should be named {expected}")
    if not isinstance(identifier, str) or not IDENTIFIER.match(identifier):
        problems(version_name, f"PackageIdentifier {identifier!r} is not allowed")
    if not VERSION.match(str(version.get("PackageVersion", ""))):
        problems(version_name, "PackageVersion is not allowed")
    locale_name, locale = by_kind["defaultLocale"]
    if locale.get("PackageLocale") != version.get("DefaultLocale") or not LOCALE.match(str(locale.get("PackageLocale"))):
        problems(locale_name, "PackageLocale is not the version manifest's DefaultLocale")
    for key in ("PublisherUrl", "PackageUrl", "LicenseUrl", "PublisherSupportUrl"):
        if key in locale and not URL.match(str(locale[key])):
            problems(locale_name, f"{key} is not an http(s) address")

    installer_name, installer = by_kind["installer"]
    inherited = {k: v for k, v in installer.items() if k in INSTALLER_ENTRY_KEYS}
    entries = installer.get("Installers")
    if not isinstance(entries, list) or not entries:
        problems(installer_name, "Installers must list at least one installer")
        entries = []
    seen = set()
    for index, entry in enumerate(entries):
        where = f"{installer_name}: Installers[{index}]"
        if not isinstance(entry, dict):
            problems(where, "not a mapping")
            continue
        check_installer_fields(problems, where, entry, inherited)
        merged = {**inherited, **entry}
        # The client could not tell two such entries apart.
        key = (merged.get("InstallerType"), merged.get("Architecture"), merged.get("Scope"),
               merged.get("InstallerLocale"))
        if key in seen:
            problems(where, f"a second installer of type, architecture and scope {key[:3]}")
        seen.add(key)
        if files_dir is not None and "InstallerUrl" in entry:
            check_files(problems, where, entry, merged, files_dir)

    if schemas_dir is not None:
        validate_with_schemas(problems, documents, schemas_dir)
    return problems.found


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("folder", type=Path)
    parser.add_argument("--files", type=Path, help="the folder of the files the manifest names")
    parser.add_argument("--schemas", type=Path, default=os.environ.get("TESSALY_WINGET_SCHEMAS") or None,
                        help="the folder of winget's JSON schemas")
    arguments = parser.parse_args()
    found = check(arguments.folder, arguments.files, arguments.schemas)
    for problem in found:
        print(f"check-winget-manifest: {problem}", file=sys.stderr)
    if found:
        return 1
    checked = "and its schemas" if arguments.schemas else "(no schemas given)"
    print(f"check-winget-manifest: {arguments.folder} follows winget's rules {checked}")
    return 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Source-package entries for apt, derived from the archives this machine is configured with.

  apt_source_entries.py PACKAGE VERSION SOURCES_LIST SOURCES_PARTS_DIR

Prints deb822 stanzas ("Types: deb-src") for each configured archive entry that offers the binary
package PACKAGE at VERSION (as "apt-cache madison" reports it), with the entry's own URI, suite,
component and trust options (Signed-By, Trusted). A mirror or a local archive named in the
machine's sources is therefore used as it is, and apt's own configuration (a proxy, for example)
applies unchanged. Both source formats are read: one-line ".list" files and deb822 ".sources".
Fails (exit 1) with one line when no configured archive offers that version.
"""

import glob
import os
import subprocess
import sys


def one_line_entries(path):
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            words = line.split()
            kind, words = words[0], words[1:]
            options = {}
            if words and words[0].startswith("["):
                text = " ".join(words)
                inside, rest = text[1:].split("]", 1)
                words = rest.split()
                for option in inside.split():
                    name, _, value = option.partition("=")
                    options[name.lower()] = value
            if kind != "deb" or len(words) < 2:
                continue
            entry = {"types": ["deb"], "uris": [words[0]], "suites": [words[1]], "components": words[2:]}
            if "signed-by" in options:
                entry["signed-by"] = options["signed-by"].replace(",", " ")
            if "trusted" in options:
                entry["trusted"] = options["trusted"]
            yield entry


def deb822_entries(path):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    for block in text.split("\n\n"):
        fields = {}
        name = None
        for line in block.splitlines():
            if line.startswith("#"):
                continue
            if line[:1] in (" ", "\t") and name:
                fields[name] += "\n" + line
                continue
            if ":" not in line:
                continue
            name, _, value = line.partition(":")
            name = name.strip().lower()
            fields[name] = value.strip()
        if "deb" not in fields.get("types", "").split() or fields.get("enabled", "yes").lower() == "no":
            continue
        entry = {key: fields.get(key, "").split() for key in ("uris", "suites", "components")}
        for key in ("signed-by", "trusted"):
            if key in fields:
                entry[key] = fields[key]
        yield entry


def offers(package, version):
    """(site, suite, component) of every configured archive with that package version."""
    output = subprocess.run(["apt-cache", "madison", package], check=True, capture_output=True,
                            text=True).stdout
    for line in output.splitlines():
        parts = [part.strip() for part in line.split("|")]
        if len(parts) != 3 or parts[1] != version:
            continue
        words = parts[2].split()
        if len(words) < 2 or "/" not in words[1]:
            continue
        suite, _, component = words[1].rpartition("/")
        yield words[0].rstrip("/"), suite, component


def main():
    package, version, sources_list, parts_dir = sys.argv[1:5]
    entries = []
    if os.path.isfile(sources_list):
        entries += one_line_entries(sources_list)
    for path in sorted(glob.glob(os.path.join(parts_dir, "*.list"))):
        entries += one_line_entries(path)
    for path in sorted(glob.glob(os.path.join(parts_dir, "*.sources"))):
        entries += deb822_entries(path)

    stanzas = []
    for site, suite, component in offers(package, version):
        for entry in entries:
            uris = [uri for uri in entry["uris"] if uri.rstrip("/") == site]
            if uris and suite in entry["suites"] and component in entry["components"]:
                stanza = f"Types: deb-src\nURIs: {uris[0]}\nSuites: {suite}\nComponents: {component}\n"
                if "signed-by" in entry:
                    stanza += f"Signed-By: {entry['signed-by']}\n"
                if "trusted" in entry:
                    stanza += f"Trusted: {entry['trusted']}\n"
                if stanza not in stanzas:
                    stanzas.append(stanza)
                break
    if not stanzas:
        print(f"no configured apt archive offers {package} {version}", file=sys.stderr)
        return 1
    sys.stdout.write("\n".join(stanzas))
    return 0


if __name__ == "__main__":
    sys.exit(main())

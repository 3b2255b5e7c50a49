#!/usr/bin/env python3
"""Zips a folder the same way every time, so that the same files give the same
archive on any machine: entries in byte order of their paths, under the
folder's own name, each with the same time (SOURCE_DATE_EPOCH), the same
permissions, no extra fields and the same compression.

Usage: zip-folder.py FOLDER ARCHIVE
"""
import os
import sys
import time
import zipfile

# The zip format's dates start in 1980.
EARLIEST_ZIP_TIME = 315532800


def entries(folder):
    """(name in the archive, path on disk) of every file, in byte order of the names."""
    base = os.path.basename(os.path.normpath(folder))
    found = []
    for directory, _, files in os.walk(folder):
        for name in files:
            path = os.path.join(directory, name)
            relative = os.path.relpath(path, folder).replace(os.sep, "/")
            found.append((f"{base}/{relative}", path))
    return sorted(found, key=lambda entry: entry[0].encode())


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[-1])
    folder, archive = sys.argv[1], sys.argv[2]
    epoch = max(int(os.environ["SOURCE_DATE_EPOCH"]), EARLIEST_ZIP_TIME)
    date_time = time.gmtime(epoch)[:6]
    with zipfile.ZipFile(archive, "w") as zipped:
        for name, path in entries(folder):
            info = zipfile.ZipInfo(name, date_time)
            info.create_system = 3  # Unix, so that the permissions below are read as such
            info.external_attr = 0o100644 << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            with open(path, "rb") as source:
                zipped.writestr(info, source.read(), compresslevel=9)


if __name__ == "__main__":
    main()

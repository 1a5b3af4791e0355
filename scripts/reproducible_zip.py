"""Writes a zip whose bytes depend on the files it holds and nothing else: the
members in sorted order, each dated SOURCE_DATE_EPOCH (UTC), with mode 755 where
the owner may execute it and 644 otherwise, no owners, no extra fields, and the
same compression level. CPack's zips take their order from the directory listing
and their dates from the local time zone, so ./scripts/release writes them again
with this.

usage: reproducible_zip.py OUTPUT SOURCE.zip
       reproducible_zip.py --top FOLDER OUTPUT SOURCE_DIRECTORY
A zip's members are written again as they are; a directory's files go in under
the top folder FOLDER.
"""

import argparse
import os
import pathlib
import stat
import time
import zipfile


def zip_members(source):
    with zipfile.ZipFile(source) as archive:
        for info in archive.infolist():
            if not info.is_dir():
                executable = bool((info.external_attr >> 16) & stat.S_IXUSR)
                yield info.filename, executable, archive.read(info)


def directory_members(source, top):
    for path in pathlib.Path(source).rglob("*"):
        if path.is_file():
            name = f"{top}/{path.relative_to(source).as_posix()}"
            yield name, bool(path.stat().st_mode & stat.S_IXUSR), path.read_bytes()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--top", help="the top folder for a directory's files")
    parser.add_argument("output")
    parser.add_argument("source")
    arguments = parser.parse_args()

    if os.path.isdir(arguments.source):
        if not arguments.top:
            parser.error("a directory's files need --top")
        members = directory_members(arguments.source, arguments.top)
    else:
        members = zip_members(arguments.source)
    if "SOURCE_DATE_EPOCH" not in os.environ:
        parser.error("SOURCE_DATE_EPOCH gives the members' date; it is not set")
    # A zip stores local time without a zone, and nothing before 1980.
    date = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]

    with zipfile.ZipFile(arguments.output, "w") as archive:
        for name, executable, data in sorted(members):
            info = zipfile.ZipInfo(name, date_time=date)
            info.create_system = 3  # Unix, so that the mode below is read
            info.external_attr = (stat.S_IFREG | (0o755 if executable else 0o644)) << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data, compresslevel=9)


if __name__ == "__main__":
    main()

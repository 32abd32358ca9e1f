#!/usr/bin/env python3
"""Writes the release archive: stackle.exe, the licence and the user guides as plain text.

    release.py ARCHIVE EPOCH STACKLE_EXE LICENSE README.md README.ja.md

The same inputs give the same bytes: entries in a fixed order, each dated EPOCH (seconds since
1970, UTC) with the same attributes, and the texts turned into what Notepad on any Windows
opens: UTF-8 with a byte-order mark and CR LF line ends.
"""
import re
import sys
import time
import zipfile

# The user guide ends here; what follows in README.md is for those who build Stackle.
END_OF_GUIDE = '<!-- end of the user guide -->'


def plain_text(markdown):
    """The Markdown as it reads without a viewer: no pictures, no emphasis markers."""
    lines = []
    for line in markdown.splitlines():
        if line.strip() == END_OF_GUIDE:
            break
        if re.fullmatch(r'\s*!\[[^\]]*\]\([^)]*\)\s*', line):
            continue
        line = re.sub(r'\[([^\]]+)\]\([^)]+\)', r'\1', line)
        # The guides are named as they are in the archive.
        line = re.sub(r'\b(README(\.ja)?)\.md\b', r'\1.txt', line)
        lines.append(line.replace('**', ''))
    while lines and not lines[-1].strip():
        lines.pop()
    text = re.sub(r'\n{3,}', '\n\n', '\n'.join(lines))
    return text.replace('\n', '\r\n').encode('utf-8-sig') + b'\r\n'


def entry(name, epoch):
    info = zipfile.ZipInfo(name, time.gmtime(epoch)[:6])
    info.create_system = 0  # MS-DOS: the attributes below are read as Windows reads them
    info.external_attr = 0x20  # FILE_ATTRIBUTE_ARCHIVE
    info.compress_type = zipfile.ZIP_DEFLATED
    return info


def main(archive, epoch, exe, licence, readme, readme_ja):
    epoch = max(int(epoch), 315532800)  # a zip cannot hold a date before 1980
    read = lambda path: open(path, encoding='utf-8').read()
    members = [
        ('stackle.exe', open(exe, 'rb').read()),
        ('LICENSE.txt', plain_text(read(licence))),
        ('README.txt', plain_text(read(readme))),
        ('README.ja.txt', plain_text(read(readme_ja))),
    ]
    with zipfile.ZipFile(archive, 'w') as out:
        for name, data in members:
            out.writestr(entry(name, epoch), data, compresslevel=9)


if __name__ == '__main__':
    if len(sys.argv) != 7:
        sys.exit(__doc__)
    main(*sys.argv[1:])

#!/usr/bin/env python3
"""Signs a release for the updater. The signature (ECDSA P-256 with SHA-256, made by openssl) covers
this statement, UTF-8, each line ending in a line feed:

    Tamborvin Form release
    name: <file name, the description's second field>
    version: <version text, its fifth field>
    size: <the file's size in bytes>
    sha256: <the file's SHA-256, 64 lower-case hex digits>

Prints the release description's fields after the version: "<size>|<sha256>|<signature>", the
signature as the 128 hex digits of r and s.

  sign_release.py --key KEY.pem --name NAME --version VERSION FILE [--copy-from SRC [--append TEXT]] [--out FIELDS]

--append puts TEXT after the copy's last byte: one program then makes releases of different bytes.
"""
import argparse
import hashlib
import os
import shutil
import subprocess
import sys


def der_integers(der):
    # SEQUENCE { INTEGER r, INTEGER s }, each short enough for one length byte.
    if der[0] != 0x30:
        raise ValueError("not a DER sequence")
    pos = 2 if der[1] < 0x80 else 2 + (der[1] & 0x7F)
    values = []
    for _ in range(2):
        if der[pos] != 0x02:
            raise ValueError("not a DER integer")
        length = der[pos + 1]
        values.append(int.from_bytes(der[pos + 2:pos + 2 + length], "big"))
        pos += 2 + length
    return values


def statement(name, version, size, digest):
    return f"Tamborvin Form release\nname: {name}\nversion: {version}\nsize: {size}\nsha256: {digest}\n"


def sign(text, key):
    der = subprocess.run(["openssl", "dgst", "-sha256", "-sign", key], input=text.encode("utf-8"), check=True,
                         stdout=subprocess.PIPE).stdout
    r, s = der_integers(der)
    return r.to_bytes(32, "big").hex() + s.to_bytes(32, "big").hex()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--key", required=True)
    parser.add_argument("--name", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--copy-from")
    parser.add_argument("--append")
    parser.add_argument("--out")
    parser.add_argument("file")
    args = parser.parse_args()
    os.makedirs(os.path.dirname(os.path.abspath(args.file)), exist_ok=True)
    if args.copy_from:
        shutil.copyfile(args.copy_from, args.file)
        if args.append:
            with open(args.file, "ab") as f:
                f.write(args.append.encode("utf-8"))
    digest = hashlib.sha256()
    with open(args.file, "rb") as f:
        for piece in iter(lambda: f.read(1 << 20), b""):
            digest.update(piece)
    size = os.path.getsize(args.file)
    fields = f"{size}|{digest.hexdigest()}|{sign(statement(args.name, args.version, size, digest.hexdigest()), args.key)}"
    if args.out:
        with open(args.out, "w") as f:
            f.write(fields)
    else:
        print(fields)
    return 0


if __name__ == "__main__":
    sys.exit(main())

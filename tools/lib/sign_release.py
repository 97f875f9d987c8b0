#!/usr/bin/env python3
"""Signs a release file for the updater: ECDSA P-256 over the file's SHA-256, made by openssl, printed
as the 128 hex digits of r and s that the release description carries in its sixth field.

  sign_release.py --key KEY.pem FILE [--copy-from SRC] [--out SIGFILE]
"""
import argparse
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


def sign(path, key):
    der = subprocess.run(["openssl", "dgst", "-sha256", "-sign", key, path], check=True,
                         stdout=subprocess.PIPE).stdout
    r, s = der_integers(der)
    return r.to_bytes(32, "big").hex() + s.to_bytes(32, "big").hex()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--key", required=True)
    parser.add_argument("--copy-from")
    parser.add_argument("--out")
    parser.add_argument("file")
    args = parser.parse_args()
    os.makedirs(os.path.dirname(os.path.abspath(args.file)), exist_ok=True)
    if args.copy_from:
        shutil.copyfile(args.copy_from, args.file)
    signature = sign(args.file, args.key)
    if args.out:
        with open(args.out, "w") as f:
            f.write(signature)
    else:
        print(signature)
    return 0


if __name__ == "__main__":
    sys.exit(main())

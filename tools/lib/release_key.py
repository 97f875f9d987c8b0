#!/usr/bin/env python3
"""The update key of a Windows build and the signatures it accepts. Used by tools/package, before it
writes a release, and by its test.

  release_key.py check BUILD KEY.pem   fails unless KEY.pem is a P-256 key whose public half is
                                       the key compiled into BUILD's updater
"""
import json
import os
import re
import subprocess
import sys
import tempfile

# SubjectPublicKeyInfo of an uncompressed P-256 point, up to the point itself.
P256_SPKI_PREFIX = bytes.fromhex("3059301306072a8648ce3d020106082a8648ce3d030107034200")


def der_integer(value):
    body = value.to_bytes(32, "big").lstrip(b"\0")
    if not body or body[0] & 0x80:
        body = b"\0" + body
    return bytes([2, len(body)]) + body


def verifies(statement, signature_hex, key_hex):
    """Whether the signature (r and s, hex) over the statement verifies with the public key (x and y, hex)."""
    r, s = int(signature_hex[:64], 16), int(signature_hex[64:], 16)
    ints = der_integer(r) + der_integer(s)
    with tempfile.TemporaryDirectory() as scratch:
        key = os.path.join(scratch, "key.der")
        sig = os.path.join(scratch, "sig.der")
        with open(key, "wb") as f:
            f.write(P256_SPKI_PREFIX + b"\x04" + bytes.fromhex(key_hex))
        with open(sig, "wb") as f:
            f.write(bytes([0x30, len(ints)]) + ints)
        done = subprocess.run(["openssl", "dgst", "-sha256", "-keyform", "DER", "-verify", key, "-signature", sig],
                              input=statement.encode("utf-8"), capture_output=True)
        return done.returncode == 0


def built_in_key(build):
    """The key as the updater's source was compiled with it (x and y, hex), or None."""
    with open(os.path.join(build, "compile_commands.json")) as f:
        for command in json.load(f):
            if command["file"].endswith("update_platform_win.cpp"):
                found = re.search(r'TAMBORVIN_UPDATE_KEY=\\?"([0-9a-f]{128})', command["command"])
                if found:
                    return found.group(1)
    return None


def public_half(key_pem):
    """x and y (hex) of a P-256 private key, or None for any other key."""
    der = subprocess.run(["openssl", "pkey", "-in", key_pem, "-pubout", "-outform", "DER"], capture_output=True)
    if der.returncode != 0 or not der.stdout.startswith(P256_SPKI_PREFIX + b"\x04") or len(der.stdout) != 91:
        return None
    return der.stdout[-64:].hex()


def main():
    if len(sys.argv) != 4 or sys.argv[1] != "check":
        print(__doc__, file=sys.stderr)
        return 2
    build, key_pem = sys.argv[2:]
    public = public_half(key_pem)
    if public is None:
        print(f"{key_pem} is not a P-256 private key: the updater accepts no other signature", file=sys.stderr)
        return 1
    built = built_in_key(build)
    if built != public:
        print(f"{key_pem} is not the key built into {build}: its updater would refuse every release signed with it",
              file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())

"""Protected vaults checked against an implementation of docs/vault-format.md written apart from the
program's, on Debian's python3-cryptography and python3-argon2 (run with /usr/bin/python3): a vault
the program wrote is opened here, and one written here is opened by the program.

    protected_vault_cross_check.py TOOL WORK_FOLDER
"""
import base64
import hashlib
import hmac
import os
import struct
import subprocess
import sys

from argon2.low_level import Type, hash_secret_raw
from cryptography.hazmat.primitives.ciphers.aead import AESGCM

MAGIC = b'"TFPV'
KEY_CHECK_LABEL = b"Tamborvin Form vault key check"


def derive(password, salt, memory, passes, lanes):
    return hash_secret_raw(password.encode(), salt, time_cost=passes, memory_cost=memory, parallelism=lanes,
                           hash_len=32, type=Type.ID, version=19)


def open_vault(data, password):
    assert data.startswith(MAGIC), "no magic"
    blob = base64.b64decode(data[len(MAGIC):], validate=True)
    version, memory, passes, lanes, salt_size = struct.unpack_from("<BIIII", blob)
    assert version == 1, version
    at = 17
    salt = blob[at:at + salt_size]
    at += salt_size
    nonce = blob[at:at + 12]
    check = blob[at + 12:at + 28]
    digest_at = at + 28
    head = blob[:digest_at + 16]
    assert hashlib.sha256(MAGIC + blob[:digest_at]).digest()[:16] == blob[digest_at:digest_at + 16], "header digest"
    key = derive(password, salt, memory, passes, lanes)
    if not hmac.compare_digest(hmac.new(key, KEY_CHECK_LABEL, hashlib.sha256).digest()[:16], check):
        return None
    return AESGCM(key).decrypt(nonce, blob[len(head):], MAGIC + head)


def seal_vault(inner, password, memory, passes, lanes):
    salt, nonce = os.urandom(24), os.urandom(12)
    key = derive(password, salt, memory, passes, lanes)
    head = struct.pack("<BIIII", 1, memory, passes, lanes, len(salt)) + salt + nonce
    head += hmac.new(key, KEY_CHECK_LABEL, hashlib.sha256).digest()[:16]
    head += hashlib.sha256(MAGIC + head).digest()[:16]
    return MAGIC + base64.b64encode(head + AESGCM(key).encrypt(nonce, inner, MAGIC + head))


def main():
    tool, folder = sys.argv[1], sys.argv[2]
    os.makedirs(folder, exist_ok=True)
    ours = os.path.join(folder, "ours.db")
    failures = []

    def check(name, condition):
        print(("ok   " if condition else "FAIL ") + name)
        if not condition:
            failures.append(name)

    # Written by the program (lanes 2 to use more than one), opened here.
    subprocess.run([tool, "write", ours, "pässword 密码", "64", "2", "2"], check=True)
    with open(ours, "rb") as f:
        data = f.read()
    with open(ours + ".plain", "rb") as f:
        plain = f.read()
    check("a vault the program wrote opens here", open_vault(data, "pässword 密码") == plain)
    check("here too a wrong password is told by the key check", open_vault(data, "password") is None)

    # Written here, opened by the program: the plain bytes above, and no records at all.
    for name, inner in (("records", plain), ("no records", b"")):
        path = os.path.join(folder, "theirs.db")
        with open(path, "wb") as f:
            f.write(seal_vault(inner, "other 密码", 32, 3, 1))
        with open(path + ".plain", "wb") as f:
            f.write(inner)
        check("the program opens a vault written here: " + name,
              subprocess.run([tool, "read", path, "other 密码", path + ".plain"]).returncode == 0)
        check("the program tells a wrong password: " + name,
              subprocess.run([tool, "read", path, "other", path + ".plain"]).returncode == 2)

    print(f"{6 - len(failures)} passed, {len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

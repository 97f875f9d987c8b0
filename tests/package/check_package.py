#!/usr/bin/env python3
"""Packages a Windows build with tools/package and checks what a user and the update server get:
the zip's files, both programs' version resources (read with MinGW's windres), SHA256SUMS, and
that the statement in the packaged config.txt verifies with the update key compiled into that build.

  check_package.py BUILD OUT [KEY.pem]
KEY.pem: the signing key, for a build for a real server (a loopback build is signed with the test key).
"""
import hashlib
import json
import os
import re
import subprocess
import sys
import tempfile
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tools", "lib"))
from release_key import built_in_key, verifies  # noqa: E402
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def version_resource(exe):
    rc = subprocess.run(["x86_64-w64-mingw32-windres", "-J", "coff", "-O", "rc", "-i", exe], check=True,
                        capture_output=True, text=True).stdout
    values = dict(re.findall(r'VALUE "(\w+)", "([^"]*)"', rc))
    numbers = re.search(r"FILEVERSION ([0-9, ]+)", rc)
    values["numbers"] = numbers.group(1).replace(" ", "") if numbers else ""
    return values


def main():
    build, out = (os.path.abspath(a) for a in sys.argv[1:3])
    key_option = ["--key", sys.argv[3]] if len(sys.argv) > 3 else []
    package = os.path.join(ROOT, "tools", "package")
    # A key of another curve, or one that is not the build's, is refused before anything is written.
    with tempfile.TemporaryDirectory() as scratch:
        for curve in ("secp256k1", "prime256v1"):
            other = os.path.join(scratch, curve + ".pem")
            subprocess.run(["openssl", "ecparam", "-name", curve, "-genkey", "-noout", "-out", other], check=True)
            refused = subprocess.run([package, "--from", build, "--out", os.path.join(scratch, "out"), "--key", other],
                                     capture_output=True, text=True)
            check(refused.returncode != 0 and not os.path.exists(os.path.join(scratch, "out")),
                  f"a {curve} key that is not the build's is refused")
    subprocess.run([package, "--from", build, "--out", out] + key_option, check=True)
    with open(os.path.join(build, "version", "tf_version.h")) as f:
        header = f.read()
    text = re.search(r'TF_VERSION_TEXT "([^"]*)"', header).group(1)
    numbers = re.search(r"TF_VERSION_NUMBERS ([0-9,]+)", header).group(1)

    zip_name = f"TamborvinForm-{text}-win64.zip"
    with zipfile.ZipFile(os.path.join(out, zip_name)) as z:
        check(sorted(z.namelist()) == ["Tamborvin Form.exe", "User guide.txt", "velnor.exe"],
              f"the zip holds {z.namelist()}")
        unpacked = {name: z.read(name) for name in z.namelist()}
    guide = unpacked.get("User guide.txt", b"").decode("utf-8", "replace")
    check("encoded, not encrypted" in guide, "the guide says the vault is encoded, not encrypted")

    descriptions = {"Tamborvin Form.exe": "Tamborvin Form", "velnor.exe": "Tamborvin Form updater"}
    with tempfile.TemporaryDirectory() as scratch:
        for name, description in descriptions.items():
            exe = os.path.join(scratch, name)
            with open(exe, "wb") as f:
                f.write(unpacked.get(name, b""))
            sections = subprocess.run(["x86_64-w64-mingw32-objdump", "-h", exe], capture_output=True,
                                      text=True).stdout
            check(".debug_" not in sections and ".gnu_debuglink" in sections,
                  f"{name} is stripped and names its debug file")
            check(os.path.getsize(os.path.join(out, "debug", name + ".debug")) > os.path.getsize(exe),
                  f"the debug information of {name} is kept beside the zip")
            resource = version_resource(exe)
            expected = {"FileDescription": description, "ProductName": "Tamborvin Form", "FileVersion": text,
                        "ProductVersion": text, "OriginalFilename": name, "numbers": numbers}
            for key, value in expected.items():
                check(resource.get(key) == value, f"{name}: {key} is {resource.get(key)!r}, not {value!r}")

    with open(os.path.join(out, "SHA256SUMS")) as f:
        sums = [line.rstrip("\n").split("  ", 1) for line in f if line.strip()]
    check(any(path == zip_name for _, path in sums), "SHA256SUMS names the zip")
    for digest, path in sums:
        with open(os.path.join(out, path), "rb") as f:
            check(sha256(f.read()) == digest, f"SHA256SUMS line of {path}")

    server = os.path.join(out, "server")
    with open(os.path.join(server, "version", "form", "new.txt")) as f:
        check(f.read() == "v" + text, "new.txt holds the version")
    with open(os.path.join(server, "files", "Tamborvin Form.exe"), "rb") as f:
        served = f.read()
    check(served == unpacked.get("Tamborvin Form.exe"), "the server hands out the program of the zip")
    with open(os.path.join(server, "version", "form", "config.txt"), encoding="utf-8") as f:
        fields = f.read().split("|")
    check(len(fields) == 8, f"config.txt has {len(fields)} fields")
    if len(fields) == 8:
        check(fields[5] == str(len(served)) and fields[6] == sha256(served), "config.txt gives the size and hash")
        statement = (f"Tamborvin Form release\nname: {fields[1]}\nversion: {fields[4]}\nsize: {fields[5]}\n"
                     f"sha256: {fields[6]}\n")
        key = built_in_key(build)
        check(key is not None, "the build's update key was found")
        if key:
            check(verifies(statement, fields[7], key), "the statement verifies with the build's key")
            # And a statement that names another version does not: the check can fail.
            check(not verifies(statement.replace("version: v", "version: v9"), fields[7], key),
                  "a changed statement does not verify")
    print(f"{len(failures)} checks failed" if failures else f"{out}: the release is complete")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Puts the test run's certificate authority into the root store of a Wine
prefix, and takes it out again, so that WinInet trusts the test site's HTTPS
without any check turned off and without a trace in the machine's store.

    wine_root_store.py add|remove CA_PEM LAUNCHER...

LAUNCHER runs a Windows program in the prefix (scripts/wine-run PREFIX). The
certificate goes under the current user's Root store in the prefix's registry,
keyed by its SHA-1 thumbprint, as Windows keeps it: a blob of two properties,
the thumbprint (3) and the certificate itself (32).
"""

import hashlib
import ssl
import struct
import subprocess
import sys

ROOT_STORE = r"HKCU\Software\Microsoft\SystemCertificates\Root\Certificates"
SHA1_HASH_PROPERTY = 3
CERTIFICATE_PROPERTY = 32


def blob_property(property_id, data):
    return struct.pack("<III", property_id, 1, len(data)) + data


def main():
    if len(sys.argv) < 4 or sys.argv[1] not in ("add", "remove"):
        sys.exit(__doc__)
    command, ca_file, launcher = sys.argv[1], sys.argv[2], sys.argv[3:]
    with open(ca_file) as pem:
        der = ssl.PEM_cert_to_DER_cert(pem.read())
    thumbprint = hashlib.sha1(der).digest()
    key = ROOT_STORE + "\\" + thumbprint.hex().upper()
    if command == "add":
        blob = (blob_property(SHA1_HASH_PROPERTY, thumbprint) +
                blob_property(CERTIFICATE_PROPERTY, der))
        words = ["add", key, "/v", "Blob", "/t", "REG_BINARY", "/d", blob.hex(), "/f"]
    else:
        words = ["delete", key, "/f"]
    subprocess.run([*launcher, "reg", *words], check=True, stdout=subprocess.DEVNULL)


if __name__ == "__main__":
    main()
